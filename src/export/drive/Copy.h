#pragma once

// How the core copies a file onto a drive, and writes one whole: through a
// temporary that takes its name only once complete. copy_linux.cpp and
// copy_win32.cpp implement it, one chosen in CMake.

#include "drive/Flush.h"
#include "files/Failure.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tunecrate::platform {

// Where the system has no unnamed files, a copy under way is a file in the
// destination's folder whose name starts with temporaryPrefix: the prefix, the
// process id, "-", a counter and ".part".
inline constexpr std::string_view temporaryPrefix = ".tunecrate-";

[[nodiscard]] inline std::string temporaryName(unsigned long process, unsigned counter)
{
    return std::string(temporaryPrefix) + std::to_string(process) + "-" + std::to_string(counter) +
           ".part";
}

// Removes file, a temporary that a copy which never finished may have left
// (its run killed, the stick pulled out). A copy under way keeps its temporary
// locked until it has its final name (POSIX: flock; Windows: open, or held by
// the system copy, without delete sharing), on this machine or another sharing
// the folder; only a regular file that can be locked is removed, and whatever
// cannot be judged stays.
void removeAbandonedTemporary(const std::filesystem::path& file);

// copyFile and sizeOfHeldCopy, called for every entry, take paths as the
// core's UTF-8 text, without NUL bytes: POSIX hands them to the system as they
// are, with no path object built on the way.

// What the caller saw at a copy's destination just before: nothing there, a
// file there, or it did not look. When it saw nothing, the copy does not look
// again.
enum class KnownDestination { Unknown, Absent, Present };

using CopyProgressRoutine =
    std::function<void(std::uint64_t totalFileSize, std::uint64_t totalBytesTransferred)>;

// Copies source to destination, reporting progress at the start and after each
// chunk, and keeps the source's modification time and permissions where the
// file system stores them (a refused mode or time does not fail it). The copy is
// written to a temporary file (an unnamed one where the system has them) that
// takes the destination's name only once complete; on any failure it is
// removed and destination is left as it was.
// A destination that the user protected is not replaced (a failure): read-only or
// hidden on Windows, one without any write permission bit on POSIX. Checked
// here rather than left to the OS, which lets root and Wine write anyway.
// A source that already is the destination is left alone and reported
// complete (done), since copying it onto itself would truncate it.
// No more than two windows of 8 MiB of the copy wait unwritten at any time
// (where the system lets that be seen to), so the bar moves at the drive's
// pace. With flushFirst, its data is on the drive before it takes its name; a
// flush that fails fails the copy. While it waits for the drive, progress is
// called again with the figures it had last. A failure says why, as the
// system told it for the song or the target.
Outcome copyFile(const std::string& source, const std::string& destination,
                 const CopyProgressRoutine& progress, KnownDestination known, bool flushFirst);

// Whether a copy's modification time, apart from its source's by apart
// nanoseconds, is still that of a copy: within two seconds (FAT keeps times to
// two seconds). A Windows-rule drive keeps local time on FAT, so after a change
// to or from summer time every copy there looks an hour off: within two seconds
// of an hour apart counts too.
[[nodiscard]] constexpr bool copyTimeMatches(std::int64_t apart, bool windowsRules)
{
    constexpr std::int64_t twoSeconds = 2'000'000'000;
    constexpr std::int64_t hour = 3'600'000'000'000;
    const std::int64_t distance = apart < 0 ? -apart : apart;
    return distance <= twoSeconds ||
           (windowsRules && distance >= hour - twoSeconds && distance <= hour + twoSeconds);
}

// The same for two times in nanoseconds: times centuries apart stay far apart
// rather than overflow.
[[nodiscard]] constexpr bool copyTimesMatch(std::int64_t one, std::int64_t other, bool windowsRules)
{
    constexpr std::int64_t farApart = std::int64_t{1} << 61;
    const std::int64_t halfApart = std::clamp(one / 2 - other / 2, -farApart, farApart);
    return copyTimeMatches(halfApart * 2, windowsRules);
}

// The size of source when destination already holds its copy: a regular file,
// no symbolic link, of the same size, modified at a time that matches
// (copyTimeMatches) and with the same first and last 64 KiB (all of it when
// smaller). Nothing otherwise. Reads at most 128 KiB of each, so that an export
// made again over an earlier one costs little for unchanged files.
[[nodiscard]] std::optional<std::uint64_t>
sizeOfHeldCopy(const std::string& source, const std::string& destination, bool windowsRules);

// Writes bytes as destination the way copyFile writes a copy: under a temporary
// name, renamed into place once complete, so that a kill or a full disk leaves
// the old file or none, never part of the new one; with flushFirst, on the
// drive before it takes its name. A failure says why.
Outcome writeWholeFile(const std::filesystem::path& destination, std::string_view bytes,
                       bool flushFirst, const WhileWaiting& whileWaiting);

} // namespace tunecrate::platform
