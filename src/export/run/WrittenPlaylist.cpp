#include "run/WrittenPlaylist.h"

#include "drive/Copy.h"
#include "drive/DriveFiles.h"
#include "files/Paths.h"
#include "files/PlatformFiles.h"
#include "files/Utf8.h"
#include "folder/WrittenDestinations.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <utility>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view header = "#EXTM3U";
// Players pass over comments; this one tells a playlist of ours from the user's.
constexpr std::string_view writtenBy = "# Written by Tunecrate";

bool isWholeNumber(std::string_view text)
{
    if (text.starts_with('-')) {
        text.remove_prefix(1);
    }
    return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

std::string readUpTo(const fs::path& path, std::size_t count)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::string_view skipLineBreak(std::string_view text)
{
    return text.substr(text.starts_with("\r\n") ? 2 : text.starts_with('\n') ? 1 : text.size());
}

// Ours when its second line is the whole marker with a version of digits and
// dots: "# Written by Tunecrate fans: ..." is somebody's own list.
bool writtenByUs(std::string_view head)
{
    if (!head.starts_with(header)) {
        return false;
    }
    head = skipLineBreak(head.substr(header.size()));
    if (!head.starts_with(writtenBy) || !head.substr(writtenBy.size()).starts_with(' ')) {
        return false;
    }
    head.remove_prefix(writtenBy.size() + 1);
    const std::size_t versionEnd = std::min(head.find_first_not_of("0123456789."), head.size());
    const std::string_view rest = head.substr(versionEnd);
    return versionEnd > 0 && (rest.empty() || rest.starts_with('\n') || rest.starts_with("\r\n"));
}

// Whether file is the playlist being read: the same file where the drive keeps
// one identity for it, or the same name in the same folder, compared without
// regard to case where the drive ignores it (FUSE drivers give each spelling
// a file number of its own).
bool isPlaylistRead(const fs::path& file, const fs::path& playlistRead, bool windowsRules)
{
    std::error_code error;
    if (fs::equivalent(file, playlistRead, error)) {
        return true;
    }
    const auto comparable = [windowsRules](const fs::path& path) {
        std::error_code ignored;
        const fs::path folder = fs::weakly_canonical(path.parent_path(), ignored);
        std::string text = platform::comparablePath(utf8Text(folder / path.filename()));
        return windowsRules ? upperCased(text) : text;
    };
    return comparable(file) == comparable(playlistRead);
}

} // namespace

void WrittenPlaylist::noteLine(std::string_view line)
{
    if (mode_ == PlaylistMode::M3uTxt) {
        if (isTrackInfo(line)) {
            pendingInfo_ = line;
        }
        return;
    }
    if (const auto pls = plsLine(line); pls && (pls->key == "title" || pls->key == "length")) {
        (pls->key == "title" ? titles_ : lengths_)[std::string(pls->number)] = pls->value;
    }
}

void WrittenPlaylist::add(std::string_view line, std::string location, int folder)
{
    std::string info = mode_ == PlaylistMode::Pls ? std::string(plsLine(line)->number)
                                                  : std::exchange(pendingInfo_, {});
    entries_.push_back({std::move(info), std::move(location), folder});
}

void WrittenPlaylist::keepAsWritten(std::string_view line, std::string_view candidate)
{
    add(line, std::string(candidate), -1);
}

void WrittenPlaylist::addCopy(std::string_view line, const std::string& folder,
                              std::string_view path)
{
    const std::string key = platform::comparablePath(folder);
    if (folders_.empty() || folders_.back() != key) {
        folders_.push_back(key);
    }
    const std::string_view name = bareName(path);
    // A name that holds a line break would end its line early, and one that
    // is not UTF-8 no player finds: the copy stays, the list leaves it out.
    if (name.find_first_of("\r\n") != std::string_view::npos || !isValidUtf8(name)) {
        leaveOut();
        return;
    }
    // A line beginning with "#" would be read as a comment.
    add(line, (name.starts_with('#') ? "./" : "") + std::string(name),
        static_cast<int>(folders_.size()) - 1);
}

void WrittenPlaylist::leaveOut()
{
    pendingInfo_.clear();
}

std::string WrittenPlaylist::text(const std::string& folder) const
{
    const std::string key = platform::comparablePath(folder);
    const std::string_view lineBreak = platform::textLineBreak;
    std::string text;
    const auto appendLine = [&](std::string_view line) {
        text += line;
        text += lineBreak;
    };
    appendLine(header);
    appendLine(std::string(writtenBy) + " " TUNECRATE_VERSION);
    for (const Entry& entry : entries_) {
        if (entry.folder >= 0 && folders_[static_cast<std::size_t>(entry.folder)] != key) {
            continue;
        }
        if (mode_ == PlaylistMode::M3uTxt && !entry.info.empty()) {
            appendLine(entry.info);
        } else if (mode_ == PlaylistMode::Pls) {
            if (const auto title = titles_.find(entry.info); title != titles_.end()) {
                const auto length = lengths_.find(entry.info);
                const bool known = length != lengths_.end() && isWholeNumber(length->second);
                appendLine("#EXTINF:" + (known ? length->second : "-1") + "," + title->second);
            }
        }
        appendLine(entry.location);
    }
    return text;
}

PlacedPlaylist placePlaylist(const std::string& folder, std::string_view name,
                             std::string_view text, const fs::path& playlistRead, bool windowsRules,
                             bool flushFirst, const platform::WhileWaiting& whileWaiting)
{
    constexpr int mostNumbers = 10000;
    const auto write = [&](const fs::path& file) {
        return platform::writeWholeFile(file, text, flushFirst, whileWaiting);
    };
    for (int number = 1; !folder.empty() && number <= mostNumbers; ++number) {
        const std::string path = numberedPath(folder, name, number, windowsRules);
        if (holdsNul(path)) {
            break;
        }
        const fs::path file = fsPath(path);
        std::error_code error;
        const fs::file_status status = fs::symlink_status(file, error);
        if (!fs::exists(status)) {
            const Outcome written = write(file);
            return {path, written, static_cast<bool>(written)};
        }
        if (!fs::is_regular_file(status) || isPlaylistRead(file, playlistRead, windowsRules)) {
            continue;
        }
        const std::uintmax_t size = fs::file_size(file, error);
        const std::string head = readUpTo(file, !error && size == text.size() ? text.size() : 256);
        if (!writtenByUs(head)) {
            continue;
        }
        if (head == text) {
            return {path, {}, false};
        }
        const Outcome written = write(file);
        return {path, written, static_cast<bool>(written)};
    }
    // Every name taken by another's file, or a folder that names none.
    return {numberedPath(folder, name, 1, windowsRules),
            Failure{folder.empty() ? Reason::FolderNotFull : Reason::NameTaken}};
}

} // namespace tunecrate
