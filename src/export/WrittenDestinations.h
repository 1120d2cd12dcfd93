#pragma once

#include "PlatformCopy.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tunecrate {

// What WrittenDestinations asks the file system about the target folder.
class FileLookup {
public:
    virtual ~FileLookup() = default;
    // The size of the file that path reaches, under whatever spelling the file
    // system stores it; nothing when no file is there.
    [[nodiscard]] virtual std::optional<std::uint64_t> size(const std::string& path) const = 0;
    // The names the folder lists, spelled as the file system stores them.
    [[nodiscard]] virtual std::vector<std::string> names(const std::string& folder) const = 0;
};

// The file system itself, through the platform.
class SystemFileLookup final : public FileLookup {
public:
    [[nodiscard]] std::optional<std::uint64_t> size(const std::string& path) const override;
    [[nodiscard]] std::vector<std::string> names(const std::string& folder) const override;
};

// folder, the platform's separator and bareName, numbered as the same-name
// rule numbers: 2 makes "song.mp3" "song (2).mp3".
[[nodiscard]] std::string numberedPath(const std::string& folder, std::string_view bareName,
                                       int number);

// Where one run puts each entry. Normally the target folder, the platform's
// separator and the bare name; but when that path reaches a file this run has
// already written from a different source, the later file goes to
// "name (2).ext", then (3) and so on, instead of silently replacing the earlier
// one. The same source listed again keeps its path, and files from earlier runs
// are replaced as usual.
//
// Whether a path reaches a file of this run is the file system's to say, not a
// comparison of names: on FAT, exFAT or NTFS "Song.mp3" reaches the "song.mp3"
// written before it, on ext4 it does not, and FAT drivers differ in what else
// they fold. File numbers cannot tell either: FUSE drivers number each spelling
// on its own, FAT renumbers a file that dropped out of the cache, and ext4 hands
// a freed number to the next new file. So a path that reaches a file with the
// size of a file this run wrote from another source is looked up in the
// folder's listing: when the folder does not list it under this spelling, or
// lists it but not such a file of this run under that file's own spelling, it
// counts as taken. At worst an earlier run's file then gets a numbered
// neighbour instead of being replaced; nothing this run wrote is lost.
//
// Each folder is listed once, when a name there first needs it, and the run
// keeps that listing up to date with its own writes: a file it creates where
// nothing was is added under its name, one it writes under a listed name
// changes nothing. A file written under a name the listing lacks, over a file
// already there, may be stored under either spelling, so the folder is listed
// afresh when next needed. Names that others create during the run are missing
// from the listing and therefore count as taken.
//
// Paths, sources and sizes are kept as 64-bit numbers, a few dozen bytes per
// copied entry besides the names of the listed folders, and each entry costs
// the same however many files share its size or its name.
class WrittenDestinations {
public:
    struct Destination {
        std::string path;
        int number = 1; // 1: the plain name
        // What the look that chose path saw there; Unknown when none was needed.
        platform::KnownDestination seen = platform::KnownDestination::Unknown;
    };

    explicit WrittenDestinations(const FileLookup& lookup) : lookup_(lookup) {}

    [[nodiscard]] Destination resolve(const std::string& folder, std::string_view bareName,
                                      std::string_view source) const;
    // After a successful copy of size bytes to written.path (the copy knows
    // the size, so the file system is not asked again); written.seen says
    // what was there before, when anyone looked.
    void remember(const std::string& folder, std::string_view bareName, std::string_view source,
                  const Destination& written, std::uint64_t size);

private:
    // Whether a path reaches a file this run wrote from another source, and
    // what a look there saw, when one was needed.
    struct Taken {
        bool byOther = false;
        platform::KnownDestination seen = platform::KnownDestination::Unknown;
    };
    // name in folder, reached by path.
    [[nodiscard]] Taken takenByOther(const std::string& folder, const std::string& name,
                                     const std::string& path, std::uint64_t source) const;
    [[nodiscard]] Taken reachesFileOfOther(const std::string& folder, const std::string& name,
                                           const std::string& path, std::uint64_t source) const;
    [[nodiscard]] bool writtenFromOther(std::uint64_t size, std::uint64_t source) const;

    struct Written {
        std::uint64_t source = 0; // fingerprint
        std::uint64_t size = 0;
    };
    using WrittenAt = std::unordered_map<std::uint64_t, std::uint64_t>; // path -> source

    // What a folder lists, as far as the run knows.
    struct Listing {
        std::unordered_set<std::string> names;
        std::unordered_set<std::uint64_t> paths;
        // By size, the files of this run that the listing lacks under their own spelling.
        std::unordered_map<std::uint64_t, WrittenAt> unlisted;
    };
    Listing& listing(const std::string& folder) const;
    void forget(std::uint64_t path);

    const FileLookup& lookup_;
    std::unordered_map<std::uint64_t, Written> writtenAt_; // path -> what this run wrote there
    // size -> source -> how many paths this run wrote with it
    std::unordered_map<std::uint64_t, std::unordered_map<std::uint64_t, int>> sourcesOfSize_;
    mutable std::unordered_map<std::string, Listing> listings_; // folder -> listing
    std::unordered_map<std::uint64_t, int> numberOf_;           // plain path and source -> number
    std::unordered_map<std::uint64_t, int> highestNumber_;      // plain path -> highest number
};

} // namespace tunecrate
