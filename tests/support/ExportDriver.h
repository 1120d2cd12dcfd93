#pragma once

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tunecrate::test {

// Starts a program (looked up on PATH) with its standard output, and with
// quietErrors its standard error too, going nowhere; its process id, or -1.
[[nodiscard]] inline pid_t spawnQuietly(std::vector<std::string> arguments,
                                        bool quietErrors = false)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (quietErrors) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

#ifdef TUNECRATE_EXPORT_DRIVER
// export_driver (tests/tools) in a process of its own, its output going
// nowhere: PLAYLIST TARGET and the driver's options. The test's target names
// the program in TUNECRATE_EXPORT_DRIVER.
class ExportDriver {
public:
    explicit ExportDriver(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), TUNECRATE_EXPORT_DRIVER);
        pid_ = spawnQuietly(std::move(arguments));
    }
    ExportDriver(const ExportDriver&) = delete;
    ExportDriver& operator=(const ExportDriver&) = delete;
    ~ExportDriver()
    {
        if (pid_ > 0) {
            (void)kill();
        }
    }

    [[nodiscard]] bool started() const { return pid_ > 0; }

    // How it ended: its exit status, or 128 and the signal.
    int wait()
    {
        int status = 0;
        ::waitpid(std::exchange(pid_, -1), &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    // Kills it unless it has ended; how it ended.
    int kill()
    {
        ::kill(pid_, SIGKILL);
        return wait();
    }

private:
    pid_t pid_ = -1;
};
#endif

} // namespace tunecrate::test
