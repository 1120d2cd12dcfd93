#include "ConsoleRun.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace tunecrate {
namespace {

volatile std::sig_atomic_t interruptedFlag = 0;

extern "C" void onInterrupt(int /*signal*/)
{
    interruptedFlag = 1;
}

class PosixConsole final : public Console {
public:
    PosixConsole()
    {
        // The first Ctrl+C cancels; a second one ends the program as usual.
        struct sigaction action {};
        action.sa_handler = &onInterrupt;
        action.sa_flags = static_cast<int>(SA_RESETHAND);
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, nullptr);
        // A closed output is then a failed write, not the end of the run.
        std::signal(SIGPIPE, SIG_IGN);
    }

    void write(std::string_view text) override
    {
        clearProgress();
        while (!outputFailed_ && !text.empty()) {
            const ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
            if (written >= 0) {
                text.remove_prefix(static_cast<std::size_t>(written));
            } else if (errno != EINTR) {
                outputFailed_ = true;
                std::fprintf(stderr, "tunecrate: standard output: %s\n", std::strerror(errno));
            }
        }
    }
    bool outputFailed() const override { return outputFailed_; }
    void writeError(std::string_view text) override
    {
        clearProgress();
        std::fwrite(text.data(), 1, text.size(), stderr);
    }
    bool showProgress(const std::string& line) override
    {
        if (::isatty(STDERR_FILENO) == 0) {
            return false;
        }
        std::fprintf(stderr, "\r\033[K%s", line.c_str());
        progressShown_ = true;
        return true;
    }
    std::optional<bool> ask(const std::string& question) override
    {
        if (::isatty(STDIN_FILENO) == 0 || ::isatty(STDERR_FILENO) == 0) {
            return std::nullopt;
        }
        clearProgress();
        std::fprintf(stderr, "%s [y/N] ", question.c_str());
        return readYes();
    }
    bool interrupted() const override { return interruptedFlag != 0; }

private:
    void clearProgress()
    {
        if (progressShown_) {
            std::fputs("\r\033[K", stderr);
            progressShown_ = false;
        }
    }

    bool progressShown_ = false;
    bool outputFailed_ = false;
};

} // namespace

Console& systemConsole()
{
    static PosixConsole console;
    return console;
}

} // namespace tunecrate
