#pragma once

#include "drive/Copy.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tunecrate {

// What FolderListings asks the file system about the target folder.
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

// The files one run wrote and, as far as the run knows, what each folder
// lists: whether a path reaches a file of this run that came from another
// source.
//
// That is the file system's to say, not a comparison of names: on FAT, exFAT
// or NTFS "Song.mp3" reaches the "song.mp3" written before it, on ext4 it does
// not, and FAT drivers differ in what else they fold. File numbers cannot tell
// either: FUSE drivers number each spelling on its own, FAT renumbers a file
// that dropped out of the cache, and ext4 hands a freed number to the next new
// file. So a path that reaches a file with the size of a file this run wrote
// from another source is looked up in the folder's listing: when the folder
// does not list it under this spelling, or lists it but not such a file of
// this run under that file's own spelling, it counts as taken. At worst an
// earlier run's file then gets a numbered neighbour instead of being replaced;
// nothing this run wrote is lost.
//
// Each folder is listed once, when a name there first needs it, and the run
// keeps that listing up to date with its own writes: a file it creates where
// nothing was is added under its name, one it writes under a listed name
// changes nothing. A file written under a name the listing lacks, over a file
// already there, may be stored under either spelling, so the folder is listed
// afresh when next needed. Names that others create during the run are missing
// from the listing and therefore count as taken.
//
// Folders, names and sources are kept as the text they compare by
// (platform::comparablePath): each folder of this run's files once, each name
// once in its folder, each source once for every size it was copied at.
class FolderListings {
public:
    // What a path reaches, as far as it needs a look to tell.
    struct Reach {
        bool otherSource = false; // a file this run wrote from another source
        // What the look at the path saw; Unknown when none was needed.
        platform::KnownDestination seen = platform::KnownDestination::Unknown;
    };

    explicit FolderListings(const FileLookup& lookup) : lookup_(lookup) {}

    // What name in folder, which is path, reaches for an entry from source.
    // looked: the size of what is at path, where the caller has just looked
    // (nothing inside for no file), so that it is not looked at again.
    [[nodiscard]] Reach reach(const std::string& folder, const std::string& name,
                              const std::string& path, std::string_view source,
                              std::optional<std::optional<std::uint64_t>> looked = std::nullopt);
    // After a copy of size bytes from source to name in folder; seen: what
    // was there before, as far as anyone looked.
    void remember(const std::string& folder, const std::string& name, std::string_view source,
                  std::uint64_t size, platform::KnownDestination seen);

private:
    // Hashes a string or a view alike, so that a set of strings is searched by views.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept
        {
            return std::hash<std::string_view>{}(text);
        }
    };
    using Names = std::unordered_set<std::string, TextHash, std::equal_to<>>;

    struct Written {
        std::string_view source;
        std::uint64_t size = 0;
    };
    using Files = std::unordered_map<std::string_view, Written>; // name -> what this run wrote

    // What a folder lists, as far as the run knows.
    struct Listing {
        std::string folder;  // as compared
        Names names;         // as the folder spells them
        Names comparedNames; // the same as compared, where paths do not compare as bytes
        // By size, the files of this run that the listing lacks under their own spelling.
        std::unordered_map<std::uint64_t, std::unordered_set<const Written*>> unlisted;

        void add(const std::string& name);
        // Whether the listing holds name in folder, both as compared.
        [[nodiscard]] bool holds(std::string_view inFolder, std::string_view name) const;
    };

    [[nodiscard]] bool writtenFromOther(std::uint64_t size, std::string_view source) const;
    Listing& listing(const std::string& folder);
    std::string_view count(const std::string& source, std::uint64_t size);
    void uncount(const Written& written);
    std::string_view keep(std::string_view text);

    const FileLookup& lookup_;
    // What the views below show, each text once, until the run ends.
    std::pmr::monotonic_buffer_resource texts_;
    std::unordered_map<std::string, Files> filesIn_; // folder -> this run's files there
    // size -> source -> how many files this run wrote with it
    std::unordered_map<std::uint64_t, std::unordered_map<std::string_view, int>> sourcesOfSize_;
    std::unordered_map<std::string, Listing> listings_; // folder, as given -> listing
};

} // namespace tunecrate
