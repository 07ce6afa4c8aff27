#pragma once
// The text given to the English voice: only the English of a question or an
// answer, so that the voice never spells out Japanese.
#include <QStringList>
#include <optional>

// The English of `text`: Japanese is left out, and so are brackets holding a
// Japanese aside (any full-width bracket, or "(...)" with Japanese in it), and
// runs between the Japanese without a Latin letter (numbers, marks).
// A gap (a run of underscores, "( )" with blanks or nothing inside, or three or
// more blanks between English words) is read as a short pause, or, when
// `answer` is given, as the English of the answer. Several gaps take the parts
// of an answer split at "/", "," or "・" when the counts agree; otherwise the
// whole answer goes into the first gap.
QString speechText(const QString &text, const std::optional<QString> &answer = std::nullopt);

// What the voice reads of `text` (as speechText gives it), sentence by
// sentence, an empty one standing for a pause ("..."): at most about 1,000
// characters, in pieces short enough for the voice to make quickly, with a
// run of more than nine digits read as its first three groups of three.
QStringList speechSentences(const QString &text);
