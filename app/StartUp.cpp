#include "app/StartUp.h"
#include "about/TAboutBox.h"
#include "app/ErrorDisplay.h"
#include "app/Exceptions.h"
#include "app/Globals.h"
#include "app/QtToolkit.h"
#include "app/QtTranslation.h"
#include "app/SavePlace.h"
#include "data/FileAccess.h"
#include "editor/TForm2.h"
#include "quiz/TForm1.h"
#include "records/TRecords.h"
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QHelpEvent>
#include <QProxyStyle>
#include <QTimer>
#include <QToolTip>
#include <memory>
#include <cerrno>
#include <new>

using namespace Qt::Literals::StringLiterals;

namespace {
// Runs `then` once, as soon as `window` has been painted for the first time.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget *window, std::function<void()> action) : then(std::move(action))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, then);
        }
        return false;
    }

private:
    std::function<void()> then;
};

// Hints of every window: shown 500 ms after the pointer comes to rest on their
// control, hidden 2.5 s later.
class HintTiming : public QProxyStyle {
public:
    HintTiming() { qApp->installEventFilter(this); }

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 500;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = event->type() == QEvent::ToolTip ? qobject_cast<QWidget *>(watched) : nullptr;
        if (!widget || widget->toolTip().isEmpty())
            return QProxyStyle::eventFilter(watched, event);
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), widget->toolTip(),
                           widget, {}, 2500);
        return true;
    }
};
} // namespace

void enterLearnerFolder(Toolkit &toolkit, const QString &samples)
{
    const QString name = u"ピルモ英語"_s, home = QDir::homePath();
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString folder = (docs.isEmpty() ? home : docs) + u'/' + name;
    // A folder made while the documents folder was unknown stays the learner's.
    if (!QFileInfo::exists(folder) && QFileInfo(home + u'/' + name).isDir())
        folder = home + u'/' + name;
    try {
        makeFolder(folder);
        for (const QString &file : {u"help.txt"_s, u"seikai.wav"_s, u"gotou.wav"_s, u"eigo.dat"_s})
            copyIfMissing(samples + u'/' + file, folder + u'/' + file);
        if (!QDir::setCurrent(folder))
            throw EFOpenError(folder, errno);
    } catch (const Exception &e) {
        QDir::setCurrent(home);
        showError(toolkit, e);
    }
    rememberStartFolder();
}

int runProgram(bool learnerFolder)
{
    installQtTranslation();
    QApplication::setStyle(new HintTiming);
    QtToolkit toolkit;
    try {
        QApplication::setApplicationName(QStringLiteral("Pirumo20"));
        QApplication::setApplicationVersion(QStringLiteral(PIRUMO_VERSION));
        QApplication::setDesktopFileName(QStringLiteral("jp.example.pirumo"));
        if (learnerFolder)
            enterLearnerFolder(toolkit, QApplication::applicationDirPath() + u"/"_s PIRUMO_DATA_FROM_BIN);
        TForm1 form1(toolkit);
        Form1 = &form1;
        // The icon (its image formats), the editor and the about box come once
        // the quiz window is on the screen, so that it does not wait for them;
        // until then the quiz window's commands that show them do nothing.
        std::unique_ptr<TForm2> form2;
        std::unique_ptr<TAboutBox> aboutBox;
        std::unique_ptr<TRecords> records;
        AfterFirstPaint others(&form1, [&] {
            guard(toolkit, [&] {
                QApplication::setWindowIcon(programIcon());
                form2 = std::make_unique<TForm2>(toolkit);
                Form2 = form2.get();
                aboutBox = std::make_unique<TAboutBox>(toolkit);
                AboutBox = aboutBox.get();
                records = std::make_unique<TRecords>(
                    toolkit, [&form1] { return form1.learnerHistory(); },
                    [&form1]() -> const LineList & { return form1.questions(); });
                Records = records.get();
                QObject::connect(&form1, &TForm1::answerRecorded, records.get(),
                                 [&] { guard(toolkit, [&] { records->refresh(); }); });
            });
        });
        form1.show();
        QApplication::exec();
    } catch (const Exception &e) {
        showError(toolkit, e);
    } catch (const std::bad_alloc &) {
        showError(toolkit, EOutOfMemory());
    }
    return 0;
}
