// A scripted learner works both windows on one question file of 1,000
// records with random commands from a fixed seed: answers, next, back,
// first, memorise, reveal, open and save in the quiz window; browse, add,
// change, clear, reset, open and save in the editor. After every save the
// file reloads to exactly the list in memory, a list's line count changes
// only by add, the quiz window never loses or invents a line, and the only
// errors shown are the stated ones, where they are due.
// PIRUMO_LONG_RUN_COMMANDS sets the number of commands (100,000 by default).
#include "ScriptedToolkit.h"
#include "app/Sjis.h"
#include "data/LineList.h"
#include "editor/TForm2.h"
#include "quiz/TForm1.h"
#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <map>
#include <random>
#include <csignal>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;

namespace {
// The toolkit of the learner: rotations come from the run's generator.
class LearnerToolkit : public ScriptedToolkit {
public:
    explicit LearnerToolkit(std::mt19937 &generator) : rng(generator) {}
    int nextRandom() override { return int(rng() & 0x7fffffff); }

private:
    std::mt19937 &rng;
};

LineList reload(const QString &path)
{
    LineList list;
    list.Load(path);
    return list;
}

// The same lines: the same count and the same text once joined. A line end
// inside a line of `a` would give `b`, read from a file, more lines.
bool sameLines(const LineList &a, const LineList &b)
{
    return a.Count() == b.Count() && a.joined() == b.joined();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The quiz window only moves lines and rewrites the remaining count: its
// lines other than line 2 stay those of the file it opened, in any order. A
// sum of their hashes ignores the order and changes when a line is lost,
// altered or added.
quint64 movedLines(const LineList &list)
{
    quint64 sum = 0;
    for (int i = 0; i < list.Count(); ++i)
        if (i != 2)
            sum += qHash(list.Get(i), 1);
    return sum;
}
} // namespace

class tst_LongRun : public QObject {
    Q_OBJECT

private slots:
    void scriptedLearner();
};

void tst_LongRun::scriptedLearner()
{
    const int commands = qEnvironmentVariableIsSet("PIRUMO_LONG_RUN_COMMANDS")
        ? qEnvironmentVariableIntValue("PIRUMO_LONG_RUN_COMMANDS") : 100000;
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    std::signal(SIGXFSZ, SIG_IGN); // a write past the file size limit fails with EFBIG
    const QString work = dir.filePath(u"work.dat"_s);
    const QString missing = dir.filePath(u"missing.dat"_s);
    {
        QFile help(dir.filePath(u"help.txt"_s));
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.write("3480\r\nLong run\r\nMenu\r\n");
        LineList file;
        for (const QString &line : {u"長い練習"_s, u"h1"_s, u"1000"_s, u"h3"_s, u"h4"_s, u"h5"_s, u"h6"_s})
            file.Add(toSjis(line));
        for (int k = 1; k <= 1000; ++k)
            for (const QString &field : {u"分野%1"_s, u"問題 %1 の「文」"_s, u"right %1"_s, u"wrong %1a"_s,
                                         u"wrong %1b"_s, u"wrong %1c"_s, u"解説 %1: ①～③ \\"_s})
                file.Add(toSjis(field.arg(k)));
        file.Save(work);
    }

    std::mt19937 rng(20260608);
    const auto chance = [&](int percent) { return int(rng() % 100) < percent; };
    const auto pick = [&](const auto &choices) { return choices[rng() % std::size(choices)]; };
    LearnerToolkit tk(rng);
    TForm1 quiz(tk);
    TForm2 editor(tk);
    QVERIFY(tk.errors.isEmpty());

    // What the learner types: plain and Japanese text, numbers, and now and
    // then a line break, a NUL or a character Shift-JIS lacks.
    const QString pieces[] = {u"word"_s, u" "_s, u"漢字"_s, u"ｶﾅ"_s, u"１２"_s, u"7"_s, u"-3"_s, u"\\"_s,
                              u"～"_s, u"①"_s, u"\n"_s, u"\r\n"_s, QString(QChar(0)), u"😀"_s, u"é"_s};
    const auto typed = [&] {
        QString text;
        for (int n = int(rng() % 6); n > 0; --n)
            text += pick(pieces);
        return text;
    };
    const auto type = [&](QWidget *box, const QString &text) {
        if (auto *memo = qobject_cast<QPlainTextEdit *>(box))
            memo->setPlainText(text);
        else
            static_cast<QLineEdit *>(box)->setText(text);
    };

    // The model: how many lines each list must hold, which lines the quiz
    // window may hold, and the errors that are due.
    int quizLines = 0, editorLines = 0;
    quint64 quizOpened = 0;
    QStringList due;
    std::map<QString, int> done;
    int saves = 0, injected = 0, opens = 0, missingOpens = 0, indexErrors = 0;
    const QRegularExpression indexError(u"^ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています \\(-?\\d+\\)$"_s);

    const auto open = [&](bool inQuiz) {
        ++opens;
        const bool fails = chance(10);
        missingOpens += fails;
        tk.paths = {fails ? missing : work};
        if (fails) {
            if (inQuiz)
                due << u"ﾌｧｲﾙ %1 は開けません."_s.arg(missing);
            else
                tk.answers = {pick(std::array{int(IDRETRY), int(IDCANCEL)})}; // a retry finds the dialog cancelled
        }
        if (inQuiz)
            quiz.Yomikomi->click();
        else
            editor.Open1->trigger();
        if (fails)
            return;
        const LineList &list = inQuiz ? quiz.drill.lines() : editor.questionList;
        QVERIFY(sameLines(list, reload(work)));
        (inQuiz ? quizLines : editorLines) = list.Count();
        if (inQuiz)
            quizOpened = movedLines(quiz.drill.lines());
    };
    const auto save = [&](bool inQuiz) {
        ++saves;
        const LineList &list = inQuiz ? quiz.drill.lines() : editor.questionList;
        const QByteArray before = readFile(work);
        const bool fails = chance(10);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit unlimited = limit;
        if (fails) {
            ++injected;
            due << u"ｽﾄﾘｰﾑへの書き込みｴﾗｰ."_s;
            limit.rlim_cur = rlim_t(list.joined().size() / 3); // the file may grow a third of the way
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        tk.paths = {work};
        if (inQuiz)
            quiz.Hozon->click();
        else
            editor.Button6->click();
        setrlimit(RLIMIT_FSIZE, &unlimited);
        if (fails)
            QCOMPARE(readFile(work), before);
        else
            QVERIFY(sameLines(list, reload(work)));
        if (inQuiz)
            QCOMPARE(movedLines(list), quizOpened);
    };
    const auto answer = [&] { return pick(std::array{int(IDYES), int(IDNO), int(IDCANCEL)}); };

    QPushButton *const answers[] = {quiz.Button1, quiz.Button2, quiz.Button3, quiz.Button4};
    const std::vector<std::pair<QString, std::function<void()>>> commandList{
        {u"quiz: answer"_s, [&] { pick(answers)->click(); }},
        {u"quiz: reveal"_s, [&] { quiz.Miru->click(); }},
        {u"quiz: next"_s, [&] { quiz.Susumeru->click(); }},
        {u"quiz: back"_s, [&] { quiz.K6->trigger(); }},
        {u"quiz: first"_s, [&] { quiz.K4->trigger(); }},
        {u"quiz: memorise"_s, [&] { tk.answers = {answer()}; quiz.Sakujo->click(); }},
        {u"quiz: open"_s, [&] { open(true); }},
        {u"quiz: save"_s, [&] { save(true); }},
        {u"editor: forward"_s, [&] { editor.Button2->click(); }},
        {u"editor: back"_s, [&] { editor.Button1->click(); }},
        {u"editor: add"_s, [&] {
             if (chance(50))
                 editor.Button5->click();
             for (QWidget *box : editor.block)
                 if (chance(50))
                     type(box, typed());
             const int reply = answer();
             tk.answers = {reply};
             editor.Button3->click();
             if (reply == IDYES)
                 editorLines += 7;
         }},
        {u"editor: change"_s, [&] {
             for (QWidget *box : editor.block)
                 if (chance(30))
                     type(box, typed());
             if (chance(30))
                 type(editor.Edit9, typed());
             if (chance(30))
                 type(editor.Edit8, chance(80) ? QString::number(int(rng() % 1200) - 100) : typed());
             tk.answers = {answer()};
             editor.Button4->click();
         }},
        {u"editor: clear"_s, [&] { editor.Button5->click(); }},
        {u"editor: reset"_s, [&] { tk.answers = {answer()}; editor.Button7->click(); }},
        {u"editor: open"_s, [&] { open(false); }},
        {u"editor: save"_s, [&] { save(false); }},
    };
    std::discrete_distribution<int> weights{22, 3, 25, 4, 1, 6, 0.5, 1, 10, 6, 3, 5, 3, 1, 0.5, 1};

    open(true);
    open(false);
    tk.errors.clear();
    due.clear();
    for (int i = 0; i < commands; ++i) {
        const auto &[name, command] = commandList[size_t(weights(rng))];
        ++done[name];
        command();
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(u"after command %1, %2"_s.arg(i + 1).arg(name)));
        for (const QString &error : std::as_const(tk.errors)) {
            if (due.removeOne(error))
                continue;
            QVERIFY2(indexError.match(error).hasMatch(),
                     qPrintable(u"command %1, %2: %3"_s.arg(i + 1).arg(name, error)));
            ++indexErrors;
        }
        QVERIFY2(due.isEmpty(), qPrintable(u"command %1, %2: no error shown"_s.arg(i + 1).arg(name)));
        QCOMPARE(quiz.drill.lines().Count(), quizLines);
        QCOMPARE(editor.questionList.Count(), editorLines);
        tk.errors.clear();
        tk.boxes.clear();
        tk.dialogs.clear();
        tk.sounds.clear();
    }

    QStringList summary;
    for (const auto &[name, count] : done)
        summary << u"%1 %2"_s.arg(name).arg(count);
    qInfo().noquote() << commands << "commands:" << summary.join(u", "_s);
    qInfo().noquote() << saves << "saves," << injected << "of them past a file size limit;" << opens << "opens,"
                      << missingOpens << "of a missing file;" << indexErrors << "index errors shown;"
                      << "final lines: quiz" << quizLines << "editor" << editorLines;
}

QTEST_MAIN(tst_LongRun)
#include "tst_LongRun.moc"
