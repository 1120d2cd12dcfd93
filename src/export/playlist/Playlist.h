#pragma once

#include "files/Paths.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tunecrate {

enum class PlaylistMode { M3uTxt, Pls };

// True for a line that holds nothing but blanks and tabs: the walk passes over
// it.
[[nodiscard]] bool isBlankLine(std::string_view line);

// Decides the playlist's mode from its first line that is not blank: PLS when
// it reads "[playlist]" in any capitals, blanks around it aside; M3U/TXT when it
// begins with "#" (any directive or comment), when it is an entry that is
// absolute or a file URL, when it is a relative entry naming an existing file,
// or when the playlist's own name ends in .m3u or .m3u8; no known format
// otherwise, so that a song or a picture chosen by mistake is not walked.
[[nodiscard]] std::optional<PlaylistMode> decidePlaylistMode(std::string_view firstLine,
                                                             const std::filesystem::path& playlist);

// What a line offers as an entry: in M3U/TXT mode every line that is not blank
// and no comment (first character other than blanks "#"); in PLS mode the value
// of a File<digits>= line (key in any capitals), taken after the first "=".
[[nodiscard]] std::optional<std::string_view> entryCandidateOfLine(PlaylistMode mode,
                                                                   std::string_view line);

// The same, with the most common line of all, an M3U comment, told at once.
[[nodiscard]] inline std::optional<std::string_view> entryCandidate(PlaylistMode mode,
                                                                    std::string_view line)
{
    if (mode == PlaylistMode::M3uTxt && line.starts_with('#')) {
        return std::nullopt;
    }
    return entryCandidateOfLine(mode, line);
}

// A PLS line "<Key><digits>=<value>": the key's letters in lower case, its
// number without leading zeros ("File01" and "file1" are both "file", "1") and
// the value after the first "=".
struct PlsLine {
    std::string key;
    std::string_view number;
    std::string_view value;
};
[[nodiscard]] std::optional<PlsLine> plsLine(std::string_view line);

// True for an M3U line "#EXTINF:..." (in any capitals): the length and title of
// the entry that follows.
[[nodiscard]] bool isTrackInfo(std::string_view line);

// The local file an entry candidate names, as the copy reads it and the log
// shows it, or nothing for a network URL, which names no file to copy.
// An absolute path stays as written. A file URL gives its percent-decoded path;
// a relative path is joined to playlistFolder with "." and ".." steps removed
// and the platform's separators. On POSIX, a relative entry written with "\"
// (a playlist made on Windows) reads "\" as "/" unless a file of the literal
// name exists.
[[nodiscard]] std::optional<std::string> sourcePath(std::string_view candidate,
                                                    const std::filesystem::path& playlistFolder);

} // namespace tunecrate
