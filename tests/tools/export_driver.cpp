// Runs one export through the core in a process of its own, for tests that
// must be able to kill it at any moment:
//   export_driver PLAYLIST TARGET
// Writes the log to standard output.

#include "ExportRun.h"
#include "TestWindow.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PLAYLIST TARGET\n", argv[0]);
        return 2;
    }
    tunecrate::test::TestWindow window;
    tunecrate::ApplyLanguage("English", window);
    window.pathFromText = argv[1];
    window.pathToText = argv[2];
    tunecrate::runExport(window);
    std::fwrite(window.logText.data(), 1, window.logText.size(), stdout);
    return 0;
}
