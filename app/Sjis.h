#pragma once
// Shift-JIS (windows-31j) at the widget boundary: the only place where the
// bytes of a file become display text and back.
#include <QByteArray>
#include <QString>

QString fromSjis(QByteArrayView bytes);
QByteArray toSjis(const QString &text);
