#include "drive/DriveNames.h"

#include "files/Utf8.h"

#include <algorithm>
#include <array>

namespace tunecrate {
namespace {

bool refusedByWindows(unsigned char c)
{
    constexpr std::string_view refused = "\"*:<>?\\|";
    return c < 0x20 || c == 0x7F || refused.find(static_cast<char>(c)) != std::string_view::npos;
}

// The length of the UTF-8 sequence that starts text, or 0 where none does.
std::size_t sequenceLength(std::string_view text)
{
    for (std::size_t length = 1; length <= std::min<std::size_t>(4, text.size()); ++length) {
        if (isValidUtf8(text.substr(0, length))) {
            return length;
        }
    }
    return 0;
}

bool isReservedDevice(std::string_view stem)
{
    constexpr std::array<std::string_view, 4> plain{"CON", "PRN", "AUX", "NUL"};
    std::string upper = upperCased(stem);
    if (std::ranges::find(plain, upper) != plain.end()) {
        return true;
    }
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
           upper[3] >= '1' && upper[3] <= '9';
}

// A name's length as the drive counts it.
std::size_t lengthOnDrive(std::string_view name, bool windowsRules)
{
    if (!windowsRules) {
        return name.size();
    }
    std::size_t units = 0;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) {
            units += byte >= 0xF0 ? 2 : 1; // four bytes make a surrogate pair
        }
    }
    return units;
}

// Cuts text back to at most length units on the drive, a whole character at a
// time; on a Windows-rule drive no dot or space is left at the cut.
std::string_view cutTo(std::string_view text, std::size_t length, bool windowsRules)
{
    while (!text.empty() && lengthOnDrive(text, windowsRules) > length) {
        std::size_t last = text.size() - 1;
        while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80) {
            --last;
        }
        text = text.substr(0, last);
    }
    while (windowsRules && !text.empty() && (text.back() == '.' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::string driveSafeName(std::string_view bareName, bool windowsRules)
{
    if (!windowsRules) {
        return std::string(bareName);
    }
    std::string name;
    name.reserve(bareName.size());
    while (!bareName.empty()) {
        const auto lead = static_cast<unsigned char>(bareName.front());
        const std::size_t length = lead < 0x80 ? 1 : sequenceLength(bareName);
        if (length == 0 || (length == 1 && refusedByWindows(lead))) {
            name += '_';
            bareName.remove_prefix(1);
            continue;
        }
        name += bareName.substr(0, length);
        bareName.remove_prefix(length);
    }
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        name.pop_back();
    }
    if (name.empty()) {
        return "_";
    }
    const std::size_t stemEnd = std::min(name.find('.'), name.size());
    if (isReservedDevice(std::string_view(name).substr(0, stemEnd))) {
        // One character, not a string: GCC 12 at -O3 warns of an overlap
        // in the string insert that cannot happen.
        name.insert(name.begin() + static_cast<std::ptrdiff_t>(stemEnd), '_');
    }
    return name;
}

std::string nameOnDrive(std::string_view safeName, int number, bool windowsRules)
{
    std::size_t dot = safeName.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        dot = safeName.size();
    }
    std::string suffix(number == 1 ? "" : " (" + std::to_string(number) + ")");
    suffix += safeName.substr(dot);
    std::string_view stem = safeName.substr(0, dot);
    const std::size_t suffixLength = lengthOnDrive(suffix, windowsRules);
    if (lengthOnDrive(stem, windowsRules) + suffixLength > longestName) {
        if (suffixLength >= longestName) {
            // An extension longer than any name: the whole is cut.
            const std::string whole = std::string(stem) + suffix;
            return std::string(cutTo(whole, longestName, windowsRules));
        }
        stem = cutTo(stem, longestName - suffixLength, windowsRules);
    }
    return std::string(stem) + suffix;
}

int numberOnDrive(std::string_view name, std::string_view safeName, bool windowsRules)
{
    constexpr int mostNumbers = 10000;
    const auto compared = [windowsRules](std::string_view text) {
        return windowsRules ? upperCased(text) : std::string(text);
    };
    const std::string wanted = compared(name);
    if (compared(nameOnDrive(safeName, 1, windowsRules)) == wanted) {
        return 1;
    }
    // The number stands in " (n)", wherever shortening left it.
    for (std::size_t open = name.find(" ("); open != std::string_view::npos;
         open = name.find(" (", open + 1)) {
        int number = 0;
        std::size_t digit = open + 2;
        for (; digit < name.size() && name[digit] >= '0' && name[digit] <= '9' &&
               number <= mostNumbers;
             ++digit) {
            number = number * 10 + (name[digit] - '0');
        }
        if (number >= 2 && number <= mostNumbers && digit < name.size() && name[digit] == ')' &&
            compared(nameOnDrive(safeName, number, windowsRules)) == wanted) {
            return number;
        }
    }
    return 0;
}

} // namespace tunecrate
