#pragma once

// Why a file could not be read, written or named, from where it failed to
// the log's end. failure_posix.cpp and failure_win32.cpp read the system's
// error codes, one chosen in CMake.

#include <optional>
#include <string>

namespace tunecrate {

// The reasons a user can tell apart and act on; System for every other,
// told in the system's own words.
enum class Reason {
    NotFound,      // the song is not there
    Unreadable,    // the song cannot be read: no permission, or its drive is gone
    DriveFull,     // the target's drive is full
    TooLarge,      // the file is larger than the drive takes (FAT32: 4 GiB)
    NameRefused,   // the drive refused the name
    ReadOnly,      // the drive is read-only or write-protected
    DriveGone,     // the drive was removed or failed
    NameTaken,     // another file took the name during the copy
    FolderNotFull, // the target folder is not a full path
    FolderMissing, // the target folder does not exist
    LineCutShort,  // the playlist's line was longer than the reader takes
    NotTaken,      // the drive did not take the whole file (a phone's upload failed)
    System,
};

struct Failure {
    Reason reason = Reason::System;
    int code = 0; // the system's error code (errno, GetLastError), where there was one

    friend bool operator==(const Failure&, const Failure&) = default;
};

// Which end of a copy an error code came from: reading the song, or writing
// the target's drive. The same code may mean another thing at either end.
enum class Side { Source, Target };

// The reason the system's code gives, at that side.
[[nodiscard]] Failure failureOf(int code, Side side);

// The code the system gave for the call that just failed on this thread:
// errno, or GetLastError.
[[nodiscard]] int lastErrorCode();

// The system's own words for code, as UTF-8 text.
[[nodiscard]] std::string systemMessage(int code);

// What a file call came to: done, or the failure that stopped it.
class [[nodiscard]] Outcome {
public:
    Outcome() = default;
    Outcome(Failure failure) : failure_(failure) {} // NOLINT: a failure is an outcome
    // The failure the system's last error gives, at side.
    [[nodiscard]] static Outcome lastError(Side side) { return failureOf(lastErrorCode(), side); }

    explicit operator bool() const { return !failure_; }
    // Only where it failed.
    [[nodiscard]] const Failure& failure() const { return *failure_; }

private:
    std::optional<Failure> failure_;
};

// A file, folder or record that failed, and why.
struct FailedPath {
    std::string path;
    Failure failure;
};

} // namespace tunecrate
