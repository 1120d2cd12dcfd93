#include "TempDir.h"
#include "WindowDesign.h"
#include "WindowTest.h"
#include "drive/Flush.h"
#include "frmPlaylistExporter.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

using namespace tunecrate;
using namespace tunecrate::test;

namespace {

QRect designedRect(const DesignedPlace& place)
{
    return {designedPixels(place.left), designedPixels(place.top), designedPixels(place.width),
            designedPixels(place.height)};
}

} // namespace

class TestFrmPlaylistExporter : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<frmPlaylistExporter> window;
    FakeDialogs fake;

    QLineEdit* txtPathfrom() const { return control<QLineEdit>(*window, "txtPathfrom"); }
    QLineEdit* txtPathto() const { return control<QLineEdit>(*window, "txtPathto"); }
    QPushButton* button(const char* name) const { return control<QPushButton>(*window, name); }
    QLabel* panel(int number) const
    {
        return window->findChild<QLabel*>(QStringLiteral("panel%1").arg(number));
    }

    void save(const ExportFolder& folder, const std::string& playlist)
    {
        txtPathfrom()->setText(QString::fromStdString(playlist));
        txtPathto()->setText(QString::fromStdString(folder.targetText()));
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
    }

    // Exports a small file, then one that reports progress between its chunks;
    // gives the second one's path.
    std::string saveSmallThenBig(ExportFolder& folder)
    {
        const std::string small = folder.song("small.mp3");
        const std::string big = folder.song("big.mp3", patterned("big.mp3", multiChunkSize));
        save(folder, folder.playlist({small, big}));
        return big;
    }

private Q_SLOTS:
    void init()
    {
        window = startWindow(fake);
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup() { window.reset(); }

    void startUpShowsEnglishAndEmptyFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("expected");

        const auto row = [](const char* title, const char* name, const char* property,
                            const QVariant& expected) {
            QTest::newRow(title) << QString::fromLatin1(name) << QByteArray(property) << expected;
        };
        row("caption", "", "windowTitle", QStringLiteral("Tunecrate 0.9.0 by Quillmar"));
        row("language shown", "cmbLang", "currentText", QStringLiteral("English"));
        row("language items", "cmbLang", "items",
            QStringList{QStringLiteral("English"), QStringLiteral("Deutsch")});
        row("language takes no typing", "cmbLang", "editable", false);
        row("cmdSearch", "cmdSearch", "text", QStringLiteral("Search"));
        row("cmdSearch2", "cmdSearch2", "text", QStringLiteral("Search"));
        row("cmdSave", "cmdSave", "text", QStringLiteral("Save"));
        row("cmdCancel", "cmdCancel", "text", QStringLiteral("Cancel"));
        row("chkPlaylist", "chkPlaylist", "checked", false);
        row("chkNumbered", "chkNumbered", "checked", false);
        row("chkRemoveDropped", "chkRemoveDropped", "checked", false);
        row("panel 1", "panel1", "text", QStringLiteral("File: "));
        row("panel 2", "panel2", "text", QStringLiteral("Filename: "));
        row("panel 3", "panel3", "text", QStringLiteral("Progress: "));
        row("playlist path", "txtPathfrom", "text", QString());
        row("target folder", "txtPathto", "text", QString());
        row("log", "txtPlaylist", "plainText", QString());
        row("progress", "pgbCopy", "value", 0);
        row("focus", "", "focus", QStringLiteral("cmdSearch"));
    }
    void startUpShowsEnglishAndEmptyFields()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, expected);

        QWidget* target = name.isEmpty() ? window.get() : window->findChild<QWidget*>(name);
        QVERIFY2(target, qPrintable(name));
        QVariant seen;
        if (property == "items") {
            auto* combo = qobject_cast<QComboBox*>(target);
            QStringList items;
            for (int i = 0; i < combo->count(); ++i) {
                items.append(combo->itemText(i));
            }
            seen = items;
        } else if (property == "focus") {
            QVERIFY(QApplication::focusWidget());
            seen = QApplication::focusWidget()->objectName();
        } else {
            seen = target->property(property.constData());
        }
        QCOMPARE(seen, expected);
    }

    void controlsSitWhereDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("expected");

        for (const DesignedPlace& place : designedPlaces) {
            QTest::newRow(place.name) << QString::fromLatin1(place.name) << designedRect(place);
        }
    }
    void controlsSitWhereDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QRect, expected);

        const QWidget* widget = window->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), expected);
    }

    void windowHasFixedSizeAndCloseBoxOnly()
    {
        const QSize client(designedPixels(designedClientWidth),
                           designedPixels(designedClientHeight));
        QCOMPARE(window->size(), client);
        QCOMPARE(window->minimumSize(), client);
        QCOMPARE(window->maximumSize(), client);

        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(window->windowType(), Qt::Window);

        const QRect screen = window->screen()->availableGeometry();
        const QPoint offCentre = window->frameGeometry().center() - screen.center();
        QVERIFY2(offCentre.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
    }

    void tabWalksTheDesignedOrder()
    {
        const QStringList expected{
            QStringLiteral("txtPlaylist"),      QStringLiteral("txtPathfrom"),
            QStringLiteral("chkPlaylist"),      QStringLiteral("chkNumbered"),
            QStringLiteral("chkRemoveDropped"), QStringLiteral("cmdSave"),
            QStringLiteral("txtPathto"),        QStringLiteral("cmdSearch2"),
            QStringLiteral("cmbLang"),          QStringLiteral("cmdCancel"),
            QStringLiteral("cmdSearch"),
        };
        QStringList walked;
        for (qsizetype step = 0; step < expected.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(walked, expected);
        QCOMPARE(control(*window, "pgbCopy")->focusPolicy(), Qt::NoFocus);
        QCOMPARE(control(*window, "stbStatus")->focusPolicy(), Qt::NoFocus);
    }

    void statusPanelsShareTheBarAsDesigned()
    {
        const auto settle = [this] {
            control<QStatusBar>(*window, "stbStatus")->layout()->activate();
        };
        const int minimum = designedPixels(designedPanelMinimum);
        settle();
        const int startWidth1 = panel(1)->width();
        const int progressWidth = panel(3)->width();
        QCOMPARE(panel(2)->width(), minimum);
        QVERIFY(progressWidth >= designedPixels(designedProgressPanel));
        QVERIFY(startWidth1 > 300);

        // Panel 2 widens for a long name, and panel 1 gives up the room.
        window->session().setPanelText(2, "Filename: " + std::string(40, 'x') + ".mp3");
        window->session().setPanelText(3, "Progress: 100%");
        settle();
        QVERIFY(panel(2)->width() > minimum);
        QVERIFY(panel(2)->width() >= panel(2)->sizeHint().width());
        QCOMPARE(panel(1)->width(), startWidth1 - (panel(2)->width() - minimum));
        QCOMPARE(panel(3)->width(), progressWidth);
        QVERIFY(panel(3)->sizeHint().width() <= progressWidth);

        // A long path does not push the others; a short name shrinks panel 2 back.
        window->session().setPanelText(1, "File: " + std::string(500, 'y'));
        window->session().setPanelText(2, "Filename: a");
        window->session().setPanelText(3, "Progress: 7%");
        settle();
        QCOMPARE(panel(1)->width(), startWidth1);
        QCOMPARE(panel(2)->width(), minimum);
        QCOMPARE(panel(3)->width(), progressWidth);
    }

    // After a run the newest line is in view, and a screen reader finds the
    // box's text with the caret after its last line.
    void afterARunTheNewestLineIsInViewWithTheCaretAfterIt()
    {
        ExportFolder folder;
        save(folder,
             folder.playlist({folder.song("a.mp3"), folder.song("b.mp3"), folder.song("c.mp3")}));

        auto* box = control<QPlainTextEdit>(*window, "txtPlaylist");
        QCOMPARE(box->blockCount(), 17);
        QVERIFY(box->verticalScrollBar()->maximum() > 0); // more lines than the box shows
        QCOMPARE(box->verticalScrollBar()->value(), box->verticalScrollBar()->maximum());
        QAccessibleTextInterface* reader =
            QAccessible::queryAccessibleInterface(box)->textInterface();
        QVERIFY(reader != nullptr);
        QCOMPARE(reader->cursorPosition(), reader->characterCount());
        QCOMPARE(reader->text(0, reader->characterCount()), box->toPlainText());
    }

    void keyTypedIntoTheLogDuringACopyLandsAfterAllTheRunWrote()
    {
        ExportFolder folder;
        auto* box = control<QPlainTextEdit>(*window, "txtPlaylist");
        duringFirstCopy(*window, [&] {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_X);
        });
        saveSmallThenBig(folder);

        const std::vector<std::string> lines = splitLogLines(window->logText());
        QCOMPARE(lines.size(), std::size_t{12});
        QCOMPARE(lines[3], folder.exported("small.mp3"));
        QCOMPARE(lines[8], folder.exported("big.mp3") + "x");
        QCOMPARE(lines[9], std::string("ok"));
        QCOMPARE(lines[11], std::string("All files copied!"));
    }

    // A drive slow to take what the run wrote: the window goes on answering,
    // and panel 3 says what the run waits for.
    void aSlowDriveLeavesTheWindowAnswering()
    {
        ExportFolder folder;
        platform::setFlushHook([](platform::FlushCall, const std::string&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(900));
            return true;
        });
        QStringList panelSeen;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { panelSeen << panel(3)->text(); });
        timer.start(50);
        save(folder, folder.playlist({folder.song("a.mp3")}));
        platform::setFlushHook({});

        QVERIFY2(panelSeen.count(QStringLiteral("Writing to the drive\u2026")) >= 5,
                 qPrintable(panelSeen.join(u'|')));
        QCOMPARE(panel(3)->text(), QStringLiteral("Progress: 100%"));
    }

    void logKeepsTheTextExactlyAsWritten()
    {
        const std::string start = "\r\nfirst\r\ncopied to:";
        window->session().setLog(start);
        window->session().appendLog("\r\nline with \xC3\xA4 and\ttab");
        window->session().appendLog("\r\n");
        window->session().appendLog("last");
        QCOMPARE(window->logText(), start + "\r\nline with \xC3\xA4 and\ttab\r\nlast");

        window->session().setLog({});
        QCOMPARE(window->logText(), std::string());
        QCOMPARE(control<QPlainTextEdit>(*window, "txtPlaylist")->textCursor().position(), 0);
    }
};

QTEST_MAIN(TestFrmPlaylistExporter)
#include "tst_frmplaylistexporter.moc"
