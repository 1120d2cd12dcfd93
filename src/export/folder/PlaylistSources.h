#pragma once

#include "drive/DriveFiles.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tunecrate {

// The files a playlist names, so that none of them is ever written over,
// renamed or removed as a copy: a song is never its own copy, and a playlist
// may name songs in the very folder it is exported into.
//
// A file in a folder is one of them where the folder's drive keeps file
// numbers (DriveKind) and its number is one of theirs, and on every drive
// where it has the name of one that lies in the same folder, names compared
// as the drive compares them. Each folder is looked at once, when first asked.
class PlaylistSources {
public:
    // Notes the source of one of the playlist's entries.
    void add(const std::string& source) { sources_.push_back(source); }

    // Whether path, a file in folder, is the source of an entry.
    [[nodiscard]] bool holds(const std::string& folder, const std::string& path, bool windowsRules);
    // Whether path, a file in folder, is source itself.
    [[nodiscard]] bool isSource(const std::string& folder, const std::string& path,
                                const std::string& source, bool windowsRules);

private:
    // What a folder is, and which of the sources lie in it, each found out
    // when first needed: a run into an empty folder never asks.
    struct Folder {
        bool keepsNumbers = false;
        std::optional<platform::FileId> id;
        std::string canonicalPath;
        bool windowsRules = false;
        std::size_t namesSeen = 0;             // of sources_, looked at for names
        std::unordered_set<std::string> names; // as the drive compares them
        std::size_t idsSeen = 0;               // of sources_, looked at for numbers
        std::set<platform::FileId> ids;
        std::unordered_map<std::string, bool> holdsFolder; // a source's folder -> is this one

        [[nodiscard]] bool isItself(const std::string& other);
        [[nodiscard]] std::string compared(std::string_view name) const;
    };
    Folder& folder(const std::string& folder, bool windowsRules);

    std::vector<std::string> sources_;
    std::map<std::string, Folder> folders_;
};

} // namespace tunecrate
