#include "files/Utf8.h"

namespace tunecrate {
namespace {

// The letters with one upper case each, all in the two-byte range of UTF-8.
char32_t upperCase(char32_t letter)
{
    const auto pairedFrom = [letter](char32_t first, char32_t last, char32_t upperParity) {
        return letter >= first && letter <= last && (letter & 1) != upperParity ? letter - 1
                                                                                : letter;
    };
    if ((letter >= 0xE0 && letter <= 0xFE && letter != 0xF7) ||
        (letter >= 0x3B1 && letter <= 0x3C9 && letter != 0x3C2) ||
        (letter >= 0x430 && letter <= 0x44F)) {
        return letter - 0x20;
    }
    switch (letter) {
    case 0xFF:
        return 0x178;
    case 0x3C2: // final sigma
        return 0x3A3;
    default:
        break;
    }
    if (letter >= 0x450 && letter <= 0x45F) {
        return letter - 0x50;
    }
    // Latin Extended-A: pairs of upper and lower, upper on the even code point
    // but between U+0139 and U+0148 and from U+0179 on; U+0131 and U+017F stand alone.
    if (letter == 0x131 || letter == 0x138 || letter == 0x149 || letter == 0x17F) {
        return letter;
    }
    if (letter >= 0x139 && letter <= 0x148) {
        return pairedFrom(0x139, 0x148, 1);
    }
    if (letter >= 0x179 && letter <= 0x17E) {
        return pairedFrom(0x179, 0x17E, 1);
    }
    return pairedFrom(0x100, 0x177, 0);
}

} // namespace

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t size = text.size();
    while (i < size) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (size - i < length) {
            return false;
        }
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < low || second > high) {
            return false;
        }
        for (std::size_t k = 2; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if (next < 0x80 || next > 0xBF) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::size_t encodeUtf8(char32_t codePoint, char (&bytes)[4])
{
    std::size_t count = 0;
    if (codePoint < 0x80) {
        bytes[count++] = static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        bytes[count++] = static_cast<char>(0xC0 | (codePoint >> 6));
        bytes[count++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        bytes[count++] = static_cast<char>(0xE0 | (codePoint >> 12));
        bytes[count++] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        bytes[count++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        bytes[count++] = static_cast<char>(0xF0 | (codePoint >> 18));
        bytes[count++] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        bytes[count++] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        bytes[count++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return count;
}

std::string upperCased(std::string_view text)
{
    std::string upper;
    upper.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead >= 'a' && lead <= 'z') {
            upper += static_cast<char>(lead - 'a' + 'A');
            continue;
        }
        const unsigned char next =
            i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (lead < 0xC2 || lead > 0xDF || next < 0x80 || next > 0xBF) {
            upper += text[i];
            continue;
        }
        char bytes[4];
        const char32_t letter = (char32_t{lead} & 0x1F) << 6 | (char32_t{next} & 0x3F);
        upper.append(bytes, encodeUtf8(upperCase(letter), bytes));
        ++i;
    }
    return upper;
}

} // namespace tunecrate
