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

std::string folderOf(const std::string& path)
{
    return utf8Text(fsPath(path).parent_path());
}

std::string nameOf(const std::string& path)
{
    return utf8Text(fsPath(path).filename());
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
    for (; here.sourcesSeen < sources_.size(); ++here.sourcesSeen) {
        const std::string& source = sources_[here.sourcesSeen];
        if (here.isItself(folderOf(source))) {
            here.names.insert(here.compared(nameOf(source)));
        }
        // Only a file on the folder's own drive can be reached from it.
        if (here.keepsNumbers && here.id) {
            if (const auto id = platform::fileId(source); id && id->drive == here.id->drive) {
                here.ids.insert(*id);
            }
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
    const auto id = here.ids.empty() ? std::nullopt : platform::fileId(path);
    return id && here.ids.contains(*id);
}

bool PlaylistSources::isSource(const std::string& folder, const std::string& path,
                               const std::string& source, bool windowsRules)
{
    Folder& here = this->folder(folder, windowsRules);
    if (here.keepsNumbers) {
        const auto id = platform::fileId(path);
        if (id && id == platform::fileId(source)) {
            return true;
        }
    }
    return here.compared(nameOf(path)) == here.compared(nameOf(source)) &&
           here.isItself(folderOf(source));
}

} // namespace tunecrate
