// The drill without its window: rows of moves and the state after them.
#include "quiz/Drill.h"
#include "app/Exceptions.h"
#include "TestFiles.h"
#include <QtTest>
#include <deque>

using namespace Qt::Literals::StringLiterals;

namespace {
// The state a view shows, in one line: record start, question number shown,
// score / tally, judgement, whether the answer shows, which answer buttons
// are open (all, none, or the one answered), the missed records, the review.
QString state(const Drill &d)
{
    const char judged = "-RW"[int(d.judgement())];
    QStringList missed;
    for (int from = Drill::firstRecord; (from = d.missedList().firstFrom(from)); from += Drill::recordLines)
        missed << QString::number(from);
    const QString open = d.answerOpen(1) && d.answerOpen(2) ? u"all"_s
                         : d.clickedButton() && d.answerOpen(d.clickedButton()) ? QString::number(d.clickedButton())
                                                                              : u"none"_s;
    return u"s%1 n%2 %3/%4 %5 %6 open %7 missed %8%9"_s.arg(d.recordStart()).arg(d.shownNumber())
        .arg(d.score()).arg(d.answered()).arg(QChar::fromLatin1(judged))
        .arg(d.answerShown() ? u"shown"_s : u"hidden"_s).arg(open).arg(missed.join(u','))
        .arg(d.subPass() ? u" review %1"_s.arg(d.subPass()->size) : QString());
}
} // namespace

class tst_Drill : public QObject {
    Q_OBJECT

private slots:
    // Moves: o open, 1-4 answer, r reveal, n next, b back, f first question,
    // m memorise, k keep (memorise refused), R review, u resume after a review,
    // x open a file of 13 lines (refused).
    // Every question draws rotation 0: button 1 is right, 2 to 4 are wrong.
    void moves_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<QByteArray>("remaining");
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QString>("state");
        QTest::newRow("opened: the tally shows the last file's count") << 3 << "3"_ba << u"o"_s << u"s7 n1 0/0 - hidden open all missed "_s;
        QTest::newRow("right, next") << 3 << "3"_ba << u"o1n"_s << u"s14 n2 1/1 - hidden open all missed "_s;
        QTest::newRow("wrong keeps its button open") << 3 << "3"_ba << u"o3"_s << u"s7 n1 0/0 W shown open 3 missed 7"_s;
        QTest::newRow("revealed closes every button") << 3 << "3"_ba << u"or"_s << u"s7 n1 0/0 - shown open none missed 7"_s;
        QTest::newRow("right, then revealed: no miss") << 3 << "3"_ba << u"o1r"_s << u"s7 n1 0/0 R shown open none missed "_s;
        QTest::newRow("wrap counts into the new pass") << 2 << "2"_ba << u"on1n"_s << u"s7 n1 1/2 - hidden open all missed "_s;
        QTest::newRow("back keeps the judgement") << 3 << "3"_ba << u"on1b"_s << u"s7 n1 0/1 R hidden open 1 missed "_s;
        QTest::newRow("first sets the tally back") << 3 << "3"_ba << u"on2f"_s << u"s7 n1 0/0 W shown open 2 missed 14"_s;
        QTest::newRow("memorised shows the next number") << 3 << "3"_ba << u"on1m"_s << u"s14 n3 1/1 - hidden open all missed "_s;
        QTest::newRow("memorise refused") << 3 << "3"_ba << u"o2k"_s << u"s7 n1 0/0 W hidden open all missed 7"_s;
        QTest::newRow("memorised misses move up") << 3 << "3"_ba << u"o2n2n2bbm"_s << u"s7 n2 0/2 - hidden open all missed 7,14"_s;
        QTest::newRow("review") << 3 << "3"_ba << u"o2nn2R"_s << u"s7 n1 0/0 - hidden open all missed 7,21 review 2"_s;
        QTest::newRow("review: right leaves the list") << 3 << "3"_ba << u"o2nn2R1n"_s << u"s21 n2 1/1 - hidden open all missed 21 review 2"_s;
        // The window shows its box here: the place and the buttons are as they were.
        QTest::newRow("review ended") << 3 << "3"_ba << u"o2nn2R1n1n"_s << u"s21 n2 2/2 - hidden open 1 missed "_s;
        QTest::newRow("review ended, resumed") << 3 << "3"_ba << u"o2nn2R1n1nu"_s << u"s7 n1 0/3 - hidden open all missed "_s;
        QTest::newRow("review: memorised") << 3 << "3"_ba << u"o2nn2Rm"_s << u"s14 n2 0/1 - hidden open all missed 14 review 2"_s;
        // The last record of a file whose remaining count is its record count.
        QTest::newRow("last record missed") << 2 << "2"_ba << u"on2nR"_s << u"s14 n1 0/0 - hidden open all missed 14 review 1"_s;
        QTest::newRow("opened again: a clean pass") << 3 << "3"_ba << u"o1nn1o"_s << u"s7 n1 0/0 - hidden open all missed "_s;
        QTest::newRow("too short: refused, nothing changes") << 3 << "3"_ba << u"o3nx"_s << u"s14 n2 0/1 - hidden open all missed 7"_s;
        QTest::newRow("too short as the first file") << 3 << "3"_ba << u"x"_s << u"s0 n0 0/0 - hidden open all missed "_s;
        QTest::newRow("before an open every answer is wrong") << 2 << "2"_ba << u"1"_s << u"s0 n0 0/0 W shown open 1 missed "_s;
    }
    void moves()
    {
        QFETCH(int, records);
        QFETCH(QByteArray, remaining);
        QFETCH(QString, moves);
        QFETCH(QString, state);
        Drill drill([] { return 0u; });
        for (const QChar move : moves) {
            switch (move.toLatin1()) {
            case 'o': {
                LineList lines;
                for (const QByteArray &line : questionFile(records, remaining))
                    lines.Add(line);
                drill.open(lines);
                break;
            }
            case 'x': {
                LineList lines;
                for (const QByteArray &line : questionFile(1, "1").mid(1))
                    lines.Add(line);
                QVERIFY_THROWS_EXCEPTION(EStringListError, drill.open(lines));
                break;
            }
            case 'r': drill.reveal(); break;
            case 'n': drill.next(); break;
            case 'b': drill.back(); break;
            case 'f': drill.first(); break;
            case 'm': drill.memorise(true); break;
            case 'k': drill.memorise(false); break;
            case 'R': drill.startReview(); break;
            case 'u': drill.resume(); break;
            default: drill.answer(move.digitValue());
            }
        }
        QCOMPARE(::state(drill), state);
    }
};

QTEST_GUILESS_MAIN(tst_Drill)
#include "tst_Drill.moc"
