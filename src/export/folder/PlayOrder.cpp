#include "folder/PlayOrder.h"

#include "drive/Copy.h"
#include "drive/DriveFiles.h"
#include "drive/DriveNames.h"
#include "files/Paths.h"
#include "files/PlatformFiles.h"
#include "files/Utf8.h"
#include "folder/FolderListings.h"
#include "folder/RecordedFolders.h"
#include "folder/Steps.h"

#include <algorithm>
#include <set>

namespace tunecrate {
namespace {

// As many numbers as the same-name rule tries for one name.
constexpr int mostNumbers = 10000;

std::string pathIn(const std::string& folder, std::string_view name)
{
    return utf8Text(fsPath(folder) / fsPath(std::string(name)));
}

std::string compared(std::string_view name, bool windowsRules)
{
    return windowsRules ? upperCased(name) : std::string(name);
}

bool onlyFor(const RecordedCopy& copy, const std::string& playlist)
{
    return copy.playlists.size() == 1 &&
           platform::comparablePath(copy.playlists.front()) == platform::comparablePath(playlist);
}

// The copy after its file took the name at path: its time put back, which
// a driver may have set to the rename's (fusefat does).
RecordedCopy movedTo(RecordedCopy copy, const std::string& path)
{
    (void)platform::setModifiedTime(path, copy.copyStamp.time);
    copy.name = utf8Text(fsPath(path).filename());
    copy.copyStamp = platform::fileStamp(path).value_or(copy.copyStamp);
    copy.renamedTo.clear();
    copy.through.clear();
    return copy;
}

} // namespace

std::string numberedName(std::string_view bareName, int number, int entries)
{
    std::string digits = std::to_string(number);
    const std::size_t width = std::max<std::size_t>(3, std::to_string(entries).size());
    if (digits.size() < width) {
        digits.insert(0, width - digits.size(), '0');
    }
    return digits + " - " + std::string(bareName);
}

bool isOurs(const RecordedCopy& copy, const std::string& folder, const std::string& path,
            PlaylistSources* sources, bool windowsRules)
{
    if (sources != nullptr && (sources->holds(folder, path, windowsRules) ||
                               sources->isSource(folder, path, copy.source, windowsRules))) {
        return false;
    }
    return isOurCopy(copy, path);
}

std::vector<Rename> plannedRenames(const FolderRecord& record, const std::string& folder,
                                   const PlayOrder& order, bool windowsRules)
{
    std::vector<const RecordedCopy*> own;
    std::unordered_map<std::string, int> copiesOfSource;
    for (const RecordedCopy* copy : record.copies()) {
        if (onlyFor(*copy, order.playlist) && copy->renamedTo.empty()) {
            own.push_back(copy);
            ++copiesOfSource[platform::comparablePath(copy->source)];
        }
    }
    std::vector<Rename> renames;
    for (const RecordedCopy* copy : own) {
        const std::string source = platform::comparablePath(copy->source);
        const auto place = order.places.find(source);
        if (place == order.places.end() || place->second == 0 || copiesOfSource[source] > 1) {
            continue;
        }
        const std::string_view bare = bareName(copy->source);
        const std::string safeName = driveSafeName(
            order.numbered ? numberedName(bare, place->second, order.entries) : std::string(bare),
            windowsRules);
        if (numberOnDrive(copy->name, safeName, windowsRules) == 0 &&
            isOurs(*copy, folder, pathIn(folder, copy->name), order.sources, windowsRules)) {
            renames.push_back({copy->name, nameOnDrive(safeName, 1, windowsRules)});
        }
    }
    return renames;
}

namespace {

// Where the drive cannot rename (a phone), a copy to be renamed is removed
// instead; the record forgets it only once it is gone.
bool removeInsteadOfRename(const std::string& folder, FolderRecord& record,
                           const RecordedCopy& copy)
{
    if (!platform::removeCopy(pathIn(folder, copy.name))) {
        return false;
    }
    reached(Step::Renamed);
    record.drop(copy.name);
    return true;
}

// ... and its song is written anew under its new name, or the next free
// " (n)" where another file has that name, as a rename would have taken it.
void writeUnderNewName(const std::string& folder, FolderRecord& record, RecordedCopy copy,
                       bool windowsRules, const platform::WhileWaiting& whileWaiting)
{
    for (int number = 1; number <= mostNumbers; ++number) {
        const std::string path = pathIn(folder, nameOnDrive(copy.renamedTo, number, windowsRules));
        const Outcome written = platform::copyFile(
            copy.source, path, [&whileWaiting](std::uint64_t, std::uint64_t) { whileWaiting(); },
            platform::KnownDestination::Absent, false);
        if (written) {
            reached(Step::Renamed);
            const std::optional<CopyPrint> print = copyPrint(path);
            copy.sourceStamp = platform::fileStamp(copy.source, true).value_or(copy.sourceStamp);
            copy.copyHash = print ? std::optional(print->hash) : std::nullopt;
            copy.name = utf8Text(fsPath(path).filename());
            copy.copyStamp = platform::fileStamp(path).value_or(copy.copyStamp);
            copy.renamedTo.clear();
            copy.through.clear();
            record.put(std::move(copy));
            return;
        }
        if (written.failure().reason != Reason::NameTaken) {
            return; // the run's copy of the song writes it
        }
    }
}

} // namespace

Outcome renameCopies(const std::string& folder, FolderRecord& record,
                     const std::vector<Rename>& renames, PlaylistSources* sources,
                     bool windowsRules, bool flushFirst, const platform::WhileWaiting& whileWaiting)
{
    std::vector<RecordedCopy> marked;
    int counter = 0;
    std::set<std::string> names; // in the folder, as compared
    if (!renames.empty()) {
        for (const std::string& name : SystemFileLookup().names(folder)) {
            names.insert(compared(name, windowsRules));
        }
    }
    for (const Rename& rename : renames) {
        if (const RecordedCopy* copy = record.find(rename.from)) {
            RecordedCopy renamed = *copy;
            renamed.renamedTo = rename.to;
            do {
                renamed.through = std::string(renameTemporaryPrefix) + std::to_string(++counter);
            } while (record.find(renamed.through) != nullptr ||
                     names.contains(compared(renamed.through, windowsRules)));
            record.put(renamed);
            marked.push_back(std::move(renamed));
        }
    }
    if (marked.empty()) {
        return {};
    }
    if (Outcome written = writeRecord(folder, record, flushFirst, whileWaiting); !written) {
        for (RecordedCopy& copy : marked) {
            copy.renamedTo.clear();
            copy.through.clear();
            record.put(std::move(copy));
        }
        return written;
    }
    // A copy moves straight to a new name that no copy being renamed holds
    // now; the others, which a shuffle may have put in cycles of any length,
    // move to their temporaries first. What fails to move stays where it
    // is, as finishing the renames finds.
    std::set<std::string> leaving;
    for (const RecordedCopy& copy : marked) {
        leaving.insert(compared(copy.name, windowsRules));
    }
    std::vector<RecordedCopy> refused; // where the drive cannot rename
    for (RecordedCopy& copy : marked) {
        whileWaiting();
        const std::string from = pathIn(folder, copy.name);
        platform::Renamed renamed = platform::Renamed::Failed;
        if (!leaving.contains(compared(copy.renamedTo, windowsRules))) {
            const std::string to = pathIn(folder, copy.renamedTo);
            renamed = platform::renameCopy(from, to);
            if (renamed == platform::Renamed::Done) {
                reached(Step::Renamed);
                record.drop(copy.name);
                record.put(movedTo(std::move(copy), to));
                continue;
            }
        }
        if (renamed != platform::Renamed::Refused) {
            renamed = platform::renameCopy(from, pathIn(folder, copy.through));
        }
        if (renamed == platform::Renamed::Done) {
            reached(Step::Renamed);
        } else if (renamed == platform::Renamed::Refused) {
            refused.push_back(std::move(copy));
        }
    }
    // All that could not be renamed leave their old names first, since one's
    // new name may be another's old one; then each is written anew.
    std::erase_if(refused, [&](const RecordedCopy& copy) {
        return !removeInsteadOfRename(folder, record, copy);
    });
    for (RecordedCopy& copy : refused) {
        writeUnderNewName(folder, record, std::move(copy), windowsRules, whileWaiting);
    }
    finishRenames(folder, record, sources, windowsRules, whileWaiting);
    return writeRecord(folder, record, flushFirst, whileWaiting);
}

bool finishRenames(const std::string& folder, FolderRecord& record, PlaylistSources* sources,
                   bool windowsRules, const platform::WhileWaiting& whileWaiting)
{
    std::vector<RecordedCopy> moving;
    for (const RecordedCopy* copy : record.copies()) {
        if (!copy->renamedTo.empty()) {
            moving.push_back(*copy);
        }
    }
    // All leave their names first: one may take another's.
    for (const RecordedCopy& copy : moving) {
        record.drop(copy.name);
    }
    // Where each copy is now, by what the files hold: one file is one copy's.
    enum class Place { Through, New, Old, Gone };
    std::vector<Place> places;
    std::set<std::string> found; // names, as compared
    for (const RecordedCopy& copy : moving) {
        Place place = Place::Gone;
        for (const auto& [at, name] :
             {std::pair{Place::Through, &copy.through}, std::pair{Place::New, &copy.renamedTo},
              std::pair{Place::Old, &copy.name}}) {
            if (!found.contains(compared(*name, windowsRules)) &&
                isOurs(copy, folder, pathIn(folder, *name), sources, windowsRules)) {
                found.insert(compared(*name, windowsRules));
                place = at;
                break;
            }
        }
        places.push_back(place);
    }
    // A copy still at its old name goes to its temporary first, since its new
    // name may be another's old one.
    for (std::size_t i = 0; i < moving.size(); ++i) {
        if (places[i] == Place::Old) {
            whileWaiting();
            const RecordedCopy& copy = moving[i];
            const platform::Renamed renamed =
                platform::renameCopy(pathIn(folder, copy.name), pathIn(folder, copy.through));
            if (renamed == platform::Renamed::Done) {
                reached(Step::Renamed);
                places[i] = Place::Through;
            } else if (renamed == platform::Renamed::Refused &&
                       removeInsteadOfRename(folder, record, copy)) {
                places[i] = Place::Gone;
            }
        }
    }
    for (std::size_t i = 0; i < moving.size(); ++i) {
        RecordedCopy& copy = moving[i];
        if (places[i] == Place::Gone) {
            continue;
        }
        if (places[i] == Place::New) {
            const std::string path = pathIn(folder, copy.renamedTo);
            record.put(movedTo(std::move(copy), path));
            continue;
        }
        if (places[i] == Place::Through) {
            whileWaiting();
            const std::string through = pathIn(folder, copy.through);
            for (int number = 1; number <= mostNumbers; ++number) {
                const std::string path =
                    pathIn(folder, nameOnDrive(copy.renamedTo, number, windowsRules));
                const platform::Renamed renamed = platform::renameCopy(through, path);
                if (renamed == platform::Renamed::Failed) {
                    break; // tried again by the next run
                }
                if (renamed == platform::Renamed::Done) {
                    reached(Step::Renamed);
                    copy = movedTo(std::move(copy), path);
                    break;
                }
            }
        }
        // Where it did not move, the next run finds it where it is.
        record.put(std::move(copy));
    }
    return !moving.empty();
}

std::vector<RecordedCopy> droppedCopies(const FolderRecord& record, const std::string& folder,
                                        const PlayOrder& order, bool windowsRules)
{
    std::vector<RecordedCopy> dropped;
    for (const RecordedCopy* copy : record.copies()) {
        if (onlyFor(*copy, order.playlist) && copy->renamedTo.empty() &&
            !order.places.contains(platform::comparablePath(copy->source)) &&
            stillRecorded(record, folder, *copy, order.sources, windowsRules) &&
            platform::sizeOfHeldCopy(copy->source, pathIn(folder, copy->name), windowsRules)) {
            dropped.push_back(*copy);
        }
    }
    return dropped;
}

bool stillRecorded(const FolderRecord& record, const std::string& folder, const RecordedCopy& copy,
                   PlaylistSources* sources, bool windowsRules)
{
    const RecordedCopy* recorded = record.find(copy.name);
    return recorded != nullptr && *recorded == copy &&
           isOurs(copy, folder, pathIn(folder, copy.name), sources, windowsRules);
}

} // namespace tunecrate
