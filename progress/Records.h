#pragma once
// The figures of the records window, read from the learner's history (no
// widgets). A day is a local day of the clock's time.
#include "progress/ProgressStore.h"
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <utility>

namespace records {

// Stability from which a question counts as well known.
inline constexpr double wellKnownDays = 21;
inline constexpr int answerDays = 30;
inline constexpr int dueDays = 14;
inline constexpr int mostMissed = 20;

struct Totals {
    int todayAnswers = 0;
    int todayRight = 0;
    // Days in a row with an answer, up to today, or up to yesterday while
    // today has none yet.
    int daysInARow = 0;
    int seen = 0;      // questions answered at least once
    int wellKnown = 0; // of them, those of stability wellKnownDays or more
};

struct Day {
    QDate date;
    int right = 0;
    int wrong = 0; // of the answers; of the reviews due, 0
};

struct Category {
    QString name;
    int answers = 0;
    int right = 0;
};

struct Missed {
    QuestionKey key = 0;
    int misses = 0;
    int answers = 0;
    QDateTime last; // UTC
};

// A question of the open file: its key and its category.
using FileQuestion = std::pair<QuestionKey, QString>;

struct Figures {
    Totals totals;
    // The answers of each of the last answerDays days, today last.
    QList<Day> answers;
    // The reviews coming due on each of the next dueDays days, today first;
    // today's hold those overdue too (in `right`).
    QList<Day> due;
    // The answered categories of the file, in the order they first appear.
    QList<Category> categories;
    // The file's questions missed most (at least once), the most first, the
    // latest answered first among equals.
    QList<Missed> missed;
};

// The figures of `store` at `now`, for the open file's `questions` (empty when
// none is open). The store must be open; throws Exception when it cannot be read.
Figures read(ProgressStore &store, const QDateTime &now, const QList<FileQuestion> &questions);

} // namespace records
