#pragma once

#include <string>
#include <string_view>

namespace tunecrate {

// The one place where text crosses between the program's UTF-8 and the UTF-16
// of the wide Windows calls. Malformed input becomes U+FFFD rather than an
// error: a name that cannot be spelt still reaches the system, which then
// finds no such file.
[[nodiscard]] std::wstring wideFromUtf8(std::string_view utf8);
[[nodiscard]] std::string utf8FromWide(std::wstring_view wide);

// Bytes in a Windows code page (CP_ACP for the system's ANSI page) as UTF-16.
[[nodiscard]] std::wstring wideFromCodePage(unsigned codePage, std::string_view bytes);

} // namespace tunecrate
