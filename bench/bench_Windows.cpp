// The windows' benchmarks: start-up to the quiz window's first paint beside a
// bare window, opening a file in the quiz window beside loading it, and the
// whole program's memory with a large file open in both windows. Each
// case and its floor run in turn, once each per iteration, so that both meet
// the same moment's noise.
#include "Measure.h"
#include "QuestionFile.h"
#include "ScriptedToolkit.h"
#include "app/QtToolkit.h"
#include "app/WaveHeader.h"
#include "app/Sjis.h"
#include "data/LineList.h"
#include "editor/TForm2.h"
#include "quiz/TForm1.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

// ---- start-up, in a process of its own per run -----------------------------------

// One start-up: the time from just before its process is made to its first
// paint and to the moment it is ready, the peak memory by the first paint,
// and the number of widgets made by then.
struct Frame {
    qint64 paintNs = 0, readyNs = 0, peak = 0, widgets = 0;
};

std::optional<Frame> startOnce(const char *program, const char *platform)
{
    const qint64 start = monotonicNs();
    const std::string printed = runChild(program, {platform});
    long long painted = 0, peak = 0, widgets = 0, ready = 0;
    if (std::sscanf(printed.c_str(), "%lld %lld %lld %lld", &painted, &peak, &widgets, &ready) != 4)
        return std::nullopt;
    return Frame{painted - start, ready - start, peak, widgets};
}

// The program beside the bare window, each first every other time. The
// case's time is the benchmark's, the floor's its counter "floor"; "ready" is
// when the program has made the editor and the about box; likewise the peak
// memory, "peak" and "floor_peak".
void startUp(benchmark::State &state, const char *platform)
{
    if (std::strcmp(platform, "xcb") == 0 && qEnvironmentVariableIsEmpty("DISPLAY")) {
        state.SkipWithError("no X display: run under xvfb-run");
        return;
    }
    double floor = 0, ready = 0, peak = 0, floorPeak = 0, widgets = 0, floorWidgets = 0;
    bool programFirst = true;
    for (auto _ : state) {
        std::optional<Frame> program, bare;
        if (programFirst)
            program = startOnce(STARTED_PROGRAM, platform), bare = startOnce(BARE_WINDOW, platform);
        else
            bare = startOnce(BARE_WINDOW, platform), program = startOnce(STARTED_PROGRAM, platform);
        programFirst = !programFirst;
        if (!program || !bare) {
            state.SkipWithError("a start-up did not paint");
            break;
        }
        state.SetIterationTime(double(program->paintNs) / 1e9);
        floor += double(bare->paintNs) / 1e9;
        ready += double(program->readyNs) / 1e9;
        peak += double(program->peak);
        floorPeak += double(bare->peak);
        widgets = double(program->widgets);
        floorWidgets = double(bare->widgets);
    }
    const double runs = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["floor"] = floor / runs;
    state.counters["ready"] = ready / runs;
    state.counters["peak"] = peak / runs;
    state.counters["floor_peak"] = floorPeak / runs;
    state.counters["widgets"] = widgets;
    state.counters["floor_widgets"] = floorWidgets;
}

// ---- the whole program with a file open in both windows ------------------------

// In a fresh process: the quiz window and the editor, shown, each with the
// file opened through its own command; prints the resident memory then.
int bothWindowsChild(char *argv0, const char *path)
{
    int argc = 1;
    QApplication app(argc, &argv0);
    QDir::setCurrent(QStringLiteral(PIRUMO_SAMPLE_DIR));
    ScriptedToolkit tk;
    TForm1 quiz(tk);
    TForm2 editor(tk);
    quiz.show();
    editor.show();
    tk.paths.push_back(QString::fromLocal8Bit(path));
    quiz.findChild<QPushButton *>(u"Yomikomi"_s)->click();
    tk.paths.push_back(QString::fromLocal8Bit(path));
    editor.findChild<QAction *>(u"Open1"_s)->trigger();
    QApplication::processEvents();
    if (!tk.errors.isEmpty() || !tk.paths.empty())
        return 1;
    std::printf("%lld\n", (long long)memory().resident);
    return 0;
}

// The case's figure is the counter "resident", beside "files": the file's size
// twice, one copy for each window's list.
void bothWindows(benchmark::State &state, const QString &path)
{
    long long resident = 0;
    for (auto _ : state) {
        const std::string printed = runSelf({"--both-windows", QFile::encodeName(path).toStdString()});
        if (std::sscanf(printed.c_str(), "%lld", &resident) != 1) {
            state.SkipWithError("the measuring process failed");
            break;
        }
    }
    state.counters["resident"] = double(resident);
    state.counters["files"] = 2.0 * double(QFile(path).size());
}

// ---- opening a file in the quiz window -------------------------------------------

QString questionPath;
QByteArray firstQuestion;

void openInQuizWindow(benchmark::State &state)
{
    QDir::setCurrent(QStringLiteral(PIRUMO_SAMPLE_DIR));
    ScriptedToolkit tk;
    TForm1 form(tk);
    auto *open = form.findChild<QPushButton *>(u"Yomikomi"_s);
    LineList list;
    paired(state, [&] {
        tk.paths.push_back(questionPath);
        return secondsOf([&] { open->click(); });
    }, [&] { return secondsOf([&] { list.Load(questionPath); }); });
    if (!tk.errors.isEmpty() || form.findChild<QPlainTextEdit *>(u"Memo1"_s)->toPlainText() != fromSjis(firstQuestion))
        state.SkipWithError("question 1 is not shown");
}

// ---- a question of one 10 MB line --------------------------------------------------

QString longLinePath;

// Opening a file whose first question is one 10 MB line without blanks, beside
// opening the 10 MB file of ordinary lines, each up to question 1 painted.
void openLongLine(benchmark::State &state)
{
    QDir::setCurrent(QStringLiteral(PIRUMO_SAMPLE_DIR));
    ScriptedToolkit tk;
    TForm1 form(tk);
    form.show();
    auto *open = form.findChild<QPushButton *>(u"Yomikomi"_s);
    const auto openAndPaint = [&](const QString &path) {
        tk.paths.push_back(path);
        return secondsOf([&] {
            open->click();
            form.repaint();
        });
    };
    paired(state, [&] { return openAndPaint(longLinePath); }, [&] { return openAndPaint(questionPath); });
    openAndPaint(longLinePath);
    if (!tk.errors.isEmpty() || !form.findChild<QPlainTextEdit *>(u"Memo1"_s)->toPlainText().startsWith(u"abcdefghij"_s))
        state.SkipWithError("question 1 is not shown");
}

// ---- the first answer's sound ---------------------------------------------------

// In a fresh process: the quiz window with the program's own toolkit, whose
// audio plug-in loads once the window is painted; a file opened, then, a
// second later, the first answer (a wrong one: gotou.wav). Prints the time
// from the press to the handler's return, in nanoseconds.
int firstSoundChild(char *argv0, const char *path)
{
    int argc = 1;
    QApplication app(argc, &argv0);
    QDir::setCurrent(QStringLiteral(PIRUMO_SAMPLE_DIR));
    struct OpenOnly : QtToolkit {
        OpenOnly() : QtToolkit(QStringLiteral(AUDIO_PLUGIN)) {}
        QString file;
        std::optional<QString> fileDialog(QWidget *, DialogKind, const FileDialog &) override { return file; }
    } tk;
    tk.file = QString::fromLocal8Bit(path);
    TForm1 quiz(tk);
    quiz.show();
    tk.canSpeak(); // waits for the audio output, as opening a file does
    quiz.findChild<QPushButton *>(u"Yomikomi"_s)->click();
    QTimer::singleShot(1000, &app, &QApplication::quit);
    QApplication::exec();
    const QString right = quiz.findChild<QLabel *>(u"Label5"_s)->text();
    for (QPushButton *b : quiz.findChildren<QPushButton *>(QRegularExpression(u"^Button[1-4]$"_s))) {
        if (b->text() != right) {
            const qint64 start = monotonicNs();
            b->click();
            std::printf("%lld\n", (long long)(monotonicNs() - start));
            return 0;
        }
    }
    return 1;
}

// The press to the handler's return, beside the sound's own length. Needs a
// sound server (scripts/bench starts one on a null sink).
void firstSound(benchmark::State &state, const QString &path)
{
    const double sound = double(waveDurationMs(QStringLiteral(PIRUMO_SAMPLE_DIR "/gotou.wav"))) / 1000;
    for (auto _ : state) {
        long long ns = 0;
        const std::string printed = runSelf({"--first-sound", QFile::encodeName(path).toStdString()});
        if (std::sscanf(printed.c_str(), "%lld", &ns) != 1) {
            state.SkipWithError("the measuring process failed");
            break;
        }
        if (double(ns) / 1e9 < sound) {
            state.SkipWithError("no sound played: no sound server?");
            break;
        }
        state.SetIterationTime(double(ns) / 1e9);
    }
    state.counters["sound"] = sound;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--both-windows") == 0)
        return bothWindowsChild(argv[0], argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--first-sound") == 0)
        return firstSoundChild(argv[0], argv[2]);
    smoke = takeSmokeFlag(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    QTemporaryDir dir;
    const qsizetype unit = smoke ? 1024 : 1024 * 1024;
    questionPath = dir.filePath(u"10MB.dat"_s);
    const QList<QByteArray> lines = questionLines(10 * unit);
    firstQuestion = lines[8];
    const QString largest = dir.filePath(u"100MB.dat"_s);
    // A file whose first question is one line of 10 MB without a blank.
    longLinePath = dir.filePath(u"10MB-line.dat"_s);
    QList<QByteArray> longLine = questionLines(1);
    longLine[8] = QByteArray(10 * unit, Qt::Uninitialized);
    for (qsizetype i = 0; i < longLine[8].size(); ++i)
        longLine[8][i] = char('a' + i % 26);
    for (const auto &[path, text] : {std::pair{questionPath, questionFile(lines)},
                                     {largest, questionFile(questionLines(100 * unit))},
                                     {longLinePath, questionFile(longLine)}}) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0)
            return 1;
    }

    for (const char *platform : {"offscreen", "xcb"})
        set(benchmark::RegisterBenchmark((std::string("startup/") + platform).c_str(), startUp, platform), 30);
    set(benchmark::RegisterBenchmark("open/10MB", openInQuizWindow));
    set(benchmark::RegisterBenchmark("open/10MB-line", openLongLine));
    set(benchmark::RegisterBenchmark("both-windows/100MB", bothWindows, largest), 1)->Repetitions(1);
    set(benchmark::RegisterBenchmark("first-sound", firstSound, questionPath), 5);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
