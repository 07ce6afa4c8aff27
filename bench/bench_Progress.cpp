// The learner's history: recording one answer in a store of a million logged
// answers, the due list of a 10,000-question file, and the records window
// opened on that history with that file. Each case runs beside
// its floor, the least SQLite does for the same result with the same
// guarantees, on the same file.
#include "Measure.h"
#include "ScriptedToolkit.h"
#include "app/Sjis.h"
#include "data/LineList.h"
#include "progress/ProgressStore.h"
#include "records/TRecords.h"
#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <benchmark/benchmark.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {
QString storePath;
constexpr qint64 dayMs = 24 * 60 * 60 * 1000;
const QDateTime start = QDateTime(QDate(2026, 1, 5), QTime(9, 0), Qt::UTC);
const QString file = u"/home/learner/ドキュメント/ピルモ英語/eigo.dat"_s;

int questions() { return smoke ? 1000 : 100000; }
int fileQuestions() { return smoke ? 100 : 10000; }
int answersEach() { return 10; }

QByteArray questionOf(int i)
{
    return "Question " + QByteArray::number(i) + " (   ) ____.";
}

QByteArray answerOf(int i)
{
    return "answer " + QByteArray::number(i);
}

QuestionKey keyOf(int i)
{
    return questionKey(questionOf(i), answerOf(i));
}

// A connection of the benchmark's own to the store's file, with the store's
// settings.
QSqlDatabase connect(const QString &name)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
    db.setDatabaseName(storePath);
    db.open();
    QSqlQuery(db).exec(u"PRAGMA synchronous = FULL"_s);
    return db;
}

// A store as a learner has it after about a year: `questions()` answered ten
// times each (a million answers in a full run), their schedules due over two
// months around `start`; the first fileQuestions() are the open file's.
bool makeStore()
{
    ProgressStore(storePath).open();
    {
        QSqlDatabase db = connect(u"fill"_s);
        QSqlQuery q(db);
        db.transaction();
        q.prepare(u"INSERT INTO review_log (at_ms, key, file, grade, answer_ms) VALUES (?, ?, ?, ?, ?)"_s);
        const qint64 from = start.toMSecsSinceEpoch() - 365 * dayMs;
        const int all = questions() * answersEach();
        for (int n = 0; n < all; ++n) {
            const int i = n % questions();
            q.addBindValue(from + qint64(n) * 365 * dayMs / all);
            q.addBindValue(keyOf(i));
            q.addBindValue(file);
            q.addBindValue(1 + n % 4);
            q.addBindValue(800 + n % 5000);
            if (!q.exec())
                return false;
        }
        q.prepare(u"INSERT INTO question_state VALUES (?, ?, ?, ?, ?, 10, 1)"_s);
        for (int i = 0; i < questions(); ++i) {
            const qint64 due = start.toMSecsSinceEpoch() + qint64(i % 61 - 30) * dayMs;
            const double stability = 1 + i % 40;
            q.addBindValue(keyOf(i));
            q.addBindValue(stability);
            q.addBindValue(5.0);
            q.addBindValue(due - qint64(stability) * dayMs);
            q.addBindValue(due);
            if (!q.exec())
                return false;
        }
        if (!db.commit())
            return false;
        QSqlQuery(db).exec(u"PRAGMA wal_checkpoint(TRUNCATE)"_s);
    }
    QSqlDatabase::removeDatabase(u"fill"_s);
    return true;
}

// One answer recorded: its log row and its question's schedule, committed
// together; beside one row appended in a committed transaction of its own.
void record(benchmark::State &state)
{
    ProgressStore store(storePath);
    store.open();
    {
        QSqlDatabase db = connect(u"floor"_s);
        QSqlQuery q(db);
        q.exec(u"CREATE TABLE IF NOT EXISTS floor_log (at_ms INTEGER)"_s);
        q.prepare(u"INSERT INTO floor_log VALUES (?)"_s);
        int n = 0;
        paired(state, [&] {
            ++n;
            return secondsOf([&] {
                store.record(keyOf(n % fileQuestions()), file, n % 3 != 0, 1000 + n % 3000,
                             start.addSecs(n));
            });
        }, [&] {
            return secondsOf([&] {
                db.transaction();
                q.addBindValue(n);
                q.exec();
                db.commit();
            });
        });
    }
    QSqlDatabase::removeDatabase(u"floor"_s);
    if (!store.enabled())
        state.SkipWithError(store.whyOff().toStdString().c_str());
}

// The due list of the open file; beside the same due rows read by one query,
// neither matched to the file nor ordered.
void due(benchmark::State &state)
{
    ProgressStore store(storePath);
    store.open();
    QList<QuestionKey> keys;
    for (int i = 0; i < fileQuestions(); ++i)
        keys.append(keyOf(i));
    qsizetype found = 0;
    {
        QSqlDatabase db = connect(u"floor"_s);
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare(u"SELECT key, stability, last_review_ms FROM question_state WHERE due_ms <= ?"_s);
        struct Row {
            qint64 key;
            double stability;
            qint64 last;
        };
        std::vector<Row> rows;
        paired(state, [&] {
            return secondsOf([&] { found = store.due(keys, start).size(); });
        }, [&] {
            return secondsOf([&] {
                rows.clear();
                q.addBindValue(start.toMSecsSinceEpoch());
                q.exec();
                while (q.next())
                    rows.push_back({q.value(0).toLongLong(), q.value(1).toDouble(), q.value(2).toLongLong()});
            });
        });
    }
    QSqlDatabase::removeDatabase(u"floor"_s);
    // Half the file was due before the answers recorded above.
    if (found < fileQuestions() / 3)
        state.SkipWithError("too few questions due");
}

// Opening the store, which reads every right-answer time for the grades;
// beside a connection made with the same settings and one read, for comparison.
void open(benchmark::State &state)
{
    paired(state, [&] {
        ProgressStore store(storePath);
        return secondsOf([&] { store.open(); });
    }, [&] {
        double seconds = secondsOf([&] {
            QSqlDatabase db = connect(u"floor"_s);
            QSqlQuery q(db);
            q.exec(u"PRAGMA journal_mode = WAL"_s);
            q.exec(u"PRAGMA user_version"_s);
            q.next();
            db.close();
        });
        QSqlDatabase::removeDatabase(u"floor"_s);
        return seconds;
    });
}
// The records window opened on that history, the open file's questions in
// eight categories: made, shown (the figures read, the charts drawn) and
// painted; beside the same figures read without the window. The counter
// "first" is the run's first opening, which loads the charts' plug-in.
void recordsWindow(benchmark::State &state)
{
    ProgressStore store(storePath);
    store.open();
    ScriptedToolkit toolkit;
    toolkit.clock = start;
    LineList lines;
    lines.InsertBlock(0, QList<QByteArray>(7, "header"));
    QList<QByteArray> recordLines;
    QList<records::FileQuestion> questions;
    for (int i = 0; i < fileQuestions(); ++i) {
        const QString category = u"分野 %1"_s.arg(i % 8);
        recordLines << toSjis(category) << questionOf(i) << answerOf(i) << "w1" << "w2" << "w3" << "explanation";
        questions.append({keyOf(i), category});
    }
    lines.InsertBlock(7, recordLines);
    auto open = [&] {
        auto window = std::make_unique<TRecords>(toolkit, [&] { return &store; }, [&]() -> const LineList & { return lines; },
                                                 QStringLiteral(CHARTS_PLUGIN));
        const double seconds = secondsOf([&] {
            window->show();
            window->repaint();
        });
        return std::pair(seconds, std::move(window));
    };
    const double first = open().first;
    qsizetype missed = 0;
    paired(state, [&] { return open().first; }, [&] {
        return secondsOf([&] { missed = records::read(store, start, questions).missed.size(); });
    });
    state.counters["first"] = first;
    if (missed != records::mostMissed)
        state.SkipWithError("the most missed not found");
}
} // namespace

int main(int argc, char **argv)
{
    smoke = takeSmokeFlag(argc, argv);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir dir;
    storePath = dir.filePath(u"progress.sqlite"_s);
    if (!makeStore())
        return 1;
    set(benchmark::RegisterBenchmark("progress/record", record), 200);
    set(benchmark::RegisterBenchmark("progress/due", due), 50);
    set(benchmark::RegisterBenchmark("progress/open", open), 10);
    set(benchmark::RegisterBenchmark("records/open", recordsWindow), 10);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
