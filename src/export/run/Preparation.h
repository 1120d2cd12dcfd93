#pragma once

#include "playlist/Playlist.h"
#include "run/RunContext.h"

#include <filesystem>
#include <string>

namespace tunecrate {

// Before a run's first copy: counts the entries for their numbers and what
// the run will write, asks when that does not fit on the target's drive, and
// gives the copies already there the names the playlist's order gives them
// now. The order it read serves the run's copies and removals.
class Preparation {
public:
    explicit Preparation(RunContext& run) : run_(run) {}

    // False when the run is to copy nothing: the user said so at the
    // question about room (the log says why), or cancelled while the run
    // waited for the folder (run.stopped).
    [[nodiscard]] bool prepare(const std::string& playlistPath, PlaylistMode mode,
                               const std::filesystem::path& playlistFolder);

    [[nodiscard]] bool prepared() const { return prepared_; }
    // The target folder as it was when the run prepared.
    [[nodiscard]] const std::string& folder() const { return folder_; }

private:
    void putInOrder(const std::string& folder, bool windowsRules, FolderRecord& record);

    RunContext& run_;
    bool prepared_ = false;
    std::string folder_;
};

} // namespace tunecrate
