#pragma once
// The line list: an ordered list of byte lines that loads a whole text file and
// saves a whole list. Lines are bytes, never converted.
#include "data/FileAccess.h"
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <vector>

class QIODevice;

class LineList {
public:
    int Count() const { return lineCount; }
    QByteArray Get(int index) const;
    void Put(int index, const QByteArray &text);
    // Goes before the line at `index`; `index` == Count() appends.
    void Insert(int index, const QByteArray &text);
    // Appends; returns the new line's index.
    int Add(const QByteArray &text);
    void Delete(int index);

    // The same as Insert(index + k, lines[k]) for each k in turn, in one step.
    void InsertBlock(int index, const QList<QByteArray> &lines);
    // The same as `count` times Get(index), Add that line, Delete(index), in
    // one step: the lines from `index` to the end rotate by `count`, so with
    // enough lines behind them the `count` lines at `index` go to the end.
    void MoveToEnd(int index, int count);

    // Replaces all lines with the file's; on failure or cancel the list is
    // unchanged. `progress` hears of the reading, then of the splitting.
    void Load(const QString &path, const Progress &progress = {});
    // Writes every line followed by CR LF, through `write`, and says how the
    // file was saved. An existing file keeps its owner, mode, attributes and
    // links, and stays whole on a cancel and on every failure found before
    // its first byte changes (see writeWholeFile).
    Saved Save(const QString &path, const Progress &progress = {}, TextWriter write = writeAll) const;

    // Every line followed by CR LF, in one buffer.
    QByteArray joined() const;

    // The lines are kept in blocks of at most blockLines, so that inserting or
    // moving a few lines shifts one block, never the whole list.
    static constexpr qsizetype blockLines = 4096;

    // The lines of `text` by the reading rules: CR LF, LF or CR ends a line,
    // and 0x00 or the end of the text ends the text. `progress` hears of
    // the bytes split so far, as the second half of `total`.
    static LineList split(QByteArrayView text, const Progress &progress = {}, qint64 total = 0);

private:
    // A block keeps its lines' bytes one after another in one buffer, and
    // where each line ends in it: two allocations per block, none per line.
    struct Block {
        QByteArray bytes;
        std::vector<qsizetype> ends;

        qsizetype size() const { return qsizetype(ends.size()); }
        qsizetype start(qsizetype i) const { return i ? ends[size_t(i - 1)] : 0; }
        QByteArrayView line(qsizetype i) const;
        void append(QByteArrayView line);
        void insert(qsizetype at, const QByteArray *lines, qsizetype n);
        void replace(qsizetype at, QByteArrayView line);
        void erase(qsizetype at, qsizetype n);
        Block part(qsizetype from, qsizetype to) const;
        void moveEnds(qsizetype from, qsizetype by);
    };
    struct Place {
        qsizetype block, offset;
    };
    Place locate(int index) const;
    void check(int index, int limit) const;
    void append(QByteArrayView line);
    void insertLines(int index, const QByteArray *lines, qsizetype n);
    void eraseLines(int index, qsizetype n);
    void splitBlock(qsizetype b);
    void renumber(qsizetype from, qsizetype to);
    void shift(qsizetype fromBlock, int lines);

    std::vector<Block> blocks; // none of them empty
    std::vector<int> starts;   // the index of each block's first line
    int lineCount = 0;
};
