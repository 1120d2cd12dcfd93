#pragma once

#include "FolderListings.h"
#include "PlatformCopy.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tunecrate {

// folder, the platform's separator and bareName, numbered as the same-name
// rule numbers: 2 makes "song.mp3" "song (2).mp3".
[[nodiscard]] std::string numberedPath(const std::string& folder, std::string_view bareName,
                                       int number);

// Where one run puts each entry. Normally the target folder, the platform's
// separator and the bare name; but when that path reaches a file this run has
// already written from a different source (FolderListings says which do), the
// later file goes to "name (2).ext", then (3) and so on, instead of silently
// replacing the earlier one. The same source listed again keeps its path and
// its number, a number goes on from the highest its name took, and files from
// earlier runs are replaced as usual.
class WrittenDestinations {
public:
    struct Destination {
        std::string path;
        int number = 1; // 1: the plain name
        // What the look that chose path saw there; Unknown when none was needed.
        platform::KnownDestination seen = platform::KnownDestination::Unknown;
    };

    explicit WrittenDestinations(const FileLookup& lookup) : listings_(lookup) {}

    [[nodiscard]] Destination resolve(const std::string& folder, std::string_view bareName,
                                      std::string_view source);
    // After a successful copy of size bytes to written.path (the copy knows
    // the size, so the file system is not asked again); written.seen says
    // what was there before, when anyone looked.
    void remember(const std::string& folder, std::string_view bareName, std::string_view source,
                  const Destination& written, std::uint64_t size);

private:
    // The numbers that one plain path's name took in this run.
    struct Numbers {
        int highest = 1;
        std::unordered_map<std::string, int> ofSource; // source, as compared -> its number
    };

    FolderListings listings_;
    std::unordered_map<std::string, Numbers> numbered_; // plain path, as compared -> its numbers
};

} // namespace tunecrate
