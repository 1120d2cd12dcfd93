#include "run/RoomCheck.h"

#include "Language.h"
#include "drive/Copy.h"
#include "drive/DriveFiles.h"
#include "drive/DriveNames.h"
#include "files/PlatformFiles.h"
#include "files/Utf8.h"
#include "folder/FolderListings.h"
#include "folder/PlayOrder.h"
#include "playlist/PlaylistLines.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <unordered_set>

namespace tunecrate {
namespace {

// fusefat says 1 KiB for the 4 KiB clusters of a FAT32 image: on
// Windows-rule drives through FUSE at least 32 KiB is counted, the clusters
// of a FAT32 stick of 32 GB.
constexpr std::uint64_t leastClusterThroughFuse = 32 * 1024;

std::uint64_t roundedUp(std::uint64_t size, std::uint64_t cluster)
{
    return cluster == 0 ? size : (size + cluster - 1) / cluster * cluster;
}

std::string compared(std::string name, bool windowsRules)
{
    return windowsRules ? upperCased(name) : name;
}

// The names folder lists, as its drive compares them: only a destination
// listed there needs a look.
std::unordered_set<std::string> listedNames(const std::string& folder, bool windowsRules)
{
    std::unordered_set<std::string> names;
    for (std::string& name : SystemFileLookup().names(folder)) {
        names.insert(compared(std::move(name), windowsRules));
    }
    return names;
}

// The name the copy of an entry takes in a folder that lists names, where it
// lists it: the bare name, or with number the numbered name at any width the
// entries may have given it.
std::optional<std::string> listedName(const std::unordered_set<std::string>& names,
                                      std::string_view bare, int number, bool windowsRules)
{
    const auto listed = [&](const std::string& name) -> std::optional<std::string> {
        std::string onDrive = nameOnDrive(driveSafeName(name, windowsRules), 1, windowsRules);
        return names.contains(compared(onDrive, windowsRules)) ? std::optional(std::move(onDrive))
                                                               : std::nullopt;
    };
    if (number == 0) {
        return listed(std::string(bare));
    }
    // Three digits up to a width of ten, as many as 32-bit line numbers take.
    const std::size_t digits = std::to_string(number).size();
    for (int entries = 100;; entries *= 10) {
        if (std::to_string(entries).size() >= digits) {
            if (auto name = listed(numberedName(bare, number, entries))) {
                return name;
            }
        }
        if (entries == 1'000'000'000) {
            return std::nullopt;
        }
    }
}

std::string amount(std::uint64_t bytes)
{
    const bool gigabytes = bytes >= 1'000'000'000;
    const double value = static_cast<double>(bytes) / (gigabytes ? 1e9 : 1e6);
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f", value);
    std::string shown(text.data());
    std::replace(shown.begin(), shown.end(), '.', Language().decimalPoint);
    return shown + (gigabytes ? " GB" : " MB");
}

} // namespace

std::optional<Room> countRoom(const std::string& playlistPath, PlaylistMode mode,
                              const std::filesystem::path& playlistFolder,
                              const std::string& folder, bool windowsRules,
                              const FolderRecord* record, bool numbered,
                              std::optional<std::uint64_t> largestFile, const EachEntry& eachEntry,
                              const std::function<bool()>& keepGoing)
{
    const std::optional<platform::DriveRoom> drive = platform::driveRoom(folder);
    const std::uint64_t cluster = !drive ? 0
                                  : drive->throughFuse && windowsRules
                                      ? std::max(drive->cluster, leastClusterThroughFuse)
                                      : drive->cluster;
    Room room{.needed = 0, .free = drive ? std::optional(drive->free) : std::nullopt, .entries = 0};
    using Clock = std::chrono::steady_clock;
    auto asked = Clock::now();
    // Listed when a name first needs it: a folder whose record has every
    // copy is not.
    std::optional<std::unordered_set<std::string>> listed;
    std::unordered_set<std::string> counted; // sources, as compared
    PlaylistLines lines(playlistPath);
    for (std::uint32_t line = 1; lines.next(); ++line) {
        // The clock costs as much as reading a short line: asked every 256.
        if (line % 256 == 0 && Clock::now() - asked >= std::chrono::milliseconds(50)) {
            if (!keepGoing()) {
                return std::nullopt;
            }
            asked = Clock::now();
        }
        const std::optional<std::string_view> candidate = entryCandidate(mode, lines.line());
        const std::optional<std::string> source =
            candidate ? sourcePath(*candidate, playlistFolder) : std::nullopt;
        if (!source) {
            continue;
        }
        ++room.entries;
        if (eachEntry) {
            eachEntry(room.entries, *source);
        }
        if (lines.truncated()) {
            continue;
        }
        // One copy for a source named again, unless numbers give it another.
        if (!numbered && !counted.insert(platform::comparablePath(*source)).second) {
            continue;
        }
        const std::optional<platform::FileStamp> from = platform::fileStamp(*source, true);
        if (!from || (largestFile && from->size > *largestFile)) {
            continue;
        }
        // The record's copy of the source, under whatever number, from the
        // source as it is now, while that copy is there.
        const RecordedCopy* recorded = record != nullptr ? record->findSource(*source) : nullptr;
        if (recorded != nullptr && recorded->sourceStamp == *from &&
            stillTheCopy(*recorded,
                         platform::fileStamp(utf8Text(fsPath(folder) / fsPath(recorded->name))),
                         windowsRules)) {
            continue;
        }
        if (!listed) {
            listed.emplace(listedNames(folder, windowsRules));
        }
        const std::optional<std::string> name =
            listedName(*listed, bareName(*source), numbered ? room.entries : 0, windowsRules);
        const std::optional<platform::FileStamp> there =
            name ? platform::fileStamp(utf8Text(fsPath(folder) / fsPath(*name))) : std::nullopt;
        const bool skipped = there && there->size == from->size &&
                             platform::copyTimesMatch(there->time, from->time, windowsRules);
        room.needed += skipped ? 0 : roundedUp(from->size, cluster);
    }
    return room;
}

std::string roomSentence(const Room& room)
{
    std::string sentence = Language().strNotEnoughRoom;
    sentence.replace(sentence.find("%1"), 2, amount(room.needed));
    sentence.replace(sentence.find("%2"), 2, amount(room.free.value_or(0)));
    return sentence;
}

} // namespace tunecrate
