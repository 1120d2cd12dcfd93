// The export onto a USB stick or a memory card: a FAT32 or exFAT file system
// mounted at the folder that TUNECRATE_TARGET_DIR names (scripts/test removable
// mounts an image of each). Every test exports into a fresh folder there and
// checks the log against what the stick holds afterwards; the sources stay in
// the system's temporary folder.

#include "CaseName.h"
#include "ExportScene.h"
#include "Leftovers.h"
#include "drive/Drive.h"
#include "drive/Flush.h"
#include "files/Paths.h"
#include "folder/RecordedFolders.h"
#include "run/ExportRun.h"

#include <array>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;
using test::FolderState;
using test::folderState;
using test::logRecords;
using test::patterned;
using test::PrintTo;
using test::resultsOf;
using Results = std::vector<std::string>;
using Lines = std::vector<std::string>;

constexpr std::size_t mib = 1024 * 1024;

class RemovableTest : public testing::Test, public test::ExportScene {
protected:
    void SetUp() override
    {
        const char* root = std::getenv("TUNECRATE_TARGET_DIR");
        if (root == nullptr || *root == '\0') {
            GTEST_SKIP() << "TUNECRATE_TARGET_DIR names no FAT or exFAT folder to export onto";
        }
        stick_.emplace(fs::path(root));
        fs::create_directory(stick());
        window.pathToText = stick_->file("export");
    }

    // The export's target folder on the stick.
    [[nodiscard]] fs::path stick() const { return stick_->path() / "export"; }
    [[nodiscard]] std::string onStick(const std::string& name) const
    {
        return stick_->file("export/" + name);
    }
    // Room on the stick beside the target folder.
    [[nodiscard]] fs::path besideTarget(const std::string& name) const
    {
        return stick_->path() / name;
    }

    // A source in its own folder (so that names differing only in case can
    // live side by side), remembered with its bytes.
    std::string source(const std::string& name, std::string bytes)
    {
        const std::string folder = "from" + std::to_string(sources_.size());
        fs::create_directory(music() / folder);
        const std::string path = song(folder + "/" + name, bytes);
        sources_[path] = std::move(bytes);
        return path;
    }

    // Whether the stick takes a file of this name at all: FAT forbids some
    // characters, and a driver may refuse names that are not ASCII.
    [[nodiscard]] bool stickTakesName(const std::string& name) const
    {
        const std::string probe = stick_->file(name);
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            return false;
        }
        ::close(fd);
        ::unlink(probe.c_str());
        return true;
    }

    // The target as the log describes it: as it was, except that every "ok"
    // destination holds its source's bytes; and no temporary left anywhere.
    void expectLogMatchesStick(const FolderState& before) const
    {
        const auto records = logRecords(window.logLines());
        EXPECT_EQ(folderState(stick()), test::claimedState(before, stick(), records, sources_))
            << window.logText;
        EXPECT_EQ(test::countTemporaries(stick()), 0);
        EXPECT_EQ(test::countTemporaries(stick_->path()), 0);
    }

    // Where the playlist written beside the copies of list goes.
    [[nodiscard]] std::string besideList(const std::string& list) const
    {
        return onStick(list + ".m3u8");
    }

    // The log's last count lines.
    [[nodiscard]] Lines endOfLog(std::size_t count) const
    {
        const Lines lines = window.logLines();
        return {lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())),
                lines.end()};
    }

    [[nodiscard]] std::vector<std::string> destinations() const
    {
        std::vector<std::string> paths;
        for (const auto& record : logRecords(window.logLines())) {
            paths.push_back(record.destination);
        }
        return paths;
    }

    std::map<std::string, std::string> sources_; // path -> bytes

private:
    std::optional<test::TempDir> stick_;
};

void setModificationTime(const std::string& path, time_t seconds)
{
    const std::array<timespec, 2> times{timespec{seconds, 0}, timespec{seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times.data(), 0), 0) << path;
}

time_t modificationTime(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mtim.tv_sec : 0;
}

TEST_F(RemovableTest, TheStickFollowsWindowsRules)
{
    EXPECT_TRUE(followsWindowsRules(stick().string()));
}

// A stick pulled at any moment holds, under final names, only whole copies:
// each copy's data is flushed before it takes its name; then the folder and
// the drive, before the run says it is done. A copy whose flush fails is an
// error, and its name stays free.
TEST_F(RemovableTest, EachCopyReachesTheStickBeforeItsNameAndAllBeforeTheEnd)
{
    std::vector<std::string> calls; // by the worker, while the run waits for it
    platform::setFlushHook([&](platform::FlushCall call, const std::string& path) {
        constexpr std::array names{"data of ", "folder", "drive"};
        const bool named = call == platform::FlushCall::CopyData && fs::exists(path);
        calls.push_back(
            names.at(static_cast<std::size_t>(call)) +
            (call == platform::FlushCall::CopyData ? fs::path(path).filename().string() : "") +
            (named ? " named" : "") + " after " + window.logLines().back());
        return path != onStick("b.mp3");
    });
    const std::string b = source("b.mp3", "b");
    playlist({source("a.mp3", patterned("a", 3 * mib)), b});

    runExport(window);
    platform::setFlushHook({});

    EXPECT_EQ(resultsOf(logRecords(window.logLines())), (Results{"ok", "error"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"data of a.mp3 after " + onStick("a.mp3"),
                                               "data of b.mp3 after " + onStick("b.mp3"),
                                               "folder after ---", "drive after ---"}));
    EXPECT_EQ(endOfLog(2), (Lines{"Done: 1 of 2 files could not be copied.",
                                  b + ": the drive was removed or failed"}));
    expectLogMatchesStick({});
}

// Where scripts/test names the loop device under the stick: nothing the run
// wrote is left in memory for the drive when the run has ended.
TEST_F(RemovableTest, NothingIsLeftToWriteWhenTheRunHasEnded)
{
    const char* device = std::getenv("TUNECRATE_TARGET_LOOP");
    if (device == nullptr || *device == '\0') {
        GTEST_SKIP() << "TUNECRATE_TARGET_LOOP names no loop device under the target";
    }
    const auto sectorsWritten = [&] { // the seventh field
        std::ifstream stat("/sys/block/" + fs::path(device).filename().string() + "/stat");
        return std::vector<std::uint64_t>(std::istream_iterator<std::uint64_t>(stat), {}).at(6);
    };
    playlist({source("a.mp3", patterned("a", 4 * mib)), source("b.mp3", patterned("b", 4 * mib)),
              source("c.mp3", patterned("c", 4 * mib))});
    ::sync();

    runExport(window);
    const std::uint64_t ended = sectorsWritten();
    ::sync();

    EXPECT_EQ(resultsOf(logRecords(window.logLines())), Results(3, "ok"));
    EXPECT_LE((sectorsWritten() - ended) * 512, mib);
}

// Two playlists exported into one folder, in turns, with one song changed in
// between: the folder's record keeps each one's song.mp3 its own.
TEST_F(RemovableTest, TwoPlaylistsSharingTheStickEachKeepTheirOwnSongs)
{
    window.withPlaylistChecked = true;
    const std::string one = source("song.mp3", "the first list's song");
    const std::string two = source("song.mp3", "the second list's");
    test::writeFile(music() / "one.m3u", one + "\n");
    test::writeFile(music() / "two.m3u", two + "\n");
    const auto exportList = [&](const char* list) {
        window.pathFromText = (music() / list).string();
        runExport(window);
        return destinations();
    };

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_EQ(exportList("one.m3u"),
                  (std::vector<std::string>{onStick("song.mp3"), besideList("one")}));
        EXPECT_EQ(exportList("two.m3u"),
                  (std::vector<std::string>{onStick("song (2).mp3"), besideList("two")}));
        sources_[one] = "the first list's song, mastered again";
        test::writeFile(one, sources_[one]);
    }
    EXPECT_EQ(test::bytesOf(onStick("song.mp3")), sources_[one]);
    EXPECT_EQ(test::bytesOf(onStick("song (2).mp3")), sources_[two]);
    EXPECT_NE(test::bytesOf(onStick("one.m3u8")).find("\nsong.mp3\n"), std::string::npos);
    EXPECT_NE(test::bytesOf(onStick("two.m3u8")).find("\nsong (2).mp3\n"), std::string::npos);
}

// Save pressed again during a copy, for another playlist into the same
// folder: the nested run shares the first one's lock, and the record ends up
// with the copies of both.
TEST_F(RemovableTest, ANestedRunsCopiesAreRecordedBesideTheFirstRuns)
{
    window.withPlaylistChecked = true;
    const std::string first = source("a.mp3", patterned("a", 3 * mib));
    const std::string second = source("b.mp3", "b");
    test::writeFile(music() / "two.m3u", second + "\n");
    const std::string firstList = playlist({first});
    bool nested = false;
    window.onEvents = [&] {
        if (!nested && window.copying()) {
            nested = true;
            window.pathFromText = (music() / "two.m3u").string();
            runExport(window);
            window.pathFromText = firstList;
        }
    };

    runExport(window);

    const std::optional<FolderRecord> record = readRecord(stick().string(), true);
    ASSERT_TRUE(record);
    ASSERT_NE(record->find("a.mp3"), nullptr);
    ASSERT_NE(record->find("b.mp3"), nullptr);
    EXPECT_EQ(record->find("b.mp3")->source, second);
    EXPECT_EQ(window.logLines().back(), "All files copied!");
}

// A record that is damaged, or copied in from another folder, replaces nothing
// on its word: the run goes by what the drive holds.
TEST_F(RemovableTest, ARecordTheStickDoesNotConfirmDecidesNothing)
{
    const std::string song = source("song.mp3", "the song");
    const std::string mine = source("song.mp3", "the user's own, longer");
    playlist({song});
    window.withPlaylistChecked = true;
    runExport(window);
    const std::string record = test::bytesOf(onStick(std::string(recordFileName)));

    struct Case {
        const char* name;
        std::string record;
        const char* arrives;
    };
    for (const Case& c : {Case{"damaged", record.substr(0, 40), "song.mp3"},
                          Case{"from another folder", record, "song (2).mp3"}}) {
        SCOPED_TRACE(c.name);
        fs::remove_all(stick());
        fs::create_directory(stick());
        test::writeFile(stick() / "song.mp3", sources_[mine]);
        test::writeFile(stick() / std::string(recordFileName), c.record);
        runExport(window);
        EXPECT_EQ(destinations().front(), onStick(c.arrives));
        EXPECT_TRUE(readRecord(stick().string(), true));
    }
}

// Three songs for a stick with room for two: asked before the first copy,
// "Cancel" copies nothing and "Copy what fits" copies as far as the room
// goes; where nobody can be asked, nothing is copied.
TEST_F(RemovableTest, NearlyFullStickIsAskedAboutFirst)
{
    std::vector<std::string> songs;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        songs.push_back(source(name, patterned(name, 24 * mib)));
    }
    playlist(songs);
    // Nobody to ask: nothing is copied, and the log says so, with no cancel.
    window.copyWhatFitsAnswer = std::nullopt;
    const RunSummary unasked = runExport(window);
    EXPECT_FALSE(unasked.cancelled);
    EXPECT_EQ(window.logLines().back(), "Nothing was copied.");
    for (const bool copyWhatFits : {false, true}) {
        window.copyWhatFitsAnswer = copyWhatFits;
        runExport(window);
        EXPECT_EQ(window.logLines().back() == "canceled!", !copyWhatFits);
    }
    ASSERT_EQ(window.roomQuestions.size(), 3U);
    EXPECT_EQ(window.roomQuestions[0].rfind("Not enough room on the drive: 75.5 MB needed, ", 0),
              0U)
        << window.roomQuestions[0];
    EXPECT_EQ(resultsOf(logRecords(window.logLines())), (Results{"ok", "ok", "error"}));
    expectLogMatchesStick({});

    // Their copies deleted, and a song named twice, which is written once:
    // the two fit again without a question.
    fs::remove(stick() / "a.mp3");
    fs::remove(stick() / "b.mp3");
    playlist({songs[0], songs[0], songs[1]});
    runExport(window);
    EXPECT_EQ(resultsOf(logRecords(window.logLines())), (Results{"ok", "ok", "ok"}));
    EXPECT_EQ(window.roomQuestions.size(), 3U);
}

TEST_F(RemovableTest, OrdinaryFilesAreCopiedWholeWithTheirTimes)
{
    const std::vector<std::pair<std::string, std::size_t>> files{
        {"a.mp3", 64 * 1024},
        {"b.mp3", 3 * mib + 17},
        {"empty.mp3", 0},
        {"Track 01 - Intro (Live).mp3", 1000},
        {std::string(251, 'n') + ".mp3", 4096}, // 255 bytes, the longest name there is
    };
    std::vector<std::string> lines{"#EXTM3U"};
    std::vector<std::string> expectedDestinations;
    time_t time = 981173106; // 2001-02-03 04:05:06 UTC
    for (const auto& [name, size] : files) {
        lines.push_back(source(name, patterned(name, size)));
        setModificationTime(lines.back(), time += 60);
        ::chmod(lines.back().c_str(), 0640);
        expectedDestinations.push_back(onStick(name));
    }
    playlist(lines);

    runExport(window);

    EXPECT_EQ(resultsOf(logRecords(window.logLines())), Results(files.size(), "ok"))
        << window.logText;
    EXPECT_EQ(destinations(), expectedDestinations);
    expectLogMatchesStick({});
    // FAT keeps modification times to two seconds.
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_NEAR(static_cast<double>(modificationTime(expectedDestinations[i])),
                    static_cast<double>(modificationTime(lines[i + 1])), 2.0)
            << files[i].first;
    }
}

TEST_F(RemovableTest, AnEarlierExportIsReplacedNotNumbered)
{
    const std::string oldA = patterned("old a", 5000);
    const std::string oldB = patterned("old b", 7000);
    const std::string newA = patterned("new a", 5000);
    const std::string newB = patterned("new b", 7000);
    test::writeFile(stick() / "a.mp3", oldA);
    test::writeFile(stick() / "B.MP3", oldB); // the same name to FAT
    playlist({source("a.mp3", newA), source("b.mp3", newB)});

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        runExport(window);

        EXPECT_EQ(resultsOf(logRecords(window.logLines())), (Results{"ok", "ok"}))
            << window.logText;
        EXPECT_EQ(destinations(), (std::vector<std::string>{onStick("a.mp3"), onStick("b.mp3")}));
        // The stick may keep the older spelling of b; the log's name reaches it.
        const auto state = folderState(stick());
        ASSERT_TRUE(state);
        EXPECT_EQ(state->size(), 2u);
        EXPECT_EQ(test::bytesOf(onStick("a.mp3")), newA);
        EXPECT_EQ(test::bytesOf(onStick("b.mp3")), newB);
        EXPECT_EQ(test::countTemporaries(stick()), 0);
    }
}

// A playlist written by an earlier export is read from the stick and written
// again beside the copies there: its name reaches the one being read, which
// stays as it is.
TEST_F(RemovableTest, ThePlaylistBeingReadIsNeverReplaced)
{
    window.withPlaylistChecked = true;
    const std::string list =
        "#EXTM3U\n# Written by Tunecrate 0.9.0\n" + source("a.mp3", "a") + "\n";
    test::writeFile(stick() / "PARTY.M3U8", list);
    window.pathFromText = onStick("PARTY.M3U8");

    runExport(window);

    EXPECT_EQ(resultsOf(logRecords(window.logLines())), (Results{"ok", "ok"})) << window.logText;
    EXPECT_EQ(destinations().back(), onStick("PARTY (2).m3u8"));
    EXPECT_EQ(test::bytesOf(onStick("PARTY.M3U8")), list);
    EXPECT_TRUE(test::bytesOf(onStick("PARTY (2).m3u8")).find("a.mp3") != std::string::npos);
}

// The drivers refuse links and answer the rename that never replaces with
// EINVAL: the copy reserves its name instead, and still never takes one that
// another program created meanwhile.
TEST_F(RemovableTest, AFileThatAppearsDuringACopyIsNeverReplaced)
{
    playlist({source("a.mp3", patterned("a", 3 * mib)), source("b.mp3", "b")});
    bool appeared = false;
    window.onEvents = [&] {
        if (!appeared && window.copying()) {
            appeared = true;
            test::writeFile(stick() / "A.MP3", "another program's file");
        }
    };

    runExport(window);

    EXPECT_EQ(resultsOf(logRecords(window.logLines())), (Results{"error", "ok"})) << window.logText;
    EXPECT_EQ(test::bytesOf(onStick("a.mp3")), "another program's file");
    EXPECT_EQ(test::countTemporaries(stick()), 0);
}

TEST_F(RemovableTest, AnUnchangedPlaylistExportedAgainRewritesNothing)
{
    window.withPlaylistChecked = true;
    const time_t time = 981173106;
    const std::vector<std::string> names{"a.mp3", "b.mp3", "list.m3u8"};
    const std::string a = source(names[0], patterned("a", 200 * 1024));
    const std::string b = source(names[1], "b");
    setModificationTime(a, time);
    setModificationTime(b, time);
    playlist({a, b});
    runExport(window);
    // Two seconds off the sources' (FAT keeps even seconds), or an hour after
    // a change to or from summer time (FAT keeps local time): a copy would
    // set them back.
    for (const time_t apart : {2, 3600, -3600}) {
        for (const auto& name : names) {
            setModificationTime(onStick(name), time + apart);
        }
        runExport(window);
        EXPECT_EQ(resultsOf(logRecords(window.logLines())), Results(3, "ok")) << window.logText;
        for (const auto& name : names) {
            EXPECT_EQ(modificationTime(onStick(name)), time + apart) << name;
        }
    }
}

struct CaseVariantsCase {
    const char* name;
    std::vector<std::string> names;
    std::vector<std::string> stored;
};

class CaseVariantsTest : public RemovableTest,
                         public testing::WithParamInterface<CaseVariantsCase> {};

// Names the stick takes for one are different files to the playlist: each
// keeps its own copy, under a number where its name is taken, in this run and
// in the next.
TEST_P(CaseVariantsTest, EachSourceKeepsItsOwnFile)
{
    const CaseVariantsCase& row = GetParam();
    for (const auto& name : row.names) {
        if (!stickTakesName(name)) {
            GTEST_SKIP() << "this stick takes no file named " << name;
        }
    }
    std::vector<std::string> lines;
    std::vector<std::string> expectedDestinations;
    FolderState expected;
    for (std::size_t i = 0; i < row.names.size(); ++i) {
        // One size for all: the size alone must not tell them apart.
        const std::string bytes = patterned("source " + std::to_string(i), 20000);
        lines.push_back(source(row.names[i], bytes));
        expectedDestinations.push_back(onStick(row.stored[i]));
        expected[row.stored[i]] = bytes;
    }
    playlist(lines);

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        runExport(window);

        EXPECT_EQ(resultsOf(logRecords(window.logLines())), Results(row.names.size(), "ok"))
            << window.logText;
        EXPECT_EQ(destinations(), expectedDestinations);
        EXPECT_EQ(folderState(stick()), expected);
        EXPECT_EQ(test::countTemporaries(stick()), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Removable, CaseVariantsTest,
    testing::Values(CaseVariantsCase{.name = "Ascii",
                                     .names = {"song.mp3", "Song.mp3", "SONG.MP3"},
                                     .stored = {"song.mp3", "Song (2).mp3", "SONG (3).MP3"}},
                    CaseVariantsCase{.name = "NotAscii",
                                     .names = {"\xC3\xBC"
                                               "ber.mp3",
                                               "\xC3\x9C"
                                               "ber.mp3"},
                                     .stored = {"\xC3\xBC"
                                                "ber.mp3",
                                                "\xC3\x9C"
                                                "ber (2).mp3"}},
                    // Same name, different sources, among the case variants of a numbered name.
                    CaseVariantsCase{.name = "NumberedNamesToo",
                                     .names = {"a.mp3", "a (2).mp3", "A.mp3", "a.mp3"},
                                     .stored = {"a.mp3", "a (2).mp3", "A (3).mp3", "a (4).mp3"}}),
    test::CaseName());

// Names the stick refuses are made ones it takes before the record names
// them; two that become one are numbered, a name with no room for its number
// is shortened, and the playlist written beside names every copy as written.
TEST_F(RemovableTest, NamesTheStickRefusesArriveUnderNamesItTakes)
{
    window.withPlaylistChecked = true;
    const std::string longest = std::string(251, 'n') + ".mp3";
    const std::vector<std::pair<std::string, std::string>> names{
        {"What Is Love?.mp3", "What Is Love_.mp3"},
        {"AC:DC - Live.mp3", "AC_DC - Live.mp3"},
        {"Say \"Hi\".mp3", "Say _Hi_.mp3"},
        {"Pipe|Dream.mp3", "Pipe_Dream.mp3"},
        {"<Intro>.mp3", "_Intro_.mp3"},
        {"Star*.mp3", "Star_.mp3"},
        {"Trailing dot.mp3.", "Trailing dot.mp3"},
        {"a?.mp3", "a_.mp3"},
        {"a*.mp3", "a_ (2).mp3"},
        {longest, longest},
        {longest, std::string(247, 'n') + " (2).mp3"}};
    std::vector<std::string> lines;
    std::string listed;
    for (const auto& [name, written] : names) {
        lines.push_back(source(name, patterned(name + std::to_string(lines.size()), 3000)));
        listed += written + "\n";
    }
    playlist(lines);

    runExport(window);

    EXPECT_EQ(resultsOf(logRecords(window.logLines())), Results(names.size() + 1, "ok"))
        << window.logText;
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(destinations()[i], onStick(names[i].second));
        EXPECT_EQ(test::bytesOf(onStick(names[i].second)), sources_[lines[i]]) << names[i].second;
    }
    EXPECT_EQ(test::bytesOf(onStick("list.m3u8")),
              "#EXTM3U\n# Written by Tunecrate 0.9.0\n" + listed);
    EXPECT_EQ(test::countTemporaries(stick()), 0);
}

TEST_F(RemovableTest, NamesThatAreNotAsciiAreCopiedWhereTheStickTakesThem)
{
    std::vector<std::string> names{
        "\xC3\x9Cn\xC3\xAF"
        "c\xC3\xB8"
        "d\xC3\xA9 \xE2\x80\x93 \xC3\x9F.mp3",      // Ünïcødé – ß
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.mp3", // 日本語
        "\xF0\x9F\x8E\xB5 note.mp3",                // beyond 16 bits
        "u\xCC\x88"
        "ber decomposed.mp3",
    };
    std::string longName;
    for (int i = 0; i < 125; ++i) {
        longName += "\xC3\xBC";
    }
    names.push_back(longName + ".mp3"); // 254 bytes, 129 characters
    std::vector<std::string> lines;
    Results expected;
    for (const auto& name : names) {
        lines.push_back(source(name, patterned(name, 2000)));
        expected.push_back(stickTakesName(name) ? "ok" : "error");
    }
    playlist(lines);
    RecordProperty("taken", testing::PrintToString(expected));

    runExport(window);

    EXPECT_EQ(resultsOf(logRecords(window.logLines())), expected) << window.logText;
    for (const std::string& line : endOfLog(
             static_cast<std::size_t>(std::count(expected.begin(), expected.end(), "error")))) {
        EXPECT_THAT(line, testing::EndsWith(": the drive refused the name"));
    }
    expectLogMatchesStick({});
}

// FUSE drivers without locks of their own leave them to the kernel, which must
// still keep a live copy's temporary from the next run's sweep.
TEST_F(RemovableTest, OnlyTemporariesNobodyHoldsAreRemoved)
{
    playlist({source("a.mp3", patterned("a", 5000))});
    test::expectOnlyAbandonedTemporaryRemoved(stick(), [this] { runExport(window); });
}

// Fills the stick until nothing more fits, then frees room bytes of it again.
void fillStick(const fs::path& filler, std::size_t room)
{
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const std::string chunk(mib, 'f');
    off_t size = 0;
    for (ssize_t written; (written = ::write(fd, chunk.data(), chunk.size())) > 0;) {
        size += written;
    }
    ASSERT_GT(size, static_cast<off_t>(room)) << "the stick is too small";
    ASSERT_EQ(::ftruncate(fd, size - static_cast<off_t>(room)), 0);
    ASSERT_EQ(::close(fd), 0);
}

TEST_F(RemovableTest, NearlyFullStickFailsTheLargeCopyAndKeepsTheOlderFile)
{
    const std::string oldB = patterned("old b", mib + 17);
    test::writeFile(stick() / "b.mp3", oldB);
    const std::string b = source("b.mp3", patterned("b", 3 * mib));
    playlist({source("a.mp3", patterned("a", 64 * 1024)), b,
              source("c.mp3", patterned("c", 100 * 1024))});
    fillStick(besideTarget("filler"), 2 * mib);
    const FolderState before = folderState(stick()).value();

    runExport(window);

    EXPECT_EQ(resultsOf(logRecords(window.logLines())), (Results{"ok", "error", "ok"}))
        << window.logText;
    EXPECT_EQ(endOfLog(1), (Lines{b + ": the target drive is full"}));
    expectLogMatchesStick(before);
    EXPECT_EQ(test::bytesOf(onStick("b.mp3")), oldB);
}

// A song of 4 GiB or more, which FAT32 cannot hold, ends "error" without
// a try and counts nothing in the room the run asks about.
TEST_F(RemovableTest, ASongFatCannotHoldIsAnErrorAtOnce)
{
    if (!driveKind(stick().string()).largestFile) {
        GTEST_SKIP() << "this stick holds files of 4 GiB";
    }
    const std::string big = source("big.flac", "x");
    fs::resize_file(big, largestFatFile + 1); // sparse: nothing is written
    playlist({big, source("a.mp3", patterned("a", 64 * 1024))});

    runExport(window);

    EXPECT_TRUE(window.roomQuestions.empty());
    EXPECT_EQ(resultsOf(logRecords(window.logLines())), (Results{"error", "ok"}));
    EXPECT_EQ(endOfLog(2),
              (Lines{"Done: 1 of 2 files could not be copied.",
                     big + ": the file is too large for this drive (FAT32 takes at most 4 GiB a "
                           "file)"}));
    expectLogMatchesStick({});
}

// A drive that counts no blocks at all (fusefat, for FAT32 of 512-byte
// clusters) tells nothing of its room: nobody is asked, and the songs copy.
TEST_F(RemovableTest, ADriveThatCountsNoBlocksIsNotTakenForFull)
{
    struct statvfs drive {};
    ASSERT_EQ(::statvfs(stick().c_str(), &drive), 0);
    if (drive.f_blocks != 0) {
        GTEST_SKIP() << "this drive counts its blocks";
    }
    window.copyWhatFitsAnswer = std::nullopt;
    playlist({source("a.mp3", patterned("a", 64 * 1024))});

    runExport(window);

    EXPECT_TRUE(window.roomQuestions.empty());
    EXPECT_EQ(resultsOf(logRecords(window.logLines())), (Results{"ok"}));
}

} // namespace
} // namespace tunecrate
