#pragma once

#include "drive/Copy.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace tunecrate::test {

// The files at any depth under folder whose names mark them as a copy's
// temporary, left behind by a copy that did not clean up after itself.
[[nodiscard]] inline std::vector<std::filesystem::path>
temporariesIn(const std::filesystem::path& folder)
{
    const std::u8string prefix(platform::temporaryPrefix.begin(), platform::temporaryPrefix.end());
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator entry(folder, error), end;
         !error && entry != end; entry.increment(error)) {
        if (entry->path().filename().u8string().starts_with(prefix)) {
            found.push_back(entry->path());
        }
    }
    return found;
}

[[nodiscard]] inline int countTemporaries(const std::filesystem::path& folder)
{
    return static_cast<int>(temporariesIn(folder).size());
}

} // namespace tunecrate::test
