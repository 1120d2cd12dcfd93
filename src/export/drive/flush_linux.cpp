#include "drive/Flush.h"
#include "files/FileDescriptor_posix.h"

#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace tunecrate::platform {
namespace {

constexpr long fuseMagic = 0x65735546;

bool onFuse(const std::string& folder)
{
    struct statfs drive {};
    return ::statfs(folder.c_str(), &drive) == 0 && drive.f_type == fuseMagic;
}

bool flushFolder(FlushCall call, const std::string& folder, bool (*flush)(int),
                 const WhileWaiting& whileWaiting)
{
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && flushThroughHook(
                             call, folder, [&] { return flush(fd.get()); }, whileWaiting);
}

} // namespace

bool flushesEachCopy(const std::string& folder, bool windowsRules)
{
    return windowsRules || onFuse(folder);
}

// A kernel file system writes everything it holds with one syncfs. A FUSE
// driver learns of no syncfs, and may take an fsync without passing anything
// on to its device (fusefat does): each folder is flushed for the drivers that
// do, and then sync() writes what the device itself still holds.
bool flushFolders(const std::vector<std::string>& folders, const WhileWaiting& whileWaiting)
{
    bool flushed = true;
    bool throughFuse = false;
    std::set<dev_t> synced;
    for (const std::string& folder : folders) {
        struct stat status {};
        if (::stat(folder.c_str(), &status) != 0) {
            continue; // gone, and what was written there with it
        }
        if (onFuse(folder)) {
            throughFuse = true;
            flushed = flushFolder(
                          FlushCall::Folder, folder, [](int fd) { return ::fsync(fd) == 0; },
                          whileWaiting) &&
                      flushed;
        } else if (synced.insert(status.st_dev).second) {
            flushed = flushFolder(
                          FlushCall::Drive, folder, [](int fd) { return ::syncfs(fd) == 0; },
                          whileWaiting) &&
                      flushed;
        }
    }
    if (throughFuse) {
        flushed = flushThroughHook(
                      FlushCall::Drive, {},
                      [] {
                          ::sync();
                          return true;
                      },
                      whileWaiting) &&
                  flushed;
    }
    return flushed;
}

} // namespace tunecrate::platform
