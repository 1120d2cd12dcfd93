#include "LogBox.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <array>
#include <climits>
#include <cmath>
#include <functional>

namespace tunecrate {

enum class CaretMotion {
    NextChar,
    PreviousChar,
    NextWord,
    PreviousWord,
    StartOfLine,
    EndOfLine,
    NextLine,
    PreviousLine,
    NextPage,
    PreviousPage,
    StartOfText,
    EndOfText,
};

namespace {

// As QPlainTextEdit draws its text: the document's margin and tab stops.
constexpr qreal margin = 4;
constexpr qreal tabStop = 80;
constexpr int caretWidth = 1;
constexpr int dragScrollInterval = 50;

class LogBoxAccessible : public QAccessibleWidget {
public:
    explicit LogBoxAccessible(LogBox* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.multiLine = true;
        state.focusable = true;
        return state;
    }

    [[nodiscard]] QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value) {
            return static_cast<const LogBox*>(widget())->toPlainText();
        }
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* logBoxAccessible(const QString& className, QObject* object)
{
    auto* box = qobject_cast<LogBox*>(object);
    if (box == nullptr || className != QLatin1String(LogBox::staticMetaObject.className())) {
        return nullptr;
    }
    return new LogBoxAccessible(box);
}

[[nodiscard]] bool isVertical(CaretMotion motion)
{
    return motion == CaretMotion::NextLine || motion == CaretMotion::PreviousLine ||
           motion == CaretMotion::NextPage || motion == CaretMotion::PreviousPage;
}

// Text that a key types: printable, as QPlainTextEdit takes it.
[[nodiscard]] bool isTyped(const QString& text)
{
    if (text.isEmpty()) {
        return false;
    }
    const char32_t first = text.size() > 1 && text[0].isHighSurrogate()
                               ? QChar::surrogateToUcs4(text[0], text[1])
                               : text[0].unicode();
    return QChar::isPrint(first);
}

} // namespace

LogBox::LogBox(QWidget* parent) : QAbstractScrollArea(parent), text_(font(), tabStop)
{
    static const bool accessible = [] {
        QAccessible::installFactory(logBoxAccessible);
        return true;
    }();
    (void)accessible;
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    lineHeight_ = QFontMetricsF(font()).lineSpacing();
    horizontalScrollBar()->setSingleStep(20);
    updateScrollBars();
}

void LogBox::setPlainText(const QString& text)
{
    text_.replace(0, text_.size(), text);
    updateScrollBars();
    moveCaret(0, false);
    changed();
}

void LogBox::appendText(QStringView piece)
{
    text_.replace(text_.size(), text_.size(), piece);
    changed();
}

void LogBox::setCaretPosition(qsizetype position)
{
    moveCaret(std::clamp<qsizetype>(position, 0, text_.size()), false);
}

QString LogBox::selectedText() const
{
    return text_.text().sliced(selectionStart(), selectionEnd() - selectionStart());
}

QRectF LogBox::caretRect(qsizetype position) const
{
    const int line = text_.lineOf(position);
    QTextLayout layout;
    layOut(layout, line);
    const auto column = static_cast<int>(position - text_.lineStart(line));
    const QPointF origin = lineOrigin(line);
    return {origin.x() + layout.lineAt(0).cursorToX(column), origin.y(), caretWidth, lineHeight_};
}

void LogBox::selectAll()
{
    anchor_ = 0;
    moveCaret(text_.size(), true);
}

void LogBox::cut()
{
    copy();
    replaceSelection({});
}

void LogBox::copy()
{
    if (hasSelection()) {
        QGuiApplication::clipboard()->setText(selectedText());
    }
}

void LogBox::paste()
{
    replaceSelection(QGuiApplication::clipboard()->text());
}

bool LogBox::event(QEvent* event)
{
    // Keys the box uses are not shortcuts of the window.
    if (event->type() == QEvent::ShortcutOverride &&
        keyCommand(*static_cast<QKeyEvent*>(event), false)) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void LogBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const QRect dirty = event->rect();
    const int first = verticalScrollBar()->value();
    const int caretLine = text_.lineOf(caret_);
    for (int line = first + std::max(0, static_cast<int>((dirty.top() - margin) / lineHeight_));
         line < text_.lineCount(); ++line) {
        const QPointF origin = lineOrigin(line);
        if (origin.y() > dirty.bottom()) {
            break;
        }
        QTextLayout layout;
        layOut(layout, line);
        const qsizetype start = text_.lineStart(line);
        QList<QTextLayout::FormatRange> selection;
        if (hasSelection() && selectionStart() <= text_.lineEnd(line) && selectionEnd() > start) {
            QTextLayout::FormatRange range;
            range.start = static_cast<int>(std::max(selectionStart(), start) - start);
            // One past the line's end is its line break, which shows selected as a space.
            range.length =
                static_cast<int>(std::min(selectionEnd(), text_.lineEnd(line) + 1) - start) -
                range.start;
            range.format.setBackground(palette().brush(QPalette::Highlight));
            range.format.setForeground(palette().brush(QPalette::HighlightedText));
            selection.append(range);
        }
        layout.draw(&painter, origin, selection);
        if (caretShown_ && line == caretLine) {
            const auto column = static_cast<int>(caret_ - start + preedit_.size());
            layout.drawCursor(&painter, origin, column, caretWidth);
        }
    }
}

void LogBox::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LogBox::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        text_.setFont(font(), tabStop);
        lineHeight_ = QFontMetricsF(font()).lineSpacing();
        updateScrollBars();
    }
}

void LogBox::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    viewport()->update();
}

void LogBox::keyPressEvent(QKeyEvent* event)
{
    if (keyCommand(*event, true)) {
        event->accept();
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

bool LogBox::keyCommand(const QKeyEvent& key, bool apply)
{
    struct CommandKey {
        QKeySequence::StandardKey key;
        void (*command)(LogBox& box);
    };
    static constexpr std::array commands{
        CommandKey{QKeySequence::SelectAll,
                   [](LogBox& box) {
                       box.selectAll();
                   }},
        CommandKey{QKeySequence::Copy,
                   [](LogBox& box) {
                       box.copy();
                   }},
        CommandKey{QKeySequence::Cut,
                   [](LogBox& box) {
                       box.cut();
                   }},
        CommandKey{QKeySequence::Paste,
                   [](LogBox& box) {
                       box.paste();
                   }},
        CommandKey{QKeySequence::Delete,
                   [](LogBox& box) {
                       box.deleteTowards(box.boundaryFrom(box.caret_, true, false));
                   }},
        CommandKey{QKeySequence::DeleteEndOfWord,
                   [](LogBox& box) {
                       box.deleteTowards(box.boundaryFrom(box.caret_, true, true));
                   }},
        CommandKey{QKeySequence::DeleteStartOfWord,
                   [](LogBox& box) {
                       box.deleteTowards(box.boundaryFrom(box.caret_, false, true));
                   }},
        CommandKey{QKeySequence::InsertParagraphSeparator,
                   [](LogBox& box) {
                       box.replaceSelection(u"\n");
                   }},
        CommandKey{QKeySequence::InsertLineSeparator,
                   [](LogBox& box) {
                       box.replaceSelection(u"\n");
                   }},
    };
    struct CaretKey {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        CaretMotion motion;
    };
    static constexpr std::array caretKeys{
        CaretKey{QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, CaretMotion::NextChar},
        CaretKey{QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar,
                 CaretMotion::PreviousChar},
        CaretKey{QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, CaretMotion::NextWord},
        CaretKey{QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord,
                 CaretMotion::PreviousWord},
        CaretKey{QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine,
                 CaretMotion::StartOfLine},
        CaretKey{QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine,
                 CaretMotion::EndOfLine},
        CaretKey{QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, CaretMotion::NextLine},
        CaretKey{QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine,
                 CaretMotion::PreviousLine},
        CaretKey{QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, CaretMotion::NextPage},
        CaretKey{QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage,
                 CaretMotion::PreviousPage},
        CaretKey{QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
                 CaretMotion::StartOfText},
        CaretKey{QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument,
                 CaretMotion::EndOfText},
    };

    for (const CommandKey& command : commands) {
        if (key.matches(command.key)) {
            if (apply) {
                command.command(*this);
            }
            return true;
        }
    }
    for (const CaretKey& caretKey : caretKeys) {
        const bool select = key.matches(caretKey.select);
        if (select || key.matches(caretKey.move)) {
            if (apply) {
                moveCaretBy(caretKey.motion, select);
            }
            return true;
        }
    }
    if (key.key() == Qt::Key_Backspace && (key.modifiers() & ~Qt::ShiftModifier) == 0) {
        if (apply) {
            deleteTowards(boundaryFrom(caret_, false, false));
        }
        return true;
    }
    if (isTyped(key.text())) {
        if (apply) {
            replaceSelection(key.text());
        }
        return true;
    }
    return false;
}

void LogBox::moveCaretBy(CaretMotion motion, bool select)
{
    // Up and Down keep the caret where it stood across shorter lines.
    const bool vertical = isVertical(motion);
    if (vertical && goalX_ < 0) {
        goalX_ = caretRect(caret_).x() - lineOrigin(text_.lineOf(caret_)).x();
    }
    const qreal goal = goalX_;
    // A page key scrolls the lines by a page and the caret with them.
    QScrollBar* lines = verticalScrollBar();
    if (motion == CaretMotion::NextPage) {
        lines->setValue(lines->value() + linesInView());
    } else if (motion == CaretMotion::PreviousPage) {
        lines->setValue(lines->value() - linesInView());
    }
    moveCaret(positionAfter(motion), select);
    if (vertical) {
        goalX_ = goal;
    }
}

qsizetype LogBox::positionAfter(CaretMotion motion) const
{
    const int line = text_.lineOf(caret_);
    const auto onLine = [this](int target) {
        return positionInLine(std::clamp(target, 0, text_.lineCount() - 1), goalX_);
    };
    switch (motion) {
    case CaretMotion::NextChar:
        return boundaryFrom(caret_, true, false);
    case CaretMotion::PreviousChar:
        return boundaryFrom(caret_, false, false);
    case CaretMotion::NextWord:
        return boundaryFrom(caret_, true, true);
    case CaretMotion::PreviousWord:
        return boundaryFrom(caret_, false, true);
    case CaretMotion::StartOfLine:
        return text_.lineStart(line);
    case CaretMotion::EndOfLine:
        return text_.lineEnd(line);
    case CaretMotion::NextLine:
        return onLine(line + 1);
    case CaretMotion::PreviousLine:
        return onLine(line - 1);
    case CaretMotion::NextPage:
        return onLine(line + linesInView());
    case CaretMotion::PreviousPage:
        return onLine(line - linesInView());
    case CaretMotion::StartOfText:
        return 0;
    case CaretMotion::EndOfText:
        return text_.size();
    }
    return caret_;
}

qsizetype LogBox::boundaryFrom(qsizetype position, bool forward, bool words) const
{
    const int line = text_.lineOf(position);
    const qsizetype start = text_.lineStart(line);
    const QStringView text = text_.line(line);
    const qsizetype column = position - start;
    if (forward && column == text.size()) {
        return line + 1 < text_.lineCount() ? text_.lineStart(line + 1) : position;
    }
    if (!forward && column == 0) {
        return line > 0 ? text_.lineEnd(line - 1) : position;
    }
    QTextBoundaryFinder finder(words ? QTextBoundaryFinder::Word : QTextBoundaryFinder::Grapheme,
                               text);
    finder.setPosition(column);
    qsizetype next = column;
    // A word move stops where a word starts, or at either end of the line.
    do {
        next = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
    } while (words && next > 0 && next < text.size() &&
             !finder.boundaryReasons().testFlag(QTextBoundaryFinder::StartOfItem));
    if (next < 0) {
        next = forward ? text.size() : 0;
    }
    return start + next;
}

qsizetype LogBox::positionAt(QPointF point) const
{
    const int line = verticalScrollBar()->value() +
                     static_cast<int>(std::floor((point.y() - margin) / lineHeight_));
    const int shown = std::clamp(line, 0, text_.lineCount() - 1);
    return positionInLine(shown, point.x() - lineOrigin(shown).x());
}

qsizetype LogBox::positionInLine(int line, qreal x) const
{
    QTextLayout layout;
    layOut(layout, line);
    return text_.lineStart(line) + layout.lineAt(0).xToCursor(x);
}

int LogBox::linesInView() const
{
    return std::max(1, static_cast<int>((viewport()->height() - 2 * margin) / lineHeight_));
}

QPointF LogBox::lineOrigin(int line) const
{
    return {margin - horizontalScrollBar()->value(),
            margin + (line - verticalScrollBar()->value()) * lineHeight_};
}

void LogBox::layOut(QTextLayout& layout, int line) const
{
    layout.setText(text_.line(line).toString());
    layout.setFont(font());
    QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabStop);
    layout.setTextOption(option);
    if (!preedit_.isEmpty() && line == text_.lineOf(caret_)) {
        layout.setPreeditArea(static_cast<int>(caret_ - text_.lineStart(line)), preedit_);
    }
    layout.beginLayout();
    QTextLine textLine = layout.createLine();
    textLine.setLeadingIncluded(true);
    textLine.setLineWidth(INT_MAX);
    layout.endLayout();
}

void LogBox::moveCaret(qsizetype position, bool select)
{
    caret_ = position;
    if (!select) {
        anchor_ = position;
    }
    goalX_ = -1;
    ensureCaretVisible();
    restartBlinking();
    viewport()->update();
}

void LogBox::replaceSelection(QStringView text)
{
    if (!hasSelection() && text.isEmpty()) {
        return;
    }
    const qsizetype from = selectionStart();
    const qsizetype inserted = text_.replace(from, selectionEnd(), text);
    updateScrollBars();
    moveCaret(from + inserted, false);
    changed();
}

void LogBox::deleteTowards(qsizetype position)
{
    if (!hasSelection()) {
        anchor_ = position;
    }
    replaceSelection({});
}

void LogBox::changed()
{
    updateScrollBars();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent change(this, toPlainText());
        QAccessible::updateAccessibility(&change);
    }
    Q_EMIT textChanged();
}

void LogBox::updateScrollBars()
{
    const int lines = linesInView();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, text_.lineCount() - lines));
    vertical->setPageStep(lines);
    const int width = viewport()->width();
    const auto content = static_cast<int>(std::ceil(text_.widestLine() + 2 * margin)) + caretWidth;
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, content - width));
    horizontal->setPageStep(width);
}

void LogBox::ensureCaretVisible()
{
    const int line = text_.lineOf(caret_);
    QScrollBar* vertical = verticalScrollBar();
    if (line < vertical->value()) {
        vertical->setValue(line);
    } else if (line >= vertical->value() + linesInView()) {
        vertical->setValue(line - linesInView() + 1);
    }
    const QRectF caret = caretRect(caret_);
    QScrollBar* horizontal = horizontalScrollBar();
    if (caret.left() < margin) {
        horizontal->setValue(horizontal->value() -
                             static_cast<int>(std::ceil(margin - caret.left())));
    } else if (caret.right() > viewport()->width() - margin) {
        horizontal->setValue(
            horizontal->value() +
            static_cast<int>(std::ceil(caret.right() - viewport()->width() + margin)));
    }
}

void LogBox::restartBlinking()
{
    caretShown_ = hasFocus();
    const int flashTime = QApplication::cursorFlashTime();
    if (caretShown_ && flashTime >= 2) {
        blink_.start(flashTime / 2, this);
    } else {
        blink_.stop();
    }
}

void LogBox::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == blink_.timerId()) {
        caretShown_ = !caretShown_;
        viewport()->update(caretRect(caret_).toAlignedRect().adjusted(-1, 0, 1, 0));
    } else if (event->timerId() == dragScroll_.timerId()) {
        if (QGuiApplication::mouseButtons().testFlag(Qt::LeftButton)) {
            moveCaret(positionAt(viewport()->mapFromGlobal(QCursor::pos())), true);
        } else {
            dragScroll_.stop();
        }
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void LogBox::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlinking();
    viewport()->update();
}

void LogBox::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    restartBlinking();
    viewport()->update();
}

void LogBox::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        if (event->replacementLength() > 0) {
            anchor_ = std::clamp<qsizetype>(caret_ + event->replacementStart(), 0, text_.size());
            caret_ = std::clamp<qsizetype>(anchor_ + event->replacementLength(), 0, text_.size());
        }
        replaceSelection(event->commitString());
    }
    preedit_ = event->preeditString();
    viewport()->update();
    event->accept();
}

QVariant LogBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const int line = text_.lineOf(caret_);
    const qsizetype start = text_.lineStart(line);
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return caretRect(caret_).translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return static_cast<int>(caret_ - start);
    case Qt::ImAnchorPosition:
        return static_cast<int>(std::clamp(anchor_, start, text_.lineEnd(line)) - start);
    case Qt::ImSurroundingText:
        return text_.line(line).toString();
    case Qt::ImCurrentSelection:
        return selectedText();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void LogBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        moveCaret(positionAt(event->position()), event->modifiers().testFlag(Qt::ShiftModifier));
    }
    event->accept();
}

void LogBox::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons().testFlag(Qt::LeftButton)) {
        moveCaret(positionAt(event->position()), true);
        // Held beyond the lines in view, the selection goes on as they scroll.
        if (viewport()->rect().contains(event->position().toPoint())) {
            dragScroll_.stop();
        } else if (!dragScroll_.isActive()) {
            dragScroll_.start(dragScrollInterval, this);
        }
    }
    event->accept();
}

void LogBox::mouseReleaseEvent(QMouseEvent* event)
{
    dragScroll_.stop();
    // X11 and Wayland keep what was last selected for a middle click, here or elsewhere.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection()) {
        if (event->button() == Qt::MiddleButton) {
            moveCaret(positionAt(event->position()), false);
            replaceSelection(clipboard->text(QClipboard::Selection));
        } else if (hasSelection()) {
            clipboard->setText(selectedText(), QClipboard::Selection);
        }
    }
    event->accept();
}

void LogBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const qsizetype position = positionAt(event->position());
    const int line = text_.lineOf(position);
    const qsizetype start = text_.lineStart(line);
    const QStringView text = text_.line(line);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    finder.setPosition(position - start);
    const qsizetype wordStart =
        finder.isAtBoundary() ? position - start : finder.toPreviousBoundary();
    finder.setPosition(position - start);
    const qsizetype wordEnd = finder.toNextBoundary();
    anchor_ = start + std::max<qsizetype>(wordStart, 0);
    moveCaret(wordEnd < 0 ? start + text.size() : start + wordEnd, true);
    event->accept();
}

void LogBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    // Qt's own translations of its text boxes' menu apply.
    const auto add = [this, &menu](const char* text, QKeySequence::StandardKey key, bool enabled,
                                   const std::function<void()>& command) {
        QAction* action = menu.addAction(QCoreApplication::translate("QWidgetTextControl", text));
        action->setShortcut(key);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, command);
    };
    const bool selected = hasSelection();
    add("Cu&t", QKeySequence::Cut, selected, [this] { cut(); });
    add("&Copy", QKeySequence::Copy, selected, [this] { copy(); });
    add("&Paste", QKeySequence::Paste, !QGuiApplication::clipboard()->text().isEmpty(),
        [this] { paste(); });
    add("Delete", QKeySequence::UnknownKey, selected, [this] { replaceSelection({}); });
    menu.addSeparator();
    add("Select All", QKeySequence::SelectAll, text_.size() > 0, [this] { selectAll(); });
    menu.exec(event->globalPos());
}

} // namespace tunecrate
