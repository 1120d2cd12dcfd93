#pragma once

#include "ExportScene.h"
#include "FakeDialogs.h"
#include "LogLines.h"
#include "frmPlaylistExporter.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace tunecrate::test {

template <class Control = QWidget> Control* control(const QWidget& window, const char* name)
{
    return window.findChild<Control*>(QString::fromLatin1(name));
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

// More than a megabyte, so that its copy reports progress between chunks.
constexpr std::size_t multiChunkSize = 3 * 1024 * 1024 + 1;

// Runs action once, at the first chance the window lets events through after
// a copy has reported progress above 0 and below 100: what a user does while
// a file is being copied.
inline void duringFirstCopy(frmPlaylistExporter& window, std::function<void()> action)
{
    // A timer without interval fires at every pass of the event loop; the
    // progress value is the run's newest, whether the bar shows it yet or not.
    auto* watch = new QTimer(&window);
    QObject::connect(watch, &QTimer::timeout, &window,
                     [watch, &window, action = std::move(action),
                      shown = window.session().progressValue()]() mutable {
                         const float before =
                             std::exchange(shown, window.session().progressValue());
                         if (shown != before && shown > 0 && shown < 100) {
                             watch->stop();
                             watch->deleteLater();
                             action();
                         }
                     });
    watch->start(0);
}

// Hands the next modal dialog of type Dialog to action once it is shown, so a
// test can answer a real dialog the way a user would.
template <class Dialog> void whenDialogShows(std::function<void(Dialog&)> action)
{
    QTimer::singleShot(10, qApp, [action = std::move(action)]() mutable {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            action(*dialog);
        } else {
            whenDialogShows<Dialog>(std::move(action));
        }
    });
}

// Answers a file dialog as a user who types the name of path into it and
// presses Open.
inline void typeAndAccept(QFileDialog& dialog, const QString& path)
{
    const QFileInfo chosen(path);
    dialog.setDirectory(chosen.absolutePath());
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen.fileName());
    static_cast<QDialog&>(dialog).accept();
}

// The window as a user finds it after start-up, shown, with fake dialogs in
// place of the real ones.
inline std::unique_ptr<frmPlaylistExporter> startWindow(FakeDialogs& fake)
{
    fake = {};
    auto window = std::make_unique<frmPlaylistExporter>();
    window->setDialogs(fake.dialogs());
    window->show();
    return window;
}

} // namespace tunecrate::test
