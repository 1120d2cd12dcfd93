#pragma once

// The rename that never replaces, as copy_linux.cpp's copies and renames take
// it, with its ways round the drives whose drivers refuse it.

#include <string>

namespace tunecrate::platform {

// Renames from to to only while no file has that name: false with errno
// EEXIST when one has, false with the drive's errno on any other failure.
[[nodiscard]] bool renameToFreeName(const std::string& from, const std::string& to);

} // namespace tunecrate::platform
