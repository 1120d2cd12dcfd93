#pragma once

#include <cstddef>
#include <string_view>

namespace tunecrate {

// True for text that is well-formed UTF-8 (no overlong forms, no surrogates).
[[nodiscard]] bool isValidUtf8(std::string_view text);

// Writes codePoint as UTF-8 into bytes; the number of bytes written, 1 to 4.
[[nodiscard]] std::size_t encodeUtf8(char32_t codePoint, char (&bytes)[4]);

} // namespace tunecrate
