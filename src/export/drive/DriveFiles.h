#pragma once

// The drive's file calls beside the copy: what a file or the drive is now,
// renames and removals that replace nothing, the hidden mark and the folder's
// lock. copy_linux.cpp and copy_win32.cpp implement them, one chosen in CMake.

#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tunecrate::platform {

// entrySize, called for every entry, takes a path as the core's UTF-8 text,
// without NUL bytes.

// The size of the file that path reaches now, a symbolic link itself rather
// than its target; nothing when no file is there.
[[nodiscard]] std::optional<std::uint64_t> entrySize(const std::string& path);

// A file's size and modification time, in nanoseconds since 1970 (UTC).
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t time = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the regular file at path, a symbolic link followed only with
// followLinks; nothing for anything else.
[[nodiscard]] std::optional<FileStamp> fileStamp(const std::string& path, bool followLinks = false);

// A file's identity, the drive's and the file's number, where the drive
// keeps file numbers (DriveKind); links followed. Nothing where no file is.
struct FileId {
    std::uint64_t drive = 0;
    std::uint64_t number = 0;

    friend auto operator<=>(const FileId&, const FileId&) = default;
};
[[nodiscard]] std::optional<FileId> fileId(const std::string& path);

// The room on the drive that holds folder: what a program may still write
// there, and the drive's unit of allocation, as the system reports them.
struct DriveRoom {
    std::uint64_t free = 0;
    std::uint64_t cluster = 0;
    bool throughFuse = false;
};
[[nodiscard]] std::optional<DriveRoom> driveRoom(const std::string& folder);

// Gives a copy in a folder another name there, never taking one that a file
// already has (Taken then); the rename is on the drive when it returns.
// Refused where the drive cannot rename at all (a phone: writesStraight from
// then on).
enum class Renamed { Done, Taken, Failed, Refused };
[[nodiscard]] Renamed renameCopy(const std::string& from, const std::string& to);

// Sets the modification time of the file at path (nanoseconds since 1970,
// UTC): a driver may stamp a rename's time on the file.
bool setModifiedTime(const std::string& path, std::int64_t time);

// Removes a copy at path, one that took over its source's read-only mark too.
[[nodiscard]] bool removeCopy(const std::string& path);

// Gives file the hidden mark where its drive keeps one and the system lets it
// be set (Windows; FAT in the Linux kernel). A hint: nothing fails without.
void hideFile(const std::filesystem::path& file);

// A lock on a folder that the runs of every process on this machine respect,
// held until it is destroyed.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock without waiting: false while another process holds it.
    // Where the folder offers no lock at all, it counts as taken.
    [[nodiscard]] bool tryTake(const std::string& folder);

private:
    std::intptr_t handle_ = -1;
};

// Whether copies and files written into folder go straight under their final
// names: once its drive refused a rename (a phone over MTP), for as long as
// the program runs. Never on Windows.
[[nodiscard]] bool writesStraight(const std::string& folder);

// How lines end in a text file written for this system's players.
inline constexpr std::string_view textLineBreak =
    std::filesystem::path::preferred_separator == '\\' ? "\r\n" : "\n";

} // namespace tunecrate::platform
