#include "Playlist.h"

#include <filesystem>

namespace tunecrate {
namespace {

// On POSIX a path that begins with "/" is absolute, besides the drive paths.
constexpr bool slashRootIsAbsolute = std::filesystem::path::preferred_separator == '/';

// A drive path has ":\" as its second and third characters (C:\...).
bool isDrivePath(std::string_view line)
{
    return line.size() >= 3 && line.substr(1, 2) == ":\\";
}

bool isRootedPath(std::string_view line)
{
    return slashRootIsAbsolute && line.starts_with('/');
}

bool isAbsolutePath(std::string_view line)
{
    return isDrivePath(line) || isRootedPath(line);
}

std::string_view afterLast(std::string_view text, char separator)
{
    const std::size_t position = text.rfind(separator);
    return position == std::string_view::npos ? text : text.substr(position + 1);
}

} // namespace

std::optional<PlaylistMode> DecidePlaylistMode(std::string_view firstLine)
{
    if (firstLine.starts_with("#EXT") || isAbsolutePath(firstLine)) {
        return PlaylistMode::M3uTxt;
    }
    if (firstLine == "[playlist]") {
        return PlaylistMode::Pls;
    }
    return std::nullopt;
}

std::optional<std::string_view> EntryPath(PlaylistMode mode, std::string_view line)
{
    if (mode == PlaylistMode::M3uTxt) {
        return isAbsolutePath(line) ? std::optional(line) : std::nullopt;
    }
    if (!line.starts_with("File")) {
        return std::nullopt;
    }
    const std::string_view path = afterLast(line, '=');
    const bool holdsDrivePath = line.find(":\\") != std::string_view::npos;
    if (holdsDrivePath || isRootedPath(path)) {
        return path;
    }
    return std::nullopt;
}

std::string_view BareName(std::string_view path)
{
    return afterLast(afterLast(path, '\\'), '/');
}

} // namespace tunecrate
