#include "CaseName.h"
#include "TempDir.h"
#include "playlist/Playlist.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tunecrate {
namespace {

using test::PrintTo;

namespace fs = std::filesystem;
using Mode = std::optional<PlaylistMode>;

constexpr bool posix = fs::path::preferred_separator == '/';
constexpr auto M3u = PlaylistMode::M3uTxt;
constexpr auto Pls = PlaylistMode::Pls;

struct ModeCase {
    const char* name;
    std::string firstLine;
    std::string playlistName = "list.txt";
    Mode mode;
};

class DecidePlaylistModeTest : public testing::TestWithParam<ModeCase> {
protected:
    DecidePlaylistModeTest()
    {
        fs::create_directories(dir.path() / "music");
        test::writeFile(dir.path() / "music" / "a.mp3", "a");
    }
    test::TempDir dir;
};

TEST_P(DecidePlaylistModeTest, DecidesFromTheFirstLineThatIsNotBlank)
{
    const ModeCase& row = GetParam();
    EXPECT_EQ(decidePlaylistMode(row.firstLine, dir.path() / row.playlistName), row.mode);
}

INSTANTIATE_TEST_SUITE_P(
    FirstLines, DecidePlaylistModeTest,
    testing::Values(
        ModeCase{.name = "ExtendedHeader", .firstLine = "#EXTM3U", .mode = M3u},
        ModeCase{.name = "HeaderInLowerCase", .firstLine = "#extm3u", .mode = M3u},
        ModeCase{.name = "InfoLine", .firstLine = "#EXTINF:215,Artist - Song", .mode = M3u},
        ModeCase{.name = "PlaylistDirective", .firstLine = "#PLAYLIST:Mix", .mode = M3u},
        ModeCase{.name = "Comment", .firstLine = "# made by hand", .mode = M3u},
        ModeCase{.name = "PlsHeader", .firstLine = "[playlist]", .mode = Pls},
        ModeCase{.name = "PlsCapitalised", .firstLine = "[Playlist]", .mode = Pls},
        ModeCase{.name = "PlsWithBlanksAround", .firstLine = " \t[PLAYLIST] ", .mode = Pls},
        ModeCase{.name = "PlsHeaderWithMore", .firstLine = "[playlist]x", .mode = std::nullopt},
        ModeCase{.name = "FileUrl", .firstLine = "file:///nowhere/a.mp3", .mode = M3u},
        ModeCase{.name = "FileUrlInCapitals", .firstLine = "FILE:///nowhere/a.mp3", .mode = M3u},
        ModeCase{.name = "NetworkUrl", .firstLine = "http://host/a.mp3", .mode = std::nullopt},
        ModeCase{.name = "NetworkUrlInM3uFile",
                 .firstLine = "http://host/a.mp3",
                 .playlistName = "list.M3U",
                 .mode = M3u},
        ModeCase{.name = "AnythingInM3u8File",
                 .firstLine = "no file of this name",
                 .playlistName = "list.m3u8",
                 .mode = M3u},
        ModeCase{.name = "RelativeEntryThatExists", .firstLine = "music/a.mp3", .mode = M3u},
        ModeCase{.name = "RelativeEntryWithDotSteps",
                 .firstLine = "./music/../music/a.mp3",
                 .mode = M3u},
        ModeCase{.name = "WindowsMadeRelativeEntry", .firstLine = "music\\a.mp3", .mode = M3u},
        ModeCase{.name = "RelativeEntryMissing", .firstLine = "music/b.mp3", .mode = std::nullopt},
        ModeCase{.name = "BinaryBytes", .firstLine = "ID3\x04\x01", .mode = std::nullopt},
        ModeCase{.name = "Absolute",
                 .firstLine = posix ? "/nowhere/a.mp3" : "C:\\nowhere\\a.mp3",
                 .mode = M3u},
        ModeCase{.name = "AbsoluteWithSlashes",
                 .firstLine = posix ? "/nowhere/a.mp3" : "C:/nowhere/a.mp3",
                 .mode = M3u},
        ModeCase{.name = "UncOrRelative",
                 .firstLine = "\\\\server\\share\\a.mp3",
                 .mode = posix ? Mode() : Mode(M3u)},
        ModeCase{.name = "DrivePath",
                 .firstLine = "E:\\nowhere\\a.mp3",
                 .mode = posix ? Mode() : Mode(M3u)}),
    test::CaseName());

struct CandidateCase {
    const char* name;
    PlaylistMode mode;
    std::string line;
    std::optional<std::string> candidate;
};

class EntryCandidateTest : public testing::TestWithParam<CandidateCase> {};

TEST_P(EntryCandidateTest, OffersWhatCouldNameAFile)
{
    const auto candidate = entryCandidate(GetParam().mode, GetParam().line);
    EXPECT_EQ(candidate ? std::optional<std::string>(*candidate) : std::nullopt,
              GetParam().candidate);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, EntryCandidateTest,
    testing::Values(CandidateCase{"M3uPath", M3u, "music/a.mp3", "music/a.mp3"},
                    CandidateCase{"M3uHeader", M3u, "#EXTM3U", std::nullopt},
                    CandidateCase{"M3uInfo", M3u, "#EXTINF:1,C:\\x", std::nullopt},
                    CandidateCase{"M3uIndentedComment", M3u, " \t# note", std::nullopt},
                    CandidateCase{"M3uBlanks", M3u, " \t ", std::nullopt},
                    CandidateCase{"M3uUrlIsACandidate", M3u, "http://h/a.mp3", "http://h/a.mp3"},
                    CandidateCase{"PlsEntry", Pls, "File1=C:\\a.mp3", "C:\\a.mp3"},
                    CandidateCase{"PlsLowerCaseKey", Pls, "file12=a.mp3", "a.mp3"},
                    CandidateCase{"PlsFirstEquals", Pls, "File1=C:\\a=b\\x.mp3", "C:\\a=b\\x.mp3"},
                    CandidateCase{"PlsNoDigits", Pls, "File=a.mp3", std::nullopt},
                    CandidateCase{"PlsOtherKeyLooksLikeFile", Pls, "File1x=a.mp3", std::nullopt},
                    CandidateCase{"PlsTitle", Pls, "Title1=a.mp3", std::nullopt},
                    CandidateCase{"PlsCount", Pls, "NumberOfEntries=2", std::nullopt},
                    CandidateCase{"PlsVersion", Pls, "Version=2", std::nullopt},
                    CandidateCase{"PlsHeader", Pls, "[playlist]", std::nullopt},
                    CandidateCase{"PlsEmptyValue", Pls, "File3=", std::nullopt},
                    CandidateCase{"PlsNoEquals", Pls, "File1 C:\\a.mp3", std::nullopt}),
    test::CaseName());

// Paths written for the platform the test runs on: the folder of the playlist,
// and what each candidate gives there.
struct SourceCase {
    const char* name;
    std::string candidate;
    std::optional<std::string> posix;
    std::optional<std::string> windows;
};

class SourcePathTest : public testing::TestWithParam<SourceCase> {};

TEST_P(SourcePathTest, ResolvesTheFileTheEntryNames)
{
    const fs::path folder = posix ? fs::path("/home/u/lists") : fs::path("C:\\Lists");
    EXPECT_EQ(sourcePath(GetParam().candidate, folder),
              posix ? GetParam().posix : GetParam().windows);
}

INSTANTIATE_TEST_SUITE_P(
    Candidates, SourcePathTest,
    testing::Values(
        SourceCase{"Relative", "a.mp3", "/home/u/lists/a.mp3", "C:\\Lists\\a.mp3"},
        SourceCase{"RelativeUp", "../Music/a.mp3", "/home/u/Music/a.mp3", "C:\\Music\\a.mp3"},
        SourceCase{"RelativeDots", "./x/../b.mp3", "/home/u/lists/b.mp3", "C:\\Lists\\b.mp3"},
        SourceCase{"MixedSeparators", "..\\Music/a.mp3", "/home/u/Music/a.mp3", "C:\\Music\\a.mp3"},
        SourceCase{"PosixAbsoluteStaysAsWritten", "/home/u/m//a.mp3", "/home/u/m//a.mp3",
                   "C:\\home\\u\\m\\a.mp3"},
        SourceCase{"DrivePath", "E:\\Music\\a.mp3", "/home/u/lists/E:/Music/a.mp3",
                   "E:\\Music\\a.mp3"},
        SourceCase{"DrivePathWithSlashes", "E:/Music/a.mp3", "/home/u/lists/E:/Music/a.mp3",
                   "E:/Music/a.mp3"},
        SourceCase{"RootedOnThePlaylistsDrive", "\\Music\\a.mp3", "/Music/a.mp3",
                   "C:\\Music\\a.mp3"},
        SourceCase{"Unc", "\\\\server\\share\\a.mp3", "/server/share/a.mp3",
                   "\\\\server\\share\\a.mp3"},
        SourceCase{"FileUrl", "file:///home/u/My%20Music/a%C3%A9.mp3",
                   "/home/u/My Music/a\xC3\xA9.mp3", "C:\\home\\u\\My Music\\a\xC3\xA9.mp3"},
        SourceCase{"FileUrlWithDrive", "file:///C:/My%20Music/a.mp3", "/C:/My Music/a.mp3",
                   "C:\\My Music\\a.mp3"},
        SourceCase{"FileUrlLocalhost", "FILE://localhost/m/a.mp3", "/m/a.mp3", "C:\\m\\a.mp3"},
        SourceCase{"FileUrlOfAServer", "file://server/share/a.mp3", std::nullopt,
                   "\\\\server\\share\\a.mp3"},
        SourceCase{"FileUrlBadPercent", "file:///m/100%.mp3", "/m/100%.mp3", "C:\\m\\100%.mp3"},
        SourceCase{"NetworkUrl", "http://host/a.mp3", std::nullopt, std::nullopt},
        SourceCase{"StreamUrl", "rtsp+tcp://host/live", std::nullopt, std::nullopt}),
    test::CaseName());

TEST(SourcePath, WindowsMadeRelativeEntryPrefersAFileOfTheLiteralName)
{
    if constexpr (!posix) {
        GTEST_SKIP() << "on Windows \\ always separates folders";
    }
    test::TempDir dir;
    fs::create_directories(dir.path() / "Music");
    test::writeFile(dir.path() / "Music" / "a.mp3", "a");
    test::writeFile(dir.path() / "odd\\name.mp3", "b");

    EXPECT_EQ(sourcePath("Music\\a.mp3", dir.path()), dir.file("Music/a.mp3"));
    EXPECT_EQ(sourcePath("odd\\name.mp3", dir.path()), dir.file("odd\\name.mp3"));
    EXPECT_EQ(sourcePath("..\\x\\gone.mp3", dir.path() / "Music"), dir.file("x/gone.mp3"));
}

// A plain entry under the root, or under a folder that is not yet tidy.
TEST(SourcePath, TidiesThePlaylistsFolderToo)
{
    if constexpr (!posix) {
        GTEST_SKIP() << "POSIX folders";
    }
    EXPECT_EQ(sourcePath("a.mp3", "/"), "/a.mp3");
    EXPECT_EQ(sourcePath("m/a.mp3", "/home/u/../v/./lists/"), "/home/v/lists/m/a.mp3");
}

TEST(BareName, TakesTheTextAfterTheLastSeparatorOfEitherKind)
{
    EXPECT_EQ(bareName("C:\\Music\\x.mp3"), "x.mp3");
    EXPECT_EQ(bareName("C:\\Music/x.mp3"), "x.mp3");
    EXPECT_EQ(bareName("/music/sub\\x.mp3"), "x.mp3");
    EXPECT_EQ(bareName("x.mp3"), "x.mp3");
    EXPECT_EQ(bareName("C:\\Music\\"), "");
}

} // namespace
} // namespace tunecrate
