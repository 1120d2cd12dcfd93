#include "LogText.h"

#include <algorithm>
#include <cmath>

namespace tunecrate {
namespace {

[[nodiscard]] bool isLineBreak(char16_t unit)
{
    return unit == u'\n' || unit == u'\r' || unit == QChar::LineSeparator ||
           unit == QChar::ParagraphSeparator;
}

// The text with each of its line breaks, CR LF included, as one '\n'; adds
// where each line after a break starts, counted from lineStart, to starts.
QString withLineFeeds(QStringView text, qsizetype lineStart, std::vector<qsizetype>& starts)
{
    QString result(text.size(), Qt::Uninitialized);
    QChar* const begin = result.data();
    QChar* out = begin;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (!isLineBreak(unit)) {
            *out++ = unit;
            continue;
        }
        if (unit == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
        }
        *out++ = u'\n';
        starts.push_back(lineStart + (out - begin));
    }
    result.truncate(out - begin);
    return result;
}

} // namespace

CharWidths::CharWidths(const QFont& font, qreal tabStop)
    : metrics_(font), tabStop_(std::llround(tabStop * unitsPerPixel))
{
    latin1_.fill(-1);
}

qreal CharWidths::lineWidth(QStringView line)
{
    Units width = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t unit = line[i].unicode();
        if (unit < latin1_.size() && latin1_[unit] >= 0) {
            width += latin1_[unit];
        } else if (unit == u'\t') {
            width = (width / tabStop_ + 1) * tabStop_;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < line.size() &&
                   line[i + 1].isLowSurrogate()) {
            ++i;
            width += advance(QChar::surrogateToUcs4(unit, line[i].unicode()));
        } else {
            width += advance(unit);
        }
    }
    return static_cast<qreal>(width) / unitsPerPixel;
}

CharWidths::Units CharWidths::advance(char32_t character)
{
    const auto measure = [this, character] {
        const QString text = QStringView(QChar::fromUcs4(character)).toString();
        return std::llround(metrics_.horizontalAdvance(text) * unitsPerPixel);
    };
    if (character < latin1_.size()) {
        Units& known = latin1_[character];
        if (known < 0) {
            known = measure();
        }
        return known;
    }
    auto known = others_.find(character);
    if (known == others_.end()) {
        known = others_.insert(character, measure());
    }
    return *known;
}

LogText::LogText(const QFont& font, qreal tabStop) : widths_(font, tabStop) {}

int LogText::lineOf(qsizetype position) const
{
    const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), position);
    return static_cast<int>(after - lineStarts_.begin()) - 1;
}

qsizetype LogText::lineStart(int line) const
{
    return lineStarts_.at(static_cast<std::size_t>(line));
}

qsizetype LogText::lineEnd(int line) const
{
    return line + 1 < lineCount() ? lineStart(line + 1) - 1 : text_.size();
}

QStringView LogText::line(int line) const
{
    const qsizetype start = lineStart(line);
    return QStringView(text_).sliced(start, lineEnd(line) - start);
}

qsizetype LogText::replace(qsizetype from, qsizetype to, QStringView inserted)
{
    std::vector<qsizetype> starts;
    const QString added = withLineFeeds(inserted, from, starts);
    const int first = lineOf(from);
    const int last = lineOf(to);
    if (from == text_.size()) {
        text_.append(added);
    } else {
        text_.replace(from, to - from, added);
    }

    // Lines first to last are now the lines from first's start to the end of
    // the inserted text's last line; the lines after them move by the change.
    const qsizetype shift = added.size() - (to - from);
    const auto firstAfter = lineStarts_.begin() + last + 1;
    std::for_each(firstAfter, lineStarts_.end(), [shift](qsizetype& start) { start += shift; });
    lineStarts_.insert(lineStarts_.erase(lineStarts_.begin() + first + 1, firstAfter),
                       starts.begin(), starts.end());

    const auto widths = lineWidths_.begin();
    const qreal removedWidest = *std::max_element(widths + first, widths + last + 1);
    lineWidths_.insert(lineWidths_.erase(widths + first + 1, widths + last + 1), starts.size(), 0);
    qreal addedWidest = 0;
    for (int changed = first; changed <= first + static_cast<int>(starts.size()); ++changed) {
        qreal& width = lineWidths_[static_cast<std::size_t>(changed)];
        width = widths_.lineWidth(line(changed));
        addedWidest = std::max(addedWidest, width);
    }
    if (addedWidest >= widest_) {
        widest_ = addedWidest;
    } else if (removedWidest >= widest_) {
        widest_ = *std::max_element(lineWidths_.begin(), lineWidths_.end());
    }
    return added.size();
}

void LogText::setFont(const QFont& font, qreal tabStop)
{
    widths_ = CharWidths(font, tabStop);
    widest_ = 0;
    for (int each = 0; each < lineCount(); ++each) {
        qreal& width = lineWidths_[static_cast<std::size_t>(each)];
        width = widths_.lineWidth(line(each));
        widest_ = std::max(widest_, width);
    }
}

} // namespace tunecrate
