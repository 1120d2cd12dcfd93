#include "ConsoleRun.h"

#include <cerrno>
#include <cstdio>
#include <io.h>
#include <string>
#include <system_error>
#include <windows.h>

namespace tunecrate {
namespace {

volatile LONG interruptedFlag = 0;

BOOL WINAPI onControl(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        InterlockedExchange(&interruptedFlag, 1);
        return TRUE;
    }
    return FALSE;
}

// Text in UTF-8, "\n" written as "\r\n", to a console, a file or a pipe; the
// system's error code where it could not be written whole.
DWORD writeTo(DWORD which, std::string_view text)
{
    std::string lines;
    for (const char c : text) {
        if (c == '\n') {
            lines += '\r';
        }
        lines += c;
    }
    for (std::string_view left = lines; !left.empty();) {
        DWORD written = 0;
        if (!WriteFile(GetStdHandle(which), left.data(), static_cast<DWORD>(left.size()), &written,
                       nullptr)) {
            return GetLastError();
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        left.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

// Why a write failed, in the words GNU tools use for a closed pipe and a full
// disk.
std::string failure(DWORD error)
{
    switch (error) {
    case ERROR_NO_DATA:
    case ERROR_BROKEN_PIPE:
    case ERROR_PIPE_NOT_CONNECTED:
        return std::generic_category().message(EPIPE);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::generic_category().message(ENOSPC);
    default:
        return std::system_category().message(static_cast<int>(error));
    }
}

bool isConsole(DWORD which)
{
    return GetFileType(GetStdHandle(which)) == FILE_TYPE_CHAR;
}

class WindowsConsole final : public Console {
public:
    WindowsConsole()
    {
        SetConsoleCtrlHandler(&onControl, TRUE);
        SetConsoleOutputCP(CP_UTF8);
    }

    void write(std::string_view text) override
    {
        clearProgress();
        if (outputFailed_) {
            return;
        }
        if (const DWORD error = writeTo(STD_OUTPUT_HANDLE, text); error != ERROR_SUCCESS) {
            outputFailed_ = true;
            writeError("tunecrate: standard output: " + failure(error) + "\n");
        }
    }
    bool outputFailed() const override { return outputFailed_; }
    void writeError(std::string_view text) override
    {
        clearProgress();
        writeTo(STD_ERROR_HANDLE, text);
    }
    bool showProgress(const std::string& line) override
    {
        if (!isConsole(STD_ERROR_HANDLE)) {
            return false;
        }
        clearProgress();
        writeTo(STD_ERROR_HANDLE, "\r");
        writeTo(STD_ERROR_HANDLE, line);
        shownWidth_ = line.size();
        return true;
    }
    std::optional<bool> ask(const std::string& question) override
    {
        if (!isConsole(STD_INPUT_HANDLE) || !isConsole(STD_ERROR_HANDLE)) {
            return std::nullopt;
        }
        clearProgress();
        writeTo(STD_ERROR_HANDLE, question);
        writeTo(STD_ERROR_HANDLE, " [y/N] ");
        return readYes();
    }
    bool interrupted() const override { return interruptedFlag != 0; }

private:
    void clearProgress()
    {
        if (shownWidth_ > 0) {
            // Pieces, not "\r" + text: GCC 12 at -O3 warns of an overlap there
            // that cannot happen.
            std::string blank(shownWidth_ + 2, ' ');
            blank.front() = '\r';
            blank.back() = '\r';
            writeTo(STD_ERROR_HANDLE, blank);
            shownWidth_ = 0;
        }
    }

    std::size_t shownWidth_ = 0;
    bool outputFailed_ = false;
};

} // namespace

Console& systemConsole()
{
    static WindowsConsole console;
    return console;
}

} // namespace tunecrate
