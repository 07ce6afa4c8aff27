#include "progress/Records.h"
#include "app/Exceptions.h"
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace records {
namespace {

// A statement read forward only, prepared once for all its runs.
class Query {
public:
    Query(const QSqlDatabase &db, const QString &statement) : q(db)
    {
        q.setForwardOnly(true);
        if (!q.prepare(statement))
            fail();
    }
    // Runs the statement with `values`; the first row's columns.
    QSqlQuery &run(std::initializer_list<QVariant> values)
    {
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec())
            fail();
        return q;
    }
    QList<QVariant> first(std::initializer_list<QVariant> values)
    {
        run(values);
        if (!q.next())
            fail();
        QList<QVariant> row;
        for (int c = 0; c < q.record().count(); ++c)
            row << q.value(c);
        q.finish();
        return row;
    }
    [[noreturn]] void fail() const
    {
        throw Exception(u"学習の記録を読めません (%1)"_s.arg(q.lastError().text()));
    }

private:
    QSqlQuery q;
};

// The first moment of a local day, in ms since 1970.
qint64 startOf(const QDate &day)
{
    return day.startOfDay().toMSecsSinceEpoch();
}

// The file's questions, each once, with their answers, misses and last answer.
QHash<QuestionKey, Missed> answered(const QSqlDatabase &db, const QList<FileQuestion> &questions)
{
    QSet<QuestionKey> keys;
    QStringList list;
    for (const auto &[key, category] : questions)
        if (!keys.contains(key)) {
            keys.insert(key);
            list << QString::number(key);
        }
    // One statement for the whole file: each key is a seek into the key index,
    // which holds the grade and time too.
    Query perKey(db, u"SELECT key, count(*), total(grade = 1), max(at_ms) FROM review_log"
                     " WHERE key IN (SELECT value FROM json_each(?)) GROUP BY key"_s);
    QSqlQuery &q = perKey.run({u'[' + list.join(u',') + u']'});
    QHash<QuestionKey, Missed> found;
    while (q.next()) {
        const QuestionKey key = q.value(0).toLongLong();
        found.insert(key, {key, q.value(2).toInt(), q.value(1).toInt(),
                           QDateTime::fromMSecsSinceEpoch(q.value(3).toLongLong(), Qt::UTC)});
    }
    return found;
}

} // namespace

Figures read(ProgressStore &store, const QDateTime &now, const QList<FileQuestion> &questions)
{
    const QSqlDatabase db = store.database();
    if (!db.isOpen())
        throw Exception(store.whyOff());
    Figures f;
    const QDate today = now.toLocalTime().date();

    Query answersOn(db, u"SELECT count(*), total(grade >= 2) FROM review_log WHERE at_ms >= ? AND at_ms < ?"_s);
    for (int back = answerDays - 1; back >= 0; --back) {
        const QDate day = today.addDays(-back);
        const QList<QVariant> row = answersOn.first({startOf(day), startOf(day.addDays(1))});
        f.answers.append({day, row[1].toInt(), row[0].toInt() - row[1].toInt()});
    }
    f.totals.todayRight = f.answers.last().right;
    f.totals.todayAnswers = f.answers.last().right + f.answers.last().wrong;

    Query anyOn(db, u"SELECT EXISTS (SELECT 1 FROM review_log WHERE at_ms >= ? AND at_ms < ?)"_s);
    for (QDate day = f.totals.todayAnswers ? today : today.addDays(-1);
         anyOn.first({startOf(day), startOf(day.addDays(1))})[0].toBool(); day = day.addDays(-1))
        ++f.totals.daysInARow;

    const QList<QVariant> seen = Query(db, u"SELECT count(*), total(stability >= ?) FROM question_state"_s)
                                     .first({wellKnownDays});
    f.totals.seen = seen[0].toInt();
    f.totals.wellKnown = seen[1].toInt();

    Query dueOn(db, u"SELECT count(*) FROM question_state WHERE due_ms >= ? AND due_ms < ?"_s);
    for (int ahead = 0; ahead < dueDays; ++ahead) {
        const QDate day = today.addDays(ahead);
        const qint64 from = ahead ? startOf(day) : std::numeric_limits<qint64>::min();
        f.due.append({day, dueOn.first({from, startOf(day.addDays(1))})[0].toInt(), 0});
    }

    if (questions.isEmpty())
        return f;
    QHash<QuestionKey, Missed> keys = answered(db, questions);
    QHash<QString, qsizetype> places;
    for (const auto &[key, name] : questions) {
        const auto k = keys.find(key);
        if (k == keys.end() || k->answers == 0)
            continue;
        if (!places.contains(name)) {
            places.insert(name, f.categories.size());
            f.categories.append({name});
        }
        Category &c = f.categories[places.value(name)];
        c.answers += k->answers;
        c.right += k->answers - k->misses;
        if (k->misses)
            f.missed.append(*k);
        k->answers = 0; // a question the file holds twice counts once
    }
    std::sort(f.missed.begin(), f.missed.end(), [](const Missed &a, const Missed &b) {
        return a.misses != b.misses ? a.misses > b.misses : a.last > b.last;
    });
    if (f.missed.size() > mostMissed)
        f.missed.resize(mostMissed);
    return f;
}

} // namespace records
