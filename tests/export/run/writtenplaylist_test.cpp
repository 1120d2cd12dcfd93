// The playlist written beside the copies when the window asks for it.

#include "CaseName.h"
#include "ExportScene.h"
#include "drive/DriveFiles.h"
#include "files/PlatformFiles.h"
#include "run/ExportRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;

// A playlist of ours holding these lines, written here with LF.
std::string ours(const std::string& lines)
{
    return std::regex_replace("#EXTM3U\n# Written by Tunecrate 0.9.0\n" + lines, std::regex("\n"),
                              std::string(platform::textLineBreak));
}

struct WrittenCase {
    const char* name;
    const char* file; // the playlist read, "$M" in it standing for the music folder
    const char* lines;
    const char* written;
    const char* before = nullptr; // export/list.m3u8 before the run
    const char* writtenAs = "list.m3u8";
};

class WrittenPlaylistTest : public testing::TestWithParam<WrittenCase>, public test::ExportScene {
protected:
    WrittenPlaylistTest()
    {
        window.withPlaylistChecked = true;
        fs::create_directory(music() / "other");
        for (const char* name : {"a.mp3", "b.mp3", "other/a.mp3", "#c.mp3"}) {
            song(name, name);
        }
    }
    void readFrom(const std::string& name, const std::string& lines)
    {
        test::writeFile(dir.path() / name,
                        std::regex_replace(lines, std::regex("\\$M"), dir.file("music")));
        window.pathFromText = dir.file(name);
    }
};

TEST_P(WrittenPlaylistTest, ListsWhatArrivedAndUrlsWhereNothingElseIsReplaced)
{
    const WrittenCase& row = GetParam();
    if (row.before != nullptr) {
        test::writeFile(target() / "list.m3u8", row.before);
    }
    readFrom(row.file, row.lines);
    runExport(window);
    EXPECT_EQ(test::readFile(target() / row.writtenAs), ours(row.written));
    const auto lines = window.logLines();
    EXPECT_THAT(window.logText, testing::HasSubstr(dir.file(row.file) + "\r\ncopied to:\r\n" +
                                                   exported(row.writtenAs) + "\r\nok\r\n---\r\n"));
    EXPECT_EQ(test::wrongLogEnd(lines, test::closingLine(test::resultsOf(test::logRecords(lines)))),
              "");
}

INSTANTIATE_TEST_SUITE_P(
    Playlists, WrittenPlaylistTest,
    testing::Values(
        WrittenCase{"ExtendedM3u", "list.m3u",
                    "#EXTM3U\n#PLAYLIST:Mix\n#EXTINF:1,A\n$M/a.mp3\n#EXTINF:2,Gone\n$M/gone.mp3\n"
                    "#EXTINF:3,Net\nhttp://host/x.mp3\n#EXTINF:4,A2\nmusic/other/a.mp3\n$M/#c.mp3",
                    "#EXTINF:1,A\na.mp3\n#EXTINF:3,Net\nhttp://host/x.mp3\n#EXTINF:4,A2\n"
                    "a (2).mp3\n./#c.mp3\n"},
        WrittenCase{"PlainM3u", "list.m3u", "music/a.mp3\r\n$M/b.mp3\r\n", "a.mp3\nb.mp3\n"},
        WrittenCase{"TextList", "list.txt", "$M/a.mp3\nhttp://host/y.mp3\n$M/gone.mp3\n",
                    "a.mp3\nhttp://host/y.mp3\n"},
        WrittenCase{"Pls", "list.pls",
                    "[playlist]\nFile1=$M/a.mp3\nTitle1=A\nLength1=61\nfile2=music/b.mp3\n"
                    "TITLE02=B\nFile3=http://host/z\nLength3=5\nFile4=$M/gone.mp3\nTitle4=G\n",
                    "#EXTINF:61,A\na.mp3\n#EXTINF:-1,B\nb.mp3\nhttp://host/z\n"},
        WrittenCase{"BesideUsersOwn", "list.m3u", "$M/a.mp3", "a.mp3\n", "#EXTM3U\nmine.mp3\n",
                    "list (2).m3u8"},
        WrittenCase{"OverAnOlderOneOfOurs", "list.m3u", "$M/a.mp3", "a.mp3\n",
                    "#EXTM3U\n# Written by Tunecrate 0.8.0\nold.mp3\n"},
        WrittenCase{"BesideAFansOwn", "list.m3u", "$M/a.mp3", "a.mp3\n",
                    "#EXTM3U\n# Written by Tunecrate fans: summer\nmine.mp3\n", "list (2).m3u8"},
        WrittenCase{"BesideOneThatOnlyLooksOurs", "list.m3u", "$M/a.mp3", "a.mp3\n",
                    "#EXTM3U\r\n# Written by Tunecrate 0.9.0 and me\r\nmine.mp3\r\n",
                    "list (2).m3u8"},
        WrittenCase{"IntoTheFolderOfThePlaylistRead", "export/list.m3u8",
                    "#EXTM3U\n# Written by Tunecrate 0.9.0\n$M/a.mp3\n", "a.mp3\n", nullptr,
                    "list (2).m3u8"}),
    test::CaseName());

using WrittenPlaylistRunTest = WrittenPlaylistTest;

// A name with a line break (here from a file URL's %0A) would give the list a
// line of its own, and one that is not UTF-8 names nothing a player finds:
// their copies arrive, the list leaves them out.
TEST_F(WrittenPlaylistRunTest, NamesWithALineBreakOrNotUtf8AreLeftOut)
{
    if (!platform::playlistLinesAreBytes) {
        GTEST_SKIP() << "this system's names hold no line break and are all text";
    }
    song("bad\nname.mp3");
    song("bad\xFFname.mp3");
    readFrom("list.m3u", "file://$M/bad%0Aname.mp3\n$M/bad\xFFname.mp3\n$M/a.mp3\n");

    runExport(window);

    EXPECT_EQ(test::readFile(target() / "list.m3u8"), ours("a.mp3\n"));
    EXPECT_TRUE(fs::exists(target() / "bad\nname.mp3"));
    EXPECT_TRUE(fs::exists(target() / "bad\xFFname.mp3"));
}

// A cancel during the last entry lets the walk end, with the playlist; one
// before it ends the walk early, without.
TEST_F(WrittenPlaylistRunTest, CancelDuringTheLastEntryStillWritesIt)
{
    window.onEvents = [&] {
        window.cancel = window.cancel || window.copying();
    };
    for (const bool last : {false, true}) {
        readFrom("list.m3u", last ? "$M/a.mp3\n" : "$M/a.mp3\n$M/b.mp3\n");
        runExport(window);
        EXPECT_EQ(fs::exists(target() / "list.m3u8"), last);
    }
    EXPECT_THAT(window.logText,
                testing::EndsWith("list.m3u8\r\nok\r\n---\r\nAll files copied!\r\ncanceled!"));
}

} // namespace
} // namespace tunecrate
