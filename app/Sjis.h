#pragma once
// Shift-JIS (windows-31j) at the widget boundary: the only place where the
// bytes of a file become display text and back.
#include <QByteArray>
#include <QString>

QString fromSjis(QByteArrayView bytes);
QByteArray toSjis(const QString &text);
// The first `characters` characters of a line and at least one more when it has
// more, decoding only the bytes they can take: a huge line costs no more than
// its start.
QString fromSjisStart(QByteArrayView bytes, qsizetype characters);

// Whole texts at a table look-up a character, for files of any size: each
// code's answer is asked of the codec once. A code is text when it reads as
// one character without a fault and that character is written back as the
// same code, so that a file never loses one of a character's two codes.
// The offset in `bytes` of the first code that is no text, or -1; with
// `utf8`, the characters before it are appended there in UTF-8 (a character
// of Shift-JIS is always one of the Basic Multilingual Plane).
qsizetype decodeSjis(QByteArrayView bytes, QByteArray *utf8 = nullptr);
// The offset in `text` of the first character that Shift-JIS cannot hold (no
// code of it is text), or -1; with `out`, set to the codes before it.
qsizetype encodeSjis(QStringView text, QByteArray *out = nullptr);
