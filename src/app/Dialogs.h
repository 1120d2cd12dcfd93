#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <string_view>

class QFileDialog;
class QWidget;

namespace tunecrate {

// The dialogs the window's commands open, and how it reports an error. The
// window holds them as replaceable parts so that its commands can be driven
// without a person in front of a real dialog.
struct Dialogs {
    // The chosen playlist's full path; the empty text when the user cancels.
    std::function<QString(QWidget* parent)> choosePlaylist;
    // The chosen folder's path; the empty text when the user cancels.
    std::function<std::string(const std::string& sTitle, const std::string& sStartPath)>
        browseFolder;
    std::function<void(QWidget* parent, const QString& message)> showError;

    // The real ones: the file-open dialog, the system's folder picker and a
    // message box.
    [[nodiscard]] static Dialogs system();
};

// A "|" filter as Qt's name filters, one "description (patterns)" per entry.
// Qt takes an entry's patterns from the parentheses that end it, separated by
// blanks, so the patterns are always appended in that form, even where the
// description names them already; see preparePlaylistDialog.
[[nodiscard]] QStringList qtNameFilters(std::string_view filter);

// Sets up a dialog to open one existing playlist, with the four filter entries
// showing their descriptions exactly as written and the first one in force.
void preparePlaylistDialog(QFileDialog& dialog);

} // namespace tunecrate
