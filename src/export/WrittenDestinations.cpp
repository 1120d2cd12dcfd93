#include "WrittenDestinations.h"

#include "Paths.h"
#include "Platform.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <unordered_set>

namespace tunecrate {
namespace {

constexpr char separator = static_cast<char>(std::filesystem::path::preferred_separator);

// Of a path or a source: two spellings of one file give the same fingerprint.
std::uint64_t fingerprint(std::string_view path, std::uint64_t seed = 14695981039346656037ull)
{
    std::uint64_t hash = seed;
    for (const char c : platform::comparablePath(path)) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

std::uint64_t pairKey(std::string_view plainPath, std::string_view source)
{
    return fingerprint(source, fingerprint(plainPath) ^ 0x9E3779B97F4A7C15ull);
}

// 2^19 bits: 64 KiB, and a stray match for about one size in fifty after
// 10,000 files.
constexpr std::size_t sizeBitCount = std::size_t{1} << 19;

std::size_t sizeBit(std::uint64_t size)
{
    size = (size ^ (size >> 30)) * 0xBF58476D1CE4E5B9ull;
    size = (size ^ (size >> 27)) * 0x94D049BB133111EBull;
    return (size ^ (size >> 31)) % sizeBitCount;
}

class SystemFileLookup final : public FileLookup {
public:
    std::optional<std::uint64_t> size(const std::string& path) const override
    {
        if (holdsNul(path)) {
            return std::nullopt;
        }
        return platform::entrySize(fsPath(path));
    }
    std::vector<std::string> names(const std::string& folder) const override
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
};

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

const FileLookup& systemFileLookup()
{
    static const SystemFileLookup lookup;
    return lookup;
}

bool WrittenDestinations::takenByOther(const std::string& folder, const std::string& name,
                                       std::uint64_t source) const
{
    if (const auto written = writtenAt_.find(fingerprint(pathFor(folder, name)));
        written != writtenAt_.end()) {
        return written->second.source != source;
    }
    return reachesFileOfOther(folder, name, source);
}

bool WrittenDestinations::sizeWritten(std::uint64_t size) const
{
    const std::size_t bit = sizeBit(size);
    return !sizeBits_.empty() && (sizeBits_[bit / 64] & (std::uint64_t{1} << (bit % 64))) != 0;
}

bool WrittenDestinations::reachesFileOfOther(const std::string& folder, const std::string& name,
                                             std::uint64_t source) const
{
    if (writtenAt_.empty()) {
        return false;
    }
    const auto size = lookup_.size(pathFor(folder, name));
    if (!size || !sizeWritten(*size)) {
        return false;
    }
    // The files of this run, from other sources, that the name may reach.
    std::unordered_set<std::uint64_t> candidates;
    for (const auto& [path, written] : writtenAt_) {
        if (written.size == *size && written.source != source) {
            candidates.insert(path);
        }
    }
    if (candidates.empty()) {
        return false;
    }
    const std::vector<std::string> listed = lookup_.names(folder);
    if (std::find(listed.begin(), listed.end(), name) == listed.end()) {
        return true; // another spelling of a listed file, which may be one of them
    }
    // A candidate the folder lists under its own spelling is not this entry.
    for (const std::string& entry : listed) {
        candidates.erase(fingerprint(pathFor(folder, entry)));
    }
    return !candidates.empty();
}

WrittenDestinations::Destination WrittenDestinations::resolve(const std::string& folder,
                                                              std::string_view bareName,
                                                              std::string_view source) const
{
    const std::uint64_t sourceKey = fingerprint(source);
    const std::string plainPath = pathFor(folder, bareName);
    if (!takenByOther(folder, std::string(bareName), sourceKey)) {
        return {plainPath, 1};
    }
    if (const auto known = numberOf_.find(pairKey(plainPath, source)); known != numberOf_.end()) {
        return {pathFor(folder, nameFor(bareName, known->second)), known->second};
    }
    const auto highest = highestNumber_.find(fingerprint(plainPath));
    int number = highest == highestNumber_.end() ? 2 : highest->second + 1;
    // A playlist may itself name a "song (2).mp3" that this run already wrote.
    while (takenByOther(folder, nameFor(bareName, number), sourceKey)) {
        ++number;
    }
    return {pathFor(folder, nameFor(bareName, number)), number};
}

void WrittenDestinations::remember(const std::string& folder, std::string_view bareName,
                                   std::string_view source, const Destination& written,
                                   std::uint64_t size)
{
    writtenAt_[fingerprint(written.path)] = {fingerprint(source), size};
    if (sizeBits_.empty()) {
        sizeBits_.resize(sizeBitCount / 64);
    }
    const std::size_t bit = sizeBit(size);
    sizeBits_[bit / 64] |= std::uint64_t{1} << (bit % 64);
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
