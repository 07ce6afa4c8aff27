// Makes a learner's history as a year (or any number of days) of play would
// leave it, for the records window's pictures and trials:
//   make_history STORE QUESTION-FILE DAYS ANSWERS-A-DAY [OTHER-QUESTIONS]
// The file's questions, and OTHER-QUESTIONS more of other files, are answered
// at random times of each day (07:00 to 23:00 local, today until now): one
// answered before or, one time in four, a new one. An answer is right with
// the chance of recall the scheduler gives, less in a few categories. The
// store is made by the program's own code, the schedules by its scheduler;
// the rows go in in one transaction.
#include "app/Sjis.h"
#include "data/LineList.h"
#include "progress/ProgressStore.h"
#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: make_history STORE QUESTION-FILE DAYS ANSWERS-A-DAY [OTHER-QUESTIONS]\n");
        return 2;
    }
    const int days = args[3].toInt(), perDay = args[4].toInt(), others = args.value(5).toInt();
    LineList lines;
    lines.Load(args[2]);
    struct Question {
        QuestionKey key;
        double skill; // how much likelier than the scheduler expects to be right
    };
    QList<Question> questions;
    for (int s = 7; s + 2 < lines.Count(); s += 7) {
        // Some categories are harder than the rest.
        const double skill = 0.8 + 0.08 * double(qHash(lines.Get(s)) % 5);
        questions.append({questionKey(lines.Get(s + 1), lines.Get(s + 2)), skill});
    }
    for (int i = 0; i < others; ++i)
        questions.append({questionKey("other question " + QByteArray::number(i), "answer"), 0.95});

    ProgressStore store(args[1]);
    QSqlDatabase db = store.database();
    if (!db.isOpen()) {
        std::fprintf(stderr, "%s\n", qPrintable(store.whyOff()));
        return 1;
    }
    QRandomGenerator random(27);
    QHash<QuestionKey, fsrs::Memory> memory;
    QSqlQuery log(db);
    log.prepare(u"INSERT INTO review_log (at_ms, key, file, grade, answer_ms) VALUES (?, ?, ?, ?, ?)"_s);
    db.transaction();
    const QDate today = QDate::currentDate();
    qsizetype next = 0; // the next question never answered
    for (int d = days - 1; d >= 0; --d) {
        const QDate day = today.addDays(-d);
        // Fewer answers on some days, none on a few.
        const int count = random.bounded(10) == 0 ? 0 : int(perDay * (0.5 + random.generateDouble()));
        QList<qint64> times;
        for (int i = 0; i < count; ++i)
            times << QDateTime(day, QTime(7, 0)).addMSecs(random.bounded(16 * 3600 * 1000)).toMSecsSinceEpoch();
        // Today's answers so far.
        times.removeIf([now = QDateTime::currentMSecsSinceEpoch()](qint64 ms) { return ms > now; });
        std::sort(times.begin(), times.end());
        for (const qint64 ms : std::as_const(times)) {
            const QDateTime at = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
            // A new question one time in four, else one answered before.
            const bool fresh = next < questions.size() && (memory.isEmpty() || random.bounded(4) == 0);
            const Question &q = questions[fresh ? next++ : random.bounded(qsizetype(next))];
            const auto before = memory.find(q.key);
            const double recall = before == memory.end()
                ? 0.6
                : fsrs::retrievability(before->stability, double(ms - before->lastReview.toMSecsSinceEpoch()) / 86400000);
            const bool right = random.generateDouble() < recall * q.skill;
            const int grade = right ? (random.bounded(5) == 0 ? fsrs::Easy : fsrs::Good) : fsrs::Again;
            memory[q.key] = fsrs::review(before == memory.end() ? std::nullopt : std::optional(*before), grade, at);
            for (const QVariant &v : {QVariant(ms), QVariant(q.key), QVariant(args[2]), QVariant(grade),
                                      QVariant(1500 + random.bounded(6000))})
                log.addBindValue(v);
            if (!log.exec())
                return std::fprintf(stderr, "%s\n", qPrintable(log.lastError().text())), 1;
        }
    }
    QSqlQuery state(db);
    state.prepare(u"INSERT OR REPLACE INTO question_state VALUES (?, ?, ?, ?, ?, ?, ?)"_s);
    for (auto m = memory.cbegin(); m != memory.cend(); ++m) {
        for (const QVariant &v : {QVariant(m.key()), QVariant(m->stability), QVariant(m->difficulty),
                                  QVariant(m->lastReview.toMSecsSinceEpoch()), QVariant(m->due.toMSecsSinceEpoch()),
                                  QVariant(m->reps), QVariant(m->lapses)})
            state.addBindValue(v);
        if (!state.exec())
            return std::fprintf(stderr, "%s\n", qPrintable(state.lastError().text())), 1;
    }
    if (!db.commit())
        return 1;
    std::printf("%s: %lld questions answered\n", qPrintable(args[1]), qint64(memory.size()));
    return 0;
}
