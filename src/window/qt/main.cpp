#include "ConsoleRun.h"
#include "frmPlaylistExporter.h"

#include <QApplication>
#include <QStringList>
#include <filesystem>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    // The export without a window, help and version need no display.
    std::error_code noFolder;
    const tunecrate::CommandLine line = tunecrate::parseCommandLine(
        std::vector<std::string>(argv + 1, argv + argc), std::filesystem::current_path(noFolder));
    if (const std::optional<int> status =
            tunecrate::runWithoutWindow(line, tunecrate::systemConsole())) {
        return *status;
    }

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
