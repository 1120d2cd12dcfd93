// The playlist written beside the copies when the window asks for it.

#include "CaseName.h"
#include "ExportRun.h"
#include "ExportScene.h"
#include "Platform.h"

#include <gtest/gtest.h>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;
using Lines = std::vector<std::string>;

const Lines ours{"#EXTM3U", "# Written by Tunecrate 0.9.0"};

std::string joined(const Lines& lines, std::string_view lineBreak = platform::textLineBreak)
{
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += lineBreak;
    }
    return text;
}

class WrittenPlaylistTest : public testing::Test, public test::ExportScene {
protected:
    WrittenPlaylistTest()
    {
        window.withPlaylistChecked = true;
        fs::create_directory(music() / "other");
        for (const char* name : {"a.mp3", "b.mp3", "other/a.mp3", "#c.mp3"}) {
            song(name, name);
        }
    }
    // The playlist `name` in the test's folder, "$M" standing for the music folder.
    void readFrom(const std::string& name, Lines lines)
    {
        for (auto& line : lines) {
            if (const auto at = line.find("$M"); at != std::string::npos) {
                line.replace(at, 2, dir.file("music"));
            }
        }
        writeFile(dir.path() / name, joined(lines, "\r\n"));
        window.pathFromText = dir.file(name);
    }
    [[nodiscard]] Lines logTail(std::size_t count) const
    {
        const Lines log = window.logLines();
        return log.size() < count ? log : Lines(log.end() - static_cast<long>(count), log.end());
    }
    static std::string written(Lines entries)
    {
        entries.insert(entries.begin(), ours.begin(), ours.end());
        return joined(entries);
    }
};

struct FromCase {
    const char* name;
    const char* file;
    Lines lines;
    Lines written;
};

class WrittenFromTest : public WrittenPlaylistTest, public testing::WithParamInterface<FromCase> {};

TEST_P(WrittenFromTest, ListsWhatArrivedAndUrlsInPlaylistOrder)
{
    readFrom(GetParam().file, GetParam().lines);
    runExport(window);
    EXPECT_EQ(readFile(target() / "list.m3u8"), written(GetParam().written));
    EXPECT_EQ(logTail(6), (Lines{dir.file(GetParam().file), "copied to:", exported("list.m3u8"),
                                 "ok", "---", "All files copied!"}));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WrittenFromTest,
    testing::Values(
        FromCase{.name = "ExtendedM3u",
                 .file = "list.m3u",
                 .lines = {"#EXTM3U", "#PLAYLIST:Mix", "#EXTINF:1,A", "$M/a.mp3", "#EXTINF:2,Gone",
                           "$M/gone.mp3", "#EXTINF:3,Net", "http://host/x.mp3", "#EXTINF:4,Other A",
                           "music/other/a.mp3", "$M/#c.mp3"},
                 .written = {"#EXTINF:1,A", "a.mp3", "#EXTINF:3,Net", "http://host/x.mp3",
                             "#EXTINF:4,Other A", "a (2).mp3", "./#c.mp3"}},
        FromCase{.name = "PlainM3u",
                 .file = "list.m3u",
                 .lines = {"music/a.mp3", "$M/b.mp3"},
                 .written = {"a.mp3", "b.mp3"}},
        FromCase{.name = "TextList",
                 .file = "list.txt",
                 .lines = {"$M/a.mp3", "http://host/y.mp3", "$M/gone.mp3"},
                 .written = {"a.mp3", "http://host/y.mp3"}},
        FromCase{.name = "Pls",
                 .file = "list.pls",
                 .lines = {"[playlist]", "File1=$M/a.mp3", "Title1=A", "Length1=61",
                           "file2=music/b.mp3", "TITLE02=B", "File3=http://host/z", "Length3=5",
                           "File4=$M/gone.mp3", "Title4=G", "Length2=?"},
                 .written = {"#EXTINF:61,A", "a.mp3", "#EXTINF:-1,B", "b.mp3", "http://host/z"}}),
    test::CaseName());

struct PlaceCase {
    const char* name;
    std::optional<std::string> before = {}; // list.m3u8 in the target before the run
    bool readFromTarget = false;            // the playlist read is that list.m3u8
    const char* writtenAs = "list.m3u8";
};

class PlaceTest : public WrittenPlaylistTest, public testing::WithParamInterface<PlaceCase> {};

TEST_P(PlaceTest, ReplacesOnlyAPlaylistOfOurs)
{
    const PlaceCase& row = GetParam();
    if (row.before) {
        writeFile(target() / "list.m3u8", *row.before);
    }
    readFrom(row.readFromTarget ? "export/list.m3u8" : "list.m3u", {ours[0], ours[1], "$M/a.mp3"});
    const std::string kept = readFile(target() / "list.m3u8");
    runExport(window);
    EXPECT_EQ(readFile(target() / row.writtenAs), written({"a.mp3"}));
    if (row.writtenAs != std::string("list.m3u8")) {
        EXPECT_EQ(readFile(target() / "list.m3u8"), kept);
    }
    EXPECT_EQ(logTail(4)[0], exported(row.writtenAs));
}

INSTANTIATE_TEST_SUITE_P(
    Neighbours, PlaceTest,
    testing::Values(PlaceCase{.name = "NoneThere"},
                    PlaceCase{.name = "UsersOwnKept",
                              .before = "#EXTM3U\n#EXTINF:1,Mine\nmine.mp3\n",
                              .writtenAs = "list (2).m3u8"},
                    PlaceCase{.name = "OursReplaced",
                              .before = "#EXTM3U\n# Written by Tunecrate 0.8.0\nold.mp3\n"},
                    PlaceCase{.name = "PlaylistReadKept",
                              .readFromTarget = true,
                              .writtenAs = "list (2).m3u8"}),
    test::CaseName());

TEST_F(WrittenPlaylistTest, OneThatWouldNotChangeIsLeftUntouched)
{
    readFrom("list.m3u", {"$M/a.mp3"});
    runExport(window);
    const auto old = fs::last_write_time(target() / "list.m3u8") - std::chrono::hours(1);
    fs::last_write_time(target() / "list.m3u8", old);
    runExport(window);
    EXPECT_EQ(fs::last_write_time(target() / "list.m3u8"), old);
    EXPECT_EQ(logTail(3)[0], "ok");
}

// A cancel during the last entry lets the walk end, with the playlist; one
// before it ends the walk early, without.
TEST_F(WrittenPlaylistTest, CancelDuringTheLastEntryStillWritesIt)
{
    readFrom("list.m3u", {"$M/a.mp3", "$M/b.mp3"});
    for (const std::string last : {"a.mp3", "b.mp3"}) {
        SCOPED_TRACE(last);
        fs::create_directory(dir.path() / last);
        window.pathToText = dir.file(last);
        window.onEvents = [&] {
            window.cancel = window.cancel ||
                            (window.copying() && logTail(3)[0] == dir.file("music") + "/" + last);
        };
        runExport(window);
        EXPECT_EQ(fs::exists(dir.path() / last / "list.m3u8"), last == "b.mp3");
        if (last == "b.mp3") {
            EXPECT_EQ(logTail(5), (Lines{dir.file(last + "/list.m3u8"), "ok", "---",
                                         "All files copied!", "canceled!"}));
        }
    }
}

} // namespace
} // namespace tunecrate
