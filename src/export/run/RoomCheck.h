#pragma once

#include "folder/FolderRecord.h"
#include "playlist/Playlist.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace tunecrate {

// What an export will write into its target folder, counted before its first
// copy, beside the room its drive has.
struct Room {
    std::uint64_t needed = 0;
    std::optional<std::uint64_t> free; // nothing where the drive does not tell
    int entries = 0;                   // the playlist's entries that name a file
};

// Called for each entry that names a file, with its number, counted from 1.
using EachEntry = std::function<void(int number, const std::string& source)>;

// Reads the playlist once and sums, for every entry that names a file, what
// its copy will take on folder's drive: its size rounded up to the drive's
// clusters. A copy the re-export check would skip (the same size there, and a
// time that matches) counts nothing; one that replaces a file counts whole,
// since the old file stays until the new one is complete. A source named
// again counts once, unless numbered copies give it a copy for each entry; a
// source larger than largestFile counts nothing, since it is never copied
// there. One look at the source and one at the destination where the folder
// lists its name, no file read; where the folder's record has a copy of the
// source that is still there, from the source as it is now, the record's word
// is taken for it. numbered: copies are named as numberedName names them.
// keepGoing is asked at least every 50 ms and stops the count (nothing) when
// it says no.
[[nodiscard]] std::optional<Room>
countRoom(const std::string& playlistPath, PlaylistMode mode,
          const std::filesystem::path& playlistFolder, const std::string& folder, bool windowsRules,
          const FolderRecord* record, bool numbered, std::optional<std::uint64_t> largestFile,
          const EachEntry& eachEntry, const std::function<bool()>& keepGoing);

// "Not enough room on the drive: 3.2 GB needed, 2.1 GB free." in the interface
// language: gigabytes of 10^9 bytes with one decimal, megabytes below one.
[[nodiscard]] std::string roomSentence(const Room& room);

} // namespace tunecrate
