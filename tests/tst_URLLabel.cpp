// The hyperlink label driven by synthetic pointer events: its colour through
// enter, leave, press and release, and what it opens on which press.
#include "about/URLLabel.h"
#include "app/Controls.h"
#include <QDesktopServices>
#include <QEnterEvent>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Stands in for the desktop's handler of an address kind.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class tst_URLLabel : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { delete window; }
    void defaults();
    void colours_data();
    void colours();
    void opens_data();
    void opens();
    void newHotColorShowsAtNextEnterOrRelease();
    void defaultOpenerAsksTheDesktop();

private:
    void mouse(QEvent::Type type, Qt::MouseButton button);
    void run(const QString &script);

    QWidget *window = nullptr;
    TURLLabel *label = nullptr;
    QStringList opened;
};

void tst_URLLabel::init()
{
    window = new QWidget;
    window->setGeometry(100, 100, 300, 100);
    label = new TURLLabel(window);
    label->setGeometry(10, 10, 100, 20);
    label->setText(u"https://www.example.jp/pirumo/"_s);
    setTextColor(label, clGreen);
    label->setOpener([this](const QString &address) { opened << address; });
    opened.clear();
}

void tst_URLLabel::mouse(QEvent::Type type, Qt::MouseButton button)
{
    // Far off the label: only the pointer's own position may decide the colour.
    const QPointF at(-50, -50);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, label->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &event);
}

// Words: enter, leave, press, right, middle, double (the second press of a
// double click), release, and x,y to put the pointer there in label coordinates.
void tst_URLLabel::run(const QString &script)
{
    for (const QString &word : script.split(u' ', Qt::SkipEmptyParts)) {
        if (word == u"enter") {
            QEnterEvent event(QPointF(5, 5), QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)));
            QCoreApplication::sendEvent(label, &event);
        } else if (word == u"leave") {
            QEvent event(QEvent::Leave);
            QCoreApplication::sendEvent(label, &event);
        } else if (word == u"press") {
            mouse(QEvent::MouseButtonPress, Qt::LeftButton);
        } else if (word == u"right") {
            mouse(QEvent::MouseButtonPress, Qt::RightButton);
        } else if (word == u"middle") {
            mouse(QEvent::MouseButtonPress, Qt::MiddleButton);
        } else if (word == u"double") {
            mouse(QEvent::MouseButtonDblClick, Qt::LeftButton);
        } else if (word == u"release") {
            mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
        } else {
            const QStringList xy = word.split(u',');
            QVERIFY2(xy.size() == 2, qPrintable(word));
            QCursor::setPos(label->mapToGlobal(QPoint(xy[0].toInt(), xy[1].toInt())));
        }
    }
}

void tst_URLLabel::defaults()
{
    QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(label->Executable(), false);
    QCOMPARE(label->HotTrack(), true);
    QCOMPARE(label->HotColor(), clAqua);
    QCOMPARE(label->PushedColor(), clRed);
}

void tst_URLLabel::colours_data()
{
    QTest::addColumn<bool>("hotTrack");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QColor>("shown");

    QTest::newRow("start") << true << u""_s << clGreen;
    QTest::newRow("enter") << true << u"enter"_s << clAqua;
    QTest::newRow("enter, leave") << true << u"enter leave"_s << clGreen;
    QTest::newRow("enter, leave, enter, leave") << true << u"enter leave enter leave"_s << clGreen;
    QTest::newRow("press") << true << u"enter press"_s << clRed;
    QTest::newRow("right press") << true << u"enter right"_s << clRed;
    QTest::newRow("release inside") << true << u"enter press 50,10 release"_s << clAqua;
    QTest::newRow("release on top-left pixel") << true << u"enter press 0,0 release"_s << clAqua;
    QTest::newRow("release on bottom-right pixel") << true << u"enter press 99,19 release"_s << clAqua;
    QTest::newRow("release just right of it") << true << u"enter press 100,10 release"_s << clGreen;
    QTest::newRow("release just below it") << true << u"enter press 50,20 release"_s << clGreen;
    QTest::newRow("release just left of it") << true << u"enter press -1,10 release"_s << clGreen;
    QTest::newRow("press, move off, release, leave") << true << u"enter press 150,10 release leave"_s << clGreen;
    QTest::newRow("release inside, leave") << true << u"enter press 50,10 release leave"_s << clGreen;
    QTest::newRow("second press of a double click") << true << u"enter 50,10 press release double"_s << clRed;
    QTest::newRow("double click released") << true << u"enter 50,10 press release double release"_s << clAqua;
    QTest::newRow("no hot track: enter") << false << u"enter"_s << clGreen;
    QTest::newRow("no hot track: press") << false << u"enter press"_s << clGreen;
    QTest::newRow("no hot track: release inside") << false << u"enter press 50,10 release"_s << clGreen;
    QTest::newRow("no hot track: leave") << false << u"enter press release leave"_s << clGreen;
}

void tst_URLLabel::colours()
{
    QFETCH(bool, hotTrack);
    QFETCH(QString, script);
    label->setHotTrack(hotTrack);
    run(script);
    QTEST(textColor(label), "shown");
    QCOMPARE(label->palette().color(QPalette::Inactive, QPalette::WindowText), textColor(label));
}

void tst_URLLabel::opens_data()
{
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("hotTrack");
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("opens");

    QTest::newRow("left press, before release") << true << true << u"enter press"_s << 1;
    QTest::newRow("right press") << true << true << u"enter right release"_s << 1;
    QTest::newRow("middle press") << true << true << u"enter middle release"_s << 1;
    QTest::newRow("double click") << true << true << u"enter press release double release"_s << 2;
    QTest::newRow("press, move off, release") << true << true << u"enter press 150,10 release leave"_s << 1;
    QTest::newRow("no press") << true << true << u"enter release leave"_s << 0;
    QTest::newRow("no hot track") << true << false << u"enter press release"_s << 1;
    QTest::newRow("not executable") << false << true << u"enter press release double release"_s << 0;
}

void tst_URLLabel::opens()
{
    QFETCH(bool, executable);
    QFETCH(bool, hotTrack);
    QFETCH(QString, script);
    QFETCH(int, opens);
    label->setExecutable(executable);
    label->setHotTrack(hotTrack);
    run(script);
    QCOMPARE(opened, QStringList(opens, label->text()));
}

void tst_URLLabel::newHotColorShowsAtNextEnterOrRelease()
{
    const QColor yellow(255, 255, 0), purple(128, 0, 128);
    run(u"enter"_s);
    label->setHotColor(yellow);
    label->setPushedColor(purple);
    QCOMPARE(textColor(label), clAqua);
    run(u"press"_s);
    QCOMPARE(textColor(label), purple);
    run(u"50,10 release"_s);
    QCOMPARE(textColor(label), yellow);
    run(u"leave enter"_s);
    QCOMPARE(textColor(label), yellow);
    run(u"leave"_s);
    QCOMPARE(textColor(label), clGreen);
}

void tst_URLLabel::defaultOpenerAsksTheDesktop()
{
    TURLLabel plain(window);
    plain.setExecutable(true);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"https"_s, &catcher, "open");
    QDesktopServices::setUrlHandler(u"mailto"_s, &catcher, "open");
    for (const QString &address : {u"https://www.example.jp/pirumo/"_s, u"mailto:pirumo@example.jp"_s}) {
        plain.setText(address);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), plain.mapToGlobal(QPointF(1, 1)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&plain, &press);
    }
    QDesktopServices::unsetUrlHandler(u"https"_s);
    QDesktopServices::unsetUrlHandler(u"mailto"_s);
    QCOMPARE(catcher.urls, (QList<QUrl>{QUrl(u"https://www.example.jp/pirumo/"_s),
                                        QUrl(u"mailto:pirumo@example.jp"_s)}));
}

QTEST_MAIN(tst_URLLabel)
#include "tst_URLLabel.moc"
