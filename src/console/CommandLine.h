#pragma once

#include "run/ExportRun.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tunecrate {

// The program's arguments. With --export, --help or --version they are read
// strictly, as GNU tools read theirs ("--option=value" or "--option value",
// "--" ends the options); otherwise they are the paths the window's boxes are
// filled from, as a file manager passes them.
struct CommandLine {
    enum class Form { Window, Export, Help, Version, Wrong };
    Form form = Form::Window;
    std::vector<std::string> paths; // the window's form: as given
    std::string playlist;           // the export's: made absolute
    std::string folder;
    bool withPlaylist = false;
    bool numbered = false;
    bool removeDropped = false;
    bool yes = false; // removes without asking
    bool copyWhatFits = false;
    std::string language = "English";
    std::string wrong; // what is wrong with them, for Form::Wrong
};

// workingFolder: what relative paths are taken against.
[[nodiscard]] CommandLine parseCommandLine(const std::vector<std::string>& arguments,
                                           const std::filesystem::path& workingFolder);

// What --help and --version print.
[[nodiscard]] std::string helpText();
[[nodiscard]] std::string versionText();

// The export's exit status: 0 when every entry was "ok" (or the playlist named
// none), 1 after any "error", a failed flush or a failed write of the log to
// standard output, 3 when none was tried because there was no playlist or the
// run copied nothing for want of room, 130 after Ctrl+C; the first of 130, 1
// and 3 that applies. (2 is for wrong arguments.)
[[nodiscard]] int exitStatus(const RunSummary& summary, bool outputFailed);

} // namespace tunecrate
