#include "playlist/LineReader.h"

#include "files/PlatformFiles.h"
#include "files/Utf8.h"

#include <algorithm>
#include <cstring>

namespace tunecrate {
namespace {

constexpr std::size_t bufferBytes = 64 * 1024;

bool isHighSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

// The buffer holds one byte more than is ever read into it, for the NUL
// behind the bytes read that ends every search for a line break.
LineReader::LineReader(ByteSource& source, std::size_t maxLineBytes)
    : source_(source), maxLineBytes_(maxLineBytes), buffer_(bufferBytes + 1)
{}

bool LineReader::next(std::string& line)
{
    std::string_view view;
    const bool found = next(view);
    line.assign(view);
    return found;
}

// The first line, which decides the encoding, and every line of UTF-16.
bool LineReader::nextOtherLine(std::string_view& line)
{
    if (encoding_ == Encoding::Unknown) {
        detectEncoding();
        if (encoding_ == Encoding::Bytes) {
            return nextBytesLine(line);
        }
    }
    line_.clear();
    const bool found = nextUtf16Line(line_);
    line = line_;
    return found;
}

// Keeps the unread bytes, moved to the front, and reads more behind them.
// Lines are read on only when the bytes left hold no break, so only the start
// of one line is moved, and where the searches for breaks ended moves with it:
// the bytes kept are not searched again.
bool LineReader::fill()
{
    if (atEnd_) {
        return false;
    }
    if (begin_ != 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        searched_ -= std::min(searched_, begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t count = source_.read(buffer_.data() + end_, bufferBytes - end_);
    end_ += count;
    buffer_[end_] = '\0';
    atEnd_ = count == 0;
    return !atEnd_;
}

void LineReader::detectEncoding()
{
    while (end_ - begin_ < 3 && fill()) {
    }
    const auto byteAt = [this](std::size_t i) {
        return static_cast<unsigned char>(buffer_[begin_ + i]);
    };
    const std::size_t available = end_ - begin_;
    encoding_ = Encoding::Bytes;
    if (available >= 3 && byteAt(0) == 0xEF && byteAt(1) == 0xBB && byteAt(2) == 0xBF) {
        begin_ += 3;
    } else if (available >= 2 && byteAt(0) == 0xFF && byteAt(1) == 0xFE) {
        encoding_ = Encoding::Utf16LE;
        begin_ += 2;
    } else if (available >= 2 && byteAt(0) == 0xFE && byteAt(1) == 0xFF) {
        encoding_ = Encoding::Utf16BE;
        begin_ += 2;
    }
}

void LineReader::append(std::string& line, const char* bytes, std::size_t count)
{
    const std::size_t room = maxLineBytes_ - line.size();
    if (count > room) {
        truncated_ = true;
        count = room;
    }
    line.append(bytes, count);
}

// Where the next CR or LF stands, or end_ when the buffer holds none.
// strcspn stops at a NUL byte too: the one kept behind the bytes read ends the
// search there, one among them is passed over.
std::size_t LineReader::findBreak()
{
    searched_ = std::max(searched_, begin_);
    for (;;) {
        searched_ += std::strcspn(buffer_.data() + searched_, "\r\n");
        if (searched_ == end_ || buffer_[searched_] != '\0') {
            return searched_;
        }
        ++searched_;
    }
}

// Steps over the line break at position, with the LF of a CR LF.
void LineReader::passBreak(std::size_t position)
{
    begin_ = position + 1;
    if (buffer_[position] != '\r') {
        return;
    }
    if (begin_ == end_) {
        crEndedBuffer_ = true;
    } else if (buffer_[begin_] == '\n') {
        ++begin_;
    }
}

// The common line: its break stands in the buffer already.
bool LineReader::nextBytesLine(std::string_view& line)
{
    const std::size_t lineEnd = findBreak();
    if (lineEnd == end_) {
        return nextBytesLineAcrossRead(line);
    }
    takeLine(line, lineEnd);
    return true;
}

// A line whose end has yet to be read. The part read so far stays in the
// buffer while more is read behind it; only a line longer than the buffer is
// gathered piece by piece.
bool LineReader::nextBytesLineAcrossRead(std::string_view& line)
{
    if (begin_ == end_ && !fill()) {
        return false;
    }
    if (crEndedBuffer_) {
        crEndedBuffer_ = false;
        if (buffer_[begin_] == '\n') {
            ++begin_;
            if (begin_ == end_ && !fill()) {
                return false;
            }
        }
    }
    std::size_t lineEnd = findBreak();
    bool spilled = false;
    while (lineEnd == end_) {
        if (end_ - begin_ == bufferBytes) {
            if (!spilled) {
                line_.clear();
                spilled = true;
            }
            append(line_, buffer_.data() + begin_, end_ - begin_);
            begin_ = end_;
        }
        if (!fill()) {
            lineEnd = end_;
            break;
        }
        lineEnd = findBreak();
    }
    if (!spilled) {
        takeLine(line, lineEnd);
        return true;
    }
    append(line_, buffer_.data() + begin_, lineEnd - begin_);
    passLine(lineEnd);
    if constexpr (!platform::playlistLinesAreBytes) {
        platform::decodePlaylistLine(line_);
    }
    line = line_;
    return true;
}

// Gives the line from begin_ to lineEnd as a view of the buffer, cut to
// maxLineBytes, and steps behind it.
void LineReader::takeLine(std::string_view& line, std::size_t lineEnd)
{
    std::size_t length = lineEnd - begin_;
    if (length > maxLineBytes_) {
        truncated_ = true;
        length = maxLineBytes_;
    }
    line = std::string_view(buffer_.data() + begin_, length);
    passLine(lineEnd);
    if constexpr (!platform::playlistLinesAreBytes) {
        line_.assign(line);
        platform::decodePlaylistLine(line_);
        line = line_;
    }
}

void LineReader::passLine(std::size_t lineEnd)
{
    if (lineEnd == end_) {
        begin_ = end_;
    } else {
        passBreak(lineEnd);
    }
}

bool LineReader::readCodeUnit(char16_t& unit)
{
    if (pushedBack_) {
        unit = *pushedBack_;
        pushedBack_.reset();
        return true;
    }
    // A source may hand over fewer bytes than asked for; only the end of the
    // input makes a lone byte.
    while (end_ - begin_ < 2 && fill()) {
    }
    const std::size_t available = end_ - begin_;
    if (available == 0) {
        return false;
    }
    if (available == 1) {
        // An odd byte at the end of a UTF-16 file is no character.
        ++begin_;
        unit = 0xFFFD;
        return true;
    }
    const auto first = static_cast<unsigned char>(buffer_[begin_]);
    const auto second = static_cast<unsigned char>(buffer_[begin_ + 1]);
    begin_ += 2;
    unit = encoding_ == Encoding::Utf16LE ? static_cast<char16_t>(first | (second << 8))
                                          : static_cast<char16_t>((first << 8) | second);
    return true;
}

void LineReader::appendCodePoint(std::string& line, char32_t codePoint)
{
    char bytes[4];
    append(line, bytes, encodeUtf8(codePoint, bytes));
}

bool LineReader::nextUtf16Line(std::string& line)
{
    char16_t unit = 0;
    if (!readCodeUnit(unit)) {
        return false;
    }
    char32_t high = 0;
    const auto dropLoneHigh = [&] {
        if (high != 0) {
            appendCodePoint(line, 0xFFFD);
            high = 0;
        }
    };
    do {
        if (unit == u'\n') {
            dropLoneHigh();
            return true;
        }
        if (unit == u'\r') {
            dropLoneHigh();
            char16_t after = 0;
            if (readCodeUnit(after) && after != u'\n') {
                pushedBack_ = after;
            }
            return true;
        }
        if (isHighSurrogate(unit)) {
            dropLoneHigh();
            high = unit;
        } else if (isLowSurrogate(unit)) {
            if (high != 0) {
                appendCodePoint(line, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00u));
                high = 0;
            } else {
                appendCodePoint(line, 0xFFFD);
            }
        } else {
            dropLoneHigh();
            appendCodePoint(line, unit);
        }
    } while (readCodeUnit(unit));
    dropLoneHigh();
    return true;
}

} // namespace tunecrate
