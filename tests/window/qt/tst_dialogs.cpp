#include "PlaylistFilter.h"
#include "SystemDialogs.h"
#include "WindowTest.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QListView>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

using namespace tunecrate;
using namespace tunecrate::test;

namespace {

// The names the dialog lists as choosable in its current folder.
QStringList listedFiles(const QFileDialog& dialog)
{
    const auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    if (view == nullptr) {
        return names;
    }
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
        const QModelIndex item = model->index(row, 0, view->rootIndex());
        if (!view->isRowHidden(row) && item.flags().testFlag(Qt::ItemIsEnabled)) {
            names.append(item.data().toString());
        }
    }
    names.sort();
    return names;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        for (const char* name : {"a.m3u", "b.pls", "c.txt", "d.mp3", "e.m3u8"}) {
            writeBytes(folder.filePath(QString::fromLatin1(name)), "x");
        }
    }

    void playlistFilterShowsItsDescriptionsAndFiltersByItsPatterns_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("all playlists")
            << 0 << QStringLiteral("Playlists (*.m3u,*.pls,*.txt)")
            << QStringList{QStringLiteral("a.m3u"), QStringLiteral("b.pls"),
                           QStringLiteral("c.txt"), QStringLiteral("e.m3u8")};
        QTest::newRow("m3u") << 1 << QStringLiteral("M3U Playlists (*.m3u)")
                             << QStringList{QStringLiteral("a.m3u"), QStringLiteral("e.m3u8")};
        QTest::newRow("pls") << 2 << QStringLiteral("PLS Playlists (*.pls)")
                             << QStringList{QStringLiteral("b.pls")};
        QTest::newRow("txt") << 3 << QStringLiteral("TXT Playlists (*.txt)")
                             << QStringList{QStringLiteral("c.txt")};
    }
    void playlistFilterShowsItsDescriptionsAndFiltersByItsPatterns()
    {
        QFETCH(int, entry);
        QFETCH(QString, description);
        QFETCH(QStringList, files);

        QFileDialog dialog;
        preparePlaylistDialog(dialog);
        dialog.setDirectory(folder.path());
        const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        QCOMPARE(types->count(), 4);
        QCOMPARE(types->currentIndex(), 0); // the first entry is in force at the start

        dialog.selectNameFilter(dialog.nameFilters().at(entry));

        QCOMPARE(types->itemText(entry), description);
        QCOMPARE(types->currentText(), description);
        QTRY_COMPARE(listedFiles(dialog), files);
    }

    void choosePlaylistGivesTheConfirmedFile()
    {
        const QString chosen = folder.filePath(QStringLiteral("b.pls"));
        QStringList shownTypes;
        whenDialogShows<QFileDialog>([&](QFileDialog& dialog) {
            shownTypes = dialog.nameFilters();
            typeAndAccept(dialog, chosen);
        });

        QCOMPARE(systemDialogs(nullptr).choosePlaylist(),
                 QDir::toNativeSeparators(chosen).toStdString());
        QCOMPARE(shownTypes, qtNameFilters(playlistFilter));
    }

    void choosePlaylistCancelledGivesTheEmptyText()
    {
        whenDialogShows<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
        QCOMPARE(systemDialogs(nullptr).choosePlaylist(), std::string());
    }

    void errorIsShownInAMessageBox()
    {
        QWidget parent;
        parent.setWindowTitle(QStringLiteral("Tunecrate"));
        QString shown;
        whenDialogShows<QMessageBox>([&](QMessageBox& box) {
            shown = box.text();
            box.accept();
        });
        systemDialogs(&parent).showError("disk full");
        QCOMPARE(shown, QStringLiteral("disk full"));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
