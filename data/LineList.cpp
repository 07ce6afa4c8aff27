#include "data/LineList.h"
#include "app/Exceptions.h"
#include <QFile>
#include <QSaveFile>
#include <cstring>

LineList::Writer LineList::writer = [](QIODevice &file, const QByteArray &text) {
    return file.write(text);
};

void LineList::check(int index, int limit) const
{
    if (index < 0 || index >= limit)
        throw EStringListError(index);
}

QByteArray LineList::Get(int index) const
{
    check(index, Count());
    return lines[index];
}

void LineList::Put(int index, const QByteArray &text)
{
    check(index, Count());
    lines[index] = text;
}

void LineList::Insert(int index, const QByteArray &text)
{
    check(index, Count() + 1);
    lines.insert(index, text);
}

int LineList::Add(const QByteArray &text)
{
    lines.append(text);
    return Count() - 1;
}

void LineList::Delete(int index)
{
    check(index, Count());
    lines.removeAt(index);
}

QList<QByteArray> LineList::split(QByteArrayView text)
{
    QList<QByteArray> result;
    const char *cursor = text.data();
    const char *end = cursor + text.size();
    if (const void *nul = cursor ? std::memchr(cursor, 0, size_t(text.size())) : nullptr)
        end = static_cast<const char *>(nul);
    while (cursor < end) {
        const char *start = cursor;
        while (cursor < end && *cursor != '\n' && *cursor != '\r')
            ++cursor;
        result.append(QByteArray(start, cursor - start));
        if (cursor < end && *cursor == '\r')
            ++cursor;
        if (cursor < end && *cursor == '\n')
            ++cursor;
    }
    return result;
}

void LineList::Load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(path);
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EFOpenError(path);
    lines = split(content);
}

QByteArray LineList::joined() const
{
    qsizetype size = 0;
    for (const QByteArray &line : lines)
        size += line.size() + 2;
    QByteArray text;
    text.reserve(size);
    for (const QByteArray &line : lines) {
        text.append(line);
        text.append("\r\n", 2);
    }
    return text;
}

void LineList::Save(const QString &path) const
{
    const QByteArray text = joined();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EFCreateError(path);
    if (writer(file, text) != text.size()) {
        file.cancelWriting();
        throw EWriteError();
    }
    if (!file.commit()) {
        // The old file is untouched: the new text never replaced it.
        if (file.error() == QFileDevice::RenameError)
            throw EFCreateError(path);
        throw EWriteError();
    }
}
