// Runs one export through the core with a window that shows nothing:
//   tunecrate-run-export PLAYLIST TARGET
// Prints the log's size in lines, so a run can be checked and timed from a script.

#include "ExportRun.h"
#include "NullWindow.h"

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PLAYLIST TARGET\n", argv[0]);
        return 2;
    }
    tunecrate::bench::NullWindow window(argv[1], argv[2]);
    tunecrate::ApplyLanguage("English", window);
    tunecrate::RunExport(window);
    const auto breaks = std::count(window.log().begin(), window.log().end(), '\n');
    std::printf("%ld log lines\n", static_cast<long>(breaks) + 1);
    return 0;
}
