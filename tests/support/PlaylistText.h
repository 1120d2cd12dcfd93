#pragma once

#include "playlist/PlaylistLines.h"

#include <string>
#include <vector>

namespace tunecrate::test {

// The lines of the playlist at path as a run walks them; none when path names
// no regular file or the file holds nothing but blank lines.
inline std::vector<std::string> readPlaylist(const std::string& path)
{
    PlaylistLines lines(path);
    std::vector<std::string> read;
    if (lines.findFirstContent()) {
        while (lines.next()) {
            read.emplace_back(lines.line());
        }
    }
    return read;
}

} // namespace tunecrate::test
