#pragma once
// Small helpers that build the fixed pixel layouts one line per control:
// make a named control at its place with its text, font and colour.
#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

class QAction;
class QMenu;

// The layout's colours, by their toolkit names.
inline const QColor clBlack{0, 0, 0};
inline const QColor clMaroon{128, 0, 0};
inline const QColor clGreen{0, 128, 0};
inline const QColor clNavy{0, 0, 128};
inline const QColor clRed{255, 0, 0};
inline const QColor clBlue{0, 0, 255};
inline const QColor clAqua{0, 255, 255};
// The desktop's text colour: the palette's own, left untouched.
inline const QColor clWindowText{};

// The Japanese proportional face with the first family the desktop has.
QFont japaneseFont(int pixelHeight, bool bold = false, bool italic = false);

// Sets the text colour of any control; an invalid colour keeps the desktop's.
void setTextColor(QWidget *widget, const QColor &color);
QColor textColor(const QWidget *widget);

// Sets a label's caption and sizes the label to it, as labels here always do.
void setCaption(QLabel *label, const QString &text);

inline void setControlText(QLabel *w, const QString &t) { setCaption(w, t); }
inline void setControlText(QAbstractButton *w, const QString &t) { w->setText(t); }
inline void setControlText(QLineEdit *w, const QString &t) { w->setText(t); }
inline void setControlText(QPlainTextEdit *w, const QString &t) { w->setPlainText(t); }

// Makes a control named `name` in `parent` at x, y with size w × h.
template <class W>
W *place(QWidget *parent, const char *name, int x, int y, int w, int h, const QString &text,
         const QFont &font, const QColor &color = clWindowText)
{
    auto *control = new W(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(x, y, w, h);
    control->setFont(font);
    setTextColor(control, color);
    if constexpr (std::is_base_of_v<QLabel, W>)
        control->setTextFormat(Qt::PlainText);
    if (!text.isEmpty())
        setControlText(control, text);
    return control;
}

// Adds an item named `name` with `caption` to `menu`.
QAction *menuItem(QMenu *menu, const char *name, const QString &caption);

// Sets a menu's caption; exactly "-" makes it a separator, without text, that
// cannot be chosen.
void setMenuCaption(QMenu *menu, const QString &caption);

// Sets a window's caption so that the title bar shows exactly `text`.
void setWindowCaption(QWidget *window, const QString &text);
