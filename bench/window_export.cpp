// Runs one export through the real window, as a user does it: the window
// shown, both paths filled in, Save clicked, and quits once the run has ended.
//   tunecrate-bench-window PLAYLIST TARGET
// Prints the log's size, so a run can be checked and measured from outside.
//   tunecrate-bench-window --passes COUNT
// Lets events through COUNT times, as a run does at every examined line and
// progress notification, with the window shown and nothing pending, and prints
// the seconds they took: what the event loop alone costs a run.
// Meant for the offscreen platform (QT_QPA_PLATFORM=offscreen).

#include "frmPlaylistExporter.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

int timePasses(tunecrate::frmPlaylistExporter& window, long count)
{
    window.show();
    QCoreApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    for (long pass = 0; pass < count; ++pass) {
        window.session().processEvents();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%ld passes, %.6f seconds\n", count, elapsed.count());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PLAYLIST TARGET | --passes COUNT\n", argv[0]);
        return 2;
    }
    tunecrate::frmPlaylistExporter window;
    if (std::string_view(argv[1]) == "--passes") {
        return timePasses(window, std::strtol(argv[2], nullptr, 10));
    }
    window.findChild<QLineEdit*>(QStringLiteral("txtPathfrom"))
        ->setText(QString::fromLocal8Bit(argv[1]));
    window.findChild<QLineEdit*>(QStringLiteral("txtPathto"))
        ->setText(QString::fromLocal8Bit(argv[2]));
    window.show();

    // The click comes from the event loop, like a user's; the run holds the
    // loop until it ends, and the quit queued after it runs once it has.
    auto* save = window.findChild<QPushButton*>(QStringLiteral("cmdSave"));
    QTimer::singleShot(0, save, [save] {
        save->click();
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    if (QApplication::exec() != 0) {
        return 1;
    }
    const std::string log = window.logText();
    const auto breaks = std::count(log.begin(), log.end(), '\n');
    std::printf("%ld log lines, %zu log bytes\n", static_cast<long>(breaks) + 1, log.size());
    return 0;
}
