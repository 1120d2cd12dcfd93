#include "WrittenDestinations.h"

#include "PlatformFiles.h"
#include "Utf8.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace tunecrate {
namespace {

constexpr char separator = static_cast<char>(std::filesystem::path::preferred_separator);

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

WrittenDestinations::WrittenDestinations(const FileLookup& lookup,
                                         std::function<bool(const std::string&)> windowsRules)
    : listings_(lookup), windowsRules_(std::move(windowsRules))
{}

std::string WrittenDestinations::reservationKey(const std::string& folder, const std::string& path)
{
    auto [rules, added] = rulesOf_.try_emplace(folder);
    if (added) {
        rules->second = windowsRules_(folder);
    }
    std::string key = platform::comparablePath(path);
    return rules->second ? upperCased(key) : key;
}

FolderListings::Reach WrittenDestinations::reach(const std::string& folder, const std::string& name,
                                                 const std::string& path, std::string_view source)
{
    if (!reserved_.empty()) {
        const auto reserved = reserved_.find(reservationKey(folder, path));
        if (reserved != reserved_.end() && reserved->second != platform::comparablePath(source)) {
            return {.otherSource = true};
        }
    }
    return listings_.reach(folder, name, path, source);
}

void WrittenDestinations::reserve(const std::string& folder, std::string_view source,
                                  const Destination& written)
{
    reserved_.try_emplace(reservationKey(folder, written.path), platform::comparablePath(source));
}

WrittenDestinations::Destination WrittenDestinations::resolve(const std::string& folder,
                                                              std::string_view bareName,
                                                              std::string_view source)
{
    std::string plainPath = pathFor(folder, bareName);
    if (const auto plain = reach(folder, std::string(bareName), plainPath, source);
        !plain.otherSource) {
        return {std::move(plainPath), 1, plain.seen};
    }
    int number = 2;
    if (const auto numbers = numbered_.find(platform::comparablePath(plainPath));
        numbers != numbered_.end()) {
        const auto& [highest, ofSource] = numbers->second;
        if (const auto known = ofSource.find(platform::comparablePath(source));
            known != ofSource.end()) {
            return {pathFor(folder, nameFor(bareName, known->second)), known->second};
        }
        number = highest + 1;
    }
    // A playlist may itself name a "song (2).mp3" that this run already wrote.
    for (;; ++number) {
        const std::string name = nameFor(bareName, number);
        std::string path = pathFor(folder, name);
        if (const auto numbered = reach(folder, name, path, source); !numbered.otherSource) {
            return {std::move(path), number, numbered.seen};
        }
    }
}

void WrittenDestinations::remember(const std::string& folder, std::string_view bareName,
                                   std::string_view source, const Destination& written,
                                   std::uint64_t size)
{
    listings_.remember(folder, nameFor(bareName, written.number), source, size, written.seen);
    if (written.number > 1) {
        Numbers& numbers = numbered_[platform::comparablePath(pathFor(folder, bareName))];
        numbers.ofSource[platform::comparablePath(source)] = written.number;
        numbers.highest = std::max(numbers.highest, written.number);
    }
}

std::string numberedPath(const std::string& folder, std::string_view bareName, int number)
{
    return pathFor(folder, nameFor(bareName, number));
}

} // namespace tunecrate
