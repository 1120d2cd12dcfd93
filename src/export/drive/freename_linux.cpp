#include "drive/FreeName_linux.h"

#include "files/FileDescriptor_posix.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tunecrate::platform {
namespace {

// Whether the drive takes path's name, tried where fusefat would lose the
// temporary's clusters on a refused rename (see renameToFreeName).
bool driveTakesName(const std::string& path)
{
    constexpr std::size_t longestTried = 229;
    constexpr std::size_t triedOfLonger = 200;
    const std::size_t nameStart = path.rfind('/') + 1;
    if (std::all_of(path.begin() + static_cast<std::ptrdiff_t>(nameStart), path.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return true;
    }
    std::string tried = path;
    if (path.size() - nameStart > longestTried) {
        std::size_t cut = nameStart + triedOfLonger;
        while ((static_cast<unsigned char>(path[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        tried = path.substr(0, cut) + "~";
    }
    FileDescriptor probe(
        ::open(tried.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600));
    if (!probe.valid()) {
        if (errno == EPERM) {
            errno = EINVAL; // fusefat's answer to a name it refuses
        }
        return errno == EEXIST && tried != path; // only a shortened name may be another's
    }
    // Closed before it goes: FUSE keeps a removed file that is still open
    // under a hidden name.
    return probe.close() && ::unlink(tried.c_str()) == 0;
}

} // namespace

// Renames from to to where no file has that name. FUSE drivers answer the
// rename that never replaces with EINVAL, which says only that they do not
// know it; a link then takes the name where it is free. Where links are
// refused too (FAT through FUSE), the name is looked at just before the
// rename, with nothing of the program run in between.
//
// fusefat has two faults to steer round there. A rename to a name it
// refuses (it refuses every name that is not ASCII) costs the temporary's
// clusters, so a name that is not ASCII is first tried by creating it,
// which fails at no cost, and given back at once; an ASCII name, which
// the drive takes, is not (creating a name costs fusefat as much as the
// copy of a 1 MiB song). But once a long name (240 bytes here) has been
// created in a folder, a rename to a name of that length fails and the
// name is lost; so of a name of 230 bytes or more only its first 200 bytes
// are tried. (A name created and renamed onto while it stands would also
// stay on a stick pulled at that moment, as an empty file under the
// song's name.)
//
// A folder whose drive refused both is remembered, and its next rename
// goes straight to the look (each refusal costs fusefat a round trip).
bool renameToFreeName(const std::string& from, const std::string& to)
{
    static std::string refusingFolder;
    const std::string_view folder = std::string_view(to).substr(0, to.rfind('/'));
    if (folder != refusingFolder) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            return false;
        }
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return true;
        }
        if (errno == EEXIST) {
            return false;
        }
        refusingFolder = folder;
    }
    struct stat there {};
    if (::lstat(to.c_str(), &there) == 0) {
        errno = EEXIST;
        return false;
    }
    return errno == ENOENT && driveTakesName(to) && ::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace tunecrate::platform
