#include "folder/WrittenDestinations.h"

#include "drive/DriveNames.h"
#include "drive/FileOps.h"
#include "files/PlatformFiles.h"
#include "files/Utf8.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace tunecrate {
namespace {

constexpr char separator = static_cast<char>(std::filesystem::path::preferred_separator);

std::string pathFor(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    path += separator;
    path += name;
    return path;
}

} // namespace

WrittenDestinations::WrittenDestinations(const FileLookup& lookup,
                                         std::function<bool(const std::string&)> windowsRules,
                                         RecordedFolders* records)
    : lookup_(lookup), records_(records), listings_(lookup), windowsRules_(std::move(windowsRules))
{}

bool WrittenDestinations::rulesOf(const std::string& folder)
{
    auto [rules, added] = rulesOf_.try_emplace(folder);
    if (added) {
        rules->second = windowsRules_(folder);
    }
    return rules->second;
}

std::string WrittenDestinations::reservationKey(const std::string& folder, const std::string& path)
{
    std::string key = platform::comparablePath(path);
    return rulesOf(folder) ? upperCased(key) : key;
}

WrittenDestinations::Reach WrittenDestinations::reach(const std::string& folder,
                                                      const std::string& name,
                                                      const std::string& path,
                                                      std::string_view source, bool madeSafe,
                                                      PlaylistSources* sources)
{
    if (!reserved_.empty()) {
        const auto reserved = reserved_.find(reservationKey(folder, path));
        if (reserved != reserved_.end() &&
            reserved->second.source != platform::comparablePath(source)) {
            return {.otherSource = true};
        }
    }
    const RecordedFolders::Claim claim =
        records_ ? records_->claim(folder, name, path, source, rulesOf(folder))
                 : RecordedFolders::Claim::None;
    if (claim == RecordedFolders::Claim::Other) {
        return {.otherSource = true};
    }
    const bool recorded =
        claim == RecordedFolders::Claim::Own || claim == RecordedFolders::Claim::Held;
    // The claim's look at the path, where it found a file, is the listing's too.
    std::optional<std::optional<std::uint64_t>> looked;
    if (const auto seen = records_ ? records_->lastSeen(path) : std::nullopt; seen && *seen) {
        looked = std::optional((*seen)->size);
    }
    const FolderListings::Reach listed = listings_.reach(folder, name, path, source, looked);
    Reach reach{.otherSource = listed.otherSource,
                .seen = listed.seen,
                .recorded = recorded,
                .held = !listed.otherSource && claim == RecordedFolders::Claim::Held};
    // Where nothing is, no source is either.
    if (!reach.otherSource && reach.seen != platform::KnownDestination::Absent &&
        sources != nullptr && sources->holds(folder, path, rulesOf(folder))) {
        reach.isSource = sources->isSource(folder, path, std::string(source), rulesOf(folder));
        reach.otherSource = !reach.isSource;
    }
    // A name made safe for the drive may be the user's own file of that name
    // ("What Is Love_.mp3"): only this source's copy there is its to keep.
    if (madeSafe && !reach.otherSource && !recorded) {
        if (reach.seen == platform::KnownDestination::Unknown) {
            reach.seen = lookup_.size(path) ? platform::KnownDestination::Present
                                            : platform::KnownDestination::Absent;
        }
        reach.otherSource = reach.seen == platform::KnownDestination::Present &&
                            !heldCopySize(std::string(source), path, rulesOf(folder));
    }
    return reach;
}

void WrittenDestinations::reserve(const std::string& folder, std::string_view source,
                                  const Destination& written)
{
    auto [reserved, added] = reserved_.try_emplace(reservationKey(folder, written.path));
    if (added) {
        reserved->second.source = platform::comparablePath(source);
    }
    ++reserved->second.copies;
}

void WrittenDestinations::release(const std::string& folder, const Destination& written)
{
    const auto reserved = reserved_.find(reservationKey(folder, written.path));
    if (reserved != reserved_.end() && --reserved->second.copies == 0) {
        reserved_.erase(reserved);
    }
}

WrittenDestinations::Destination WrittenDestinations::resolve(const std::string& folder,
                                                              std::string_view bareName,
                                                              std::string_view source,
                                                              PlaylistSources* sources)
{
    const bool rules = rulesOf(folder);
    const std::string safeName = driveSafeName(bareName, rules);
    std::string plainName = nameOnDrive(safeName, 1, rules);
    const bool madeSafe = plainName != bareName;
    std::string plainPath = pathFor(folder, plainName);
    // The numbered name an earlier run gave this source stays its own while
    // its copy is there, so that a plain name another file holds is never
    // taken from it.
    const int recorded = recordedNumber(folder, safeName, source);
    if (recorded > 1) {
        std::string name = nameOnDrive(safeName, recorded, rules);
        std::string path = pathFor(folder, name);
        if (const auto own = reach(folder, name, path, source, madeSafe, sources);
            !own.otherSource && own.recorded) {
            return {std::move(path), recorded, own.seen, own.held, own.isSource};
        }
    }
    if (const auto plain = reach(folder, plainName, plainPath, source, madeSafe, sources);
        !plain.otherSource) {
        return {std::move(plainPath), 1, plain.seen, plain.held, plain.isSource};
    }
    int number = 2;
    if (const auto numbers = numbered_.find(platform::comparablePath(plainPath));
        numbers != numbered_.end()) {
        const auto& [highest, ofSource] = numbers->second;
        if (const auto known = ofSource.find(platform::comparablePath(source));
            known != ofSource.end()) {
            return {pathFor(folder, nameOnDrive(safeName, known->second, rules)), known->second};
        }
        number = highest + 1;
    }
    // The numbered name an earlier run gave this source, where its copy has gone.
    if (recorded > 1) {
        std::string path = pathFor(folder, nameOnDrive(safeName, recorded, rules));
        if (const auto own = reach(folder, nameOnDrive(safeName, recorded, rules), path, source,
                                   madeSafe, sources);
            !own.otherSource) {
            return {std::move(path), recorded, own.seen, own.held, own.isSource};
        }
    }
    // A playlist may itself name a "song (2).mp3" that this run already wrote.
    for (;; ++number) {
        const std::string name = nameOnDrive(safeName, number, rules);
        std::string path = pathFor(folder, name);
        if (const auto numbered = reach(folder, name, path, source, madeSafe, sources);
            !numbered.otherSource) {
            return {std::move(path), number, numbered.seen, numbered.held, numbered.isSource};
        }
    }
}

int WrittenDestinations::recordedNumber(const std::string& folder, const std::string& safeName,
                                        std::string_view source)
{
    const std::optional<std::string> name =
        records_ ? records_->recordedName(folder, source, rulesOf(folder)) : std::nullopt;
    return name ? std::max(numberOnDrive(*name, safeName, rulesOf(folder)), 1) : 1;
}

void WrittenDestinations::remember(const std::string& folder, std::string_view bareName,
                                   std::string_view source, const Destination& written,
                                   std::uint64_t size)
{
    const bool rules = rulesOf(folder);
    const std::string safeName = driveSafeName(bareName, rules);
    listings_.remember(folder, nameOnDrive(safeName, written.number, rules), source, size,
                       written.seen);
    if (written.number > 1) {
        Numbers& numbers =
            numbered_[platform::comparablePath(pathFor(folder, nameOnDrive(safeName, 1, rules)))];
        numbers.ofSource[platform::comparablePath(source)] = written.number;
        numbers.highest = std::max(numbers.highest, written.number);
    }
}

std::string numberedPath(const std::string& folder, std::string_view bareName, int number,
                         bool windowsRules)
{
    return pathFor(folder,
                   nameOnDrive(driveSafeName(bareName, windowsRules), number, windowsRules));
}

} // namespace tunecrate
