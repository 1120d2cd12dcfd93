#include "WrittenDestinations.h"

#include "Paths.h"
#include "PlatformCopy.h"
#include "PlatformFiles.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace tunecrate {
namespace {

constexpr char separator = static_cast<char>(std::filesystem::path::preferred_separator);

std::uint64_t hashOf(std::string_view bytes, std::uint64_t seed)
{
    std::uint64_t hash = seed;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

// Of a path or a source: two spellings of one file give the same fingerprint.
std::uint64_t fingerprint(std::string_view path, std::uint64_t seed = 14695981039346656037ull)
{
    if constexpr (platform::pathsCompareAsBytes) {
        return hashOf(path, seed);
    } else {
        return hashOf(platform::comparablePath(path), seed);
    }
}

std::uint64_t pairKey(std::string_view plainPath, std::string_view source)
{
    return fingerprint(source, fingerprint(plainPath) ^ 0x9E3779B97F4A7C15ull);
}

// "song.mp3" numbered 2 is "song (2).mp3"; a name without extension, or a
// dot-file, takes the number at its end.
std::string nameFor(std::string_view bareName, int number)
{
    if (number == 1) {
        return std::string(bareName);
    }
    std::size_t dot = bareName.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        dot = bareName.size();
    }
    std::string name(bareName.substr(0, dot));
    name += " (" + std::to_string(number) + ")";
    name += bareName.substr(dot);
    return name;
}

std::string pathFor(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    path += separator;
    path += name;
    return path;
}

} // namespace

std::optional<std::uint64_t> SystemFileLookup::size(const std::string& path) const
{
    return holdsNul(path) ? std::nullopt : platform::entrySize(path);
}

std::vector<std::string> SystemFileLookup::names(const std::string& folder) const
{
    std::vector<std::string> names;
    if (holdsNul(folder)) {
        return names;
    }
    std::error_code error;
    for (std::filesystem::directory_iterator entry(fsPath(folder), error), end;
         !error && entry != end; entry.increment(error)) {
        names.push_back(utf8Text(entry->path().filename()));
    }
    return names;
}

WrittenDestinations::Taken WrittenDestinations::takenByOther(const std::string& folder,
                                                             const std::string& name,
                                                             const std::string& path,
                                                             std::uint64_t source) const
{
    if (const auto written = writtenAt_.find(fingerprint(path)); written != writtenAt_.end()) {
        return {.byOther = written->second.source != source};
    }
    return reachesFileOfOther(folder, name, path, source);
}

bool WrittenDestinations::writtenFromOther(std::uint64_t size, std::uint64_t source) const
{
    const auto sources = sourcesOfSize_.find(size);
    return sources != sourcesOfSize_.end() &&
           (sources->second.size() > 1 ||
            (sources->second.size() == 1 && sources->second.begin()->first != source));
}

WrittenDestinations::Listing& WrittenDestinations::listing(const std::string& folder) const
{
    const auto [known, added] = listings_.try_emplace(folder);
    Listing& listing = known->second;
    if (added) {
        for (std::string& name : lookup_.names(folder)) {
            listing.paths.insert(fingerprint(pathFor(folder, name)));
            listing.names.insert(std::move(name));
        }
        for (const auto& [path, written] : writtenAt_) {
            if (!listing.paths.contains(path)) {
                listing.unlisted[written.size][path] = written.source;
            }
        }
    }
    return listing;
}

WrittenDestinations::Taken WrittenDestinations::reachesFileOfOther(const std::string& folder,
                                                                   const std::string& name,
                                                                   const std::string& path,
                                                                   std::uint64_t source) const
{
    if (writtenAt_.empty()) {
        return {};
    }
    const auto size = lookup_.size(path);
    if (!size) {
        return {.seen = platform::KnownDestination::Absent};
    }
    Taken taken{.seen = platform::KnownDestination::Present};
    if (!writtenFromOther(*size, source)) {
        return taken;
    }
    const Listing& listed = listing(folder);
    if (!listed.names.contains(name)) {
        // Another spelling of a listed file, which may be one of this run.
        taken.byOther = true;
        return taken;
    }
    // A file of this run that the folder lists under its own spelling is not this entry.
    const auto unlisted = listed.unlisted.find(*size);
    taken.byOther = unlisted != listed.unlisted.end() &&
                    std::any_of(unlisted->second.begin(), unlisted->second.end(),
                                [source](const auto& written) { return written.second != source; });
    return taken;
}

WrittenDestinations::Destination WrittenDestinations::resolve(const std::string& folder,
                                                              std::string_view bareName,
                                                              std::string_view source) const
{
    const std::uint64_t sourceKey = fingerprint(source);
    std::string plainPath = pathFor(folder, bareName);
    if (const Taken plain = takenByOther(folder, std::string(bareName), plainPath, sourceKey);
        !plain.byOther) {
        return {std::move(plainPath), 1, plain.seen};
    }
    if (const auto known = numberOf_.find(pairKey(plainPath, source)); known != numberOf_.end()) {
        return {pathFor(folder, nameFor(bareName, known->second)), known->second};
    }
    const auto highest = highestNumber_.find(fingerprint(plainPath));
    // A playlist may itself name a "song (2).mp3" that this run already wrote.
    for (int number = highest == highestNumber_.end() ? 2 : highest->second + 1;; ++number) {
        const std::string name = nameFor(bareName, number);
        std::string path = pathFor(folder, name);
        if (const Taken numbered = takenByOther(folder, name, path, sourceKey); !numbered.byOther) {
            return {std::move(path), number, numbered.seen};
        }
    }
}

void WrittenDestinations::forget(std::uint64_t path)
{
    const auto known = writtenAt_.find(path);
    if (known == writtenAt_.end()) {
        return;
    }
    const auto [source, size] = known->second;
    auto& sources = sourcesOfSize_[size];
    if (--sources[source] == 0) {
        sources.erase(source);
    }
    for (auto& [folder, listing] : listings_) {
        listing.unlisted[size].erase(path);
    }
    writtenAt_.erase(known);
}

void WrittenDestinations::remember(const std::string& folder, std::string_view bareName,
                                   std::string_view source, const Destination& written,
                                   std::uint64_t size)
{
    const std::uint64_t path = fingerprint(written.path);
    const std::uint64_t sourceKey = fingerprint(source);
    forget(path);
    writtenAt_[path] = {sourceKey, size};
    ++sourcesOfSize_[size][sourceKey];

    const std::string name = nameFor(bareName, written.number);
    if (const auto known = listings_.find(folder);
        known != listings_.end() && !known->second.names.contains(name)) {
        if (written.seen == platform::KnownDestination::Absent) {
            known->second.names.insert(name);
            known->second.paths.insert(path);
        } else {
            listings_.erase(known);
        }
    }
    for (auto& [listedFolder, listing] : listings_) {
        if (!listing.paths.contains(path)) {
            listing.unlisted[size][path] = sourceKey;
        }
    }

    if (written.number > 1) {
        const std::string plainPath = pathFor(folder, bareName);
        numberOf_[pairKey(plainPath, source)] = written.number;
        int& highest = highestNumber_[fingerprint(plainPath)];
        highest = std::max(highest, written.number);
    }
}

std::string numberedPath(const std::string& folder, std::string_view bareName, int number)
{
    return pathFor(folder, nameFor(bareName, number));
}

} // namespace tunecrate
