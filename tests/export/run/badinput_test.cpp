// Playlists no one would write on purpose: cut-off, binary, mis-encoded, huge.
// The run must neither crash nor hang, keep its memory to one bounded line, copy
// nothing that a line does not name exactly, and log every entry it meets.

#include "CaseName.h"
#include "ExportScene.h"
#include "playlist/LineReader.h"
#include "run/ExportRun.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;
using test::closingLine;
using test::ExportScene;
using test::FolderState;
using test::folderState;
using test::logRecords;
using test::PrintTo;
using test::resultsOf;
using test::wrongLogEnd;
using test::writeFile;
using Results = std::vector<std::string>;
using namespace std::string_literals;

constexpr std::size_t mib = 1024 * 1024;

const std::string allFilesCopied = "All files copied!";
const std::string closing;
const std::string noPlaylistFound = "No playlist found!";

// ASCII text as UTF-16 code units, little or big end first.
std::string utf16(std::string_view ascii, bool bigEndian)
{
    std::string bytes;
    for (const char c : ascii) {
        bytes += bigEndian ? "\0"s + c : c + "\0"s;
    }
    return bytes;
}

class BadInputTest : public testing::Test, public ExportScene {
public:
    BadInputTest()
    {
        // "a" has no extension, so a path cut short at a NUL in "a<NUL>.mp3"
        // would name it.
        a = song("a", "a");
        b = song("b.mp3", "b");
    }

    // The target holds exactly the named files, copied from music/.
    void expectTargetHolds(const std::vector<std::string>& names) const
    {
        FolderState expected;
        for (const auto& name : names) {
            expected[name] = test::bytesOf(music() / name);
        }
        EXPECT_EQ(folderState(target()), expected);
        EXPECT_EQ(temporariesLeft(), 0);
    }

    std::string a;
    std::string b;
};

struct BadPlaylistCase {
    const char* name;
    std::function<std::string(const BadInputTest&)> bytes;
    Results results;
    std::string logEnd; // closing: the closing line the results give
    std::vector<std::string> copied;
};

class BadPlaylistTest : public BadInputTest, public testing::WithParamInterface<BadPlaylistCase> {};

TEST_P(BadPlaylistTest, LogsEveryEntryAndCopiesOnlyWhatIsNamedExactly)
{
    writeFile(list(), GetParam().bytes(*this));
    runExport(window);
    const auto lines = window.logLines();
    EXPECT_EQ(resultsOf(logRecords(lines)), GetParam().results) << window.logText;
    EXPECT_EQ(wrongLogEnd(lines, GetParam().logEnd == closing ? closingLine(GetParam().results)
                                                              : GetParam().logEnd),
              "");
    expectTargetHolds(GetParam().copied);
}

INSTANTIATE_TEST_SUITE_P(
    Playlists, BadPlaylistTest,
    testing::Values(
        BadPlaylistCase{"NulInsideAnEntry",
                        [](const BadInputTest& scene) {
                            return "#EXTM3U\r\n" + scene.a + "\0.mp3\r\n"s + scene.b + "\r\n";
                        },
                        {"error", "ok"},
                        closing,
                        {"b.mp3"}},
        // A line of NULs is an entry that names no file.
        BadPlaylistCase{
            "NulLineIsAnError",
            [](const BadInputTest& scene) { return "#EXTM3U\r\n\0\0\0\r\n"s + scene.b; },
            {"error", "ok"},
            closing,
            {"b.mp3"}},
        // Not a comment, but the playlist is called .m3u: the line is an entry.
        BadPlaylistCase{"NulBeforeTheHeader",
                        [](const BadInputTest& scene) { return "\0#EXTM3U\r\n"s + scene.b; },
                        {"error", "ok"},
                        closing,
                        {"b.mp3"}},
        BadPlaylistCase{"InvalidUtf8InAnEntry",
                        [](const BadInputTest& scene) {
                            return "#EXTM3U\r\n" + scene.dir.file("music") +
                                   "/\xC3\x28\xFF\xFE.mp3\r\n" + scene.b;
                        },
                        {"error", "ok"},
                        closing,
                        {"b.mp3"}},
        // An overlong "/" is no separator: the line names no file in music/.
        BadPlaylistCase{"OverlongUtf8Slash",
                        [](const BadInputTest& scene) {
                            return "#EXTM3U\r\n" + scene.dir.file("music") +
                                   "\xC0\xAF"
                                   "b.mp3\r\n";
                        },
                        {"error"},
                        closing,
                        {}},
        BadPlaylistCase{"Utf16OddByteAfterTheLastBreak",
                        [](const BadInputTest& scene) {
                            return "\xFF\xFE" + utf16("#EXTM3U\r\n" + scene.b + "\r\n", false) +
                                   "X";
                        },
                        {"ok", "error"},
                        closing,
                        {"b.mp3"}},
        // The odd byte becomes U+FFFD at the end of the path, which then names no file.
        BadPlaylistCase{"Utf16OddByteEndingAnEntry",
                        [](const BadInputTest& scene) {
                            return "\xFF\xFE" + utf16("#EXTM3U\r\n" + scene.b, false) + "X";
                        },
                        {"error"},
                        closing,
                        {}},
        BadPlaylistCase{"Utf16BigEndianOddByte",
                        [](const BadInputTest& scene) {
                            return "\xFE\xFF" + utf16("#EXTM3U\r\n" + scene.b + "\r\n", true) + "X";
                        },
                        {"ok", "error"},
                        closing,
                        {"b.mp3"}},
        BadPlaylistCase{"Utf16OddByteAlone",
                        [](const BadInputTest&) { return "\xFF\xFEX"s; },
                        {"error"},
                        closing,
                        {}}),
    test::CaseName());

// A line with no break for 1 MiB or 100 MiB is held only up to the reader's
// cap; as an entry it names no file and is an error, as a comment it is skipped.
struct LongLineCase {
    const char* name;
    std::size_t bytes;
    bool entry;
};

class LongLineTest : public BadInputTest, public testing::WithParamInterface<LongLineCase> {};

TEST_P(LongLineTest, IsCutAtTheCapAndCopiesNothing)
{
    {
        std::ofstream out(list(), std::ios::binary);
        const std::string start = "#EXTM3U\r\n" + b + "\r\n" + (GetParam().entry ? b : "#EXTINF:");
        out << start;
        const std::string chunk(mib, 'x');
        for (std::size_t written = start.size(); written < GetParam().bytes;) {
            const std::size_t count = std::min(chunk.size(), GetParam().bytes - written);
            out.write(chunk.data(), static_cast<std::streamsize>(count));
            written += count;
        }
    }
    ASSERT_GT(fs::file_size(list()), GetParam().bytes - 1);

    runExport(window);

    const Results expected = GetParam().entry ? Results{"ok", "error"} : Results{"ok"};
    EXPECT_EQ(resultsOf(logRecords(window.logLines())), expected);
    EXPECT_EQ(wrongLogEnd(window.logLines(), closingLine(expected)), "");
    // Source and destination of the cut entry: two capped lines at most.
    EXPECT_LT(window.logText.size(), 2 * LineReader::defaultMaxLineBytes + 4096);
    expectTargetHolds({"b.mp3"});
}

INSTANTIATE_TEST_SUITE_P(Lines, LongLineTest,
                         testing::Values(LongLineCase{"OneMiBEntry", mib, true},
                                         LongLineCase{"OneMiBComment", mib, false},
                                         LongLineCase{"HundredMiBEntry", 100 * mib, true},
                                         LongLineCase{"HundredMiBComment", 100 * mib, false}),
                         test::CaseName());

// Random bytes after a header that makes the run walk them. Empty lines are
// taken out, so that the walk goes through all of it.
struct GarbageCase {
    const char* name;
    std::string header;
    unsigned seed;
};

class GarbageTest : public BadInputTest, public testing::WithParamInterface<GarbageCase> {};

TEST_P(GarbageTest, EveryEntryIsAnErrorAndNothingIsWritten)
{
    std::mt19937 random(GetParam().seed);
    std::string bytes = GetParam().header;
    while (bytes.size() < mib) {
        const auto byte = static_cast<char>(random() & 0xFF);
        const bool emptyLine = byte == '\r' && !bytes.empty() && bytes.back() == '\r';
        bytes += emptyLine ? 'x' : byte;
    }
    writeFile(list(), bytes);

    runExport(window);

    const auto lines = window.logLines();
    for (const auto& record : logRecords(lines)) {
        EXPECT_EQ(record.result, "error") << record.source;
    }
    EXPECT_TRUE(wrongLogEnd(lines, closingLine(resultsOf(logRecords(lines)))).empty() ||
                window.logText == noPlaylistFound)
        << lines.back();
    expectTargetHolds({});
}

INSTANTIATE_TEST_SUITE_P(Playlists, GarbageTest,
                         testing::Values(GarbageCase{"Raw", "", 1}, GarbageCase{"Raw2", "", 2},
                                         GarbageCase{"M3u", "#EXTM3U\r\n", 3},
                                         GarbageCase{"M3u2", "#EXTM3U\r\n", 4},
                                         GarbageCase{"Pls", "[playlist]\r\n", 5},
                                         GarbageCase{"Pls2", "[playlist]\r\n", 6}),
                         test::CaseName());

// Hands over one byte per read, as a slow network file may.
class TrickleSource final : public ByteSource {
public:
    explicit TrickleSource(std::string_view bytes) : memory_(bytes) {}
    std::size_t read(char* buffer, std::size_t) override { return memory_.read(buffer, 1); }

private:
    MemorySource memory_;
};

std::vector<std::string> linesOf(ByteSource&& source)
{
    LineReader reader(source);
    std::vector<std::string> lines;
    for (std::string line; reader.next(line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(ShortReads, GiveTheSameLinesAsWholeReads)
{
    const std::string text = "#EXTM3U\r\nC:\\a.mp3\rD:\\b.mp3";
    for (const std::string& bytes :
         {"\xFF\xFE" + utf16(text, false), "\xFE\xFF" + utf16(text, true), "\xEF\xBB\xBF" + text}) {
        EXPECT_EQ(linesOf(TrickleSource(bytes)),
                  (std::vector<std::string>{"#EXTM3U", "C:\\a.mp3", "D:\\b.mp3"}));
    }
}

// Keeps count of the log's records instead of its text, which would run to a
// hundred megabytes for a million lines.
class TallyWindow : public test::TestWindow {
public:
    void appendLog(std::string_view piece) override
    {
        if (piece.find(Language().strCopiedTo) != std::string_view::npos) {
            ++records;
        } else if (piece.starts_with("\r\nerror\r\n")) {
            ++errors;
        } else {
            logText += piece;
        }
    }
    std::size_t records = 0;
    std::size_t errors = 0;
};

// A million lines, one in a hundred an entry that names a missing file: each
// entry is logged once as an error, each line lets events through once.
TEST_F(BadInputTest, MillionLinePlaylistIsWalkedToItsEnd)
{
    constexpr int lines = 1'000'000;
    constexpr int entryEvery = 100;
    const std::string entry = dir.file("music/missing.mp3") + "\r\n";
    {
        std::ofstream out(list(), std::ios::binary);
        out << "#EXTM3U\r\n";
        for (int line = 2; line <= lines; ++line) {
            out << (line % entryEvery == 0 ? entry : "#EXTINF:215,Artist - Title\r\n");
        }
    }
    TallyWindow tally;
    ApplyLanguage("English", tally);
    tally.pathFromText = window.pathFromText;
    tally.pathToText = window.pathToText;

    runExport(tally);

    EXPECT_EQ(tally.records, static_cast<std::size_t>(lines / entryEvery));
    EXPECT_EQ(tally.errors, tally.records);
    EXPECT_EQ(tally.logText, "\r\n" + closingLine(Results(tally.errors, "error")) + "\r\n" +
                                 dir.file("music/missing.mp3") + ": the song was not found");
    // Once a line, and every 50 ms while the room was counted before.
    EXPECT_GE(tally.eventCalls, lines);
    EXPECT_LE(tally.eventCalls, lines + 200);
    expectTargetHolds({});
}

} // namespace
} // namespace tunecrate
