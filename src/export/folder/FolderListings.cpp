#include "folder/FolderListings.h"

#include "drive/DriveFiles.h"
#include "files/Paths.h"
#include "files/PlatformFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tunecrate {

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

void FolderListings::Listing::add(const std::string& name)
{
    if constexpr (!platform::pathsCompareAsBytes) {
        comparedNames.insert(platform::comparablePath(name));
    }
    names.insert(name);
}

bool FolderListings::Listing::holds(std::string_view inFolder, std::string_view name) const
{
    const Names& compared = platform::pathsCompareAsBytes ? names : comparedNames;
    return inFolder == folder && compared.contains(name);
}

std::string_view FolderListings::keep(std::string_view text)
{
    auto* kept = static_cast<char*>(texts_.allocate(text.size(), 1));
    std::copy(text.begin(), text.end(), kept);
    return {kept, text.size()};
}

bool FolderListings::writtenFromOther(std::uint64_t size, std::string_view source) const
{
    const auto sources = sourcesOfSize_.find(size);
    return sources != sourcesOfSize_.end() &&
           (sources->second.size() > 1 ||
            (sources->second.size() == 1 && sources->second.begin()->first != source));
}

FolderListings::Listing& FolderListings::listing(const std::string& folder)
{
    const auto [known, added] = listings_.try_emplace(folder);
    Listing& listing = known->second;
    if (added) {
        listing.folder = platform::comparablePath(folder);
        for (const std::string& name : lookup_.names(folder)) {
            listing.add(name);
        }
        for (const auto& [writtenFolder, files] : filesIn_) {
            for (const auto& [name, written] : files) {
                if (!listing.holds(writtenFolder, name)) {
                    listing.unlisted[written.size].insert(&written);
                }
            }
        }
    }
    return listing;
}

FolderListings::Reach FolderListings::reach(const std::string& folder, const std::string& name,
                                            const std::string& path, std::string_view source,
                                            std::optional<std::optional<std::uint64_t>> looked)
{
    const auto seenOf = [](const std::optional<std::uint64_t>& size) {
        return size ? platform::KnownDestination::Present : platform::KnownDestination::Absent;
    };
    if (filesIn_.empty()) {
        return {.seen = looked ? seenOf(*looked) : platform::KnownDestination::Unknown};
    }
    const std::string sourceKey = platform::comparablePath(source);
    if (const auto files = filesIn_.find(platform::comparablePath(folder));
        files != filesIn_.end()) {
        if (const auto written = files->second.find(platform::comparablePath(name));
            written != files->second.end()) {
            return {.otherSource = written->second.source != sourceKey,
                    .seen = looked ? seenOf(*looked) : platform::KnownDestination::Unknown};
        }
    }
    const auto size = looked ? *looked : lookup_.size(path);
    if (!size) {
        return {.seen = platform::KnownDestination::Absent};
    }
    Reach reach{.seen = platform::KnownDestination::Present};
    if (!writtenFromOther(*size, sourceKey)) {
        return reach;
    }
    const Listing& listed = listing(folder);
    if (!listed.names.contains(name)) {
        // Another spelling of a listed file, which may be one of this run.
        reach.otherSource = true;
        return reach;
    }
    // A file of this run that the folder lists under its own spelling is not this entry.
    const auto unlisted = listed.unlisted.find(*size);
    reach.otherSource =
        unlisted != listed.unlisted.end() &&
        std::any_of(unlisted->second.begin(), unlisted->second.end(),
                    [&sourceKey](const Written* written) { return written->source != sourceKey; });
    return reach;
}

// Counts one more file written from source with size; the text kept for source.
std::string_view FolderListings::count(const std::string& source, std::uint64_t size)
{
    auto& sources = sourcesOfSize_[size];
    auto counted = sources.find(source);
    if (counted == sources.end()) {
        counted = sources.emplace(keep(source), 0).first;
    }
    ++counted->second;
    return counted->first;
}

// Takes a file this run wrote out of the counts and the listings.
void FolderListings::uncount(const Written& written)
{
    auto& sources = sourcesOfSize_[written.size];
    if (const auto counted = sources.find(written.source); --counted->second == 0) {
        sources.erase(counted);
    }
    for (auto& [folder, listing] : listings_) {
        if (const auto unlisted = listing.unlisted.find(written.size);
            unlisted != listing.unlisted.end()) {
            unlisted->second.erase(&written);
        }
    }
}

void FolderListings::remember(const std::string& folder, const std::string& name,
                              std::string_view source, std::uint64_t size,
                              platform::KnownDestination seen)
{
    const std::string comparedName = platform::comparablePath(name);
    const Written now{count(platform::comparablePath(source), size), size};
    const auto folderFiles = filesIn_.try_emplace(platform::comparablePath(folder)).first;
    Files& files = folderFiles->second;
    auto at = files.find(comparedName);
    if (at == files.end()) {
        at = files.emplace(keep(comparedName), now).first;
    } else {
        uncount(at->second);
        at->second = now;
    }

    if (const auto known = listings_.find(folder);
        known != listings_.end() && !known->second.names.contains(name)) {
        if (seen == platform::KnownDestination::Absent) {
            known->second.add(name);
        } else {
            listings_.erase(known);
        }
    }
    for (auto& [listedFolder, listing] : listings_) {
        if (!listing.holds(folderFiles->first, at->first)) {
            listing.unlisted[size].insert(&at->second);
        }
    }
}

} // namespace tunecrate
