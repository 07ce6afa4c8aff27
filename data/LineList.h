#pragma once
// The line list: an ordered list of byte lines that loads a whole text file and
// saves a whole list. Lines are bytes, never converted.
#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

class LineList {
public:
    int Count() const { return int(lines.size()); }
    QByteArray Get(int index) const;
    void Put(int index, const QByteArray &text);
    // Goes before the line at `index`; `index` == Count() appends.
    void Insert(int index, const QByteArray &text);
    // Appends; returns the new line's index.
    int Add(const QByteArray &text);
    void Delete(int index);

    // Replaces all lines with the file's; on failure the list is unchanged.
    void Load(const QString &path);
    // Writes every line followed by CR LF. The former file stays whole until
    // the new one is complete.
    void Save(const QString &path) const;

    // Splits `text` by the reading rules: CR LF, LF or CR end a line, a line
    // end at the very end adds no empty line, a 0x00 ends the text.
    static QList<QByteArray> split(QByteArrayView text);
    // Every line followed by CR LF, in one buffer.
    QByteArray joined() const;

    // The one write of Save; tests replace it to inject a short write.
    using Writer = qint64 (*)(QIODevice &file, const QByteArray &text);
    static Writer writer;

private:
    void check(int index, int limit) const;
    QList<QByteArray> lines;
};
