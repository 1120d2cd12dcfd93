#pragma once

#include <string>
#include <string_view>

namespace tunecrate {

// The texts that change with the interface language: ten for the buttons, the
// panels and the run log, then the caption of the playlist check box, what
// panel 3 says while a run waits for its drives, the log's line while a run
// waits for a folder another program's run is writing into, and the question
// of a drive with too little room; then the captions of the numbering and
// removal check boxes, the question, buttons and log line of a removal, the
// closing lines of a run that did not copy everything, and the reasons the
// log's end gives for each file that failed.
struct InterfaceStrings {
    std::string strSearch;
    std::string strSave;
    std::string strCopiedTo;
    std::string strNoPlaylistFound;
    std::string strAllFilesCopied;
    std::string strCancel;
    std::string strCanceled;
    std::string strFile;
    std::string strFilename;
    std::string strProgress;
    std::string strWithPlaylist;
    std::string strWritingToDrive;
    std::string strWaitingForFolder;
    // The question when the target's drive has too little room: "%1" the
    // room needed, "%2" the room free; then its first button's caption.
    std::string strNotEnoughRoom;
    std::string strCopyWhatFits;
    // After the room's sentence, where nobody could be asked.
    std::string strNothingCopied;
    char decimalPoint = '.';
    std::string strNumbered;
    std::string strRemoveDropped;
    // "%1": how many songs.
    std::string strRemoveQuestion;
    std::string strKeep;
    std::string strRemove;
    // Starts the log's line for a file removed: "removed: " and its path.
    std::string strRemoved;
    // In place of strAllFilesCopied: "%1" the files that failed of "%2" tried;
    // then where only the drive did not confirm what it was given.
    std::string strNotAllCopied;
    std::string strDriveUnconfirmed;
    // Why a file failed, after its path and ": ".
    std::string strNotFound;
    std::string strUnreadable;
    std::string strDriveFull;
    std::string strTooLarge;
    std::string strNameRefused;
    std::string strReadOnly;
    std::string strDriveGone;
    std::string strNameTaken;
    std::string strFolderNotFull;
    std::string strFolderMissing;
    std::string strLineCutShort;
    std::string strNotTaken;
};

enum class Button { Search, Search2, Save, Cancel, WithPlaylist, Numbered, RemoveDropped };

// What ApplyLanguage refreshes on the main window: four button captions, the
// labels of the three status panels and the check boxes' captions.
class LanguageWindow {
public:
    virtual ~LanguageWindow() = default;
    virtual void setButtonCaption(Button button, const std::string& caption) = 0;
    // Panels are numbered from 1.
    virtual void setPanelText(int panel, const std::string& text) = 0;
    // The grey hint an empty path box shows; control is its name (txtPathfrom).
    virtual void setHint(std::string_view control, const std::string& hint) = 0;
    // What a screen reader reads for the control named control (cmdSearch, ...).
    virtual void setAccessibleName(std::string_view control, const std::string& name) = 0;
};

// The strings in force, shared by the whole program. Readers take them at the
// moment of use, so a language switch in the middle of a run changes every text
// built after it. All are empty until the first ApplyLanguage.
[[nodiscard]] const InterfaceStrings& Language();

// "Deutsch", compared exactly, selects German; every other text selects English.
// Sets the strings, then the window's captions and bare panel labels, then
// the path boxes' hints and every control's accessible name in that language.
void ApplyLanguage(std::string_view sLanguage, LanguageWindow& window);

} // namespace tunecrate
