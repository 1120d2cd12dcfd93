// Kills an export at random moments while it replaces existing files. Whatever
// the moment, every file under its own name must hold either its old content or
// the complete new one, never a part; a part may only be left under a
// temporary's name, which says what it is.

#include "ExportDriver.h"
#include "ExportScene.h"
#include "drive/Copy.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <regex>
#include <thread>
#include <unistd.h>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::bytesOf;
using test::ExportScene;
using test::patterned;

constexpr int killsWanted = 200;
constexpr std::size_t songs = 4;
constexpr std::size_t mib = 1024 * 1024;

class CrashTest : public testing::Test, public ExportScene {
protected:
    CrashTest()
    {
        std::vector<std::string> lines{"#EXTM3U"};
        for (std::size_t i = 0; i < songs; ++i) {
            const std::string name = "song" + std::to_string(i) + ".mp3";
            names.push_back(name);
            // Sizes differ, so a part can be told from either whole by its size alone.
            newContent.push_back(patterned("new " + name, 4 * mib + 1000 * i));
            oldContent.push_back(patterned("old " + name, 3 * mib + 7));
            lines.push_back(song(name, newContent.back()));
        }
        playlist(lines);
        restoreOldFiles();
    }

    void restoreOldFiles() const
    {
        for (std::size_t i = 0; i < songs; ++i) {
            const fs::path file = target() / names[i];
            if (!fs::exists(file) || fs::file_size(file) != oldContent[i].size()) {
                test::writeFile(file, oldContent[i]);
            }
        }
    }

    std::vector<std::string> names;
    std::vector<std::string> newContent;
    std::vector<std::string> oldContent;
};

TEST_F(CrashTest, KilledAnywhereLeavesOldOrCompleteFilesOnly)
{
    const std::string playlistText = dir.file("list.m3u");
    const std::string targetText = dir.file("export");
    // What follows the prefix in a temporary's name.
    const std::regex temporaryRest(R"([0-9]+-[0-9]+\.part)");

    // How long a whole run takes here at the quickest; the kills are spread
    // over that time. (A run's end waits for the drive, which takes as long as
    // the machine's other writes make it.)
    Clock::duration runTime = Clock::duration::max();
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        test::ExportDriver driver({playlistText, targetText});
        ASSERT_TRUE(driver.started()) << TUNECRATE_EXPORT_DRIVER;
        ASSERT_EQ(driver.wait(), 0);
        runTime = std::min(runTime, Clock::now() - start);
        for (std::size_t i = 0; i < songs; ++i) {
            ASSERT_EQ(bytesOf(target() / names[i]), newContent[i]);
        }
        restoreOldFiles();
    }

    std::mt19937 random(20261207);
    std::uniform_int_distribution<long long> delay(
        0, std::chrono::duration_cast<std::chrono::microseconds>(runTime).count());
    int kills = 0;
    int finished = 0;
    int filesChecked = 0;
    int partsFound = 0;
    int temporariesLeft = 0;
    int killsLeavingATemporary = 0;
    int newFilesSeen = 0;
    for (int attempt = 0; kills < killsWanted && attempt < 4 * killsWanted; ++attempt) {
        test::ExportDriver driver({playlistText, targetText});
        ASSERT_TRUE(driver.started());
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        const bool killed = driver.kill() == 128 + SIGKILL;
        kills += killed ? 1 : 0;
        finished += killed ? 0 : 1;

        bool temporarySeen = false;
        for (const auto& entry : fs::directory_iterator(target())) {
            const std::string name = entry.path().filename().string();
            const auto song = std::find(names.begin(), names.end(), name);
            if (song == names.end()) {
                EXPECT_TRUE(
                    name.starts_with(platform::temporaryPrefix) &&
                    std::regex_match(name.substr(platform::temporaryPrefix.size()), temporaryRest))
                    << "unexpected file " << name;
                temporarySeen = true;
                ++temporariesLeft;
                fs::remove(entry.path());
                continue;
            }
            const auto i = static_cast<std::size_t>(song - names.begin());
            const std::string bytes = bytesOf(entry.path());
            ++filesChecked;
            if (bytes == newContent[i]) {
                ++newFilesSeen;
            } else if (bytes != oldContent[i]) {
                ++partsFound;
                ADD_FAILURE() << name << " holds " << bytes.size() << " bytes, neither old nor new";
            }
        }
        killsLeavingATemporary += temporarySeen ? 1 : 0;
        restoreOldFiles();
    }

    std::cout << "kills " << kills << ", runs that ended first " << finished << ", files checked "
              << filesChecked << " (" << newFilesSeen << " new, " << filesChecked - newFilesSeen
              << " old, " << partsFound << " parts), kills that left a temporary "
              << killsLeavingATemporary << " (" << temporariesLeft << " temporaries)\n";
    RecordProperty("kills", kills);
    RecordProperty("filesChecked", filesChecked);
    EXPECT_EQ(kills, killsWanted);
    EXPECT_EQ(filesChecked, (kills + finished) * static_cast<int>(songs));
    EXPECT_EQ(partsFound, 0);
    // Unless some kills land in the middle of a copy, the test has shown nothing.
    EXPECT_GT(killsLeavingATemporary, 0);
    for (std::size_t i = 0; i < songs; ++i) {
        EXPECT_EQ(bytesOf(music() / names[i]), newContent[i]);
    }
}

} // namespace
} // namespace tunecrate
