#include "ConsoleRun.h"

#include <csignal>
#include <cstdio>
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
    }

    void write(std::string_view text) override
    {
        clearProgress();
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
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
};

} // namespace

Console& systemConsole()
{
    static PosixConsole console;
    return console;
}

} // namespace tunecrate
