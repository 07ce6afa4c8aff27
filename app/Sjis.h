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
