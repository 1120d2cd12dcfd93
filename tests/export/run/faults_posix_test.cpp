// What the export run does when the file system changes or fails under it. After
// every fault the log's "ok" and "error" must describe what is really on disk, no
// temporary file may remain, and no source may change unless the test changed it.

#include "CaseName.h"
#include "ExportScene.h"
#include "playlist/Playlist.h"
#include "run/ExportRun.h"

#include <cctype>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;
using test::closingLine;
using test::wrongLogEnd;
using test::ExportScene;
using test::FolderState;
using test::folderState;
using test::logRecords;
using test::patterned;
using test::PrintTo;
// A table's logEnd for the closing line its results give.
const std::string closing;
using test::resultsOf;
using test::writeFile;
using Results = std::vector<std::string>;

constexpr std::size_t mib = 1024 * 1024;

// The contents the fault cases name by a short key.
const std::map<std::string, std::string>& contents()
{
    static const std::map<std::string, std::string> all{
        {"a", patterned("a", 64 * 1024)},
        {"b", patterned("b", 3 * mib)},
        {"old b", patterned("old b", mib + 17)},
        {"new b", patterned("new b", 2 * mib)},
        {"b cut", patterned("b", 3 * mib / 2)},
        {"c", patterned("c", 100 * 1024)},
        {"d", patterned("d", 10)},
        {"keep", "keep"},
        {"<folder>", test::folderMark},
    };
    return all;
}

using NamedContents = std::vector<std::pair<std::string, std::string>>; // file name, content key

FolderState stateOf(const NamedContents& files)
{
    FolderState state;
    for (const auto& [name, key] : files) {
        state[name] = contents().at(key);
    }
    return state;
}

// The fault cases below act on the scene from outside, so its helpers are public.
class FaultTest : public testing::Test, public ExportScene {
public:
    // The playlist a, b, c over a target that already holds an older b; gives
    // the three source paths.
    std::vector<std::string> standardScene()
    {
        std::vector<std::string> sources{song("a.mp3", contents().at("a")),
                                         song("b.mp3", contents().at("b")),
                                         song("c.mp3", contents().at("c"))};
        playlist(sources);
        writeFile(target() / "b.mp3", contents().at("old b"));
        return sources;
    }

    // True at a progress call in the middle of b's copy: part of it is written.
    [[nodiscard]] bool halfWayThroughB() const
    {
        return window.copying() && window.panels[2] == "Filename: b.mp3" && window.progress > 0 &&
               window.progress < 100;
    }

    // Runs action once, at the first moment when is true.
    void once(std::function<bool()> when, std::function<void()> action)
    {
        window.onEvents = [this, when = std::move(when), action = std::move(action)] {
            if (!fired_ && when()) {
                fired_ = true;
                action();
            }
        };
    }
    [[nodiscard]] bool fired() const { return fired_; }

    void removeTemporaries() const
    {
        for (const fs::path& temporary : test::temporariesIn(target())) {
            fs::remove(temporary);
        }
    }

private:
    bool fired_ = false;
};

enum class Moment {
    BeforeRun,       // the file system was like this when Save was pressed
    AtLineTwo,       // while the run lets events through before the line naming b
    HalfWayThroughB, // during b's copy, with part of it written
};

struct MidRunCase {
    const char* name;
    Moment moment;
    std::function<void(FaultTest&)> action;
    Results results;
    std::string logEnd;                  // closing: the closing line the results give
    std::optional<NamedContents> target; // nothing: the target folder is gone
    NamedContents sources;
};

class MidRunFaultTest : public FaultTest, public testing::WithParamInterface<MidRunCase> {};

TEST_P(MidRunFaultTest, LogMatchesTheDiskAndNothingIsLost)
{
    const MidRunCase& fault = GetParam();
    standardScene();
    if (fault.moment == Moment::BeforeRun) {
        fault.action(*this);
    } else if (fault.moment == Moment::AtLineTwo) {
        int lineEvents = 0;
        once([this, lineEvents]() mutable { return !window.copying() && ++lineEvents == 2; },
             [this, &fault] { fault.action(*this); });
    } else {
        once([this] { return halfWayThroughB(); }, [this, &fault] { fault.action(*this); });
    }

    runExport(window);

    if (fault.moment != Moment::BeforeRun) {
        ASSERT_TRUE(fired()) << "the fault never happened";
    }
    const auto lines = window.logLines();
    const auto records = logRecords(lines);
    EXPECT_EQ(resultsOf(records), fault.results) << window.logText;
    EXPECT_EQ(
        wrongLogEnd(lines, fault.logEnd == closing ? closingLine(fault.results) : fault.logEnd),
        "");
    for (const auto& record : records) {
        EXPECT_EQ(record.destination, exported(std::string(bareName(record.source))));
    }
    if (fault.target) {
        EXPECT_EQ(folderState(target()), stateOf(*fault.target));
    } else {
        EXPECT_FALSE(fs::exists(target()));
    }
    EXPECT_EQ(folderState(music()), stateOf(fault.sources));
    EXPECT_EQ(temporariesLeft(), 0);
}

const NamedContents allSources{{"a.mp3", "a"}, {"b.mp3", "b"}, {"c.mp3", "c"}};
const NamedContents oldBKept{{"a.mp3", "a"}, {"b.mp3", "old b"}, {"c.mp3", "c"}};
const NamedContents allCopied = allSources;
const NamedContents bIsAFolder{
    {"a.mp3", "a"}, {"b.mp3/", "<folder>"}, {"b.mp3/keep", "keep"}, {"c.mp3", "c"}};
const NamedContents bCutShort{{"a.mp3", "a"}, {"b.mp3", "b cut"}, {"c.mp3", "c"}};
const Results okOkOk{"ok", "ok", "ok"};
const std::string allFilesCopied = "All files copied!";

void removeTarget(FaultTest& scene)
{
    fs::remove_all(scene.target());
}

void removeB(FaultTest& scene)
{
    fs::remove(scene.music() / "b.mp3");
}

void makeBAFolderInTheTarget(FaultTest& scene)
{
    const fs::path b = scene.target() / "b.mp3";
    fs::remove(b);
    fs::create_directory(b);
    writeFile(b / "keep", contents().at("keep"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MidRunFaultTest,
    testing::Values(
        MidRunCase{.name = "TargetMissing",
                   .moment = Moment::BeforeRun,
                   .action = removeTarget,
                   .results = {"error", "error", "error"},
                   .logEnd = closing,
                   .target = std::nullopt,
                   .sources = allSources},
        MidRunCase{.name = "SourceMissing",
                   .moment = Moment::BeforeRun,
                   .action = removeB,
                   .results = {"ok", "error", "ok"},
                   .logEnd = closing,
                   .target = oldBKept,
                   .sources = {{"a.mp3", "a"}, {"c.mp3", "c"}}},
        MidRunCase{.name = "DestinationIsAFolder",
                   .moment = Moment::BeforeRun,
                   .action = makeBAFolderInTheTarget,
                   .results = {"ok", "error", "ok"},
                   .logEnd = closing,
                   .target = bIsAFolder,
                   .sources = allSources},
        MidRunCase{.name = "TargetRemovedBeforeAnEntry",
                   .moment = Moment::AtLineTwo,
                   .action = removeTarget,
                   .results = {"ok", "error", "error"},
                   .logEnd = closing,
                   .target = std::nullopt,
                   .sources = allSources},
        MidRunCase{.name = "TargetRemovedDuringACopy",
                   .moment = Moment::HalfWayThroughB,
                   .action = removeTarget,
                   .results = {"ok", "error", "error"},
                   .logEnd = closing,
                   .target = std::nullopt,
                   .sources = allSources},
        MidRunCase{.name = "TargetReplacedDuringACopy",
                   .moment = Moment::HalfWayThroughB,
                   .action =
                       [](FaultTest& scene) {
                           removeTarget(scene);
                           fs::create_directory(scene.target());
                       },
                   .results = {"ok", "error", "ok"},
                   .logEnd = closing,
                   .target = NamedContents{{"c.mp3", "c"}},
                   .sources = allSources},
        MidRunCase{.name = "SourceRemovedBeforeItsLine",
                   .moment = Moment::AtLineTwo,
                   .action = removeB,
                   .results = {"ok", "error", "ok"},
                   .logEnd = closing,
                   .target = oldBKept,
                   .sources = {{"a.mp3", "a"}, {"c.mp3", "c"}}},
        // The copy reads the file it opened to its end.
        MidRunCase{.name = "SourceRemovedDuringItsCopy",
                   .moment = Moment::HalfWayThroughB,
                   .action = removeB,
                   .results = okOkOk,
                   .logEnd = closing,
                   .target = allCopied,
                   .sources = {{"a.mp3", "a"}, {"c.mp3", "c"}}},
        MidRunCase{.name = "SourceReplacedDuringItsCopy",
                   .moment = Moment::HalfWayThroughB,
                   .action =
                       [](FaultTest& scene) {
                           const fs::path music = scene.music();
                           writeFile(music / "b.new", contents().at("new b"));
                           fs::rename(music / "b.new", music / "b.mp3");
                       },
                   .results = okOkOk,
                   .logEnd = closing,
                   .target = allCopied,
                   .sources = {{"a.mp3", "a"}, {"b.mp3", "new b"}, {"c.mp3", "c"}}},
        // Cut short in place, the source ends earlier; the copy holds what it holds.
        MidRunCase{.name = "SourceCutShortDuringItsCopy",
                   .moment = Moment::HalfWayThroughB,
                   .action =
                       [](FaultTest& scene) {
                           fs::resize_file(scene.music() / "b.mp3", contents().at("b cut").size());
                       },
                   .results = okOkOk,
                   .logEnd = closing,
                   .target = bCutShort,
                   .sources = bCutShort},
        MidRunCase{.name = "DestinationBecomesAFolderDuringItsCopy",
                   .moment = Moment::HalfWayThroughB,
                   .action = makeBAFolderInTheTarget,
                   .results = {"ok", "error", "ok"},
                   .logEnd = closing,
                   .target = bIsAFolder,
                   .sources = allSources},
        // The copy fails half-way over the older b, which stays as it was.
        MidRunCase{.name = "TemporaryRemovedDuringACopy",
                   .moment = Moment::HalfWayThroughB,
                   .action = [](FaultTest& scene) { scene.removeTemporaries(); },
                   .results = {"ok", "error", "ok"},
                   .logEnd = closing,
                   .target = oldBKept,
                   .sources = allSources},
        MidRunCase{.name = "ErrorRaisedDuringACopy",
                   .moment = Moment::HalfWayThroughB,
                   .action = [](FaultTest&) { throw std::runtime_error("the window went away"); },
                   .results = {"ok", ""},
                   .logEnd = "No playlist found!",
                   .target = NamedContents{{"a.mp3", "a"}, {"b.mp3", "old b"}},
                   .sources = allSources},
        MidRunCase{.name = "CancelDuringACopy",
                   .moment = Moment::HalfWayThroughB,
                   .action = [](FaultTest& scene) { scene.window.cancel = true; },
                   .results = {"ok", "ok"},
                   .logEnd = "canceled!",
                   .target = NamedContents{{"a.mp3", "a"}, {"b.mp3", "b"}},
                   .sources = allSources},
        // The run holds the playlist open and reads it to its end.
        MidRunCase{.name = "PlaylistRemovedDuringACopy",
                   .moment = Moment::HalfWayThroughB,
                   .action = [](FaultTest& scene) { fs::remove(scene.list()); },
                   .results = okOkOk,
                   .logEnd = closing,
                   .target = allCopied,
                   .sources = allSources},
        MidRunCase{.name = "PlaylistReplacedDuringACopy",
                   .moment = Moment::HalfWayThroughB,
                   .action =
                       [](FaultTest& scene) {
                           const std::string d = scene.song("d.mp3", contents().at("d"));
                           writeFile(scene.dir.path() / "new.m3u", d + "\r\n");
                           fs::rename(scene.dir.path() / "new.m3u", scene.list());
                       },
                   .results = okOkOk,
                   .logEnd = closing,
                   .target = allCopied,
                   .sources = {{"a.mp3", "a"}, {"b.mp3", "b"}, {"c.mp3", "c"}, {"d.mp3", "d"}}}),
    test::CaseName());

// Save pressed again while b is being copied: the second run copies b too and
// ends first; the first run's copy of b then lands over it, whether or not an
// older b was there when both began.
class SecondRunTest : public FaultTest, public testing::WithParamInterface<bool> {};

TEST_P(SecondRunTest, RunsWholeAndTheFirstFinishesItsCopy)
{
    const auto sources = standardScene();
    if (!GetParam()) {
        fs::remove(target() / "b.mp3");
    }
    const std::string& a = sources[0];
    const std::string& b = sources[1];
    const std::string& c = sources[2];
    once([this] { return halfWayThroughB(); }, [this] { runExport(window); });

    runExport(window);

    const auto record = [this](const std::string& source, const std::string& name) {
        return std::vector<std::string>{source, "copied to:", exported(name), "ok", "---"};
    };
    std::vector<std::string> expected{""};
    for (const auto& part : {record(a, "a.mp3"),
                             record(b, "b.mp3"),
                             record(c, "c.mp3"),
                             {allFilesCopied, "ok", "---"},
                             record(c, "c.mp3"),
                             {allFilesCopied}}) {
        expected.insert(expected.end(), part.begin(), part.end());
    }
    EXPECT_EQ(window.logLines(), expected);
    EXPECT_EQ(folderState(target()), stateOf(allCopied));
    EXPECT_EQ(folderState(music()), stateOf(allSources));
    EXPECT_EQ(temporariesLeft(), 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, SecondRunTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& row) {
                             return row.param ? "OverAnOlderFile" : "IntoAnEmptyTarget";
                         });

TEST_F(FaultTest, PlaylistCutShortDuringTheWalkEndsItThere)
{
    // Far more than the reader holds at once, so the cut is seen.
    std::vector<std::string> lines{"#EXTM3U"};
    for (int i = 0; i < 20000; ++i) {
        lines.push_back("#EXTINF:" + std::to_string(i) + ",Artist - Title");
    }
    lines.push_back(song("c.mp3", contents().at("c")));
    playlist(lines);
    int lineEvents = 0;
    once([&] { return ++lineEvents == 100; }, [this] { fs::resize_file(list(), 0); });

    runExport(window);

    ASSERT_TRUE(fired());
    EXPECT_EQ(window.logText, "\r\n" + allFilesCopied);
    EXPECT_EQ(folderState(target()), FolderState{});
}

// A path that ends in a separator, or in "." or "..", leaves no name to copy to:
// the destination would be the target folder itself or the folder above it.
struct NamelessCase {
    const char* name;
    std::string line; // from the scene's folder, unless it begins with "/"
    bool isFile;      // the line names a regular file, made before the run
    std::string destinationEnd;
};

class NamelessEntryTest : public FaultTest, public testing::WithParamInterface<NamelessCase> {};

TEST_P(NamelessEntryTest, IsAnErrorAndWritesNothing)
{
    const NamelessCase& entry = GetParam();
    const std::string line =
        entry.line.starts_with('/') ? entry.line : dir.text() + "/" + entry.line;
    if (entry.isFile) {
        writeFile(line, "a file after all");
    }
    playlist({line, song("a.mp3", contents().at("a"))});
    FolderState expected = folderState(dir.path()).value();

    runExport(window);

    const auto records = logRecords(window.logLines());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].destination, dir.file("export") + "/" + entry.destinationEnd);
    EXPECT_EQ(records[0].result, "error");
    EXPECT_EQ(records[1].result, "ok");
    // Nothing changed anywhere in the scene but the one good copy.
    expected["export/a.mp3"] = contents().at("a");
    EXPECT_EQ(folderState(dir.path()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, NamelessEntryTest,
    testing::Values(NamelessCase{"FolderEndingInSlash", "music/", false, ""},
                    NamelessCase{"TargetFolderItself", "export/", false, ""},
                    NamelessCase{"Root", "/", false, ""},
                    NamelessCase{"FileEndingInBackslash", "music/b.mp3\\", true, ""},
                    NamelessCase{"DotAfterBackslash", "music/b\\.", true, "."},
                    NamelessCase{"DotDotAfterBackslash", "music/b\\..", true, ".."}),
    test::CaseName());

// Runs the export in a child process whose files may not grow beyond limit, as
// on a full disk, and gives back the log it wrote.
std::string runOnAFullDisk(test::TestWindow& window, rlim_t limit)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        // A write past the limit then fails with EFBIG instead of killing us.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit fileSize{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        runExport(window);
        const std::string& log = window.logText;
        for (std::size_t done = 0; done < log.size();) {
            const ssize_t count = ::write(pipeEnds[1], log.data() + done, log.size() - done);
            if (count <= 0) {
                ::_exit(1);
            }
            done += static_cast<std::size_t>(count);
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string log;
    char buffer[4096];
    for (ssize_t count; (count = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        log.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return log;
}

TEST_F(FaultTest, DiskFullFailsTheCopyAndKeepsTheOlderFile)
{
    const std::map<std::string, std::string> sources{
        {song("small.mp3", contents().at("a")), contents().at("a")},
        {song("b.mp3", contents().at("b")), contents().at("b")},
        {song("new.mp3", contents().at("new b")), contents().at("new b")},
        {song("c.mp3", contents().at("c")), contents().at("c")}};
    playlist({dir.file("music/small.mp3"), dir.file("music/b.mp3"), dir.file("music/new.mp3"),
              dir.file("music/c.mp3")});
    writeFile(target() / "b.mp3", contents().at("old b"));
    const FolderState before = folderState(target()).value();
    const auto sourcesBefore = folderState(music());

    window.logText = runOnAFullDisk(window, mib);

    const auto records = logRecords(window.logLines());
    EXPECT_EQ(resultsOf(records), (Results{"ok", "error", "error", "ok"})) << window.logText;
    EXPECT_EQ(folderState(target()), test::claimedState(before, target(), records, sources));
    EXPECT_EQ(folderState(target()),
              stateOf({{"small.mp3", "a"}, {"b.mp3", "old b"}, {"c.mp3", "c"}}));
    EXPECT_EQ(folderState(music()), sourcesBefore);
    EXPECT_EQ(temporariesLeft(), 0);
}

// Only regular files are read: a FIFO, a device or a link to one is no
// playlist, and nothing waits for it to deliver bytes.
class NoRegularPlaylistTest : public FaultTest, public testing::WithParamInterface<const char*> {};

TEST_P(NoRegularPlaylistTest, IsNotFoundAndNothingWaits)
{
    const fs::path fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A writer holding the FIFO open must not make the run read it either.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    fs::create_symlink("/dev/zero", dir.path() / "zero-link");
    const std::string path = GetParam();
    window.pathFromText = path.starts_with('/') ? path : dir.file(path);
    if (!fs::exists(window.pathFromText)) {
        ::close(writer);
        GTEST_SKIP() << window.pathFromText << " is not on this machine";
    }

    runExport(window);
    ::close(writer);

    EXPECT_EQ(window.logText, "No playlist found!");
}

INSTANTIATE_TEST_SUITE_P(Playlists, NoRegularPlaylistTest,
                         testing::Values("fifo", "zero-link", "/dev/zero", "/dev/null",
                                         "/dev/urandom", "/dev/tty"),
                         [](const testing::TestParamInfo<const char*>& row) {
                             std::string name;
                             for (const char c : std::string_view(row.param)) {
                                 if (std::isalnum(static_cast<unsigned char>(c))) {
                                     name += c;
                                 }
                             }
                             return name;
                         });

TEST_F(FaultTest, SourcesThatAreNoRegularFilesAreErrors)
{
    const fs::path fifo = music() / "fifo.mp3";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", music() / "zero.mp3");
    std::vector<std::string> lines{dir.file("music/fifo.mp3"), dir.file("music/zero.mp3"),
                                   "/dev/zero", "/dev/urandom"};
    if (fs::exists("/dev/tty")) {
        lines.push_back("/dev/tty");
    }
    lines.push_back(song("a.mp3", contents().at("a")));
    playlist(lines);

    runExport(window);

    Results expected(lines.size() - 1, "error");
    expected.push_back("ok");
    EXPECT_EQ(resultsOf(logRecords(window.logLines())), expected);
    EXPECT_EQ(folderState(target()), stateOf({{"a.mp3", "a"}}));
    EXPECT_EQ(temporariesLeft(), 0);
}

TEST_F(FaultTest, NamesThatAreNoUtf8AreCopiedByteForByte)
{
    // Latin-1 and stray bytes: on POSIX a name is bytes, and those are kept.
    const std::string latin1 = "caf\xE9.mp3";
    const std::string stray = "\xFF\xFE\x80.mp3";
    playlist({"#EXTM3U", song(latin1, contents().at("a")), song(stray, contents().at("c"))});

    runExport(window);

    EXPECT_EQ(resultsOf(logRecords(window.logLines())), (Results{"ok", "ok"}));
    EXPECT_EQ(folderState(target()), stateOf({{latin1, "a"}, {stray, "c"}}));
}

} // namespace
} // namespace tunecrate
