#include "data/LineList.h"
#include "app/Exceptions.h"
#include "data/FileAccess.h"
#include <QIODevice>
#include <algorithm>
#include <bit>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace Qt::Literals::StringLiterals;

LineList::Writer LineList::writer = [](QIODevice &file, const QByteArray &text) {
    return file.write(text);
};

namespace {
// The first CR, LF or 0x00 in [from, to), or `to`: sixteen bytes at a time
// where the processor allows, since this scan is most of a load's own work.
const char *lineEnd(const char *from, const char *to)
{
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), nul = _mm_setzero_si128();
    for (; to - from >= 16; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from));
        const __m128i ends = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)),
                                          _mm_cmpeq_epi8(bytes, nul));
        if (const int found = _mm_movemask_epi8(ends))
            return from + std::countr_zero(unsigned(found));
    }
#endif
    while (from < to && *from != '\r' && *from != '\n' && *from != '\0')
        ++from;
    return from;
}

// Calls `take(start, length)` for each line of `text`, by the reading rules.
template <class Take>
void forEachLine(QByteArrayView text, Take take)
{
    const char *cursor = text.data();
    const char *const end = cursor + text.size();
    while (cursor < end && *cursor != '\0') {
        const char *stop = lineEnd(cursor, end);
        take(cursor, stop - cursor);
        cursor = stop;
        if (cursor < end && *cursor == '\r')
            ++cursor;
        if (cursor < end && *cursor == '\n')
            ++cursor;
    }
}
} // namespace

void LineList::check(int index, int limit) const
{
    if (index < 0 || index >= limit)
        throw EStringListError(index);
}

LineList::Place LineList::locate(int index) const
{
    // The last block that starts at or before `index`; Count() itself falls
    // at the end of the last block.
    const auto after = std::upper_bound(starts.begin(), starts.end(), index);
    const qsizetype b = after - starts.begin() - 1;
    return {b, index - starts[size_t(b)]};
}

void LineList::renumber(qsizetype from, qsizetype to)
{
    for (size_t b = size_t(std::max<qsizetype>(from, 1)); b < size_t(to); ++b)
        starts[b] = starts[b - 1] + int(blocks[b - 1].size());
}

void LineList::shift(qsizetype fromBlock, int lines)
{
    for (size_t b = size_t(fromBlock); b < starts.size(); ++b)
        starts[b] += lines;
}

void LineList::append(QByteArray line)
{
    // A full last block is left full and a new one begun, so a list that is
    // loaded or built line by line has no room to spare in its blocks.
    if (blocks.empty() || qsizetype(blocks.back().size()) >= blockLines) {
        Block block;
        block.reserve(size_t(blockLines));
        blocks.push_back(std::move(block));
        starts.push_back(lineCount);
    }
    blocks.back().push_back(std::move(line));
    ++lineCount;
}

void LineList::insertLines(int index, const QByteArray *lines, qsizetype n)
{
    if (index == lineCount) {
        for (qsizetype k = 0; k < n; ++k)
            append(lines[k]);
        return;
    }
    const Place at = locate(index);
    Block &block = blocks[size_t(at.block)];
    block.insert(block.begin() + at.offset, lines, lines + n);
    lineCount += int(n);
    shift(at.block + 1, int(n));
    if (qsizetype(block.size()) > blockLines)
        splitBlock(at.block);
}

void LineList::splitBlock(qsizetype b)
{
    // Into nearly equal parts of at most blockLines, each at least half full.
    const qsizetype size = qsizetype(blocks[size_t(b)].size());
    const qsizetype parts = (size + blockLines - 1) / blockLines;
    const qsizetype each = (size + parts - 1) / parts;
    // All that may fail comes first, so a failure leaves the list whole.
    std::vector<Block> rest(size_t((size - 1) / each));
    for (Block &part : rest)
        part.reserve(size_t(each));
    blocks.reserve(blocks.size() + rest.size());
    starts.reserve(starts.size() + rest.size());
    Block &full = blocks[size_t(b)];
    for (qsizetype i = each; i < size; ++i)
        rest[size_t(i / each - 1)].push_back(std::move(full[size_t(i)]));
    full.erase(full.begin() + each, full.end());
    blocks.insert(blocks.begin() + b + 1, std::make_move_iterator(rest.begin()),
                  std::make_move_iterator(rest.end()));
    starts.insert(starts.begin() + b + 1, rest.size(), 0);
    renumber(b + 1, b + 1 + qsizetype(rest.size()));
}

void LineList::eraseLines(int index, qsizetype n)
{
    const Place at = locate(index);
    qsizetype b = at.block, offset = at.offset, left = n;
    while (left > 0) {
        Block &block = blocks[size_t(b)];
        const qsizetype taken = std::min(left, qsizetype(block.size()) - offset);
        block.erase(block.begin() + offset, block.begin() + offset + taken);
        left -= taken;
        offset = 0;
        if (block.empty()) {
            blocks.erase(blocks.begin() + b);
            starts.erase(starts.begin() + b);
        } else {
            ++b;
        }
    }
    lineCount -= int(n);
    // Only the blocks touched need counting; those behind them move up by n.
    renumber(at.block, b);
    shift(b, -int(n));
}

QByteArray LineList::Get(int index) const
{
    check(index, Count());
    const Place at = locate(index);
    return blocks[size_t(at.block)][size_t(at.offset)];
}

void LineList::Put(int index, const QByteArray &text)
{
    check(index, Count());
    const Place at = locate(index);
    blocks[size_t(at.block)][size_t(at.offset)] = text;
}

void LineList::Insert(int index, const QByteArray &text)
{
    check(index, Count() + 1);
    insertLines(index, &text, 1);
}

int LineList::Add(const QByteArray &text)
{
    append(text);
    return Count() - 1;
}

void LineList::Delete(int index)
{
    check(index, Count());
    eraseLines(index, 1);
}

void LineList::InsertBlock(int index, const QList<QByteArray> &lines)
{
    // Line by line, only the first insert can fail its bounds check: every
    // later one goes one place further into a list one line longer.
    if (lines.isEmpty())
        return;
    check(index, Count() + 1);
    insertLines(index, lines.constData(), lines.size());
}

void LineList::MoveToEnd(int index, int count)
{
    // Line by line, each step moves the line at `index` to the end and keeps
    // Count(): all the steps pass the bounds check, or the first one fails.
    if (count <= 0)
        return;
    check(index, Count());
    const qsizetype moved = count % (Count() - index);
    if (moved == 0)
        return;
    // Copies go to the end before the lines leave their place, so a failure
    // part way leaves every line in the list.
    const int end = Count();
    try {
        Place at = locate(index);
        for (qsizetype k = 0; k < moved; ++k) {
            if (at.offset == qsizetype(blocks[size_t(at.block)].size()))
                at = {at.block + 1, 0};
            append(blocks[size_t(at.block)][size_t(at.offset++)]);
        }
    } catch (...) {
        if (Count() > end)
            eraseLines(end, Count() - end);
        throw;
    }
    eraseLines(index, moved);
}

void LineList::Load(const QString &path)
{
    const QByteArray content = readRegularFile(path);
    LineList loaded;
    forEachLine(content, [&](const char *start, qsizetype length) {
        loaded.append(QByteArray(start, length));
    });
    *this = std::move(loaded);
}

QByteArray LineList::joined() const
{
    qsizetype size = 0;
    for (const Block &block : blocks)
        for (const QByteArray &line : block)
            size += line.size() + 2;
    if (size == 0)
        return {};
    QByteArray text(size, Qt::Uninitialized);
    char *out = text.data();
    for (const Block &block : blocks)
        for (const QByteArray &line : block) {
            std::memcpy(out, line.constData(), size_t(line.size()));
            out += line.size();
            *out++ = '\r';
            *out++ = '\n';
        }
    return text;
}

void LineList::Save(const QString &path) const
{
    writeWholeFile(path, joined(), writer);
}
