#include "data/LineList.h"
#include "app/Exceptions.h"
#include "data/FileAccess.h"
#include <QIODevice>
#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {
// How many bytes the scan for line ends looks at in one step.
constexpr qsizetype scanStep = 64;

// Which of the scanStep bytes from `from` (fewer at `to`) are CR, LF or 0x00,
// one bit each: sixteen at a time where the processor allows, since this scan
// is most of a load's own work.
quint64 lineEnds(const char *from, const char *to)
{
#ifdef __SSE2__
    if (to - from >= scanStep) {
        quint64 found = 0;
        for (int part = 0; part < scanStep; part += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + part));
            const __m128i ends = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                                                           _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
                                              _mm_cmpeq_epi8(bytes, _mm_setzero_si128()));
            found |= quint64(unsigned(_mm_movemask_epi8(ends))) << part;
        }
        return found;
    }
#endif
    quint64 found = 0;
    for (int i = 0; i < scanStep && from + i < to; ++i)
        if (from[i] == '\r' || from[i] == '\n' || from[i] == '\0')
            found |= quint64(1) << i;
    return found;
}

// Calls `take(start, stop)` for each line of `text`, by the reading rules. The
// text is scanned once, scanStep bytes at a time, whatever the lines' lengths.
template <class Take>
void forEachLine(QByteArrayView text, Take take)
{
    const char *const end = text.data() + text.size();
    const char *line = text.data();
    for (qsizetype step = 0; step < text.size(); step += scanStep) {
        const char *const chunk = text.data() + step;
        for (quint64 found = lineEnds(chunk, end); found; found &= found - 1) {
            const char *at = chunk + std::countr_zero(found);
            if (at < line)
                continue; // the LF of a CR LF, stepped over already
            if (*at == '\0') {
                if (at > line)
                    take(line, at);
                return;
            }
            take(line, at);
            line = at + 1;
            if (*at == '\r' && line < end && *line == '\n')
                ++line;
        }
    }
    if (line < end)
        take(line, end);
}

} // namespace

QByteArrayView LineList::Block::line(qsizetype i) const
{
    return QByteArrayView(bytes.constData() + start(i), ends[size_t(i)] - start(i));
}

void LineList::Block::moveEnds(qsizetype from, qsizetype by)
{
    for (size_t i = size_t(from); i < ends.size(); ++i)
        ends[i] += by;
}

// Each change to a block makes its one allocation before it changes anything,
// or undoes the step it made, so a failure leaves the block as it was.
void LineList::Block::append(QByteArrayView line)
{
    ends.push_back(bytes.size() + line.size());
    try {
        bytes.append(line);
    } catch (...) {
        ends.pop_back();
        throw;
    }
}

void LineList::Block::insert(qsizetype at, const QByteArray *lines, qsizetype n)
{
    QByteArray text;
    for (qsizetype k = 0; k < n; ++k)
        text += lines[k];
    const qsizetype from = start(at);
    ends.insert(ends.begin() + at, size_t(n), from);
    try {
        bytes.insert(from, text);
    } catch (...) {
        ends.erase(ends.begin() + at, ends.begin() + at + n);
        throw;
    }
    moveEnds(at + n, text.size());
    for (qsizetype k = 0, end = from; k < n; ++k)
        ends[size_t(at + k)] = end += lines[k].size();
}

void LineList::Block::replace(qsizetype at, QByteArrayView line)
{
    const qsizetype from = start(at), length = ends[size_t(at)] - from;
    bytes.replace(from, length, line);
    moveEnds(at, line.size() - length);
}

void LineList::Block::erase(qsizetype at, qsizetype n)
{
    const qsizetype from = start(at), length = ends[size_t(at + n - 1)] - from;
    bytes.remove(from, length);
    ends.erase(ends.begin() + at, ends.begin() + at + n);
    moveEnds(at, -length);
}

LineList::Block LineList::Block::part(qsizetype from, qsizetype to) const
{
    const qsizetype base = start(from);
    Block block{QByteArray(bytes.constData() + base, start(to) - base), {}};
    block.ends.reserve(size_t(to - from));
    for (qsizetype i = from; i < to; ++i)
        block.ends.push_back(ends[size_t(i)] - base);
    return block;
}

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

void LineList::append(QByteArrayView line)
{
    // A full last block is left full and a new one begun, so a list that is
    // built line by line has no room to spare in its blocks.
    if (blocks.empty() || blocks.back().size() >= blockLines) {
        Block block;
        block.ends.reserve(size_t(blockLines));
        block.append(line);
        starts.push_back(lineCount);
        try {
            blocks.push_back(std::move(block));
        } catch (...) {
            starts.pop_back();
            throw;
        }
    } else {
        blocks.back().append(line);
    }
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
    block.insert(at.offset, lines, n);
    lineCount += int(n);
    shift(at.block + 1, int(n));
    if (block.size() > blockLines)
        splitBlock(at.block);
}

void LineList::splitBlock(qsizetype b)
{
    // Into nearly equal parts of at most blockLines, each at least half full.
    const qsizetype size = blocks[size_t(b)].size();
    const qsizetype parts = (size + blockLines - 1) / blockLines;
    const qsizetype each = (size + parts - 1) / parts;
    // All that may fail comes first, so a failure leaves the list whole.
    std::vector<Block> rest;
    rest.reserve(size_t(parts - 1));
    for (qsizetype from = each; from < size; from += each)
        rest.push_back(blocks[size_t(b)].part(from, std::min(from + each, size)));
    blocks.reserve(blocks.size() + rest.size());
    starts.reserve(starts.size() + rest.size());
    Block &full = blocks[size_t(b)];
    full.bytes.truncate(full.ends[size_t(each - 1)]);
    full.ends.resize(size_t(each));
    blocks.insert(blocks.begin() + b + 1, std::make_move_iterator(rest.begin()),
                  std::make_move_iterator(rest.end()));
    starts.insert(starts.begin() + b + 1, rest.size(), 0);
    renumber(b + 1, b + 1 + qsizetype(rest.size()));
}

void LineList::eraseLines(int index, qsizetype n)
{
    // The count and the index are brought up to date block by block, so the
    // list is whole should a later block fail to change.
    Place at = locate(index);
    for (qsizetype left = n; left > 0;) {
        Block &block = blocks[size_t(at.block)];
        const qsizetype taken = std::min(left, block.size() - at.offset);
        if (taken == block.size()) {
            blocks.erase(blocks.begin() + at.block);
            starts.erase(starts.begin() + at.block);
        } else {
            block.erase(at.offset, taken);
            at = {at.block + 1, 0};
        }
        lineCount -= int(taken);
        shift(at.block, -int(taken));
        left -= taken;
    }
}

QByteArray LineList::Get(int index) const
{
    check(index, Count());
    const Place at = locate(index);
    return blocks[size_t(at.block)].line(at.offset).toByteArray();
}

void LineList::Put(int index, const QByteArray &text)
{
    check(index, Count());
    const Place at = locate(index);
    blocks[size_t(at.block)].replace(at.offset, text);
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
            if (at.offset == blocks[size_t(at.block)].size())
                at = {at.block + 1, 0};
            const QByteArrayView line = blocks[size_t(at.block)].line(at.offset++);
            // A line of the last block is copied first: appending may move
            // that block's buffer. Other blocks' buffers stay where they are.
            if (at.block + 1 == qsizetype(blocks.size()))
                append(line.toByteArray());
            else
                append(line);
        }
    } catch (...) {
        if (Count() > end)
            eraseLines(end, Count() - end);
        throw;
    }
    eraseLines(index, moved);
}

void LineList::Load(const QString &path, const Progress &progress)
{
    const QByteArray text = readRegularFile(path, progress);
    *this = split(text, progress, 2 * text.size());
}

LineList LineList::split(QByteArrayView text, const Progress &progress, qint64 total)
{
    LineList list;
    // A block's lines are found first, so that its buffer is made at its
    // exact size and each line copied once.
    std::vector<const char *> from(static_cast<size_t>(blockLines));
    std::vector<qsizetype> ends(static_cast<size_t>(blockLines));
    qsizetype n = 0, reached = 0;
    const qint64 whole = total ? total : text.size();
    const auto addBlock = [&] {
        if (n > std::numeric_limits<int>::max() - list.lineCount)
            throw EOutOfMemory(); // more lines than a list can count
        Block block{QByteArray(ends[size_t(n - 1)], Qt::Uninitialized), {ends.begin(), ends.begin() + n}};
        for (qsizetype k = 0; k < n; ++k)
            if (const qsizetype length = ends[size_t(k)] - block.start(k))
                std::memcpy(block.bytes.data() + block.start(k), from[size_t(k)], size_t(length));
        list.starts.push_back(list.lineCount);
        list.blocks.push_back(std::move(block));
        list.lineCount += int(n);
        n = 0;
        if (progress && !progress(whole - text.size() + reached, whole))
            throw Cancelled();
    };
    forEachLine(text, [&](const char *start, const char *stop) {
        from[size_t(n)] = start;
        ends[size_t(n)] = (n ? ends[size_t(n - 1)] : 0) + (stop - start);
        reached = stop - text.data();
        if (++n == blockLines)
            addBlock();
    });
    if (n)
        addBlock();
    return list;
}

QByteArray LineList::joined() const
{
    qsizetype size = 0;
    for (const Block &block : blocks)
        size += block.bytes.size() + 2 * block.size();
    if (size == 0)
        return {};
    QByteArray text(size, Qt::Uninitialized);
    char *out = text.data();
    for (const Block &block : blocks)
        for (qsizetype i = 0; i < block.size(); ++i) {
            const QByteArrayView line = block.line(i);
            std::memcpy(out, line.data(), size_t(line.size()));
            out += line.size();
            *out++ = '\r';
            *out++ = '\n';
        }
    return text;
}

Saved LineList::Save(const QString &path, const Progress &progress, TextWriter write) const
{
    return writeWholeFile(path, joined(), progress, write);
}
