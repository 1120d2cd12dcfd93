#include "WrittenDestinations.h"

#include "Paths.h"

#include <algorithm>
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

std::uint64_t mix(std::uint64_t value)
{
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

// Of a file's volume with its number and change time, or with its size.
std::uint64_t identityKey(const platform::FileFacts& facts)
{
    return mix(mix(mix(facts.volume) ^ facts.file) ^ facts.changed);
}
std::uint64_t sizeKey(const platform::FileFacts& facts)
{
    return mix(mix(facts.volume ^ 0x9E3779B97F4A7C15ull) ^ facts.size);
}

class SystemFileLookup final : public FileLookup {
public:
    std::optional<platform::FileFacts> facts(const std::string& path) const override
    {
        if (holdsNul(path)) {
            return std::nullopt;
        }
        return platform::fileFacts(fsPath(path));
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
    if (const auto owner = sourceOf_.find(fingerprint(pathFor(folder, name)));
        owner != sourceOf_.end()) {
        return owner->second != source;
    }
    return reachesFileOfOther(folder, name, source);
}

bool WrittenDestinations::reachesFileOfOther(const std::string& folder, const std::string& name,
                                             std::uint64_t source) const
{
    if (fileOf_.empty()) {
        return false;
    }
    const auto facts = lookup_.facts(pathFor(folder, name));
    if (!facts) {
        return false;
    }
    if (const auto owner = fileOf_.find(identityKey(*facts)); owner != fileOf_.end()) {
        return owner->second != source;
    }
    // Written paths of other sources whose files have the size of this one.
    std::vector<std::uint64_t> candidates;
    const auto [first, last] = sizeOf_.equal_range(sizeKey(*facts));
    for (auto owner = first; owner != last; ++owner) {
        if (owner->second.first != source) {
            candidates.push_back(owner->second.second);
        }
    }
    if (candidates.empty()) {
        return false;
    }
    const std::vector<std::string> listed = lookup_.names(folder);
    if (std::find(listed.begin(), listed.end(), name) == listed.end()) {
        return true; // a spelling of a listed file, and it could be one of ours
    }
    std::unordered_set<std::uint64_t> listedPaths;
    for (const std::string& entry : listed) {
        listedPaths.insert(fingerprint(pathFor(folder, entry)));
    }
    // A candidate not listed under its own spelling may be the file this name reaches.
    return std::any_of(candidates.begin(), candidates.end(),
                       [&](std::uint64_t path) { return !listedPaths.contains(path); });
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
                                   std::string_view source, const Destination& written)
{
    const std::uint64_t sourceKey = fingerprint(source);
    const std::uint64_t pathKey = fingerprint(written.path);
    sourceOf_[pathKey] = sourceKey;
    if (const auto facts = lookup_.facts(written.path)) {
        fileOf_[identityKey(*facts)] = sourceKey;
        const std::pair<std::uint64_t, std::uint64_t> owner{sourceKey, pathKey};
        const auto [first, last] = sizeOf_.equal_range(sizeKey(*facts));
        if (std::find_if(first, last, [&](const auto& known) { return known.second == owner; }) ==
            last) {
            sizeOf_.emplace(sizeKey(*facts), owner);
        }
    }
    if (written.number > 1) {
        const std::string plainPath = pathFor(folder, bareName);
        numberOf_[pairKey(plainPath, source)] = written.number;
        int& highest = highestNumber_[fingerprint(plainPath)];
        highest = std::max(highest, written.number);
    }
}

} // namespace tunecrate
