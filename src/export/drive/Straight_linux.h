#pragma once

// Writing onto drives that cannot rename, as phones over MTP are: a copy goes
// straight under its final name there, and is looked at again once the drive
// has taken it. copy_linux.cpp writes through these.

#include "drive/DriveFiles.h"
#include "drive/Flush.h"

#include <cstdint>
#include <string>

namespace tunecrate::platform {

// From now on copies into folder are written straight (writesStraight).
void noteWritesStraight(const std::string& folder);

// Whether a failed rename's errno says the drive has no rename at all (a
// phone's MTP driver answers ENOSYS or EPERM), rather than that this one
// failed.
[[nodiscard]] bool renameRefused(int error);

// Whether the file at path, closed just before, has size bytes: a driver that
// sends a file on its close may still be sending it, so the size is waited
// for, for longer the larger the file, calling whileWaiting meanwhile.
[[nodiscard]] bool sizeArrives(const std::string& path, std::uint64_t size,
                               const WhileWaiting& whileWaiting);

// Whether the file at path, closed just before, has arrived whole: it has
// size bytes, and its folder lists its name once (MTP lets two objects share
// a name). A driver that sends a file on its close may still be sending it,
// so the size is waited for, for longer the larger the file, calling
// whileWaiting meanwhile.
[[nodiscard]] bool arrivedWhole(const std::string& path, std::uint64_t size,
                                const WhileWaiting& whileWaiting);

// Removes path, a file this program wrote and closed, waiting a short while
// where the drive refuses the unlink: a FUSE driver that has not yet taken
// the close would keep the file under a hidden name, which a drive that
// cannot rename refuses.
bool removeWhenLetGo(const std::string& path);

} // namespace tunecrate::platform
