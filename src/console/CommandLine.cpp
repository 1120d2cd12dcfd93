#include "CommandLine.h"

#include "ProgramTitle.h"
#include "files/PlatformFiles.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tunecrate {
namespace {

bool startsStrictForm(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            return false;
        }
        if (argument == "--export" || argument == "--help" || argument == "--version") {
            return true;
        }
    }
    return false;
}

std::string madeAbsolute(const std::string& path, const std::filesystem::path& workingFolder)
{
    const std::filesystem::path given = fsPath(path);
    return given.is_absolute() ? path : utf8Text((workingFolder / given).lexically_normal());
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments,
                             const std::filesystem::path& workingFolder)
{
    CommandLine line;
    if (!startsStrictForm(arguments)) {
        line.paths = arguments;
        return line;
    }
    const auto wrong = [&line](std::string why) {
        line.form = CommandLine::Form::Wrong;
        line.wrong = std::move(why);
        return line;
    };
    bool exporting = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> operands;
    const std::array<std::pair<std::string_view, bool*>, 8> flags{{
        {"--export", &exporting},
        {"--help", &help},
        {"--version", &version},
        {"--with-playlist", &line.withPlaylist},
        {"--numbered", &line.numbered},
        {"--remove-dropped", &line.removeDropped},
        {"--yes", &line.yes},
        {"--copy-what-fits", &line.copyWhatFits},
    }};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            operands.insert(operands.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                            arguments.end());
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (name == "--language") {
            if (equals == std::string::npos && i + 1 == arguments.size()) {
                return wrong("--language needs English or Deutsch");
            }
            line.language =
                equals != std::string::npos ? argument.substr(equals + 1) : arguments[++i];
            if (line.language != "English" && line.language != "Deutsch") {
                return wrong("--language takes English or Deutsch, not \"" + line.language + "\"");
            }
            continue;
        }
        const auto flag = std::find_if(flags.begin(), flags.end(),
                                       [&name](const auto& known) { return known.first == name; });
        if (flag == flags.end()) {
            return wrong("unknown option " + name);
        }
        if (equals != std::string::npos) {
            return wrong(name + " takes no value");
        }
        *flag->second = true;
    }
    if (help) {
        line.form = CommandLine::Form::Help;
    } else if (version) {
        line.form = CommandLine::Form::Version;
    } else if (operands.size() != 2) {
        return wrong("--export needs PLAYLIST and FOLDER");
    } else if (line.yes && !line.removeDropped) {
        return wrong("--yes goes with --remove-dropped");
    } else {
        line.form = CommandLine::Form::Export;
        line.playlist = madeAbsolute(operands[0], workingFolder);
        line.folder = madeAbsolute(operands[1], workingFolder);
    }
    return line;
}

std::string helpText()
{
    return "Usage: tunecrate --export PLAYLIST FOLDER [OPTION...]\n"
           "  or:  tunecrate [PLAYLIST] [FOLDER]\n"
           "Copies every file a playlist (M3U, M3U8, PLS or a plain list of paths) names\n"
           "into FOLDER. Without --export it opens the window with its boxes filled.\n"
           "\n"
           "  --export               copy without a window; the log goes to standard output\n"
           "  --with-playlist        also write the playlist of what arrived beside the copies\n"
           "  --numbered             name each copy after its place: 001 - name\n"
           "  --remove-dropped       offer to remove copies of songs that left the playlist\n"
           "  --yes                  remove them without asking\n"
           "  --copy-what-fits       when the files do not fit, copy what fits\n"
           "  --language=LANGUAGE    English (the default) or Deutsch\n"
           "  --help                 show this help and exit\n"
           "  --version              show the version and exit\n"
           "\n"
           "Exit status: 0 when every file was copied, 1 when any was not, the drive\n"
           "failed to take them or standard output failed to take the log (a closed or\n"
           "full output does not stop the copying), 2 for wrong arguments, 3 when nothing\n"
           "was tried (no playlist, or too little room), 130 when cancelled with Ctrl+C.\n";
}

std::string versionText()
{
    return std::string(programTitle) + "\n";
}

int exitStatus(const RunSummary& summary, bool outputFailed)
{
    if (summary.cancelled) {
        return 130;
    }
    if (summary.errors > 0 || summary.flushFailed || outputFailed) {
        return 1;
    }
    return summary.refused ? 3 : 0;
}

} // namespace tunecrate
