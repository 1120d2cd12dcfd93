#pragma once

#include "drive/Flush.h"
#include "folder/RecordedFolders.h"

#include <functional>
#include <string>
#include <vector>

namespace tunecrate {

// The folders a run wrote into, in the order first written, and what its end
// brings onto their drives: the folders' records, then every folder's data
// and names.
class WrittenFolders {
public:
    void wrote(const std::string& folder);
    // A record written before the end could not be written.
    void recordFailed(FailedPath record) { failed_.push_back(std::move(record)); }

    // Writes records' kept folders (where there are any), then flushes every
    // folder written since the last flush, calling flushing(true) before and
    // flushing(false) after where there is any. The records and folders whose
    // drives failed to take what they were given, and why.
    [[nodiscard]] std::vector<FailedPath> flush(RecordedRun* records,
                                                const platform::WhileWaiting& whileWaiting,
                                                const std::function<void(bool)>& flushing);

private:
    std::vector<std::string> folders_;
    std::vector<FailedPath> failed_;
};

} // namespace tunecrate
