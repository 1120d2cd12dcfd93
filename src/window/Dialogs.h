#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tunecrate {

// The dialogs the window's commands open, and how an error is reported. A
// window binds the real ones to itself; tests put in their own, so that the
// commands can be driven without a person in front of a real dialog.
struct Dialogs {
    // The chosen playlist's full path; the empty text when the user cancels.
    std::function<std::string()> choosePlaylist;
    // The chosen folder's path; the empty text when the user cancels.
    std::function<std::string(const std::string& sTitle, const std::string& sStartPath)>
        browseFolder;
    std::function<void(const std::string& message)> showError;
    // The drive has too little room: question, with the buttons "Copy what
    // fits" and "Cancel" in the interface language. True for the first.
    std::function<bool(const std::string& question)> askCopyWhatFits;
    // Copies of songs that left the playlist: question, and the files' names
    // in a list that scrolls, with the buttons "Keep" (the default) and
    // "Remove" in the interface language. True for "Remove" only.
    std::function<bool(const std::string& question, const std::vector<std::string>& names)>
        askRemoval;
};

} // namespace tunecrate
