#pragma once
// The learner's history: every judged answer, and each question's schedule,
// in one SQLite file per learner. Nothing here stops the drill: a store that
// cannot be used switches itself off for the run and says why, and a damaged
// file is moved aside for a new one.
#include "progress/Fsrs.h"
#include <QByteArray>
#include <QSqlDatabase>
#include <QSqlError>
#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <utility>

// A question as the history knows it, whatever its place in whichever file.
using QuestionKey = qint64;

// The key of the question with this question line and correct answer, as the
// file holds their bytes.
QuestionKey questionKey(const QByteArray &question, const QByteArray &answer);

class ProgressStore {
public:
    // The store in the file at `path`; the learner's own (defaultPath()) when
    // empty. Nothing is read or made before open().
    explicit ProgressStore(const QString &path = {});
    ~ProgressStore();
    ProgressStore(const ProgressStore &) = delete;
    ProgressStore &operator=(const ProgressStore &) = delete;

    // $XDG_DATA_HOME/pirumo/progress.sqlite
    static QString defaultPath();
    QString path() const { return filePath; }

    // Opens the file, making it and its folder when missing; tried once a run,
    // later calls return the first answer. Whether the history is on.
    bool open();
    // Until switched off the history is on; then whyOff() says why, once for
    // the learner to read.
    bool enabled() const { return whyOffText.isEmpty(); }
    QString whyOff() const { return whyOffText; }
    // What the learner should be told once after open(): why the history is
    // off, or where a damaged file was moved. Empty when all is well.
    QString notice() const;

    // Records a judged answer, or the answer revealed before answering (not
    // right), `answerMs` after the question was shown, and schedules the
    // question anew; returns once both are committed together. The grade
    // recorded, or 0 when the history is off.
    int record(QuestionKey key, const QString &file, bool right, qint64 answerMs,
               const QDateTime &at);

    // The positions in `keys` of the questions due at `at`, the most
    // forgotten first. A question never answered is not due.
    QList<qsizetype> due(const QList<QuestionKey> &keys, const QDateTime &at);

    // What the scheduler knows of a question; nothing when never answered or off.
    std::optional<fsrs::Memory> memory(QuestionKey key);
    // The median time of the right answers logged, once there are
    // fsrs::timedGradesFrom of them.
    std::optional<qint64> medianRightMs() const { return median; }
    // The open file, for queries that only read (the records); not valid
    // when the history is off.
    QSqlDatabase database();

private:
    struct Statements;

    bool start();
    bool fail(const QSqlError &error);
    void switchOff(const QString &why);
    void close();
    bool moveAside();
    // A right answer in the order of their times: its time and row.
    using Place = std::pair<qint64, qint64>;
    std::optional<Place> neighbour(const Place &place, bool later);
    bool findMedian();
    bool addRightTime(const Place &added);
    bool takeMedian();
    std::optional<fsrs::Memory> readMemory();

    QString filePath;
    QString connection;
    bool tried = false;
    bool opening = false;
    QString whyOffText;
    QString movedTo; // where a damaged file went
    std::unique_ptr<Statements> statements;
    // The right answers logged, the lower of their middle two (the middle
    // one when odd), and their median time.
    qint64 rightCount = 0;
    Place lowerMiddle;
    std::optional<qint64> median;
    QSqlError stepError; // why the middle could not move
};
