#include "LogBox.h"

#include <QAccessible>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace tunecrate;
using namespace Qt::StringLiterals;

class TestLogBox : public QObject {
    Q_OBJECT

private:
    LogBox box;

    QPoint pointAt(qsizetype position) const { return box.caretRect(position).center().toPoint(); }

private Q_SLOTS:
    void initTestCase()
    {
        box.resize(300, 120);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
    }

    void keysEditTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expectedText");
        QTest::addColumn<int>("expectedCaret");

        const auto row = [](const char* name, const char* text, int caret, const char* keys,
                            const char* expectedText, int expectedCaret) {
            QTest::newRow(name) << QString::fromUtf8(text) << caret << QString::fromLatin1(keys)
                                << QString::fromUtf8(expectedText) << expectedCaret;
        };
        row("typing inserts at the caret", "ab\ncd", 1, "X", "axb\ncd", 2);
        row("Return breaks the line", "ab\ncd", 1, "Return", "a\nb\ncd", 2);
        row("Backspace joins lines", "ab\ncd", 3, "Backspace", "abcd", 2);
        row("Delete at a line's end joins lines", "ab\ncd", 2, "Del", "abcd", 2);
        row("typing replaces what Shift+Left selected", "ab\ncd", 2, "Shift+Left,Shift+Left,X",
            "x\ncd", 1);
        row("Shift+Down selects into the next line", "ab\ncd", 1, "Shift+Down,Del", "ad", 1);
        row("Down keeps the column across a short line", "abc\nd\nefg", 2, "Down,Down,X",
            "abc\nd\nefxg", 9);
        row("Home and End stay on the line", "ab\ncd", 4, "End,Shift+Home,Backspace", "ab\n", 3);
        row("Ctrl+Shift+Home selects to the start", "ab\ncd", 4, "Ctrl+Shift+Home,Del", "d", 0);
        row("Ctrl+End goes to the end", "ab\ncd", 0, "Ctrl+End,X", "ab\ncdx", 6);
        row("Select All, Cut, Paste twice", "ab\ncd", 0, "Ctrl+A,Ctrl+X,Ctrl+V,Ctrl+V",
            "ab\ncdab\ncd", 10);
        row("Ctrl+Right goes to the next word", "one two", 0, "Ctrl+Right,X", "one xtwo", 5);
        row("Ctrl+Backspace deletes a word", "one two", 7, "Ctrl+Backspace", "one ", 4);
        row("Right steps over a character outside the BMP", "a\xF0\x9F\x98\x80z", 1, "Right,X",
            "a\xF0\x9F\x98\x80xz", 4);
        row("Tab is not typed", "ab", 1, "Tab", "ab", 1);
        row("Delete at the end changes nothing", "ab", 2, "Del", "ab", 2);
    }
    void keysEditTheText()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, keys);
        QFETCH(QString, expectedText);
        QFETCH(int, expectedCaret);

        box.setPlainText(text);
        box.setCaretPosition(caret);
        const QSignalSpy changes(&box, &LogBox::textChanged);
        for (const QString& key : keys.split(u',')) {
            const QKeyCombination pressed = QKeySequence::fromString(key)[0];
            QTest::keyClick(&box, pressed.key(), pressed.keyboardModifiers());
        }
        QCOMPARE(box.toPlainText(), expectedText);
        QCOMPARE(box.caretPosition(), expectedCaret);
        QCOMPARE(changes.isEmpty(), text == expectedText);
    }

    void mouseSelects_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("expectedCaret");

        QTest::newRow("click places the caret") << 5 << 5 << false << QString() << 5;
        QTest::newRow("drag selects across lines") << 4 << 10 << false << u"two\nth"_s << 10;
        QTest::newRow("drag backwards") << 10 << 4 << false << u"two\nth"_s << 4;
        QTest::newRow("double-click selects a word") << 5 << 5 << true << u"two"_s << 7;
    }
    void mouseSelects()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, doubleClick);
        QFETCH(QString, selected);
        QFETCH(int, expectedCaret);

        box.setPlainText(QStringLiteral("one two\nthree"));
        if (doubleClick) {
            QTest::mouseDClick(box.viewport(), Qt::LeftButton, {}, pointAt(from));
        } else {
            QTest::mousePress(box.viewport(), Qt::LeftButton, {}, pointAt(from));
            QTest::mouseMove(box.viewport(), pointAt(to));
            QTest::mouseRelease(box.viewport(), Qt::LeftButton, {}, pointAt(to));
        }
        QCOMPARE(box.selectedText(), selected);
        QCOMPARE(box.caretPosition(), expectedCaret);
    }

    void appendsBecomeLines_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("pieces with CR LF") << QStringList{u"\r\nfirst"_s, u"\r\nsecond"_s}
                                           << QStringList{u""_s, u"first"_s, u"second"_s};
        QTest::newRow("a piece without a break goes on along the line")
            << QStringList{u"a"_s, u"b\r\nc"_s} << QStringList{u"ab"_s, u"c"_s};
        QTest::newRow("CR or LF alone breaks the line too")
            << QStringList{u"a\rb\nc"_s} << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("a line wider than the box") << QStringList{u"\r\n"_s + QString(400, u'w')}
                                                   << QStringList{u""_s, QString(400, u'w')};
        QTest::newRow("more lines than the box shows")
            << QStringList(100, u"\r\nline"_s)
            << (QStringList{u""_s} << QStringList(100, u"line"_s));
    }
    void appendsBecomeLines()
    {
        QFETCH(QStringList, pieces);
        QFETCH(QStringList, lines);

        box.setPlainText({});
        for (const QString& piece : pieces) {
            box.appendText(piece);
        }
        QCOMPARE(box.toPlainText(), lines.join(u'\n'));
        QCOMPARE(box.lineCount(), lines.size());

        // Lines scroll into view with the caret; only a line wider than the box scrolls sideways.
        box.setCaretPosition(box.textLength());
        QScrollBar* vertical = box.verticalScrollBar();
        QCOMPARE(vertical->value(), vertical->maximum());
        QCOMPARE(vertical->maximum() > 0, lines.size() > 10);
        const bool wide = lines.back().size() > 100;
        QCOMPARE(box.horizontalScrollBar()->maximum() > 0, wide);
        QCOMPARE(box.horizontalScrollBar()->value() > 0, wide);
    }

    void readersFindAnEditableMultiLineBox()
    {
        box.setPlainText(QStringLiteral("a\nb"));
        QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&box);
        QVERIFY(shown);
        QCOMPARE(shown->role(), QAccessible::EditableText);
        QVERIFY(shown->state().editable && shown->state().multiLine);
        QCOMPARE(shown->text(QAccessible::Value), QStringLiteral("a\nb"));
    }
};

QTEST_MAIN(TestLogBox)
#include "tst_logbox.moc"
