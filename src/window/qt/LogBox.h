#pragma once

#include "LogText.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QRectF>
#include <QString>
#include <QStringView>
#include <algorithm>

class QTextLayout;

namespace tunecrate {

enum class CaretMotion;

// The run's log: a plain-text box that the user can edit as any multi-line
// text box, built to take tens of thousands of lines cheaply. The text is kept
// once with the start of every line, so an addition costs only itself, and
// only the lines in view are laid out and painted. Long lines scroll sideways
// rather than wrap; Tab moves the focus on. Positions count characters from 0
// (UTF-16 code units, as QString does).
class LogBox : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(QString plainText READ toPlainText WRITE setPlainText NOTIFY textChanged USER true)

public:
    explicit LogBox(QWidget* parent = nullptr);

    // Lines separated by '\n'.
    [[nodiscard]] QString toPlainText() const { return text_.text(); }
    [[nodiscard]] qsizetype textLength() const { return text_.size(); }
    [[nodiscard]] int lineCount() const { return text_.lineCount(); }
    // Line breaks may be CR LF, CR or LF; the box keeps them as '\n'.
    void setPlainText(const QString& text);
    void appendText(QStringView piece);

    [[nodiscard]] qsizetype caretPosition() const { return caret_; }
    // Also ends any selection, and scrolls the caret into view.
    void setCaretPosition(qsizetype position);
    [[nodiscard]] QString selectedText() const;
    // Where the caret stands at position, in the viewport's coordinates.
    [[nodiscard]] QRectF caretRect(qsizetype position) const;

    void selectAll();
    void cut();
    void copy();
    void paste();

Q_SIGNALS:
    // After every change of the text, the program's or the user's.
    void textChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    [[nodiscard]] QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    [[nodiscard]] bool hasSelection() const { return anchor_ != caret_; }
    [[nodiscard]] qsizetype selectionStart() const { return std::min(anchor_, caret_); }
    [[nodiscard]] qsizetype selectionEnd() const { return std::max(anchor_, caret_); }
    // Does what the key asks of the box and says whether it did; with apply
    // false only says whether it would.
    bool keyCommand(const QKeyEvent& key, bool apply);
    void moveCaretBy(CaretMotion motion, bool select);
    [[nodiscard]] qsizetype positionAfter(CaretMotion motion) const;
    // The next (or previous) character or word boundary; line breaks count as one character.
    [[nodiscard]] qsizetype boundaryFrom(qsizetype position, bool forward, bool words) const;
    [[nodiscard]] qsizetype positionAt(QPointF point) const;
    [[nodiscard]] qsizetype positionInLine(int line, qreal x) const;
    [[nodiscard]] int linesInView() const;
    // The top left of the line's text in the viewport.
    [[nodiscard]] QPointF lineOrigin(int line) const;
    void layOut(QTextLayout& layout, int line) const;

    void moveCaret(qsizetype position, bool select);
    void replaceSelection(QStringView text);
    // Deletes the selection, or else the text from the caret to position.
    void deleteTowards(qsizetype position);
    void changed();
    void updateScrollBars();
    void ensureCaretVisible();
    void restartBlinking();

    LogText text_;
    qreal lineHeight_ = 0;
    qsizetype caret_ = 0;
    qsizetype anchor_ = 0;
    // Where Up and Down keep the caret, across lines shorter than that.
    qreal goalX_ = -1;
    QString preedit_;
    QBasicTimer blink_;
    QBasicTimer dragScroll_;
    bool caretShown_ = false;
};

} // namespace tunecrate
