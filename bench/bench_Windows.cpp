// The windows' benchmarks: start-up to the quiz window's first paint beside a
// bare window, and opening a file in the quiz window beside loading it. Each
// case and its floor run in turn, once each per iteration, so that both meet
// the same moment's noise.
#include "Measure.h"
#include "QuestionFile.h"
#include "ScriptedToolkit.h"
#include "app/Controls.h"
#include "app/Sjis.h"
#include "app/StartUp.h"
#include "data/LineList.h"
#include "quiz/TForm1.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

// ---- start-up, in a process of its own per run -----------------------------------

// Once the first paint has been flushed, prints the clock, the peak memory and
// the number of widgets, and ends the process on the spot.
class FirstFrame : public QObject {
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            QTimer::singleShot(0, [] {
                std::printf("%lld %lld %lld\n", (long long)monotonicNs(), (long long)memory().peak,
                            (long long)QApplication::allWidgets().size());
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    bool painted = false;
};

// The program as it starts, or the bare window: one QMainWindow with the
// Japanese font and as many widgets as the program makes, all labels.
int firstFrameChild(char *argv0, const char *what, int widgets)
{
    int argc = 1;
    QApplication app(argc, &argv0);
    FirstFrame probe;
    app.installEventFilter(&probe);
    if (std::strcmp(what, "program") == 0) {
        QDir::setCurrent(QStringLiteral(PIRUMO_SAMPLE_DIR));
        return runProgram();
    }
    QMainWindow window;
    window.setFont(japaneseFont(12));
    auto *client = new QWidget(&window);
    window.setCentralWidget(client);
    for (int i = 0; i < widgets - 2; ++i) {
        auto *label = new QLabel(u"問題%1"_s.arg(i), client);
        label->move(8 + i % 8 * 54, 8 + i / 8 * 18);
    }
    window.resize(440, 24 + (widgets / 8 + 1) * 18);
    window.show();
    return app.exec();
}

// One start-up: the time from just before its process is made to its first
// paint, the peak memory by then, and the number of widgets made.
struct Frame {
    qint64 elapsedNs = 0, peak = 0, widgets = 0;
};

std::optional<Frame> startOnce(const char *what, qint64 widgets)
{
    const qint64 start = monotonicNs();
    const std::string printed = runSelf({"--first-frame", what, std::to_string(widgets)});
    long long ns = 0, peak = 0, count = 0;
    if (std::sscanf(printed.c_str(), "%lld %lld %lld", &ns, &peak, &count) != 3)
        return std::nullopt;
    return Frame{ns - start, peak, count};
}

// How many widgets the program has made by its first paint.
qint64 programWidgets()
{
    static const qint64 widgets = [] {
        const auto f = startOnce("program", 0);
        return f ? f->widgets : 0;
    }();
    return widgets;
}

// The case's time is the benchmark's, the floor's its counter "floor";
// likewise the peak memory, "peak" and "floor_peak".
void startUp(benchmark::State &state)
{
    const qint64 widgets = programWidgets();
    if (widgets == 0) {
        state.SkipWithError("the program did not start");
        return;
    }
    double floor = 0, peak = 0, floorPeak = 0;
    for (auto _ : state) {
        const auto program = startOnce("program", widgets);
        const auto bare = startOnce("bare", widgets);
        if (!program || !bare || program->widgets != widgets || bare->widgets != widgets) {
            state.SkipWithError("no first paint, or another number of widgets");
            break;
        }
        state.SetIterationTime(double(program->elapsedNs) / 1e9);
        floor += double(bare->elapsedNs) / 1e9;
        peak += double(program->peak);
        floorPeak += double(bare->peak);
    }
    const double runs = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["floor"] = floor / runs;
    state.counters["peak"] = peak / runs;
    state.counters["floor_peak"] = floorPeak / runs;
    state.counters["widgets"] = double(widgets);
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

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--first-frame") == 0)
        return firstFrameChild(argv[0], argv[2], std::atoi(argv[3]));
    smoke = takeSmokeFlag(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    QTemporaryDir dir;
    questionPath = dir.filePath(u"10MB.dat"_s);
    const QList<QByteArray> lines = questionLines(10 * (smoke ? 1024 : 1024 * 1024));
    firstQuestion = lines[8];
    QFile file(questionPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(questionFile(lines)) < 0)
        return 1;
    file.close();

    longLinePath = dir.filePath(u"10MB-line.dat"_s);
    QList<QByteArray> longLine = questionLines(1);
    longLine[8] = QByteArray(10 * (smoke ? 1024 : 1024 * 1024), 'a');
    for (qsizetype i = 0; i < longLine[8].size(); ++i)
        longLine[8][i] = char('a' + i % 26);
    QFile longFile(longLinePath);
    if (!longFile.open(QIODevice::WriteOnly) || longFile.write(questionFile(longLine)) < 0)
        return 1;
    longFile.close();

    set(benchmark::RegisterBenchmark("startup", startUp), 30);
    set(benchmark::RegisterBenchmark("open/10MB", openInQuizWindow));
    set(benchmark::RegisterBenchmark("open/10MB-line", openLongLine));

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
