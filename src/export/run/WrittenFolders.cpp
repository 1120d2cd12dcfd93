#include "run/WrittenFolders.h"

#include <algorithm>

namespace tunecrate {

void WrittenFolders::wrote(const std::string& folder)
{
    if (std::find(folders_.begin(), folders_.end(), folder) == folders_.end()) {
        folders_.push_back(folder);
    }
}

bool WrittenFolders::flush(RecordedRun* records, const platform::WhileWaiting& whileWaiting,
                           const std::function<void(bool)>& flushing)
{
    bool failed = recordFailed_;
    recordFailed_ = false;
    if (records != nullptr) {
        for (const std::string& folder : records->write(whileWaiting, failed)) {
            wrote(folder);
        }
    }
    if (!folders_.empty()) {
        flushing(true);
        failed = !platform::flushFolders(folders_, whileWaiting) || failed;
        folders_.clear();
        flushing(false);
    }
    return !failed;
}

} // namespace tunecrate
