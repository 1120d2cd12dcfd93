#include "ExportScene.h"
#include "FakeDialogs.h"
#include "LogLines.h"
#include "Session.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <stdexcept>
#include <string>

using namespace tunecrate;
using namespace tunecrate::test;

namespace {

// A window that shows what it is told and keeps it; letEventsThrough plays the
// test's scripted user actions as events reaching the controls.
class FakeView final : public WindowView {
public:
    std::map<std::string, std::string, std::less<>> texts;
    std::array<std::string, 4> panels; // [1] to [3] are used
    int bar = 0;
    bool playlistTicked = false;
    int framesPainted = 0;
    int closes = 0;
    std::function<void()> onEvents;
    Session* session = nullptr;

    std::string text(std::string_view control) const override
    {
        const auto known = texts.find(control);
        return known == texts.end() ? std::string() : known->second;
    }
    void setText(std::string_view control, const std::string& text) override
    {
        texts[std::string(control)] = text;
    }
    void appendToLog(std::string_view piece) override { texts["txtPlaylist"] += piece; }
    void showLogEnd() override {}
    bool checked(std::string_view) const override { return playlistTicked; }
    void setHint(std::string_view, const std::string&) override {}
    void setAccessibleName(std::string_view, const std::string&) override {}
    void setPanelText(int panel, const std::string& text) override
    {
        panels.at(static_cast<std::size_t>(panel)) = text;
    }
    void setBarValue(int value) override { bar = value; }
    void fitToTexts() override {}
    void letEventsThrough() override
    {
        session->beforeEvent();
        if (onEvents) {
            onEvents();
        }
    }
    void paintFrame() override { ++framesPainted; }
    void scheduleFrame(std::chrono::milliseconds) override {}
    double refreshRate() const override { return 0; }
    void closeWindow() override { ++closes; }
};

class SessionTest : public ::testing::Test {
protected:
    SessionTest()
    {
        view.session = &session;
        session.load();
        view.texts["txtPathfrom"] = folder.dir.file("list.m3u");
        session.pathToChanged(folder.targetText());
    }

    // Runs action once, at the first events let through while a copy is under way.
    void duringFirstCopy(std::function<void()> action)
    {
        view.onEvents = [this, action = std::move(action)]() mutable {
            const auto lines = splitLogLines(session.logText());
            if (lines.size() >= 3 && lines[lines.size() - 2] == "copied to:") {
                auto once = std::move(action);
                view.onEvents = {}; // ends this lambda
                once();
            }
        };
    }

    ExportFolder folder;
    FakeView view;
    FakeDialogs fake;
    Session session{view, fake.dialogs()};
};

TEST_F(SessionTest, WhatTheRunWroteReachesTheControlsBeforeAnyEventAndTheViewShowsTheLog)
{
    folder.playlist({folder.song("a.mp3"), folder.song("b.mp3")});
    std::string logWhenCopying;
    std::string panelWhenCopying;
    view.onEvents = [&] {
        if (logWhenCopying.empty() && session.logText().find("b.mp3") != std::string::npos) {
            logWhenCopying = view.text("txtPlaylist");
            panelWhenCopying = view.panels[2];
        }
    };

    session.save();

    EXPECT_EQ(splitLogLines(logWhenCopying).back(), folder.exported("b.mp3"));
    EXPECT_EQ(panelWhenCopying, "Filename: b.mp3");
    EXPECT_EQ(view.text("txtPlaylist"), session.logText());
    EXPECT_EQ(splitLogLines(session.logText()).back(), "All files copied!");
    EXPECT_EQ(view.bar, 0);
    EXPECT_EQ(view.panels[3], "Progress: 100%");
}

TEST_F(SessionTest, WhatTheUserTypedIntoTheBoxIsTheLogTheRunWritesBelow)
{
    session.setLog("\r\nfirst");
    view.texts["txtPlaylist"] = "\r\nfixrst";
    session.logBoxChanged();
    EXPECT_EQ(session.logText(), "\r\nfixrst");

    session.appendLog("\r\nok");
    EXPECT_EQ(session.logText(), "\r\nfixrst\r\nok");
    EXPECT_EQ(view.text("txtPlaylist"), session.logText());
}

TEST_F(SessionTest, CloseDuringARunIsACancelAndClosesOnceTheRunStopped)
{
    folder.playlist({folder.song("a.mp3"), folder.song("b.mp3")});
    bool mayCloseDuringRun = true;
    duringFirstCopy([&] { mayCloseDuringRun = session.mayClose(); });

    session.save();

    EXPECT_FALSE(mayCloseDuringRun);
    EXPECT_EQ(view.closes, 1);
    const auto lines = splitLogLines(session.logText());
    EXPECT_EQ(lines.back(), "canceled!");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ok"), 1); // the copy under way ran to its end
}

TEST_F(SessionTest, SaveDuringARunRunsTheWholeListNestedAndTheFirstRunGoesOn)
{
    folder.playlist({folder.song("a.mp3"), folder.song("b.mp3")});
    duringFirstCopy([&] { session.save(); });

    session.save();

    // The nested run cleared the log and copied both; the first then ended its
    // copy of a.mp3 and went on with b.mp3.
    const auto lines = splitLogLines(session.logText());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "All files copied!"), 2);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ok"), 4);
    EXPECT_EQ(view.closes, 0);
    EXPECT_EQ(view.text("txtPlaylist"), session.logText());
}

TEST_F(SessionTest, CloseDuringANestedRunEndsBothThenClosesOnce)
{
    const std::string a = folder.song("a.mp3");
    folder.playlist({a, folder.song("b.mp3")});
    duringFirstCopy([&] {
        duringFirstCopy([&] { EXPECT_FALSE(session.mayClose()); });
        session.save();
    });

    session.save();

    EXPECT_EQ(splitLogLines(session.logText()),
              (std::vector<std::string>{"", a, "copied to:", folder.exported("a.mp3"), "ok", "---",
                                        "canceled!", "ok", "---", "canceled!"}));
    EXPECT_EQ(view.closes, 1);
    EXPECT_FALSE(std::filesystem::exists(folder.target() / "b.mp3"));
}

TEST_F(SessionTest, AFolderChosenDuringACopyTakesTheNextEntry)
{
    folder.playlist({folder.song("a.mp3"), folder.song("b.mp3")});
    const std::filesystem::path other = folder.dir.path() / "other";
    std::filesystem::create_directories(other);
    fake.folderAnswers = {other.string()};
    duringFirstCopy([&] { session.chooseTargetFolder(); });

    session.save();

    EXPECT_TRUE(std::filesystem::exists(folder.target() / "a.mp3"));
    EXPECT_TRUE(std::filesystem::exists(other / "b.mp3"));
    EXPECT_EQ(view.text("txtPathto"), other.string());
    EXPECT_EQ(fake.folderRequests.front().first, folderPrompt);
}

TEST_F(SessionTest, AnErrorInACommandIsShownAndTheSessionGoesOn)
{
    session.setDialogs({
        .choosePlaylist = []() -> std::string { throw std::runtime_error("no dialog"); },
        .browseFolder = fake.dialogs().browseFolder,
        .showError = fake.dialogs().showError,
        .askCopyWhatFits = fake.dialogs().askCopyWhatFits,
        .askRemoval = fake.dialogs().askRemoval,
    });
    session.choosePlaylist();
    ASSERT_EQ(fake.errors.size(), 1u);
    EXPECT_NE(fake.errors.front().find("no dialog"), std::string::npos);

    // Save with no target ends at once and clears the log.
    session.setLog("old");
    session.pathToChanged({});
    session.save();
    EXPECT_EQ(session.logText(), "");
}

TEST_F(SessionTest, DuringARunRepaintsWaitForFramesAndWhatEventsDoShowsAtOnce)
{
    folder.playlist({folder.song("a.mp3")});
    int barWhenHeld = -1;
    bool repaintHeld = false;
    view.onEvents = [&] {
        repaintHeld = session.holdsRepaints();
        if (barWhenHeld < 0) {
            session.setProgressValue(42);
            barWhenHeld = view.bar; // events go through at once: not held
        }
    };

    session.save();

    EXPECT_TRUE(repaintHeld);
    EXPECT_EQ(barWhenHeld, 42);
    EXPECT_FALSE(session.holdsRepaints());
    EXPECT_EQ(view.bar, 0);
    EXPECT_GE(view.framesPainted, 1);
}

} // namespace
