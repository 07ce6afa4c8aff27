#include "app/TextFit.h"
#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

QTextOption::WrapMode wrapModeFor(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    const qsizetype first = finder.toNextBoundary();
    return first < 0 || first >= text.size() ? QTextOption::WrapAnywhere
                                             : QTextOption::WrapAtWordBoundaryOrAnywhere;
}

namespace {
// The lines of `text` in a box `width` pixels wide, at most `maxLines` of them;
// the last one starts at `lastStart` and ends at `end`.
QStringList breakLines(const QString &text, const QFont &font, int width, qsizetype maxLines,
                       qsizetype &lastStart, qsizetype &end)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(wrapModeFor(text));
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    lastStart = end = 0;
    while (lines.size() < maxLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        lastStart = line.textStart();
        end = lastStart + line.textLength();
        QString shown = text.mid(line.textStart(), line.textLength());
        while (shown.endsWith(u' '))
            shown.chop(1);
        lines << shown;
    }
    layout.endLayout();
    return lines;
}
} // namespace

FittedText fitText(const QString &text, const QFont &font, const QSize &box)
{
    const bool tooLong = text.size() > shownCharacters;
    const QString shown = tooLong ? text.left(shownCharacters) : text;
    if (shown.isEmpty())
        return {shown, font, false};
    const int full = font.pixelSize(), least = (full * 3 + 3) / 4;
    QFont f = font;
    if (!tooLong)
        for (int px = full; px >= least; --px) {
            f.setPixelSize(px);
            if (QFontMetrics(f).horizontalAdvance(shown) <= box.width())
                return {shown, f, false};
        }
    qsizetype lastStart = 0, end = 0;
    for (int px = full; px >= least && !tooLong; --px) {
        f.setPixelSize(px);
        const qsizetype room = box.height() / QFontMetrics(f).lineSpacing();
        if (room < 2)
            continue;
        const QStringList lines = breakLines(shown, f, box.width(), room, lastStart, end);
        if (end >= shown.size())
            return {lines.join(u'\n'), f, false};
    }
    // Cut: as many lines as the box holds, the last one ending in "…".
    f.setPixelSize(least);
    const QFontMetrics metrics(f);
    const int room = std::max(1, box.height() / metrics.lineSpacing());
    QStringList lines = breakLines(shown, f, box.width(), room, lastStart, end);
    if (lines.isEmpty())
        lines << QString();
    lines.last() = metrics.elidedText(shown.mid(lastStart) + u"…"_s, Qt::ElideRight, box.width());
    return {lines.join(u'\n'), f, true};
}

bool showFitted(QWidget *control, const QString &text, const QFont &font, const QRect &box,
                const QString &hint)
{
    auto *button = qobject_cast<QAbstractButton *>(control);
    QSize textBox = box.size();
    if (button) {
        button->setGeometry(box);
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = QRect(QPoint(), box.size());
        // Inside its frame, with a margin so that a long text does not touch it.
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button) / 2;
        textBox = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                      .adjusted(margin, 0, -margin, 0).size();
    }
    const FittedText fitted = fitText(text, font, textBox);
    control->setFont(fitted.font);
    // A rich tooltip wraps a long text onto lines of a readable width.
    control->setToolTip(fitted.cut ? u"<p>"_s + text.left(shownCharacters).toHtmlEscaped() + u"</p>"_s : hint);
    control->setAccessibleName(fitted.cut ? text : QString());
    if (button) {
        button->setText(fitted.text);
    } else if (auto *label = qobject_cast<QLabel *>(control)) {
        label->setText(fitted.text);
        label->move(box.topLeft());
        label->adjustSize();
    }
    return fitted.cut;
}

void showInBox(QPlainTextEdit *box, const QString &text)
{
    const bool tooLong = text.size() > shownCharacters;
    const QString shown = tooLong ? text.left(shownCharacters) + u"…"_s : text;
    box->setWordWrapMode(wrapModeFor(shown));
    box->setPlainText(shown);
}
