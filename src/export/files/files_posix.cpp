#include "files/FileDescriptor_posix.h"
#include "files/PlatformFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tunecrate {
namespace {

class FileSource final : public ByteSource {
public:
    explicit FileSource(int fd) : fd_(fd) {}

    std::size_t read(char* buffer, std::size_t size) override
    {
        for (;;) {
            const ssize_t count = ::read(fd_.get(), buffer, size);
            if (count >= 0) {
                return static_cast<std::size_t>(count);
            }
            if (errno != EINTR) {
                throw std::system_error(errno, std::generic_category(), "reading the playlist");
            }
        }
    }

private:
    FileDescriptor fd_;
};

bool meansNotFound(int error)
{
    return error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG || error == ELOOP ||
           error == ENXIO || error == ENODEV;
}

} // namespace

std::filesystem::path fsPath(std::string_view utf8)
{
    return std::filesystem::path(std::string(utf8));
}

std::string utf8Text(const std::filesystem::path& path)
{
    return path.native();
}

std::unique_ptr<ByteSource> openPlaylistFile(const std::string& path)
{
    if (path.find('\0') != std::string::npos) {
        return nullptr;
    }
    // O_NONBLOCK so that a FIFO cannot hold the open; anything but a regular
    // file is then put aside unread.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        if (meansNotFound(errno)) {
            return nullptr;
        }
        throw std::system_error(errno, std::generic_category(), "opening the playlist");
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return nullptr;
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<FileSource>(fd.release());
}

namespace platform {

void decodePlaylistLine(std::string& /*line*/) {}

std::string comparablePath(std::string_view path)
{
    return std::string(path);
}

} // namespace platform
} // namespace tunecrate
