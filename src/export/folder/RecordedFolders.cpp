#include "folder/RecordedFolders.h"

#include "drive/FileOps.h"
#include "drive/Flush.h"
#include "files/PlatformFiles.h"
#include "folder/Steps.h"

#include <chrono>
#include <fstream>
#include <set>
#include <thread>

namespace tunecrate {

namespace {

// The record file named name in folder, as it reads.
std::optional<FolderRecord> readRecordFile(const std::string& folder, std::string_view name,
                                           bool windowsRules)
{
    // A record of a million copies takes some 300 MB; a larger file is none.
    constexpr std::uintmax_t largest = 512 * 1024 * 1024;
    const std::filesystem::path path = fsPath(folder) / fsPath(name);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    std::ifstream file(path, std::ios::binary);
    if (error || size > largest || !file) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!file.read(text.data(), static_cast<std::streamsize>(size))) {
        return std::nullopt;
    }
    return FolderRecord::parse(text, windowsRules);
}

} // namespace

std::optional<FolderRecord> readRecord(const std::string& folder, bool windowsRules)
{
    std::optional<FolderRecord> record = readRecordFile(folder, recordFileName, windowsRules);
    std::optional<FolderRecord> turn = readRecordFile(folder, turnFileName, windowsRules);
    if (turn && (!record || turn->generation > record->generation)) {
        return turn;
    }
    return record;
}

Outcome writeRecord(const std::string& folder, const FolderRecord& record, bool flushFirst,
                    const platform::WhileWaiting& whileWaiting)
{
    std::string_view name = recordFileName;
    std::string text = record.text();
    // Where nothing can be renamed, the record goes to the file that does not
    // hold the newest one, a generation higher.
    if (platform::writesStraight(folder)) {
        const std::optional<FolderRecord> first =
            readRecordFile(folder, recordFileName, record.windowsRules());
        const std::optional<FolderRecord> second =
            readRecordFile(folder, turnFileName, record.windowsRules());
        const std::uint64_t newest =
            std::max(first ? first->generation : 0, second ? second->generation : 0);
        name = first && first->generation == newest ? turnFileName : recordFileName;
        FolderRecord next = record;
        next.generation = newest + 1;
        text = next.text();
    }
    const std::filesystem::path file = fsPath(folder) / fsPath(name);
    if (Outcome written = platform::writeWholeFile(file, text, flushFirst, whileWaiting);
        !written) {
        return written;
    }
    platform::hideFile(file);
    reached(Step::RecordWritten);
    return {};
}

std::string recordPath(const std::string& folder)
{
    return utf8Text(fsPath(folder) / fsPath(recordFileName));
}

RecordedFolders::Folder& RecordedFolders::folder(const std::string& folder, bool windowsRules)
{
    Folder& found = folders_[folder];
    if (!found.read) {
        found.record = readRecord(folder, windowsRules);
        found.read = true;
        if (found.runs > 0) {
            reached(Step::RecordRead);
        }
    }
    return found;
}

RecordedFolders::Claim RecordedFolders::claim(const std::string& folder, std::string_view name,
                                              const std::string& path, std::string_view source,
                                              bool windowsRules)
{
    lastLooked_.clear();
    const std::optional<FolderRecord>& record = this->folder(folder, windowsRules).record;
    const RecordedCopy* copy = record ? record->find(name) : nullptr;
    if (copy == nullptr) {
        return Claim::None;
    }
    const std::optional<FileStamp> found = platform::fileStamp(path);
    lastLooked_ = path;
    lastSeen_ = found;
    if (!found) {
        return Claim::None; // gone: the name is free
    }
    if (platform::comparablePath(copy->source) != platform::comparablePath(source)) {
        return Claim::Other;
    }
    // Where the drive kept the source's time on the copy, an unchanged copy of
    // an unchanged source needs no print: it is kept as it is.
    const bool timesKept =
        platform::copyTimesMatch(copy->copyStamp.time, copy->sourceStamp.time, windowsRules);
    if (timesKept && stillTheCopy(*copy, found, windowsRules) &&
        heldCopySize(std::string(source), path, windowsRules)) {
        return Claim::Held;
    }
    // Where the drive did not keep the source's time on the copy (a phone
    // stamps the upload's), the copy's time tells nothing of its source. The
    // copy as noted after it was written, by size and time, of a source that
    // still has the size and time noted for it and the print noted for the
    // copy, is held, without a read of the drive.
    if (!timesKept && copy->copyHash && found->size == copy->copyStamp.size &&
        platform::copyTimesMatch(found->time, copy->copyStamp.time, windowsRules) &&
        platform::fileStamp(std::string(source), true) == copy->sourceStamp) {
        const std::optional<CopyPrint> print = copyPrint(std::string(source), true);
        if (print && print->size == copy->copyStamp.size && print->hash == *copy->copyHash) {
            return Claim::Held;
        }
    }
    // A run killed while it wrote the source straight under this name (on a
    // drive that cannot rename) left the first part of it.
    return isOurCopy(*copy, path) || isStartOf(path, std::string(source)) ? Claim::Own
                                                                          : Claim::Other;
}

std::optional<std::string> RecordedFolders::recordedName(const std::string& folder,
                                                         std::string_view source, bool windowsRules)
{
    const std::optional<FolderRecord>& record = this->folder(folder, windowsRules).record;
    const RecordedCopy* copy = record ? record->findSource(source) : nullptr;
    return copy != nullptr ? std::optional(copy->name) : std::nullopt;
}

std::optional<std::optional<FileStamp>> RecordedFolders::lastSeen(const std::string& path) const
{
    if (path != lastLooked_) {
        return std::nullopt;
    }
    return lastSeen_;
}

FolderRecord* RecordedFolders::record(const std::string& folder, bool windowsRules)
{
    std::optional<FolderRecord>& record = this->folder(folder, windowsRules).record;
    return record ? &*record : nullptr;
}

bool RecordedFolders::recorded(const std::string& folder, bool windowsRules)
{
    return this->folder(folder, windowsRules).record.has_value();
}

bool RecordedFolders::lock(const std::string& folder)
{
    Folder& locked = folders_[folder];
    if (locked.runs == 0) {
        auto lock = std::make_unique<platform::FolderLock>();
        if (!lock->tryTake(folder)) {
            return false;
        }
        locked.lock = std::move(lock);
        locked.read = false; // another process may have written it meanwhile
    }
    ++locked.runs;
    return true;
}

void RecordedFolders::unlock(const std::string& folder)
{
    Folder& locked = folders_[folder];
    if (locked.runs > 0 && --locked.runs == 0) {
        locked.lock.reset();
    }
}

RecordedRun::RecordedRun(RecordedFolders& folders, bool recordsEveryFolder, std::string playlist)
    : folders_(folders), recordsEveryFolder_(recordsEveryFolder), playlist_(std::move(playlist))
{}

RecordedRun::~RecordedRun()
{
    for (const auto& [folder, kept] : kept_) {
        if (kept) {
            folders_.unlock(folder);
        }
    }
}

bool RecordedRun::readyToWrite(const std::string& folder, bool windowsRules, const Waiting& waiting)
{
    if (kept_.contains(folder)) {
        return true;
    }
    if (!recordsEveryFolder_ && !folders_.recorded(folder, windowsRules)) {
        kept_.emplace(folder, std::nullopt);
        return true;
    }
    for (bool waited = false; !folders_.lock(folder); waited = true) {
        if (!waited && waiting.started) {
            waiting.started();
        }
        if (waiting.keepWaiting && !waiting.keepWaiting()) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(platform::waitingIntervalMs));
    }
    kept_.emplace(folder, Kept{.windowsRules = windowsRules, .arrived = {}});
    return true;
}

void RecordedRun::arrived(const std::string& folder, std::string name, std::string source,
                          const std::string& destination, bool copied)
{
    const auto kept = kept_.find(folder);
    if (kept == kept_.end() || !kept->second) {
        return;
    }
    // A copy found there already, and recorded from this source, keeps what
    // the record says of its source.
    const FolderRecord* record =
        copied ? nullptr : folders_.record(folder, kept->second->windowsRules);
    const RecordedCopy* found = record != nullptr ? record->find(name) : nullptr;
    const RecordedCopy* known = found != nullptr && platform::comparablePath(found->source) ==
                                                        platform::comparablePath(source)
                                    ? found
                                    : nullptr;
    const std::optional<FileStamp> sourceStamp =
        known != nullptr ? known->sourceStamp : platform::fileStamp(source, true);
    const std::optional<std::optional<FileStamp>> seen =
        copied ? std::nullopt : folders_.lastSeen(destination);
    const std::optional<FileStamp> copyStamp = seen ? *seen : platform::fileStamp(destination);
    // A copy held already keeps the print its record notes; any other is
    // printed as it now is on the drive.
    const bool printed = known != nullptr && known->copyHash;
    const std::optional<CopyPrint> print =
        printed ? std::optional(CopyPrint{known->copyStamp.size, *known->copyHash})
                : copyPrint(destination);
    if (sourceStamp && copyStamp && print && print->size == copyStamp->size) {
        kept->second->arrived.push_back({.name = std::move(name),
                                         .source = std::move(source),
                                         .sourceStamp = *sourceStamp,
                                         .copyStamp = *copyStamp,
                                         .copyHash = print->hash,
                                         .playlists = {playlist_},
                                         .renamedTo = {},
                                         .through = {}});
    }
}

std::vector<std::string> RecordedRun::write(const platform::WhileWaiting& whileWaiting,
                                            std::vector<FailedPath>& failed)
{
    std::vector<std::string> written;
    for (auto& [folder, kept] : kept_) {
        if (!kept) {
            continue;
        }
        // Read again: a run that ended meanwhile may have written it.
        const std::optional<FolderRecord> onDrive = readRecord(folder, kept->windowsRules);
        FolderRecord record = onDrive.value_or(FolderRecord(kept->windowsRules));
        std::set<std::string> arrived;
        for (RecordedCopy& copy : kept->arrived) {
            arrived.insert(copy.name);
            record.put(std::move(copy));
        }
        kept->arrived.clear();
        // What is gone from the folder is dropped; what just arrived is
        // there. A copy being renamed is where its rename left it.
        for (const RecordedCopy* copy : record.copies()) {
            const std::string& name = copy->renamedTo.empty() ? copy->name : copy->through;
            if (!arrived.contains(copy->name) &&
                !platform::fileStamp(utf8Text(fsPath(folder) / fsPath(name)))) {
                record.drop(std::string(copy->name));
            }
        }
        if (onDrive && onDrive->text() == record.text()) {
            continue; // nothing changed
        }
        if (const Outcome outcome =
                writeRecord(folder, record, platform::flushesEachCopy(folder, kept->windowsRules),
                            whileWaiting)) {
            written.push_back(folder);
        } else {
            failed.push_back({recordPath(folder), outcome.failure()});
        }
    }
    return written;
}

} // namespace tunecrate
