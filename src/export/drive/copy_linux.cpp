#include "drive/Copy.h"
#include "drive/DriveFiles.h"
#include "drive/FreeName_linux.h"
#include "drive/Straight_linux.h"
#include "files/FileDescriptor_posix.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <memory>
#include <optional>
#include <stdio.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <variant>
#include <vector>

namespace tunecrate::platform {
namespace {

constexpr std::size_t chunkBytes = 1024 * 1024;
constexpr off_t writeBehindWindow = 8 * 1024 * 1024;

// The copy being written, invisible under the destination's name until it is
// complete. Where the file system allows and no file of that name exists yet,
// it has no name at all (O_TMPFILE) and appears in one step, so a killed run
// leaves nothing behind. Otherwise it is a named temporary that is renamed
// over the old file; a kill can leave that one, recognisable by its name, and
// the next run removes it unless it is locked, as a live copy keeps its own
// from creation until after the rename.
class NewFile {
public:
    NewFile(std::string folder, bool replacing, mode_t mode) : folder_(std::move(folder))
    {
        if (!replacing && procFdAvailable()) {
            fd_.reset(::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
            if (fd_.valid()) {
                return;
            }
        }
        nameTemporary([this, mode](const std::string& name) {
            fd_.reset(
                ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode));
            return fd_.valid();
        });
        if (fd_.valid()) {
            lock();
        }
    }
    ~NewFile()
    {
        // A copy that failed gives its room back at once: a FUSE driver learns
        // of the close only after it returns, and until then keeps a removed
        // file, data and all, under a hidden name, where a nearly full stick
        // needs the room for the next copy.
        if (!committed_ && fd_.valid()) {
            (void)::ftruncate(fd_.get(), 0);
        }
        fd_.close();
        // Let go before the unlink: FUSE keeps a removed file that is still
        // open under a hidden name.
        lock_.close();
        if (!committed_ && !path_.empty()) {
            (void)removeWhenLetGo(path_);
        }
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // The copy written straight under its final name, on a drive that cannot
    // rename: created only where no file has that name.
    struct Straight {};
    NewFile(Straight /*straight*/, const std::string& destination, mode_t mode)
        : fd_(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode))
    {
        if (fd_.valid()) {
            path_ = destination;
        }
    }

    // Closes the copy written straight, and keeps it once the drive holds it
    // whole (arrivedWhole).
    [[nodiscard]] Outcome finishStraight(std::uint64_t size, const WhileWaiting& whileWaiting)
    {
        if (!fd_.close()) {
            return Outcome::lastError(Side::Target);
        }
        if (!arrivedWhole(path_, size, whileWaiting)) {
            return Failure{Reason::NotTaken};
        }
        committed_ = true;
        return {};
    }

    [[nodiscard]] bool valid() const { return fd_.valid(); }
    [[nodiscard]] int fd() const { return fd_.get(); }
    // True when the copy was written under a temporary name and renamed.
    [[nodiscard]] bool named() const { return !path_.empty(); }

    // Gives the finished file its final name. Only the file seen there before
    // the copy began is replaced, and only while it is still as seen; where
    // nothing was seen, the name is taken only while it is free. A file that
    // appeared meanwhile (another program, a second run) or changed stays as
    // it is: false, with errno EEXIST.
    [[nodiscard]] bool commit(const std::string& destination,
                              const std::optional<struct stat>& seen)
    {
        if (seen) {
            struct stat now {};
            if (::lstat(destination.c_str(), &now) == 0) {
                if (!unchanged(*seen, now)) {
                    errno = EEXIST;
                    return false;
                }
                return replace(destination);
            }
            if (errno != ENOENT) {
                return false;
            }
        }
        return takeFreeName(destination);
    }

    // Whether a second look at a file saw it as the first did.
    static bool unchanged(const struct stat& seen, const struct stat& now)
    {
        const auto same = [](const timespec& one, const timespec& other) {
            return one.tv_sec == other.tv_sec && one.tv_nsec == other.tv_nsec;
        };
        return seen.st_mode == now.st_mode && seen.st_size == now.st_size &&
               same(seen.st_mtim, now.st_mtim) && same(seen.st_ctim, now.st_ctim);
    }

private:
    bool takeFreeName(const std::string& destination)
    {
        if (path_.empty()) {
            if (!linkTo(destination)) {
                return false;
            }
            if (!fd_.close()) {
                ::unlink(destination.c_str());
                return false;
            }
            return committed_ = true;
        }
        // Closed first, so that a late write error is seen before the name is taken.
        return fd_.close() && (committed_ = renameToFreeName(path_, destination)) && letGo();
    }

    bool replace(const std::string& destination)
    {
        if (path_.empty()) {
            lock();
            if (!nameTemporary([this](const std::string& name) { return linkTo(name); })) {
                return false;
            }
        }
        // Closed first, so that a late write error is seen before the old file goes.
        if (!fd_.close()) {
            return false;
        }
        committed_ = ::rename(path_.c_str(), destination.c_str()) == 0;
        return committed_ && letGo();
    }

    // Once the copy has its name, the lock's descriptor goes too: a driver
    // that sends a file on its last close (a phone) sends it now.
    bool letGo()
    {
        lock_.close();
        return true;
    }

    // Locks the file through a second descriptor of its own, which stays open
    // after fd_ is closed and until the temporary has its final name or is
    // gone. Where the file system has no locks, others' sweeps cannot lock it
    // either and leave it alone.
    void lock()
    {
        if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0) {
            lock_.reset(::fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0));
        }
    }

    static bool procFdAvailable()
    {
        static const bool available = ::access("/proc/self/fd", X_OK) == 0;
        return available;
    }

    // Tries create with fresh temporary names in the folder until one is
    // free; path_ keeps the name taken.
    bool nameTemporary(const std::function<bool(const std::string&)>& create)
    {
        static unsigned counter = 0;
        for (int attempt = 0; attempt < 1000; ++attempt) {
            path_ =
                folder_ + '/' + temporaryName(static_cast<unsigned long>(::getpid()), counter++);
            if (create(path_)) {
                return true;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        path_.clear();
        return false;
    }

    // Gives the unnamed file a name: straight from the descriptor where the
    // process may (it takes CAP_DAC_READ_SEARCH), through /proc otherwise.
    bool linkTo(const std::string& name) const
    {
        static bool linkByDescriptor = true;
        if (!linkByDescriptor) {
            return linkThroughProc(name);
        }
        if (::linkat(fd_.get(), "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
            return true;
        }
        if (errno != ENOENT && errno != EPERM && errno != EINVAL) {
            return false;
        }
        const bool linked = linkThroughProc(name);
        // Only now is it clear that the descriptor's way is closed to this process.
        linkByDescriptor = !linked;
        return linked;
    }
    bool linkThroughProc(const std::string& name) const
    {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
        return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    }

    std::string folder_;
    std::string path_; // empty for an unnamed file
    FileDescriptor fd_;
    FileDescriptor lock_;
    bool committed_ = false;
};

// Writes all of bytes to fd, a file this process created for writing. Where
// the drive refuses such a write as not permitted, it has no room left:
// fusefat says so for a full stick, and errno says ENOSPC then.
bool writeAll(int fd, const char* bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t written = ::write(fd, bytes, count);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EPERM) {
                errno = ENOSPC;
            }
            return false;
        }
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

// One chunk from in to out: copy_file_range where the kernel and the file
// systems allow it, read and write otherwise. Returns the bytes copied, 0 at
// the end of the source, -1 on failure (errno set, failedSide() its end).
class ChunkCopier {
public:
    ssize_t copy(int in, int out)
    {
        while (useCopyFileRange_) {
            const ssize_t count = ::copy_file_range(in, nullptr, out, nullptr, chunkBytes, 0);
            if (count >= 0) {
                return count;
            }
            if (errno == EINTR) {
                continue;
            }
            const bool unsupported = errno == ENOSYS || errno == EXDEV || errno == EINVAL ||
                                     errno == EOPNOTSUPP || errno == EPERM;
            if (!unsupported || copiedAny_) {
                failedSide_ = Side::Target; // either end: the drive written is the likelier
                return -1;
            }
            useCopyFileRange_ = false;
        }
        if (buffer_.empty()) {
            buffer_.resize(chunkBytes);
        }
        for (;;) {
            const ssize_t count = ::read(in, buffer_.data(), buffer_.size());
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count <= 0) {
                failedSide_ = Side::Source;
                return count;
            }
            failedSide_ = Side::Target;
            return writeAll(out, buffer_.data(), static_cast<std::size_t>(count)) ? count : -1;
        }
    }
    void noteCopied() { copiedAny_ = true; }
    [[nodiscard]] Side failedSide() const { return failedSide_; }

private:
    Side failedSide_ = Side::Target;
    bool useCopyFileRange_ = true;
    bool copiedAny_ = false;
    std::vector<char> buffer_;
};

// Keeps a copy's data moving onto the drive as it is written: once a window
// of it is written, its write-back is started and the window before waited
// for, so that no more than two windows wait unwritten and the bar moves at
// the drive's pace. At the end the write-back of the rest is started, so that
// the drive works while the run goes on. Memory-backed file systems have
// nothing to write back, and one where ranges cannot be written back makes
// the copy go on without.
class WriteBehind {
public:
    WriteBehind(int fd, const WhileWaiting& whileWaiting) : fd_(fd), whileWaiting_(whileWaiting) {}

    // The drive's error code where it failed to take a window.
    [[nodiscard]] int error() const { return error_; }

    // False when the drive failed to take a window.
    bool wrote(off_t end)
    {
        if (end - started_ < writeBehindWindow || !working()) {
            return true;
        }
        const off_t waitFrom = waited_;
        const off_t waitTo = started_;
        const off_t start = started_;
        waited_ = started_;
        started_ = end;
        return waitForDrive(
            [&] {
                constexpr unsigned waitFlags = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                               SYNC_FILE_RANGE_WAIT_AFTER;
                return rangeCall(start, end, SYNC_FILE_RANGE_WRITE) &&
                       (waitTo == waitFrom || rangeCall(waitFrom, waitTo, waitFlags));
            },
            whileWaiting_);
    }

    bool finish(off_t end)
    {
        if (end - started_ < static_cast<off_t>(chunkBytes) || !working()) {
            return true;
        }
        const off_t start = started_;
        started_ = end;
        return waitForDrive([&] { return rangeCall(start, end, SYNC_FILE_RANGE_WRITE); },
                            whileWaiting_);
    }

private:
    // Asked once a copy is large enough to need it.
    bool working()
    {
        if (!working_) {
            constexpr long tmpfsMagic = 0x01021994;
            constexpr long ramfsMagic = 0x858458f6;
            struct statfs drive {};
            working_ = ::fstatfs(fd_, &drive) == 0 && drive.f_type != tmpfsMagic &&
                       drive.f_type != ramfsMagic;
        }
        return *working_;
    }

    // Runs on the worker, where errno is its own: it is kept for the caller.
    bool rangeCall(off_t from, off_t to, unsigned flags)
    {
        if (::sync_file_range(fd_, from, to - from, flags) == 0) {
            return true;
        }
        if (errno == EIO || errno == ENOSPC || errno == EDQUOT) {
            error_ = errno;
            return false;
        }
        working_ = false;
        return true;
    }

    int fd_;
    const WhileWaiting& whileWaiting_;
    std::optional<bool> working_;
    off_t started_ = 0; // written back from here on only when asked
    off_t waited_ = 0;  // on the drive up to here
    int error_ = EIO;
};

// A failed flush is the drive's: EIO where the hook failed it.
Outcome flushCopy(int fd, const std::string& destination, const WhileWaiting& whileWaiting)
{
    int error = EIO;
    const bool flushed = flushThroughHook(
        FlushCall::CopyData, destination,
        [fd, &error] {
            if (::fdatasync(fd) == 0) {
                return true;
            }
            error = errno;
            return false;
        },
        whileWaiting);
    return flushed ? Outcome() : failureOf(error, Side::Target);
}

bool sameFile(const struct stat& one, const struct stat& other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// A source that already is the destination, also through a symbolic link, is
// where it belongs: copying it would truncate it.
bool isSameFile(const struct stat& source, const std::string& destination,
                const struct stat& destinationLink)
{
    if (!S_ISLNK(destinationLink.st_mode)) {
        return sameFile(source, destinationLink);
    }
    struct stat target {};
    return ::stat(destination.c_str(), &target) == 0 && sameFile(source, target);
}

// What a source that is no regular file fails with: a folder says so, and
// anything else (a FIFO, a device) is no song to be found.
Failure notAFile(const struct stat& source)
{
    return failureOf(S_ISDIR(source.st_mode) ? EISDIR : ENOENT, Side::Source);
}

Outcome reportComplete(const struct stat& source, const CopyProgressRoutine& progress)
{
    if (!S_ISREG(source.st_mode)) {
        return notAFile(source);
    }
    const auto size = static_cast<std::uint64_t>(source.st_size);
    progress(size, size);
    return {};
}

bool isProtected(const struct stat& destinationLink)
{
    return S_ISREG(destinationLink.st_mode) &&
           (destinationLink.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// The folder that path lies in, as open() takes it.
std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return path.substr(0, std::max<std::size_t>(slash, 1));
}

} // namespace

// Only a temporary nobody holds is removed: the run that wrote it is gone.
void removeAbandonedTemporary(const std::filesystem::path& file)
{
    FileDescriptor fd(
        ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat locked {};
    struct stat named {};
    if (!fd.valid() || ::fstat(fd.get(), &locked) != 0 || !S_ISREG(locked.st_mode) ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return;
    }
    // Its owner may have renamed it and let go just before the lock was taken.
    if (::lstat(file.c_str(), &named) != 0 || !sameFile(locked, named)) {
        return;
    }
    // Closed first: FUSE keeps a removed file that is still open under a hidden name.
    fd.close();
    ::unlink(file.c_str());
}

namespace {

// Owner-writable whatever the source (a CD rip, a read-only share): a copy
// without write bits counts as the user's protected file, and no later export
// could replace it.
mode_t copyMode(const struct stat& source)
{
    return (source.st_mode & 0777) | S_IWUSR;
}

// Copies in to out from where in stands, reporting progress as it goes; the
// bytes copied.
std::variant<std::uint64_t, Failure> pour(int in, int out, std::uint64_t expected,
                                          const CopyProgressRoutine& progress)
{
    std::uint64_t total = expected;
    std::uint64_t copied = 0;
    if (total > chunkBytes) {
        // Larger read-ahead, as cp asks for; a hint only.
        (void)::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    progress(total, copied);
    const WhileWaiting whileWaiting = [&progress, &total, &copied] {
        progress(total, copied);
    };
    WriteBehind writeBehind(out, whileWaiting);
    ChunkCopier copier;
    for (;;) {
        const ssize_t count = copier.copy(in, out);
        if (count < 0) {
            return failureOf(errno, copier.failedSide());
        }
        if (count == 0) {
            break;
        }
        copier.noteCopied();
        copied += static_cast<std::uint64_t>(count);
        // A source that grows while it is copied must not push the bar past 100.
        total = std::max(total, copied);
        if (!writeBehind.wrote(static_cast<off_t>(copied))) {
            return failureOf(writeBehind.error(), Side::Target);
        }
        progress(total, copied);
    }
    if (!writeBehind.finish(static_cast<off_t>(copied))) {
        return failureOf(writeBehind.error(), Side::Target);
    }
    return copied;
}

// The file was created with its mode, but the umask may have taken bits away.
// Only the data decides whether the copy succeeded: FAT and exFAT sticks,
// phones and mounts of another user refuse a mode or times they cannot store,
// and the copy is no less complete for that. Each is tried on its own, so that
// a refused mode still leaves the time.
void stampCopy(int fd, const struct stat& source)
{
    (void)::fchmod(fd, copyMode(source));
    const std::array<timespec, 2> times{source.st_atim, source.st_mtim};
    (void)::futimens(fd, times.data());
}

// Pours the source in into the new copy and stamps it with the source's mode
// and times; the bytes copied.
std::variant<std::uint64_t, Failure> pourInto(const NewFile& copy, int in,
                                              const struct stat& status,
                                              const CopyProgressRoutine& progress)
{
    if (!copy.valid()) {
        return failureOf(errno, Side::Target);
    }
    auto poured = pour(in, copy.fd(), static_cast<std::uint64_t>(status.st_size), progress);
    if (std::holds_alternative<std::uint64_t>(poured)) {
        stampCopy(copy.fd(), status);
    }
    return poured;
}

Outcome copyThroughTemporary(int in, const struct stat& status, const std::string& source,
                             const std::string& destination, const std::optional<struct stat>& seen,
                             const CopyProgressRoutine& progress, bool flushFirst,
                             bool& renameRefusedHere)
{
    NewFile copy(folderOf(destination), seen.has_value(), copyMode(status));
    const auto poured = pourInto(copy, in, status, progress);
    if (const Failure* failed = std::get_if<Failure>(&poured)) {
        return *failed;
    }
    const std::uint64_t copied = std::get<std::uint64_t>(poured);
    if (flushFirst) {
        const WhileWaiting whileWaiting = [&progress, copied] {
            progress(copied, copied);
        };
        if (Outcome flushed = flushCopy(copy.fd(), destination, whileWaiting); !flushed) {
            return flushed;
        }
    }
    if (!copy.commit(destination, seen)) {
        // The name was taken meanwhile; by this very source's copy (a second
        // run that exported the same song) it holds what it should.
        const int error = errno;
        renameRefusedHere = copy.named() && renameRefused(error);
        const Failure failed = failureOf(error, Side::Target);
        if (failed.reason == Reason::NameTaken && sizeOfHeldCopy(source, destination, false)) {
            return {};
        }
        return failed;
    }
    // A driver that sends a file on its close (a phone) may have failed to
    // send all of it: what there is goes.
    if (copy.named() &&
        !sizeArrives(destination, copied, [&progress, copied] { progress(copied, copied); })) {
        (void)removeWhenLetGo(destination);
        return Failure{Reason::NotTaken};
    }
    // A driver may stamp the rename's time on the file (fusefat does).
    if (copy.named()) {
        const std::array<timespec, 2> times{status.st_atim, status.st_mtim};
        (void)::utimensat(AT_FDCWD, destination.c_str(), times.data(), AT_SYMLINK_NOFOLLOW);
    }
    return {};
}

// Where nothing can be renamed, the file a new one replaces goes first: the
// file seen at path before, and only while it is still as seen (a file that
// changed or appeared meanwhile stays: EEXIST).
Outcome removeAsSeen(const std::string& path, const std::optional<struct stat>& seen)
{
    if (!seen) {
        return {};
    }
    struct stat now {};
    if (::lstat(path.c_str(), &now) == 0 && !NewFile::unchanged(*seen, now)) {
        return failureOf(EEXIST, Side::Target);
    }
    return removeWhenLetGo(path) ? Outcome() : Outcome::lastError(Side::Target);
}

// On a drive that cannot rename: the copy is written under its name, which
// it takes only where no file has it. The file seen there before, our copy
// whose source changed, goes first, and only while it is still as seen. The
// copy counts once the drive holds it whole; what there is of it otherwise
// is removed.
Outcome copyStraight(int in, const struct stat& status, const std::string& destination,
                     const std::optional<struct stat>& seen, const CopyProgressRoutine& progress)
{
    if (Outcome removed = removeAsSeen(destination, seen); !removed) {
        return removed;
    }
    NewFile copy(NewFile::Straight{}, destination, copyMode(status));
    const auto poured = pourInto(copy, in, status, progress);
    if (const Failure* failed = std::get_if<Failure>(&poured)) {
        return *failed;
    }
    const std::uint64_t copied = std::get<std::uint64_t>(poured);
    return copy.finishStraight(copied, [&progress, copied] { progress(copied, copied); });
}

} // namespace

Outcome copyFile(const std::string& source, const std::string& destination,
                 const CopyProgressRoutine& progress, KnownDestination known, bool flushFirst)
{
    // O_NONBLOCK keeps a FIFO from holding the open; only regular files copy.
    // (It means nothing to a regular file, so it may stay set.)
    const FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat status {};
    struct stat existing {};
    if (!in.valid()) {
        // A source that cannot be read may still be the destination itself.
        const Failure unread = failureOf(errno, Side::Source);
        if (::stat(source.c_str(), &status) == 0 && ::lstat(destination.c_str(), &existing) == 0 &&
            isSameFile(status, destination, existing)) {
            return reportComplete(status, progress);
        }
        return unread;
    }
    if (::fstat(in.get(), &status) != 0) {
        return Outcome::lastError(Side::Source);
    }
    if (!S_ISREG(status.st_mode)) {
        return notAFile(status);
    }
    // One look at the destination, unless the caller found nothing there,
    // tells whether it is the source itself, a protected file, a file to
    // replace or not there yet.
    const bool replacing =
        known != KnownDestination::Absent && ::lstat(destination.c_str(), &existing) == 0;
    if (replacing && isSameFile(status, destination, existing)) {
        return reportComplete(status, progress);
    }
    if (replacing && isProtected(existing)) {
        return failureOf(EACCES, Side::Target);
    }

    const std::string folder = folderOf(destination);
    const std::optional<struct stat> seen = replacing ? std::optional(existing) : std::nullopt;
    if (!writesStraight(folder)) {
        bool refused = false;
        Outcome copied = copyThroughTemporary(in.get(), status, source, destination, seen, progress,
                                              flushFirst, refused);
        if (!refused) {
            return copied;
        }
        // The drive cannot rename (a phone): this copy, and every one after it
        // in this folder, goes straight under its name.
        noteWritesStraight(folder);
        if (::lseek(in.get(), 0, SEEK_SET) != 0) {
            return Outcome::lastError(Side::Source);
        }
    }
    return copyStraight(in.get(), status, destination, seen, progress);
}

std::optional<FileStamp> fileStamp(const std::string& path, bool followLinks)
{
    struct stat status {};
    const int looked = followLinks ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status);
    if (looked != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return FileStamp{static_cast<std::uint64_t>(status.st_size),
                     std::int64_t{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec};
}

std::optional<FileId> fileId(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileId{status.st_dev, status.st_ino};
}

std::optional<DriveRoom> driveRoom(const std::string& folder)
{
    constexpr long fuseMagic = 0x65735546;
    struct statfs drive {};
    // A drive that counts no blocks at all (fusefat, for FAT32 of 512-byte
    // clusters) tells nothing of its room.
    if (::statfs(folder.c_str(), &drive) != 0 || drive.f_blocks == 0) {
        return std::nullopt;
    }
    const auto unit =
        static_cast<std::uint64_t>(drive.f_frsize != 0 ? drive.f_frsize : drive.f_bsize);
    return DriveRoom{std::uint64_t{drive.f_bavail} * unit, unit, drive.f_type == fuseMagic};
}

std::optional<std::uint64_t> entrySize(const std::string& path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.st_size);
}

namespace {

constexpr off_t comparedBytes = 64 * 1024;

bool readAt(int fd, char* buffer, std::size_t count, off_t offset)
{
    while (count > 0) {
        const ssize_t got = ::pread(fd, buffer, count, offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        buffer += got;
        count -= static_cast<std::size_t>(got);
        offset += got;
    }
    return true;
}

bool sameBytesAt(int one, int other, off_t offset, off_t bytes)
{
    const auto count = static_cast<std::size_t>(bytes);
    const auto buffer = std::make_unique_for_overwrite<char[]>(2 * count);
    return readAt(one, buffer.get(), count, offset) &&
           readAt(other, buffer.get() + count, count, offset) &&
           std::equal(buffer.get(), buffer.get() + count, buffer.get() + count);
}

// Times centuries apart stay far apart rather than overflow.
std::int64_t nanosecondsApart(const timespec& one, const timespec& other)
{
    constexpr std::int64_t farApart = 1'000'000'000; // seconds
    const std::int64_t seconds =
        std::clamp(std::int64_t{one.tv_sec} - other.tv_sec, -farApart, farApart);
    return seconds * 1'000'000'000 + (std::int64_t{one.tv_nsec} - other.tv_nsec);
}

} // namespace

std::optional<std::uint64_t> sizeOfHeldCopy(const std::string& source,
                                            const std::string& destination, bool windowsRules)
{
    // O_NOFOLLOW: a symbolic link is never taken for the copy itself.
    const FileDescriptor held(
        ::open(destination.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    struct stat heldStatus {};
    if (!held.valid() || ::fstat(held.get(), &heldStatus) != 0 || !S_ISREG(heldStatus.st_mode)) {
        return std::nullopt;
    }
    const FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat status {};
    if (!in.valid() || ::fstat(in.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size != heldStatus.st_size ||
        !copyTimeMatches(nanosecondsApart(status.st_mtim, heldStatus.st_mtim), windowsRules)) {
        return std::nullopt;
    }
    const off_t size = status.st_size;
    const off_t head = std::min(size, comparedBytes);
    if (!sameBytesAt(in.get(), held.get(), 0, head) ||
        (size > head && !sameBytesAt(in.get(), held.get(), size - comparedBytes, comparedBytes))) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size);
}

Outcome writeWholeFile(const std::filesystem::path& destination, std::string_view bytes,
                       bool flushFirst, const WhileWaiting& whileWaiting)
{
    const std::string& path = destination.native();
    const std::string folder = folderOf(path);
    struct stat existing {};
    const bool replacing = ::lstat(path.c_str(), &existing) == 0;
    const std::optional<struct stat> seen = replacing ? std::optional(existing) : std::nullopt;
    if (!writesStraight(folder)) {
        NewFile file(folder, replacing, 0666);
        if (!file.valid() || !writeAll(file.fd(), bytes.data(), bytes.size())) {
            return Outcome::lastError(Side::Target);
        }
        if (flushFirst) {
            if (Outcome flushed = flushCopy(file.fd(), path, whileWaiting); !flushed) {
                return flushed;
            }
        }
        if (file.commit(path, seen)) {
            return {};
        }
        if (!file.named() || !renameRefused(errno)) {
            return Outcome::lastError(Side::Target);
        }
        noteWritesStraight(folder);
    }
    if (Outcome removed = removeAsSeen(path, seen); !removed) {
        return removed;
    }
    NewFile file(NewFile::Straight{}, path, 0666);
    if (!file.valid() || !writeAll(file.fd(), bytes.data(), bytes.size())) {
        return Outcome::lastError(Side::Target);
    }
    return file.finishStraight(bytes.size(), whileWaiting);
}

Renamed renameCopy(const std::string& from, const std::string& to)
{
    const std::string folder = folderOf(to);
    if (writesStraight(folder)) {
        return Renamed::Refused;
    }
    if (renameToFreeName(from, to)) {
        return Renamed::Done;
    }
    if (renameRefused(errno)) {
        noteWritesStraight(folder);
        return Renamed::Refused;
    }
    return errno == EEXIST ? Renamed::Taken : Renamed::Failed;
}

bool setModifiedTime(const std::string& path, std::int64_t time)
{
    constexpr std::int64_t second = 1'000'000'000;
    // Both times: fusefat takes none where the access time is left out.
    timespec modified{};
    modified.tv_sec = time / second;
    modified.tv_nsec = time % second;
    const std::array<timespec, 2> times{modified, modified};
    return ::utimensat(AT_FDCWD, path.c_str(), times.data(), AT_SYMLINK_NOFOLLOW) == 0;
}

bool removeCopy(const std::string& path)
{
    if (::unlink(path.c_str()) == 0) {
        return true;
    }
    return errno != ENOENT && removeWhenLetGo(path);
}

void hideFile(const std::filesystem::path& file)
{
    const FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    std::uint32_t attributes = 0;
    if (fd.valid() && ::ioctl(fd.get(), FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0) {
        attributes |= ATTR_HIDDEN;
        (void)::ioctl(fd.get(), FAT_IOCTL_SET_ATTRIBUTES, &attributes);
    }
}

FolderLock::~FolderLock()
{
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
}

bool FolderLock::tryTake(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return !heldElsewhere;
    }
    handle_ = fd;
    return true;
}

} // namespace tunecrate::platform
