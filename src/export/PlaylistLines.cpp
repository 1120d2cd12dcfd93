#include "PlaylistLines.h"

#include "PlatformFiles.h"
#include "Playlist.h"

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
            return true;
        }
        ++blanksBeforeContent_;
    }
    return false;
}

bool PlaylistLines::next()
{
    replayingBlank_ = blanksReplayed_ < blanksBeforeContent_;
    if (replayingBlank_) {
        ++blanksReplayed_;
        return true;
    }
    if (!contentReplayed_) {
        contentReplayed_ = true;
        return true;
    }
    return read();
}

bool PlaylistLines::read()
{
    if (!reader_ || !reader_->next(line_)) {
        line_.clear();
        truncated_ = false;
        return false;
    }
    truncated_ = reader_->lastLineTruncated();
    return true;
}

} // namespace tunecrate
