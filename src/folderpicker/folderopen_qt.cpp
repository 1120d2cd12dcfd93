#include "Folderopen.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace tunecrate {

std::string BrowseFolder(const std::string& sTitle, const std::string& sStartPath)
{
    const QString folder = QFileDialog::getExistingDirectory(
        QApplication::activeWindow(), QString::fromStdString(sTitle),
        QString::fromStdString(sStartPath), QFileDialog::ShowDirsOnly);
    return QDir::toNativeSeparators(folder).toStdString();
}

} // namespace tunecrate
