#include "app/Sjis.h"
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

// A fresh converter per call: each text is whole, so no state may carry over.
QString fromSjis(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-31j");
    return decoder(bytes);
}

QByteArray toSjis(const QString &text)
{
    QStringEncoder encoder("windows-31j");
    return encoder(text);
}

QString fromSjisStart(QByteArrayView bytes, qsizetype characters)
{
    // A character takes at most two bytes.
    return fromSjis(bytes.first(std::min(bytes.size(), 2 * characters + 2)));
}
