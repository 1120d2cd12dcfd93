#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tunecrate::test {

// A log split at its CR LF line breaks.
[[nodiscard]] inline std::vector<std::string> splitLogLines(std::string_view log)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = log.find("\r\n", start);
        lines.emplace_back(log.substr(start, end - start));
        if (end == std::string_view::npos) {
            return lines;
        }
        start = end + 2;
    }
}

} // namespace tunecrate::test
