// Makes the README's screenshot: the real window after a small export made in
// a temporary folder, grabbed offscreen. Offscreen windows have no frame, so a
// plain caption bar with the window's title is drawn above the grab.
//
// Usage: tunecrate_screenshot <output.png>

#include "frmPlaylistExporter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const QStringList songs{
    QStringLiteral("Harbour Lights - Morning Tide.mp3"),
    QStringLiteral("Harbour Lights - Salt and Paper.mp3"),
    QStringLiteral("The Quiet Rooms - Northbound.flac"),
};

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The music, an extended M3U naming it and an empty target folder.
bool prepareExport(const QDir& base, QString& playlist, QString& target)
{
    if (!base.mkpath(QStringLiteral("Music")) || !base.mkpath(QStringLiteral("USB Stick"))) {
        return false;
    }
    QByteArray list = "#EXTM3U\r\n";
    for (const QString& song : songs) {
        const QString path = base.filePath(QStringLiteral("Music/") + song);
        if (!writeFile(path, QByteArray(64 * 1024, 'm'))) {
            return false;
        }
        list += "#EXTINF:200," + song.section(u'.', 0, 0).toUtf8() + "\r\n";
        list += QDir::toNativeSeparators(path).toUtf8() + "\r\n";
    }
    playlist = QDir::toNativeSeparators(base.filePath(QStringLiteral("Music/Road trip.m3u")));
    target = QDir::toNativeSeparators(base.filePath(QStringLiteral("USB Stick")));
    return writeFile(playlist, list);
}

QPixmap withCaption(const QWidget& window, const QPixmap& client)
{
    const int captionHeight = 26;
    QPixmap shot(client.width() + 2, client.height() + captionHeight + 1);
    shot.fill(QColor(0x5b, 0x6b, 0x7d));
    QPainter painter(&shot);
    const QRect caption(1, 0, client.width(), captionHeight);
    const QIcon icon = window.windowIcon();
    int textLeft = caption.left() + 8;
    if (!icon.isNull()) {
        icon.paint(&painter, QRect(textLeft, (captionHeight - 16) / 2, 16, 16));
        textLeft += 24;
    }
    painter.setPen(Qt::white);
    painter.drawText(caption.adjusted(textLeft, 0, -32, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     window.windowTitle());
    painter.drawText(QRect(caption.right() - 28, 0, 24, captionHeight), Qt::AlignCenter,
                     QStringLiteral("\u2715"));
    painter.drawPixmap(1, captionHeight, client);
    return shot;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: tunecrate_screenshot <output.png>\n", stderr);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);

    QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("tunecrate-demo-XXXXXX")));
    QString playlist;
    QString target;
    if (!folder.isValid() || !prepareExport(QDir(folder.path()), playlist, target)) {
        std::fputs("tunecrate_screenshot: could not prepare the export\n", stderr);
        return 1;
    }

    tunecrate::frmPlaylistExporter window;
    window.show();
    window.findChild<QLineEdit*>(QStringLiteral("txtPathfrom"))->setText(playlist);
    window.findChild<QLineEdit*>(QStringLiteral("txtPathto"))->setText(target);
    window.findChild<QCheckBox*>(QStringLiteral("chkNumbered"))->setChecked(true);
    window.findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
    QApplication::processEvents();

    if (!withCaption(window, window.grab()).save(output)) {
        std::fprintf(stderr, "tunecrate_screenshot: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
