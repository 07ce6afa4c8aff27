#include "quiz/Drill.h"
#include "app/Exceptions.h"
#include "app/Numbers.h"

Drill::Drill(std::function<quint32()> drawNumber) : draw(std::move(drawNumber)) {}

void Drill::requireLine(int index) const
{
    // The list's own index error, for a line the file lacks.
    if (index < 0 || index >= list.Count())
        list.Get(index);
}

void Drill::showQuestion()
{
    changes |= Question;
    answeredHere = false;
    requireLine(2); // the remaining count shows with every question
    turn = int(draw() % 4);
    correct = turn + 1;
    requireLine(start);
    requireLine(start + recordLines - 1);
}

void Drill::countJudgement()
{
    if (judged == Judgement::Right)
        ++right;
    // At the first record the normal pass tallies the remaining count.
    tallied = start == firstRecord && !pass ? remaining : number - 1;
    tallyForm = Tally::Counted;
    judged = Judgement::None;
    changes |= Score | Judged;
}

void Drill::hideAnswer()
{
    revealed = false;
    changes |= Answer;
}

void Drill::openAnswers()
{
    clicked = 0;
    locked = false;
    changes |= Answer;
}

void Drill::noteMissed()
{
    // Only a record the file holds; before an open every answer is wrong.
    if (start >= firstRecord && start + recordLines <= list.Count())
        missed.add(start);
}

void Drill::leavePass()
{
    pass.reset();
}

void Drill::startPass(int firstLine, Start how)
{
    start = firstLine;
    number = shown = 1;
    right = 0;
    changes |= Place | Score;
    if (how == Start::KeepingTheAnswer) {
        tallied = 0;
        tallyForm = Tally::SetBack;
    } else {
        hideAnswer();
        countJudgement();
        openAnswers();
    }
}

void Drill::open(LineList lines)
{
    if (lines.Count() < firstRecord + recordLines)
        throw EStringListError(lines.Count(), notQuestionFile);
    list = std::move(lines);
    missed.clear();
    leavePass();
    judged = Judgement::None; // nothing of the file before counts in this one
    startPass(firstRecord, Start::Fresh);
    tallied = 0;
    remaining = textToInt(list.Get(2));
    showQuestion();
    opened = true;
}

void Drill::answer(int button)
{
    clicked = button;
    answeredHere = true;
    changes |= Judged | Answer;
    if (correct == button) {
        judged = Judgement::Right;
        if (pass)
            missed.remove(start);
    } else {
        judged = Judgement::Wrong;
        noteMissed();
        revealed = true;
    }
}

void Drill::reveal()
{
    if (judged != Judgement::Right)
        noteMissed();
    revealed = locked = answeredHere = true;
    changes |= Answer;
}

void Drill::next()
{
    if (!hasLines())
        return;
    if (pass) {
        moveInPass(start + recordLines);
        return;
    }
    // Compared in 64 bits so that a huge remaining count cannot wrap round.
    if (recordLines * qint64(remaining) < start + recordLines) {
        startPass(firstRecord, Start::Fresh);
    } else {
        hideAnswer();
        start += recordLines;
        shown = ++number;
        countJudgement();
        openAnswers();
        changes |= Place;
    }
    showQuestion();
}

void Drill::back()
{
    if (start != firstRecord) {
        start -= recordLines;
        shown = --number;
        changes |= Place;
    }
    showQuestion();
}

void Drill::first()
{
    if (!hasLines())
        return;
    leavePass();
    startPass(firstRecord, Start::KeepingTheAnswer);
    showQuestion();
}

void Drill::memorise(bool confirmed)
{
    if (confirmed) {
        list.MoveToEnd(start, recordLines);
        missed.memorised(start);
        if (pass)
            pass->records.memorised(start);
        remaining = qint32(quint32(remaining) - 1u);
        list.Put(2, intToText(remaining));
        if (pass) {
            moveInPass(start);
            return;
        }
        shown = number + 1;
        changes |= Place;
        countJudgement();
    }
    openAnswers();
    hideAnswer();
    showQuestion();
}

void Drill::startReview()
{
    const int firstMissed = missed.firstFrom(firstRecord);
    if (!firstMissed)
        return;
    pass = SubPass{PassKind::Review, missed, missed.size()};
    judged = Judgement::None; // a judgement still shown belongs to the pass left behind
    startPass(firstMissed, Start::Fresh);
    showQuestion();
}

// The sub-pass's first record at or after the line `from`, or its end when
// none is left.
void Drill::moveInPass(int from)
{
    hideAnswer();
    ++number;
    const int nextRecord = pass->records.firstFrom(from);
    if (!nextRecord) {
        countJudgement(); // the last judgement counts in the sub-pass
        finished = Finished{pass->kind, pass->size, right};
        leavePass();
        return;
    }
    start = nextRecord;
    shown = number;
    countJudgement();
    openAnswers();
    changes |= Place;
    showQuestion();
}

void Drill::resume()
{
    startPass(firstRecord, Start::Fresh);
    showQuestion();
}
