#pragma once

#include "BigFile.h"
#include "ExportScene.h"
#include "FakeDialogs.h"
#include "LogLines.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace tunecrate::test {

// True while the log shows copy number `copy` of a run under way: its record
// written, its result not yet.
[[nodiscard]] inline bool copyUnderWay(std::string_view log, int copy)
{
    const std::vector<std::string> lines = splitLogLines(log);
    return lines.size() >= 3 && lines[lines.size() - 2] == "copied to:" &&
           std::count(lines.begin(), lines.end(), "copied to:") == copy;
}

// What the window does the same way whatever toolkit draws it, written once
// and run over each view (contract_qt_test, contract_win32_test). The session's
// own decisions are tested in session_test; these cases are what only a real
// view can get wrong: its controls, its close, its passes of events during a
// run. A view's driver works the real window, shown, in English:
//   FakeDialogs fake;  answers the window's dialogs, bound when it starts
//   void setDialogs(Dialogs);  Dialogs systemDialogs();  the window's real ones
//   void answerNextQuestion(const char* button);  presses the button of that
//       caption in the next modal dialog the window shows
//   void setText(const char* box, const std::string&);  a path box, as typed
//   void click(const char* control);  a button or check box; returns when
//                                     its command has ended
//   void close();  the window's close box
//   bool isOpen() const;
//   std::string logBox() const;  the log box's text, lines ending in CR LF
//   std::string panel(int number) const;  int bar() const;
//   std::string logText() const;  the session's log
//   void duringCopy(int copy, std::function<void()> action);  runs action once,
//       at the first event the window lets through while copyUnderWay(logText(), copy)
// A driver that finds no display throws, and the case is skipped.
template <class View> class ViewContract : public testing::Test {
protected:
    void SetUp() override
    {
        try {
            view_.emplace();
        } catch (const std::exception& error) {
            GTEST_SKIP() << "no window without a display: " << error.what();
        }
    }

    View& view() { return *view_; }

    // Points the window at a playlist of these lines in folder, and its target.
    void pointAt(const ExportFolder& folder, const std::vector<std::string>& lines)
    {
        view().setText("txtPathfrom", folder.playlist(lines));
        view().setText("txtPathto", folder.targetText());
    }

    ExportFolder scene;

private:
    std::optional<View> view_;
};

TYPED_TEST_SUITE_P(ViewContract);

using Lines = std::vector<std::string>;

// The entry that exists is copied, the missing one logged as an error; with
// chkPlaylist ticked the playlist written is one more record.
TYPED_TEST_P(ViewContract, SaveCopiesEveryEntryAndLogsIt)
{
    auto& view = this->view();
    for (const bool withPlaylist : {false, true}) {
        SCOPED_TRACE(withPlaylist ? "with playlist" : "copies only");
        ExportFolder folder;
        const std::string first = folder.song("First Song.mp3", "first song");
        const std::string second = folder.dir.file("gone/Second Song.mp3");
        this->pointAt(folder, {"#EXTM3U", "#EXTINF:215,Artist A - First Song", first,
                               "#EXTINF:187,Artist B - Second Song", second});
        if (withPlaylist) {
            view.click("chkPlaylist");
        }

        view.click("cmdSave");

        Lines expected{"",    first,  "copied to:", folder.exported("First Song.mp3"),  "ok",
                       "---", second, "copied to:", folder.exported("Second Song.mp3"), "error",
                       "---"};
        if (withPlaylist) {
            expected.insert(expected.end(), {folder.dir.file("list.m3u"), "copied to:",
                                             folder.exported("list.m3u8"), "ok", "---"});
        }
        expected.push_back(withPlaylist ? "Done: 1 of 3 files could not be copied."
                                        : "Done: 1 of 2 files could not be copied.");
        expected.push_back(second + ": the song was not found");
        EXPECT_EQ(splitLogLines(view.logText()), expected);
        EXPECT_EQ(view.logBox(), view.logText());
        EXPECT_EQ(readFile(folder.target() / "First Song.mp3"), "first song");
        EXPECT_EQ(std::filesystem::exists(folder.target() / "list.m3u8"), withPlaylist);
        EXPECT_EQ(view.panel(1), "File: " + second);
        EXPECT_EQ(view.panel(2), "Filename: Second Song.mp3");
        EXPECT_EQ(view.bar(), 0);
    }
}

TYPED_TEST_P(ViewContract, CloseWhenIdleClosesAtOnce)
{
    auto& view = this->view();
    ASSERT_TRUE(view.isOpen());
    view.close();
    EXPECT_FALSE(view.isOpen());
}

// A close during a copy is a cancel: the copy under way ends, over an older
// file too, and the window closes once the run has stopped.
TYPED_TEST_P(ViewContract, CloseDuringACopyIsACancelAndClosesOnceTheRunStopped)
{
    auto& view = this->view();
    ExportFolder& folder = this->scene;
    writeFile(folder.target() / "a.mp3", "an older a.mp3");
    const std::string a = folder.song("a.mp3", "song a");
    this->pointAt(folder, {a, folder.song("b.mp3")});
    bool openAfterClose = false;
    view.duringCopy(1, [&] {
        view.close();
        openAfterClose = view.isOpen();
    });

    view.click("cmdSave");

    EXPECT_TRUE(openAfterClose);
    EXPECT_FALSE(view.isOpen());
    EXPECT_EQ(splitLogLines(view.logText()),
              (Lines{"", a, "copied to:", folder.exported("a.mp3"), "ok", "---", "canceled!"}));
    EXPECT_EQ(readFile(folder.target() / "a.mp3"), "song a");
    EXPECT_FALSE(std::filesystem::exists(folder.target() / "b.mp3"));
    EXPECT_EQ(folder.temporariesLeft(), 0);
}

TYPED_TEST_P(ViewContract, SaveDuringACopyRunsTheWholeListNestedThenTheFirstGoesOn)
{
    auto& view = this->view();
    ExportFolder& folder = this->scene;
    writeFile(folder.target() / "a.mp3", "an older a.mp3");
    const std::string a = folder.song("a.mp3", "song a");
    const std::string b = folder.song("b.mp3", "song b");
    this->pointAt(folder, {a, b});
    view.duringCopy(1, [&] { view.click("cmdSave"); });

    view.click("cmdSave");

    // The second run's whole log, then what the first adds after its copy.
    const std::string copiedA = folder.exported("a.mp3");
    const std::string copiedB = folder.exported("b.mp3");
    EXPECT_EQ(splitLogLines(view.logText()), (Lines{"",
                                                    a,
                                                    "copied to:",
                                                    copiedA,
                                                    "ok",
                                                    "---",
                                                    b,
                                                    "copied to:",
                                                    copiedB,
                                                    "ok",
                                                    "---",
                                                    "All files copied!",
                                                    "ok",
                                                    "---",
                                                    b,
                                                    "copied to:",
                                                    copiedB,
                                                    "ok",
                                                    "---",
                                                    "All files copied!"}));
    EXPECT_EQ(view.logBox(), view.logText());
    EXPECT_EQ(view.bar(), 0);
    EXPECT_TRUE(view.isOpen());
    EXPECT_EQ(readFile(folder.target() / "a.mp3"), "song a");
    EXPECT_EQ(readFile(folder.target() / "b.mp3"), "song b");
    EXPECT_EQ(folder.temporariesLeft(), 0);
}

// Cancel during a copy lets it end; the walk stops at the next line, after
// the last entry too. A second click changes nothing.
TYPED_TEST_P(ViewContract, CancelDuringACopyEndsTheWalkAtTheNextLine)
{
    struct Row {
        const char* name;
        int copy;
        int clicks;
        Lines tail;
        std::vector<bool> copied;
    };
    const std::vector<Row> rows{
        {"mid list", 1, 1, {"ok", "---", "canceled!"}, {true, false, false}},
        {"clicked twice", 1, 2, {"ok", "---", "canceled!"}, {true, false, false}},
        {"on the last entry",
         3,
         1,
         {"ok", "---", "All files copied!", "canceled!"},
         {true, true, true}},
    };
    auto& view = this->view();
    const std::vector<std::string> names{"a.mp3", "b.mp3", "c.mp3"};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ExportFolder folder;
        std::vector<std::string> songs;
        for (const std::string& name : names) {
            songs.push_back(folder.song(name));
        }
        this->pointAt(folder, songs);
        view.duringCopy(row.copy, [&] {
            for (int click = 0; click < row.clicks; ++click) {
                view.click("cmdCancel");
            }
        });

        view.click("cmdSave");

        const Lines lines = splitLogLines(view.logText());
        ASSERT_GE(lines.size(), row.tail.size());
        EXPECT_EQ(Lines(lines.end() - static_cast<std::ptrdiff_t>(row.tail.size()), lines.end()),
                  row.tail);
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(std::filesystem::exists(folder.target() / names[i]), row.copied[i])
                << names[i];
        }
        EXPECT_EQ(folder.temporariesLeft(), 0);
    }
}

// A drive with too little room: the question comes in the window's own
// dialog, and its "Cancel" leaves the question and the canceled line.
TYPED_TEST_P(ViewContract, TooLittleRoomIsAskedAboutAndCancelCopiesNothing)
{
    auto& view = this->view();
    ExportFolder& folder = this->scene;
    const std::string huge = folder.song("huge.mp3");
    makeLargerThanTheDrive(folder.music() / "huge.mp3");
    this->pointAt(folder, {folder.song("a.mp3"), huge});
    Dialogs dialogs = view.fake.dialogs();
    dialogs.askCopyWhatFits = view.systemDialogs().askCopyWhatFits;
    view.setDialogs(dialogs);
    view.answerNextQuestion("Cancel");

    view.click("cmdSave");

    const Lines lines = splitLogLines(view.logText());
    ASSERT_EQ(lines.size(), 3U) << view.logText();
    EXPECT_TRUE(lines[1].starts_with("Not enough room on the drive: ")) << lines[1];
    EXPECT_EQ(lines[2], "canceled!");
    EXPECT_FALSE(std::filesystem::exists(folder.target() / "a.mp3"));
}

// The boxes are read at Save: numbered copies, then a song left the playlist
// and "Remove" takes its copy.
TYPED_TEST_P(ViewContract, NumberedAndRemoveDroppedAreReadAtSave)
{
    auto& view = this->view();
    ExportFolder& folder = this->scene;
    const std::string a = folder.song("a.mp3");
    const std::string b = folder.song("b.mp3");
    this->pointAt(folder, {a, b});
    view.click("chkNumbered");
    view.click("chkRemoveDropped");
    view.click("cmdSave");
    folder.playlist({b});
    view.fake.remove = true;

    view.click("cmdSave");

    EXPECT_EQ(view.fake.removals,
              (std::vector<Lines>{
                  {"Remove 1 songs that are no longer in the playlist?", "001 - a.mp3"}}));
    EXPECT_FALSE(std::filesystem::exists(folder.target() / "001 - a.mp3"));
    EXPECT_TRUE(std::filesystem::exists(folder.target() / "001 - b.mp3"));
}

// The run writes the log and the panels far more often than the window
// paints; whatever a user meets while it runs is all it wrote.
TYPED_TEST_P(ViewContract, DuringACopyTheBoxAndPanelsShowAllTheRunWrote)
{
    auto& view = this->view();
    ExportFolder& folder = this->scene;
    const std::string b = folder.song("b.mp3");
    this->pointAt(folder, {folder.song("a.mp3"), b});
    std::string box;
    std::string log;
    Lines panels;
    int bar = -1;
    view.duringCopy(2, [&] {
        box = view.logBox();
        log = view.logText();
        panels = {view.panel(1), view.panel(2), view.panel(3)};
        bar = view.bar();
    });

    view.click("cmdSave");

    const Lines lines = splitLogLines(log);
    ASSERT_EQ(lines.size(), 9U) << log; // a.mp3 done, b.mp3 under way
    EXPECT_EQ(lines[8], folder.exported("b.mp3"));
    EXPECT_EQ(box, log);
    EXPECT_EQ(panels,
              (Lines{"File: " + b, "Filename: b.mp3", "Progress: " + std::to_string(bar) + "%"}));
}

REGISTER_TYPED_TEST_SUITE_P(ViewContract, SaveCopiesEveryEntryAndLogsIt, CloseWhenIdleClosesAtOnce,
                            CloseDuringACopyIsACancelAndClosesOnceTheRunStopped,
                            SaveDuringACopyRunsTheWholeListNestedThenTheFirstGoesOn,
                            CancelDuringACopyEndsTheWalkAtTheNextLine,
                            TooLittleRoomIsAskedAboutAndCancelCopiesNothing,
                            NumberedAndRemoveDroppedAreReadAtSave,
                            DuringACopyTheBoxAndPanelsShowAllTheRunWrote);

} // namespace tunecrate::test
