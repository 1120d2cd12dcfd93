#include "ExportScene.h"
#include "FolderState.h"
#include "Leftovers.h"
#include "run/ExportRun.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>

// Exports onto a phone as its MTP driver shows it: scripts/test removable
// mounts the model phone of tests/tools in each of its combinations and names
// it in TUNECRATE_TARGET_DIR, and the model's count of what it was sent in
// TUNECRATE_PHONE_STATS.

namespace tunecrate {
namespace {

namespace fs = std::filesystem;
using test::FolderState;
using Lines = std::vector<std::string>;

constexpr std::size_t kib = 1024;

class PhoneTest : public testing::Test, public test::ExportScene {
protected:
    void SetUp() override
    {
        const char* root = std::getenv("TUNECRATE_TARGET_DIR");
        if (root == nullptr || *root == '\0') {
            GTEST_SKIP() << "TUNECRATE_TARGET_DIR names no phone to export onto";
        }
        phone_.emplace(fs::path(root));
        fs::create_directory(onPhone());
        window.pathToText = phone_->file("export");
    }

    [[nodiscard]] fs::path onPhone() const { return phone_->path() / "export"; }

    // The songs, each of size bytes, as the playlist list names them.
    Lines songs(const Lines& names, std::size_t size)
    {
        Lines paths;
        for (const std::string& name : names) {
            paths.push_back(song(name, test::patterned(name, size)));
        }
        return paths;
    }

    // Exports list's songs; the results of the log's records.
    Lines exportSongs(const Lines& paths)
    {
        playlist(paths);
        runExport(window);
        return test::resultsOf(test::logRecords(window.logLines()));
    }

    // What the phone's folder holds, its record left out.
    [[nodiscard]] FolderState phoneState() const
    {
        FolderState state = test::folderState(onPhone()).value_or(FolderState{});
        std::erase_if(state,
                      [](const auto& entry) { return entry.first.starts_with(".tunecrate"); });
        return state;
    }

    // The phone holding exactly these songs of music(), under their names.
    [[nodiscard]] FolderState holding(const Lines& names) const
    {
        FolderState state;
        for (const std::string& name : names) {
            state[name] = test::bytesOf(music() / name);
        }
        return state;
    }

    // Each file on the phone as "<name> = <the song of music() it holds>", or
    // "<name> = ?" where it holds none of them whole.
    [[nodiscard]] Lines songsOnPhone() const
    {
        Lines found;
        for (const auto& [name, bytes] : phoneState()) {
            std::string holds = "?";
            for (const auto& entry : fs::directory_iterator(music())) {
                if (entry.is_regular_file() && test::bytesOf(entry.path()) == bytes) {
                    holds = entry.path().filename().string();
                }
            }
            found.push_back(name + " = " + holds);
        }
        return found;
    }

    // The bytes the phone was sent so far, where the model counts them.
    [[nodiscard]] static std::optional<std::uint64_t> bytesSent()
    {
        const char* stats = std::getenv("TUNECRATE_PHONE_STATS");
        std::ifstream in(stats != nullptr ? stats : "");
        std::string word;
        std::uint64_t bytes = 0;
        if (!(in >> word >> bytes) || word != "bytes") {
            return std::nullopt;
        }
        return bytes;
    }

    void expectNothingLeft() const
    {
        EXPECT_EQ(test::countTemporaries(phone_->path()), 0);
        for (const auto& entry : fs::directory_iterator(onPhone())) {
            EXPECT_FALSE(entry.path().filename().string().starts_with(".fuse_hidden"))
                << entry.path();
        }
    }

private:
    std::optional<test::TempDir> phone_;
};

TEST_F(PhoneTest, EachSongArrivesOnceAndExportedAgainNothingIsSent)
{
    window.withPlaylistChecked = true;
    const Lines paths = songs({"a.mp3", "b.mp3", "c.mp3"}, 300 * kib);

    EXPECT_EQ(exportSongs(paths), Lines(4, "ok")) << window.logText;
    FolderState expected = holding({"a.mp3", "b.mp3", "c.mp3"});
    const FolderState first = phoneState();
    ASSERT_TRUE(first.contains("list.m3u8"));
    expected["list.m3u8"] = first.at("list.m3u8");
    EXPECT_EQ(first, expected);
    EXPECT_NE(first.at("list.m3u8").find("\na.mp3\nb.mp3\nc.mp3\n"), std::string::npos);
    EXPECT_EQ(window.logLines().back(), "All files copied!");
    expectNothingLeft();
    const std::optional<std::uint64_t> sent = bytesSent();

    EXPECT_EQ(exportSongs(paths), Lines(4, "ok")) << window.logText;
    EXPECT_EQ(phoneState(), expected);
    if (sent) {
        EXPECT_EQ(bytesSent(), sent) << "exported again, nothing is sent";
    }
    expectNothingLeft();
}

TEST_F(PhoneTest, ASourceThatChangedIsSentAgainInPlaceOfItsCopy)
{
    window.withPlaylistChecked = true;
    const Lines paths = songs({"a.mp3", "b.mp3"}, 100 * kib);
    ASSERT_EQ(exportSongs(paths), Lines(3, "ok")) << window.logText;

    test::writeFile(music() / "b.mp3", test::patterned("b retagged", 120 * kib));
    EXPECT_EQ(exportSongs(paths), Lines(3, "ok")) << window.logText;
    FolderState expected = holding({"a.mp3", "b.mp3"});
    expected["list.m3u8"] = phoneState()["list.m3u8"];
    EXPECT_EQ(phoneState(), expected);
    expectNothingLeft();
}

TEST_F(PhoneTest, RemoveDroppedRemovesOnlyTheDroppedCopy)
{
    window.removeDroppedChecked = true;
    window.removeAnswer = true;
    const Lines paths = songs({"a.mp3", "b.mp3", "c.mp3"}, 100 * kib);
    test::writeFile(onPhone() / "notes.txt", "mine");
    ASSERT_EQ(exportSongs(paths), Lines(3, "ok")) << window.logText;

    EXPECT_EQ(exportSongs({paths[0], paths[2]}), Lines(2, "ok")) << window.logText;
    FolderState expected = holding({"a.mp3", "c.mp3"});
    expected["notes.txt"] = "mine";
    EXPECT_EQ(phoneState(), expected);
    ASSERT_EQ(window.removalQuestions.size(), 1U);
    expectNothingLeft();
}

TEST_F(PhoneTest, ACancelDuringACopyLeavesNoHalfSongAndTheNextExportEndsTheWork)
{
    const Lines paths = songs({"a.mp3", "b.mp3", "c.mp3"}, 3 * 1024 * kib);
    int copies = 0;
    window.onEvents = [&] {
        copies += window.copying() && window.progress > 0 ? 1 : 0;
        window.cancel = window.cancel || (copies > 0 && window.logLines().size() > 7);
    };
    exportSongs(paths);
    window.onEvents = {};
    EXPECT_EQ(window.logLines().back(), "canceled!") << window.logText;
    for (const auto& [name, bytes] : phoneState()) {
        EXPECT_EQ(bytes, test::bytesOf(music() / name)) << name << " is whole or not there";
    }
    expectNothingLeft();

    EXPECT_EQ(exportSongs(paths), Lines(3, "ok")) << window.logText;
    EXPECT_EQ(phoneState(), holding({"a.mp3", "b.mp3", "c.mp3"}));
    expectNothingLeft();
}

TEST_F(PhoneTest, NumberedCopiesFollowANewOrder)
{
    window.numberedChecked = true;
    const Lines paths = songs({"a.mp3", "b.mp3", "c.mp3"}, 100 * kib);
    ASSERT_EQ(exportSongs(paths), Lines(3, "ok")) << window.logText;
    EXPECT_EQ(songsOnPhone(),
              (Lines{"001 - a.mp3 = a.mp3", "002 - b.mp3 = b.mp3", "003 - c.mp3 = c.mp3"}));

    EXPECT_EQ(exportSongs({paths[2], paths[0], paths[1]}), Lines(3, "ok")) << window.logText;
    EXPECT_EQ(songsOnPhone(),
              (Lines{"001 - c.mp3 = c.mp3", "002 - a.mp3 = a.mp3", "003 - b.mp3 = b.mp3"}));
    expectNothingLeft();
}

// A run killed while it wrote a song straight under its name leaves the first
// part of the song there: the next run writes it whole.
TEST_F(PhoneTest, AHalfSongLeftByAKillIsWrittenWhole)
{
    window.withPlaylistChecked = true;
    const Lines paths = songs({"a.mp3", "b.mp3"}, 200 * kib);
    ASSERT_EQ(exportSongs({paths[0]}), Lines(2, "ok")) << window.logText;
    const std::string b = test::bytesOf(music() / "b.mp3");
    test::writeFile(onPhone() / "b.mp3", b.substr(0, b.size() / 2));

    EXPECT_EQ(exportSongs(paths), Lines(3, "ok")) << window.logText;
    EXPECT_EQ(songsOnPhone(), (Lines{"a.mp3 = a.mp3", "b.mp3 = b.mp3", "list.m3u8 = ?"}));

    // Killed while it sent a retagged song in place of its copy.
    test::writeFile(music() / "b.mp3", test::patterned("b retagged", 300 * kib));
    const std::string retagged = test::bytesOf(music() / "b.mp3");
    test::writeFile(onPhone() / "b.mp3", retagged.substr(0, retagged.size() / 3));
    EXPECT_EQ(exportSongs(paths), Lines(3, "ok")) << window.logText;
    EXPECT_EQ(songsOnPhone(), (Lines{"a.mp3 = a.mp3", "b.mp3 = b.mp3", "list.m3u8 = ?"}));
    expectNothingLeft();
}

// Where scripts/test mounts the model phone to fail an upload
// (TUNECRATE_PHONE_FAILS_AN_UPLOAD): the song it failed is an error with its
// reason, nothing of it is left, and the next export sends it whole.
TEST_F(PhoneTest, ASongThePhoneDidNotTakeIsAnErrorAndLeavesNothing)
{
    if (std::getenv("TUNECRATE_PHONE_FAILS_AN_UPLOAD") == nullptr) {
        GTEST_SKIP() << "this phone fails no upload";
    }
    const Lines paths = songs({"a.mp3", "b.mp3", "c.mp3", "d.mp3"}, 100 * kib);
    const Lines results = exportSongs(paths);
    EXPECT_EQ(std::count(results.begin(), results.end(), "error"), 1) << window.logText;
    EXPECT_TRUE(
        window.logLines().back().ends_with(": the phone did not take the file (upload failed)"))
        << window.logText;
    for (const std::string& found : songsOnPhone()) {
        EXPECT_FALSE(found.ends_with(" = ?")) << found << " is no whole song";
    }
    expectNothingLeft();

    EXPECT_EQ(exportSongs(paths), Lines(4, "ok")) << window.logText;
    EXPECT_EQ(songsOnPhone(),
              (Lines{"a.mp3 = a.mp3", "b.mp3 = b.mp3", "c.mp3 = c.mp3", "d.mp3 = d.mp3"}));
}

} // namespace
} // namespace tunecrate
