#pragma once

#include "files/ByteSource.h"
#include "playlist/LineReader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tunecrate {

// The playlist read front to back, one line held at a time. The mode is
// decided on the first line that is not blank; the walk then starts again at
// line 1, and the blank lines before that one are given again without reading
// them a second time.
class PlaylistLines {
public:
    explicit PlaylistLines(const std::string& path);

    // Reads up to the first line that is not blank; false when there is none.
    [[nodiscard]] bool findFirstContent();

    // The next line of the walk; false at the end of the file.
    [[nodiscard]] bool next() { return replaying_ ? replay() : read(); }

    // Lets go of the file, as the walk does once it has read the last line.
    void close()
    {
        reader_.reset();
        file_.reset();
        replaying_ = false;
    }

    // Valid until the next call of next().
    [[nodiscard]] std::string_view line() const { return line_; }
    [[nodiscard]] bool truncated() const { return truncated_; }

private:
    bool read()
    {
        if (!reader_ || !reader_->next(line_)) {
            line_ = {};
            truncated_ = false;
            return false;
        }
        truncated_ = reader_->lastLineTruncated();
        return true;
    }
    bool replay();

    std::unique_ptr<ByteSource> file_;
    std::optional<LineReader> reader_;
    std::string_view line_;
    bool truncated_ = false;
    std::string_view content_;
    bool contentTruncated_ = false;
    std::uint64_t blanksBeforeContent_ = 0;
    std::uint64_t blanksReplayed_ = 0;
    bool replaying_ = true;
};

} // namespace tunecrate
