#include "drive/Flush.h"
#include "files/FileDescriptor_posix.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
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

// The drive's errno where the flush failed; EIO where the test hook failed it.
std::optional<Failure> flushFolder(FlushCall call, const std::string& folder, int (*flush)(int),
                                   const WhileWaiting& whileWaiting)
{
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        return failureOf(errno, Side::Target);
    }
    int error = EIO;
    const bool flushed = flushThroughHook(
        call, folder,
        [&] {
            if (flush(fd.get()) == 0) {
                return true;
            }
            error = errno;
            return false;
        },
        whileWaiting);
    return flushed ? std::nullopt : std::optional(failureOf(error, Side::Target));
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
std::vector<FailedPath> flushFolders(const std::vector<std::string>& folders,
                                     const WhileWaiting& whileWaiting)
{
    std::vector<FailedPath> failed;
    const std::string* throughFuse = nullptr;
    std::set<dev_t> synced;
    for (const std::string& folder : folders) {
        struct stat status {};
        if (::stat(folder.c_str(), &status) != 0) {
            continue; // gone, and what was written there with it
        }
        std::optional<Failure> failure;
        if (onFuse(folder)) {
            throughFuse = throughFuse != nullptr ? throughFuse : &folder;
            failure = flushFolder(FlushCall::Folder, folder, ::fsync, whileWaiting);
        } else if (synced.insert(status.st_dev).second) {
            failure = flushFolder(FlushCall::Drive, folder, ::syncfs, whileWaiting);
        }
        if (failure) {
            failed.push_back({folder, *failure});
        }
    }
    // sync() tells of no failure; only the test hook fails it.
    if (throughFuse != nullptr && !flushThroughHook(
                                      FlushCall::Drive, {},
                                      [] {
                                          ::sync();
                                          return true;
                                      },
                                      whileWaiting)) {
        failed.push_back({*throughFuse, failureOf(EIO, Side::Target)});
    }
    return failed;
}

} // namespace tunecrate::platform
