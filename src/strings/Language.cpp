#include "Language.h"

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
};

InterfaceStrings current;

} // namespace

const InterfaceStrings& Language()
{
    return current;
}

void ApplyLanguage(std::string_view sLanguage, LanguageWindow& window)
{
    current = sLanguage == "Deutsch" ? german : english;

    window.setButtonCaption(Button::Search, current.strSearch);
    window.setButtonCaption(Button::Search2, current.strSearch);
    window.setButtonCaption(Button::Save, current.strSave);
    window.setButtonCaption(Button::Cancel, current.strCancel);
    window.setPanelText(1, current.strFile + ": ");
    window.setPanelText(2, current.strFilename + ": ");
    window.setPanelText(3, current.strProgress + ": ");
    window.setButtonCaption(Button::WithPlaylist, current.strWithPlaylist);
}

} // namespace tunecrate
