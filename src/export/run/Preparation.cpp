#include "run/Preparation.h"

#include "Language.h"
#include "files/PlatformFiles.h"
#include "folder/Steps.h"
#include "run/RoomCheck.h"

#include <optional>
#include <vector>

namespace tunecrate {

bool Preparation::prepare(const std::string& playlistPath, PlaylistMode mode,
                          const std::filesystem::path& playlistFolder)
{
    prepared_ = true;
    const std::string folder = run_.window.pathTo();
    const bool absolute = isAbsoluteFolder(folder);
    if (!absolute && !run_.options.numbered) {
        return true;
    }
    const DriveOfFolder::Facts* drive = absolute ? &run_.drives.of(folder) : nullptr;
    const bool rules = drive != nullptr && drive->windowsRules;
    // Every decision that rests on the record is made under the lock.
    if (absolute && !run_.waitForFolder(folder, rules)) {
        return false;
    }
    FolderRecord* record = absolute ? run_.records.record(folder, rules) : nullptr;
    PlayOrder& order = run_.order;
    order = {.playlist = playlistPath,
             .places = {},
             .entries = 0,
             .numbered = run_.options.numbered,
             .sources = &run_.sources};
    const std::optional<Room> room = countRoom(
        playlistPath, mode, playlistFolder, folder, rules, record, run_.options.numbered,
        drive != nullptr ? drive->largestFile : std::nullopt,
        [this, record, &order](int number, const std::string& source) {
            run_.sources.add(source);
            // Where the record lists the playlist's sources, for renames and removals.
            if (record != nullptr && record->findSource(source) != nullptr) {
                const auto [place, added] =
                    order.places.try_emplace(platform::comparablePath(source), number);
                place->second = added ? number : 0;
            }
        },
        [this] { return run_.keepGoing(); });
    if (!room) {
        return true; // stopped: the walk's next line ends the run
    }
    order.entries = room->entries;
    if (absolute && room->free && room->needed > *room->free) {
        const std::string question = roomSentence(*room);
        const std::optional<bool> answer = run_.window.copyWhatFits(question);
        if (!answer.value_or(false)) {
            // Ctrl+C at the question is a cancel; nobody to ask is no cancel.
            run_.summary.cancelled = run_.window.cancelRequested();
            run_.log({crlf, question, crlf,
                      answer ? Language().strCanceled : Language().strNothingCopied});
            run_.summary.refused = true;
            return false;
        }
    }
    folder_ = folder;
    if (record != nullptr && !run_.nested) {
        putInOrder(folder, rules, *record);
    }
    return true;
}

// Finishes the renames a run that stopped midway left, then renames the
// copies whose places in the playlist changed.
void Preparation::putInOrder(const std::string& folder, bool windowsRules, FolderRecord& record)
{
    const platform::WhileWaiting whileWaiting = [this] {
        run_.window.processEvents();
    };
    const bool flushFirst = run_.drives.of(folder).flushesEachCopy;
    const auto noteFailure = [this, &folder](const Outcome& written) {
        if (!written) {
            run_.writtenFolders.recordFailed({recordPath(folder), written.failure()});
        }
    };
    reached(Step::Renaming);
    if (finishRenames(folder, record, &run_.sources, windowsRules, whileWaiting)) {
        noteFailure(writeRecord(folder, record, flushFirst, whileWaiting));
    }
    const std::vector<Rename> renames = plannedRenames(record, folder, run_.order, windowsRules);
    noteFailure(renameCopies(folder, record, renames, &run_.sources, windowsRules, flushFirst,
                             whileWaiting));
    if (!renames.empty()) {
        run_.writtenFolders.wrote(folder);
    }
}

} // namespace tunecrate
