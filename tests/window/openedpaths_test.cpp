#include "CaseName.h"
#include "OpenedPaths.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace tunecrate {
namespace {

using test::PrintTo;

struct OpenedCase {
    const char* name;
    std::vector<std::string> items; // names in the scene's folder
    std::string pathFrom;           // the item expected in txtPathfrom, "" for none
    std::string pathTo;
};

class SortOpenedPathsTest : public testing::TestWithParam<OpenedCase> {};

// The program's arguments and dropped items alike.
TEST_P(SortOpenedPathsTest, FirstPlaylistFileAndFirstFolderFillTheirBoxes)
{
    const test::TempDir scene;
    for (const char* file : {"a.m3u", "b.pls", "Mix.M3U8", "list.Txt", "song.mp3", "m3u"}) {
        test::writeFile(scene.path() / file, "#EXTM3U\n");
    }
    for (const char* folder : {"Music", "Other", "folder.m3u"}) {
        std::filesystem::create_directory(scene.path() / folder);
    }
    std::vector<std::string> items;
    for (const std::string& item : GetParam().items) {
        items.push_back(scene.file(item));
    }

    const OpenedPaths opened = sortOpenedPaths(items);
    const OpenedCase& row = GetParam();
    EXPECT_EQ(opened.pathFrom, row.pathFrom.empty() ? row.pathFrom : scene.file(row.pathFrom));
    EXPECT_EQ(opened.pathTo, row.pathTo.empty() ? row.pathTo : scene.file(row.pathTo));
}

INSTANTIATE_TEST_SUITE_P(
    Items, SortOpenedPathsTest,
    testing::Values(
        OpenedCase{"PlaylistThenFolder", {"b.pls", "Music"}, "b.pls", "Music"},
        OpenedCase{"FolderThenPlaylist", {"Music", "list.Txt"}, "list.Txt", "Music"},
        OpenedCase{"Several", {"song.mp3", "Other", "a.m3u", "Music", "b.pls"}, "a.m3u", "Other"},
        OpenedCase{"Capitals", {"Mix.M3U8"}, "Mix.M3U8", ""},
        OpenedCase{"Neither", {"song.mp3", "m3u", "missing.m3u"}, "", ""},
        OpenedCase{"FolderNamedLikeAPlaylist", {"Music/../folder.m3u/"}, "", "folder.m3u"}),
    test::CaseName());

} // namespace
} // namespace tunecrate
