#pragma once

#include "files/ByteSource.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
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

    // Reads the next line, without its terminator. False at the end of the
    // input, with line emptied. The view stays valid until the next call: a
    // line that lies wholly in the read buffer is not copied.
    [[nodiscard]] bool next(std::string_view& line)
    {
        truncated_ = false;
        line = {};
        return encoding_ == Encoding::Bytes ? nextBytesLine(line) : nextOtherLine(line);
    }
    // The same, as a copy.
    [[nodiscard]] bool next(std::string& line);
    [[nodiscard]] bool lastLineTruncated() const { return truncated_; }

private:
    enum class Encoding { Unknown, Bytes, Utf16LE, Utf16BE };

    bool fill();
    void detectEncoding();
    bool nextOtherLine(std::string_view& line);
    bool nextBytesLine(std::string_view& line);
    bool nextBytesLineAcrossRead(std::string_view& line);
    void takeLine(std::string_view& line, std::size_t lineEnd);
    void passLine(std::size_t lineEnd);
    [[nodiscard]] std::size_t findBreak();
    void passBreak(std::size_t position);
    bool nextUtf16Line(std::string& line);
    bool readCodeUnit(char16_t& unit);
    void appendCodePoint(std::string& line, char32_t codePoint);
    void append(std::string& line, const char* bytes, std::size_t count);

    ByteSource& source_;
    std::size_t maxLineBytes_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    // Where the last search for a line break ended: none lies between begin_
    // and it.
    std::size_t searched_ = 0;
    // A line that cannot be a view of the buffer: one longer than the buffer,
    // one the platform decodes, or one of UTF-16.
    std::string line_;
    bool atEnd_ = false;
    bool truncated_ = false;
    // A CR ended the buffer: an LF at the start of the next read belongs to it.
    bool crEndedBuffer_ = false;
    Encoding encoding_ = Encoding::Unknown;
    std::optional<char16_t> pushedBack_;
};

} // namespace tunecrate
