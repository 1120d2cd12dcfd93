// Feeds arbitrary bytes to the playlist reading and to the format and entry
// rules, all in memory, and checks what must hold for any input:
// - the line rule: CR LF, CR or LF ends a line, and a plain file reads exactly
//   as a simple split of its bytes would;
// - how the bytes arrive (one at a time, a few, all at once) changes nothing;
// - a line never passes the cap, and a line is cut and flagged exactly when it
//   is longer than the cap;
// - UTF-16 input gives well-formed UTF-8;
// - the mode follows from the first line that is not blank; an entry candidate
//   is a piece of its line; a source path has a bare name with no separator.

#include "files/ByteSource.h"
#include "files/Utf8.h"
#include "playlist/LineReader.h"
#include "playlist/Playlist.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

using tunecrate::LineReader;
using tunecrate::MemorySource;

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Hands the bytes over at most chunk bytes per read, as a slow file would.
class TrickleSource final : public tunecrate::ByteSource {
public:
    TrickleSource(std::string_view bytes, std::size_t chunk) : memory_(bytes), chunk_(chunk) {}
    std::size_t read(char* buffer, std::size_t size) override
    {
        return memory_.read(buffer, std::min(size, chunk_));
    }

private:
    MemorySource memory_;
    std::size_t chunk_;
};

struct Line {
    std::string text;
    bool truncated;
    bool operator==(const Line&) const = default;
};

std::vector<Line> readAll(tunecrate::ByteSource& source, std::size_t cap)
{
    LineReader reader(source, cap);
    std::vector<Line> lines;
    std::string text;
    while (reader.next(text)) {
        lines.push_back({text, reader.lastLineTruncated()});
    }
    require(text.empty(), "the end of the input gives an empty line");
    return lines;
}

bool startsWithUtf16Mark(std::string_view bytes)
{
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

// The line rule written out the plain way, for input that is no UTF-16.
std::vector<std::string> splitPlainly(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') {
            line += bytes[i];
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

bool isPieceOf(std::string_view piece, std::string_view whole)
{
    return piece.data() >= whole.data() &&
           piece.data() + piece.size() <= whole.data() + whole.size();
}

bool endsAtEndOf(std::string_view piece, std::string_view whole)
{
    return isPieceOf(piece, whole) && piece.data() + piece.size() == whole.data() + whole.size();
}

std::string lowerBlanksTrimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    std::string lower;
    if (first != std::string_view::npos) {
        text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
        for (const char c : text) {
            lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    return lower;
}

void checkEntries(const std::vector<Line>& lines)
{
    using tunecrate::PlaylistMode;
    // A folder that does not exist: no relative entry names a file there.
    const std::filesystem::path playlist = "/nonexistent-tunecrate-fuzz/list.txt";
    const auto firstContent = std::ranges::find_if(
        lines, [](const Line& line) { return !tunecrate::isBlankLine(line.text); });
    if (firstContent != lines.end()) {
        const std::string_view first = firstContent->text;
        const auto mode = tunecrate::decidePlaylistMode(first, playlist);
        require((mode == PlaylistMode::Pls) == (lowerBlanksTrimmed(first) == "[playlist]"),
                "PLS exactly when the first line reads [playlist]");
        require(!lowerBlanksTrimmed(first).starts_with('#') || mode == PlaylistMode::M3uTxt,
                "a first line that begins with # is M3U");
    }
    for (const Line& line : lines) {
        const std::string_view text = line.text;
        for (const PlaylistMode mode : {PlaylistMode::M3uTxt, PlaylistMode::Pls}) {
            const auto candidate = tunecrate::entryCandidate(mode, text);
            if (!candidate) {
                continue;
            }
            require(endsAtEndOf(*candidate, text), "a candidate ends its line");
            require(!tunecrate::isBlankLine(*candidate), "a candidate is not blank");
            if (mode == PlaylistMode::M3uTxt) {
                require(candidate->size() == text.size(), "an M3U candidate is its whole line");
            } else {
                require(candidate->data() == text.data() + text.find('=') + 1,
                        "a PLS candidate begins after the first =");
            }
            const auto source = tunecrate::sourcePath(*candidate, playlist.parent_path());
            if (!source) {
                continue;
            }
            const std::string_view bareName = tunecrate::bareName(*source);
            require(endsAtEndOf(bareName, *source), "a bare name ends its path");
            require(bareName.find_first_of("/\\") == std::string_view::npos,
                    "a bare name holds no separator");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const bool utf16 = startsWithUtf16Mark(bytes);

    MemorySource whole(bytes);
    const std::vector<Line> lines = readAll(whole, LineReader::defaultMaxLineBytes);
    for (const Line& line : lines) {
        require(line.text.find_first_of("\r\n") == std::string::npos, "no line holds CR or LF");
        require(!line.truncated || size > LineReader::defaultMaxLineBytes,
                "no line of a smaller input is cut at the default cap");
        require(!utf16 || tunecrate::isValidUtf8(line.text), "UTF-16 gives well-formed UTF-8");
    }
    if (!utf16) {
        const std::vector<std::string> plain = splitPlainly(bytes);
        require(plain.size() == lines.size(), "as many lines as a plain split gives");
        for (std::size_t i = 0; i < plain.size(); ++i) {
            require(lines[i].text == plain[i], "the same lines as a plain split gives");
        }
    }

    for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}}) {
        TrickleSource trickle(bytes, chunk);
        require(readAll(trickle, LineReader::defaultMaxLineBytes) == lines,
                "the lines do not depend on how the bytes arrive");
    }

    // A small cap, chosen by the input, cuts the same lines at the cap.
    const std::size_t cap = 1 + size % 13;
    TrickleSource trickle(bytes, 1 + size % 5);
    const std::vector<Line> capped = readAll(trickle, cap);
    require(capped.size() == lines.size(), "a cap changes no line count");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& full = lines[i].text;
        require(capped[i].text.size() <= cap, "no line passes the cap");
        require(capped[i].truncated == (full.size() > cap), "cut exactly when longer than the cap");
        require(full.starts_with(capped[i].text), "a cut line is the start of the whole line");
        require(capped[i].truncated || capped[i].text == full, "an uncut line is whole");
    }

    checkEntries(lines);
    return 0;
}
