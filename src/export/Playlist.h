#pragma once

#include <optional>
#include <string_view>

namespace tunecrate {

enum class PlaylistMode { M3uTxt, Pls };

// Decides the playlist's mode from its first line, which must not be empty:
// M3U/TXT when it begins with "#EXT" or is itself an absolute path, PLS when it
// is exactly "[playlist]", and no known format otherwise. All tests are exact
// and case-sensitive.
[[nodiscard]] std::optional<PlaylistMode> DecidePlaylistMode(std::string_view firstLine);

// The source path that a line names in the given mode, or nothing when the line
// is no entry. M3U/TXT: the line itself, when it is an absolute path. PLS: the
// text after the last "=" of a line that begins with "File" and holds an
// absolute path.
[[nodiscard]] std::optional<std::string_view> EntryPath(PlaylistMode mode, std::string_view line);

// The file-name part of a path: after the last "\", then after the last "/".
[[nodiscard]] std::string_view BareName(std::string_view path);

} // namespace tunecrate
