#include "run/DroppedCopies.h"

#include "Language.h"
#include "drive/DriveFiles.h"
#include "files/PlatformFiles.h"

#include <optional>
#include <vector>

namespace tunecrate {

void removeDroppedCopies(RunContext& run, const std::string& folder)
{
    if (!isAbsoluteFolder(folder)) {
        return;
    }
    const bool rules = run.drives.of(folder).windowsRules;
    if (!run.waitForFolder(folder, rules)) {
        return;
    }
    const FolderRecord* record = run.records.record(folder, rules);
    if (record == nullptr) {
        return;
    }
    const std::vector<RecordedCopy> dropped = droppedCopies(*record, folder, run.order, rules);
    if (dropped.empty()) {
        return;
    }
    std::vector<std::string> names;
    for (const RecordedCopy& copy : dropped) {
        names.push_back(copy.name);
    }
    std::string question = Language().strRemoveQuestion;
    question.replace(question.find("%1"), 2, std::to_string(dropped.size()));
    if (!run.window.confirmRemoval(question, names)) {
        return;
    }
    const std::optional<FolderRecord> onDrive = readRecord(folder, rules);
    for (const RecordedCopy& copy : dropped) {
        const std::string path = utf8Text(fsPath(folder) / fsPath(copy.name));
        if (onDrive && stillRecorded(*onDrive, folder, copy, &run.sources, rules) &&
            platform::removeCopy(path)) {
            run.writtenFolders.wrote(folder);
            run.log({crlf, Language().strRemoved, path});
        }
    }
}

} // namespace tunecrate
