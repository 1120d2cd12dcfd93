#include "files/Paths.h"

namespace tunecrate {
namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

std::string_view afterLast(std::string_view text, char separator)
{
    const std::size_t at = text.rfind(separator);
    return at == std::string_view::npos ? text : text.substr(at + 1);
}

} // namespace

std::string percentDecoded(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
        if (low < 0) {
            decoded += text[i];
            continue;
        }
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

std::string_view bareName(std::string_view path)
{
    return afterLast(afterLast(path, '\\'), '/');
}

} // namespace tunecrate
