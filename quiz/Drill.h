#pragma once
// The drill, without widgets: the open question file's lines, which record is
// asked, its rotation, the judgement, the score and the counters, and the
// sub-passes over a chosen list of records (the review of missed questions).
// Each move records what it changed; the quiz window takes those changes and
// shows them. A move that stops at a failing step (a line the file lacks)
// keeps what it already did, and what it changed still shows.
#include "data/LineList.h"
#include "quiz/MissedList.h"
#include <functional>
#include <optional>
#include <utility>

class Drill {
public:
    // A record is seven lines: category, question, correct answer, three wrong
    // answers, explanation. The first record is the file's header.
    static constexpr int recordLines = 7;
    static constexpr int firstRecord = 7;

    enum class Judgement { None, Right, Wrong };
    // How the tally of answered questions reads: before any pass nothing,
    // " / n" when counted, "/ 0" when 問題の最初 set it back without counting.
    enum class Tally { None, Counted, SetBack };
    // What a move changed, for the view to show again.
    enum Change : unsigned {
        Place = 1,     // the question number, or the place in a sub-pass
        Judged = 2,    // the judgement
        Score = 4,     // the score and the tally
        Answer = 8,    // whether the answer shows, which answer buttons take a click
        Question = 16, // a question shown anew, with a new rotation
    };
    using Changes = unsigned;

    // The kinds of sub-pass over a chosen list of records.
    enum class PassKind { Review };
    struct SubPass {
        PassKind kind;
        MissedList records; // still ahead or under way, in file order
        int size;           // questions when it started
    };
    // A sub-pass that went past its last record: its size and score.
    struct Finished {
        PassKind kind;
        int size, score;
    };

    // `draw` gives the next pseudo-random number, for each question's rotation.
    explicit Drill(std::function<quint32()> draw);

    // ---- moves -------------------------------------------------------------
    // A new file, at its question 1, with a clean score; forgets the misses and
    // leaves any sub-pass. A file without one whole question is refused before
    // anything changes.
    void open(LineList lines);
    // The learner clicked answer button 1..4.
    void answer(int button);
    // 正解・解説 表示: shows the answer; reading it is a miss unless answered right.
    void reveal();
    // >>: the next question, back to question 1 past the remaining count; in a
    // sub-pass, its next record, or its end (see takeFinished and resume).
    void next();
    // 戻る: the question before, or the first again with a new rotation.
    void back();
    // 問題の最初: question 1 of the normal pass.
    void first();
    // 記憶完了, after the learner's answer: `confirmed` moves the record behind
    // the drill and counts one less remaining; either way the next question
    // shows with its buttons open.
    void memorise(bool confirmed);
    // 間違えた問題を復習: a sub-pass over the missed records; nothing when none is.
    void startReview();
    // After a finished sub-pass was shown: question 1 of the normal pass.
    void resume();

    // What the moves since the last call changed.
    Changes takeChanges() { return std::exchange(changes, 0u); }
    // The sub-pass that the last move finished, once.
    std::optional<Finished> takeFinished() { return std::exchange(finished, std::nullopt); }

    // ---- state -------------------------------------------------------------
    const LineList &lines() const { return list; }
    bool hasLines() const { return list.Count() > 0; }
    // The first line of the record asked.
    int recordStart() const { return start; }
    int questionNumber() const { return number; }
    // The number the window shows: one ahead of questionNumber after a record
    // is memorised in the normal pass, since the next record is then asked.
    int shownNumber() const { return shown; }
    int score() const { return right; }
    // The number after the slash of the tally, and how it reads.
    int answered() const { return tallied; }
    Tally tally() const { return tallyForm; }
    int remainingCount() const { return remaining; }
    int rotation() const { return turn; }
    // The button, 1 to 4, that shows the correct answer.
    int correctButton() const { return correct; }
    Judgement judgement() const { return judged; }
    // The button answered since the buttons last opened; 0 when none was.
    int clickedButton() const { return clicked; }
    bool answerOpen(int button) const { return !locked && (clicked == 0 || clicked == button); }
    // Whether the correct answer, the category and the explanation show.
    bool answerShown() const { return revealed; }
    // Whether the answer is on screen: shown, or on the button answered right.
    bool answerOnScreen() const { return revealed || answeredHere; }
    const std::optional<SubPass> &subPass() const { return pass; }
    bool canReview() const { return !missed.isEmpty(); }
    // 戻る works in the normal pass of an opened file; a sub-pass goes forward only.
    bool canGoBack() const { return opened && !pass; }
    const MissedList &missedList() const { return missed; }

private:
    // Question 1 of a pass at the record `firstLine`. The starts differ on purpose:
    enum class Start {
        // open, the wrap of >>, a sub-pass's start and end: the answer hides,
        // the buttons open, and a judgement still shown counts in the new pass.
        Fresh,
        // 問題の最初: the question shown keeps its judgement, answer and
        // buttons, and the tally is set back to "/ 0" without counting.
        KeepingTheAnswer,
    };
    void startPass(int firstLine, Start how);
    void showQuestion();
    void countJudgement();
    void hideAnswer();
    void openAnswers();
    void noteMissed();
    void leavePass();
    void moveInPass(int from);
    void requireLine(int index) const;

    std::function<quint32()> draw;
    LineList list;
    int start = 0;
    int number = 0;
    int shown = 0;
    int right = 0;
    int tallied = 0;
    Tally tallyForm = Tally::None;
    int remaining = 0;
    int turn = 0;
    int correct = 0; // none before the first question: every answer is wrong
    Judgement judged = Judgement::None;
    int clicked = 0;
    bool locked = false;       // 正解・解説 表示 closed every answer button
    bool revealed = false;
    bool answeredHere = false; // answered or revealed since the question showed
    bool opened = false;
    MissedList missed;
    std::optional<SubPass> pass;
    std::optional<Finished> finished;
    Changes changes = 0;
};
