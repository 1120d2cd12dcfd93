#include "drive/Drive.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace tunecrate {
namespace {

// The fields of one mountinfo line are separated by single spaces; a space,
// tab, newline or backslash within a field is written as \ and three octal digits.
std::string unescaped(std::string_view field)
{
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && field.size() - i >= 4) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string_view::npos) {
                text += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 +
                                          (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

// The mount point lies over path: path is it, or lies in a folder below it.
bool holds(std::string_view mountPoint, std::string_view path)
{
    if (!path.starts_with(mountPoint)) {
        return false;
    }
    return path.size() == mountPoint.size() || mountPoint.ends_with('/') ||
           path[mountPoint.size()] == '/';
}

} // namespace

std::optional<bool> windowsRulesOfMountType(std::string_view type)
{
    constexpr std::array windowsTypes{"vfat", "msdos", "fat", "exfat", "ntfs", "ntfs3", "fuseblk"};
    for (const std::string_view known : windowsTypes) {
        if (type == known) {
            return true;
        }
    }
    if (type == "fuse" || type.starts_with("fuse.")) {
        const std::string_view driver = type.substr(type.find('.') + 1);
        if (driver.find("fat") != std::string_view::npos ||
            driver.find("ntfs") != std::string_view::npos) {
            return true;
        }
        return std::nullopt;
    }
    return false;
}

std::string mountTypeOf(std::string_view mountinfo, std::string_view path)
{
    std::string type;
    std::size_t longest = 0;
    while (!mountinfo.empty()) {
        const std::size_t lineEnd = std::min(mountinfo.find('\n'), mountinfo.size());
        const std::string_view line = mountinfo.substr(0, lineEnd);
        mountinfo.remove_prefix(std::min(lineEnd + 1, mountinfo.size()));

        // ID, parent ID, major:minor, root, mount point, ...; " - " then the type.
        std::size_t start = 0;
        for (int field = 0; field < 4 && start != std::string_view::npos; ++field) {
            start = line.find(' ', start);
            start = start == std::string_view::npos ? start : start + 1;
        }
        const std::size_t separator = line.find(" - ");
        if (start == std::string_view::npos || separator == std::string_view::npos) {
            continue;
        }
        const std::string mountPoint = unescaped(line.substr(start, line.find(' ', start) - start));
        const std::string_view rest = line.substr(separator + 3);
        if (holds(mountPoint, path) && mountPoint.size() >= longest) {
            longest = mountPoint.size();
            type = unescaped(rest.substr(0, rest.find(' ')));
        }
    }
    return type;
}

} // namespace tunecrate
