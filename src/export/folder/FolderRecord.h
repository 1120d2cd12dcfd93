#pragma once

#include "drive/Copy.h"
#include "drive/DriveFiles.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunecrate {

// What Tunecrate put into one folder, kept there in a small hidden file
// (recordFileName) so that later runs know which files are its copies and of
// what. The file is JSON:
//
//   {"tunecrate folder record": 1,
//    "copies": [{"name": "a.mp3", "source": "/music/a.mp3",
//                "source size": 4000000, "source time": 1733650000000000000,
//                "copy size": 4000000, "copy time": 1733650000000000000,
//                "copy hash": "8c2f0e5b1a9d3c47",
//                "playlists": ["/music/party.m3u"]}]}
//
// "copy hash" is the copy's print as written (copyPrint); records of older
// versions lack it.
//
// On a drive that cannot rename (a phone), the record is written in turn to
// two files, recordFileName and turnFileName, each with a "generation" one
// higher than the last: the one of the higher generation that reads whole
// counts, so that a run killed while it writes one loses nothing.
//
// A copy being renamed also has "renamed to", its new name, and "through",
// the name it takes on the way (renameTemporaryPrefix and a number); a run
// that finds them finishes the rename.
//
// Times are nanoseconds since 1970 (UTC). Names and paths are
// percent-encoded: every byte outside printable ASCII, and "%" itself, as
// "%XX", so that names that are not UTF-8 come back as they were.
inline constexpr std::string_view recordFileName = ".tunecrate.json";
inline constexpr std::string_view turnFileName = ".tunecrate.2.json";
inline constexpr std::string_view renameTemporaryPrefix = ".tunecrate-renamed-";

using platform::FileStamp;

struct RecordedCopy {
    std::string name; // as written in the folder
    std::string source;
    FileStamp sourceStamp;
    FileStamp copyStamp;
    std::optional<std::uint64_t> copyHash; // its print's hash, as written
    std::vector<std::string> playlists;    // the playlists it was exported for
    std::string renamedTo;                 // while it is being renamed
    std::string through;                   // the name it has meanwhile

    friend bool operator==(const RecordedCopy&, const RecordedCopy&) = default;
};

// A folder's record; names compared as the folder's drive compares them
// (windowsRules: without regard to case).
class FolderRecord {
public:
    explicit FolderRecord(bool windowsRules) : windowsRules_(windowsRules) {}
    [[nodiscard]] bool windowsRules() const { return windowsRules_; }

    // Nothing where the text is not a record this program wrote: a damaged
    // record is no record.
    [[nodiscard]] static std::optional<FolderRecord> parse(std::string_view text,
                                                           bool windowsRules);
    [[nodiscard]] std::string text() const;

    [[nodiscard]] const RecordedCopy* find(std::string_view name) const;
    // A copy of source, compared as paths are (platform::comparablePath).
    [[nodiscard]] const RecordedCopy* findSource(std::string_view source) const;
    // Records copy, in place of what was recorded under its name; the
    // playlists recorded for it before stay where the source is the same.
    void put(RecordedCopy copy);
    void drop(std::string_view name);

    [[nodiscard]] std::vector<const RecordedCopy*> copies() const;

    // Where it is written in turn to two files: how many times before.
    std::uint64_t generation = 0;

private:
    [[nodiscard]] std::string key(std::string_view name) const;

    bool windowsRules_;
    std::map<std::string, RecordedCopy> copies_;      // by name, as compared
    std::map<std::string, std::string> nameOfSource_; // source -> name, both as compared
};

// Whether the file found at a recorded copy's name still looks like that
// copy, as the drive stamps it: the same size, and a time that matches the
// copy's or its source's as a held copy's does (platform::copyTimesMatch: a
// Windows-rule drive's times move by an hour with summer time). Enough to
// skip work, never to change a file.
[[nodiscard]] bool stillTheCopy(const RecordedCopy& copy, const std::optional<FileStamp>& found,
                                bool windowsRules);

// What a file's content is known by: its size and a hash (64-bit FNV-1a) of
// its first and last 64 KiB, all of it when smaller. Nothing where path is no
// regular file (a symbolic link followed only with followLinks) or cannot be
// read.
struct CopyPrint {
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
};
[[nodiscard]] std::optional<CopyPrint> copyPrint(const std::string& path, bool followLinks = false);

// Whether the file at path is the copy the record notes, by what it holds:
// the noted size and print; for an entry without a print (an older record),
// the noted size and the same first and last 64 KiB as its source, while the
// source still has the size and time noted for it. A rename, a removal or a
// replacement of a recorded copy asks this first, whatever the times say.
[[nodiscard]] bool isOurCopy(const RecordedCopy& copy, const std::string& path);

// Whether the file at path is shorter than source and holds what source's
// first bytes hold: what a copy written straight under its name, where
// nothing can be renamed, leaves when its run is killed.
[[nodiscard]] bool isStartOf(const std::string& path, const std::string& source);

} // namespace tunecrate
