#include "about/TAboutBox.h"
#include "about/URLLabel.h"
#include "app/Controls.h"
#include "app/ErrorDisplay.h"
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

using namespace Qt::Literals::StringLiterals;

QIcon programIcon()
{
    // The resources live in a static library, which the linker would drop
    // unless something asks for them by name.
    Q_INIT_RESOURCE(pirumo);
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(u":/pirumo/icons/pirumo-%1.png"_s.arg(size), QSize(size, size));
    return icon;
}

TAboutBox::TAboutBox(Toolkit &toolkit, QWidget *parent) : QDialog(parent)
{
    setObjectName(u"AboutBox"_s);
    setWindowTitle(u"ﾊﾞｰｼﾞｮﾝ情報"_s);
    // A fixed dialog frame: a title and a close button, no resizing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // Hidden, not ended, when closed; it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    const QFont f12 = japaneseFont(12);
    setFont(f12);
    setFixedSize(298, 213);
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen()->geometry()));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(u"Panel1"_s);
    Panel1->setGeometry(8, 8, 281, 161);
    // A lowered outer and a raised inner bevel: an etched frame.
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);

    const QFont f16b = japaneseFont(16, true), f15bi = japaneseFont(15, true, true);
    const QFont f13b = japaneseFont(13, true);
    ProgramIcon = place<QLabel>(Panel1, "ProgramIcon", 8, 8, 32, 32, {}, f12);
    ProductName = place<QLabel>(Panel1, "ProductName", 56, 16, 141, 16, u"「ピルモ英語」"_s, f16b, clBlack);
    Version = place<QLabel>(Panel1, "Version", 144, 40, 89, 15, u"Version: 2.0"_s, f15bi, clNavy);
    Copyright = place<QLabel>(Panel1, "Copyright", 24, 84, 161, 13, u"Copyright (C) Yuzuki Juku"_s, f13b, clBlack);
    OKButton = place<QPushButton>(this, "OKButton", 111, 180, 75, 25, u"OK"_s, f12);
    Label1 = place<QLabel>(Panel1, "Label1", 24, 63, 159, 15, u"Yuzuki Juku Free Soft"_s, f15bi, clBlue);
    URLLabel1 = place<TURLLabel>(Panel1, "URLLabel1", 24, 120, 236, 13, u"https://www.example.jp/pirumo/"_s, f13b, clGreen);
    URLLabel2 = place<TURLLabel>(Panel1, "URLLabel2", 24, 136, 213, 13, u"mailto:pirumo@example.jp"_s, f13b, clNavy);
    Label2 = place<QLabel>(Panel1, "Label2", 24, 104, 156, 12, u"最新情報は下記ウェブサイトで"_s, f12);

    ProgramIcon->setPixmap(programIcon().pixmap(32, 32));
    ProgramIcon->setScaledContents(true);
    OKButton->setDefault(true);
    for (TURLLabel *label : {URLLabel1, URLLabel2}) {
        label->setExecutable(true);
        label->setOpener([&tk = toolkit](const QString &address) { tk.openAddress(address); });
    }

    connectGuarded(toolkit, OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::OKButtonClick()
{
    close();
}

void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    // OK, Enter and the close button leave the box; Esc does not.
    if (event->key() == Qt::Key_Escape && !event->modifiers())
        return;
    QDialog::keyPressEvent(event);
}
