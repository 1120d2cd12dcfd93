#include "playlist/PlaylistLines.h"

#include "files/PlatformFiles.h"
#include "playlist/Playlist.h"

namespace tunecrate {

PlaylistLines::PlaylistLines(const std::string& path) : file_(openPlaylistFile(path))
{
    if (file_) {
        reader_.emplace(*file_);
    }
}

bool PlaylistLines::findFirstContent()
{
    while (read()) {
        if (!isBlankLine(line_)) {
            content_ = line_;
            contentTruncated_ = truncated_;
            return true;
        }
        ++blanksBeforeContent_;
    }
    return false;
}

// The blank lines before the first content, then that line itself, all held
// since findFirstContent.
bool PlaylistLines::replay()
{
    if (blanksReplayed_ < blanksBeforeContent_) {
        ++blanksReplayed_;
        line_ = {};
        truncated_ = false;
        return true;
    }
    replaying_ = false;
    line_ = content_;
    truncated_ = contentTruncated_;
    return true;
}

} // namespace tunecrate
