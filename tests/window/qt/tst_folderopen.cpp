#include "Folderopen.h"
#include "WindowTest.h"

#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

using namespace tunecrate;
using namespace tunecrate::test;

class TestFolderopen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void confirmedFolderComesBackWithTheDialogShowingPromptAndStart()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Musik für später")));
        const QString chosen = folder.filePath(QStringLiteral("Musik für später"));
        QString title;
        QString startFolder;
        bool onlyFolders = false;
        whenDialogShows<QFileDialog>([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            startFolder = dialog.directory().absolutePath();
            onlyFolders = dialog.fileMode() == QFileDialog::Directory;
            typeAndAccept(dialog, chosen);
        });

        const std::string result =
            BrowseFolder("Bitte Ordner auswählen", folder.path().toStdString());

        QCOMPARE(QString::fromStdString(result), QDir::toNativeSeparators(chosen));
        QCOMPARE(title, QStringLiteral("Bitte Ordner auswählen"));
        QCOMPARE(startFolder, QDir(folder.path()).absolutePath());
        QVERIFY(onlyFolders);
    }

    void cancelGivesTheEmptyText()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        whenDialogShows<QFileDialog>([&](QFileDialog& dialog) {
            dialog.setDirectory(folder.path());
            dialog.reject();
        });
        QCOMPARE(BrowseFolder("Bitte Ordner auswählen", ""), std::string());
    }
};

QTEST_MAIN(TestFolderopen)
#include "tst_folderopen.moc"
