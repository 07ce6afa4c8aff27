// The about box as the program shows it from the quiz window's menu: one
// modeless box, its layout, its two addresses, and the ways it is hidden.
#include "ScriptedToolkit.h"
#include "about/TAboutBox.h"
#include "about/URLLabel.h"
#include "app/Controls.h"
#include "app/Globals.h"
#include "quiz/TForm1.h"
#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

using namespace Qt::Literals::StringLiterals;

class tst_TAboutBox : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(qEnvironmentVariable("PIRUMO_SAMPLE"))); }
    void init();
    void cleanup();
    void window();
    void controls_data();
    void controls();
    void textsFitThePanel();
    void oneBoxBroughtToTheFront();
    void quizWindowUsableMeanwhile();
    void hides_data();
    void hides();
    void closingItAloneKeepsTheProgram();
    void addressesOpenThroughTheToolkit();

private:
    template <class W = QWidget>
    W *child(const char *name) { return box->findChild<W *>(QString::fromLatin1(name)); }
    void showFromMenu() { form1->findChild<QAction *>(u"about1"_s)->trigger(); }

    std::unique_ptr<ScriptedToolkit> tk;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TAboutBox> box;
};

void tst_TAboutBox::init()
{
    tk = std::make_unique<ScriptedToolkit>();
    form1 = std::make_unique<TForm1>(*tk);
    box = std::make_unique<TAboutBox>(*tk);
    Form1 = form1.get();
    AboutBox = box.get();
    form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(form1.get()));
}

void tst_TAboutBox::cleanup()
{
    AboutBox = Form1 = nullptr;
    box.reset();
    form1.reset();
}

void tst_TAboutBox::window()
{
    QVERIFY(box->isHidden());
    QCOMPARE(box->objectName(), u"AboutBox"_s);
    QCOMPARE(box->windowTitle(), u"ﾊﾞｰｼﾞｮﾝ情報"_s);
    QCOMPARE(box->minimumSize(), QSize(298, 213));
    QCOMPARE(box->maximumSize(), QSize(298, 213));
    // An odd size cannot sit exactly in the middle: a pixel off is centred.
    QVERIFY((box->geometry().center() - box->screen()->geometry().center()).manhattanLength() <= 2);
    const Qt::WindowFlags flags = box->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(child<QPushButton>("OKButton")->isDefault());
    const QPixmap icon = child<QLabel>("ProgramIcon")->pixmap();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.toImage(), programIcon().pixmap(32, 32).toImage());
    for (const char *name : {"URLLabel1", "URLLabel2"})
        QVERIFY(child<TURLLabel>(name)->Executable());
}

void tst_TAboutBox::controls_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QColor>("colour");

    const QString panel = u"Panel1"_s, form = u"AboutBox"_s;
    const QColor windowText; // the desktop's own, left as it is
    QTest::newRow("ProductName") << panel << QPoint(56, 16) << u"「ピルモ英語」"_s << 16 << true << false << clBlack;
    QTest::newRow("Version") << panel << QPoint(144, 40) << u"Version: 2.0"_s << 15 << true << true << clNavy;
    QTest::newRow("Label1") << panel << QPoint(24, 63) << u"Yuzuki Juku Free Soft"_s << 15 << true << true << clBlue;
    QTest::newRow("Copyright") << panel << QPoint(24, 84) << u"Copyright (C) Yuzuki Juku"_s << 13 << true << false << clBlack;
    QTest::newRow("Label2") << panel << QPoint(24, 104) << u"最新情報は下記ウェブサイトで"_s << 12 << false << false << windowText;
    QTest::newRow("URLLabel1") << panel << QPoint(24, 120) << u"https://www.example.jp/pirumo/"_s << 13 << true << false << clGreen;
    QTest::newRow("URLLabel2") << panel << QPoint(24, 136) << u"mailto:pirumo@example.jp"_s << 13 << true << false << clNavy;
    QTest::newRow("OKButton") << form << QPoint(111, 180) << u"OK"_s << 12 << false << false << windowText;
}

void tst_TAboutBox::controls()
{
    QWidget *control = child(QTest::currentDataTag());
    QVERIFY(control);
    QTEST(control->parentWidget()->objectName(), "parent");
    QTEST(control->pos(), "at");
    const auto *label = qobject_cast<QLabel *>(control);
    QTEST(label ? label->text() : qobject_cast<QPushButton *>(control)->text(), "text");
    QTEST(control->font().pixelSize(), "pixels");
    QTEST(control->font().bold(), "bold");
    QTEST(control->font().italic(), "italic");
    QFETCH(QColor, colour);
    if (label)
        QCOMPARE(textColor(control), colour.isValid() ? colour : box->palette().color(QPalette::WindowText));
}

void tst_TAboutBox::textsFitThePanel()
{
    // Labels size themselves to their texts in the fonts the desktop has.
    const auto *panel = child("Panel1");
    QCOMPARE(panel->geometry(), QRect(8, 8, 281, 161));
    QCOMPARE(child("ProgramIcon")->geometry(), QRect(8, 8, 32, 32));
    QCOMPARE(child("OKButton")->size(), QSize(75, 25));
    const QList<QLabel *> labels = panel->findChildren<QLabel *>();
    for (const QLabel *label : labels) {
        QVERIFY2(panel->contentsRect().contains(label->geometry()), qPrintable(label->objectName()));
        for (const QLabel *other : labels)
            QVERIFY2(label == other || !label->geometry().intersects(other->geometry()),
                     qPrintable(label->objectName() + u" overlaps "_s + other->objectName()));
    }
}

void tst_TAboutBox::oneBoxBroughtToTheFront()
{
    showFromMenu();
    QVERIFY(QTest::qWaitForWindowActive(box.get()));
    form1->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form1.get()));
    showFromMenu();
    QVERIFY(QTest::qWaitForWindowActive(box.get()));
    int boxes = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        boxes += w->isVisible() && qobject_cast<TAboutBox *>(w);
    QCOMPARE(boxes, 1);
}

void tst_TAboutBox::quizWindowUsableMeanwhile()
{
    showFromMenu();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QVERIFY(!QApplication::activeModalWidget());
    // A real click through the window system, which a modal box would block.
    auto *miru = form1->findChild<QPushButton *>(u"Miru"_s);
    QTest::mouseClick(miru, Qt::LeftButton);
    QVERIFY(form1->findChild<QLabel *>(u"Label6"_s)->isVisible());
    QVERIFY(box->isVisible());
}

void tst_TAboutBox::hides_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("OK button") << 0;
    QTest::newRow("Return key") << 1;
    QTest::newRow("Enter key") << 2;
    QTest::newRow("close button") << 3;
    QTest::newRow("Esc key: stays") << 4;
}

void tst_TAboutBox::hides()
{
    QFETCH(int, how);
    showFromMenu();
    QVERIFY(QTest::qWaitForWindowActive(box.get()));
    switch (how) {
    case 0: QTest::mouseClick(child<QPushButton>("OKButton"), Qt::LeftButton); break;
    case 1: QTest::keyClick(box.get(), Qt::Key_Return); break;
    case 2: QTest::keyClick(box.get(), Qt::Key_Enter); break;
    case 3: box->windowHandle()->close(); break;
    case 4: QTest::keyClick(box.get(), Qt::Key_Escape); QVERIFY(box->isVisible()); return;
    }
    QTRY_VERIFY(box->isHidden());
    QVERIFY(form1->isVisible());
    showFromMenu();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
}

void tst_TAboutBox::closingItAloneKeepsTheProgram()
{
    form1->hide();
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    showFromMenu();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    // The last window's closing is only told while the event loop runs.
    QTimer::singleShot(0, box.get(), [this] { box->windowHandle()->close(); });
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QApplication::exec();
    QVERIFY(box->isHidden());
    QCOMPARE(lastClosed.count(), 0);
}

void tst_TAboutBox::addressesOpenThroughTheToolkit()
{
    showFromMenu();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    for (const char *name : {"URLLabel1", "URLLabel2"})
        QTest::mousePress(child(name), Qt::LeftButton);
    QCOMPARE(tk->addresses, (QStringList{u"https://www.example.jp/pirumo/"_s, u"mailto:pirumo@example.jp"_s}));
    QVERIFY(box->isVisible());
}

QTEST_MAIN(tst_TAboutBox)
#include "tst_TAboutBox.moc"
