#include "ScriptedToolkit.h"
#include "TestFiles.h"
#include "app/Sjis.h"
#include "progress/Records.h"
#include "records/TRecords.h"
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <ctime>

using namespace Qt::Literals::StringLiterals;

namespace {
QuestionKey key(const QString &name)
{
    return questionKey(name.toLatin1(), "answer");
}

// The figures as one line: totals, the days with answers, the days with
// reviews due (as days from today), the categories, the keys most missed.
QString text(const records::Figures &f, const QDate &today)
{
    const auto &t = f.totals;
    QStringList parts{u"today %1/%2 row %3 seen %4 known %5"_s.arg(t.todayRight).arg(t.todayAnswers)
                          .arg(t.daysInARow).arg(t.seen).arg(t.wellKnown)};
    QStringList days, due, categories, missed;
    for (const auto &d : f.answers)
        if (d.right + d.wrong)
            days << u"%1:%2/%3"_s.arg(today.daysTo(d.date)).arg(d.right).arg(d.wrong);
    for (const auto &d : f.due)
        if (d.right)
            due << u"%1:%2"_s.arg(today.daysTo(d.date)).arg(d.right);
    for (const auto &c : f.categories)
        categories << u"%1 %2/%3"_s.arg(c.name).arg(c.right).arg(c.answers);
    for (const auto &m : f.missed)
        for (const QString &name : {u"a"_s, u"b"_s, u"c"_s, u"d"_s})
            if (m.key == key(name))
                missed << name + QString::number(m.misses);
    parts << u"days "_s + days.join(u' ') << u"due "_s + due.join(u' ')
          << categories.join(u", "_s) << u"missed "_s + missed.join(u' ');
    return parts.join(u" | "_s);
}
} // namespace

class tst_Records : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        // Local days that are not UTC days: midnight here is 15:00 UTC.
        qputenv("TZ", "Asia/Tokyo");
        tzset();
    }

    // Answers as "key day hh:mm +|-" (day 0 is today, local time); a, b, c
    // and d are the open file's questions, z one of another file.
    void figures_data()
    {
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("figures");
        QTest::newRow("empty") << u""_s << u"today 0/0 row 0 seen 0 known 0 | days  | due  |  | missed "_s;
        QTest::newRow("local days, not UTC days")
            << u"a -1 23:59 +; a 0 00:01 -"_s
            << u"today 0/1 row 2 seen 1 known 0 | days -1:1/0 0:0/1 | due 1:1 | 文法 1/2 | missed a1"_s;
        QTest::newRow("a row ends yesterday while today has none")
            << u"a -2 10:00 +; a -1 10:00 +"_s
            << u"today 0/0 row 2 seen 1 known 0 | days -2:1/0 -1:1/0 | due 6:1 | 文法 2/2 | missed "_s;
        QTest::newRow("a day without answers ends the row")
            << u"a -3 10:00 +; a -1 10:00 +; a 0 09:00 +"_s
            << u"today 1/1 row 2 seen 1 known 0 | days -3:1/0 -1:1/0 0:1/0 | due 11:1 | 文法 3/3 | missed "_s;
        QTest::newRow("thirty days, today the last")
            << u"b -30 10:00 +; b -29 10:00 -"_s
            << u"today 0/0 row 0 seen 1 known 0 | days -29:0/1 | due 0:1 | 文法 1/2 | missed b1"_s;
        QTest::newRow("today's reviews hold those overdue; fourteen days")
            << u"a -10 10:00 +; b -1 10:00 -; c 0 08:00 +; d -1 08:00 +; d -1 08:01 -; d 0 08:00 +"_s
            << u"today 2/2 row 2 seen 4 known 0 | days -10:1/0 -1:1/2 0:2/0 | due 0:2 1:1 2:1 | 文法 1/2, 語彙 3/4 | missed d1 b1"_s;
        QTest::newRow("well known from 21 days of stability")
            << u"a -12 10:00 +; a -2 10:00 +; b -2 10:00 +; b -1 10:00 +"_s
            << u"today 0/0 row 2 seen 2 known 1 | days -12:1/0 -2:2/0 -1:1/0 | due 6:1 | 文法 4/4 | missed "_s;
        QTest::newRow("the file's questions only; most missed first, then the latest")
            << u"b 0 09:00 -; b 0 09:01 -; c 0 09:02 -; d 0 09:03 -; a 0 09:04 +; z 0 09:05 -"_s
            << u"today 1/6 row 1 seen 5 known 0 | days 0:1/5 | due 1:4 2:1 | 文法 1/3, 語彙 0/2 | missed b2 d1 c1"_s;
    }
    void figures()
    {
        QFETCH(QString, answers);
        QFETCH(QString, figures);
        static int stores = 0;
        ProgressStore store(dir.filePath(u"%1.sqlite"_s.arg(++stores)));
        QVERIFY(store.open());
        const QDate today(2026, 3, 10);
        for (const QString &answer : answers.split(u';', Qt::SkipEmptyParts)) {
            const QStringList f = answer.simplified().split(u' ');
            const QDateTime at(today.addDays(f[1].toInt()), QTime::fromString(f[2], u"hh:mm"_s));
            QVERIFY2(store.record(key(f[0]), f[0] == u"z"_s ? u"z.dat"_s : u"f.dat"_s, f[3] == u"+"_s, 1000,
                                 at.toUTC()) > 0, qPrintable(store.whyOff()));
        }
        ScriptedToolkit toolkit;
        toolkit.clock = QDateTime(today, QTime(12, 0)).toUTC();
        const QList<records::FileQuestion> file{
            {key(u"a"_s), u"文法"_s}, {key(u"b"_s), u"文法"_s}, {key(u"c"_s), u"語彙"_s},
            {key(u"d"_s), u"語彙"_s}, {key(u"d"_s), u"語彙"_s}};
        const records::Figures read = records::read(store, toolkit.now(), file);
        QCOMPARE(text(read, today), figures);
        QCOMPARE(read.answers.size(), records::answerDays);
        QCOMPARE(read.due.size(), records::dueDays);
    }

    // The window: with the charts, without them, with the history off; the
    // table exported as it is sorted.
    void window_data()
    {
        QTest::addColumn<QString>("history"); // on, off, or none yet
        QTest::addColumn<bool>("plugin");
        QTest::addColumn<int>("sortBy");
        QTest::addColumn<QString>("exported"); // the questions, in the CSV's order
        QTest::newRow("charts, most missed first") << u"on"_s << true << -1 << u"q2 q3"_s;
        QTest::newRow("no charts, sorted by question, descending") << u"on"_s << false << 0 << u"q3 q2"_s;
        QTest::newRow("history off") << u"off"_s << true << -1 << QString();
        QTest::newRow("no history yet") << u"none"_s << true << -1 << QString();
    }
    void window()
    {
        QFETCH(QString, history);
        const bool off = history != u"on"_s;
        QFETCH(bool, plugin);
        QFETCH(int, sortBy);
        QFETCH(QString, exported);
        // A store in a folder that cannot be made (a file is in its way) is off.
        writeFile(dir.filePath(u"file"_s), "x");
        ProgressStore store(dir.filePath(history == u"off"_s ? u"file/progress.sqlite"_s : u"window.sqlite"_s));
        LineList lines;
        lines.InsertBlock(0, Lines(7, "header"));
        for (const char *n : {"1", "2", "3"})
            lines.InsertBlock(lines.Count(), {toSjis(u"分野"_s), QByteArray("q") + n, "a", "w", "w", "w", "e"});
        ScriptedToolkit toolkit;
        for (const char *n : {"2", "2", "2", "3", "3", "1"})
            store.record(questionKey(QByteArray("q") + n, "a"), u"f.dat"_s, *n == '1', 1000,
                         toolkit.clock = toolkit.clock.addSecs(60 + *n));
        TRecords window(toolkit, [&] { return history == u"none"_s ? nullptr : &store; }, [&]() -> const LineList & { return lines; },
                        plugin ? qEnvironmentVariable("PIRUMO_CHARTS_PLUGIN") : dir.filePath(u"none.so"_s));
        window.show();
        auto *notice = window.findChild<QLabel *>(u"Notice"_s);
        QCOMPARE(notice->isVisible(), off);
        if (off) {
            QVERIFY(!window.Figures->isVisible());
            if (history == u"off"_s)
                QCOMPARE(notice->text(), store.whyOff());
            return;
        }
        // Each chart named, its summary its description; none without the plug-in.
        auto *chart = window.findChild<QWidget *>(u"DueChart"_s);
        QCOMPARE(chart != nullptr, plugin);
        if (chart)
            QVERIFY(!chart->accessibleName().isEmpty()
                    && chart->accessibleDescription() == window.DueChart.summary->text());
        auto *table = window.findChild<QTableWidget *>(u"Missed"_s);
        if (sortBy >= 0)
            table->sortByColumn(sortBy, Qt::DescendingOrder);
        toolkit.paths.push_back(dir.filePath(u"missed.csv"_s));
        window.findChild<QPushButton *>(u"ExportButton"_s)->click();
        const QList<QByteArray> rows = readFile(dir.filePath(u"missed.csv"_s)).split('\n');
        QStringList questions;
        for (const QByteArray &row : rows.mid(1, rows.size() - 2))
            questions << QString::fromUtf8(row.split(',').value(0));
        QCOMPARE(questions.join(u' '), exported);
    }
};

QTEST_MAIN(tst_Records)
#include "tst_Records.moc"
