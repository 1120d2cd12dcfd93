#include "SystemDialogs.h"

#include "Folderopen.h"
#include "Language.h"
#include "PlaylistFilter.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

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

namespace {

// The question above the files' names in a list that scrolls; "Keep" is the
// default, so Enter and Esc both keep them.
bool askRemoval(QWidget* owner, const std::string& question, const std::vector<std::string>& names)
{
    QDialog dialog(owner);
    dialog.setWindowTitle(owner ? owner->windowTitle() : QString());
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(QString::fromStdString(question), &dialog);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("removalList"));
    list->setSelectionMode(QAbstractItemView::NoSelection);
    for (const std::string& name : names) {
        list->addItem(QString::fromStdString(name));
    }
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* keep = buttons->addButton(QString::fromStdString(Language().strKeep),
                                           QDialogButtonBox::RejectRole);
    QPushButton* remove = buttons->addButton(QString::fromStdString(Language().strRemove),
                                             QDialogButtonBox::AcceptRole);
    remove->setAutoDefault(false);
    keep->setDefault(true);
    keep->setFocus();
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

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
        .askRemoval =
            [owner](const std::string& question, const std::vector<std::string>& names) {
                return askRemoval(owner, question, names);
            },
    };
}

} // namespace tunecrate
