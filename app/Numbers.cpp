#include "app/Numbers.h"

qint32 textToInt(QByteArrayView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    quint32 value = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + quint32(text[i] - '0');
    return qint32(negative ? 0u - value : value);
}

QByteArray intToText(qint32 value)
{
    return QByteArray::number(value);
}
