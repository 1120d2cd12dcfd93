// A model of an Android phone as Linux mounts one over MTP (gvfs's mtp
// backend, jmtpfs, simple-mtpfs): a FUSE file system passing through to the
// folder BACKING, that refuses, by switch, what those drivers refuse.
//   model_phone BACKING MOUNTPOINT [switches] [FUSE options, say -f]
// Switches:
//   --rename=ok|EPERM|ENOSYS  rename refused with that errno (default ok)
//   --link=ok|EPERM           link refused
//   --chmod=ok|EPERM          chmod refused
//   --times=ok|EPERM|ignore   setting times refused, or taken and ignored
//   --upload                  what is written to a file is held in memory until
//                             its release, which writes it to BACKING whole (the
//                             name shows size 0 before); fsync does nothing; a
//                             write beyond the room BACKING has fails (ENOSPC)
//   --fail-upload=N           the N-th release of a written file that holds
//                             bytes leaves only the first half of them
//   --twin=NAME               directory listings name NAME twice
//   --stats=FILE              "bytes N" (written through the model) and
//                             "files N" (created), rewritten at every release
//                             (through FILE.next, renamed)
// Never offered, as over MTP: O_TMPFILE (the high-level API has no tmpfile),
// symbolic links. hard_remove stays off: a file removed while open is renamed
// to .fuse_hidden... by libfuse, which fails where rename is refused.
// Requests are answered one at a time, in the order they come: a release
// (sent as close() returns) is done before anything asked after the close.
// Unmounted with fusermount3 -u.

#define FUSE_USE_VERSION 31
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <fuse.h>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace {

struct Handle {
    int fd = -1;
    bool upload = false; // data held here until release
    std::string data;
    bool written = false; // created, written or truncated through this handle
};

struct Model {
    std::string backing;
    int renameError = 0;
    int linkError = 0;
    int chmodError = 0;
    int timesError = 0;
    bool timesIgnored = false;
    bool upload = false;
    long failUpload = 0;
    std::string twin;
    std::string stats;

    std::map<std::uint64_t, Handle> handles;
    std::uint64_t nextHandle = 1;
    long uploads = 0;
    unsigned long long bytes = 0;
    unsigned long long files = 0;
};

Model model;

std::string backed(const char* path)
{
    return model.backing + path;
}

int failed()
{
    return -errno;
}

Handle* handleOf(const fuse_file_info* fi)
{
    if (fi == nullptr) {
        return nullptr;
    }
    const auto found = model.handles.find(fi->fh);
    return found == model.handles.end() ? nullptr : &found->second;
}

void writeStats()
{
    if (model.stats.empty()) {
        return;
    }
    // Replaced whole, so that a reader never sees it half written.
    const std::string next = model.stats + ".next";
    {
        std::ofstream out(next, std::ios::trunc);
        out << "bytes " << model.bytes << "\nfiles " << model.files << "\n";
    }
    (void)std::rename(next.c_str(), model.stats.c_str());
}

bool writeAll(int fd, const char* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t count = ::write(fd, bytes, size);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

void* start(fuse_conn_info* /*connection*/, fuse_config* config)
{
    // Every look asks the model, so that what a release changes is seen at once.
    config->entry_timeout = 0;
    config->attr_timeout = 0;
    config->negative_timeout = 0;
    config->hard_remove = 0;
    config->direct_io = 1;
    return nullptr;
}

int attributes(const char* path, struct stat* status, fuse_file_info* fi)
{
    if (::lstat(backed(path).c_str(), status) != 0) {
        return failed();
    }
    // The open handle knows what it holds; a look by name sees the phone's.
    if (const Handle* handle = handleOf(fi); handle != nullptr && handle->upload) {
        status->st_size = static_cast<off_t>(handle->data.size());
    }
    return 0;
}

int listFolder(const char* path, void* buffer, fuse_fill_dir_t fill, off_t /*offset*/,
               fuse_file_info* /*fi*/, fuse_readdir_flags /*flags*/)
{
    DIR* folder = ::opendir(backed(path).c_str());
    if (folder == nullptr) {
        return failed();
    }
    while (const dirent* entry = ::readdir(folder)) {
        const int times = entry->d_name == model.twin ? 2 : 1;
        for (int i = 0; i < times; ++i) {
            fill(buffer, entry->d_name, nullptr, 0, fuse_fill_dir_flags{});
        }
    }
    ::closedir(folder);
    return 0;
}

int makeFolder(const char* path, mode_t mode)
{
    return ::mkdir(backed(path).c_str(), mode) == 0 ? 0 : failed();
}

int removeFile(const char* path)
{
    return ::unlink(backed(path).c_str()) == 0 ? 0 : failed();
}

int removeFolder(const char* path)
{
    return ::rmdir(backed(path).c_str()) == 0 ? 0 : failed();
}

int renameEntry(const char* from, const char* to, unsigned int flags)
{
    if (model.renameError != 0) {
        return -model.renameError;
    }
    return ::renameat2(AT_FDCWD, backed(from).c_str(), AT_FDCWD, backed(to).c_str(), flags) == 0
               ? 0
               : failed();
}

int makeLink(const char* from, const char* to)
{
    if (model.linkError != 0) {
        return -model.linkError;
    }
    return ::link(backed(from).c_str(), backed(to).c_str()) == 0 ? 0 : failed();
}

int changeMode(const char* path, mode_t mode, fuse_file_info* /*fi*/)
{
    if (model.chmodError != 0) {
        return -model.chmodError;
    }
    return ::chmod(backed(path).c_str(), mode) == 0 ? 0 : failed();
}

int changeOwner(const char* path, uid_t owner, gid_t group, fuse_file_info* /*fi*/)
{
    return ::lchown(backed(path).c_str(), owner, group) == 0 ? 0 : failed();
}

int setTimes(const char* path, const timespec times[2], fuse_file_info* /*fi*/)
{
    if (model.timesError != 0) {
        return -model.timesError;
    }
    if (model.timesIgnored) {
        return 0;
    }
    return ::utimensat(AT_FDCWD, backed(path).c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0
                                                                                        : failed();
}

int resize(const char* path, off_t size, fuse_file_info* fi)
{
    if (Handle* handle = handleOf(fi); handle != nullptr && handle->upload) {
        handle->data.resize(static_cast<std::size_t>(size));
        handle->written = true;
        return 0;
    }
    return ::truncate(backed(path).c_str(), size) == 0 ? 0 : failed();
}

// A handle for fd, the backing file opened with flags; an upload holds what
// the file has (nothing where it is truncated) to give it back whole.
int keep(int fd, int flags, bool created, fuse_file_info* fi)
{
    Handle handle;
    handle.fd = fd;
    handle.written = created;
    const bool writing = (flags & O_ACCMODE) != O_RDONLY;
    if (model.upload && writing) {
        handle.upload = true;
        if (!created && (flags & O_TRUNC) == 0) {
            char chunk[65536];
            for (off_t at = 0;;) {
                const ssize_t count = ::pread(fd, chunk, sizeof chunk, at);
                if (count < 0) {
                    const int error = errno;
                    ::close(fd);
                    return -error;
                }
                if (count == 0) {
                    break;
                }
                handle.data.append(chunk, static_cast<std::size_t>(count));
                at += count;
            }
        }
        handle.written = handle.written || (flags & O_TRUNC) != 0;
    }
    fi->fh = model.nextHandle++;
    fi->direct_io = 1;
    model.handles.emplace(fi->fh, std::move(handle));
    return 0;
}

// The backing file is written at offsets the kernel gives, and read too where
// an upload starts from what it holds.
int backingFlags(int flags)
{
    const int access = (flags & O_ACCMODE) == O_RDONLY ? O_RDONLY : O_RDWR;
    return (flags & ~O_ACCMODE & ~O_APPEND) | access | O_CLOEXEC;
}

int openFile(const char* path, fuse_file_info* fi)
{
    // An upload truncates the backing file at release, not now.
    const int flags = fi->flags & ~(model.upload ? O_TRUNC : 0);
    const int fd = ::open(backed(path).c_str(), backingFlags(flags));
    if (fd < 0) {
        return failed();
    }
    return keep(fd, fi->flags, false, fi);
}

int createFile(const char* path, mode_t mode, fuse_file_info* fi)
{
    const int fd = ::open(backed(path).c_str(), backingFlags(fi->flags), mode);
    if (fd < 0) {
        return failed();
    }
    ++model.files;
    return keep(fd, fi->flags, true, fi);
}

int readFile(const char* /*path*/, char* buffer, std::size_t size, off_t at, fuse_file_info* fi)
{
    Handle* handle = handleOf(fi);
    if (handle == nullptr) {
        return -EBADF;
    }
    if (handle->upload) {
        const auto from = static_cast<std::size_t>(at);
        if (from >= handle->data.size()) {
            return 0;
        }
        const std::size_t count = std::min(size, handle->data.size() - from);
        std::memcpy(buffer, handle->data.data() + from, count);
        return static_cast<int>(count);
    }
    const ssize_t count = ::pread(handle->fd, buffer, size, at);
    return count < 0 ? failed() : static_cast<int>(count);
}

// Whether the phone has room for the backing file of fd to grow to size: the
// phone takes no upload larger than its room, and the model holds no more
// than that.
bool roomFor(int fd, std::size_t size)
{
    struct statvfs drive {};
    struct stat status {};
    if (::fstatvfs(fd, &drive) != 0 || ::fstat(fd, &status) != 0) {
        return false;
    }
    const auto room = static_cast<unsigned long long>(drive.f_bavail) * drive.f_frsize +
                      static_cast<unsigned long long>(status.st_size);
    return size <= room;
}

int writeFile(const char* /*path*/, const char* bytes, std::size_t size, off_t at,
              fuse_file_info* fi)
{
    Handle* handle = handleOf(fi);
    if (handle == nullptr) {
        return -EBADF;
    }
    handle->written = true;
    model.bytes += size;
    if (handle->upload) {
        const auto from = static_cast<std::size_t>(at);
        if (handle->data.size() < from + size) {
            if (!roomFor(handle->fd, from + size)) {
                return -ENOSPC;
            }
            handle->data.resize(from + size);
        }
        std::memcpy(handle->data.data() + from, bytes, size);
        return static_cast<int>(size);
    }
    const ssize_t count = ::pwrite(handle->fd, bytes, size, at);
    return count < 0 ? failed() : static_cast<int>(count);
}

int driveRoom(const char* path, struct statvfs* drive)
{
    return ::statvfs(backed(path).c_str(), drive) == 0 ? 0 : failed();
}

int syncFile(const char* /*path*/, int /*dataOnly*/, fuse_file_info* fi)
{
    Handle* handle = handleOf(fi);
    if (handle == nullptr) {
        return -EBADF;
    }
    if (model.upload) {
        return 0;
    }
    return ::fsync(handle->fd) == 0 ? 0 : failed();
}

// The upload: an error here reaches nobody, as on the phone, where a broken
// connection leaves what had arrived.
int releaseFile(const char* path, fuse_file_info* fi)
{
    const auto found = model.handles.find(fi->fh);
    if (found == model.handles.end()) {
        return 0;
    }
    Handle handle = std::move(found->second);
    model.handles.erase(found);
    if (handle.written) {
        if (handle.upload) {
            std::size_t size = handle.data.size();
            if (size > 0 && ++model.uploads == model.failUpload) {
                size /= 2;
            }
            const int fd = ::open(backed(path).c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (fd >= 0) {
                (void)writeAll(fd, handle.data.data(), size);
                ::close(fd);
            }
        } else {
            struct stat status {};
            if (::fstat(handle.fd, &status) == 0 && status.st_size > 0 &&
                ++model.uploads == model.failUpload) {
                (void)::ftruncate(handle.fd, status.st_size / 2);
            }
        }
    }
    ::close(handle.fd);
    writeStats();
    return 0;
}

std::optional<int> errorNamed(const std::string& name, bool ignoreTaken)
{
    if (name == "ok") {
        return 0;
    }
    if (name == "EPERM") {
        return EPERM;
    }
    if (name == "ENOSYS") {
        return ENOSYS;
    }
    if (ignoreTaken && name == "ignore") {
        return -1;
    }
    return std::nullopt;
}

// Takes the model's own switches out of argv; false for one it does not know.
bool takeSwitch(const std::string& option)
{
    const auto value = [&](const char* name) -> std::optional<std::string> {
        const std::string prefix = std::string(name) + "=";
        if (option.rfind(prefix, 0) != 0) {
            return std::nullopt;
        }
        return option.substr(prefix.size());
    };
    if (option == "--upload") {
        model.upload = true;
    } else if (const auto errorName = value("--rename")) {
        const auto error = errorNamed(*errorName, false);
        if (!error) {
            return false;
        }
        model.renameError = *error;
    } else if (const auto linkName = value("--link")) {
        const auto error = errorNamed(*linkName, false);
        if (!error || *error == ENOSYS) {
            return false;
        }
        model.linkError = *error;
    } else if (const auto chmodName = value("--chmod")) {
        const auto error = errorNamed(*chmodName, false);
        if (!error || *error == ENOSYS) {
            return false;
        }
        model.chmodError = *error;
    } else if (const auto timesName = value("--times")) {
        const auto error = errorNamed(*timesName, true);
        if (!error || *error == ENOSYS) {
            return false;
        }
        model.timesIgnored = *error == -1;
        model.timesError = model.timesIgnored ? 0 : *error;
    } else if (const auto count = value("--fail-upload")) {
        char* end = nullptr;
        model.failUpload = std::strtol(count->c_str(), &end, 10);
        if (count->empty() || *end != '\0' || model.failUpload < 1) {
            return false;
        }
    } else if (const auto twin = value("--twin")) {
        model.twin = *twin;
    } else if (const auto stats = value("--stats")) {
        model.stats = *stats;
    } else {
        return false;
    }
    return true;
}

void usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s BACKING MOUNTPOINT [--rename=ok|EPERM|ENOSYS] [--link=ok|EPERM] "
                 "[--chmod=ok|EPERM] [--times=ok|EPERM|ignore] [--upload] [--fail-upload=N] "
                 "[--twin=NAME] [--stats=FILE] [FUSE options]\n",
                 program);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> fuseArgs{argv[0]};
    static char single[] = "-s";
    fuseArgs.push_back(single);
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option.starts_with("--") && option != "--help" && option != "--version") {
            if (!takeSwitch(option)) {
                std::fprintf(stderr, "%s: unknown switch or value: %s\n", argv[0], argv[i]);
                usage(argv[0]);
                return 2;
            }
        } else if (model.backing.empty() && !option.starts_with("-")) {
            char* real = ::realpath(argv[i], nullptr);
            if (real == nullptr) {
                std::fprintf(stderr, "%s: %s: %s\n", argv[0], argv[i], std::strerror(errno));
                return 1;
            }
            model.backing = real;
            std::free(real);
        } else {
            fuseArgs.push_back(argv[i]);
        }
    }
    if (model.backing.empty()) {
        usage(argv[0]);
        return 2;
    }
    if (model.backing == "/") {
        model.backing.clear();
    }
    writeStats();

    fuse_operations operations{};
    operations.init = start;
    operations.getattr = attributes;
    operations.readdir = listFolder;
    operations.mkdir = makeFolder;
    operations.unlink = removeFile;
    operations.rmdir = removeFolder;
    operations.rename = renameEntry;
    operations.link = makeLink;
    operations.chmod = changeMode;
    operations.chown = changeOwner;
    operations.utimens = setTimes;
    operations.truncate = resize;
    operations.open = openFile;
    operations.create = createFile;
    operations.read = readFile;
    operations.write = writeFile;
    operations.statfs = driveRoom;
    operations.fsync = syncFile;
    operations.release = releaseFile;
    return fuse_main(static_cast<int>(fuseArgs.size()), fuseArgs.data(), &operations, nullptr);
}
