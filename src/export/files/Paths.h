#pragma once

#include <string>
#include <string_view>

namespace tunecrate {

// A NUL byte would cut the path short on its way to the OS, so such a text
// names no file at all.
[[nodiscard]] inline bool holdsNul(std::string_view text)
{
    return text.find('\0') != std::string_view::npos;
}

// text with every "%" and two hex digits as the byte they give: "%20"
// becomes a blank. A "%" not followed by two hex digits stays as it is.
[[nodiscard]] std::string percentDecoded(std::string_view text);

// The file-name part of a path: after the last "\", then after the last "/".
[[nodiscard]] std::string_view bareName(std::string_view path);

} // namespace tunecrate
