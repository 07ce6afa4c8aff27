// The spreadsheet import and export at full size. Each case runs beside its
// floor, the least any checked conversion of the same text does: the file
// read and its characters decoded once (import), or the lines decoded once and
// the text written and synced (export).
#include "Measure.h"
#include "QuestionFile.h"
#include "app/Exceptions.h"
#include "app/Sjis.h"
#include "data/FileAccess.h"
#include "data/LineList.h"
#include "data/QuestionCsv.h"
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {
QString folder;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The question lines after the header block, as a line list joins them.
QByteArray recordsOf(const QList<QByteArray> &lines)
{
    return questionFile(lines.mid(7));
}

double readAndDecode(const QString &path, const char *codec)
{
    return secondsOf([&] {
        QStringDecoder decoder(codec);
        benchmark::DoNotOptimize(QString(decoder(readRegularFile(path))));
    });
}

// An import as the editor makes it; `fails` when the file holds a fault.
void import(benchmark::State &state, const QString &path, const char *codec, bool fails)
{
    paired(
        state,
        [&] {
            return secondsOf([&] {
                try {
                    benchmark::DoNotOptimize(recordsFromCsv(readRegularFile(path)));
                    if (fails)
                        state.SkipWithError("the fault was not found");
                } catch (const Exception &) {
                    if (!fails)
                        state.SkipWithError("the import failed");
                }
            });
        },
        [&] { return readAndDecode(path, codec); });
}

// An export as the editor makes it: the records out of the list, the CSV, the
// file written.
void exportCsv(benchmark::State &state, const QList<QByteArray> &lines)
{
    const LineList list = LineList::split(questionFile(lines));
    const QString path = folder + u"/export.csv"_s;
    paired(
        state,
        [&] {
            return secondsOf([&] {
                LineList records = list;
                for (int k = 0; k < 7; ++k)
                    records.Delete(0);
                writeWholeFile(path, csvFromRecords(records.joined()));
            });
        },
        [&] {
            return secondsOf([&] {
                writeWholeFile(path, fromSjis(list.joined()).toUtf8());
            });
        });
}

// Rows of seven short fields, about 50 bytes each: many rows for their size.
QList<QByteArray> shortRows(int rows)
{
    QList<QByteArray> lines(7, "h");
    for (int r = 0; r < rows; ++r)
        for (const char *field : {"n", "q", "a", "b", "c", "d", "e"})
            lines << field + QByteArray::number(r) + toSjis(u"です"_s);
    return lines;
}
} // namespace

int main(int argc, char **argv)
{
    if (!startBenchmarks(argc, argv))
        return 1;
    QTemporaryDir dir;
    folder = dir.path();

    // A smoke run's files are a thousand times smaller.
    const qsizetype unit = smoke ? 1024 : 1024 * 1024;
    const int million = smoke ? 1000 : 1000000;
    const QList<QByteArray> large = questionLines(100 * unit), many = shortRows(million);
    struct File {
        std::string name;
        QList<QByteArray> lines;
    };
    for (const File &file : {File{"100MB", large}, File{"1M-rows", many}}) {
        const QByteArray utf8 = csvFromRecords(recordsOf(file.lines));
        const QByteArray sjis = toSjis(QString::fromUtf8(utf8.sliced(3)));
        const QString name = QString::fromStdString(file.name);
        writeFile(folder + u"/%1.csv"_s.arg(name), sjis);
        set(benchmark::RegisterBenchmark(("csv/import/" + file.name).c_str(), import,
                                         folder + u"/%1.csv"_s.arg(name), "windows-31j", false), 5);
        set(benchmark::RegisterBenchmark(("csv/export/" + file.name).c_str(), exportCsv, file.lines), 5);
        if (file.name != "100MB")
            continue;
        writeFile(folder + u"/utf8.csv"_s, utf8);
        set(benchmark::RegisterBenchmark("csv/import/100MB-UTF-8", import, folder + u"/utf8.csv"_s, "UTF-8", false), 5);
        writeFile(folder + u"/bad.csv"_s, sjis + "x,\x82\x20");
        set(benchmark::RegisterBenchmark("csv/import/100MB-bad-byte-at-end", import, folder + u"/bad.csv"_s,
                                         "windows-31j", true), 5);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
