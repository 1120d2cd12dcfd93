// Runs one export through the core with a window that shows nothing:
//   tunecrate-run-export PLAYLIST TARGET [--log] [--with-playlist] [--numbered]
//                        [--count-room]
// Prints the log's size, so a run can be checked and measured from outside;
// with --log, the log itself after it. --with-playlist checks the window's box
// for the playlist written beside the copies, --numbered the box for numbered
// copies. --count-room only counts the
// room the export would take, as a run does before its first copy, and
// prints it.

#include "NullWindow.h"
#include "drive/Drive.h"
#include "files/PlatformFiles.h"
#include "folder/RecordedFolders.h"
#include "playlist/PlaylistLines.h"
#include "run/ExportRun.h"
#include "run/RoomCheck.h"

#include <cstdio>
#include <string_view>

int main(int argc, char** argv)
{
    bool showLog = false;
    bool withPlaylist = false;
    bool countRoom = false;
    bool numbered = false;
    bool known = argc >= 3;
    for (int i = 3; i < argc; ++i) {
        const std::string_view option = argv[i];
        showLog = showLog || option == "--log";
        withPlaylist = withPlaylist || option == "--with-playlist";
        countRoom = countRoom || option == "--count-room";
        numbered = numbered || option == "--numbered";
        known = known && (option == "--log" || option == "--with-playlist" ||
                          option == "--count-room" || option == "--numbered");
    }
    if (!known) {
        std::fprintf(
            stderr,
            "usage: %s PLAYLIST TARGET [--log] [--with-playlist] [--numbered] [--count-room]\n",
            argv[0]);
        return 2;
    }
    if (countRoom) {
        tunecrate::PlaylistLines lines(argv[1]);
        const auto mode = lines.findFirstContent()
                              ? tunecrate::decidePlaylistMode(lines.line(), argv[1])
                              : std::nullopt;
        const bool windowsRules = tunecrate::followsWindowsRules(argv[2]);
        const auto record = tunecrate::readRecord(argv[2], windowsRules);
        const auto room =
            mode ? tunecrate::countRoom(argv[1], *mode, tunecrate::fsPath(argv[1]).parent_path(),
                                        argv[2], windowsRules, record ? &*record : nullptr, false,
                                        std::nullopt, {}, [] { return true; })
                 : std::nullopt;
        if (!room) {
            return 1;
        }
        std::printf("%d entries, %llu bytes needed, %llu free\n", room->entries,
                    static_cast<unsigned long long>(room->needed),
                    static_cast<unsigned long long>(room->free.value_or(0)));
        return 0;
    }
    tunecrate::bench::NullWindow window(argv[1], argv[2], withPlaylist, numbered);
    tunecrate::ApplyLanguage("English", window);
    tunecrate::runExport(window);
    std::printf("%zu log lines, %zu log bytes\n", window.logLines(), window.logBytes());
    if (showLog) {
        window.writeLog(stdout);
    }
    return 0;
}
