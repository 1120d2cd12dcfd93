#include "drive/Straight_linux.h"

#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tunecrate::platform {
namespace {

std::mutex foldersMutex;
std::set<std::string, std::less<>> straightFolders;

constexpr auto pause = std::chrono::milliseconds(20);

// How many entries of folder are named name.
int countListed(const std::string& folder, std::string_view name)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
    if (!listing) {
        return 0;
    }
    int count = 0;
    while (const dirent* entry = ::readdir(listing.get())) {
        count += name == entry->d_name ? 1 : 0;
    }
    return count;
}

} // namespace

bool writesStraight(const std::string& folder)
{
    const std::lock_guard lock(foldersMutex);
    return straightFolders.contains(folder);
}

void noteWritesStraight(const std::string& folder)
{
    const std::lock_guard lock(foldersMutex);
    straightFolders.insert(folder);
}

bool renameRefused(int error)
{
    return error == ENOSYS || error == EPERM || error == EOPNOTSUPP;
}

bool sizeArrives(const std::string& path, std::uint64_t size, const WhileWaiting& whileWaiting)
{
    // At least 2 s, and as long again as 1 MiB a second takes for the file.
    const auto patience = std::chrono::seconds(2) + std::chrono::microseconds(size);
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
            return false;
        }
        if (static_cast<std::uint64_t>(status.st_size) == size) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        whileWaiting();
        std::this_thread::sleep_for(pause);
    }
}

bool arrivedWhole(const std::string& path, std::uint64_t size, const WhileWaiting& whileWaiting)
{
    if (!sizeArrives(path, size, whileWaiting)) {
        return false;
    }
    const std::size_t slash = path.rfind('/');
    return countListed(path.substr(0, slash), std::string_view(path).substr(slash + 1)) == 1;
}

bool removeWhenLetGo(const std::string& path)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        if (::unlink(path.c_str()) == 0 || errno == ENOENT) {
            return true;
        }
        if (errno != EPERM && errno != ENOSYS && errno != EBUSY) {
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(pause);
    }
}

} // namespace tunecrate::platform
