#include "CaseName.h"
#include "TempDir.h"
#include "Temporaries.h"
#include "TestWindow.h"
#include "drive/FileOps.h"
#include "run/CopyBar.h"

#include <gtest/gtest.h>

namespace tunecrate {
namespace {

using test::countTemporaries;
using test::PrintTo;
using test::readFile;
using test::TempDir;
using test::TestWindow;
using test::writeFile;

struct ProgressLog {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
    platform::CopyProgressRoutine routine()
    {
        return [this](std::uint64_t total, std::uint64_t done) {
            calls.emplace_back(total, done);
        };
    }
};

TEST(FileCopy, ReplacesAnExistingFileAndReportsProgressFromStartToEnd)
{
    TempDir dir;
    const std::string content(3 * 1024 * 1024 + 5, 'n');
    writeFile(dir.path() / "new.mp3", content);
    writeFile(dir.path() / "out.mp3", "old");
    ProgressLog progress;

    ASSERT_TRUE(FileCopy(dir.file("new.mp3"), dir.file("out.mp3"), progress.routine()));

    EXPECT_EQ(readFile(dir.path() / "out.mp3"), content);
    ASSERT_GE(progress.calls.size(), 2u);
    EXPECT_EQ(progress.calls.front(),
              std::make_pair(std::uint64_t{content.size()}, std::uint64_t{0}));
    EXPECT_EQ(progress.calls.back(),
              std::make_pair(std::uint64_t{content.size()}, std::uint64_t{content.size()}));
    EXPECT_EQ(countTemporaries(dir.path()), 0);
}

TEST(FileCopy, FailureLeavesNoPartFileAndTheOldFileUntouched)
{
    TempDir dir;
    writeFile(dir.path() / "a.mp3", "new");
    writeFile(dir.path() / "old.mp3", "old");
    std::filesystem::create_directory(dir.path() / "folder.mp3");
    ProgressLog progress;

    EXPECT_FALSE(FileCopy(dir.file("missing.mp3"), dir.file("old.mp3"), progress.routine()));
    EXPECT_FALSE(FileCopy(dir.file("a.mp3"), dir.file("nowhere/a.mp3"), progress.routine()));
    EXPECT_FALSE(FileCopy(dir.file("a.mp3"), dir.file("folder.mp3"), progress.routine()));
    EXPECT_FALSE(FileCopy(dir.text(), dir.file("copy-of-folder"), progress.routine()));

    EXPECT_EQ(readFile(dir.path() / "old.mp3"), "old");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "folder.mp3"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "copy-of-folder"));
    EXPECT_EQ(countTemporaries(dir.path()), 0);
}

TEST(FileCopy, OntoItselfLeavesTheFileWholeAndSucceeds)
{
    TempDir dir;
    writeFile(dir.path() / "a.mp3", "keep me");
    ProgressLog progress;
    ASSERT_TRUE(FileCopy(dir.file("a.mp3"), dir.file("./a.mp3"), progress.routine()));
    EXPECT_EQ(readFile(dir.path() / "a.mp3"), "keep me");
}

TEST(FileCopy, EmptySourceCopies)
{
    TempDir dir;
    writeFile(dir.path() / "empty.mp3", "");
    ProgressLog progress;
    ASSERT_TRUE(FileCopy(dir.file("empty.mp3"), dir.file("copy.mp3"), progress.routine()));
    EXPECT_TRUE(FileExists(dir.file("copy.mp3")));
    ASSERT_FALSE(progress.calls.empty());
    EXPECT_EQ(progress.calls.front(), std::make_pair(std::uint64_t{0}, std::uint64_t{0}));
}

TEST(FileCopy, PathWithNulIsRefused)
{
    TempDir dir;
    writeFile(dir.path() / "a.mp3", "a");
    ProgressLog progress;
    const std::string cut = dir.file("a.mp3") + std::string(1, '\0') + "b";
    EXPECT_FALSE(FileCopy(cut, dir.file("b.mp3"), progress.routine()));
    EXPECT_FALSE(
        FileCopy(dir.file("a.mp3"), dir.file("b.mp3") + std::string(1, '\0'), progress.routine()));
    EXPECT_FALSE(FileExists(cut));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "b.mp3"));
}

struct CopyTimeCase {
    const char* name;
    std::int64_t apart; // nanoseconds
    bool asItIs;
    bool windowsRules;
};

class CopyTimeTest : public testing::TestWithParam<CopyTimeCase> {};

// Two seconds either way anywhere; an hour off too where FAT keeps local time.
TEST_P(CopyTimeTest, MatchesOnlyWhereAnEarlierCopyCouldHaveIt)
{
    EXPECT_EQ(platform::copyTimeMatches(GetParam().apart, false), GetParam().asItIs);
    EXPECT_EQ(platform::copyTimeMatches(GetParam().apart, true), GetParam().windowsRules);
}

constexpr std::int64_t second = 1'000'000'000;
INSTANTIATE_TEST_SUITE_P(
    Times, CopyTimeTest,
    testing::Values(CopyTimeCase{"same", 0, true, true},
                    CopyTimeCase{"twoSecondsLater", 2 * second, true, true},
                    CopyTimeCase{"twoSecondsEarlier", -2 * second, true, true},
                    CopyTimeCase{"justOverTwoSeconds", 2 * second + 1, false, false},
                    CopyTimeCase{"anHourLater", 3600 * second, false, true},
                    CopyTimeCase{"anHourEarlier", -3600 * second, false, true},
                    CopyTimeCase{"anHourAndTwoSeconds", 3602 * second, false, true},
                    CopyTimeCase{"anHourLessTwoSeconds", 3598 * second, false, true},
                    CopyTimeCase{"anHourAndThreeSeconds", 3603 * second, false, false},
                    CopyTimeCase{"halfAnHour", 1800 * second, false, false},
                    CopyTimeCase{"twoHours", 7200 * second, false, false}),
    test::CaseName());

TEST(FileExists, TrueForFilesOnly)
{
    TempDir dir;
    writeFile(dir.path() / "empty", "");
    EXPECT_TRUE(FileExists(dir.file("empty")));
    EXPECT_FALSE(FileExists(dir.file("missing")));
    EXPECT_FALSE(FileExists(dir.file("missing/deeper")));
    EXPECT_FALSE(FileExists(""));
}

struct ProgressCase {
    const char* name;
    const char* language;
    std::uint64_t total;
    std::uint64_t done;
    float bar;
    std::string panel;
};

class CopyProgressTest : public testing::TestWithParam<ProgressCase> {};

TEST_P(CopyProgressTest, SetsBarAndPanelAndLetsEventsThrough)
{
    TestWindow window;
    ApplyLanguage(GetParam().language, window);
    CopyProgress(GetParam().total, GetParam().done, &window);
    EXPECT_EQ(window.progress, GetParam().bar);
    EXPECT_EQ(window.panels[3], GetParam().panel);
    EXPECT_EQ(window.eventCalls, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Shares, CopyProgressTest,
    testing::Values(ProgressCase{"Start", "English", 3, 0, 0, "Progress: 0%"},
                    ProgressCase{"TwoOfThreeRoundsDown", "English", 3, 2, 66, "Progress: 66%"},
                    ProgressCase{"Done", "English", 3, 3, 100, "Progress: 100%"},
                    ProgressCase{"German", "Deutsch", 3, 2, 66, "Fortschritt: 66%"},
                    ProgressCase{"EmptyFileIsDone", "English", 0, 0, 100, "Progress: 100%"},
                    ProgressCase{"LargeFile", "English", 5'000'000'000, 2'500'000'000, 50,
                                 "Progress: 50%"}),
    test::CaseName());

TEST(CopyProgress, WithoutABarDoesNothing)
{
    TestWindow window;
    window.panels[3] = "untouched";
    CopyProgress(3, 2, nullptr);
    EXPECT_EQ(window.panels[3], "untouched");
    EXPECT_EQ(window.eventCalls, 0);
    EXPECT_TRUE(window.progressValues.empty());
}

} // namespace
} // namespace tunecrate
