#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tunecrate {

// Where one run puts each entry. Normally the target folder, the platform's
// separator and the bare name; but when this run has already written that path
// from a different source, the later file goes to "name (2).ext", then (3) and
// so on, instead of silently replacing the earlier one. The same source listed
// again keeps its path, and files from earlier runs are replaced as usual.
//
// Paths and sources are kept as 64-bit fingerprints, a few bytes per copied
// entry, and finding a free number costs the same however many share a name.
class WrittenDestinations {
public:
    struct Destination {
        std::string path;
        int number = 1; // 1: the plain name
    };

    [[nodiscard]] Destination resolve(const std::string& folder, std::string_view bareName,
                                      std::string_view source) const;
    void remember(const std::string& folder, std::string_view bareName, std::string_view source,
                  const Destination& written);

private:
    [[nodiscard]] bool takenByOther(const std::string& path, std::uint64_t source) const;

    std::unordered_map<std::uint64_t, std::uint64_t> sourceOf_; // path -> source
    std::unordered_map<std::uint64_t, int> numberOf_;           // plain path and source -> number
    std::unordered_map<std::uint64_t, int> highestNumber_;      // plain path -> highest number
};

} // namespace tunecrate
