#pragma once

#include "drive/DriveFiles.h"
#include "drive/Flush.h"
#include "files/Failure.h"
#include "folder/FolderRecord.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunecrate {

// The records of the folders that the runs under way write into, shared by a
// run and the runs started while it waits, as their names are.
//
// A folder's record is read when a name there is first looked at, and read
// again when this process takes the folder's lock, so that every decision
// made under the lock rests on the record as it stands then. It is trusted
// only as far as the files confirm it: a damaged one counts as none, and a
// copy it lists counts only while its file passes isOurCopy. Each run notes
// what it copied and, when it ends, writes that into the record as the drive
// holds it by then, so that a run that ended meanwhile loses nothing. While a
// run writes into a folder whose record is kept, it holds the folder's lock
// (platform::FolderLock); the runs started while it waits share it.
class RecordedFolders {
public:
    // What a folder's record says of a name for a source.
    enum class Claim {
        None,  // nothing: the usual rules decide
        Held,  // the source's copy, holding the source as it is now: nothing to copy
        Own,   // the source's copy (isOurCopy): it may be replaced
        Other, // another source's copy, or a file that is not the copy recorded: kept
    };

    // Reads the file at path where the record lists name, to tell which.
    [[nodiscard]] Claim claim(const std::string& folder, std::string_view name,
                              const std::string& path, std::string_view source, bool windowsRules);
    // What the last claim that needed a look saw at its path: nothing where
    // it did not look. A run that leaves the file as it is may take it as
    // the file's stamp.
    [[nodiscard]] std::optional<std::optional<FileStamp>> lastSeen(const std::string& path) const;
    // Folder's record as read, and as the run's renames changed it; nothing
    // where it has none.
    [[nodiscard]] FolderRecord* record(const std::string& folder, bool windowsRules);
    // The name folder's record gives source's copy, where there is one.
    [[nodiscard]] std::optional<std::string>
    recordedName(const std::string& folder, std::string_view source, bool windowsRules);
    // Whether folder held a record when it was first looked at.
    [[nodiscard]] bool recorded(const std::string& folder, bool windowsRules);

    // Takes folder's lock for a run, or counts one more run on the lock its
    // process holds. false when another process holds it. The first run of
    // this process to take it reads the record again.
    [[nodiscard]] bool lock(const std::string& folder);
    void unlock(const std::string& folder);

private:
    struct Folder {
        bool read = false;
        std::optional<FolderRecord> record; // as read
        std::unique_ptr<platform::FolderLock> lock;
        int runs = 0; // holding the lock
    };
    Folder& folder(const std::string& folder, bool windowsRules);

    std::map<std::string, Folder> folders_;
    std::string lastLooked_;
    std::optional<FileStamp> lastSeen_;
};

// What one run put into the folders whose records it keeps: those that held
// one when it began, and with a playlist written beside the copies every
// folder it writes into.
class RecordedRun {
public:
    RecordedRun(RecordedFolders& folders, bool recordsEveryFolder, std::string playlist);
    ~RecordedRun();
    RecordedRun(const RecordedRun&) = delete;
    RecordedRun& operator=(const RecordedRun&) = delete;

    // How a run waits for a folder another process's run is writing into.
    struct Waiting {
        std::function<void()> started;     // once, when the wait begins
        std::function<bool()> keepWaiting; // between tries: false gives up
    };
    // Ready to write into folder: where its record is kept, its lock is held,
    // waited for while another process holds it. False when the wait was
    // given up.
    [[nodiscard]] bool readyToWrite(const std::string& folder, bool windowsRules,
                                    const Waiting& waiting);
    // After source's copy arrived as name in folder: copied, or held already
    // (then the file is as the run's look at it saw it).
    void arrived(const std::string& folder, std::string name, std::string source,
                 const std::string& destination, bool copied);
    // Writes each kept record as the drive holds it now, with what this run
    // put there; the folders it wrote into. failed: the records that could
    // not be written, and why.
    [[nodiscard]] std::vector<std::string> write(const platform::WhileWaiting& whileWaiting,
                                                 std::vector<FailedPath>& failed);

private:
    struct Kept {
        bool windowsRules = false;
        std::vector<RecordedCopy> arrived;
    };

    RecordedFolders& folders_;
    bool recordsEveryFolder_;
    std::string playlist_;
    std::map<std::string, std::optional<Kept>> kept_; // folder -> kept or not
};

// The record file in folder; nothing where it is missing or damaged.
[[nodiscard]] std::optional<FolderRecord> readRecord(const std::string& folder, bool windowsRules);
// Writes record as folder's record file, hidden; with flushFirst on the drive
// before it takes its name. A failure says why it could not be written.
Outcome writeRecord(const std::string& folder, const FolderRecord& record, bool flushFirst,
                    const platform::WhileWaiting& whileWaiting);
// The path of folder's record file.
[[nodiscard]] std::string recordPath(const std::string& folder);

} // namespace tunecrate
