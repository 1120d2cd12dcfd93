#include "folder/TemporarySweep.h"

#include "drive/Copy.h"
#include "files/Paths.h"
#include "files/PlatformFiles.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace tunecrate {
namespace {

// True for exactly the names platform::temporaryName gives.
bool isTemporaryName(std::string_view name)
{
    constexpr std::string_view suffix = ".part";
    if (!name.starts_with(platform::temporaryPrefix) || !name.ends_with(suffix)) {
        return false;
    }
    name.remove_prefix(platform::temporaryPrefix.size());
    name.remove_suffix(suffix.size());
    const auto isNumber = [](std::string_view digits) {
        return !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
    };
    const std::size_t dash = name.find('-');
    return dash != std::string_view::npos && isNumber(name.substr(0, dash)) &&
           isNumber(name.substr(dash + 1));
}

} // namespace

void TemporarySweep::sweepOnce(const std::string& folder)
{
    if (folder.empty() || holdsNul(folder) || !swept_.insert(folder).second) {
        return;
    }
    std::vector<std::filesystem::path> leftovers;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(fsPath(folder), error), end;
         !error && entry != end; entry.increment(error)) {
        if (isTemporaryName(utf8Text(entry->path().filename()))) {
            leftovers.push_back(entry->path());
        }
    }
    for (const auto& file : leftovers) {
        platform::removeAbandonedTemporary(file);
    }
}

} // namespace tunecrate
