#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <QStringView>
#include <array>
#include <vector>

namespace tunecrate {

// How wide a line of plain text is, from the advance of each character as the
// font gives it, remembered per character: the widest of fifty thousand lines
// is found without laying out a single one. Tabs stop at every tabStop pixels.
class CharWidths {
public:
    CharWidths(const QFont& font, qreal tabStop);

    [[nodiscard]] qreal lineWidth(QStringView line);

private:
    // Widths are summed in 64ths of a pixel, as whole numbers: a sum of
    // floating-point numbers waits for each addition before the next.
    using Units = qint64;
    static constexpr Units unitsPerPixel = 64;

    [[nodiscard]] Units advance(char32_t character);

    QFontMetricsF metrics_;
    Units tabStop_;
    // Negative until measured.
    std::array<Units, 256> latin1_{};
    QHash<char32_t, Units> others_;
};

// The text of the log box: one string with '\n' line breaks, the start of
// every line and every line's width. A change costs what it inserts and the
// lines it touches, so that an addition at the end costs only itself however
// long the text already is.
class LogText {
public:
    explicit LogText(const QFont& font, qreal tabStop);

    [[nodiscard]] const QString& text() const { return text_; }
    [[nodiscard]] qsizetype size() const { return text_.size(); }
    [[nodiscard]] int lineCount() const { return static_cast<int>(lineStarts_.size()); }
    [[nodiscard]] int lineOf(qsizetype position) const;
    [[nodiscard]] qsizetype lineStart(int line) const;
    // Where the line ends, before its line break.
    [[nodiscard]] qsizetype lineEnd(int line) const;
    [[nodiscard]] QStringView line(int line) const;
    [[nodiscard]] qreal widestLine() const { return widest_; }

    // Replaces the text from..to with inserted, whose line breaks may be
    // CR LF, CR, LF or Unicode's separators; gives the length it inserted.
    qsizetype replace(qsizetype from, qsizetype to, QStringView inserted);
    void setFont(const QFont& font, qreal tabStop);

private:
    QString text_;
    std::vector<qsizetype> lineStarts_{0};
    std::vector<qreal> lineWidths_{0};
    qreal widest_ = 0;
    CharWidths widths_;
};

} // namespace tunecrate
