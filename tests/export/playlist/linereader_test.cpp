#include "CaseName.h"
#include "PlaylistText.h"
#include "TempDir.h"
#include "playlist/LineReader.h"

#include <gtest/gtest.h>

namespace tunecrate {
namespace {

using test::PrintTo;
using test::readPlaylist;
using test::TempDir;
using test::writeFile;

std::vector<std::string> readLines(std::string_view bytes,
                                   std::size_t maxLineBytes = LineReader::defaultMaxLineBytes)
{
    MemorySource source(bytes);
    LineReader reader(source, maxLineBytes);
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line)) {
        lines.push_back(line);
    }
    return lines;
}

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

class LineRuleTest : public testing::TestWithParam<LineCase> {};

TEST_P(LineRuleTest, EndsLinesAtCrLfCrOrLf)
{
    EXPECT_EQ(readLines(GetParam().bytes), GetParam().lines);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Inputs, LineRuleTest,
    testing::Values(
        LineCase{"CrLf", "A\r\nB\r\n", {"A", "B"}}, LineCase{"CrAlone", "A\rB\rC", {"A", "B", "C"}},
        LineCase{"LfAlone", "A\nB\n", {"A", "B"}},
        LineCase{"LfCrIsTwoBreaks", "A\n\rB", {"A", "", "B"}},
        LineCase{"MixedInOneFile", "A\r\nB\nC\rD", {"A", "B", "C", "D"}},
        LineCase{"LfLastLineWithoutTerminator", "#EXTM3U\na.mp3", {"#EXTM3U", "a.mp3"}},
        LineCase{"OnlyBlankLines", "\n\r\n \t\r", {"", "", " \t"}},
        LineCase{"LfLf", "A\n\nB", {"A", "", "B"}},
        LineCase{"LastLineWithoutTerminator", "A\r\nB", {"A", "B"}},
        LineCase{"EmptyLineTwo", "A\r\n\r\nC", {"A", "", "C"}},
        LineCase{"CrCrLf", "A\r\r\nB", {"A", "", "B"}}, LineCase{"Empty", "", {}},
        LineCase{"Utf8BomSkipped", "\xEF\xBB\xBF#EXTM3U\r\nx", {"#EXTM3U", "x"}},
        LineCase{"Utf8BomOnly", "\xEF\xBB\xBF", {}},
        LineCase{"Utf16LittleEndian", "\xFF\xFE#\0E\0\r\0\n\0\xA9\0"s, {"#E", "\xC2\xA9"}},
        LineCase{"Utf16BigEndian", "\xFE\xFF\0#\0E\0\r\0/\x03\xA9"s, {"#E", "/\xCE\xA9"}},
        LineCase{"Utf16LfAlone",
                 "\xFF\xFE"
                 "A\0\n\0B\0\n\0"s,
                 {"A", "B"}},
        LineCase{"Utf16LfCr",
                 "\xFF\xFE"
                 "A\0\n\0\r\0B\0"s,
                 {"A", "", "B"}},
        LineCase{"Utf16SurrogatePair", "\xFF\xFE\x3D\xD8\x00\xDE"s, {"\xF0\x9F\x98\x80"}},
        LineCase{"Utf16LoneSurrogate",
                 "\xFF\xFE\x3D\xD8"
                 "A\0"s,
                 {"\xEF\xBF\xBD"
                  "A"}},
        LineCase{"Utf16OddByte",
                 "\xFF\xFE"
                 "A\0B"s,
                 {"A\xEF\xBF\xBD"}},
        LineCase{"NulBytesKept", "a\0b\r\nc"s, {"a\0b"s, "c"}},
        LineCase{"LongerThanOneFill",
                 std::string(100'000, 'x') + "\r\nb",
                 {std::string(100'000, 'x'), "b"}}),
    test::CaseName());

TEST(LineReader, CrLfSplitAcrossReadsIsOneBreak)
{
    // The reader fills 64 KiB at a time; put the CR last in the first fill.
    const std::string first(64 * 1024 - 1, 'a');
    EXPECT_EQ(readLines(first + "\r\nb"), (std::vector<std::string>{first, "b"}));
}

TEST(LineReader, CrAndLfSearchedAcrossManyFills)
{
    // LF and CR LF lines in a file larger than one fill, with one CR line near
    // its end: whatever was learnt about where the next break stands must
    // survive refills, and a CR LF may stand either side of any boundary.
    std::string bytes;
    std::vector<std::string> expected;
    for (int i = 0; i < 20000; ++i) {
        expected.push_back("line " + std::to_string(i));
        bytes += expected.back() + (i == 19990 ? "\r" : i % 3 == 0 ? "\r\n" : "\n");
    }
    EXPECT_EQ(readLines(bytes), expected);
}

TEST(LineReader, OverlongLineIsCutAndFlagged)
{
    const std::string bytes = std::string(1000, 'x') + "\r\nshort";
    MemorySource source(bytes);
    LineReader reader(source, 100);
    std::string line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, std::string(100, 'x'));
    EXPECT_TRUE(reader.lastLineTruncated());
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "short");
    EXPECT_FALSE(reader.lastLineTruncated());
}

TEST(PlaylistLines, ReadsAFileLineByLine)
{
    TempDir dir;
    writeFile(dir.path() / "list.m3u", "\r\nA\r\nB\nC");
    EXPECT_EQ(readPlaylist(dir.file("list.m3u")), (std::vector<std::string>{"", "A", "B", "C"}));
}

TEST(PlaylistLines, WhatIsNoRegularFileHasNoLines)
{
    TempDir dir;
    writeFile(dir.path() / ".hidden.m3u", "hidden\r\n");
    writeFile(dir.path() / "list.m3u", "A\r\n");

    EXPECT_TRUE(readPlaylist(dir.file("missing.m3u")).empty());
    EXPECT_TRUE(readPlaylist(dir.text()).empty());
    EXPECT_TRUE(readPlaylist("").empty());
    // A NUL would cut the name short at the OS: "list.m3u<NUL>x" is not list.m3u.
    EXPECT_TRUE(readPlaylist(dir.file("list.m3u") + std::string(1, '\0') + "x").empty());
    // A hidden file is an ordinary playlist.
    EXPECT_EQ(readPlaylist(dir.file(".hidden.m3u")), std::vector<std::string>{"hidden"});
}

} // namespace
} // namespace tunecrate
