#include "run/RunContext.h"

#include "Language.h"
#include "drive/Drive.h"
#include "files/Paths.h"
#include "files/PlatformFiles.h"

namespace tunecrate {

const DriveOfFolder::Facts& DriveOfFolder::of(const std::string& folder)
{
    if (!facts_ || folder_ != folder) {
        const bool rules = followsWindowsRules(folder);
        folder_ = folder;
        facts_ = Facts{.windowsRules = rules,
                       .flushesEachCopy = platform::flushesEachCopy(folder, rules),
                       .largestFile = driveKind(folder).largestFile};
    }
    return *facts_;
}

void RunContext::log(std::initializer_list<std::string_view> pieces)
{
    text_.clear();
    for (const std::string_view piece : pieces) {
        text_ += piece;
    }
    window.appendLog(text_);
}

bool RunContext::waitForFolder(const std::string& folder, bool windowsRules)
{
    const bool ready = recorded->readyToWrite(folder, windowsRules,
                                              {.started =
                                                   [this] {
                                                       log({crlf, Language().strWaitingForFolder});
                                                   },
                                               .keepWaiting =
                                                   [this] {
                                                       return keepGoing();
                                                   }});
    stopped = !ready;
    return ready;
}

bool RunContext::keepGoing()
{
    window.processEvents();
    return !window.cancelRequested();
}

bool isAbsoluteFolder(const std::string& folder)
{
    return !holdsNul(folder) && fsPath(folder).is_absolute();
}

} // namespace tunecrate
