#pragma once

#include "drive/Flush.h"
#include "playlist/Playlist.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tunecrate {

// The playlist a run writes beside its copies, so that a player on the stick
// or phone finds the songs in their order. It lists, in playlist order, every
// entry whose copy arrived, by its name in the folder, and every network URL
// as it stands, each after the length and title the playlist gave it (an M3U
// entry's last #EXTINF line, PLS's Length n and Title n). Failed entries are
// left out; other directives and comments are not carried.
class WrittenPlaylist {
public:
    explicit WrittenPlaylist(PlaylistMode mode) : mode_(mode) {}

    // A line that is no entry: it may hold the next entry's length and title.
    void noteLine(std::string_view line);
    // An entry that names no local file: kept as it stands.
    void keepAsWritten(std::string_view line, std::string_view candidate);
    // An entry whose copy is at path, in folder; left out when the name there
    // holds a line break or is not UTF-8.
    void addCopy(std::string_view line, const std::string& folder, std::string_view path);
    // An entry whose copy failed: left out, its length and title with it.
    void leaveOut();

    // The playlist for the copies in folder: UTF-8, lines ended as this
    // system's players expect.
    [[nodiscard]] std::string text(const std::string& folder) const;

private:
    struct Entry {
        std::string info; // M3U: the #EXTINF line; PLS: the entry's number
        std::string location;
        int folder = -1; // index in folders_; -1 for a URL, which stays in any
    };
    void add(std::string_view line, std::string location, int folder);

    PlaylistMode mode_;
    std::string pendingInfo_;
    std::vector<Entry> entries_;
    std::vector<std::string> folders_; // comparable paths
    std::map<std::string, std::string, std::less<>> titles_;
    std::map<std::string, std::string, std::less<>> lengths_;
};

struct PlacedPlaylist {
    std::string path;
    Outcome outcome = Failure{Reason::System};
    bool written = false; // false where the file held text already
};

// Writes text into folder as name. A file of that name that this program
// wrote is replaced, or left untouched when it already holds text; any other
// file (the user's own playlist, the playlist being read) is never replaced:
// the text goes to the next free "name (2)", "name (3)". An empty folder
// writes nothing. Written as copies are (platform::writeWholeFile), its data
// on the drive before its name where copies' are (flushFirst); windowsRules:
// folder's drive follows Windows' rules.
[[nodiscard]] PlacedPlaylist placePlaylist(const std::string& folder, std::string_view name,
                                           std::string_view text,
                                           const std::filesystem::path& playlistRead,
                                           bool windowsRules, bool flushFirst,
                                           const platform::WhileWaiting& whileWaiting);

} // namespace tunecrate
