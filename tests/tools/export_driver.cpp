// Runs one export through the core in a process of its own, for tests that
// must be able to kill it at any moment or hold it at a step:
//   export_driver PLAYLIST TARGET [--numbered] [--with-playlist]
//                 [--at STEP COUNT kill|hold:FILE]
// STEP is record-read, copied, renaming, renamed or record-written. At the
// COUNT-th time the run reaches it, "kill" ends the process with SIGKILL;
// "hold:FILE" creates FILE and waits until FILE.go exists.
// Writes the log to standard output.

#include "TestWindow.h"
#include "folder/Steps.h"
#include "run/ExportRun.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

namespace {

const std::map<std::string, tunecrate::Step> steps{
    {"record-read", tunecrate::Step::RecordRead},
    {"copied", tunecrate::Step::Copied},
    {"renaming", tunecrate::Step::Renaming},
    {"renamed", tunecrate::Step::Renamed},
    {"record-written", tunecrate::Step::RecordWritten},
};

void hold(const std::string& file)
{
    std::ofstream{file}.flush();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(file + ".go") && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PLAYLIST TARGET [options]\n", argv[0]);
        return 2;
    }
    tunecrate::test::TestWindow window;
    tunecrate::ApplyLanguage("English", window);
    window.pathFromText = argv[1];
    window.pathToText = argv[2];
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--numbered") {
            window.numberedChecked = true;
        } else if (option == "--with-playlist") {
            window.withPlaylistChecked = true;
        } else if (option == "--at" && i + 3 < argc && steps.contains(argv[i + 1])) {
            const tunecrate::Step step = steps.at(argv[i + 1]);
            const int count = std::stoi(argv[i + 2]);
            const std::string action = argv[i + 3];
            i += 3;
            tunecrate::setStepHook([step, count, action, seen = 0](tunecrate::Step at) mutable {
                if (at != step || ++seen != count) {
                    return;
                }
                if (action == "kill") {
                    std::raise(SIGKILL);
                } else if (action.starts_with("hold:")) {
                    hold(action.substr(5));
                }
            });
        } else {
            std::fprintf(stderr, "%s: unknown option %s\n", argv[0], option.c_str());
            return 2;
        }
    }
    tunecrate::runExport(window);
    std::fwrite(window.logText.data(), 1, window.logText.size(), stdout);
    return 0;
}
