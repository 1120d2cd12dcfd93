#pragma once

// What the drive that holds a target folder asks of the names written there.
// drive_linux.cpp and drive_win32.cpp implement it, one chosen in CMake.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tunecrate {

// True when folder lies on a drive that follows Windows' rules: FAT12/16/32,
// exFAT or NTFS, in the kernel or through FUSE, and every folder on Windows.
// Such a drive compares names without regard to case, refuses some characters
// in them, and has no journal to fall back on when it is pulled out. Where the
// drive cannot be told (a FUSE driver that does not say what it is), a name
// Windows refuses is tried there once; where even that fails, the drive is
// taken to follow Windows' rules, the side on which nothing is lost.
[[nodiscard]] bool followsWindowsRules(const std::string& folder);

// What else the drive that holds folder says of itself.
struct DriveKind {
    // Whether a file keeps its number (platform::fileId) for as long as it
    // exists: not on FAT or exFAT, whose numbers follow a file's place, nor
    // through FUSE, whose drivers number as they like.
    bool keepsFileNumbers = false;
    // The largest file it can hold: 4 GiB less a byte on FAT; nothing where it
    // sets no limit a song could reach.
    std::optional<std::uint64_t> largestFile;
};
[[nodiscard]] DriveKind driveKind(const std::string& folder);

// The largest file FAT holds.
inline constexpr std::uint64_t largestFatFile = 0xFFFF'FFFFULL;

// Of a Linux mount's type as /proc/self/mountinfo gives it ("vfat",
// "fuse.fusefat", "fuseblk", ...): true for the Windows-rule file systems,
// false for those that keep names as they are, nothing for a FUSE driver whose
// type does not tell. exfat-fuse and ntfs-3g show as "fuseblk".
[[nodiscard]] std::optional<bool> windowsRulesOfMountType(std::string_view type);

// The type of the mount that holds path (absolute, its links resolved), read
// from the text of /proc/self/mountinfo: the last-mounted of the longest mount
// points that path lies under. Empty when none does.
[[nodiscard]] std::string mountTypeOf(std::string_view mountinfo, std::string_view path);

} // namespace tunecrate
