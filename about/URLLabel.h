#pragma once
// A label whose caption is an address: a pointing hand over it, its text lit
// while the pointer is over it and while a button is pressed on it, and, when
// Executable, the address opened on every press. It knows nothing of the
// program around it; the owner may route the opening elsewhere with setOpener.
#include <QColor>
#include <QLabel>
#include <functional>

class TURLLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QCursor Cursor READ cursor WRITE setCursor)
    Q_PROPERTY(bool Executable READ Executable WRITE setExecutable)
    Q_PROPERTY(bool HotTrack READ HotTrack WRITE setHotTrack)
    Q_PROPERTY(QColor HotColor READ HotColor WRITE setHotColor)
    Q_PROPERTY(QColor PushedColor READ PushedColor WRITE setPushedColor)

public:
    // Opens an address; by default with the desktop's default handler.
    using Opener = std::function<void(const QString &address)>;

    explicit TURLLabel(QWidget *parent = nullptr);

    bool Executable() const { return executable; }
    void setExecutable(bool value) { executable = value; }
    bool HotTrack() const { return hotTrack; }
    void setHotTrack(bool value);
    QColor HotColor() const { return hotColor; }
    void setHotColor(const QColor &value);
    QColor PushedColor() const { return pushedColor; }
    void setPushedColor(const QColor &value);
    void setOpener(Opener value) { opener = std::move(value); }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void MouseDown();
    void MouseUp();
    QColor fontColor() const;
    void setFontColor(const QColor &color);

    bool executable = false;
    bool hotTrack = true;
    QColor hotColor{0, 255, 255};
    QColor pushedColor{255, 0, 0};
    // The font colour as it was when the pointer last entered.
    QColor savedColor{0, 0, 0};
    Opener opener;
};
