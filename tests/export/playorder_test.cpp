// Numbered copies that follow the playlist's order, and copies of songs that
// left it removed after asking. In a fresh temporary folder, or on the stick
// that TUNECRATE_TARGET_DIR names (scripts/test removable mounts FAT32 and
// exFAT images there).

#include "CaseName.h"
#include "Drive.h"
#include "ExportRun.h"
#include "ExportScene.h"
#include "PlatformFiles.h"
#include "PlayOrder.h"
#include "RecordedFolders.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;
using test::PrintTo;
using test::readFile;
using test::writeFile;
using Copies = std::map<std::string, std::string>; // name -> bytes

class PlayOrderTest : public testing::Test, public test::ExportScene {
protected:
    PlayOrderTest()
    {
        if (const char* stick = std::getenv("TUNECRATE_TARGET_DIR"); stick && *stick) {
            stick_.emplace(fs::path(stick));
            fs::create_directory(stick_->path() / "export");
            window.pathToText = stick_->file("export");
        }
    }

    [[nodiscard]] fs::path folder() const { return fsPath(window.pathToText); }
    [[nodiscard]] std::string inFolder(const std::string& name) const
    {
        return utf8Text(folder() / name);
    }
    // What the folder holds beside its record.
    [[nodiscard]] Copies copies() const
    {
        Copies found;
        for (const auto& file : fs::directory_iterator(folder())) {
            if (file.path().filename() != fsPath(recordFileName)) {
                found[utf8Text(file.path().filename())] = readFile(file.path());
            }
        }
        return found;
    }
    void exportList(const std::vector<std::string>& lines, bool numbered, bool remove = false)
    {
        playlist(lines);
        window.numberedChecked = numbered;
        window.removeDroppedChecked = remove;
        runExport(window);
    }
    [[nodiscard]] FolderRecord record() const
    {
        return readRecord(window.pathToText, followsWindowsRules(window.pathToText))
            .value_or(FolderRecord(false));
    }

private:
    std::optional<test::TempDir> stick_;
};

TEST(NumberedName, IsPaddedToTheWidthOfTheLargestNumber)
{
    EXPECT_EQ(numberedName("a.mp3", 7, 12), "007 - a.mp3");
    EXPECT_EQ(numberedName("a.mp3", 7, 1000), "0007 - a.mp3");
    EXPECT_EQ(numberedName("a.mp3", 12345, 12345), "12345 - a.mp3");
}

TEST_F(PlayOrderTest, NumbersFollowTheOrderAndGoWhenUnticked)
{
    const std::string a = song("a.mp3", "A"), b = song("b.mp3", "B"), c = song("c.mp3", "C");
    exportList({a, b, c}, true);
    EXPECT_EQ(copies(), (Copies{{"001 - a.mp3", "A"}, {"002 - b.mp3", "B"}, {"003 - c.mp3", "C"}}));

    // Renamed, not copied again: no copy stays under its old number.
    exportList({c, a, b}, true);
    EXPECT_EQ(copies(), (Copies{{"001 - c.mp3", "C"}, {"002 - a.mp3", "A"}, {"003 - b.mp3", "B"}}));
    EXPECT_EQ(window.logLines().back(), "All files copied!");

    // A bare name a file of the user's holds is never taken from it.
    writeFile(folder() / "b.mp3", "mine");
    exportList({c, a, b}, false);
    EXPECT_EQ(copies(),
              (Copies{{"a.mp3", "A"}, {"b (2).mp3", "B"}, {"b.mp3", "mine"}, {"c.mp3", "C"}}));
    EXPECT_EQ(record().findSource(b)->name, "b (2).mp3");
}

TEST_F(PlayOrderTest, RenamesCutShortAreFinishedByTheNextRun)
{
    const std::string a = song("a.mp3", "A"), b = song("b.mp3", "B"), c = song("c.mp3", "C");
    exportList({a, b, c}, true);
    // Stopped on the way to the order b, c, a: a had moved to its temporary,
    // b had not moved yet, and c had moved straight to its new name.
    FolderRecord cut = record();
    const auto mark = [&cut](const std::string& name, const std::string& to, int through) {
        RecordedCopy copy = *cut.find(name);
        copy.renamedTo = to;
        copy.through = ".tunecrate-renamed-" + std::to_string(through);
        cut.put(copy);
    };
    mark("001 - a.mp3", "003 - a.mp3", 1);
    mark("002 - b.mp3", "001 - b.mp3", 2);
    mark("003 - c.mp3", "002 - c.mp3", 3);
    ASSERT_TRUE(writeRecord(window.pathToText, cut, false, {}));
    fs::rename(folder() / "001 - a.mp3", folder() / ".tunecrate-renamed-1");
    fs::rename(folder() / "003 - c.mp3", folder() / "002 - c.mp3");

    exportList({b, c, a}, true);

    EXPECT_EQ(copies(), (Copies{{"001 - b.mp3", "B"}, {"002 - c.mp3", "C"}, {"003 - a.mp3", "A"}}));
    for (const RecordedCopy* copy : record().copies()) {
        EXPECT_TRUE(copy->renamedTo.empty()) << copy->name;
    }
}

TEST_F(PlayOrderTest, ACopyAnotherPlaylistSharesKeepsItsName)
{
    const std::string a = song("a.mp3", "A"), b = song("b.mp3", "B");
    exportList({b, a}, true);
    const std::string first = window.pathFromText;
    window.pathFromText = dir.file("other.m3u");
    writeFile(dir.path() / "other.m3u", b + "\n");
    runExport(window);
    window.pathFromText = first;

    exportList({a, b}, true);

    EXPECT_EQ(copies(), (Copies{{"001 - a.mp3", "A"}, {"001 - b.mp3", "B"}, {"002 - b.mp3", "B"}}));
}

// Three songs exported with removal ticked, then b leaves the playlist.
enum class Before { Nothing, CopyChanged, SourceGone, Shared, DamagedRecord };
struct RemovalCase {
    const char* name;
    Before before;
    bool answer = true;  // "Remove"
    bool error = false;  // an entry of the second run fails
    bool cancel = false; // the second run is cancelled
    bool asked = true;   // the dialog lists b
    bool removed = true; // b's copy is gone
};

class RemovalTest : public PlayOrderTest, public testing::WithParamInterface<RemovalCase> {};

TEST_P(RemovalTest, TakesOnlyUnchangedCopiesOfDroppedSongsAfterAsking)
{
    const RemovalCase& test = GetParam();
    const std::string a = song("a.mp3", "A"), b = song("b.mp3", "B"), c = song("c.mp3", "C");
    exportList({a, b, c}, false, true);
    ASSERT_TRUE(window.removalQuestions.empty());
    writeFile(folder() / "mine.mp3", "mine");
    switch (test.before) {
    case Before::Nothing:
        break;
    case Before::CopyChanged:
        writeFile(folder() / "b.mp3", "BB");
        break;
    case Before::SourceGone:
        fs::remove(music() / "b.mp3");
        break;
    case Before::Shared:
        writeFile(dir.path() / "other.m3u", b + "\n");
        window.pathFromText = dir.file("other.m3u");
        runExport(window);
        window.pathFromText = dir.file("list.m3u");
        break;
    case Before::DamagedRecord:
        // Written anew: fusefat can spin for good renaming onto a file cut short in place.
        fs::remove(folder() / std::string(recordFileName));
        writeFile(folder() / std::string(recordFileName), "{");
        break;
    }
    window.removeAnswer = test.answer;
    window.onEvents = [&] {
        window.cancel = window.cancel || test.cancel;
    };
    exportList({a, c, test.error ? dir.file("gone.mp3") : c}, false, true);

    const std::string removedLine = "removed: " + inFolder("b.mp3");
    const std::vector<std::vector<std::string>> asked{
        {"Remove 1 songs that are no longer in the playlist?", "b.mp3"}};
    EXPECT_EQ(window.removalQuestions, test.asked ? asked : decltype(asked){});
    EXPECT_EQ(fs::exists(folder() / "b.mp3"), !test.removed);
    EXPECT_EQ(readFile(folder() / "mine.mp3"), "mine");
    const auto lines = window.logLines();
    if (test.removed) {
        ASSERT_GE(lines.size(), 2U);
        EXPECT_EQ(lines[lines.size() - 2], removedLine);
        EXPECT_EQ(lines.back(), "All files copied!");
        EXPECT_EQ(record().find("b.mp3"), nullptr);
    } else {
        EXPECT_EQ(std::count(lines.begin(), lines.end(), removedLine), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemovalTest,
    testing::Values(
        RemovalCase{"Remove", Before::Nothing},
        RemovalCase{"Keep", Before::Nothing, false, false, false, true, false},
        RemovalCase{"CopyChanged", Before::CopyChanged, true, false, false, false, false},
        RemovalCase{"SourceGone", Before::SourceGone, true, false, false, false, false},
        RemovalCase{"Shared", Before::Shared, true, false, false, false, false},
        RemovalCase{"DamagedRecord", Before::DamagedRecord, true, false, false, false, false},
        RemovalCase{"AfterAnError", Before::Nothing, true, true, false, false, false},
        RemovalCase{"AfterACancel", Before::Nothing, true, false, true, false, false}),
    test::CaseName());

// The source of a song still in the playlist is offline: its entry fails, so
// nothing is removed, least of all the only copy left of it.
TEST_F(PlayOrderTest, AnOfflineSongStillListedKeepsItsCopy)
{
    const std::string a = song("a.mp3", "A"), b = song("b.mp3", "B"), c = song("c.mp3", "C");
    exportList({a, b, c}, false, true);
    fs::remove(music() / "b.mp3");
    window.removeAnswer = true;
    exportList({a, b}, false, true);

    EXPECT_TRUE(window.removalQuestions.empty());
    EXPECT_EQ(copies(), (Copies{{"a.mp3", "A"}, {"b.mp3", "B"}, {"c.mp3", "C"}}));
}

TEST_F(PlayOrderTest, ANestedRunNeitherRenamesNorRemoves)
{
    const std::string a = song("a.mp3", "A"), b = song("b.mp3", "B");
    exportList({a, b}, true, true);
    window.removeAnswer = true;
    bool nested = false;
    window.onEvents = [&] {
        if (!std::exchange(nested, true)) {
            window.pathFromText = dir.file("list.m3u");
            playlist({b});
            runExport(window);
        }
    };
    writeFile(dir.path() / "outer.m3u", "#EXTM3U\n#EXTINF:1,nothing\n");
    window.pathFromText = dir.file("outer.m3u");
    runExport(window);

    EXPECT_TRUE(window.removalQuestions.empty());
    EXPECT_EQ(copies(), (Copies{{"001 - a.mp3", "A"}, {"001 - b.mp3", "B"}, {"002 - b.mp3", "B"}}));
}

} // namespace
} // namespace tunecrate
