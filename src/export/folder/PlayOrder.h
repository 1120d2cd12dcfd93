#pragma once

#include "drive/Flush.h"
#include "folder/FolderRecord.h"
#include "folder/PlaylistSources.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tunecrate {

// "007 - song.mp3": number, padded with zeros to the digits of entries but
// three at least, then " - " and the bare name.
[[nodiscard]] std::string numberedName(std::string_view bareName, int number, int entries);

// Where a playlist, as the run read it, names the sources a folder's record
// lists: each by its path as compared (platform::comparablePath), with the
// number of its entry, or 0 when more than one entry names it.
using PlaylistPlaces = std::unordered_map<std::string, int>;

// What a run wants of one playlist's copies in its folder: the playlist as the
// record lists it, where its entries stand, whether copies are numbered, and
// its sources, none of which is ever taken for a copy.
struct PlayOrder {
    std::string playlist;
    PlaylistPlaces places;
    int entries = 0;
    bool numbered = false;
    PlaylistSources* sources = nullptr;
};

// Whether the file at path in folder is copy, as the record has it, and
// Tunecrate's to rename, remove or replace: it passes isOurCopy, and it is
// none of the playlist's sources, nor the copy's own.
[[nodiscard]] bool isOurs(const RecordedCopy& copy, const std::string& folder,
                          const std::string& path, PlaylistSources* sources, bool windowsRules);

// A copy to be given a new name in its folder.
struct Rename {
    std::string from;
    std::string to;
};

// The copies in record that the playlist alone has, still ours (isOurs), whose
// names the order no longer gives: each with the name its entry gives it now.
// A copy under that name numbered by the same-name rule ("song (2).mp3")
// keeps its name, and so does one whose source the playlist names twice.
[[nodiscard]] std::vector<Rename> plannedRenames(const FolderRecord& record,
                                                 const std::string& folder, const PlayOrder& order,
                                                 bool windowsRules);

// Gives each copy its new name: first the record lists every rename with a
// temporary name for it; then a copy whose new name no copy being renamed
// holds moves straight there, and each other one to its temporary and, once
// all have, on to its new name. A file there already keeps that name (" (2)"
// then, and so on), and the copy's time is put back after its rename. record
// is written again with the names taken. A failure when the record could not
// be written: then nothing was renamed, or the record on the drive finishes
// what was begun.
Outcome renameCopies(const std::string& folder, FolderRecord& record,
                     const std::vector<Rename>& renames, PlaylistSources* sources,
                     bool windowsRules, bool flushFirst,
                     const platform::WhileWaiting& whileWaiting);

// Finishes the renames that a run which stopped midway left in record, in
// record only; false when there were none. Where each copy is, at its
// temporary, at its new name or still at its old one, is told by what the
// files there hold (isOurs), never by which names are taken; a copy found at
// none of them is dropped from the record.
bool finishRenames(const std::string& folder, FolderRecord& record, PlaylistSources* sources,
                   bool windowsRules, const platform::WhileWaiting& whileWaiting);

// The copies the playlist no longer names: those the record lists for it
// alone, still ours (isOurs), whose sources are there and still held by them
// (so that the drive never loses the last copy of a song).
[[nodiscard]] std::vector<RecordedCopy> droppedCopies(const FolderRecord& record,
                                                      const std::string& folder,
                                                      const PlayOrder& order, bool windowsRules);

// Whether the copy's file in folder is still as record says and ours, as a
// removal checks just before.
[[nodiscard]] bool stillRecorded(const FolderRecord& record, const std::string& folder,
                                 const RecordedCopy& copy, PlaylistSources* sources,
                                 bool windowsRules);

} // namespace tunecrate
