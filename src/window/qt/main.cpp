#include "frmPlaylistExporter.h"

#include <QApplication>
#include <QStringList>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("tunecrate"));

    tunecrate::frmPlaylistExporter window;
    // What QApplication left of the command line once it took its own options:
    // a file manager's "Open with" passes the playlist here.
    std::vector<std::string> arguments;
    for (const QString& argument : QCoreApplication::arguments().mid(1)) {
        arguments.push_back(argument.toStdString());
    }
    window.openPaths(arguments);
    window.show();
    return QApplication::exec();
}
