#pragma once
// Question files as learners make them, in any size: a header block and
// records of seven Shift-JIS lines, about 30 bytes a line on average.
#include <QByteArray>
#include <QList>

// The lines of a file of about `bytes` bytes, with CR LF after each.
QList<QByteArray> questionLines(qsizetype bytes);
QByteArray questionFile(const QList<QByteArray> &lines);
