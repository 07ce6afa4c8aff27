// Start-up as the program runs it: the quiz window first, then, once it is on
// the screen, the editor, the about box and the program's icon.
#include "app/Globals.h"
#include "app/StartUp.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QToolButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QToolTip>
#include <QTimer>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class tst_StartUp : public QObject {
    Q_OBJECT

    QTemporaryDir config; // the learner's settings, never the real ones

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit()); }

    void theOtherWindowsFollowTheQuizWindow()
    {
        QVERIFY(QDir::setCurrent(qEnvironmentVariable("PIRUMO_SAMPLE")));
        QStringList seen;
        bool shownBeforeTheOthers = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (Form1 && !Form2)
                shownBeforeTheOthers = shownBeforeTheOthers || Form1->isVisible();
            if (!Form2 || !AboutBox)
                return;
            seen = {Form1->objectName(), Form2->objectName(), AboutBox->objectName()};
            // The quiz window's 編集 now shows the editor.
            Form1->findChild<QAction *>(u"Edit"_s)->trigger();
            seen << QString::number(Form2->isVisible()) << QString::number(!QApplication::windowIcon().isNull());
            Form1->close();
        });
        poll.start(1);
        // Bounds the test should the others never come; closing ends the program.
        QTimer::singleShot(20000, [] { QApplication::closeAllWindows(); });
        QCOMPARE(runProgram(), 0);
        QVERIFY(shownBeforeTheOthers);
        QCOMPARE(seen, (QStringList{u"Form1"_s, u"Form2"_s, u"AboutBox"_s, u"1"_s, u"1"_s}));

        poll.stop(); // the windows are gone

        // Hints, in every window: 500 ms after the pointer rests, gone 2.5 s later.
        QCOMPARE(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 500);
        QToolButton hinted;
        hinted.setToolTip(u"hint"_s);
        hinted.show();
        QVERIFY(QTest::qWaitForWindowActive(&hinted));
        QHelpEvent rest(QEvent::ToolTip, QPoint(1, 1), hinted.mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(&hinted, &rest);
        QVERIFY(QToolTip::isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 5000); // Qt's own: 10 s
    }
};

QTEST_MAIN(tst_StartUp)
#include "tst_StartUp.moc"
