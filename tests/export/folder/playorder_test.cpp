// Numbered copies that follow the playlist's order, and copies of songs that
// left it removed after asking. In a fresh temporary folder, or on the stick
// that TUNECRATE_TARGET_DIR names (scripts/test removable mounts FAT32 and
// exFAT images there).

#include "CaseName.h"
#include "ExportScene.h"
#include "drive/Drive.h"
#include "files/PlatformFiles.h"
#include "folder/PlayOrder.h"
#include "folder/RecordedFolders.h"
#include "run/ExportRun.h"

#include <algorithm>
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
public:
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
            if (file.path().filename() != fsPath(recordFileName) &&
                file.path().filename() != fsPath(turnFileName)) {
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
    // Exports another playlist of one song into the folder, as the boxes are.
    void exportOther(const std::string& song)
    {
        writeFile(dir.path() / "other.m3u", song + "\n");
        window.pathFromText = dir.file("other.m3u");
        runExport(window);
        window.pathFromText = dir.file("list.m3u");
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
    std::error_code refused;
    fs::rename(folder() / "001 - a.mp3", folder() / ".tunecrate-renamed-1", refused);
    if (refused) {
        GTEST_SKIP() << "this drive renames nothing (" << refused.message()
                     << "): no rename is cut short there";
    }
    ASSERT_TRUE(writeRecord(window.pathToText, cut, false, {}));
    fs::rename(folder() / "003 - c.mp3", folder() / "002 - c.mp3");

    exportList({b, c, a}, true);

    EXPECT_EQ(copies(), (Copies{{"001 - b.mp3", "B"}, {"002 - c.mp3", "C"}, {"003 - a.mp3", "A"}}));
    const FolderRecord after = record();
    for (const RecordedCopy* copy : after.copies()) {
        EXPECT_TRUE(copy->renamedTo.empty()) << copy->name;
    }
}

TEST_F(PlayOrderTest, ACopyAnotherPlaylistSharesKeepsItsName)
{
    const std::string a = song("a.mp3", "A"), b = song("b.mp3", "B");
    exportList({b, a}, true);
    exportOther(b);

    exportList({a, b}, true);

    EXPECT_EQ(copies(), (Copies{{"001 - a.mp3", "A"}, {"001 - b.mp3", "B"}, {"002 - b.mp3", "B"}}));
}

// Four songs exported with removal ticked; then b leaves the playlist, after
// what the case does (before), and the user answers the dialog.
struct RemovalCase {
    const char* name;
    void (*before)(PlayOrderTest& scene, const std::string& b) = nullptr;
    bool answer = true;  // "Remove"
    bool cancel = false; // the second run is cancelled
    bool removed = true; // b's copy is gone, after the dialog listed it
    bool asked = removed;
};

class RemovalTest : public PlayOrderTest, public testing::WithParamInterface<RemovalCase> {};

TEST_P(RemovalTest, TakesOnlyUnchangedCopiesOfDroppedSongsAfterAsking)
{
    const RemovalCase& test = GetParam();
    const std::string a = song("a.mp3", "A"), b = song("b.mp3", "B"), c = song("c.mp3", "C");
    const std::string d = song("d.mp3", "D");
    exportList({a, b, c, d}, false, true);
    ASSERT_TRUE(window.removalQuestions.empty());
    writeFile(folder() / "mine.mp3", "mine");
    if (test.before != nullptr) {
        test.before(*this, b);
    }
    window.removeAnswer = test.answer;
    window.onEvents = [&] {
        window.cancel = window.cancel || test.cancel;
    };
    exportList({a, c, d}, false, true);

    const std::vector<std::vector<std::string>> asked{
        {"Remove 1 songs that are no longer in the playlist?", "b.mp3"}};
    EXPECT_EQ(window.removalQuestions, test.asked ? asked : decltype(asked){});
    EXPECT_EQ(fs::exists(folder() / "b.mp3"), !test.removed);
    EXPECT_EQ(readFile(folder() / "mine.mp3"), "mine");
    EXPECT_EQ(readFile(folder() / "d.mp3"), "D");
    const auto lines = window.logLines();
    const std::vector<std::string> end{"removed: " + inFolder("b.mp3"), "All files copied!"};
    EXPECT_EQ(std::search(lines.begin(), lines.end(), end.begin(), end.end()) != lines.end(),
              test.removed);
    EXPECT_TRUE(!test.removed || record().find("b.mp3") == nullptr);
}

// Each written anew: fusefat can spoil its FAT, or spin for good, after a
// file on it was cut short in place and rewritten.
void changeCopy(PlayOrderTest& scene, const std::string&)
{
    fs::remove(scene.folder() / "b.mp3");
    writeFile(scene.folder() / "b.mp3", "BB");
}
void removeSource(PlayOrderTest& scene, const std::string&)
{
    fs::remove(scene.music() / "b.mp3");
}
void shareWithAnother(PlayOrderTest& scene, const std::string& b)
{
    scene.exportOther(b);
}
void damageRecord(PlayOrderTest& scene, const std::string&)
{
    fs::remove(scene.folder() / std::string(recordFileName));
    writeFile(scene.folder() / std::string(recordFileName), "{");
}
// d is still listed, but its source is offline: its entry fails.
void takeDOffline(PlayOrderTest& scene, const std::string&)
{
    fs::remove(scene.music() / "d.mp3");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemovalTest,
    testing::Values(RemovalCase{"Remove"}, RemovalCase{"Keep", nullptr, false, false, false, true},
                    RemovalCase{"CopyChanged", changeCopy, true, false, false},
                    RemovalCase{"SourceGone", removeSource, true, false, false},
                    RemovalCase{"Shared", shareWithAnother, true, false, false},
                    RemovalCase{"DamagedRecord", damageRecord, true, false, false},
                    RemovalCase{"AfterAnError", takeDOffline, true, false, false},
                    RemovalCase{"AfterACancel", nullptr, true, true, false}),
    test::CaseName());

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

// Exported into the folder the songs are in: no song is taken for its own
// copy, so none is removed or renamed; the numbered copies made there are
// Tunecrate's, and are renamed and removed as anywhere.
TEST_F(PlayOrderTest, TheSongsOwnFolderKeepsEverySong)
{
    const Copies songs{{"a.mp3", "A"}, {"b.mp3", "B"}, {"c.mp3", "C"}};
    std::vector<std::string> lines;
    for (const auto& [name, bytes] : songs) {
        writeFile(folder() / name, bytes);
        lines.push_back(inFolder(name));
    }
    const std::string& a = lines[0];
    const std::string& b = lines[1];
    window.withPlaylistChecked = true;
    window.removeAnswer = true;
    exportList(lines, false, true);
    EXPECT_EQ(window.logLines().back(), "All files copied!");
    window.withPlaylistChecked = false;
    exportList({a, b}, false, true);
    exportList({b, a}, true);
    EXPECT_TRUE(window.removalQuestions.empty());
    EXPECT_EQ(record().findSource(a)->name, "002 - a.mp3");

    exportList({a, b}, true);
    exportList({a}, true, true);

    Copies expected = songs;
    expected["001 - a.mp3"] = "A";
    Copies found = copies();
    EXPECT_TRUE(found.erase("list.m3u8"));
    EXPECT_EQ(found, expected);
    EXPECT_EQ(window.removalQuestions,
              (std::vector<std::vector<std::string>>{
                  {"Remove 1 songs that are no longer in the playlist?", "002 - b.mp3"}}));
}

// A song of the playlist that lies in the target folder is never replaced by
// another song of its name listed before it.
TEST_F(PlayOrderTest, ASongInTheFolderIsNeverAnotherSongsCopy)
{
    const std::string elsewhere = song("a.mp3", "A elsewhere");
    writeFile(folder() / "a.mp3", "A here");
    exportList({elsewhere, inFolder("a.mp3")}, false);
    EXPECT_EQ(copies(), (Copies{{"a (2).mp3", "A elsewhere"}, {"a.mp3", "A here"}}));
    EXPECT_EQ(record().findSource(inFolder("a.mp3")), nullptr);
}

// A record that calls a file of the user's the copy of a song, with its true
// size and time, never has it renamed or replaced; the genuine copies are.
TEST_F(PlayOrderTest, AForgedRecordRenamesNoFileOfTheUsers)
{
    const std::string a = song("a.mp3", "A"), b = song("b.mp3", "B");
    for (const bool older : {false, true}) {
        for (const auto& file : fs::directory_iterator(folder())) {
            fs::remove(file.path());
        }
        exportList({a, b}, true);
        writeFile(folder() / "notes.txt", "N");
        FolderRecord forged = record();
        RecordedCopy notes = *forged.find("001 - a.mp3");
        forged.drop(notes.name);
        fs::remove(folder() / notes.name);
        notes.name = "notes.txt";
        notes.copyStamp = *platform::fileStamp(inFolder("notes.txt"));
        notes.copyHash = older ? std::nullopt : forged.find("002 - b.mp3")->copyHash;
        forged.put(notes);
        ASSERT_TRUE(writeRecord(window.pathToText, forged, false, {}));

        exportList({b, a}, true);

        EXPECT_EQ(copies(),
                  (Copies{{"001 - b.mp3", "B"}, {"002 - a.mp3", "A"}, {"notes.txt", "N"}}));
    }
}

} // namespace
} // namespace tunecrate
