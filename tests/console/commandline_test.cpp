#include "CaseName.h"
#include "CommandLine.h"
#include "ConsoleRun.h"
#include "ExportScene.h"
#include "Leftovers.h"
#include "files/PlatformFiles.h"

#include <csignal>
#include <gtest/gtest.h>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;
using Form = CommandLine::Form;
using test::PrintTo;

struct ArgumentsCase {
    const char* name;
    std::vector<std::string> arguments;
    Form form;
    std::string playlist = {}; // the export's, against the working folder "/w"
    bool numbered = false;
};

class ArgumentsTest : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(ArgumentsTest, AreReadStrictlyOnlyForTheFormsWithoutAWindow)
{
    const fs::path working = fs::path("/w").make_preferred();
    const CommandLine line = parseCommandLine(GetParam().arguments, fs::absolute(working));
    EXPECT_EQ(line.form, GetParam().form) << line.wrong;
    if (line.form == Form::Export) {
        EXPECT_EQ(fsPath(line.playlist), fs::absolute(working / fsPath(GetParam().playlist)));
        EXPECT_EQ(line.numbered, GetParam().numbered);
    }
    if (line.form == Form::Window) {
        EXPECT_EQ(line.paths, GetParam().arguments);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArgumentsTest,
    testing::Values(
        ArgumentsCase{
            "WindowWithSeveralFiles", {"a.m3u", "--numbered", "b.m3u", "/stick"}, Form::Window},
        ArgumentsCase{"AfterDoubleDashNoOption", {"--", "--export"}, Form::Window},
        ArgumentsCase{"Export", {"--export", "l.m3u", "out"}, Form::Export, "l.m3u"},
        ArgumentsCase{"OptionsAnywhere",
                      {"l.m3u", "--numbered", "--export", "out"},
                      Form::Export,
                      "l.m3u",
                      true},
        ArgumentsCase{"LanguageBothWays",
                      {"--export", "--language=Deutsch", "l.m3u", "--language", "English", "o"},
                      Form::Export,
                      "l.m3u"},
        ArgumentsCase{
            "DoubleDashEndsOptions", {"--export", "--", "--l.m3u", "o"}, Form::Export, "--l.m3u"},
        ArgumentsCase{"Help", {"--help", "--bogus"}, Form::Wrong},
        ArgumentsCase{"HelpAlone", {"x", "--help"}, Form::Help},
        ArgumentsCase{"Version", {"--version"}, Form::Version},
        ArgumentsCase{"UnknownOption", {"--export", "--fast", "l.m3u", "o"}, Form::Wrong},
        ArgumentsCase{"MissingFolder", {"--export", "l.m3u"}, Form::Wrong},
        ArgumentsCase{"MissingLanguage", {"--export", "l.m3u", "o", "--language"}, Form::Wrong},
        ArgumentsCase{"OtherLanguage", {"--export", "--language=fr", "l.m3u", "o"}, Form::Wrong},
        ArgumentsCase{"ValueOnAFlag", {"--export", "--numbered=yes", "l.m3u", "o"}, Form::Wrong},
        ArgumentsCase{"YesWithoutRemoval", {"--export", "--yes", "l.m3u", "o"}, Form::Wrong}),
    test::CaseName());

TEST(ExitStatus, TakesTheFirstThatApplies)
{
    EXPECT_EQ(exitStatus({.tried = 2, .ok = 2}, false), 0);
    EXPECT_EQ(exitStatus({}, false), 0); // a playlist that names no file
    EXPECT_EQ(exitStatus({.tried = 2, .ok = 1, .errors = 1}, false), 1);
    EXPECT_EQ(exitStatus({.tried = 1, .ok = 1, .flushFailed = true}, false), 1);
    EXPECT_EQ(exitStatus({.tried = 1, .ok = 1}, true), 1); // standard output failed
    EXPECT_EQ(exitStatus({.refused = true}, false), 3);
    EXPECT_EQ(exitStatus({.refused = true}, true), 1);
    EXPECT_EQ(exitStatus({.errors = 1, .cancelled = true}, true), 130);
}

// Keeps what the run writes; Ctrl+C is the system's, as a signal sends it.
class KeptConsole final : public Console {
public:
    std::string out;
    std::function<void()> onProgress;
    void write(std::string_view text) override { out += text; }
    bool outputFailed() const override { return false; }
    void writeError(std::string_view) override {}
    bool showProgress(const std::string&) override
    {
        if (onProgress) {
            onProgress();
        }
        return true;
    }
    std::optional<bool> ask(const std::string&) override { return std::nullopt; }
    bool interrupted() const override { return systemConsole().interrupted(); }
};

TEST(ConsoleRun, WritesTheWindowsLogLineByLine)
{
    test::ExportScene scene;
    scene.playlist({scene.song("a.mp3"), scene.dir.file("music/gone.mp3"), scene.song("b.mp3")});
    runExport(scene.window);
    KeptConsole console;
    const CommandLine line = parseCommandLine(
        {"--export", scene.window.pathFromText, scene.window.pathToText}, fs::current_path());

    EXPECT_EQ(runWithoutWindow(line, console), 1);

    std::string expected = scene.window.logText.substr(2) + "\r\n";
    for (std::size_t at = 0; (at = expected.find("\r\n", at)) != std::string::npos;) {
        expected.replace(at, 2, "\n");
    }
    EXPECT_EQ(console.out, expected);
}

#ifndef _WIN32
TEST(ConsoleRun, CtrlCDuringACopyCancelsAtTheNextLine)
{
    test::ExportScene scene;
    scene.playlist(
        {scene.song("a.mp3", test::patterned("a", 64 * 1024 * 1024)), scene.song("b.mp3")});
    KeptConsole console;
    (void)systemConsole();
    bool raised = false;
    console.onProgress = [&raised] {
        if (!std::exchange(raised, true)) {
            (void)std::raise(SIGINT);
        }
    };
    const CommandLine line = parseCommandLine(
        {"--export", scene.window.pathFromText, scene.window.pathToText}, fs::current_path());

    EXPECT_EQ(runWithoutWindow(line, console), 130);

    EXPECT_TRUE(console.out.ends_with("---\ncanceled!\n")) << console.out;
    EXPECT_FALSE(fs::exists(scene.target() / "b.mp3"));
    EXPECT_EQ(scene.temporariesLeft(), 0);
}
#endif

} // namespace
} // namespace tunecrate
