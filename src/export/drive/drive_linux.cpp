#include "drive/Drive.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/statfs.h>
#include <unistd.h>

namespace tunecrate {
namespace {

// f_type of statfs, as the kernel's magic.h and its file systems give them.
constexpr long fatMagic = 0x4d44;
constexpr long exfatMagic = 0x2011BAB0;
constexpr long ntfsMagic = 0x5346544e;  // the old driver
constexpr long ntfs3Magic = 0x7366746e; // the new one
constexpr long fuseMagic = 0x65735546;

std::string resolved(const std::string& folder)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : folder;
}

std::string mountinfo()
{
    std::ifstream file("/proc/self/mountinfo", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Creates and at once removes a hidden name holding a character Windows
// refuses: the drive takes names as they are when that works.
bool refusesWindowsNames(const std::string& folder)
{
    const std::string probe =
        folder + "/.tunecrate-" + std::to_string(::getpid()) + "-probe:?.part";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return true;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return false;
}

} // namespace

bool followsWindowsRules(const std::string& folder)
{
    struct statfs drive {};
    if (folder.find('\0') != std::string::npos || ::statfs(folder.c_str(), &drive) != 0) {
        return false; // nothing will be written there
    }
    switch (drive.f_type) {
    case fatMagic:
    case exfatMagic:
    case ntfsMagic:
    case ntfs3Magic:
        return true;
    case fuseMagic:
        break;
    default:
        return false;
    }
    // Every FUSE driver shows the same magic number; its mount type tells more.
    if (const auto known = windowsRulesOfMountType(mountTypeOf(mountinfo(), resolved(folder)))) {
        return *known;
    }
    return refusesWindowsNames(folder);
}

DriveKind driveKind(const std::string& folder)
{
    struct statfs drive {};
    if (folder.find('\0') != std::string::npos || ::statfs(folder.c_str(), &drive) != 0) {
        return {};
    }
    switch (drive.f_type) {
    case fatMagic:
        return {.keepsFileNumbers = false, .largestFile = largestFatFile};
    case exfatMagic:
        return {};
    case fuseMagic:
        break;
    default:
        return {.keepsFileNumbers = true, .largestFile = std::nullopt};
    }
    // exfat-fuse and ntfs-3g both show as "fuseblk": only a FAT driver says so.
    const std::string type = mountTypeOf(mountinfo(), resolved(folder));
    const bool fat = type.starts_with("fuse.") && type.find("fat") != std::string::npos &&
                     type.find("exfat") == std::string::npos;
    return {.keepsFileNumbers = false,
            .largestFile = fat ? std::optional(largestFatFile) : std::nullopt};
}

} // namespace tunecrate
