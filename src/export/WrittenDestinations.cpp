#include "WrittenDestinations.h"

#include "Platform.h"

#include <algorithm>
#include <filesystem>

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

// "song.mp3" numbered 2 is "song (2).mp3"; a name without extension, or a
// dot-file, takes the number at its end.
std::string pathFor(const std::string& folder, std::string_view bareName, int number)
{
    std::string path = folder;
    path += separator;
    if (number == 1) {
        path += bareName;
        return path;
    }
    std::size_t dot = bareName.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        dot = bareName.size();
    }
    path += bareName.substr(0, dot);
    path += " (" + std::to_string(number) + ")";
    path += bareName.substr(dot);
    return path;
}

} // namespace

bool WrittenDestinations::takenByOther(const std::string& path, std::uint64_t source) const
{
    const auto owner = sourceOf_.find(fingerprint(path));
    return owner != sourceOf_.end() && owner->second != source;
}

WrittenDestinations::Destination WrittenDestinations::resolve(const std::string& folder,
                                                              std::string_view bareName,
                                                              std::string_view source) const
{
    const std::uint64_t sourceKey = fingerprint(source);
    Destination plain{pathFor(folder, bareName, 1), 1};
    if (!takenByOther(plain.path, sourceKey)) {
        return plain;
    }
    if (const auto known = numberOf_.find(pairKey(plain.path, source)); known != numberOf_.end()) {
        return {pathFor(folder, bareName, known->second), known->second};
    }
    const auto highest = highestNumber_.find(fingerprint(plain.path));
    int number = highest == highestNumber_.end() ? 2 : highest->second + 1;
    // A playlist may itself name a "song (2).mp3" that this run already wrote.
    while (takenByOther(pathFor(folder, bareName, number), sourceKey)) {
        ++number;
    }
    return {pathFor(folder, bareName, number), number};
}

void WrittenDestinations::remember(const std::string& folder, std::string_view bareName,
                                   std::string_view source, const Destination& written)
{
    sourceOf_[fingerprint(written.path)] = fingerprint(source);
    if (written.number > 1) {
        const std::string plainPath = pathFor(folder, bareName, 1);
        numberOf_[pairKey(plainPath, source)] = written.number;
        int& highest = highestNumber_[fingerprint(plainPath)];
        highest = std::max(highest, written.number);
    }
}

} // namespace tunecrate
