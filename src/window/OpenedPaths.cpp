#include "OpenedPaths.h"

#include "PlaylistFilter.h"
#include "files/Paths.h"
#include "files/PlatformFiles.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace tunecrate {
namespace {

[[nodiscard]] char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A playlist's name ends as one of the patterns of the file-open dialog's first
// filter entry ("*.m3u;*.m3u8;..."), in any capitals.
[[nodiscard]] bool namesPlaylist(std::string_view name)
{
    const std::size_t patternsStart = playlistFilter.find('|') + 1;
    std::string_view patterns = playlistFilter.substr(
        patternsStart, playlistFilter.find('|', patternsStart) - patternsStart);
    while (!patterns.empty()) {
        const std::size_t end = std::min(patterns.find(';'), patterns.size());
        const std::string_view suffix = patterns.substr(1, end - 1); // without the "*"
        if (name.size() > suffix.size() &&
            std::ranges::equal(name.substr(name.size() - suffix.size()), suffix, {}, lowerAscii)) {
            return true;
        }
        patterns.remove_prefix(std::min(end + 1, patterns.size()));
    }
    return false;
}

[[nodiscard]] std::string absoluteText(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error).lexically_normal();
    // "Music/" names the folder "Music", as the folder dialog gives it.
    if (!absolute.has_filename() && absolute.has_relative_path()) {
        absolute = absolute.parent_path();
    }
    return error ? std::string() : utf8Text(absolute);
}

} // namespace

OpenedPaths sortOpenedPaths(const std::vector<std::string>& paths)
{
    OpenedPaths opened;
    for (const std::string& text : paths) {
        if (text.empty() || holdsNul(text)) {
            continue;
        }
        const std::filesystem::path path = fsPath(text);
        std::error_code error;
        if (opened.pathFrom.empty() && std::filesystem::is_regular_file(path, error) &&
            namesPlaylist(utf8Text(path.filename()))) {
            opened.pathFrom = absoluteText(path);
        } else if (opened.pathTo.empty() && std::filesystem::is_directory(path, error)) {
            opened.pathTo = absoluteText(path);
        }
    }
    return opened;
}

} // namespace tunecrate
