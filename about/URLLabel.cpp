#include "about/URLLabel.h"
#include <QCursor>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

TURLLabel::TURLLabel(QWidget *parent)
    : QLabel(parent),
      opener([](const QString &address) {
          QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
      })
{
    // The platform's own pointing hand, whose hot spot is the fingertip.
    setCursor(Qt::PointingHandCursor);
}

void TURLLabel::setHotTrack(bool value)
{
    if (value == hotTrack)
        return;
    hotTrack = value;
    update();
}

void TURLLabel::setHotColor(const QColor &value)
{
    if (value == hotColor)
        return;
    hotColor = value;
    update();
}

void TURLLabel::setPushedColor(const QColor &value)
{
    if (value == pushedColor)
        return;
    pushedColor = value;
    update();
}

QColor TURLLabel::fontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TURLLabel::setFontColor(const QColor &color)
{
    QPalette p = palette();
    // As for any label, a disabled one keeps the desktop's greyed text.
    for (auto group : {QPalette::Active, QPalette::Inactive})
        p.setColor(group, QPalette::WindowText, color);
    setPalette(p);
    update();
}

void TURLLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    if (!hotTrack)
        return;
    savedColor = fontColor();
    setFontColor(hotColor);
}

// While a button is held on the label, Qt tells of the leave only after the
// release; the release itself then shows the colour for where the pointer is.
void TURLLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    if (hotTrack)
        setFontColor(savedColor);
}

// Also reached by the second press of a double click, which QWidget passes
// on as a press: it opens the address again.
void TURLLabel::mousePressEvent(QMouseEvent *event)
{
    QLabel::mousePressEvent(event);
    event->accept(); // handled here; the press goes no further up
    MouseDown();
}

void TURLLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    MouseUp();
}

void TURLLabel::MouseDown()
{
    if (hotTrack)
        setFontColor(pushedColor);
    // On the press, whatever the release does afterwards.
    if (executable && opener)
        opener(text());
}

void TURLLabel::MouseUp()
{
    if (!hotTrack)
        return;
    // Where the pointer is now, not where the button went up: after a drag off
    // the label the release still reaches it.
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    setFontColor(rect().contains(pointer) ? hotColor : savedColor);
}
