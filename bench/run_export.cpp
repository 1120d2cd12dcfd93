// Runs one export through the core with a window that shows nothing:
//   tunecrate-run-export PLAYLIST TARGET [--log]
// Prints the log's size, so a run can be checked and measured from outside;
// with --log, the log itself after it.

#include "ExportRun.h"
#include "NullWindow.h"

#include <cstdio>
#include <string_view>

int main(int argc, char** argv)
{
    const bool showLog = argc == 4 && std::string_view(argv[3]) == "--log";
    if (argc != 3 && !showLog) {
        std::fprintf(stderr, "usage: %s PLAYLIST TARGET [--log]\n", argv[0]);
        return 2;
    }
    tunecrate::bench::NullWindow window(argv[1], argv[2]);
    tunecrate::ApplyLanguage("English", window);
    tunecrate::runExport(window);
    std::printf("%zu log lines, %zu log bytes\n", window.logLines(), window.logBytes());
    if (showLog) {
        window.writeLog(stdout);
    }
    return 0;
}
