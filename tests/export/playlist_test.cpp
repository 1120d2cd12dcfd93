#include "CaseName.h"
#include "Playlist.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tunecrate {
namespace {

struct ModeCase {
    const char* name;
    std::string firstLine;
    std::optional<PlaylistMode> mode;
};

class DecidePlaylistModeTest : public testing::TestWithParam<ModeCase> {};

TEST_P(DecidePlaylistModeTest, DecidesFromTheFirstLine)
{
    EXPECT_EQ(DecidePlaylistMode(GetParam().firstLine), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    FirstLines, DecidePlaylistModeTest,
    testing::Values(ModeCase{"ExtendedHeader", "#EXTM3U", PlaylistMode::M3uTxt},
                    ModeCase{"AnyExtLine", "#EXTINF:215,Artist - Song", PlaylistMode::M3uTxt},
                    ModeCase{"LowerCaseHeader", "#extm3u", std::nullopt},
                    ModeCase{"DrivePath", "C:\\a.mp3", PlaylistMode::M3uTxt},
                    ModeCase{"DriveRootOnly", "C:\\", PlaylistMode::M3uTxt},
                    ModeCase{"DriveWithoutBackslash", "C:", std::nullopt},
                    ModeCase{"ForwardSlashDrivePath", "C:/a.mp3", std::nullopt},
                    ModeCase{"PlsHeader", "[playlist]", PlaylistMode::Pls},
                    ModeCase{"PlsCapitalised", "[Playlist]", std::nullopt},
                    ModeCase{"PlsTrailingBlank", "[playlist] ", std::nullopt},
                    ModeCase{"UncPath", "\\\\server\\share\\a.mp3", std::nullopt},
                    ModeCase{"Url", "http://example.org/a.mp3", std::nullopt},
                    ModeCase{"RelativePath", "music\\a.mp3", std::nullopt},
                    ModeCase{"OneCharacter", "x", std::nullopt},
                    // On POSIX a line that begins with "/" is an absolute path as well.
                    ModeCase{"RootedPath", "/music/a.mp3",
                             std::filesystem::path::preferred_separator == '/'
                                 ? std::optional(PlaylistMode::M3uTxt)
                                 : std::nullopt}),
    test::CaseName());

struct EntryCase {
    const char* name;
    PlaylistMode mode;
    std::string line;
    std::optional<std::string> path;
};

class EntryPathTest : public testing::TestWithParam<EntryCase> {};

TEST_P(EntryPathTest, FindsTheSourcePath)
{
    const auto path = EntryPath(GetParam().mode, GetParam().line);
    EXPECT_EQ(path ? std::optional<std::string>(*path) : std::nullopt, GetParam().path);
}

constexpr bool posix = std::filesystem::path::preferred_separator == '/';

INSTANTIATE_TEST_SUITE_P(
    Lines, EntryPathTest,
    testing::Values(
        EntryCase{"M3uDrivePath", PlaylistMode::M3uTxt, "C:\\Music\\a.mp3", "C:\\Music\\a.mp3"},
        EntryCase{"M3uHeader", PlaylistMode::M3uTxt, "#EXTM3U", std::nullopt},
        EntryCase{"M3uInfo", PlaylistMode::M3uTxt, "#EXTINF:1,C:\\x", std::nullopt},
        EntryCase{"M3uUnc", PlaylistMode::M3uTxt, "\\\\server\\share\\a.mp3", std::nullopt},
        EntryCase{"M3uUrl", PlaylistMode::M3uTxt, "http://host/a.mp3", std::nullopt},
        EntryCase{"M3uForwardSlashDrive", PlaylistMode::M3uTxt, "C:/a.mp3", std::nullopt},
        EntryCase{"M3uRelative", PlaylistMode::M3uTxt, "a.mp3", std::nullopt},
        EntryCase{"M3uBlanks", PlaylistMode::M3uTxt, "   ", std::nullopt},
        EntryCase{"M3uRooted", PlaylistMode::M3uTxt, "/music/a.mp3",
                  posix ? std::optional<std::string>("/music/a.mp3") : std::nullopt},
        EntryCase{"PlsEntry", PlaylistMode::Pls, "File1=C:\\a.mp3", "C:\\a.mp3"},
        EntryCase{"PlsLastEquals", PlaylistMode::Pls, "File1=C:\\a=b\\x.mp3", "b\\x.mp3"},
        EntryCase{"PlsLowerCase", PlaylistMode::Pls, "file1=C:\\a.mp3", std::nullopt},
        EntryCase{"PlsHeader", PlaylistMode::Pls, "[playlist]", std::nullopt},
        EntryCase{"PlsTitle", PlaylistMode::Pls, "Title1=C:\\a.mp3", std::nullopt},
        EntryCase{"PlsNoDrive", PlaylistMode::Pls, "File1=a.mp3", std::nullopt},
        EntryCase{"PlsNoEquals", PlaylistMode::Pls, "FileC:\\a.mp3", "FileC:\\a.mp3"},
        EntryCase{"PlsRooted", PlaylistMode::Pls, "File2=/music/a.mp3",
                  posix ? std::optional<std::string>("/music/a.mp3") : std::nullopt},
        EntryCase{"PlsRootedBeforeEquals", PlaylistMode::Pls, "File2=/x=a.mp3", std::nullopt}),
    test::CaseName());

TEST(BareName, TakesTheTextAfterTheLastSeparatorOfEitherKind)
{
    EXPECT_EQ(BareName("C:\\Music\\x.mp3"), "x.mp3");
    EXPECT_EQ(BareName("C:\\Music/x.mp3"), "x.mp3");
    EXPECT_EQ(BareName("/music/sub\\x.mp3"), "x.mp3");
    EXPECT_EQ(BareName("x.mp3"), "x.mp3");
    EXPECT_EQ(BareName("C:\\Music\\"), "");
}

} // namespace
} // namespace tunecrate
