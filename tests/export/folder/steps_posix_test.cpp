// Runs in processes of their own, held or killed at the run's named steps:
// two runs into one folder at once, and a rename cycle killed at every step.
// In a fresh temporary folder, or on the drive that TUNECRATE_TARGET_DIR
// names (scripts/test removable mounts FAT32, exFAT and ext4 images there).

#include "ExportDriver.h"
#include "ExportScene.h"
#include "drive/Drive.h"
#include "files/PlatformFiles.h"
#include "folder/FolderRecord.h"
#include "folder/RecordedFolders.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>
#include <thread>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>; // name -> bytes

using Driver = test::ExportDriver;

class StepsTest : public testing::Test, public test::ExportFolder {
public:
    StepsTest()
    {
        if (const char* drive = std::getenv("TUNECRATE_TARGET_DIR"); drive && *drive) {
            drive_.emplace(fs::path(drive));
            fs::create_directory(drive_->path() / "export");
            folder_ = drive_->file("export");
        } else {
            folder_ = targetText();
        }
    }

    [[nodiscard]] fs::path folder() const { return fsPath(folder_); }
    // What the folder holds beside its record.
    [[nodiscard]] Files files() const
    {
        Files found;
        for (const auto& file : fs::directory_iterator(folder())) {
            if (file.path().filename() != fsPath(recordFileName) &&
                file.path().filename() != fsPath(turnFileName)) {
                found[utf8Text(file.path().filename())] = test::readFile(file.path());
            }
        }
        return found;
    }
    void emptyFolder() const
    {
        for (const auto& file : fs::directory_iterator(folder())) {
            fs::remove(file.path());
        }
    }
    [[nodiscard]] FolderRecord record() const
    {
        return readRecord(folder_, followsWindowsRules(folder_)).value_or(FolderRecord(false));
    }
    // Writes a playlist of songs, by name in music/, and gives its path.
    std::string list(const std::string& name, const std::vector<std::string>& songs) const
    {
        std::string text;
        for (const std::string& song : songs) {
            text += dir.file("music/" + song) + "\n";
        }
        test::writeFile(dir.path() / name, text);
        return dir.file(name);
    }
    // The numbered copies of songs, as the folder should hold them.
    [[nodiscard]] Files numbered(const std::vector<std::string>& songs) const
    {
        Files expected;
        for (std::size_t i = 0; i < songs.size(); ++i) {
            const std::string number = std::string(i < 9 ? "00" : "0") + std::to_string(i + 1);
            expected[number + " - " + utf8Text(fsPath(songs[i]).filename())] =
                test::readFile(music() / songs[i]);
        }
        return expected;
    }

    std::string folder_;

private:
    std::optional<test::TempDir> drive_;
};

// Waits until the driver held at a step says so.
bool heldAt(const fs::path& marker)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(marker) && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return fs::exists(marker);
}

// Two runs started together into a folder that holds copies of the first
// playlist in another order, one held at a step while the other starts:
// every song ends once, under its number, and the record lists both
// playlists' copies. Rounds are seeded, so that a failure comes back.
TEST_F(StepsTest, TwoRunsAtOnceLeaveEverySongOnceUnderItsNumber)
{
    for (const std::string name : {"a.mp3", "b.mp3", "c.mp3", "x.mp3", "y.mp3"}) {
        song(name, test::patterned(name, 3000));
    }
    const std::vector<std::string> others{"y.mp3", "x.mp3"};
    std::mt19937 random(20261208);
    for (const std::string step : {"record-read", "copied", "renaming"}) {
        // The same playlist twice; the first held; the other held.
        for (const int held : {0, 1, 2}) {
            SCOPED_TRACE("held at " + step + ", case " + std::to_string(held));
            emptyFolder();
            std::vector<std::string> first{"a.mp3", "b.mp3", "c.mp3"};
            std::shuffle(first.begin(), first.end(), random);
            std::vector<std::string> earlier = first;
            std::rotate(earlier.begin(), earlier.begin() + 1, earlier.end());
            ASSERT_EQ(Driver({list("one.m3u", earlier), folder_, "--numbered"}).wait(), 0);
            const std::vector<std::string> second = held == 0 ? first : others;
            std::string heldList = list("one.m3u", first);
            std::string otherList = held == 0 ? heldList : list("two.m3u", others);
            if (held == 2) {
                std::swap(heldList, otherList);
            }

            const fs::path marker = dir.path() / ("held at " + step + std::to_string(held));
            Driver holding(
                {heldList, folder_, "--numbered", "--at", step, "1", "hold:" + marker.string()});
            ASSERT_TRUE(heldAt(marker));
            Driver other({otherList, folder_, "--numbered"});
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            test::writeFile(marker.string() + ".go", "");
            EXPECT_EQ(holding.wait(), 0);
            EXPECT_EQ(other.wait(), 0);

            Files expected = numbered(first);
            if (held != 0) {
                expected.merge(numbered(second));
            }
            EXPECT_EQ(files(), expected);
            const FolderRecord after = record();
            for (const auto& songs : {first, second}) {
                for (const std::string& name : songs) {
                    EXPECT_NE(after.findSource(dir.file("music/" + name)), nullptr) << name;
                }
            }
        }
    }
}

// Songs of one bare name, numbered, then shuffled into a cycle of renames;
// the run is killed at each of its renames and record writes in turn. The
// next run leaves every song once, under its number, named by the playlist
// it writes.
TEST_F(StepsTest, ARenameCycleKilledAtAnyStepIsFinishedRight)
{
    std::vector<std::string> songs;
    for (int album = 1; album <= 4; ++album) {
        const std::string name = "album" + std::to_string(album) + "/track.mp3";
        fs::create_directories(music() / ("album" + std::to_string(album)));
        song(name, test::patterned(name, 2000 + static_cast<std::size_t>(album)));
        songs.push_back(name);
    }
    std::vector<std::string> shuffled = songs;
    std::rotate(shuffled.begin(), shuffled.begin() + 1, shuffled.end());
    int kills = 0;
    for (const std::string step : {"renamed", "record-written"}) {
        for (int count = 1;; ++count) {
            SCOPED_TRACE(step + " " + std::to_string(count));
            emptyFolder();
            ASSERT_EQ(Driver({list("list.m3u", songs), folder_, "--numbered"}).wait(), 0);
            const std::string playlist = list("list.m3u", shuffled);
            const int killed = Driver({playlist, folder_, "--numbered", "--with-playlist", "--at",
                                       step, std::to_string(count), "kill"})
                                   .wait();
            ASSERT_EQ(Driver({playlist, folder_, "--numbered", "--with-playlist"}).wait(), 0);

            Files expected = numbered(shuffled);
            std::string named; // what the written playlist names, in its order
            for (const auto& [name, bytes] : expected) {
                named += name + "\n";
            }
            Files found = files();
            ASSERT_TRUE(found.contains("list.m3u8"));
            std::string written;
            std::istringstream lines(found["list.m3u8"]);
            for (std::string line; std::getline(lines, line);) {
                written += line.starts_with('#') ? "" : line + "\n";
            }
            EXPECT_EQ(written, named);
            found.erase("list.m3u8");
            EXPECT_EQ(found, expected);
            if (killed != 128 + SIGKILL) {
                break; // the run never reached that step so often
            }
            ++kills;
        }
    }
    EXPECT_GT(kills, 6);
}

} // namespace
} // namespace tunecrate
