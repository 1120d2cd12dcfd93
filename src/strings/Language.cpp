#include "Language.h"

#include <utility>

namespace tunecrate {
namespace {

const InterfaceStrings english{
    .strSearch = "Search",
    .strSave = "Save",
    .strCopiedTo = "copied to:",
    .strNoPlaylistFound = "No playlist found!",
    .strAllFilesCopied = "All files copied!",
    .strCancel = "Cancel",
    .strCanceled = "canceled!",
    .strFile = "File",
    .strFilename = "Filename",
    .strProgress = "Progress",
    .strWithPlaylist = "With playlist",
    .strWritingToDrive = "Writing to the drive…",
    .strWaitingForFolder = "Waiting for another export into this folder…",
    .strNotEnoughRoom = "Not enough room on the drive: %1 needed, %2 free.",
    .strCopyWhatFits = "Copy what fits",
    .strNothingCopied = "Nothing was copied.",
    .decimalPoint = '.',
    .strNumbered = "Numbered",
    .strRemoveDropped = "Remove dropped",
    .strRemoveQuestion = "Remove %1 songs that are no longer in the playlist?",
    .strKeep = "Keep",
    .strRemove = "Remove",
    .strRemoved = "removed: ",
    .strNotAllCopied = "Done: %1 of %2 files could not be copied.",
    .strDriveUnconfirmed = "Done, but the drive did not confirm that it holds everything.",
    .strNotFound = "the song was not found",
    .strUnreadable = "the song cannot be read (no permission, or its drive is gone)",
    .strDriveFull = "the target drive is full",
    .strTooLarge = "the file is too large for this drive (FAT32 takes at most 4 GiB a file)",
    .strNameRefused = "the drive refused the name",
    .strReadOnly = "the drive is read-only or write-protected",
    .strDriveGone = "the drive was removed or failed",
    .strNameTaken = "another file took the name during the copy",
    .strFolderNotFull = "the target folder is not a full path",
    .strFolderMissing = "the target folder does not exist",
    .strLineCutShort = "the playlist's line was cut short",
    .strNotTaken = "the phone did not take the file (upload failed)",
};

const InterfaceStrings german{
    .strSearch = "Durchsuchen",
    .strSave = "Speichern",
    .strCopiedTo = "wird kopiert nach:",
    .strNoPlaylistFound = "Kein Playlist gefunden",
    .strAllFilesCopied = "Alle Dateien kopiert!",
    .strCancel = "Abbrechen",
    .strCanceled = "Kopiervorgang wurde abgebrochen!",
    .strFile = "Datei",
    .strFilename = "Dateiname",
    .strProgress = "Fortschritt",
    .strWithPlaylist = "Mit Playlist",
    .strWritingToDrive = "Schreibe auf das Laufwerk…",
    .strWaitingForFolder = "Warte auf einen anderen Export in diesen Ordner…",
    .strNotEnoughRoom = "Nicht genug Platz auf dem Laufwerk: %1 benötigt, %2 frei.",
    .strCopyWhatFits = "Kopieren, was passt",
    .strNothingCopied = "Nichts wurde kopiert.",
    .decimalPoint = ',',
    .strNumbered = "Nummeriert",
    .strRemoveDropped = "Entfernte löschen",
    .strRemoveQuestion = "%1 Titel entfernen, die nicht mehr in der Playlist stehen?",
    .strKeep = "Behalten",
    .strRemove = "Entfernen",
    .strRemoved = "entfernt: ",
    .strNotAllCopied = "Fertig: %1 von %2 Dateien konnten nicht kopiert werden.",
    .strDriveUnconfirmed = "Fertig, aber das Laufwerk hat nicht bestätigt, dass es alles hält.",
    .strNotFound = "das Lied wurde nicht gefunden",
    .strUnreadable = "das Lied kann nicht gelesen werden (keine Berechtigung, oder sein Laufwerk "
                     "fehlt)",
    .strDriveFull = "das Ziellaufwerk ist voll",
    .strTooLarge = "die Datei ist zu groß für dieses Laufwerk (FAT32 fasst höchstens 4 GiB je "
                   "Datei)",
    .strNameRefused = "das Laufwerk hat den Namen abgelehnt",
    .strReadOnly = "das Laufwerk ist schreibgeschützt",
    .strDriveGone = "das Laufwerk wurde entfernt oder ist ausgefallen",
    .strNameTaken = "eine andere Datei hat den Namen während des Kopierens belegt",
    .strFolderNotFull = "der Zielordner ist kein vollständiger Pfad",
    .strFolderMissing = "der Zielordner existiert nicht",
    .strLineCutShort = "die Zeile der Playlist wurde abgeschnitten",
    .strNotTaken = "das Telefon hat die Datei nicht angenommen (Übertragung fehlgeschlagen)",
};

// The words a screen reader says for the controls without a caption of their
// own, or whose captions alone do not tell them apart.
struct ControlNames {
    std::string_view playlistFile;
    std::string_view targetFolder;
    std::string_view searchPlaylist;
    std::string_view searchTargetFolder;
    std::string_view log;
    std::string_view language;
    std::string_view copyProgress;
    std::string_view status;
};

constexpr ControlNames englishNames{
    .playlistFile = "Playlist file",
    .targetFolder = "Target folder",
    .searchPlaylist = "Search for a playlist",
    .searchTargetFolder = "Search for the target folder",
    .log = "Log",
    .language = "Language",
    .copyProgress = "Copy progress",
    .status = "Status",
};

constexpr ControlNames germanNames{
    .playlistFile = "Playlist-Datei",
    .targetFolder = "Zielordner",
    .searchPlaylist = "Playlist suchen",
    .searchTargetFolder = "Zielordner suchen",
    .log = "Protokoll",
    .language = "Sprache",
    .copyProgress = "Kopierfortschritt",
    .status = "Status",
};

// The formats the file-open dialog offers, the same in both languages.
constexpr std::string_view playlistFormats = " (M3U, M3U8, PLS, TXT)";

InterfaceStrings current;

void applyControlNames(const ControlNames& names, LanguageWindow& window)
{
    window.setHint("txtPathfrom", std::string(names.playlistFile) + std::string(playlistFormats));
    window.setHint("txtPathto", std::string(names.targetFolder));

    const std::pair<std::string_view, std::string_view> controls[] = {
        {"cmdSearch", names.searchPlaylist},
        {"txtPlaylist", names.log},
        {"txtPathfrom", names.playlistFile},
        {"chkPlaylist", current.strWithPlaylist},
        {"chkNumbered", current.strNumbered},
        {"chkRemoveDropped", current.strRemoveDropped},
        {"cmdSave", current.strSave},
        {"txtPathto", names.targetFolder},
        {"cmdSearch2", names.searchTargetFolder},
        {"cmbLang", names.language},
        {"cmdCancel", current.strCancel},
        {"pgbCopy", names.copyProgress},
        {"stbStatus", names.status},
    };
    for (const auto& [control, name] : controls) {
        window.setAccessibleName(control, std::string(name));
    }
}

} // namespace

const InterfaceStrings& Language()
{
    return current;
}

void ApplyLanguage(std::string_view sLanguage, LanguageWindow& window)
{
    const bool inGerman = sLanguage == "Deutsch";
    current = inGerman ? german : english;

    window.setButtonCaption(Button::Search, current.strSearch);
    window.setButtonCaption(Button::Search2, current.strSearch);
    window.setButtonCaption(Button::Save, current.strSave);
    window.setButtonCaption(Button::Cancel, current.strCancel);
    window.setPanelText(1, current.strFile + ": ");
    window.setPanelText(2, current.strFilename + ": ");
    window.setPanelText(3, current.strProgress + ": ");
    window.setButtonCaption(Button::WithPlaylist, current.strWithPlaylist);
    window.setButtonCaption(Button::Numbered, current.strNumbered);
    window.setButtonCaption(Button::RemoveDropped, current.strRemoveDropped);
    applyControlNames(inGerman ? germanNames : englishNames, window);
}

} // namespace tunecrate
