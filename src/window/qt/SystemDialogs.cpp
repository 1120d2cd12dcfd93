#include "SystemDialogs.h"

#include "Folderopen.h"
#include "Language.h"
#include "PlaylistFilter.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace tunecrate {

QStringList qtNameFilters(std::string_view filter)
{
    const QString text = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()));
    const QList<QStringView> parts = QStringView(text).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1].toString();
        patterns.replace(u';', u' ');
        filters.append(QStringLiteral("%1 (%2)").arg(parts[i], patterns));
    }
    return filters;
}

void preparePlaylistDialog(QFileDialog& dialog)
{
    // Qt's own dialog on every desktop: native ones cut a description at its
    // first parenthesis, and "Playlists (*.m3u,*.pls,*.txt)" would lose its
    // list. Hiding the details takes off only the appended pattern list.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(qtNameFilters(playlistFilter));
}

Dialogs systemDialogs(QWidget* owner)
{
    return {
        .choosePlaylist =
            [owner] {
                QFileDialog dialog(owner);
                preparePlaylistDialog(dialog);
                if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
                    return std::string();
                }
                return QDir::toNativeSeparators(dialog.selectedFiles().constFirst()).toStdString();
            },
        .browseFolder = &BrowseFolder,
        .showError =
            [owner](const std::string& message) {
                QMessageBox::critical(owner, owner ? owner->windowTitle() : QString(),
                                      QString::fromStdString(message));
            },
        .askCopyWhatFits =
            [owner](const std::string& question) {
                QMessageBox box(QMessageBox::Warning, owner ? owner->windowTitle() : QString(),
                                QString::fromStdString(question), QMessageBox::NoButton, owner);
                QPushButton* copy = box.addButton(
                    QString::fromStdString(Language().strCopyWhatFits), QMessageBox::AcceptRole);
                box.addButton(QString::fromStdString(Language().strCancel),
                              QMessageBox::RejectRole);
                box.setDefaultButton(copy);
                box.exec();
                return box.clickedButton() == copy;
            },
    };
}

} // namespace tunecrate
