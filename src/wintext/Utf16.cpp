#include "Utf16.h"

#include <limits>
#include <stdexcept>
#include <windows.h>

namespace tunecrate {
namespace {

int apiLength(std::size_t size)
{
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("text too long to convert");
    }
    return static_cast<int>(size);
}

} // namespace

std::wstring wideFromCodePage(unsigned codePage, std::string_view bytes)
{
    if (bytes.empty()) {
        return {};
    }
    const int size = apiLength(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

std::wstring wideFromUtf8(std::string_view utf8)
{
    return wideFromCodePage(CP_UTF8, utf8);
}

std::string utf8FromWide(std::wstring_view wide)
{
    if (wide.empty()) {
        return {};
    }
    const int size = apiLength(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

} // namespace tunecrate
