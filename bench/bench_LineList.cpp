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
using Block = LineList::Block;
using Blocks = std::vector<Block>;

namespace {
QString folder;

// ---- the floors, by hand ------------------------------------------------------

// One read() of the whole file, split at each LF by memchr into blocks as
// full as the list keeps them.
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
    for (const char *at = text.get(), *end = at + got; at < end;) {
        const void *found = std::memchr(at, '\n', size_t(end - at));
        const char *lf = found ? static_cast<const char *>(found) : end;
        const char *stop = lf > at && lf[-1] == '\r' ? lf - 1 : lf;
        if (blocks.empty() || qsizetype(blocks.back().size()) == LineList::blockLines)
            blocks.emplace_back().reserve(size_t(LineList::blockLines));
        blocks.back().emplace_back(at, stop - at);
        at = lf + 1;
    }
    return blocks;
}

// One buffer of every line and CR LF, and one write() of it.
void saveByHand(const Blocks &blocks, const QString &path)
{
    size_t size = 0;
    for (const Block &block : blocks)
        for (const QByteArray &line : block)
            size += size_t(line.size()) + 2;
    const std::unique_ptr<char[]> text(new char[size]);
    char *out = text.get();
    for (const Block &block : blocks)
        for (const QByteArray &line : block) {
            std::memcpy(out, line.constData(), size_t(line.size()));
            out += line.size();
            *out++ = '\r';
            *out++ = '\n';
        }
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    for (size_t put = 0; ssize_t n = put < size ? ::write(fd, text.get() + put, size - put) : 0;)
        put += size_t(std::max<ssize_t>(n, 0));
    ::close(fd);
}

bool same(const LineList &a, const LineList &b)
{
    if (a.Count() != b.Count())
        return false;
    for (int i = 0; i < a.Count(); ++i)
        if (a.Get(i) != b.Get(i))
            return false;
    return true;
}

bool same(const LineList &list, const Blocks &blocks)
{
    int i = 0;
    for (const Block &block : blocks)
        for (const QByteArray &line : block)
            if (i >= list.Count() || list.Get(i++) != line)
                return false;
    return i == list.Count();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// ---- load and save -------------------------------------------------------------

void load(benchmark::State &state, const QString &path)
{
    LineList list;
    Blocks blocks;
    paired(state, [&] { return secondsOf([&] { list.Load(path); }); },
           [&] { return secondsOf([&] { blocks = loadByHand(path); }); });
    if (!same(list, blocks))
        state.SkipWithError("Load and the floor read different lines");
    state.counters["bytes_per_line"] = double(QFile(path).size()) / list.Count();
}

void save(benchmark::State &state, const QString &path)
{
    LineList list;
    list.Load(path);
    const Blocks blocks = loadByHand(path);
    const QString saved = folder + u"/saved.dat"_s, savedByHand = folder + u"/saved-by-hand.dat"_s;
    // Each save starts with everything written before on the disk, as a save
    // does that the learner makes now and then; otherwise it would wait for
    // the last one's text to reach the disk before that file can go.
    paired(state, [&] { sync(); return secondsOf([&] { list.Save(saved); }); },
           [&] { sync(); return secondsOf([&] { saveByHand(blocks, savedByHand); }); });
    if (readAll(saved) != readAll(path) || readAll(savedByHand) != readAll(path))
        state.SkipWithError("a save wrote other bytes than the file loaded");
}

// ---- memory --------------------------------------------------------------------

// What the allocator hands out for `n` bytes: glibc's chunk, with its header,
// rounded up to 16 bytes.
qint64 chunk(qint64 n)
{
    return std::max<qint64>(32, (n + 8 + 15) & ~qint64(15));
}

// In a fresh process: loads the file and prints the line count, the memory
// before, after and at the peak of the load, and what the list must cost.
int loadMemoryChild(const char *path)
{
    const Memory before = memory();
    resetPeak();
    LineList list;
    list.Load(QString::fromLocal8Bit(path));
    const Memory after = memory();
    // Each line: its bytes with the array header and the terminating 0x00 (an
    // empty line allocates nothing); each block: its array of the lines'
    // places, and its start in the index.
    qint64 own = 0;
    for (int i = 0; i < list.Count(); ++i) {
        const qint64 length = list.Get(i).size();
        own += length ? chunk(qint64(sizeof(QArrayData)) + length + 1) : 0;
    }
    const qint64 blocks = (list.Count() + LineList::blockLines - 1) / LineList::blockLines;
    own += blocks * (qint64(sizeof(Block)) + chunk(LineList::blockLines * qint64(sizeof(QByteArray))) + qint64(sizeof(int)));
    std::printf("%d %lld %lld %lld %lld\n", list.Count(), (long long)before.resident,
                (long long)after.resident, (long long)after.peak, (long long)own);
    return 0;
}

void loadMemory(benchmark::State &state, const QString &path)
{
    long long lines = 0, before = 0, after = 0, peak = 0, own = 0;
    for (auto _ : state) {
        const std::string printed = runSelf({"--load-memory", QFile::encodeName(path).toStdString()});
        if (std::sscanf(printed.c_str(), "%lld %lld %lld %lld %lld", &lines, &before, &after, &peak, &own) != 5) {
            state.SkipWithError("the measuring process failed");
            break;
        }
    }
    if (state.error_occurred())
        return;
    const double list = double(after - before);
    state.counters["per_line"] = list / double(lines);
    state.counters["own_per_line"] = double(own) / double(lines);
    state.counters["peak"] = double(peak - before);
    state.counters["file_plus_list"] = double(QFile(path).size()) + list;
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
        if (r.blocks.empty() || qsizetype(r.blocks.back().size()) == LineList::blockLines)
            r.blocks.emplace_back().reserve(size_t(LineList::blockLines));
        r.blocks.back().push_back(line);
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

// The floor of memorise: the seven lines taken out of their block and put at
// the end of the last one, which in blocks is what one std::rotate of them to
// the end amounts to; then put back, untimed.
double moveByHand(Blocks &blocks, qsizetype at)
{
    Block &from = blocks[size_t(at / LineList::blockLines)];
    Block &last = blocks.back();
    const auto first = from.begin() + at % LineList::blockLines;
    if (&from == &last) {
        const double seconds = secondsOf([&] { std::rotate(first, first + 7, last.end()); });
        std::rotate(first, last.end() - 7, last.end());
        return seconds;
    }
    const double seconds = secondsOf([&] {
        last.insert(last.end(), std::make_move_iterator(first), std::make_move_iterator(first + 7));
        from.erase(first, first + 7);
    });
    const auto back = from.begin() + at % LineList::blockLines;
    from.insert(back, std::make_move_iterator(last.end() - 7), std::make_move_iterator(last.end()));
    last.erase(last.end() - 7, last.end());
    return seconds;
}

// Memorising `where`, done by `move` on the list and put back, beside the
// floor. The record lies within one block of the floor's.
template <class Move>
void memoriseBy(benchmark::State &state, Records &r, int at, Move move)
{
    if (at % LineList::blockLines + 7 > LineList::blockLines)
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
    for (const Block &block : r.blocks)
        lines.append(QList<QByteArray>(block.begin(), block.end()));
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
double gapByHand(Blocks &blocks, const QList<QByteArray> &added)
{
    Block &first = blocks.front();
    const double seconds = secondsOf([&] { first.insert(first.begin() + 7, added.begin(), added.end()); });
    first.erase(first.begin() + 7, first.begin() + 14);
    return seconds;
}

// The editor's add, done by `add` on the list and taken back, beside the floor.
template <class Add>
void addBy(benchmark::State &state, Records &r, const QList<QByteArray> &added, Add add)
{
    paired(state, [&] {
        const double seconds = secondsOf([&] { add(r.list); });
        r.list.MoveToEnd(7, 7);
        for (int k = 0; k < 7; ++k)
            r.list.Delete(r.list.Count() - 1);
        return seconds;
    }, [&] { return gapByHand(r.blocks, added); });
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
    smoke = takeSmokeFlag(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
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
        set(benchmark::RegisterBenchmark(("load/" + size).c_str(), load, path));
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
