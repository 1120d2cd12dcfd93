// Runs one export through the core with a window that shows nothing:
//   tunecrate-run-export PLAYLIST TARGET
// Prints the log's size, so a run can be checked and measured from outside.

#include "ExportRun.h"
#include "NullWindow.h"

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
    std::printf("%zu log lines, %zu log bytes\n", window.logLines(), window.logBytes());
    return 0;
}
