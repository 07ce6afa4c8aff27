#include "ScriptedToolkit.h"
#include "TestFiles.h"
#include "progress/ProgressStore.h"
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <future>
#include <thread>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {
// Runs `statement` on its own connection to `path`; the first value it gives.
QVariant query(const QString &path, const QString &statement)
{
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        if (q.exec(statement) && q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase(u"check"_s);
    return value;
}
} // namespace

class tst_Progress : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path() const { return dir.filePath(u"progress.sqlite"_s); }

private slots:
    void init() { QDir(dir.path()).removeRecursively(), QDir().mkpath(dir.path()); }

    // Worked from the published formulas with the default weights; intervals
    // are the stability rounded to whole days, as the reference Python
    // scheduler gives them.
    void scheduler_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("days"); // until the second review; -1: none
        QTest::addColumn<int>("second");
        QTest::addColumn<double>("stability");
        QTest::addColumn<double>("difficulty");
        QTest::addColumn<int>("interval");
        QTest::newRow("first Again") << 1 << -1 << 0 << 0.2120 << 6.4133 << 1;
        QTest::newRow("first Hard") << 2 << -1 << 0 << 1.2931 << 5.1122 << 1;
        QTest::newRow("first Good") << 3 << -1 << 0 << 2.3065 << 2.1181 << 2;
        QTest::newRow("first Easy") << 4 << -1 << 0 << 8.2956 << 1.0000 << 8;
        QTest::newRow("Good, Again after 1 day") << 3 << 1 << 1 << 0.5713 << 7.3945 << 1;
        QTest::newRow("Good, Again after 3 days") << 3 << 3 << 1 << 0.6369 << 7.3945 << 1;
        QTest::newRow("Good, Again after 10 days") << 3 << 10 << 1 << 0.7592 << 7.3945 << 1;
        QTest::newRow("Good, Good after 1 day") << 3 << 1 << 3 << 7.3153 << 2.1112 << 7;
        QTest::newRow("Good, Good after 3 days") << 3 << 3 << 3 << 13.8269 << 2.1112 << 14;
        QTest::newRow("Good, Good after 10 days") << 3 << 10 << 3 << 25.1087 << 2.1112 << 25;
        QTest::newRow("Again, Good after 1 day") << 1 << 1 << 3 << 1.8868 << 6.4021 << 2;
        QTest::newRow("Hard, Again after 3 days") << 2 << 3 << 1 << 0.4310 << 8.3786 << 1;
        QTest::newRow("Easy, Again after 10 days") << 4 << 10 << 1 << 1.4253 << 7.0270 << 1;
        QTest::newRow("Good, Good the same day") << 3 << 0 << 3 << 2.3065 << 2.1112 << 2;
    }
    void scheduler()
    {
        QFETCH(int, first);
        QFETCH(int, days);
        QFETCH(int, second);
        QFETCH(double, stability);
        QFETCH(double, difficulty);
        QFETCH(int, interval);
        ScriptedToolkit toolkit;
        fsrs::Memory m = fsrs::review(std::nullopt, first, toolkit.now());
        if (days >= 0) {
            toolkit.clock = toolkit.clock.addSecs(days * 86400 + 3600);
            m = fsrs::review(m, second, toolkit.now());
        }
        QCOMPARE(qRound(m.stability * 1e4), qRound(stability * 1e4));
        QCOMPARE(qRound(m.difficulty * 1e4), qRound(difficulty * 1e4));
        QCOMPARE(m.due, toolkit.now().addDays(interval));
        QCOMPARE(m.lapses, int(days >= 0 && second == 1));
    }

    void grade_data()
    {
        QTest::addColumn<bool>("right");
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<qint64>("median"); // -1: fewer than 20 right answers logged
        QTest::addColumn<int>("grade");
        QTest::newRow("wrong or revealed") << false << 100LL << 4000LL << 1;
        QTest::newRow("right, too few logged") << true << 100LL << -1LL << 3;
        QTest::newRow("right in half the median") << true << 2000LL << 4000LL << 4;
        QTest::newRow("right just over half") << true << 2001LL << 4000LL << 3;
        QTest::newRow("right in twice the median") << true << 8000LL << 4000LL << 3;
        QTest::newRow("right over twice") << true << 8001LL << 4000LL << 2;
    }
    void grade()
    {
        QFETCH(bool, right);
        QFETCH(qint64, ms);
        QFETCH(qint64, median);
        QFETCH(int, grade);
        QCOMPARE(fsrs::gradeOf(right, ms, median < 0 ? std::nullopt : std::optional(median)), grade);
    }

    // The median of the right answers logged, also by an earlier run,
    // scattered times with repeats, and its grades.
    void medianOfLoggedTimes()
    {
        ScriptedToolkit toolkit;
        QList<qint64> times;
        auto store = std::make_unique<ProgressStore>(path());
        for (int i = 0; i < 70; ++i) {
            if (i == 45)
                store = std::make_unique<ProgressStore>(path()), store->open();
            const qint64 ms = i % 9 == 4 ? 20000 : 300 + (i * 7919) % 4000 / 100 * 100;
            const bool right = i % 5 != 0;
            std::optional<qint64> median;
            std::sort(times.begin(), times.end());
            if (times.size() >= 20)
                median = (times[(times.size() - 1) / 2] + times[times.size() / 2]) / 2;
            QCOMPARE(store->medianRightMs(), median);
            QCOMPARE(store->record(questionKey("q", QByteArray::number(i)), u"a.dat"_s, right, ms, toolkit.now()), fsrs::gradeOf(right, ms, median));
            if (right)
                times << ms;
        }
    }

    void due_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<QList<qsizetype>>("due");
        // The file: A (right), B (wrong), C never answered, A again.
        QTest::newRow("same day") << 0 << QList<qsizetype>{};
        QTest::newRow("next day") << 1 << QList<qsizetype>{1};
        QTest::newRow("three days on") << 3 << QList<qsizetype>{1, 0, 3};
    }
    void due()
    {
        QFETCH(int, days);
        QFETCH(QList<qsizetype>, due);
        ScriptedToolkit toolkit;
        const QuestionKey a = questionKey("q A", "a"), b = questionKey("q B", "b");
        {
            ProgressStore store(path());
            store.record(a, u"x.dat"_s, true, 1000, toolkit.now());
            store.record(b, u"x.dat"_s, false, 1000, toolkit.now());
            store.record(questionKey("elsewhere", "a"), u"y.dat"_s, false, 1000, toolkit.now());
        }
        toolkit.clock = toolkit.clock.addDays(days);
        ProgressStore store(path());
        QCOMPARE(store.due({a, b, questionKey("q C", "c"), a}, toolkit.now()), due);
    }

    // Another instance holding the write lock makes an answer wait; then
    // both are kept, and the question's schedule counts both.
    // A file of the first version gets the later indexes and keeps its answers.
    void upgrade()
    {
        ScriptedToolkit toolkit;
        ProgressStore(path()).record(7, u"a.dat"_s, true, 900, toolkit.now());
        for (const QString &step : {u"DROP INDEX review_log_at"_s, u"DROP INDEX review_log_key"_s,
                                    u"CREATE INDEX review_log_key ON review_log (key, at_ms)"_s,
                                    u"PRAGMA user_version = 1"_s})
            query(path(), step);
        ProgressStore store(path());
        QVERIFY(store.open());
        QCOMPARE(query(path(), u"PRAGMA user_version"_s).toInt(), 2);
        QCOMPARE(query(path(), u"SELECT count(*) FROM sqlite_master WHERE sql LIKE '%(key, at_ms, grade)'"
                               " OR name = 'review_log_at'"_s).toInt(), 2);
        QCOMPARE(store.memory(7)->reps, 1);
    }

    void twoWriters()
    {
        ScriptedToolkit toolkit;
        ProgressStore first(path()), second(path());
        QVERIFY(first.open() && second.open());
        std::promise<void> locked;
        std::thread other([&] {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
                db.setDatabaseName(path());
                db.open();
                QSqlQuery(db).exec(u"BEGIN IMMEDIATE"_s);
                locked.set_value();
                QThread::msleep(300);
                db.commit();
            }
            QSqlDatabase::removeDatabase(u"other"_s);
        });
        locked.get_future().wait();
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(first.record(7, u"a.dat"_s, true, 900, toolkit.now()), 3);
        QVERIFY(waited.elapsed() >= 250);
        other.join();
        QCOMPARE(second.record(7, u"a.dat"_s, false, 900, toolkit.now()), 1);
        QCOMPARE(query(path(), u"SELECT count(*) FROM review_log"_s).toInt(), 2);
        QCOMPARE(first.memory(7)->reps, 2);
    }

    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("damaged file") << u"damaged"_s << true;
        QTest::newRow("not a folder") << u"file"_s << false;
        QTest::newRow("read-only folder") << u"read-only"_s << false;
        QTest::newRow("newer version") << u"newer"_s << false;
    }
    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(bool, enabled);
        QString file = path();
        const QByteArray garbage(8192, 'x');
        if (fault == u"damaged"_s)
            writeFile(file, garbage);
        if (fault == u"file"_s)
            writeFile(dir.filePath(u"f"_s), {}), file = dir.filePath(u"f/progress.sqlite"_s);
        if (fault == u"read-only"_s) {
            if (geteuid() == 0)
                QSKIP("root writes into a read-only folder");
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        }
        if (fault == u"newer"_s)
            query(file, u"PRAGMA user_version = 99"_s);
        ProgressStore store(file);
        QCOMPARE(store.open(), enabled);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(store.whyOff().isEmpty(), enabled);
        QVERIFY(!store.notice().isEmpty());
        QCOMPARE(store.record(1, u"a.dat"_s, true, 900, QDateTime::currentDateTimeUtc()) > 0, enabled);
        if (fault == u"damaged"_s)
            QCOMPARE(readFile(dir.path() + u"/"_s + QDir(dir.path()).entryList({u"*.damaged-*"_s})
                                                           .value(0)), garbage);
        if (fault == u"newer"_s)
            QCOMPARE(query(file, u"PRAGMA user_version"_s).toInt(), 99);
    }
};

QTEST_MAIN(tst_Progress)
#include "tst_Progress.moc"
