// What reaches the drive, and when: watched through the hook that every
// flush call passes, which can also fail a call or make it slow.

#include "CaseName.h"
#include "ExportScene.h"
#include "Leftovers.h"
#include "drive/FileOps.h"
#include "files/PlatformFiles.h"
#include "run/ExportRun.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;
using platform::FlushCall;
using Lines = std::vector<std::string>;

class FlushTest : public testing::Test, public test::ExportScene {
protected:
    void TearDown() override { platform::setFlushHook({}); }

    // Each flush call's kind and, for a copy's, whether its final name
    // existed by then; the call fails where fails says so. The hook runs on
    // the worker while the run waits for it, so seen needs no lock.
    void watchFlushes(std::optional<FlushCall> fails = std::nullopt,
                      std::chrono::milliseconds slow = {})
    {
        platform::setFlushHook([this, fails, slow](FlushCall call, const std::string& path) {
            std::this_thread::sleep_for(slow);
            const Lines log = window.logLines();
            seen.push_back({call, call == FlushCall::CopyData && fs::exists(fsPath(path)),
                            log.empty() ? "" : log.back()});
            return call != fails;
        });
    }
    struct Seen {
        FlushCall call;
        bool named;
        std::string lastLogLine;
    };
    std::vector<Seen> seen;
};

// The flush before the name is slow here: the bar is told meanwhile.
TEST_F(FlushTest, ACopysDataReachesTheDriveBeforeItsName)
{
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "failing" : "flushed");
        watchFlushes(fails ? std::optional(FlushCall::CopyData) : std::nullopt,
                     std::chrono::milliseconds(450));
        const std::string destination = exported(fails ? "b.mp3" : "a.mp3");
        int calls = 0;
        const bool copied = static_cast<bool>(FileCopy(
            song("a.mp3"), destination, [&](auto, auto) { ++calls; },
            platform::KnownDestination::Absent, true));
        EXPECT_EQ(copied, !fails);
        EXPECT_EQ(fs::exists(fsPath(destination)), !fails);
        ASSERT_FALSE(seen.empty());
        EXPECT_FALSE(seen.back().named);
        EXPECT_EQ(temporariesLeft(), 0);
        EXPECT_GE(calls, 2 + 3); // start and end, then while waiting
    }
}

#ifndef _WIN32
// Kernel file systems are flushed whole as the run ends; the copies before
// were not flushed one by one (on Windows they all are, and nothing is left).
// Every case asks to cancel during the copy.
struct EndingCase {
    const char* name;
    bool withPlaylist;
    std::string afterEntry;
    std::optional<FlushCall> fails;
    Lines logEnd;
};

class RunEndingTest : public FlushTest, public testing::WithParamInterface<EndingCase> {};

TEST_P(RunEndingTest, FlushesAllItWroteBeforeItsClosingLine)
{
    const std::string a = song("a.mp3");
    test::writeFile(list(), "#EXTM3U\n" + a + GetParam().afterEntry);
    window.withPlaylistChecked = GetParam().withPlaylist;
    window.onEvents = [&] {
        window.cancel = window.cancel || window.copying();
    };
    watchFlushes(GetParam().fails);

    runExport(window);

    const Lines lines = window.logLines();
    Lines logEnd = GetParam().logEnd;
    if (GetParam().fails) {
        logEnd.push_back(targetText() + ": the drive was removed or failed");
    }
    const std::size_t end = logEnd.size();
    ASSERT_GT(lines.size(), end);
    EXPECT_EQ(Lines(lines.end() - static_cast<std::ptrdiff_t>(end), lines.end()), logEnd);
    ASSERT_EQ(seen.size(), 1U);
    EXPECT_EQ(seen[0].call, FlushCall::Drive);
    EXPECT_EQ(seen[0].lastLogLine, "---"); // the last record, the playlist's too
}

INSTANTIATE_TEST_SUITE_P(
    Endings, RunEndingTest,
    testing::Values(
        EndingCase{"LastLine", false, "", {}, {"---", "All files copied!", "canceled!"}},
        EndingCase{
            "LastLineWithPlaylist", true, "", {}, {"ok", "---", "All files copied!", "canceled!"}},
        EndingCase{"BlankLineAfter", false, "\n\n", {}, {"---", "canceled!"}},
        EndingCase{"FlushFails", false, "\n\n", FlushCall::Drive, {"---", "error", "canceled!"}}),
    test::CaseName());
#endif

} // namespace
} // namespace tunecrate
