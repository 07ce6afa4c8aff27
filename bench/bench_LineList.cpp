// The line list's benchmarks. Each case runs beside its floor, the same work
// done by hand with the least the system allows, in the same container type:
// in turn, once each per iteration, so that both meet the same moment's noise.
#include "Measure.h"
#include "QuestionFile.h"
#include "data/LineList.h"
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {
QString folder;
constexpr qsizetype blockLines = LineList::blockLines;

// ---- the floors, by hand ------------------------------------------------------

// The list's storage, by hand: blocks of at most blockLines lines, each with
// its lines' bytes one after another in one buffer and where each line ends.
struct Block {
    QByteArray bytes;
    std::vector<qsizetype> ends;
};
using Blocks = std::vector<Block>;

qsizetype startOf(const Block &block, qsizetype i)
{
    return i ? block.ends[size_t(i - 1)] : 0;
}

// One read() of the whole file into a buffer of its size, split at each LF by
// memchr into blocks as full as the list keeps them, each block's buffer made
// at its exact size once its lines are found.
Blocks loadByHand(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    fstat(fd, &info);
    const size_t size = size_t(info.st_size);
    const std::unique_ptr<char[]> text(new char[size]);
    size_t got = 0;
    for (ssize_t n; got < size && (n = ::read(fd, text.get() + got, size - got)) > 0;)
        got += size_t(n);
    ::close(fd);
    Blocks blocks;
    std::vector<const char *> from(static_cast<size_t>(blockLines));
    for (const char *at = text.get(), *end = at + got; at < end;) {
        Block &block = blocks.emplace_back();
        qsizetype bytes = 0;
        for (; qsizetype(block.ends.size()) < blockLines && at < end;) {
            const void *found = std::memchr(at, '\n', size_t(end - at));
            const char *lf = found ? static_cast<const char *>(found) : end;
            const char *stop = lf > at && lf[-1] == '\r' ? lf - 1 : lf;
            from[block.ends.size()] = at;
            block.ends.push_back(bytes += stop - at);
            at = lf + 1;
        }
        block.bytes = QByteArray(bytes, Qt::Uninitialized);
        for (qsizetype i = 0; i < qsizetype(block.ends.size()); ++i)
            std::memcpy(block.bytes.data() + startOf(block, i), from[size_t(i)],
                        size_t(block.ends[size_t(i)] - startOf(block, i)));
    }
    return blocks;
}

// Every line and CR LF, in one buffer.
QByteArray textByHand(const Blocks &blocks)
{
    qsizetype size = 0;
    for (const Block &block : blocks)
        size += block.bytes.size() + 2 * qsizetype(block.ends.size());
    QByteArray text(size, Qt::Uninitialized);
    char *out = text.data();
    for (const Block &block : blocks)
        for (qsizetype i = 0; i < qsizetype(block.ends.size()); ++i) {
            const qsizetype start = startOf(block, i), length = block.ends[size_t(i)] - start;
            std::memcpy(out, block.bytes.constData() + start, size_t(length));
            out += length;
            *out++ = '\r';
            *out++ = '\n';
        }
    return text;
}

void writeAll(int fd, const QByteArray &text)
{
    for (qsizetype put = 0; put < text.size();) {
        const ssize_t n = ::write(fd, text.constData() + put, size_t(text.size() - put));
        if (n <= 0)
            break;
        put += n;
    }
}

// The text written over the old file in place, without a sync: what a save
// costs that gives up keeping the old file whole.
void saveInPlace(const Blocks &blocks, const QString &path)
{
    const QByteArray text = textByHand(blocks);
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    writeAll(fd, text);
    ::close(fd);
}

// The text written to a new file beside the old one, synced, and renamed
// over it: the least a save costs that never leaves the old file half written.
void saveByHand(const Blocks &blocks, const QString &path)
{
    const QByteArray text = textByHand(blocks);
    const QByteArray target = QFile::encodeName(path), temporary = target + ".new";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    writeAll(fd, text);
    ::fdatasync(fd);
    ::close(fd);
    ::rename(temporary.constData(), target.constData());
}

bool same(const LineList &a, const LineList &b)
{
    return a.Count() == b.Count() && a.joined() == b.joined();
}

bool same(const LineList &list, const Blocks &blocks)
{
    qsizetype lines = 0;
    for (const Block &block : blocks)
        lines += qsizetype(block.ends.size());
    return list.Count() == lines && list.joined() == textByHand(blocks);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// ---- load and save -------------------------------------------------------------

// The previous load's lines are freed before each timing, so that both sides
// start from the same heap.
void load(benchmark::State &state, const QString &path)
{
    LineList list;
    Blocks blocks;
    paired(state, [&] {
        list = LineList();
        return secondsOf([&] { list.Load(path); });
    }, [&] {
        blocks = Blocks();
        return secondsOf([&] { blocks = loadByHand(path); });
    });
    if (!same(list, blocks))
        state.SkipWithError("Load and the floor read different lines");
    state.counters["bytes_per_line"] = double(QFile(path).size()) / list.Count();
}

// The floor is the same durable replace by hand; writing in place without a
// sync is the counter "in_place", for comparison.
void save(benchmark::State &state, const QString &path)
{
    LineList list;
    list.Load(path);
    const Blocks blocks = loadByHand(path);
    const QString saved = folder + u"/saved.dat"_s, savedByHand = folder + u"/saved-by-hand.dat"_s,
                  inPlace = folder + u"/saved-in-place.dat"_s;
    // Each save starts with everything written before on the disk, as a save
    // does that the learner makes now and then; otherwise it would wait for
    // the last one's text to reach the disk before that file can go.
    double inPlaceSeconds = 0;
    paired(state, [&] { sync(); return secondsOf([&] { list.Save(saved); }); }, [&] {
        sync();
        inPlaceSeconds += secondsOf([&] { saveInPlace(blocks, inPlace); });
        sync();
        return secondsOf([&] { saveByHand(blocks, savedByHand); });
    });
    state.counters["in_place"] = inPlaceSeconds / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    const QByteArray original = readAll(path);
    if (readAll(saved) != original || readAll(savedByHand) != original || readAll(inPlace) != original)
        state.SkipWithError("a save wrote other bytes than the file loaded");
}

// ---- memory --------------------------------------------------------------------

// In a fresh process: loads the file and prints the line count and the memory
// before, after and at the peak of the load.
int loadMemoryChild(const char *path)
{
    const Memory before = memory();
    resetPeak();
    LineList list;
    list.Load(QString::fromLocal8Bit(path));
    const Memory after = memory();
    std::printf("%d %lld %lld %lld\n", list.Count(), (long long)before.resident, (long long)after.resident,
                (long long)after.peak);
    return 0;
}

// The memory the loaded list holds, "held", and the highest during the load,
// "peak", each beside the file's size, "file".
void loadMemory(benchmark::State &state, const QString &path)
{
    long long lines = 0, before = 0, after = 0, peak = 0;
    for (auto _ : state) {
        const std::string printed = runSelf({"--load-memory", QFile::encodeName(path).toStdString()});
        if (std::sscanf(printed.c_str(), "%lld %lld %lld %lld", &lines, &before, &after, &peak) != 4) {
            state.SkipWithError("the measuring process failed");
            break;
        }
    }
    state.counters["held"] = double(after - before);
    state.counters["peak"] = double(peak - before);
    state.counters["file"] = double(QFile(path).size());
    state.counters["per_line"] = double(after - before) / double(std::max(lines, 1LL));
}

// ---- memorise and add ----------------------------------------------------------

// A list of a header and `records` records, and the same lines in blocks
// laid out as the list lays them out when it loads them.
struct Records {
    LineList list;
    Blocks blocks;
};
Records records(int records)
{
    // Distinct lines enough to be realistic, shared by many records.
    const QList<QByteArray> lines = questionLines(1 << 20);
    Records r;
    for (int i = 0; i < 7 * (records + 1); ++i) {
        const QByteArray &line = lines[i % lines.size()];
        r.list.Add(line);
        if (r.blocks.empty() || qsizetype(r.blocks.back().ends.size()) == blockLines)
            r.blocks.emplace_back().ends.reserve(size_t(blockLines));
        Block &block = r.blocks.back();
        block.bytes += line;
        block.ends.push_back(block.bytes.size());
    }
    return r;
}

int recordCount()
{
    return smoke ? 1000 : 1000000;
}

// The record's lines go back from the end to `at`.
void putBack(LineList &list, int at)
{
    QList<QByteArray> seven;
    for (int i = list.Count() - 7; i < list.Count(); ++i)
        seven << list.Get(i);
    for (int k = 0; k < 7; ++k)
        list.Delete(list.Count() - 1);
    list.InsertBlock(at, seven);
}

int recordAt(const char *where)
{
    const int last = recordCount();
    return 7 * (std::strcmp(where, "first") == 0 ? 1 : std::strcmp(where, "middle") == 0 ? last / 2 : last);
}

// Checks, after the timing, that the undo left the list as it was and that
// the operation does what its single steps do.
template <class Steps, class Operation>
void check(benchmark::State &state, Records &r, Steps steps, Operation operation)
{
    if (!same(r.list, r.blocks)) {
        state.SkipWithError("the undo did not restore the list");
        return;
    }
    LineList bySteps = r.list;
    steps(bySteps);
    operation(r.list);
    if (!same(r.list, bySteps))
        state.SkipWithError("the operation and its single steps differ");
}

void memoriseSteps(LineList &list, int at)
{
    for (int k = 0; k < 7; ++k) {
        list.Add(list.Get(at));
        list.Delete(at);
    }
}

// The `n` lines at `from` of `source` copied in before line `to` of `target`,
// by hand: one gap opened in its buffer and in its ends.
void copyLines(const Block &source, qsizetype from, qsizetype n, Block &target, qsizetype to)
{
    const qsizetype start = startOf(source, from), length = source.ends[size_t(from + n - 1)] - start;
    const qsizetype at = startOf(target, to);
    target.bytes.insert(at, QByteArrayView(source.bytes).sliced(start, length));
    target.ends.insert(target.ends.begin() + to, source.ends.begin() + from, source.ends.begin() + from + n);
    for (qsizetype i = to; i < to + n; ++i)
        target.ends[size_t(i)] += at - start;
    for (size_t i = size_t(to + n); i < target.ends.size(); ++i)
        target.ends[i] += length;
}

// The `n` lines at `from` taken out of `block`, by hand.
void eraseLines(Block &block, qsizetype from, qsizetype n)
{
    const qsizetype start = startOf(block, from), length = block.ends[size_t(from + n - 1)] - start;
    block.bytes.remove(start, length);
    block.ends.erase(block.ends.begin() + from, block.ends.begin() + from + n);
    for (size_t i = size_t(from); i < block.ends.size(); ++i)
        block.ends[i] -= length;
}

// The floor of memorise: the seven lines copied onto the end of the last
// block and taken out of theirs; then put back, untimed. Lines that are at the
// end already stay.
double moveByHand(Blocks &blocks, qsizetype at)
{
    Block &from = blocks[size_t(at / blockLines)];
    Block &last = blocks.back();
    const qsizetype offset = at % blockLines;
    if (&from == &last && offset + 7 == qsizetype(last.ends.size()))
        return secondsOf([] {});
    const double seconds = secondsOf([&] {
        copyLines(from, offset, 7, last, qsizetype(last.ends.size()));
        eraseLines(from, offset, 7);
    });
    copyLines(last, qsizetype(last.ends.size()) - 7, 7, from, offset);
    eraseLines(last, qsizetype(last.ends.size()) - 7, 7);
    return seconds;
}

// Memorising `where`, done by `move` on the list and put back, beside the
// floor. The record lies within one block of the floor's.
template <class Move>
void memoriseBy(benchmark::State &state, Records &r, int at, Move move)
{
    if (at % blockLines + 7 > blockLines)
        state.SkipWithError("the record spans two blocks");
    else
        paired(state, [&] {
            const double seconds = secondsOf([&] { move(r.list); });
            putBack(r.list, at);
            return seconds;
        }, [&] { return moveByHand(r.blocks, at); });
}

void memorise(benchmark::State &state, const char *where)
{
    Records r = records(recordCount());
    const int at = recordAt(where);
    memoriseBy(state, r, at, [&](LineList &list) { list.MoveToEnd(at, 7); });
    check(state, r, [&](LineList &list) { memoriseSteps(list, at); },
          [&](LineList &list) { list.MoveToEnd(at, 7); });
}

// Memorising as seven single steps, for comparison.
void memoriseBySteps(benchmark::State &state)
{
    Records r = records(recordCount());
    const int at = recordAt("first");
    memoriseBy(state, r, at, [&](LineList &list) { memoriseSteps(list, at); });
}

// One std::rotate in one contiguous array, for comparison: what memorising
// at the first record costs without blocks.
void memoriseContiguous(benchmark::State &state)
{
    Records r = records(recordCount());
    QList<QByteArray> lines;
    for (int i = 0; i < r.list.Count(); ++i)
        lines << r.list.Get(i);
    const auto first = lines.begin() + 7;
    paired(state, [&] {
        const double seconds = secondsOf([&] { std::rotate(first, first + 7, lines.end()); });
        std::rotate(first, lines.end() - 7, lines.end());
        return seconds;
    }, [&] { return moveByHand(r.blocks, 7); });
}

QList<QByteArray> newRecord()
{
    return {"adj", "fast", "fast", "slow", "late", "early", "fast, faster, fastest"};
}

void addSteps(LineList &list, const QList<QByteArray> &added)
{
    for (int k = 0; k < 7; ++k)
        list.Insert(7 + k, added[k]);
}

// The floor of the editor's add: one seven-line gap opened at line 7 of the
// first block and filled; then closed, untimed.
double gapByHand(Blocks &blocks, const Block &added)
{
    Block &first = blocks.front();
    const double seconds = secondsOf([&] { copyLines(added, 0, 7, first, 7); });
    eraseLines(first, 7, 7);
    return seconds;
}

// The editor's add, done by `add` on the list and taken back, beside the floor.
template <class Add>
void addBy(benchmark::State &state, Records &r, const QList<QByteArray> &added, Add add)
{
    Block byHand;
    for (const QByteArray &line : added) {
        byHand.bytes += line;
        byHand.ends.push_back(byHand.bytes.size());
    }
    paired(state, [&] {
        const double seconds = secondsOf([&] { add(r.list); });
        r.list.MoveToEnd(7, 7);
        for (int k = 0; k < 7; ++k)
            r.list.Delete(r.list.Count() - 1);
        return seconds;
    }, [&] { return gapByHand(r.blocks, byHand); });
}

// The editor's add: seven lines at line 7.
void add(benchmark::State &state)
{
    Records r = records(recordCount());
    const QList<QByteArray> added = newRecord();
    addBy(state, r, added, [&](LineList &list) { list.InsertBlock(7, added); });
    check(state, r, [&](LineList &list) { addSteps(list, added); },
          [&](LineList &list) { list.InsertBlock(7, added); });
}

// The editor's add as seven single inserts, for comparison.
void addBySteps(benchmark::State &state)
{
    Records r = records(recordCount());
    const QList<QByteArray> added = newRecord();
    addBy(state, r, added, [&](LineList &list) { addSteps(list, added); });
}

// ---- registration --------------------------------------------------------------

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--load-memory") == 0)
        return loadMemoryChild(argv[2]);
    if (!startBenchmarks(argc, argv))
        return 1;
    QTemporaryDir dir;
    folder = dir.path();

    // Names give the sizes of a full run; a smoke run's files are a thousand
    // times smaller. Saves sync the disk first, so they run a fixed number of
    // times.
    const qsizetype unit = smoke ? 1024 : 1024 * 1024;
    QString largest;
    for (const auto &[megabytes, saves] : {std::pair{1, 100}, {10, 30}, {100, 5}}) {
        const QString path = folder + u"/%1MB.dat"_s.arg(megabytes);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(questionFile(questionLines(megabytes * unit))) < 0)
            return 1;
        largest = path;
        const std::string size = std::to_string(megabytes) + "MB";
        auto *loading = set(benchmark::RegisterBenchmark(("load/" + size).c_str(), load, path));
        // A load of 100 MB takes a tenth of a second: enough of them to be steady.
        if (!smoke && megabytes == 100)
            loading->MinTime(3);
        set(benchmark::RegisterBenchmark(("save/" + size).c_str(), save, path), saves);
    }
    set(benchmark::RegisterBenchmark("memory/100MB", loadMemory, largest), 1)->Repetitions(1);

    for (const char *where : {"first", "middle", "last"})
        set(benchmark::RegisterBenchmark((std::string("memorise/") + where).c_str(), memorise, where), 20000);
    set(benchmark::RegisterBenchmark("memorise/first/steps", memoriseBySteps), 20000);
    set(benchmark::RegisterBenchmark("memorise/first/contiguous", memoriseContiguous), 5);
    set(benchmark::RegisterBenchmark("add", add), 20000);
    set(benchmark::RegisterBenchmark("add/steps", addBySteps), 20000);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
