#pragma once
// The text given to the English voice: only the English of a question or an
// answer, so that the voice never spells out Japanese.
#include <QString>
#include <optional>

// The English of `text`: Japanese, and full-width brackets with what they hold,
// are left out; a run of English that holds no letter or digit is dropped.
// A gap (a run of underscores, "( )" with blanks or nothing inside, or three or
// more blanks between English words) is read as a short pause, or, when
// `answer` is given, as the English of the answer. Several gaps take the parts
// of an answer split at "/", "," or "・" when the counts agree; otherwise the
// whole answer goes into the first gap.
QString speechText(const QString &text, const std::optional<QString> &answer = std::nullopt);
