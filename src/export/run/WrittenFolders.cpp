#include "run/WrittenFolders.h"

#include <algorithm>

namespace tunecrate {

void WrittenFolders::wrote(const std::string& folder)
{
    if (std::find(folders_.begin(), folders_.end(), folder) == folders_.end()) {
        folders_.push_back(folder);
    }
}

std::vector<FailedPath> WrittenFolders::flush(RecordedRun* records,
                                              const platform::WhileWaiting& whileWaiting,
                                              const std::function<void(bool)>& flushing)
{
    std::vector<FailedPath> failed = std::move(failed_);
    failed_.clear();
    if (records != nullptr) {
        for (const std::string& folder : records->write(whileWaiting, failed)) {
            wrote(folder);
        }
    }
    if (!folders_.empty()) {
        flushing(true);
        for (FailedPath& folder : platform::flushFolders(folders_, whileWaiting)) {
            failed.push_back(std::move(folder));
        }
        folders_.clear();
        flushing(false);
    }
    return failed;
}

} // namespace tunecrate
