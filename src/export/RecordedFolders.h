#pragma once

#include "FolderRecord.h"
#include "PlatformCopy.h"

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
// A folder's record is read once, when a name there is first looked at, and
// trusted only as far as the drive confirms it: a damaged one counts as none,
// and a copy it lists counts only while its file matches (stillTheCopy).
// Each run notes what it copied and, when it ends, writes that into the
// record as the drive holds it by then, so that a run that ended meanwhile
// loses nothing. While a run writes into a folder whose record is kept, it
// holds the folder's lock (platform::FolderLock); the runs started while it
// waits share it.
class RecordedFolders {
public:
    // What a folder's record says of a name for a source.
    enum class Claim {
        None,  // nothing: the usual rules decide
        Own,   // the source's copy, still as recorded: it may be replaced
        Other, // another source's copy, or a file no longer as recorded: kept
    };

    using StampLookup = std::function<std::optional<FileStamp>(const std::string& path)>;
    // stamps: how files are looked at; the file system's own when empty.
    explicit RecordedFolders(StampLookup stamps = {}) : stamps_(std::move(stamps)) {}

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
    // process holds. false when another process holds it.
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

    StampLookup stamps_;
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

    // Ready to write into folder: where its record is kept, its lock is held,
    // waited for up to five seconds while another process holds it (letting
    // events through). False when it stayed held.
    [[nodiscard]] bool readyToWrite(const std::string& folder, bool windowsRules,
                                    const platform::WhileWaiting& whileWaiting);
    // After source's copy arrived as name in folder: copied, or held already
    // (then the file is as the run's look at it saw it).
    void arrived(const std::string& folder, std::string name, std::string source,
                 const std::string& destination, bool copied);
    // Writes each kept record as the drive holds it now, with what this run
    // put there; the folders it wrote into. failed: one could not be written.
    [[nodiscard]] std::vector<std::string> write(const platform::WhileWaiting& whileWaiting,
                                                 bool& failed);

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
// before it takes its name. False when it could not be written.
[[nodiscard]] bool writeRecord(const std::string& folder, const FolderRecord& record,
                               bool flushFirst, const platform::WhileWaiting& whileWaiting);

} // namespace tunecrate
