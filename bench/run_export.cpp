// Runs one export through the core with a window that shows nothing:
//   tunecrate-run-export PLAYLIST TARGET [--log] [--with-playlist]
// Prints the log's size, so a run can be checked and measured from outside;
// with --log, the log itself after it. --with-playlist checks the window's box
// for the playlist written beside the copies.

#include "ExportRun.h"
#include "NullWindow.h"

#include <cstdio>
#include <string_view>

int main(int argc, char** argv)
{
    bool showLog = false;
    bool withPlaylist = false;
    bool known = argc >= 3;
    for (int i = 3; i < argc; ++i) {
        const std::string_view option = argv[i];
        showLog = showLog || option == "--log";
        withPlaylist = withPlaylist || option == "--with-playlist";
        known = known && (option == "--log" || option == "--with-playlist");
    }
    if (!known) {
        std::fprintf(stderr, "usage: %s PLAYLIST TARGET [--log] [--with-playlist]\n", argv[0]);
        return 2;
    }
    tunecrate::bench::NullWindow window(argv[1], argv[2], withPlaylist);
    tunecrate::ApplyLanguage("English", window);
    tunecrate::runExport(window);
    std::printf("%zu log lines, %zu log bytes\n", window.logLines(), window.logBytes());
    if (showLog) {
        window.writeLog(stdout);
    }
    return 0;
}
