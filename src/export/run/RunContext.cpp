#include "run/RunContext.h"

#include "Language.h"
#include "drive/Drive.h"
#include "files/Paths.h"
#include "files/PlatformFiles.h"

#include <utility>

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

void RunContext::failed(std::string path, const Failure& failure)
{
    if (listed_.emplace(path, failure.reason, failure.code).second) {
        failures_.push_back({std::move(path), failure});
    }
}

void RunContext::logFailures()
{
    for (const FailedPath& failed : failures_) {
        log({crlf, failed.path, ": ", reasonText(failed.failure)});
    }
}

std::string reasonText(const Failure& failure)
{
    const InterfaceStrings& strings = Language();
    switch (failure.reason) {
    case Reason::NotFound:
        return strings.strNotFound;
    case Reason::Unreadable:
        return strings.strUnreadable;
    case Reason::DriveFull:
        return strings.strDriveFull;
    case Reason::TooLarge:
        return strings.strTooLarge;
    case Reason::NameRefused:
        return strings.strNameRefused;
    case Reason::ReadOnly:
        return strings.strReadOnly;
    case Reason::DriveGone:
        return strings.strDriveGone;
    case Reason::NameTaken:
        return strings.strNameTaken;
    case Reason::FolderNotFull:
        return strings.strFolderNotFull;
    case Reason::FolderMissing:
        return strings.strFolderMissing;
    case Reason::LineCutShort:
        return strings.strLineCutShort;
    case Reason::NotTaken:
        return strings.strNotTaken;
    case Reason::System:
        break;
    }
    return systemMessage(failure.code);
}

bool isAbsoluteFolder(const std::string& folder)
{
    return !holdsNul(folder) && fsPath(folder).is_absolute();
}

} // namespace tunecrate
