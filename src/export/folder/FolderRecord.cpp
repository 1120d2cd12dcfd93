#include "folder/FolderRecord.h"

#include "drive/Copy.h"
#include "drive/DriveFiles.h"
#include "files/Paths.h"
#include "files/PlatformFiles.h"
#include "files/Utf8.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

namespace tunecrate {
namespace {

using nlohmann::json;

constexpr std::string_view formatKey = "tunecrate folder record";
constexpr int formatVersion = 1;

std::string percentEncoded(std::string_view text)
{
    constexpr std::string_view digits = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '%') {
            encoded += '%';
            encoded += digits[byte >> 4];
            encoded += digits[byte & 0xF];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

// Only what percentEncoded made: anything else (a "%" of its own, a byte
// left bare) is a damaged record.
std::string decodedText(const json& value)
{
    const auto& encoded = value.get_ref<const std::string&>();
    std::string text = percentDecoded(encoded);
    if (text.empty() || text.find('\0') != std::string::npos || percentEncoded(text) != encoded) {
        throw std::invalid_argument("not a recorded name or path");
    }
    return text;
}

FileStamp stampOf(const json& copy, const char* size, const char* time)
{
    return {copy.at(size).get<std::uint64_t>(), copy.at(time).get<std::int64_t>()};
}

constexpr std::size_t hashDigits = 16;

std::string hexHash(std::uint64_t hash)
{
    std::array<char, hashDigits + 1> digits{};
    std::snprintf(digits.data(), digits.size(), "%016" PRIx64, hash);
    return {digits.data(), hashDigits};
}

std::uint64_t hashOf(const json& value)
{
    const auto& text = value.get_ref<const std::string&>();
    if (text.size() != hashDigits ||
        text.find_first_not_of("0123456789abcdef") != std::string::npos) {
        throw std::invalid_argument("not a hash");
    }
    return std::stoull(text, nullptr, 16);
}

constexpr std::uint64_t fnvOffset = 14695981039346656037ULL;
constexpr std::uint64_t fnvPrime = 1099511628211ULL;

std::uint64_t hashed(std::uint64_t hash, const char* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        hash = (hash ^ static_cast<unsigned char>(bytes[i])) * fnvPrime;
    }
    return hash;
}

} // namespace

std::optional<FolderRecord> FolderRecord::parse(std::string_view text, bool windowsRules)
{
    const json document = json::parse(text, nullptr, false);
    if (!document.is_object()) {
        return std::nullopt;
    }
    try {
        if (document.at(formatKey).get<int>() != formatVersion) {
            return std::nullopt;
        }
        FolderRecord record(windowsRules);
        if (document.contains("generation")) {
            record.generation = document.at("generation").get<std::uint64_t>();
        }
        for (const json& copy : document.at("copies")) {
            RecordedCopy recorded{
                .name = decodedText(copy.at("name")),
                .source = decodedText(copy.at("source")),
                .sourceStamp = stampOf(copy, "source size", "source time"),
                .copyStamp = stampOf(copy, "copy size", "copy time"),
                .copyHash = copy.contains("copy hash") ? std::optional(hashOf(copy.at("copy hash")))
                                                       : std::nullopt,
                .playlists = {},
                .renamedTo = {},
                .through = {},
            };
            if (recorded.name.find_first_of("/\\") != std::string::npos) {
                return std::nullopt;
            }
            for (const json& playlist : copy.at("playlists")) {
                recorded.playlists.push_back(decodedText(playlist));
            }
            if (copy.contains("renamed to")) {
                recorded.renamedTo = decodedText(copy.at("renamed to"));
                recorded.through = decodedText(copy.at("through"));
                if (!std::string_view(recorded.through).starts_with(renameTemporaryPrefix) ||
                    (recorded.renamedTo + recorded.through).find_first_of("/\\") !=
                        std::string::npos) {
                    return std::nullopt;
                }
            }
            record.put(std::move(recorded));
        }
        return record;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string FolderRecord::text() const
{
    json copies = json::array();
    for (const auto& [key, copy] : copies_) {
        json playlists = json::array();
        for (const std::string& playlist : copy.playlists) {
            playlists.push_back(percentEncoded(playlist));
        }
        json recorded = {
            {"name", percentEncoded(copy.name)},    {"source", percentEncoded(copy.source)},
            {"source size", copy.sourceStamp.size}, {"source time", copy.sourceStamp.time},
            {"copy size", copy.copyStamp.size},     {"copy time", copy.copyStamp.time},
            {"playlists", std::move(playlists)}};
        if (copy.copyHash) {
            recorded["copy hash"] = hexHash(*copy.copyHash);
        }
        if (!copy.renamedTo.empty()) {
            recorded["renamed to"] = percentEncoded(copy.renamedTo);
            recorded["through"] = percentEncoded(copy.through);
        }
        copies.push_back(std::move(recorded));
    }
    json document = json::object();
    document[formatKey] = formatVersion;
    if (generation > 0) {
        document["generation"] = generation;
    }
    document["copies"] = std::move(copies);
    return document.dump(1) + "\n";
}

std::string FolderRecord::key(std::string_view name) const
{
    return windowsRules_ ? upperCased(name) : std::string(name);
}

const RecordedCopy* FolderRecord::find(std::string_view name) const
{
    const auto found = copies_.find(key(name));
    return found == copies_.end() ? nullptr : &found->second;
}

const RecordedCopy* FolderRecord::findSource(std::string_view source) const
{
    const auto name = nameOfSource_.find(platform::comparablePath(source));
    return name == nameOfSource_.end() ? nullptr : find(name->second);
}

void FolderRecord::put(RecordedCopy copy)
{
    nameOfSource_[platform::comparablePath(copy.source)] = key(copy.name);
    auto [found, added] = copies_.try_emplace(key(copy.name));
    if (!added && found->second.source == copy.source) {
        for (std::string& playlist : found->second.playlists) {
            if (std::find(copy.playlists.begin(), copy.playlists.end(), playlist) ==
                copy.playlists.end()) {
                copy.playlists.push_back(std::move(playlist));
            }
        }
    }
    found->second = std::move(copy);
}

void FolderRecord::drop(std::string_view name)
{
    if (const auto found = copies_.find(key(name)); found != copies_.end()) {
        nameOfSource_.erase(platform::comparablePath(found->second.source));
        copies_.erase(found);
    }
}

std::vector<const RecordedCopy*> FolderRecord::copies() const
{
    std::vector<const RecordedCopy*> all;
    for (const auto& [key, copy] : copies_) {
        all.push_back(&copy);
    }
    return all;
}

bool stillTheCopy(const RecordedCopy& copy, const std::optional<FileStamp>& found,
                  bool windowsRules)
{
    if (!found || found->size != copy.copyStamp.size) {
        return false;
    }
    const auto matches = [&](std::int64_t time) {
        return platform::copyTimesMatch(found->time, time, windowsRules);
    };
    return matches(copy.copyStamp.time) || matches(copy.sourceStamp.time);
}

std::optional<CopyPrint> copyPrint(const std::string& path, bool followLinks)
{
    constexpr std::uint64_t edge = 64 * 1024;
    const std::optional<FileStamp> stamp = platform::fileStamp(path, followLinks);
    std::ifstream file(fsPath(path), std::ios::binary);
    if (!stamp || !file) {
        return std::nullopt;
    }
    const std::uint64_t size = stamp->size;
    const std::uint64_t head = std::min(size, edge);
    const std::uint64_t tail = size > head ? std::min(size - head, edge) : 0;
    std::string bytes(head + tail, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(head));
    if (tail > 0) {
        file.seekg(static_cast<std::streamoff>(size - tail));
        file.read(bytes.data() + head, static_cast<std::streamsize>(tail));
    }
    if (!file) {
        return std::nullopt;
    }
    return CopyPrint{size, hashed(fnvOffset, bytes.data(), bytes.size())};
}

bool isOurCopy(const RecordedCopy& copy, const std::string& path)
{
    const std::optional<CopyPrint> print = copyPrint(path);
    if (!print || print->size != copy.copyStamp.size) {
        return false;
    }
    if (copy.copyHash) {
        return print->hash == *copy.copyHash;
    }
    if (platform::fileStamp(copy.source, true) != copy.sourceStamp) {
        return false;
    }
    const std::optional<CopyPrint> source = copyPrint(copy.source, true);
    return source && source->size == print->size && source->hash == print->hash;
}

bool isStartOf(const std::string& path, const std::string& source)
{
    const std::optional<FileStamp> part = platform::fileStamp(path);
    const std::optional<FileStamp> whole = platform::fileStamp(source, true);
    if (!part || !whole || part->size == 0 || part->size >= whole->size) {
        return false;
    }
    std::ifstream partFile(fsPath(path), std::ios::binary);
    std::ifstream wholeFile(fsPath(source), std::ios::binary);
    std::vector<char> one(64 * 1024);
    std::vector<char> other(one.size());
    for (std::uint64_t left = part->size; left > 0;) {
        const auto count = static_cast<std::streamsize>(std::min<std::uint64_t>(left, one.size()));
        if (!partFile.read(one.data(), count) || !wholeFile.read(other.data(), count) ||
            !std::equal(one.begin(), one.begin() + count, other.begin())) {
            return false;
        }
        left -= static_cast<std::uint64_t>(count);
    }
    return true;
}

} // namespace tunecrate
