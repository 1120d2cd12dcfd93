#include "Design.h"
#include "WindowTest.h"
#include "frmPlaylistExporter.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

using namespace tunecrate;
using namespace tunecrate::test;

namespace {

const QStringList englishTexts =
    QStringLiteral("Search|Search|Save|Cancel|File: |Filename: |Progress: |"
                   "Playlist file (M3U, M3U8, PLS, TXT)|Target folder|"
                   "Search for a playlist|Search for the target folder|With playlist|Numbered|"
                   "Remove dropped")
        .split(u'|');
const QStringList germanTexts =
    QStringLiteral("Durchsuchen|Durchsuchen|Speichern|Abbrechen|Datei: |Dateiname: |Fortschritt: |"
                   "Playlist-Datei (M3U, M3U8, PLS, TXT)|Zielordner|"
                   "Playlist suchen|Zielordner suchen|Mit Playlist|Nummeriert|"
                   "Entfernte löschen")
        .split(u'|');

} // namespace

class TestWindowCommands : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<frmPlaylistExporter> window;
    FakeDialogs fake;

    QComboBox* cmbLang() const { return control<QComboBox>(*window, "cmbLang"); }
    QLineEdit* lineEdit(const char* name) const { return control<QLineEdit>(*window, name); }
    QPlainTextEdit* txtPlaylist() const { return control<QPlainTextEdit>(*window, "txtPlaylist"); }
    QPushButton* button(const char* name) const { return control<QPushButton>(*window, name); }

    // The texts the language sets: four captions, three panel labels, the
    // hints of the path boxes, the names of the two Search buttons and the
    // check box's caption, which must fit beside its box.
    QStringList languageTexts() const
    {
        QStringList texts;
        for (const char* name : {"cmdSearch", "cmdSearch2", "cmdSave", "cmdCancel"}) {
            texts.append(button(name)->text());
        }
        for (const char* name : {"panel1", "panel2", "panel3"}) {
            texts.append(control<QLabel>(*window, name)->text());
        }
        texts << lineEdit("txtPathfrom")->placeholderText()
              << lineEdit("txtPathto")->placeholderText() << button("cmdSearch")->accessibleName()
              << button("cmdSearch2")->accessibleName();
        for (const char* name : {"chkPlaylist", "chkNumbered", "chkRemoveDropped"}) {
            const auto* box = control<QCheckBox>(*window, name);
            texts << (box->sizeHint().width() <= box->width() ? box->text()
                                                              : QStringLiteral("cut off"));
        }
        return texts;
    }

    // Everything else a person reads in the window.
    QStringList otherTexts() const
    {
        return {window->windowTitle(),         lineEdit("txtPathfrom")->text(),
                lineEdit("txtPathto")->text(), txtPlaylist()->toPlainText(),
                cmbLang()->itemText(0),        cmbLang()->itemText(1)};
    }

    // Opens the list and clicks the item. Opened from the keyboard: a click
    // that opens it makes the list ignore the next click for a moment.
    void clickLanguage(const QString& language)
    {
        cmbLang()->setFocus();
        QTest::keyClick(cmbLang(), Qt::Key_F4);
        QAbstractItemView* list = cmbLang()->view();
        QTRY_VERIFY(list->isVisible());
        const QModelIndex item = list->model()->index(cmbLang()->findText(language), 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
        QTRY_VERIFY(!list->isVisible());
    }

private Q_SLOTS:
    void init()
    {
        window = startWindow(fake);
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup() { window.reset(); }

    void clickOnTheListAppliesTheLanguage()
    {
        clickLanguage(QStringLiteral("Deutsch"));
        QCOMPARE(cmbLang()->currentText(), QStringLiteral("Deutsch"));
        QCOMPARE(languageTexts(), germanTexts);
        for (const ControlDesign& design : designedControls) {
            QVERIFY(!control(*window, design.name.data())->accessibleName().isEmpty());
        }
    }

    void anyKeyReleasedOnTheListAppliesWhatItShows_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("letter") << int(Qt::Key_A);
        QTest::newRow("shift") << int(Qt::Key_Shift);
        QTest::newRow("function key") << int(Qt::Key_F5);
        QTest::newRow("space") << int(Qt::Key_Space);
    }
    void anyKeyReleasedOnTheListAppliesWhatItShows()
    {
        QFETCH(int, key);
        cmbLang()->setFocus();
        // Shown without a Click, so only the key release can apply it.
        cmbLang()->setCurrentIndex(cmbLang()->findText(QStringLiteral("Deutsch")));
        QCOMPARE(languageTexts(), englishTexts);

        QTest::keyRelease(cmbLang(), static_cast<Qt::Key>(key));

        QCOMPARE(languageTexts(), germanTexts);
    }

    void arrowKeyRaisesClickAndKeyUpWithTheResultOfOne()
    {
        cmbLang()->setFocus();
        QTest::keyPress(cmbLang(), Qt::Key_Down);
        QCOMPARE(languageTexts(), germanTexts); // the Click of the new item
        QTest::keyRelease(cmbLang(), Qt::Key_Down);
        QCOMPARE(languageTexts(), germanTexts);
    }

    void germanThenEnglishRestoresEveryText()
    {
        lineEdit("txtPathfrom")->setText(QStringLiteral("/music/list.m3u"));
        lineEdit("txtPathto")->setText(QStringLiteral("/export"));
        window->session().setLog("\r\n/music/a.mp3\r\ncopied to:\r\n/export/a.mp3\r\nok\r\n---");
        const QStringList others = otherTexts();

        clickLanguage(QStringLiteral("Deutsch"));
        QCOMPARE(otherTexts(), others);
        clickLanguage(QStringLiteral("English"));

        QCOMPARE(languageTexts(), englishTexts);
        QCOMPARE(otherTexts(), others);
    }

    // A drop on a box or the log reaches the window, which decides.
    void dropFillsTheBoxesWhereverItLandsOrIsRefused()
    {
        const QTemporaryDir scene;
        writeBytes(scene.filePath(QStringLiteral("a.pls")), "[playlist]\n");
        writeBytes(scene.filePath(QStringLiteral("song.mp3")), "ID3");
        QVERIFY(QDir(scene.path()).mkdir(QStringLiteral("Music")));
        const auto drop = [&](const char* onto, const QStringList& items) {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString& item : items) {
                urls.append(QUrl::fromLocalFile(scene.filePath(item)));
            }
            data.setUrls(urls);
            const auto* target = control(*window, onto);
            const QPoint at = target->mapTo(window.get(), target->rect().center());
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(window->windowHandle(), &enter);
            QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(window->windowHandle(), &dropped);
            return enter.isAccepted();
        };
        QVERIFY(!drop("txtPathfrom", {QStringLiteral("song.mp3")}));
        QCOMPARE(lineEdit("txtPathfrom")->text() + lineEdit("txtPathto")->text(), QString());
        QVERIFY(drop("txtPlaylist", {QStringLiteral("Music"), QStringLiteral("a.pls")}));
        QCOMPARE(lineEdit("txtPathfrom")->text(), scene.filePath(QStringLiteral("a.pls")));
        QCOMPARE(lineEdit("txtPathto")->text(), scene.filePath(QStringLiteral("Music")));
    }

    void cancelWithoutARunChangesNothingAndIsForgottenBySave()
    {
        ExportFolder folder;
        const std::string song = folder.song("a.mp3");
        lineEdit("txtPathfrom")->setText(QString::fromStdString(folder.playlist({song})));
        lineEdit("txtPathto")->setText(QString::fromStdString(folder.targetText()));
        const QStringList before = languageTexts() + otherTexts();

        QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
        QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
        QCOMPARE(languageTexts() + otherTexts(), before);

        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        QCOMPARE(splitLogLines(window->logText()).back(), std::string("All files copied!"));
    }

    void playlistDialog_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("after");
        const QString old = QStringLiteral("/music/old.m3u");
        const QString chosen = QStringLiteral("/music/new list.pls");
        QTest::newRow("confirmed replaces") << old << chosen << chosen;
        QTest::newRow("confirmed fills an empty box") << QString() << chosen << chosen;
        QTest::newRow("cancelled keeps the path") << old << QString() << old;
        QTest::newRow("cancelled keeps an empty box") << QString() << QString() << QString();
    }
    void playlistDialog()
    {
        QFETCH(QString, before);
        QFETCH(QString, answer);
        QFETCH(QString, after);
        lineEdit("txtPathfrom")->setText(before);
        fake.playlistAnswers = {answer.toStdString()};

        QTest::mouseClick(button("cmdSearch"), Qt::LeftButton);

        QCOMPARE(lineEdit("txtPathfrom")->text(), after);
        QCOMPARE(fake.playlistRequests, 1);
    }

    void folderDialog_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("after");
        const QString old = QStringLiteral("/export/old");
        QTest::newRow("confirmed replaces")
            << old << QStringLiteral("/export/new") << QStringLiteral("/export/new");
        QTest::newRow("confirmed root as given")
            << old << QStringLiteral("/") << QStringLiteral("/");
        QTest::newRow("cancelled keeps the folder") << old << QString() << old;
    }
    void folderDialog()
    {
        QFETCH(QString, before);
        QFETCH(QString, answer);
        QFETCH(QString, after);
        lineEdit("txtPathto")->setText(before);
        fake.folderAnswers = {answer.toStdString()};

        QTest::mouseClick(button("cmdSearch2"), Qt::LeftButton);

        QCOMPARE(lineEdit("txtPathto")->text(), after);
        QCOMPARE(fake.folderRequests.size(), std::size_t{1});
        QCOMPARE(fake.folderRequests.front().first, std::string("Bitte Ordner auswählen"));
        QCOMPARE(fake.folderRequests.front().second, std::string());
    }

    void folderPromptStaysGermanInEnglishAndGerman()
    {
        clickLanguage(QStringLiteral("Deutsch"));
        QTest::mouseClick(button("cmdSearch2"), Qt::LeftButton);
        clickLanguage(QStringLiteral("English"));
        QTest::mouseClick(button("cmdSearch2"), Qt::LeftButton);
        QCOMPARE(fake.folderRequests.size(), std::size_t{2});
        QCOMPARE(fake.folderRequests[0], fake.folderRequests[1]);
    }

    void changeInTheMiddleOfTheLogPutsTheCaretAtTheEnd()
    {
        window->session().setLog("\r\nfirst\r\nsecond");
        txtPlaylist()->setFocus();
        QTextCursor caret = txtPlaylist()->textCursor();
        caret.setPosition(3);
        txtPlaylist()->setTextCursor(caret);

        QTest::keyClick(txtPlaylist(), Qt::Key_X);

        const int end = txtPlaylist()->document()->characterCount() - 1;
        QCOMPARE(txtPlaylist()->textCursor().position(), end);
        QCOMPARE(window->logText(), std::string("\r\nfixrst\r\nsecond"));
        // The run's next addition goes below what the user changed.
        window->session().appendLog("\r\nok");
        QCOMPARE(window->logText(), std::string("\r\nfixrst\r\nsecond\r\nok"));
        QCOMPARE(txtPlaylist()->textCursor().position(), end + 3);
    }

    void languageSwitchDuringACopyShowsBareLabelsUntilTheRunWrites()
    {
        ExportFolder folder;
        const std::string big = folder.song("big.mp3", patterned("big.mp3", multiChunkSize));
        const std::string small = folder.song("small.mp3");
        lineEdit("txtPathfrom")->setText(QString::fromStdString(folder.playlist({big, small})));
        lineEdit("txtPathto")->setText(QString::fromStdString(folder.targetText()));

        QStringList panelsAfterSwitch;
        duringFirstCopy(*window, [&] {
            cmbLang()->setFocus();
            QTest::keyClick(cmbLang(), Qt::Key_Down);
            panelsAfterSwitch = languageTexts().mid(4);
        });
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);

        QCOMPARE(panelsAfterSwitch, germanTexts.mid(4));
        const std::vector<std::string> lines = splitLogLines(window->logText());
        QCOMPARE(lines.size(), std::size_t{12});
        QCOMPARE(lines[2], std::string("copied to:")); // written before the switch
        QCOMPARE(lines[7], std::string("wird kopiert nach:"));
        QCOMPARE(lines[11], std::string("Alle Dateien kopiert!"));
        QCOMPARE(control<QLabel>(*window, "panel1")->text(),
                 QString::fromStdString("Datei: " + small));
        const QLabel* progress = control<QLabel>(*window, "panel3");
        QCOMPARE(progress->text(), QStringLiteral("Fortschritt: 100%"));
        QVERIFY(progress->sizeHint().width() <= progress->width()); // not cut off
    }
};

QTEST_MAIN(TestWindowCommands)
#include "tst_windowcommands.moc"
