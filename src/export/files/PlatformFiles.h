#pragma once

// How the core reaches files on each platform: paths and their text turned
// into each other, playlists opened and their lines decoded, paths compared.
// files_posix.cpp and files_win32.cpp implement it, one chosen in CMake.

#include "files/ByteSource.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tunecrate {

// The core keeps paths as UTF-8 text. These cross to std::filesystem without
// the narrow code page: on Windows the path becomes UTF-16, on POSIX the bytes
// pass unchanged.
[[nodiscard]] std::filesystem::path fsPath(std::string_view utf8);
[[nodiscard]] std::string utf8Text(const std::filesystem::path& path);

// Opens a playlist for reading. Only a regular file counts as found: a missing
// path, a folder, a FIFO or a device gives nullptr, and nothing waits on it.
// A regular file that cannot be opened (no permission, locked) throws.
[[nodiscard]] std::unique_ptr<ByteSource> openPlaylistFile(const std::string& path);

namespace platform {

// Turns the bytes of one playlist line into UTF-8 text. Windows: a line that is
// valid UTF-8 stays; any other is taken from the ANSI code page. POSIX: the
// bytes are the path, so they stay exactly as they are.
void decodePlaylistLine(std::string& line);

// True where decodePlaylistLine leaves every line as it is.
inline constexpr bool playlistLinesAreBytes = std::filesystem::path::preferred_separator == '/';

// The text by which two spellings of a path count as the same file: on Windows,
// whose file systems ignore case, the path in upper case; on POSIX the bytes as
// they are.
[[nodiscard]] std::string comparablePath(std::string_view path);

// True where comparablePath gives every path back as it is.
inline constexpr bool pathsCompareAsBytes = std::filesystem::path::preferred_separator == '/';

} // namespace platform
} // namespace tunecrate
