// The real program's export with its standard output closed or full: the
// copying goes on to the end, and standard error says once why the log is not.

#include "ExportScene.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tunecrate {
namespace {

// Runs tunecrate with its standard output on out (which it takes), its
// standard error into the file err and SIGPIPE as a shell leaves it; gives its
// exit status, or 128 + the signal that ended it.
int runTunecrate(std::vector<std::string> arguments, int out, const std::filesystem::path& err)
{
    std::string program = TUNECRATE_PROGRAM;
    std::vector<char*> argv{program.data()};
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    if (const pid_t child = ::fork(); child == 0) {
        ::dup2(out, STDOUT_FILENO);
        ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        std::signal(SIGPIPE, SIG_DFL);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out);
    int status = 0;
    ::wait(&status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

int closedPipe()
{
    int ends[2] = {-1, -1};
    ::pipe(ends);
    ::close(ends[0]);
    return ends[1];
}

int fullDevice()
{
    return ::open("/dev/full", O_WRONLY);
}

TEST(ConsolePosix, AClosedOrFullOutputStopsNoExportAndEndsWithOne)
{
    const struct {
        const char* name;
        int (*open)();
        std::string reason;
    } outputs[] = {
        {"pipe closed at once", &closedPipe, "Broken pipe"},
        {"/dev/full", &fullDevice, "No space left on device"},
    };
    const std::vector<std::string> names{"a.mp3", "b.mp3", "c.mp3", "d.mp3"};
    for (const auto& output : outputs) {
        SCOPED_TRACE(output.name);
        test::ExportFolder scene;
        std::vector<std::string> lines;
        for (const std::string& name : names) {
            lines.push_back(scene.song(name));
        }
        const std::string list = scene.playlist(lines);
        const int out = output.open();
        ASSERT_GE(out, 0);

        EXPECT_EQ(runTunecrate({"--export", "--with-playlist", list, scene.targetText()}, out,
                               scene.dir.path() / "err"),
                  1);

        EXPECT_EQ(test::readFile(scene.dir.path() / "err"),
                  "tunecrate: standard output: " + output.reason + "\n");
        for (const std::string& name : names) {
            EXPECT_TRUE(std::filesystem::exists(scene.target() / name)) << name;
        }
        EXPECT_TRUE(std::filesystem::exists(scene.target() / "list.m3u8"));
    }
}

} // namespace
} // namespace tunecrate
