#pragma once

#include "Platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tunecrate {

// What WrittenDestinations asks the file system about the target folder.
class FileLookup {
public:
    virtual ~FileLookup() = default;
    [[nodiscard]] virtual std::optional<platform::FileFacts>
    facts(const std::string& path) const = 0;
    // The names the folder lists, spelled as the file system stores them.
    [[nodiscard]] virtual std::vector<std::string> names(const std::string& folder) const = 0;
};

// The file system itself, through the platform.
[[nodiscard]] const FileLookup& systemFileLookup();

// Where one run puts each entry. Normally the target folder, the platform's
// separator and the bare name; but when that path reaches a file this run has
// already written from a different source, the later file goes to
// "name (2).ext", then (3) and so on, instead of silently replacing the earlier
// one. The same source listed again keeps its path, and files from earlier runs
// are replaced as usual.
//
// Whether a path reaches a file of this run is decided by the file system, not
// by comparing names: on FAT, exFAT or NTFS "Song.mp3" reaches the "song.mp3"
// written before it, on ext4 it does not. The file's identity (volume, number
// and change time) settles it where the file system keeps one per file. Some give one
// per name instead (FUSE drivers; FAT once a file drops out of the cache): then
// a path that reaches a file with the size of a file this run wrote is looked
// up in the folder's listing. Listed under another spelling, it is taken for
// that file; listed as it is, it is taken for it only while that file is not
// listed under its own spelling. At worst an earlier run's file gets a numbered
// neighbour instead of being replaced; nothing of this run is lost.
//
// Paths, sources and identities are kept as 64-bit fingerprints, a few bytes
// per copied entry, and finding a free number costs the same however many
// share a name.
class WrittenDestinations {
public:
    struct Destination {
        std::string path;
        int number = 1; // 1: the plain name
    };

    explicit WrittenDestinations(const FileLookup& lookup = systemFileLookup()) : lookup_(lookup) {}

    [[nodiscard]] Destination resolve(const std::string& folder, std::string_view bareName,
                                      std::string_view source) const;
    // After a successful copy to written.path.
    void remember(const std::string& folder, std::string_view bareName, std::string_view source,
                  const Destination& written);

private:
    [[nodiscard]] bool takenByOther(const std::string& folder, const std::string& name,
                                    std::uint64_t source) const;
    [[nodiscard]] bool reachesFileOfOther(const std::string& folder, const std::string& name,
                                          std::uint64_t source) const;

    const FileLookup& lookup_;
    std::unordered_map<std::uint64_t, std::uint64_t> sourceOf_; // path -> source
    std::unordered_map<std::uint64_t, std::uint64_t>
        fileOf_; // volume, number, change time -> source
    // volume and size -> source and path, one for each file written
    std::unordered_multimap<std::uint64_t, std::pair<std::uint64_t, std::uint64_t>> sizeOf_;
    std::unordered_map<std::uint64_t, int> numberOf_;      // plain path and source -> number
    std::unordered_map<std::uint64_t, int> highestNumber_; // plain path -> highest number
};

} // namespace tunecrate
