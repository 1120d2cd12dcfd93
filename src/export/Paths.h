#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tunecrate {

// The core keeps paths as UTF-8 text. These cross to std::filesystem without
// the narrow code page: on Windows the path becomes UTF-16, on POSIX the bytes
// pass unchanged.
[[nodiscard]] std::filesystem::path fsPath(std::string_view utf8);
[[nodiscard]] std::string utf8Text(const std::filesystem::path& path);

// A NUL byte would cut the path short on its way to the OS, so such a text
// names no file at all.
[[nodiscard]] inline bool holdsNul(std::string_view text)
{
    return text.find('\0') != std::string_view::npos;
}

// True for text that is well-formed UTF-8 (no overlong forms, no surrogates).
[[nodiscard]] bool isValidUtf8(std::string_view text);

} // namespace tunecrate
