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

// Arguments and dropped items alike: the first playlist file and the first folder.
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
    const auto expected = [&](const std::string& item) {
        return item.empty() ? item : scene.file(item);
    };

    const OpenedPaths opened = sortOpenedPaths(items);
    EXPECT_EQ(opened.pathFrom, expected(GetParam().pathFrom));
    EXPECT_EQ(opened.pathTo, expected(GetParam().pathTo));
}

INSTANTIATE_TEST_SUITE_P(
    Items, SortOpenedPathsTest,
    testing::Values(
        OpenedCase{"Playlist", {"a.m3u"}, "a.m3u", ""},
        OpenedCase{"Folder", {"Music"}, "", "Music"},
        OpenedCase{"PlaylistThenFolder", {"b.pls", "Music"}, "b.pls", "Music"},
        OpenedCase{"FolderThenPlaylist", {"Music", "list.Txt"}, "list.Txt", "Music"},
        OpenedCase{"Several", {"song.mp3", "Other", "a.m3u", "Music", "b.pls"}, "a.m3u", "Other"},
        OpenedCase{"Capitals", {"Mix.M3U8"}, "Mix.M3U8", ""},
        OpenedCase{"Neither", {"song.mp3", "m3u", "missing.m3u"}, "", ""},
        OpenedCase{"FolderNamedLikeAPlaylist", {"folder.m3u"}, "", "folder.m3u"},
        OpenedCase{"TrailingSeparator", {"Music/"}, "", "Music"}),
    test::CaseName());

TEST(SortOpenedPaths, RelativePathsAreTakenFromTheCurrentFolder)
{
    const test::TempDir scene;
    test::writeFile(scene.path() / "a.m3u", "");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(scene.path());
    const OpenedPaths opened = sortOpenedPaths({"./a.m3u", "."});
    std::filesystem::current_path(previous);
    EXPECT_EQ(opened.pathFrom, scene.file("a.m3u"));
    EXPECT_EQ(opened.pathTo, scene.text());
}

} // namespace
} // namespace tunecrate
