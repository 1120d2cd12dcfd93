#pragma once

#include "drive/Copy.h"
#include "drive/Drive.h"
#include "folder/FolderListings.h"
#include "folder/PlaylistSources.h"
#include "folder/RecordedFolders.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tunecrate {

// folder, the platform's separator and bareName as the drive takes it
// (driveSafeName), numbered as the same-name rule numbers: 2 makes
// "song.mp3" "song (2).mp3".
[[nodiscard]] std::string numberedPath(const std::string& folder, std::string_view bareName,
                                       int number, bool windowsRules);

// Where the runs under way put each entry. Normally the target folder, the
// platform's separator and the bare name as the folder's drive takes it
// (driveSafeName: on a Windows-rule drive, "What Is Love?.mp3" becomes
// "What Is Love_.mp3"); but when that path reaches a file
// these runs have already written from a different source (FolderListings
// says which do), or one whose record names it for a different source, the
// later file goes to "name (2).ext", then (3) and so on, instead of silently
// replacing the earlier one. The same source listed again keeps its path and
// its number, a number goes on from the highest its name took, and files from
// earlier runs are replaced as usual.
//
// A name made safe for the drive never replaces a file there that is not
// its source's copy: it takes a number instead.
//
// Where the folder keeps a record of what earlier runs put there
// (RecordedFolders), a name it gives to another source, or whose file no
// longer matches what it recorded, is never replaced either; a name it gives
// to this very source is this source's to replace.
//
// Nor is a file that is the source of one of the playlist's entries
// (PlaylistSources): the entry whose source it is keeps it where it is, any
// other takes a number.
//
// A run started while another waits (Save pressed again during a copy) shares
// the memory of the run it interrupts, so that two runs never give one name
// to two sources.
class WrittenDestinations {
public:
    struct Destination {
        std::string path;
        int number = 1; // 1: the plain name
        // What the look that chose path saw there; Unknown when none was needed.
        platform::KnownDestination seen = platform::KnownDestination::Unknown;
        // The folder's record has the source's copy there, as the source is now.
        bool held = false;
        // The file there is the source itself: a song in the folder it is
        // exported into.
        bool isSource = false;
    };

    // windowsRules tells whether a folder's drive takes two names that differ
    // in case for one.
    explicit WrittenDestinations(
        const FileLookup& lookup,
        std::function<bool(const std::string&)> windowsRules = followsWindowsRules,
        RecordedFolders* records = nullptr);

    [[nodiscard]] Destination resolve(const std::string& folder, std::string_view bareName,
                                      std::string_view source, PlaylistSources* sources = nullptr);
    // Once the record names written.path for source, and until its copy has
    // ended (release): meanwhile the name counts as taken for any other
    // source. A copy that arrived is remembered, which keeps it taken.
    void reserve(const std::string& folder, std::string_view source, const Destination& written);
    void release(const std::string& folder, const Destination& written);
    // After a successful copy of size bytes to written.path (the copy knows
    // the size, so the file system is not asked again); written.seen says
    // what was there before, when anyone looked.
    void remember(const std::string& folder, std::string_view bareName, std::string_view source,
                  const Destination& written, std::uint64_t size);

private:
    // What path reaches for an entry from source: otherSource where it may
    // not be written; recorded where the folder's record has the source's
    // copy there, held where that copy holds the source as it is now.
    struct Reach {
        bool otherSource = false;
        platform::KnownDestination seen = platform::KnownDestination::Unknown;
        bool recorded = false;
        bool held = false;
        bool isSource = false;
    };
    [[nodiscard]] Reach reach(const std::string& folder, const std::string& name,
                              const std::string& path, std::string_view source, bool madeSafe,
                              PlaylistSources* sources);
    [[nodiscard]] bool rulesOf(const std::string& folder);
    // The number of the name folder's record gives source's copy; 1 for none.
    [[nodiscard]] int recordedNumber(const std::string& folder, const std::string& safeName,
                                     std::string_view source);
    // The path as the folder's drive compares names.
    [[nodiscard]] std::string reservationKey(const std::string& folder, const std::string& path);

    // The numbers that one plain path's name took in this run.
    struct Numbers {
        int highest = 1;
        std::unordered_map<std::string, int> ofSource; // source, as compared -> its number
    };

    const FileLookup& lookup_;
    RecordedFolders* records_;
    FolderListings listings_;
    std::unordered_map<std::string, Numbers> numbered_; // plain path, as compared -> its numbers
    struct Reservation {
        std::string source; // as compared
        int copies = 0;     // under way: runs nest, and may copy one source to one name
    };
    std::unordered_map<std::string, Reservation> reserved_; // path, as its drive compares it
    std::function<bool(const std::string&)> windowsRules_;
    std::unordered_map<std::string, bool> rulesOf_; // folder -> its drive follows Windows' rules
};

} // namespace tunecrate
