// Faults met through the real window: closing it, or pressing Save again, while
// a file is being copied. Whatever happens, the log's "ok" and "error" records
// match what is on disk, a copy under way completes or leaves the older file,
// and no temporary file is left.

#include "FolderState.h"
#include "TempDir.h"
#include "WindowTest.h"
#include "frmPlaylistExporter.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <map>
#include <memory>

using namespace tunecrate;
using namespace tunecrate::test;

class TestFaults : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<frmPlaylistExporter> window;
    FakeDialogs fake;

    std::unique_ptr<ExportFolder> scene;
    std::string big;
    std::string small;
    std::map<std::string, std::string> sourceBytes;
    std::optional<FolderState> targetBefore;

    void clickSave()
    {
        QTest::mouseClick(control<QPushButton>(*window, "cmdSave"), Qt::LeftButton);
    }

    // A playlist of a file big enough to be copied in several chunks and a
    // small one; with olderBig, the target already holds a different big.mp3.
    void prepare(bool olderBig)
    {
        ExportFolder& folder = *scene;
        big = folder.song("big.mp3", patterned("big.mp3", multiChunkSize));
        small = folder.song("small.mp3");
        sourceBytes = {{big, bytesOf(big)}, {small, bytesOf(small)}};
        if (olderBig) {
            writeFile(scene->exported("big.mp3"), "an older big.mp3");
        }
        targetBefore = folderState(folder.target());
        control<QLineEdit>(*window, "txtPathfrom")
            ->setText(QString::fromStdString(folder.playlist({big, small})));
        control<QLineEdit>(*window, "txtPathto")
            ->setText(QString::fromStdString(folder.targetText()));
    }

    // The log's results are as given, the target holds what the log claims,
    // and no source changed.
    void verifyLogMatchesDisk(const std::vector<std::string>& results)
    {
        const ExportFolder& folder = *scene;
        const auto records = logRecords(splitLogLines(window->logText()));
        QCOMPARE(resultsOf(records), results);
        QCOMPARE(folderState(folder.target()),
                 claimedState(*targetBefore, folder.target(), records, sourceBytes));
        QCOMPARE(folder.temporariesLeft(), 0);
        for (const auto& [source, bytes] : sourceBytes) {
            QCOMPARE(bytesOf(source), bytes);
        }
    }

private Q_SLOTS:
    void init()
    {
        fake = {};
        scene = std::make_unique<ExportFolder>();
        window = std::make_unique<frmPlaylistExporter>();
        window->setDialogs(fake.dialogs());
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup()
    {
        window.reset();
        scene.reset();
    }

    void closeDuringACopyFinishesItAndCopiesNoMore_data()
    {
        QTest::addColumn<bool>("olderBig");
        QTest::newRow("over an older file") << true;
        QTest::newRow("into an empty folder") << false;
    }
    void closeDuringACopyFinishesItAndCopiesNoMore()
    {
        QFETCH(bool, olderBig);
        prepare(olderBig);
        duringFirstCopy(*window, [this] { window->close(); });

        clickSave();

        QVERIFY(!window->isVisible());
        QCOMPARE(splitLogLines(window->logText()).back(), std::string("canceled!"));
        verifyLogMatchesDisk({"ok"});
        QVERIFY(!std::filesystem::exists(scene->exported("small.mp3")));
    }

    void secondSaveDuringACopyRunsWholeThenTheFirstGoesOn_data()
    {
        closeDuringACopyFinishesItAndCopiesNoMore_data();
    }
    void secondSaveDuringACopyRunsWholeThenTheFirstGoesOn()
    {
        QFETCH(bool, olderBig);
        prepare(olderBig);
        duringFirstCopy(*window, [this] { clickSave(); });

        clickSave();

        const std::string copiedBig = scene->exported("big.mp3");
        const std::string copiedSmall = scene->exported("small.mp3");
        // The second run's whole log, then what the first run adds after its copy.
        QCOMPARE(splitLogLines(window->logText()),
                 (std::vector<std::string>{"",          big,   "copied to:", copiedBig,
                                           "ok",        "---", small,        "copied to:",
                                           copiedSmall, "ok",  "---",        "All files copied!",
                                           "ok",        "---", small,        "copied to:",
                                           copiedSmall, "ok",  "---",        "All files copied!"}));
        verifyLogMatchesDisk({"ok", "ok", "ok"});
        QVERIFY(window->isVisible());
    }

    void closeDuringASecondRunEndsBothThenCloses()
    {
        prepare(true);
        duringFirstCopy(*window, [this] {
            duringFirstCopy(*window, [this] { window->close(); });
            clickSave();
        });

        clickSave();

        QVERIFY(!window->isVisible());
        QCOMPARE(splitLogLines(window->logText()),
                 (std::vector<std::string>{"", big, "copied to:", scene->exported("big.mp3"), "ok",
                                           "---", "canceled!", "ok", "---", "canceled!"}));
        verifyLogMatchesDisk({"ok"});
        QVERIFY(!std::filesystem::exists(scene->exported("small.mp3")));
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
