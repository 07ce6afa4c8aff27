#include "app/Controls.h"
#include <QAction>
#include <QMenu>
#include <QPalette>

using namespace Qt::Literals::StringLiterals;

QFont japaneseFont(int pixelHeight, bool bold, bool italic)
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void setTextColor(QWidget *widget, const QColor &color)
{
    if (!color.isValid())
        return;
    QPalette palette = widget->palette();
    // Disabled controls keep the desktop's greyed text.
    for (auto group : {QPalette::Active, QPalette::Inactive})
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            palette.setColor(group, role, color);
    widget->setPalette(palette);
}

QColor textColor(const QWidget *widget)
{
    return widget->palette().color(widget->foregroundRole());
}

void setCaption(QLabel *label, const QString &text)
{
    label->setText(text);
    label->adjustSize();
}

QAction *menuItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void setMenuCaption(QMenu *menu, const QString &caption)
{
    menu->setTitle(caption);
    menu->menuAction()->setSeparator(caption == QStringLiteral("-"));
}

void setWindowCaption(QWidget *window, const QString &text)
{
    // Qt reads "[*]" as the unsaved-changes mark unless it is doubled, and the
    // platform shows the program's name for an empty title, but nothing for a
    // zero-width space.
    const QString mark = QStringLiteral("[*]");
    window->setWindowTitle(text.isEmpty() ? QStringLiteral("\u200B")
                                          : QString(text).replace(mark, mark + mark));
}
