#include "folder/PlaylistSources.h"

#include "drive/Drive.h"
#include "files/PlatformFiles.h"
#include "files/Utf8.h"

#include <filesystem>
#include <system_error>

namespace tunecrate {
namespace {

std::string canonical(const std::string& folder)
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::canonical(fsPath(folder), error);
    return error ? std::string() : utf8Text(path);
}

// Where a path's name begins: after its last separator.
std::size_t nameStart(std::string_view path)
{
    constexpr std::string_view separators =
        std::filesystem::path::preferred_separator == '\\' ? "\\/" : "/";
    const std::size_t last = path.find_last_of(separators);
    return last == std::string_view::npos ? 0 : last + 1;
}

// The folder a path lies in, as written, with its separator: "/" and "C:\\"
// stay folders.
std::string folderOf(const std::string& path)
{
    return path.substr(0, nameStart(path));
}

std::string_view nameOf(std::string_view path)
{
    return path.substr(nameStart(path));
}

} // namespace

std::string PlaylistSources::Folder::compared(std::string_view name) const
{
    return windowsRules ? upperCased(name) : std::string(name);
}

// Folders keep their numbers while they exist on every drive written to, so
// a number that matches is the folder; otherwise its canonical path tells.
bool PlaylistSources::Folder::isItself(const std::string& other)
{
    auto [known, added] = holdsFolder.try_emplace(other);
    if (added) {
        const std::string otherCanonical = canonical(other);
        known->second =
            (id && platform::fileId(other) == id) ||
            (!canonicalPath.empty() && compared(otherCanonical) == compared(canonicalPath));
    }
    return known->second;
}

PlaylistSources::Folder& PlaylistSources::folder(const std::string& folder, bool windowsRules)
{
    auto [found, added] = folders_.try_emplace(folder);
    Folder& here = found->second;
    if (added) {
        here.keepsNumbers = driveKind(folder).keepsFileNumbers;
        here.id = platform::fileId(folder);
        here.canonicalPath = canonical(folder);
        here.windowsRules = windowsRules;
    }
    for (; here.namesSeen < sources_.size(); ++here.namesSeen) {
        const std::string& source = sources_[here.namesSeen];
        if (here.isItself(folderOf(source))) {
            here.names.insert(here.compared(nameOf(source)));
        }
    }
    return here;
}

bool PlaylistSources::holds(const std::string& folder, const std::string& path, bool windowsRules)
{
    if (sources_.empty()) {
        return false;
    }
    Folder& here = this->folder(folder, windowsRules);
    if (here.names.contains(here.compared(nameOf(path)))) {
        return true;
    }
    const auto id = here.keepsNumbers && here.id ? platform::fileId(path) : std::nullopt;
    if (!id) {
        return false;
    }
    // Only a file on the folder's own drive can be reached from it.
    for (; here.idsSeen < sources_.size(); ++here.idsSeen) {
        if (const auto source = platform::fileId(sources_[here.idsSeen]);
            source && source->drive == here.id->drive) {
            here.ids.insert(*source);
        }
    }
    return here.ids.contains(*id);
}

bool PlaylistSources::isSource(const std::string& folder, const std::string& path,
                               const std::string& source, bool windowsRules)
{
    Folder& here = this->folder(folder, windowsRules);
    if (here.compared(nameOf(path)) == here.compared(nameOf(source)) &&
        here.isItself(folderOf(source))) {
        return true;
    }
    const auto id = here.keepsNumbers ? platform::fileId(path) : std::nullopt;
    return id && id == platform::fileId(source);
}

} // namespace tunecrate
