#pragma once
// Fitting a text into its control: shrink, wrap, cut with "…", the whole text
// in the tooltip and accessible name. One helper for every label and button.
#include <QFont>
#include <QRect>
#include <QString>
#include <QTextOption>

class QPlainTextEdit;
class QWidget;

// The most characters of one line that a control lays out: more than any
// question a person writes, few enough that laying them out takes no time.
inline constexpr qsizetype shownCharacters = 4000;

// Breaks at word boundaries where the text has any, anywhere where it has none:
// a text without a break would otherwise cost the square of its length to lay out.
QTextOption::WrapMode wrapModeFor(const QString &text);

// A text as it shows in a box: its lines joined by line breaks, the font it
// takes, and whether part of it had to be left out.
struct FittedText {
    QString text;
    QFont font;
    bool cut = false;
};

// Fits `text` into a box of `box` pixels with the pixel-sized `font`: on one line
// if it fits, else on one line in a font shrunk step by step to about three
// quarters, else wrapped onto as many lines as the box holds (largest font
// first), else cut with "…" at the smallest font. Only the first shownCharacters
// characters are laid out.
FittedText fitText(const QString &text, const QFont &font, const QSize &box);

// Shows `text` in a label or button fitted to `box`: a label from the box's top
// left, sized to what shows; a button on the whole box. When the text is cut,
// its whole text is the control's tooltip and accessible name; otherwise the
// tooltip is `hint`. Returns whether the text is cut.
bool showFitted(QWidget *control, const QString &text, const QFont &font, const QRect &box,
                const QString &hint = {});

// Shows `text` in a text box, from its start, laying out no more than
// shownCharacters characters.
void showInBox(QPlainTextEdit *box, const QString &text);
