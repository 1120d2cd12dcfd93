#pragma once

#include <string_view>

namespace tunecrate {

// A NUL byte would cut the path short on its way to the OS, so such a text
// names no file at all.
[[nodiscard]] inline bool holdsNul(std::string_view text)
{
    return text.find('\0') != std::string_view::npos;
}

} // namespace tunecrate
