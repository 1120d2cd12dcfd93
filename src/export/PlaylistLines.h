#pragma once

#include "ByteSource.h"
#include "LineReader.h"

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
    [[nodiscard]] bool next();

    [[nodiscard]] std::string_view line() const
    {
        return replayingBlank_ ? std::string_view() : std::string_view(line_);
    }
    [[nodiscard]] bool truncated() const { return !replayingBlank_ && truncated_; }

private:
    bool read();

    std::unique_ptr<ByteSource> file_;
    std::optional<LineReader> reader_;
    std::string line_;
    bool truncated_ = false;
    std::uint64_t blanksBeforeContent_ = 0;
    std::uint64_t blanksReplayed_ = 0;
    bool contentReplayed_ = false;
    bool replayingBlank_ = false;
};

} // namespace tunecrate
