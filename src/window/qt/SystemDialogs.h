#pragma once

#include "Dialogs.h"

#include <QStringList>
#include <string_view>

class QFileDialog;
class QWidget;

namespace tunecrate {

// The real dialogs, owned by owner: the file-open dialog, the system's folder
// picker and a message box.
[[nodiscard]] Dialogs systemDialogs(QWidget* owner);

// A "|" filter as Qt's name filters, one "description (patterns)" per entry.
// Qt takes an entry's patterns from the parentheses that end it, separated by
// blanks, so the patterns are always appended in that form, even where the
// description names them already; see preparePlaylistDialog.
[[nodiscard]] QStringList qtNameFilters(std::string_view filter);

// Sets up a dialog to open one existing playlist, with the four filter entries
// showing their descriptions exactly as written and the first one in force.
void preparePlaylistDialog(QFileDialog& dialog);

} // namespace tunecrate
