#pragma once

#include "CommandLine.h"

#include <optional>
#include <string>
#include <string_view>

namespace tunecrate {

// The terminal an export without a window runs in. console_posix.cpp and
// console_win32.cpp give the system's (systemConsole); the tests their own.
class Console {
public:
    virtual ~Console() = default;
    // Standard output, text in UTF-8 with the system's line ends. The first
    // write that fails says why on standard error, and what follows it is
    // dropped: a closed or full output must not stop a run midway.
    virtual void write(std::string_view text) = 0;
    // A write to standard output failed.
    [[nodiscard]] virtual bool outputFailed() const = 0;
    // Standard error, for the command's own errors.
    virtual void writeError(std::string_view text) = 0;
    // Rewrites the progress line on standard error; false where that is no
    // terminal (nothing is written then).
    virtual bool showProgress(const std::string& line) = 0;
    // Asks question on the terminal, with "[y/N]": nothing where there is no
    // terminal to ask.
    [[nodiscard]] virtual std::optional<bool> ask(const std::string& question) = 0;
    // Ctrl+C was pressed since the run began.
    [[nodiscard]] virtual bool interrupted() const = 0;
};

// Reads the answer to a question just asked on the terminal: yes where it
// begins with "y" or "j", in either case.
[[nodiscard]] bool readYes();

// The system's console; catches Ctrl+C from the first call on.
[[nodiscard]] Console& systemConsole();

// Runs the program's arguments in the console where they ask for no window:
// the export, help, version or the usage after wrong arguments. Gives the
// exit status; nothing for the window's form.
[[nodiscard]] std::optional<int> runWithoutWindow(const CommandLine& line, Console& console);

} // namespace tunecrate
