#pragma once

#include <string_view>

namespace tunecrate {

// A NUL byte would cut the path short on its way to the OS, so such a text
// names no file at all.
[[nodiscard]] inline bool holdsNul(std::string_view text)
{
    return text.find('\0') != std::string_view::npos;
}

// True for text that is well-formed UTF-8 (no overlong forms, no surrogates).
[[nodiscard]] bool isValidUtf8(std::string_view text);

} // namespace tunecrate
