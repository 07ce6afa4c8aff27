#include "quiz/SpeechText.h"
#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
// A piece of the text: English words, a gap, or a break where Japanese stood.
struct Piece {
    enum Kind { Words, Gap, Break } kind;
    QString text;
};
using Run = QList<Piece>;

const QString fullWidthOpen = u"（「『【［｛〈《〔"_s;
const QString fullWidthClose = u"）」』】］｝〉》〕"_s;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000' || c == u'\u00A0';
}

bool isUnderscore(QChar c)
{
    return c == u'_' || c == u'＿';
}

// ASCII, Latin letters with their accents, and the quotes, dashes and ellipsis
// of typeset English.
bool isEnglish(QChar c)
{
    const char16_t u = c.unicode();
    return isBlank(c) || (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u < 0x250) || (u >= 0x2010 && u <= 0x2026);
}

// The end of "( )" with only blanks inside that starts at `i`, or -1.
qsizetype emptyBracketEnd(const QString &t, qsizetype i)
{
    if (t[i] != u'(' && t[i] != u'（')
        return -1;
    qsizetype j = i + 1;
    while (j < t.size() && isBlank(t[j]))
        ++j;
    return j < t.size() && (t[j] == u')' || t[j] == u'）') ? j + 1 : -1;
}

// The end of the bracket opened at `i`, past its closing bracket, when it is
// an aside in Japanese: any full-width bracket, or "(...)" holding Japanese.
// -1 otherwise, and for a bracket that is never closed.
qsizetype japaneseAsideEnd(const QString &t, qsizetype i)
{
    const bool ascii = t[i] == u'(';
    if (!ascii && !fullWidthOpen.contains(t[i]))
        return -1;
    const QString open = ascii ? u"("_s : fullWidthOpen, close = ascii ? u")"_s : fullWidthClose;
    bool japanese = !ascii;
    int depth = 0;
    for (qsizetype j = i; j < t.size(); ++j) {
        japanese = japanese || !isEnglish(t[j]);
        if (open.contains(t[j]))
            ++depth;
        else if (close.contains(t[j]) && --depth == 0)
            return japanese ? j + 1 : -1;
    }
    return -1;
}

QList<Piece> pieces(const QString &t)
{
    QList<Piece> out;
    const auto words = [&out](QChar c) {
        if (out.isEmpty() || out.last().kind != Piece::Words)
            out.append(Piece{Piece::Words, {}});
        out.last().text += isBlank(c) ? u' ' : c;
    };
    const auto startsGap = [&t](qsizetype i) { return isUnderscore(t[i]) || emptyBracketEnd(t, i) > 0; };
    for (qsizetype i = 0, next = 0; i < t.size(); i = next) {
        const QChar c = t[i];
        next = i + 1;
        if (const qsizetype gapEnd = emptyBracketEnd(t, i); gapEnd > 0) {
            out.append(Piece{Piece::Gap, {}});
            next = gapEnd;
        } else if (isUnderscore(c)) {
            while (next < t.size() && isUnderscore(t[next]))
                ++next;
            out.append(Piece{Piece::Gap, {}});
        } else if (isBlank(c)) {
            int width = 0;
            for (next = i; next < t.size() && isBlank(t[next]); ++next)
                width += t[next] == u'\u3000' ? 2 : 1;
            // Wide blanks stand for a gap only between English words.
            const bool afterWords = !out.isEmpty() && out.last().kind == Piece::Words;
            if (width >= 3 && afterWords && next < t.size() && isEnglish(t[next]) && !startsGap(next))
                out.append(Piece{Piece::Gap, {}});
            else
                words(u' ');
        } else if (const qsizetype asideEnd = japaneseAsideEnd(t, i); asideEnd > 0) {
            out.append(Piece{Piece::Break, {}});
            next = asideEnd;
        } else if (isEnglish(c)) {
            words(c);
        } else {
            out.append(Piece{Piece::Break, {}});
        }
    }
    return out;
}

bool hasWords(const Run &run)
{
    return std::any_of(run.begin(), run.end(), [](const Piece &p) {
        return p.kind == Piece::Words && std::any_of(p.text.begin(), p.text.end(), [](QChar c) { return c.isLetter(); });
    });
}
} // namespace

QString speechText(const QString &text, const std::optional<QString> &answer)
{
    QList<Run> runs{{}};
    for (const Piece &p : pieces(text)) {
        if (p.kind == Piece::Break)
            runs.append(Run());
        else
            runs.last().append(p);
    }
    runs.removeIf([](const Run &run) { return !hasWords(run); });

    qsizetype gaps = 0;
    for (const Run &run : runs)
        gaps += std::count_if(run.begin(), run.end(), [](const Piece &p) { return p.kind == Piece::Gap; });
    QStringList fills;
    if (answer && gaps > 0) {
        const QStringList parts = answer->split(QRegularExpression(u"[/／,，、・]"_s));
        if (gaps > 1 && parts.size() == gaps) {
            for (const QString &part : parts)
                fills << speechText(part);
        } else {
            fills << speechText(*answer);
        }
    }

    QString out;
    qsizetype gap = 0;
    for (const Run &run : runs) {
        for (const Piece &p : run) {
            if (p.kind == Piece::Words) {
                out += p.text;
                continue;
            }
            const QString fill = fills.value(gap++);
            if (fill.isEmpty()) {
                // The voice pauses on an ellipsis that ends a word.
                while (out.endsWith(u' '))
                    out.chop(1);
                out += u"... "_s;
            } else {
                out += u' ' + fill + u' ';
            }
        }
        out += u' ';
    }
    // No blank before a closing mark ("where he lives ?").
    return out.simplified().replace(QRegularExpression(u" ([?!.,;:])"_s), u"\\1"_s);
}

QStringList speechSentences(const QString &text)
{
    constexpr qsizetype mostRead = 1000, longestWord = 20;
    constexpr int mostWords = 24;
    // The voice spells a long number out in words without end.
    static const QRegularExpression number(u"\\d(?:[\\d,.]*\\d)?"_s);
    QString t;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : number.globalMatch(text)) {
        t += text.mid(from, m.capturedStart() - from);
        QString digits = m.captured();
        digits.removeIf([](QChar c) { return !c.isDigit(); });
        if (digits.size() > 9)
            t += digits.first(3) + u' ' + digits.sliced(3, 3) + u' ' + digits.sliced(6, 3) + u"..."_s;
        else
            t += m.captured();
        from = m.capturedEnd();
    }
    t += text.sliced(from);
    if (t.size() > mostRead) {
        const qsizetype blank = t.lastIndexOf(u' ', mostRead);
        t.truncate(blank > 0 ? blank : mostRead);
    }

    QStringList out;
    // A piece is cut after about twenty words, each digit or mark counting as
    // one (the voice reads "%" as "percent"), so that none takes the voice
    // more than a moment to make, and a word longer than that is cut too.
    const auto add = [&out](const QString &sentence) {
        QString piece;
        int words = 0;
        const auto flush = [&] {
            if (std::any_of(piece.begin(), piece.end(), [](QChar c) { return c.isLetterOrNumber(); }))
                out << piece;
            piece.clear();
            words = 0;
        };
        for (const QString &whole : sentence.split(u' ', Qt::SkipEmptyParts)) {
            for (qsizetype at = 0; at < whole.size(); at += longestWord) {
                const QString word = whole.mid(at, longestWord);
                const int cost = 1 + int(std::count_if(word.begin(), word.end(), [](QChar c) {
                    return !c.isLetter() && !QStringView(u".,?!'-’").contains(c);
                }));
                if (words + cost > mostWords)
                    flush();
                piece += (piece.isEmpty() ? u""_s : u" "_s) + word;
                words += cost;
            }
        }
        flush();
    };
    // Sentences end at a mark before a blank; "..." is a pause of its own.
    static const QRegularExpression end(u"\\.\\.\\.|[.!?](?= )"_s);
    from = 0;
    for (const QRegularExpressionMatch &m : end.globalMatch(t)) {
        const bool pause = m.capturedLength() == 3;
        add(t.mid(from, (pause ? m.capturedStart() : m.capturedEnd()) - from));
        if (pause)
            out << QString();
        from = m.capturedEnd();
    }
    add(t.sliced(from));
    return out;
}
