#pragma once

#include "ByteSource.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tunecrate {

// Splits a playlist into lines. A line ends at CR LF, at CR or at LF, in any
// mix within one file; the terminator is not part of the line, and the last
// line needs no terminator. LF CR is two line ends.
//
// Text: a leading UTF-8 byte-order mark is skipped. A file that starts with a
// UTF-16 byte-order mark is read as UTF-16 (either byte order) and its lines are
// given as UTF-8. Other lines are handed to the platform's decoding: on Windows
// a line that is not valid UTF-8 is taken from the ANSI code page; elsewhere
// the bytes stay exactly as they are.
//
// A line longer than maxLineBytes keeps only its first maxLineBytes bytes, and
// lastLineTruncated() says so; the rest is skipped, so memory stays bounded
// whatever the file holds.
class LineReader {
public:
    static constexpr std::size_t defaultMaxLineBytes = 256 * 1024;

    explicit LineReader(ByteSource& source, std::size_t maxLineBytes = defaultMaxLineBytes);

    // Reads the next line into line, without its terminator. False at the end
    // of the input, with line emptied.
    [[nodiscard]] bool next(std::string& line);
    [[nodiscard]] bool lastLineTruncated() const { return truncated_; }

private:
    enum class Encoding { Bytes, Utf16LE, Utf16BE };

    bool fill();
    void detectEncoding();
    bool nextBytesLine(std::string& line);
    bool nextUtf16Line(std::string& line);
    bool readCodeUnit(char16_t& unit);
    void appendCodePoint(std::string& line, char32_t codePoint);
    void append(std::string& line, const char* bytes, std::size_t count);

    ByteSource& source_;
    std::size_t maxLineBytes_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    bool started_ = false;
    bool truncated_ = false;
    Encoding encoding_ = Encoding::Bytes;
    std::optional<char16_t> pushedBack_;
};

} // namespace tunecrate
