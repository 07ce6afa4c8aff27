#include "progress/Fsrs.h"
#include <algorithm>
#include <array>
#include <cmath>

namespace fsrs {
namespace {
// The default weights w0..w20 of the reference implementation.
constexpr std::array<double, 21> w = {
    0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194, 0.001,  1.8722, 0.1666, 0.796,
    1.4835, 0.0614, 0.2629, 1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};
constexpr double desiredRetention = 0.9;
constexpr double minStability = 0.001;
constexpr qint64 dayMs = 24 * 60 * 60 * 1000;

const double decay = -w[20];
// Chosen so that recall is 90 % after `stability` days.
const double factor = std::pow(0.9, 1 / decay) - 1;

double clampDifficulty(double d)
{
    return std::clamp(d, 1.0, 10.0);
}

double initialDifficulty(int grade)
{
    return w[4] - std::exp(w[5] * (grade - 1)) + 1;
}

// Difficulty moves by the grade, less the nearer it is to 10, and reverts a
// little towards the first difficulty of Easy.
double nextDifficulty(double d, int grade)
{
    const double moved = d - w[6] * (grade - 3) * (10 - d) / 9;
    return clampDifficulty(w[7] * initialDifficulty(Easy) + (1 - w[7]) * moved);
}

double recallStability(double d, double s, double r, int grade)
{
    const double hardPenalty = grade == Hard ? w[15] : 1;
    const double easyBonus = grade == Easy ? w[16] : 1;
    return s * (1 + std::exp(w[8]) * (11 - d) * std::pow(s, -w[9]) * (std::exp((1 - r) * w[10]) - 1)
                        * hardPenalty * easyBonus);
}

double forgetStability(double d, double s, double r)
{
    const double longTerm = w[11] * std::pow(d, -w[12]) * (std::pow(s + 1, w[13]) - 1)
                            * std::exp((1 - r) * w[14]);
    return std::min(longTerm, s / std::exp(w[17] * w[18]));
}

// A second review on the day of the last one.
double sameDayStability(double s, int grade)
{
    double increase = std::exp(w[17] * (grade - 3 + w[18])) * std::pow(s, -w[19]);
    if (grade >= Good)
        increase = std::max(increase, 1.0);
    return s * increase;
}
} // namespace

double retrievability(double stability, double elapsedDays)
{
    return std::pow(1 + factor * std::max(elapsedDays, 0.0) / stability, decay);
}

int intervalDays(double stability)
{
    const double days = stability / factor * (std::pow(desiredRetention, 1 / decay) - 1);
    return int(std::clamp(std::lround(days), 1L, 36500L));
}

Memory review(const std::optional<Memory> &before, int grade, const QDateTime &at)
{
    Memory next;
    if (!before) {
        next.stability = w[grade - 1];
        next.difficulty = clampDifficulty(initialDifficulty(grade));
    } else {
        const Memory &m = *before;
        // Whole days since the last review, as the published scheduler counts them.
        const qint64 days = m.lastReview.msecsTo(at) / dayMs;
        if (days < 1)
            next.stability = sameDayStability(m.stability, grade);
        else if (grade == Again)
            next.stability = forgetStability(m.difficulty, m.stability,
                                             retrievability(m.stability, double(days)));
        else
            next.stability = recallStability(m.difficulty, m.stability,
                                             retrievability(m.stability, double(days)), grade);
        next.difficulty = nextDifficulty(m.difficulty, grade);
        next.reps = m.reps;
        next.lapses = m.lapses + (grade == Again);
    }
    next.stability = std::max(next.stability, minStability);
    next.reps += 1;
    next.lastReview = at.toUTC();
    next.due = next.lastReview.addDays(intervalDays(next.stability));
    return next;
}

int gradeOf(bool right, qint64 answerMs, std::optional<qint64> medianRightMs)
{
    if (!right)
        return Again;
    if (medianRightMs && 2 * answerMs <= *medianRightMs)
        return Easy;
    if (medianRightMs && answerMs > 2 * *medianRightMs)
        return Hard;
    return Good;
}

} // namespace fsrs
