#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tunecrate {

// True for text that is well-formed UTF-8 (no overlong forms, no surrogates).
[[nodiscard]] bool isValidUtf8(std::string_view text);

// Writes codePoint as UTF-8 into bytes; the number of bytes written, 1 to 4.
[[nodiscard]] std::size_t encodeUtf8(char32_t codePoint, char (&bytes)[4]);

// The text by which two names count as one on a drive that ignores case: the
// letters of the Latin, Greek and Cyrillic alphabets in upper case, the rest
// as it is (bytes that are not UTF-8 included).
[[nodiscard]] std::string upperCased(std::string_view text);

} // namespace tunecrate
