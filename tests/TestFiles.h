#pragma once
// Files and line lists for tests.
#include "data/LineList.h"
#include <QFile>
#include <QtTest>

using Lines = QList<QByteArray>;

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The bytes of a file holding `lines`, each ended by CR LF.
inline QByteArray fileOf(const Lines &lines)
{
    QByteArray bytes;
    for (const QByteArray &l : lines)
        bytes += l + "\r\n";
    return bytes;
}

inline Lines linesOf(const LineList &list)
{
    Lines lines;
    for (int i = 0; i < list.Count(); ++i)
        lines << list.Get(i);
    return lines;
}

// A header with remaining count `remaining` and `records` records whose lines
// name their record: c1, q1, a1, x1, y1, z1, e1 for record 1, and so on.
inline Lines questionFile(int records, const QByteArray &remaining)
{
    Lines lines{"Title", "h1", remaining, "h3", "h4", "h5", "h6"};
    for (int k = 1; k <= records; ++k)
        for (const char *field : {"c", "q", "a", "x", "y", "z", "e"})
            lines << QByteArray(field) + QByteArray::number(k);
    return lines;
}
