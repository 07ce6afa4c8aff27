#include "app/Controls.h"
#include "app/TextFit.h"
#include "app/ErrorDisplay.h"
#include "app/Exceptions.h"
#include "app/Numbers.h"
#include "app/QtToolkit.h"
#include "app/QtTranslation.h"
#include "app/Random.h"
#include "app/Sjis.h"
#include "app/WaveHeader.h"
#include "ScriptedToolkit.h"
#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString sentence = u"I no longer have to get up early to catch the crowded train"_s;
} // namespace

class tst_Runtime : public QObject {
    Q_OBJECT
private slots:
    void textToInt_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "12"_ba << 12;
        QTest::newRow("blank, digits, letter") << " 12a"_ba << 12;
        QTest::newRow("tabs and line ends skipped") << "\t\n\v\f\r 7"_ba << 7;
        QTest::newRow("minus") << "-1"_ba << -1;
        QTest::newRow("plus") << "+5"_ba << 5;
        QTest::newRow("sign alone") << "-"_ba << 0;
        QTest::newRow("two signs") << "--3"_ba << 0;
        QTest::newRow("blank after sign") << "- 3"_ba << 0;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("letters") << "abc"_ba << 0;
        QTest::newRow("full-width digit") << toSjis(u"１正答"_s) << 0;
        QTest::newRow("0x00 is no blank") << QByteArray("\0" "5", 2) << 0;
        QTest::newRow("leading zeros") << "007"_ba << 7;
        QTest::newRow("largest") << "2147483647"_ba << 2147483647;
        QTest::newRow("smallest") << "-2147483648"_ba << int(-2147483647 - 1);
        QTest::newRow("wraps past 2^31") << "2147483648"_ba << int(-2147483647 - 1);
        QTest::newRow("wraps modulo 2^32") << "4294967297"_ba << 1;
        QTest::newRow("many digits") << "99999999999999999999"_ba << int(0x1FFFFFFF * 0 + 1661992959);
    }
    void textToInt()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, value);
        QCOMPARE(::textToInt(text), value);
    }

    void intToText_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("zero") << 0 << "0"_ba;
        QTest::newRow("negative") << -12 << "-12"_ba;
        QTest::newRow("smallest") << int(-2147483647 - 1) << "-2147483648"_ba;
        QTest::newRow("largest") << 2147483647 << "2147483647"_ba;
    }
    void intToText()
    {
        QFETCH(int, value);
        QFETCH(QByteArray, text);
        QCOMPARE(::intToText(value), text);
        QCOMPARE(::textToInt(text), value);
    }

    void errorDisplayAddsFullStop_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("open error") << EFOpenError(u"help.txt"_s).message()
                                    << u"ﾌｧｲﾙ help.txt は開けません."_s;
        QTest::newRow("index error ends in )") << EStringListError(0).message()
                                               << u"ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (0)"_s;
        QTest::newRow("half-width katakana") << u"ｴﾗｰ"_s << u"ｴﾗｰ."_s;
        QTest::newRow("digit") << u"x1"_s << u"x1."_s;
        QTest::newRow("slash sorts after .") << u"a/"_s << u"a/."_s;
        QTest::newRow("full stop itself") << u"a."_s << u"a."_s;
        QTest::newRow("blank") << u"a "_s << u"a "_s;
        QTest::newRow("empty") << QString() << QString();
    }
    void errorDisplayAddsFullStop()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(errorDisplayText(message), shown);
    }

    void guardReportsAndGoesOn()
    {
        ScriptedToolkit tk;
        guard(tk, [] { throw EWriteError(); });
        guard(tk, [] { throw std::bad_alloc(); });
        bool ran = false;
        guard(tk, [&] { ran = true; });
        QVERIFY(ran);
        QCOMPARE(tk.errors, (QStringList{u"ｽﾄﾘｰﾑへの書き込みｴﾗｰ."_s, u"ﾒﾓﾘが足りません."_s}));
        QCOMPARE(tk.errorDetails, (QStringList{QString(), u"原因: メモリが足りません。"_s}));
    }

    // The message stays as it is; the second part says why, and where a save
    // that cannot go into its folder can go.
    void errorBoxSaysWhy_data()
    {
        QTest::addColumn<QString>("saved"); // the file a save failed on; empty: an open failed
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QString>("detail");
        const QString missing = u"/no/such/folder/q.dat"_s, place = u"保存できる場所: <current>"_s;
        QTest::newRow("not known") << QString() << 0 << QString();
        QTest::newRow("no such file") << QString() << ENOENT << u"原因: そのフォルダーまたはファイルがありません。"_s;
        QTest::newRow("no permission") << QString() << EACCES << u"原因: 読み書きする権限がありません。"_s;
        QTest::newRow("not a regular file") << QString() << int(notRegularFile) << u"原因: 通常のファイルではありません（フォルダーなど）。"_s;
        QTest::newRow("name too long") << u"q.dat"_s << ENAMETOOLONG << u"原因: ファイル名が長すぎます。"_s;
        QTest::newRow("disk full") << u"q.dat"_s << ENOSPC << u"原因: ディスクの空きが足りません。"_s;
        QTest::newRow("read-only file system") << u"q.dat"_s << EROFS << u"原因: 読み取り専用のファイルシステムです。"_s;
        QTest::newRow("memory") << QString() << ENOMEM << u"原因: メモリが足りません。"_s;
        QTest::newRow("rare error by its number") << QString() << EIO << u"原因: %1（エラー番号 5）"_s.arg(qt_error_string(EIO));
        QTest::newRow("missing folder") << missing << ENOENT << u"原因: そのフォルダーまたはファイルがありません。\n"_s + place;
        QTest::newRow("missing folder, no reason") << missing << 0 << place;
    }
    void errorBoxSaysWhy()
    {
        QFETCH(QString, saved);
        QFETCH(int, systemError);
        QFETCH(QString, detail);
        QTemporaryDir current;
        QVERIFY(QDir::setCurrent(current.path()));
        ScriptedToolkit tk;
        guard(tk, [&] {
            if (saved.isEmpty())
                throw EFOpenError(u"q.dat"_s, systemError);
            throw EFCreateError(saved, systemError);
        });
        QCOMPARE(tk.errors.value(0), errorDisplayText(saved.isEmpty() ? EFOpenError(u"q.dat"_s).message() : EFCreateError(saved).message()));
        QCOMPARE(tk.errorDetails, QStringList{detail.replace(u"<current>"_s, current.path())});
        QDir::setCurrent(QDir::tempPath());
    }

    void errorBoxShowsBothParts()
    {
        QString parts;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            parts = box->text() + u'|' + box->informativeText();
            box->accept();
        });
        QtToolkit().showError(u"ﾒﾓﾘが足りません."_s, u"原因: メモリが足りません。"_s);
        QCOMPARE(parts, u"ﾒﾓﾘが足りません.|原因: メモリが足りません。"_s);
    }

    void errorKindsFormTheirHierarchy()
    {
        QVERIFY((std::is_base_of_v<EStreamError, EFOpenError>));
        QVERIFY((std::is_base_of_v<EStreamError, EFCreateError>));
        QVERIFY((std::is_base_of_v<EFilerError, EWriteError>));
        QVERIFY((std::is_base_of_v<EStreamError, EFilerError>));
        QVERIFY((std::is_base_of_v<Exception, EStringListError>));
        QVERIFY((!std::is_base_of_v<EFOpenError, EFCreateError>));
    }

    void randomFollowsItsRecurrence()
    {
        Random r;
        // From state 1: state = 1 * M + 1, whose bits 32..62 are 346.
        QCOMPARE(r.next(), 346);
        Random seeded;
        seeded.seed(0);
        QCOMPARE(seeded.next(), 0); // state 1 has nothing above bit 31
        Random a, b;
        a.seed(1733600000u);
        b.seed(1733600000u);
        int counts[4] = {};
        for (int i = 0; i < 40000; ++i) {
            const int v = a.next();
            QCOMPARE(v, b.next());
            QVERIFY(v >= 0);
            ++counts[v % 4];
        }
        for (int c : counts)
            QVERIFY2(c > 9000 && c < 11000, "each rotation comes about as often");
    }

    void shiftJisRoundTrips_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("kana and kanji") << u"正 解！ 残 念"_s;
        QTest::newRow("half-width katakana") << u"ﾌｧｲﾙ"_s;
        QTest::newRow("NEC extension") << u"①②"_s;
        QTest::newRow("backslash") << u"a\\b"_s;
    }
    void shiftJisRoundTrips()
    {
        QFETCH(QString, text);
        QCOMPARE(fromSjis(toSjis(text)), text);
    }

    void shiftJisBytes()
    {
        QCOMPARE(toSjis(u"正 解！"_s).size(), 7);
        QCOMPARE(toSjis(u"残 念"_s).size(), 5);
        QCOMPARE(toSjis(u"あ"_s), "\x82\xa0"_ba);
    }

    void soundsAreFoundInTheStartFolderToo()
    {
        const QString sample = qEnvironmentVariable("PIRUMO_SAMPLE");
        QVERIFY(QDir::setCurrent(sample));
        QtToolkit tk;
        QTemporaryDir elsewhere;
        QVERIFY(QDir::setCurrent(elsewhere.path())); // as after a file dialog
        QCOMPARE(tk.soundPath(u"seikai.wav"_s), QDir(sample).absoluteFilePath(u"seikai.wav"_s));
        QFile::copy(QDir(sample).filePath(u"gotou.wav"_s), elsewhere.filePath(u"gotou.wav"_s));
        QCOMPARE(tk.soundPath(u"gotou.wav"_s), QDir(elsewhere.path()).absoluteFilePath(u"gotou.wav"_s));
        QCOMPARE(tk.soundPath(u"nothing.wav"_s), QString());
        tk.playSound(u"nothing.wav"_s); // a beep, no error, no wait
    }

    void waveDuration()
    {
        const QDir sample(qEnvironmentVariable("PIRUMO_SAMPLE"));
        const qint64 ms = waveDurationMs(sample.filePath(u"seikai.wav"_s));
        QVERIFY2(ms > 100 && ms < 2000, qPrintable(QString::number(ms)));
        QCOMPARE(waveDurationMs(sample.filePath(u"help.txt"_s)), qint64(-1));
        QCOMPARE(waveDurationMs(sample.filePath(u"missing.wav"_s)), qint64(-1));
    }

    // The answer's wait through the toolkit: a device that takes the sound
    // but never plays it out holds the window only for the sound's bound, and
    // one that is missing (or a missing plug-in) not at all.
    void soundWait_data()
    {
        QTest::addColumn<bool>("device");
        QTest::addColumn<QString>("sound");
        QTest::addColumn<int>("plays");
        QTest::addColumn<bool>("waits");
        QTest::newRow("a device that stops taking samples") << true << u"seikai.wav"_s << 1 << true;
        QTest::newRow("no audio device") << false << u"seikai.wav"_s << 0 << false;
        QTest::newRow("no such sound") << true << u"nothing.wav"_s << 0 << false;
        QTest::newRow("no wave file") << true << u"help.txt"_s << 0 << false;
    }
    void soundWait()
    {
        QFETCH(bool, device);
        QFETCH(QString, sound);
        struct Stalled : AudioOutput {
            bool device = true;
            int plays = 0, stops = 0;
            bool open() override { return device; }
            void play(const Sound &, std::function<void()>) override { ++plays; }
            bool canSpeak() override { return device; }
            void speak(const QStringList &) override {}
            void stop() override { ++stops; }
        } output;
        output.device = device;
        QVERIFY(QDir::setCurrent(qEnvironmentVariable("PIRUMO_SAMPLE")));
        QtToolkit tk(output);
        QElapsedTimer clock;
        clock.start();
        tk.playSound(sound);
        const qint64 bound = soundWaitMs(waveDurationMs(u"seikai.wav"_s));
        QTEST(output.plays, "plays");
        QTEST(output.stops, "plays"); // what was not played out is stopped
        QFETCH(bool, waits);
        QVERIFY2(waits ? clock.elapsed() >= bound - 20 && clock.elapsed() < bound + 300 : clock.elapsed() < 200,
                 qPrintable(QString::number(clock.elapsed())));
    }

    // Without the plug-in, or with it on a machine without a sound server as
    // the suite runs: the default beep or nothing, at once, and no voice.
    void withoutSound_data()
    {
        QTest::addColumn<QString>("plugIn");
        QTest::newRow("no plug-in") << u"/nonexistent/libpirumo_audio.so"_s;
        QTest::newRow("the plug-in, no audio device") << qEnvironmentVariable("PIRUMO_AUDIO_PLUGIN");
    }
    void withoutSound()
    {
        QFETCH(QString, plugIn);
        QVERIFY(QDir::setCurrent(qEnvironmentVariable("PIRUMO_SAMPLE")));
        QtToolkit tk(plugIn);
        QVERIFY(!tk.canSpeak()); // loads the plug-in, as opening a file does
        QElapsedTimer clock;
        clock.start();
        tk.playSound(u"seikai.wav"_s); // the default beep, or nothing
        QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
        tk.speak(u"Hello."_s);
        tk.stopSpeaking();
    }

    void messageBoxesSpeakJapanese_data()
    {
        QTest::addColumn<bool>("retry");
        QTest::addColumn<QStringList>("buttons");
        QTest::newRow("yes, no, cancel") << false << QStringList{u"はい"_s, u"いいえ"_s, u"キャンセル"_s};
        QTest::newRow("retry, cancel") << true << QStringList{u"再試行"_s, u"キャンセル"_s};
    }
    void messageBoxesSpeakJapanese()
    {
        QFETCH(bool, retry);
        QFETCH(QStringList, buttons);
        QVERIFY(!installQtTranslation(u"/no/such/folder"_s)); // missing: Qt stays English
        if (!installQtTranslation())
            QSKIP("Qt's Japanese translation is not installed");
        QtToolkit tk;
        QStringList shown;
        QString caption;
        bool firstIsDefault = false;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            caption = box->windowTitle();
            firstIsDefault = box->defaultButton() == box->button(retry ? QMessageBox::Retry : QMessageBox::Yes);
            for (QAbstractButton *b : box->buttons())
                shown << b->text().remove(QRegularExpression(u"\\(&.\\)|&"_s)); // mnemonics aside
            box->button(QMessageBox::Cancel)->click();
        });
        const int answer = tk.messageBox(nullptr, u"本文"_s, u"移動"_s, retry ? Buttons::RetryCancel : Buttons::YesNoCancel);
        QCOMPARE(answer, int(IDCANCEL));
        QCOMPARE(caption, u"移動"_s);
        QVERIFY(firstIsDefault); // Enter says yes
        std::sort(shown.begin(), shown.end());
        std::sort(buttons.begin(), buttons.end());
        QCOMPARE(shown, buttons);
    }

    void fileDialogs_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("save: asks before replacing, adds the extension") << true << u"new"_s << u"new.dat"_s;
        QTest::newRow("open a file without a dot") << false << u"README"_s << u"README"_s;
        QTest::newRow("open a missing name without a dot") << false << u"new"_s << u"new.dat"_s;
    }
    void fileDialogs()
    {
        QFETCH(bool, save);
        QFETCH(QString, typed);
        const QTemporaryDir folder;
        QVERIFY(QFile(QDir(folder.path()).filePath(u"README"_s)).open(QIODevice::WriteOnly));
        bool asks = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            asks = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            dialog->selectFile(QDir(folder.path()).filePath(typed));
            static_cast<QDialog *>(dialog)->accept();
        });
        const auto path = QtToolkit().fileDialog(nullptr, save ? DialogKind::Save : DialogKind::Open,
                                                 {u"All(*.*)|*.*"_s, u"dat"_s, {}, save});
        QTEST(QFileInfo(path.value_or(QString())).fileName(), "chosen");
        QVERIFY(asks);
        QCOMPARE(QDir::current(), QDir(folder.path())); // where bare names are found next
    }

    void textsFitTheirBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSizeF>("box"); // in widths and heights of the sentence on one line at 20 px
        QTest::addColumn<bool>("shrunk");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("cut");
        QTest::newRow("fits") << sentence << QSizeF(1, 1.2) << false << 1 << false;
        QTest::newRow("shrinks first") << sentence << QSizeF(0.9, 2.5) << true << 1 << false;
        QTest::newRow("then wraps") << sentence << QSizeF(0.6, 2.5) << false << 2 << false;
        QTest::newRow("then cuts") << sentence << QSizeF(0.6, 1.2) << true << 1 << true;
        QTest::newRow("no blank, huge") << QString(100000, u'x') << QSizeF(1, 1.2) << true << 1 << true;
    }
    void textsFitTheirBox()
    {
        QFETCH(QString, text);
        QFETCH(QSizeF, box);
        QFETCH(bool, shrunk);
        QFETCH(int, lines);
        QFETCH(bool, cut);
        const QFontMetrics one(japaneseFont(20));
        const QSize pixels(qRound(box.width() * one.horizontalAdvance(sentence)), qRound(box.height() * one.height()));
        const FittedText fitted = fitText(text, japaneseFont(20), pixels);
        QVERIFY(fitted.font.pixelSize() >= 15 && (fitted.font.pixelSize() < 20) == shrunk);
        const QStringList shown = fitted.text.split(u'\n');
        QCOMPARE(shown.size(), lines);
        QVERIFY(fitted.cut == cut && shown.last().endsWith(u'…') == cut);
        for (const QString &line : shown)
            QVERIFY(QFontMetrics(fitted.font).horizontalAdvance(line) <= pixels.width());
    }

    void qtFilterFromPairs()
    {
        QCOMPARE(qtFilter(u"ﾃﾞｰﾀ(*.dat)|*.dat|All(*.*)|*.*"_s), u"ﾃﾞｰﾀ(*.dat) (*.dat);;All(*.*) (*)"_s);
        QCOMPARE(qtFilter(u"*.dat|*.dat|all|*.*"_s), u"*.dat (*.dat);;all (*)"_s);
    }
};

QTEST_MAIN(tst_Runtime)
#include "tst_Runtime.moc"
