#include "playlist/Playlist.h"

#include "files/Paths.h"
#include "files/PlatformFiles.h"

#include <algorithm>
#include <system_error>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;

// Windows reads "\" and "/" alike, a drive letter and a server name begin a
// path; POSIX knows only "/".
constexpr bool windowsPaths = fs::path::preferred_separator == '\\';

constexpr std::string_view blanks = " \t";
constexpr std::string_view asciiLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowerCase)
{
    return std::ranges::equal(text, lowerCase, [](char a, char b) { return asciiLower(a) == b; });
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The scheme of a URL ("http" in "http://host/a.mp3"), or nothing. A scheme
// has two characters at least, so that a drive letter (C://) is none.
std::optional<std::string_view> urlScheme(std::string_view text)
{
    const std::size_t end = text.find("://");
    if (end == std::string_view::npos || end < 2 || !isAsciiLetter(text.front())) {
        return std::nullopt;
    }
    const std::string_view scheme = text.substr(0, end);
    const bool wellFormed = std::ranges::all_of(scheme, [](char c) {
        return isAsciiLetter(c) || isAsciiDigit(c) || c == '+' || c == '-' || c == '.';
    });
    return wellFormed ? std::optional(scheme) : std::nullopt;
}

bool isFileUrl(std::string_view text)
{
    const auto scheme = urlScheme(text);
    return scheme && equalsIgnoringCase(*scheme, "file");
}

// The local path of a file URL: file:///C:/a.mp3 is C:/a.mp3 on Windows,
// file:///home/u/a.mp3 is /home/u/a.mp3, and file://server/share/a.mp3 is the
// Windows share \\server\share\a.mp3. Elsewhere a server's file is no local
// file: nothing.
std::optional<std::string> fileUrlPath(std::string_view url)
{
    url.remove_prefix(url.find("://") + 3);
    const std::size_t pathStart = std::min(url.find('/'), url.size());
    const std::string_view host = url.substr(0, pathStart);
    std::string path = percentDecoded(url.substr(pathStart));
    platform::decodePlaylistLine(path);
    if (!host.empty() && !equalsIgnoringCase(host, "localhost")) {
        if (!windowsPaths) {
            return std::nullopt;
        }
        return "//" + percentDecoded(host) + path;
    }
    const bool driveAfterSlash =
        path.size() >= 3 && path[0] == '/' && isAsciiLetter(path[1]) && path[2] == ':';
    if (windowsPaths && driveAfterSlash) {
        path.erase(0, 1);
    }
    if (path.empty()) {
        return std::nullopt;
    }
    return path;
}

bool isSeparator(char c)
{
    return c == '/' || (windowsPaths && c == '\\');
}

// \\server\share\a.mp3 (or //server/share/a.mp3) on Windows. The library
// knows no server in a path, so these are looked after here.
bool isUncPath(std::string_view path)
{
    return windowsPaths && path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1]) &&
           !isSeparator(path[2]);
}

bool isAbsolutePath(std::string_view path)
{
    if (!windowsPaths) {
        return path.starts_with('/');
    }
    return isUncPath(path) || fsPath(path).is_absolute();
}

bool fileExists(std::string_view path)
{
    std::error_code error;
    return !holdsNul(path) && fs::exists(fsPath(path), error);
}

// The path with "." and ".." steps taken out and the platform's separators; a
// server's path keeps the two separators that begin it.
std::string normalised(std::string_view path)
{
    if (isUncPath(path)) {
        return "\\\\" + utf8Text(fsPath(path.substr(2)).lexically_normal());
    }
    return utf8Text(fsPath(path).lexically_normal());
}

// Names joined by single "/", none of them "." or "..": text that
// lexically_normal leaves as it is.
bool isPlainRelative(std::string_view path)
{
    for (;;) {
        const std::size_t slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        if (name.empty() || name == "." || name == "..") {
            return false;
        }
        if (slash == std::string_view::npos) {
            return true;
        }
        path.remove_prefix(slash + 1);
    }
}

// Joins a path that is not absolute to the folder: on Windows one that begins
// with a single separator lies on the folder's drive.
std::string joined(const fs::path& folder, std::string_view path)
{
    if (isUncPath(path)) {
        return normalised(path);
    }
    // On POSIX nearly every relative entry is plain names under a plain
    // folder, and joins as text: splitting it into a path would cost more
    // than its copy.
    if (!windowsPaths) {
        std::string text = utf8Text(folder);
        const bool plainFolder = text == "/" || (text.starts_with('/') &&
                                                 isPlainRelative(std::string_view(text).substr(1)));
        if (plainFolder && isPlainRelative(path)) {
            if (text != "/") {
                text += '/';
            }
            text += path;
            return text;
        }
    }
    return normalised(utf8Text(folder / fsPath(path)));
}

bool namedAsM3u(const fs::path& playlist)
{
    const std::string extension = utf8Text(playlist.extension());
    return equalsIgnoringCase(extension, ".m3u") || equalsIgnoringCase(extension, ".m3u8");
}

} // namespace

bool isBlankLine(std::string_view line)
{
    return line.find_first_not_of(blanks) == std::string_view::npos;
}

std::optional<PlaylistMode> decidePlaylistMode(std::string_view firstLine, const fs::path& playlist)
{
    const std::string_view text = trimmed(firstLine);
    if (equalsIgnoringCase(text, "[playlist]")) {
        return PlaylistMode::Pls;
    }
    if (text.starts_with('#') || namedAsM3u(playlist)) {
        return PlaylistMode::M3uTxt;
    }
    if (isFileUrl(firstLine) || isAbsolutePath(firstLine)) {
        return PlaylistMode::M3uTxt;
    }
    if (urlScheme(firstLine)) {
        return std::nullopt;
    }
    const std::optional<std::string> source = sourcePath(firstLine, playlist.parent_path());
    if (source && fileExists(*source)) {
        return PlaylistMode::M3uTxt;
    }
    return std::nullopt;
}

std::optional<std::string_view> entryCandidateOfLine(PlaylistMode mode, std::string_view line)
{
    if (mode == PlaylistMode::M3uTxt) {
        const std::size_t first = line.find_first_not_of(blanks);
        if (first == std::string_view::npos || line[first] == '#') {
            return std::nullopt;
        }
        return line;
    }
    const std::optional<PlsLine> pls = plsLine(line);
    if (!pls || pls->key != "file" || isBlankLine(pls->value)) {
        return std::nullopt;
    }
    return pls->value;
}

std::optional<PlsLine> plsLine(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view key = line.substr(0, equals);
    const std::size_t digits = std::min(key.find_first_not_of(asciiLetters), key.size());
    std::string_view number = key.substr(digits);
    if (digits == 0 || number.empty() || !std::ranges::all_of(number, isAsciiDigit)) {
        return std::nullopt;
    }
    std::string name(key.substr(0, digits));
    std::ranges::transform(name, name.begin(), asciiLower);
    number.remove_prefix(std::min(number.find_first_not_of('0'), number.size() - 1));
    return PlsLine{std::move(name), number, line.substr(equals + 1)};
}

bool isTrackInfo(std::string_view line)
{
    constexpr std::string_view tag = "#extinf:";
    return line.size() >= tag.size() && equalsIgnoringCase(line.substr(0, tag.size()), tag);
}

std::optional<std::string> sourcePath(std::string_view candidate, const fs::path& playlistFolder)
{
    if (const auto scheme = urlScheme(candidate)) {
        if (!equalsIgnoringCase(*scheme, "file")) {
            return std::nullopt;
        }
        const std::optional<std::string> path = fileUrlPath(candidate);
        return path ? std::optional(joined(playlistFolder, *path)) : std::nullopt;
    }
    if (isAbsolutePath(candidate)) {
        return std::string(candidate);
    }
    std::string source = joined(playlistFolder, candidate);
    if (!windowsPaths && candidate.find('\\') != std::string_view::npos && !fileExists(source)) {
        std::string slashed(candidate);
        std::ranges::replace(slashed, '\\', '/');
        source = joined(playlistFolder, slashed);
    }
    return source;
}

} // namespace tunecrate
