#include "LineReader.h"

#include "PlatformFiles.h"
#include "Utf8.h"

#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The first CR or LF in [first, last), or last. Sixteen bytes at a time,
// compared with both at once, so one pass serves any mix of line ends. SSE2,
// which every x86-64 processor has, turns the comparison into a bit mask in
// one instruction; elsewhere the compiler's own vectors do the same in a few.
const char* findLineBreak(const char* first, const char* last)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (last - first >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first));
        const int matches =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
        if (matches != 0) {
            return first + std::countr_zero(static_cast<unsigned>(matches));
        }
        first += 16;
    }
#else
    if constexpr (std::endian::native == std::endian::little) {
        using Bytes = char __attribute__((vector_size(16)));
        constexpr Bytes cr = {'\r', '\r', '\r', '\r', '\r', '\r', '\r', '\r',
                              '\r', '\r', '\r', '\r', '\r', '\r', '\r', '\r'};
        constexpr Bytes lf = {'\n', '\n', '\n', '\n', '\n', '\n', '\n', '\n',
                              '\n', '\n', '\n', '\n', '\n', '\n', '\n', '\n'};
        while (last - first >= 16) {
            Bytes bytes;
            std::memcpy(&bytes, first, sizeof bytes);
            const auto matches = (bytes == cr) | (bytes == lf);
            std::uint64_t halves[2];
            std::memcpy(halves, &matches, sizeof halves);
            if ((halves[0] | halves[1]) != 0) {
                return first + (halves[0] != 0 ? std::countr_zero(halves[0]) / 8
                                               : 8 + std::countr_zero(halves[1]) / 8);
            }
            first += 16;
        }
    }
#endif
    while (first != last && *first != '\r' && *first != '\n') {
        ++first;
    }
    return first;
}

} // namespace

LineReader::LineReader(ByteSource& source, std::size_t maxLineBytes)
    : source_(source), maxLineBytes_(maxLineBytes), buffer_(bufferBytes)
{}

bool LineReader::next(std::string& line)
{
    line.clear();
    truncated_ = false;
    if (!started_) {
        started_ = true;
        detectEncoding();
    }
    return encoding_ == Encoding::Bytes ? nextBytesLine(line) : nextUtf16Line(line);
}

// Keeps the unread bytes, moved to the front, and reads more behind them.
// Callers only ask when fewer than a few bytes are left, so there is room.
bool LineReader::fill()
{
    if (atEnd_) {
        return false;
    }
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    const std::size_t count = source_.read(buffer_.data() + end_, buffer_.size() - end_);
    if (count == 0) {
        atEnd_ = true;
        return false;
    }
    end_ += count;
    return true;
}

void LineReader::detectEncoding()
{
    while (end_ - begin_ < 3 && fill()) {
    }
    const auto byteAt = [this](std::size_t i) {
        return static_cast<unsigned char>(buffer_[begin_ + i]);
    };
    const std::size_t available = end_ - begin_;
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

bool LineReader::nextBytesLine(std::string& line)
{
    if (begin_ == end_ && !fill()) {
        return false;
    }
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const char* lineBreak = findLineBreak(start, buffer_.data() + end_);
        if (lineBreak != buffer_.data() + end_) {
            const char terminator = *lineBreak;
            append(line, start, static_cast<std::size_t>(lineBreak - start));
            begin_ += static_cast<std::size_t>(lineBreak - start) + 1;
            if (terminator == '\r') {
                if (begin_ == end_) {
                    fill();
                }
                if (begin_ < end_ && buffer_[begin_] == '\n') {
                    ++begin_;
                }
            }
            break;
        }
        append(line, buffer_.data() + begin_, end_ - begin_);
        begin_ = end_;
        if (!fill()) {
            break;
        }
    }
    platform::decodePlaylistLine(line);
    return true;
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
