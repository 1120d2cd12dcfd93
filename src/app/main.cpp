#include "frmPlaylistExporter.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("tunecrate"));

    tunecrate::frmPlaylistExporter window;
    window.show();
    return QApplication::exec();
}
