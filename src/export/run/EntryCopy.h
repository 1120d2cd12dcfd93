#pragma once

#include "folder/TemporarySweep.h"
#include "folder/WrittenDestinations.h"
#include "run/RunContext.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tunecrate {

// One entry's copy after another: its name, its destination, the copy or the
// copy already there, and its record in the log.
class EntryCopy {
public:
    explicit EntryCopy(RunContext& run) : run_(run) {}

    // Where a copy that ended "ok" is.
    struct Arrival {
        std::string folder;
        std::string path;
    };

    // Copies the next entry's source into the target folder as the window
    // names it now. Nothing where it ended "error" (run.failed has why), or
    // where the user cancelled while the run waited for the folder
    // (run.stopped).
    [[nodiscard]] std::optional<Arrival> copy(const std::string& source, bool truncatedLine);

private:
    // What arrived at a destination: the size written or found, and whether
    // it was found there already.
    struct Copied {
        std::uint64_t size = 0;
        bool held = false;
    };
    std::optional<Copied> copyUnlessHeld(const std::string& source,
                                         const DriveOfFolder::Facts& drive,
                                         const std::string& folder,
                                         const WrittenDestinations::Destination& destination);

    RunContext& run_;
    int number_ = 0;
    TemporarySweep sweep_;
    SystemFileLookup files_;
};

} // namespace tunecrate
