#pragma once

// The few things the core does differently on Windows and on POSIX. Each has
// one implementation per platform (text_*.cpp, copy_*.cpp), chosen in CMake.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tunecrate::platform {

// Turns the bytes of one playlist line into UTF-8 text. Windows: a line that is
// valid UTF-8 stays; any other is taken from the ANSI code page. POSIX: the
// bytes are the path, so they stay exactly as they are.
void decodePlaylistLine(std::string& line);

// The text by which two spellings of a path count as the same file: on Windows,
// whose file systems ignore case, the path in upper case; on POSIX the bytes as
// they are.
[[nodiscard]] std::string comparablePath(std::string_view path);

// An existing destination that the user protected and a copy must not replace:
// read-only or hidden on Windows, one without any write permission bit on POSIX.
// Checked here rather than left to the OS, which lets root and Wine write anyway.
[[nodiscard]] bool isProtectedDestination(const std::filesystem::path& destination);

using CopyProgressRoutine =
    std::function<void(std::uint64_t totalFileSize, std::uint64_t totalBytesTransferred)>;

// Copies source into a new temporary file beside destination, reporting
// progress at the start and after each chunk, keeps the source's modification
// time and permissions, then renames the temporary over destination. On any
// failure the temporary is removed and destination is left as it was.
[[nodiscard]] bool copyThroughTemporary(const std::filesystem::path& source,
                                        const std::filesystem::path& destination,
                                        const CopyProgressRoutine& progress);

} // namespace tunecrate::platform
