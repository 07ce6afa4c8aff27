#pragma once
// The scheduler: FSRS-6 with its published default weights, a desired
// retention of 0.9, whole-day intervals of at least one day, no learning steps
// and no fuzz; and the grade a judged answer earns.
#include <QDateTime>
#include <optional>

namespace fsrs {

enum Grade { Again = 1, Hard = 2, Good = 3, Easy = 4 };

// What the scheduler knows of one question after its reviews.
struct Memory {
    double stability = 0;  // days until recall falls to 90 %
    double difficulty = 0; // 1 (easy) to 10 (hard)
    QDateTime lastReview;  // UTC
    QDateTime due;         // UTC, whole days after lastReview
    int reps = 0;          // reviews so far
    int lapses = 0;        // Again after the first review
};

// The state after a review graded `grade` (1–4) at `at`; `before` is empty
// for a question never reviewed.
Memory review(const std::optional<Memory> &before, int grade, const QDateTime &at);

// The probability of recall `elapsedDays` after the last review.
double retrievability(double stability, double elapsedDays);

// The whole days, at least one, until recall falls to the desired retention.
int intervalDays(double stability);

// How many right answers must be logged before their times grade Easy and Hard.
inline constexpr int timedGradesFrom = 20;

// The grade of an answer: a wrong answer, or the answer revealed before
// answering, is Again; a right one Good, or with the median time of the
// learner's logged right answers (given once there are timedGradesFrom of
// them) Easy within half that time and Hard beyond twice it.
int gradeOf(bool right, qint64 answerMs, std::optional<qint64> medianRightMs);

} // namespace fsrs
