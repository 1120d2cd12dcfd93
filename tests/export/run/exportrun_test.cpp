#include "CaseName.h"
#include "ExportScene.h"
#include "Leftovers.h"
#include "folder/RecordedFolders.h"
#include "run/ExportRun.h"
#include "run/RoomCheck.h"

#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>

namespace tunecrate {
namespace {

using test::countTemporaries;
using test::PrintTo;
using test::readFile;
using test::writeFile;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

const std::string sep(1, static_cast<char>(fs::path::preferred_separator));

class ExportRunTest : public testing::Test, public test::ExportScene {
protected:
    static Lines entry(const std::string& source, const std::string& destination,
                       const std::string& result, const std::string& copiedTo = "copied to:")
    {
        return {source, copiedTo, destination, result, "---"};
    }
    static Lines join(std::initializer_list<Lines> parts)
    {
        Lines all;
        for (const auto& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    }
};

TEST_F(ExportRunTest, ExtendedM3uCopiesWhatExistsAndLogsTheRest)
{
    const std::string first = song("First Song.mp3", "first");
    const std::string gone = dir.file("gone/Second Song.mp3");
    playlist({"#EXTM3U", "#EXTINF:215,Artist A - First Song", first,
              "#EXTINF:187,Artist B - Second Song", gone});

    runExport(window);

    EXPECT_EQ(window.logLines(), join({{""},
                                       entry(first, exported("First Song.mp3"), "ok"),
                                       entry(gone, exported("Second Song.mp3"), "error"),
                                       {"Done: 1 of 2 files could not be copied.",
                                        gone + ": the song was not found"}}));
    EXPECT_EQ(readFile(dir.path() / "export/First Song.mp3"), "first");
    EXPECT_EQ(window.panels[1], "File: " + gone);
    EXPECT_EQ(window.panels[2], "Filename: Second Song.mp3");
    EXPECT_EQ(window.progress, 0);
    EXPECT_EQ(countTemporaries(dir.path() / "export"), 0);
}

TEST_F(ExportRunTest, EmptyTargetEndsAtOnceWithEmptyLog)
{
    playlist({song("a.mp3")});
    window.pathToText.clear();
    window.logText = "old log";
    window.panels[1] = "File: old";
    window.progress = 40;
    window.cancel = true;

    runExport(window);

    EXPECT_EQ(window.logText, "");
    EXPECT_FALSE(window.cancel);
    EXPECT_EQ(window.panels[1], "File: old");
    EXPECT_EQ(window.progress, 40);
}

struct NoPlaylistCase {
    const char* name;
    std::optional<std::string> content; // nothing: no file at all
    bool emptyPathFrom = false;
    const char* fileName = "list.m3u";
};

class NoPlaylistTest : public ExportRunTest, public testing::WithParamInterface<NoPlaylistCase> {};

TEST_P(NoPlaylistTest, LogReadsNoPlaylistFoundAlone)
{
    window.pathFromText = dir.file(GetParam().fileName);
    if (GetParam().content) {
        writeFile(dir.path() / GetParam().fileName, *GetParam().content);
    }
    if (GetParam().emptyPathFrom) {
        window.pathFromText.clear();
    }
    window.progress = 40;
    runExport(window);
    EXPECT_EQ(window.logText, "No playlist found!");
    EXPECT_EQ(window.progress, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Playlists, NoPlaylistTest,
    testing::Values(
        NoPlaylistCase{"Missing", std::nullopt},
        NoPlaylistCase{"EmptyPathFrom", "#EXTM3U\r\n", true}, NoPlaylistCase{"EmptyFile", ""},
        NoPlaylistCase{"OnlyBlankLines", "\r\n \t\n\r"},
        NoPlaylistCase{"UrlFirstInATextList", "http://host/a.mp3\nC:\\a.mp3\n", false, "list.txt"},
        NoPlaylistCase{"PictureChosenByMistake", "\x89PNG\r\n\x1A\n", false, "cover.png"}),
    test::CaseName());

TEST_F(ExportRunTest, PlaylistThatIsAFolderIsNotFound)
{
    window.pathFromText = dir.file("music");
    runExport(window);
    EXPECT_EQ(window.logText, "No playlist found!");
}

TEST_F(ExportRunTest, PlainListCopiesLineOneAndSkipsNetworkUrlsAndBlankLines)
{
    const std::string a = song("a.mp3");
    const std::string b = song("b.mp3");
    playlist({a, "http://host/c.mp3", "   ", b});

    runExport(window);

    EXPECT_EQ(window.logLines(), join({{""},
                                       entry(a, exported("a.mp3"), "ok"),
                                       entry(b, exported("b.mp3"), "ok"),
                                       {"All files copied!"}}));
}

TEST_F(ExportRunTest, BlankLinesArePassedOverToTheEndOfTheFile)
{
    const std::string a = song("a.mp3");
    const std::string b = song("b.mp3");
    playlist({"", "#EXTM3U", a, "", " \t", b, ""});
    runExport(window);
    EXPECT_EQ(window.logLines(), join({{""},
                                       entry(a, exported("a.mp3"), "ok"),
                                       entry(b, exported("b.mp3"), "ok"),
                                       {"All files copied!"}}));
    // Every line is examined, the blank ones too.
    EXPECT_EQ(window.eventCalls, 7 + 2 * 2);
}

TEST_F(ExportRunTest, LineFeedsAloneEndLines)
{
    const std::string a = song("a.mp3");
    writeFile(dir.path() / "list.m3u", "#EXTM3U\n" + a + "\n");
    runExport(window);
    EXPECT_EQ(window.logLines(),
              join({{""}, entry(a, exported("a.mp3"), "ok"), {"All files copied!"}}));
}

TEST_F(ExportRunTest, Utf8ByteOrderMarkIsSkipped)
{
    const std::string a = song("a.mp3");
    writeFile(dir.path() / "list.m3u", "\xEF\xBB\xBF#EXTM3U\r\n" + a + "\r\n");
    runExport(window);
    EXPECT_EQ(window.logLines(),
              join({{""}, entry(a, exported("a.mp3"), "ok"), {"All files copied!"}}));
}

TEST_F(ExportRunTest, PlsCopiesFileLinesInFileOrder)
{
    const std::string a = song("a.mp3");
    const std::string b = song("b.mp3");
    playlist(
        {"[playlist]", "File2=" + b, "Title2=B", "file1=" + a, "Title1=" + a, "NumberOfEntries=2"});

    runExport(window);

    EXPECT_EQ(window.logLines(), join({{""},
                                       entry(b, exported("b.mp3"), "ok"),
                                       entry(a, exported("a.mp3"), "ok"),
                                       {"All files copied!"}}));
}

TEST_F(ExportRunTest, LetsEventsThroughOncePerExaminedLine)
{
    playlist({"#EXTM3U", "#EXTINF:1,a", "", "#EXTINF:2,b"});
    runExport(window);
    EXPECT_EQ(window.eventCalls, 4);
    EXPECT_EQ(window.logText, "\r\nAll files copied!");
}

TEST_F(ExportRunTest, CancelDuringACopyEndsTheWalkAtTheNextLine)
{
    const std::string a = song("a.mp3");
    playlist({"#EXTM3U", a, "#EXTINF:1,b", song("b.mp3")});
    window.onEvents = [&] {
        if (window.copying()) {
            window.cancel = true;
        }
    };

    runExport(window);

    EXPECT_EQ(window.logLines(), join({{""}, entry(a, exported("a.mp3"), "ok"), {"canceled!"}}));
    EXPECT_FALSE(fs::exists(dir.path() / "export/b.mp3"));
    EXPECT_EQ(window.progress, 0);
}

// A cancel request during the copy of an entry is honoured at the next line
// examined, a blank one too; after the last line the walk ends as usual.
struct CancelCase {
    const char* name;
    std::string afterEntry;
    Lines logEnd;
};

class CancelDuringACopyTest : public ExportRunTest,
                              public testing::WithParamInterface<CancelCase> {};

TEST_P(CancelDuringACopyTest, EndsTheLogAsTheLinesAfterTheEntryDecide)
{
    const std::string a = song("a.mp3");
    writeFile(dir.path() / "list.m3u", "#EXTM3U\n" + a + GetParam().afterEntry);
    window.onEvents = [&] {
        if (window.copying()) {
            window.cancel = true;
        }
    };
    runExport(window);
    EXPECT_EQ(window.logLines(),
              join({{""}, entry(a, exported("a.mp3"), "ok"), GetParam().logEnd}));
}

INSTANTIATE_TEST_SUITE_P(
    Tails, CancelDuringACopyTest,
    testing::Values(CancelCase{"LastLine", "", {"All files copied!", "canceled!"}},
                    CancelCase{"LastLineWithItsBreak", "\r\n", {"All files copied!", "canceled!"}},
                    CancelCase{"BlankLineAfter", "\n\n", {"canceled!"}},
                    CancelCase{"CommentAfter", "\n#EXTINF:1,b", {"canceled!"}}),
    test::CaseName());

TEST_F(ExportRunTest, CancelBeforeSaveIsForgotten)
{
    const std::string a = song("a.mp3");
    playlist({a});
    window.cancel = true;
    runExport(window);
    EXPECT_EQ(window.logLines(),
              join({{""}, entry(a, exported("a.mp3"), "ok"), {"All files copied!"}}));
}

TEST_F(ExportRunTest, LanguageSwitchTakesEffectForEveryLaterText)
{
    const std::string a = song("a.mp3");
    const std::string b = song("b.mp3");
    playlist({a, b});
    std::vector<std::string> panel3AfterSwitch;
    window.onEvents = [&] {
        if (window.copying() && Language().strCopiedTo == "copied to:") {
            ApplyLanguage("Deutsch", window);
            panel3AfterSwitch.push_back(window.panels[3]);
        }
    };

    runExport(window);

    EXPECT_EQ(window.logLines(), join({{""},
                                       entry(a, exported("a.mp3"), "ok"),
                                       entry(b, exported("b.mp3"), "ok", "wird kopiert nach:"),
                                       {"Alle Dateien kopiert!"}}));
    EXPECT_EQ(panel3AfterSwitch, Lines{"Fortschritt: "});
    EXPECT_EQ(window.panels[1], "Datei: " + b);
    EXPECT_EQ(window.panels[3], "Fortschritt: 100%");
}

TEST_F(ExportRunTest, ATargetChosenDuringACopyTakesTheNextEntry)
{
    fs::create_directory(dir.path() / "other");
    const std::string a = song("a.mp3");
    const std::string b = song("b.mp3");
    playlist({a, b});
    window.onEvents = [&] {
        if (window.copying()) {
            window.pathToText = dir.file("other");
        }
    };

    runExport(window);

    // The first copy went to the folder it began in, and arrived there.
    EXPECT_EQ(window.logLines(), join({{""},
                                       entry(a, exported("a.mp3"), "ok"),
                                       entry(b, dir.file("other/b.mp3"), "ok"),
                                       {"All files copied!"}}));
    EXPECT_TRUE(fs::exists(dir.path() / "export/a.mp3"));
    EXPECT_TRUE(fs::exists(dir.path() / "other/b.mp3"));
}

TEST_F(ExportRunTest, SecondRunInsideTheFirstRunsWholeThenTheFirstGoesOn)
{
    const std::string a = song("a.mp3");
    const std::string b = song("b.mp3");
    playlist({"#EXTM3U", a, "#EXTINF:1,b", b});
    bool started = false;
    window.onEvents = [&] {
        // Save pressed again while the first run waits at line 3.
        if (!started && !window.copying() && window.logText.find("---") != std::string::npos) {
            started = true;
            runExport(window);
        }
    };

    runExport(window);

    EXPECT_EQ(window.logLines(), join({{""},
                                       entry(a, exported("a.mp3"), "ok"),
                                       entry(b, exported("b.mp3"), "ok"),
                                       {"All files copied!"},
                                       entry(b, exported("b.mp3"), "ok"),
                                       {"All files copied!"}}));
}

// Save pressed again during a copy, for a playlist with another song of the
// same name: the second run sees the name the first one's record gave, and
// both songs arrive.
TEST_F(ExportRunTest, SecondRunDuringACopyNeverTakesTheNameOfTheFirstRunsSong)
{
    fs::create_directories(music() / "one");
    fs::create_directories(music() / "two");
    const std::string first = song("one/a.mp3", "the first run's song");
    const std::string second = song("two/a.mp3", "the second run's");
    playlist({first});
    const fs::path secondList = dir.path() / "second.m3u";
    writeFile(secondList, second + "\n");
    bool started = false;
    window.onEvents = [&] {
        if (!started && window.copying()) {
            started = true;
            window.pathFromText = secondList.string();
            runExport(window);
        }
    };

    runExport(window);

    EXPECT_EQ(window.logLines(), join({{""},
                                       entry(second, exported("a (2).mp3"), "ok"),
                                       {"All files copied!", "ok", "---", "All files copied!"}}));
    EXPECT_EQ(readFile(target() / "a.mp3"), "the first run's song");
    EXPECT_EQ(readFile(target() / "a (2).mp3"), "the second run's");
}

// Another program puts a file at the destination while the copy runs: where
// nothing was, or over the file the run saw there and would have replaced.
// Neither is replaced; the record the log has already begun ends "error".
struct AppearingCase {
    const char* name;
    bool somethingWasThere;
};

class FileAppearingTest : public ExportRunTest,
                          public testing::WithParamInterface<AppearingCase> {};

TEST_P(FileAppearingTest, DuringACopyIsNeverReplaced)
{
    if (GetParam().somethingWasThere) {
        writeFile(target() / "a.mp3", "an earlier export's");
    }
    playlist({song("a.mp3"), song("b.mp3")});
    bool appeared = false;
    window.onEvents = [&] {
        if (!appeared && window.copying()) {
            appeared = true;
            fs::remove(target() / "a.mp3");
            writeFile(target() / "a.mp3", "another program's file");
            fs::permissions(target() / "a.mp3", fs::perms::owner_read);
        }
    };

    runExport(window);

    EXPECT_EQ(test::resultsOf(test::logRecords(window.logLines())), (Lines{"error", "ok"}));
    EXPECT_EQ(readFile(target() / "a.mp3"), "another program's file");
    EXPECT_EQ(countTemporaries(target()), 0);
}

INSTANTIATE_TEST_SUITE_P(Destinations, FileAppearingTest,
                         testing::Values(AppearingCase{"WhereNothingWas", false},
                                         AppearingCase{"OverTheFileSeenThere", true}),
                         test::CaseName());

TEST_F(ExportRunTest, ErrorInTheWalkKeepsTheRecordsWritten)
{
    const std::string a = song("a.mp3");
    playlist({a, "#EXTINF:1,b", song("b.mp3")});
    window.onEvents = [&] {
        if (window.eventCalls == 4) { // line 2, after a's copy reported start and end
            window.cancel = true;
            throw std::runtime_error("lost the playlist");
        }
    };

    runExport(window);

    EXPECT_EQ(window.logLines(),
              join({{""}, entry(a, exported("a.mp3"), "ok"), {"No playlist found!", "canceled!"}}));
    EXPECT_EQ(window.progress, 0);
}

TEST_F(ExportRunTest, TheRoomIsToldAsFileManagersTellIt)
{
    const Room room{.needed = 3'240'000'000, .free = 2'100'000'000, .entries = 2};
    EXPECT_EQ(roomSentence(room), "Not enough room on the drive: 3.2 GB needed, 2.1 GB free.");
    ApplyLanguage("Deutsch", window);
    EXPECT_EQ(roomSentence({.needed = 850'000'000, .free = 12'360'000, .entries = 1}),
              "Nicht genug Platz auf dem Laufwerk: 850,0 MB ben\u00f6tigt, 12,4 MB frei.");
    ApplyLanguage("English", window);
}

// What the count before the first copy finds the run will write, and the
// closing line where not everything arrived, in both languages.
TEST_F(ExportRunTest, TheRoomCountsOnlyWhatTheRunWillWrite)
{
    const std::string a = song("a.mp3", std::string(8192, 'a'));
    const std::string b = song("b.mp3", std::string(4096, 'b'));
    const std::string list = playlist({a, a, b});
    const auto needed = [&](bool numbered, const FolderRecord* record,
                            std::optional<std::uint64_t> largest) {
        return countRoom(list, PlaylistMode::M3uTxt, dir.path(), targetText(), false, record,
                         numbered, largest, {}, [] { return true; })
            ->needed;
    };
    EXPECT_EQ(needed(false, nullptr, std::nullopt), 8192U + 4096U) << "a song named twice";
    EXPECT_EQ(needed(true, nullptr, std::nullopt), 2 * 8192U + 4096U) << "numbered twice";
    EXPECT_EQ(needed(false, nullptr, 4096), 4096U) << "a song the drive cannot hold";

    window.withPlaylistChecked = true;
    runExport(window);
    const std::optional<FolderRecord> record = readRecord(targetText(), false);
    ASSERT_TRUE(record);
    EXPECT_EQ(needed(false, &*record, std::nullopt), 0U) << "copies the record has";
    fs::remove(target() / "a.mp3");
    EXPECT_EQ(needed(false, &*record, std::nullopt), 8192U) << "a copy the user deleted";

    fs::remove(music() / "b.mp3");
    for (const auto& [language, line] :
         {std::pair{"English", "Done: 1 of 4 files could not be copied."},
          std::pair{"Deutsch", "Fertig: 1 von 4 Dateien konnten nicht kopiert werden."}}) {
        ApplyLanguage(language, window);
        runExport(window);
        EXPECT_EQ(test::wrongLogEnd(window.logLines(), line), "");
    }
    ApplyLanguage("English", window);
}

TEST_F(ExportRunTest, SameNameFromAnotherSourceIsNumberedNotOverwritten)
{
    fs::create_directory(dir.path() / "music/other");
    const std::string first = song("a.mp3", "first");
    const std::string second = song("other/a.mp3", "second");
    writeFile(dir.path() / "export/b.mp3", "from an earlier run");
    const std::string b = song("b.mp3", "new b");
    playlist({first, second, first, b});

    runExport(window);

    EXPECT_EQ(window.logLines(), join({{""},
                                       entry(first, exported("a.mp3"), "ok"),
                                       entry(second, exported("a (2).mp3"), "ok"),
                                       entry(first, exported("a.mp3"), "ok"),
                                       entry(b, exported("b.mp3"), "ok"),
                                       {"All files copied!"}}));
    EXPECT_EQ(readFile(dir.path() / "export/a.mp3"), "first");
    EXPECT_EQ(readFile(dir.path() / "export/a (2).mp3"), "second");
    EXPECT_EQ(readFile(dir.path() / "export/b.mp3"), "new b");
}

TEST_F(ExportRunTest, FailedCopyIsAnErrorEvenWhenAnOlderFileIsThere)
{
    writeFile(dir.path() / "export/gone.mp3", "older");
    const std::string gone = dir.file("music/gone.mp3");
    playlist({gone});
    runExport(window);
    EXPECT_EQ(window.logLines(), join({{""},
                                       entry(gone, exported("gone.mp3"), "error"),
                                       {"Done: 1 of 1 files could not be copied.",
                                        gone + ": the song was not found"}}));
    EXPECT_EQ(readFile(dir.path() / "export/gone.mp3"), "older");
}

TEST_F(ExportRunTest, TargetThatIsTheSourceFolderLeavesSourcesWhole)
{
    const std::string a = song("a.mp3", "precious");
    playlist({a});
    window.pathToText = dir.file("music");
    runExport(window);
    EXPECT_EQ(window.logLines(),
              join({{""}, entry(a, dir.file("music/a.mp3"), "ok"), {"All files copied!"}}));
    EXPECT_EQ(readFile(dir.path() / "music/a.mp3"), "precious");
}

TEST_F(ExportRunTest, TargetEndingInSeparatorDoublesIt)
{
    const std::string a = song("a.mp3");
    playlist({a});
    window.pathToText = dir.file("export") + sep;
    runExport(window);
    EXPECT_EQ(window.logLines()[3], dir.file("export") + sep + sep + "a.mp3");
    EXPECT_EQ(window.logLines()[4], "ok");
}

TEST_F(ExportRunTest, EmptySourceShowsAFullBarAndIsLogged)
{
    const std::string empty = song("empty.mp3", "");
    playlist({empty});
    runExport(window);
    EXPECT_EQ(window.logLines(),
              join({{""}, entry(empty, exported("empty.mp3"), "ok"), {"All files copied!"}}));
    EXPECT_NE(std::find(window.progressValues.begin(), window.progressValues.end(), 100.0f),
              window.progressValues.end());
    EXPECT_EQ(window.panels[3], "Progress: 100%");
}

TEST_F(ExportRunTest, OverlongEntryIsAnErrorAndNothingIsCopied)
{
    const std::string a = song("a.mp3");
    const std::string overlong = a + std::string(300 * 1024, 'x');
    playlist({overlong, a});
    runExport(window);
    const Lines log = window.logLines();
    ASSERT_EQ(log.size(), 13u);
    EXPECT_EQ(log[4], "error");
    EXPECT_EQ(log[9], "ok");
    EXPECT_EQ(log[12], log[1] + ": the playlist's line was cut short");
}

// A run inside a copy sweeps the folder that copy writes to; the copy's
// temporary, under its name while it replaces a file, must survive that.
TEST_F(ExportRunTest, RunInsideACopyLeavesThatCopysTemporary)
{
    writeFile(target() / "a.mp3", "old");
    // Several chunks, so that the copy lets events through.
    playlist({song("a.mp3", std::string(3 << 20, 'a'))});
    window.onEvents = [&, nested = false]() mutable {
        if (window.copying() && !std::exchange(nested, true)) {
            runExport(window);
        }
    };

    runExport(window);

    EXPECT_EQ(window.logText.find("error"), std::string::npos) << window.logText;
}

// Even a run whose copies all fail clears the folder of what killed runs left.
TEST_F(ExportRunTest, RunRemovesOnlyTemporariesNobodyHolds)
{
    playlist({dir.file("music/missing.mp3")});
    test::expectOnlyAbandonedTemporaryRemoved(target(), [this] { runExport(window); });
}

// A folder that is not absolute would put the copies under the program's
// working folder, where nobody looks for them.
struct RelativeTargetCase {
    const char* name;
    std::string target;
    bool fromTheStart;
    Lines results;
};

class RelativeTargetTest : public ExportRunTest,
                           public testing::WithParamInterface<RelativeTargetCase> {};

TEST_P(RelativeTargetTest, GivesErrorForEveryEntryAndWritesNothing)
{
    const fs::path work = dir.path() / "work";
    ASSERT_TRUE(fs::create_directory(work));
    const fs::path before = fs::current_path();
    fs::current_path(work);
    playlist({song("a.mp3"), song("b.mp3")});
    window.withPlaylistChecked = true;
    if (GetParam().fromTheStart) {
        window.pathToText = GetParam().target;
    } else {
        window.onEvents = [&] {
            if (window.copying()) {
                window.pathToText = GetParam().target;
            }
        };
    }
    runExport(window);
    fs::current_path(before);

    EXPECT_EQ(test::resultsOf(test::logRecords(window.logLines())), GetParam().results);
    EXPECT_EQ(test::wrongLogEnd(window.logLines(), test::closingLine(GetParam().results)), "");
    EXPECT_TRUE(fs::is_empty(work));
    EXPECT_FALSE(fs::exists(fs::path(sep + "b.mp3")));
}

INSTANTIATE_TEST_SUITE_P(
    Targets, RelativeTargetTest,
    testing::Values(RelativeTargetCase{"Relative", "out", true, {"error", "error", "error"}},
                    RelativeTargetCase{"Dot", ".", true, {"error", "error", "error"}},
                    RelativeTargetCase{
                        "MadeRelativeDuringACopy", "out", false, {"ok", "error", "error"}},
                    RelativeTargetCase{"EmptiedDuringACopy", "", false, {"ok", "error", "error"}}),
    test::CaseName());

// An export made again over an earlier one, box checked: what the earlier one
// wrote is changed first, and its time set apart from the source's, which a
// copy would set right. A copy whose content changed, or a link in its place,
// is the user's now: the folder's record keeps it, and the song takes the
// next number; one whose time alone changed is still the copy, copied again.
// Another a.mp3 keeps its number either way.
struct ReexportCase {
    const char* name;
    std::string (*change)(std::string bytes);
    int apart = 1; // seconds
    bool link = false;
    bool copied = true;
    bool usersNow = false;
};

class ReexportTest : public ExportRunTest, public testing::WithParamInterface<ReexportCase> {};

TEST_P(ReexportTest, CopiesOnlyWhatChanged)
{
    window.withPlaylistChecked = true;
    fs::create_directory(music() / "other");
    const std::string bytes = test::patterned("a", 200 * 1024);
    const std::string a = song("a.mp3", bytes);
    const auto time = std::chrono::floor<std::chrono::seconds>(fs::last_write_time(a));
    fs::last_write_time(a, time);
    playlist({a, song("other/a.mp3")});
    runExport(window);
    const fs::path held = target() / "a.mp3";
    const std::string changed = GetParam().change(bytes);
    const fs::path changedFile = GetParam().link ? dir.path() / "equal.mp3" : held;
    writeFile(changedFile, changed);
    fs::last_write_time(changedFile, time + std::chrono::seconds(GetParam().apart));
    std::error_code error;
    if (GetParam().link) {
        fs::remove(held);
        fs::create_symlink(fs::path("..") / "equal.mp3", held, error);
    }
    const auto listTime = fs::last_write_time(target() / "list.m3u8") - std::chrono::hours(1);
    fs::last_write_time(target() / "list.m3u8", listTime);

    runExport(window);

    const Lines log = window.logLines();
    EXPECT_EQ((Lines{log[4], log[8], log[14]}), (Lines{"ok", exported("a (2).mp3"), "ok"}));
    EXPECT_EQ(window.panels[3], "Progress: 100%");
    EXPECT_EQ(readFile(held), GetParam().copied ? bytes : changed);
    EXPECT_EQ(fs::last_write_time(held) == time, GetParam().copied);
    EXPECT_EQ(fs::last_write_time(target() / "list.m3u8") == listTime, !GetParam().usersNow);
    if (GetParam().usersNow) {
        EXPECT_EQ(log[3], exported("a (3).mp3"));
        EXPECT_EQ(readFile(target() / "a (3).mp3"), bytes);
    }
}

constexpr auto same = [](std::string b) {
    return b;
};

INSTANTIATE_TEST_SUITE_P(
    Changes, ReexportTest,
    testing::Values(ReexportCase("Unchanged", same, 1, false, false),
                    ReexportCase(
                        "OtherSize", [](std::string b) { return b + "x"; }, 1, false, false, true),
                    ReexportCase("OtherTime", same, 3),
                    ReexportCase(
                        "OtherFirstByte", [](std::string b) { return "?" + b.substr(1); }, 1, false,
                        false, true),
                    ReexportCase(
                        "OtherLastByte",
                        [](std::string b) { return b.substr(0, b.size() - 1) + "?"; }, 1, false,
                        false, true),
                    ReexportCase(
                        "UsersFile",
                        [](std::string b) { return test::patterned("mine", b.size()); }, 1, false,
                        false, true),
                    ReexportCase("LinkToAnEqualFile", same, 1, true)),
    test::CaseName());

} // namespace
} // namespace tunecrate
