#include "records/TRecords.h"
#include "app/BarCharts.h"
#include "app/Controls.h"
#include "app/ErrorDisplay.h"
#include "app/Exceptions.h"
#include "app/Globals.h"
#include "app/Plugins.h"
#include "app/Sjis.h"
#include "data/FileAccess.h"
#include "data/LineList.h"
#include "data/QuestionCsv.h"
#include <QGridLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPluginLoader>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {
const QStringList missedColumns{u"問題文"_s, u"正答"_s, u"間違い"_s, u"最後の解答"_s};

QString number(qint64 n)
{
    return QLocale(QLocale::Japanese).toString(n);
}

// "、正解率 78 %", or nothing before the first answer.
QString accuracy(int right, int answers)
{
    return answers ? u"、正解率 %1 %"_s.arg(qRound(100.0 * right / answers)) : QString();
}

QLabel *label(QWidget *parent, const char *name, const QFont &font, const QColor &color)
{
    auto *l = place<QLabel>(parent, name, 0, 0, 0, 0, {}, font, color);
    l->setWordWrap(true);
    return l;
}
} // namespace

TRecords::TRecords(Toolkit &toolkit, std::function<ProgressStore *()> history,
                   std::function<const LineList &()> lines, const QString &chartsPlugin)
    : tk(toolkit), store(std::move(history)), openLines(std::move(lines)), pluginFile(chartsPlugin)
{
    setObjectName(u"Records"_s);
    setWindowTitle(u"学習の記録"_s);
    setWindowFlag(Qt::Window);
    setFont(japaneseFont(12));
    resize(780, 740);
    const QFont f13b = japaneseFont(13, true), f12 = japaneseFont(12);

    auto *outer = new QVBoxLayout(this);
    Notice = label(this, "Notice", f13b, clMaroon);
    outer->addWidget(Notice);
    Figures = new QWidget(this);
    outer->addWidget(Figures, 1);
    auto *grid = new QGridLayout(Figures);
    grid->setContentsMargins({});
    auto *totals = new QHBoxLayout;
    for (QLabel **total : {&Today, &InARow, &Seen, &WellKnown}) {
        static const char *const names[] = {"Today", "InARow", "Seen", "WellKnown"};
        *total = label(Figures, names[totals->count()], f13b, clNavy);
        totals->addWidget(*total);
    }
    grid->addLayout(totals, 0, 0, 1, 2);

    AnswersChart = makeChart("AnswersChart", u"過去 30 日の解答数 (正解と不正解)"_s);
    DueChart = makeChart("DueChart", u"今後 14 日に復習する問題の数"_s);
    CategoriesChart = makeChart("CategoriesChart", u"このファイルの分野別の正解率"_s);
    auto *missedTitle = label(Figures, "MissedTitle", f13b, clNavy);
    missedTitle->setText(u"よく間違える問題 (このファイルの上位 %1 問)"_s.arg(records::mostMissed));
    Missed = new QTableWidget(0, int(missedColumns.size()), Figures);
    Missed->setObjectName(u"Missed"_s);
    Missed->setAccessibleName(missedTitle->text());
    Missed->setFont(f12);
    Missed->setHorizontalHeaderLabels(missedColumns);
    Missed->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Missed->setSelectionBehavior(QAbstractItemView::SelectRows);
    Missed->verticalHeader()->hide();
    Missed->setWordWrap(false);
    Missed->setTextElideMode(Qt::ElideRight);
    // The question takes the room the numbers leave.
    Missed->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Missed->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    Missed->setSortingEnabled(true);
    Missed->sortByColumn(2, Qt::DescendingOrder);
    ExportButton = place<QPushButton>(Figures, "ExportButton", 0, 0, 0, 0, u"CSV に書き出す…"_s, f12, clNavy);
    ExportButton->setToolTip(u"この表を CSV ファイルに書き出します。"_s);
    auto *missedHead = new QHBoxLayout;
    missedHead->addWidget(missedTitle, 1);
    missedHead->addWidget(ExportButton);

    // The days across the top, the coming reviews beside the file's
    // categories, the file's questions missed most at the bottom.
    grid->addWidget(AnswersChart.summary, 1, 0, 1, 2);
    grid->addWidget(DueChart.summary, 3, 0);
    grid->addWidget(CategoriesChart.summary, 3, 1);
    grid->addLayout(missedHead, 5, 0, 1, 2);
    grid->addWidget(Missed, 6, 0, 1, 2);
    for (int row : {2, 4, 6})
        grid->setRowStretch(row, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    CsvSaveDialog = {u"CSV(*.csv)|*.csv|すべてのファイル(*.*)|*.*"_s, u"csv"_s, u"よく間違える問題.csv"_s, true};
    connectGuarded(tk, ExportButton, &QPushButton::clicked, this, &TRecords::ExportButtonClick);
}

TRecords::~TRecords() = default;

TRecords::Chart TRecords::makeChart(const char *name, const QString &accessibleName)
{
    auto *summary = label(Figures, (QByteArray(name) + "Summary").constData(), japaneseFont(12, true), clBlack);
    summary->setAccessibleName(accessibleName);
    return {summary, nullptr};
}

// The charts' plug-in, once: the views go under their summaries.
void TRecords::loadCharts()
{
    if (plugin)
        return;
    plugin = std::make_unique<QPluginLoader>(pluginFile.isEmpty() ? pluginPath(u"libpirumo_charts.so"_s) : pluginFile);
    charts = qobject_cast<BarCharts *>(plugin->instance());
    if (!charts)
        return;
    auto *grid = static_cast<QGridLayout *>(Figures->layout());
    const std::tuple<Chart *, int, int, int> places[] = {
        {&AnswersChart, 2, 0, 2}, {&DueChart, 4, 0, 1}, {&CategoriesChart, 4, 1, 1}};
    for (const auto &[chart, row, column, columns] : places) {
        chart->view = charts->make(Figures, japaneseFont(11));
        chart->view->setObjectName(chart->summary->objectName().chopped(7));
        chart->view->setAccessibleName(chart->summary->accessibleName());
        chart->view->setMinimumSize(300, 170);
        grid->addWidget(chart->view, row, column, 1, columns);
    }
}

void TRecords::showEvent(QShowEvent *event)
{
    if (!placed && Form1) {
        // Beside the quiz window, on its screen.
        placed = true;
        const QRect screen = Form1->screen()->availableGeometry();
        const QRect quiz = Form1->frameGeometry();
        move(std::clamp(quiz.right() + 8, screen.left(), std::max(screen.left(), screen.right() - width())),
             std::clamp(quiz.top(), screen.top(), std::max(screen.top(), screen.bottom() - height())));
    }
    QWidget::showEvent(event);
    if (stale)
        guard(tk, [this] { refresh(); });
}

void TRecords::refresh()
{
    stale = !isVisible();
    if (stale)
        return;
    loadCharts();
    // The open file's questions: key, category, and the lines the table shows.
    const LineList &lines = openLines();
    QList<records::FileQuestion> questions;
    texts.clear();
    for (int s = 7; s + 2 < lines.Count(); s += 7) {
        const QByteArray question = lines.Get(s + 1), answer = lines.Get(s + 2);
        const QuestionKey key = questionKey(question, answer);
        QString category = fromSjis(lines.Get(s)).trimmed();
        questions.append({key, category.isEmpty() ? u"(分野なし)"_s : category});
        texts.insert(key, {question, answer});
    }
    records::Figures f;
    try {
        ProgressStore *history = store();
        if (!history)
            throw Exception(u"学習の記録は、問題ファイルを開いて答えると始まります。"_s);
        f = records::read(*history, tk.now(), questions);
    } catch (const Exception &e) { // no history yet, off, or unreadable: why
        Notice->setText(e.message());
        Notice->show();
        Figures->hide();
        return;
    }
    Notice->setVisible(lines.Count() < 14);
    Notice->setText(u"問題ファイルを開くと、分野別の正解率とよく間違える問題も出ます。"_s);
    Figures->show();
    showFigures(f);
}

void TRecords::showChart(const Chart &chart, const QString &summary, const BarChart &bars)
{
    chart.summary->setText(summary);
    if (chart.view) {
        chart.view->setAccessibleDescription(summary);
        charts->show(chart.view, bars);
    }
}

void TRecords::showFigures(const records::Figures &f)
{
    const records::Totals &t = f.totals;
    Today->setText(u"今日 %1 問%2"_s.arg(number(t.todayAnswers), accuracy(t.todayRight, t.todayAnswers)));
    InARow->setText(u"連続 %1 日"_s.arg(number(t.daysInARow)));
    Seen->setText(u"出会った問題 %1 問"_s.arg(number(t.seen)));
    WellKnown->setText(u"よく覚えた問題 %1 問"_s.arg(number(t.wellKnown)));

    BarChart answers{{}, {{u"正解"_s, clGreen, {}}, {u"不正解"_s, clRed, {}}}};
    int right = 0, all = 0;
    for (const records::Day &d : f.answers) {
        answers.bars << d.date.toString(u"M/d"_s);
        answers.sets[0].values << d.right;
        answers.sets[1].values << d.wrong;
        right += d.right;
        all += d.right + d.wrong;
    }
    showChart(AnswersChart, u"過去 %1 日: %2 問%3"_s.arg(records::answerDays).arg(number(all), accuracy(right, all)),
              answers);

    BarChart due{{}, {{u"復習"_s, clBlue, {}}}};
    int coming = 0;
    for (const records::Day &d : f.due) {
        due.bars << (due.bars.isEmpty() ? u"今日"_s : d.date.toString(u"M/d"_s));
        due.sets[0].values << d.right;
        coming += d.right;
    }
    showChart(DueChart, u"今後 %1 日の復習: %2 問 (今日 %3 問)"_s.arg(records::dueDays).arg(number(coming),
                                                                                  number(f.due.value(0).right)),
              due);

    BarChart categories{{}, {{u"正解率"_s, clNavy, {}}}, true, 100, u"%d %"_s};
    const records::Category *weakest = nullptr;
    // From the top down, in the file's order.
    for (auto c = f.categories.crbegin(); c != f.categories.crend(); ++c) {
        categories.bars << c->name.left(12);
        categories.sets[0].values << 100.0 * c->right / c->answers;
        if (!weakest || c->right * qint64(weakest->answers) <= weakest->right * qint64(c->answers))
            weakest = &*c;
    }
    QString summary = u"分野別の正解率: このファイルの解答はまだありません"_s;
    if (weakest)
        summary = u"分野別の正解率: %1 分野、最も低いのは %2 (%3 %)"_s.arg(f.categories.size())
                      .arg(weakest->name).arg(qRound(100.0 * weakest->right / weakest->answers));
    showChart(CategoriesChart, summary, categories);
    showMissed(f.missed);
}

void TRecords::showMissed(const QList<records::Missed> &missed)
{
    Missed->setSortingEnabled(false);
    Missed->setRowCount(int(missed.size()));
    for (int r = 0; r < missed.size(); ++r) {
        const records::Missed &m = missed[r];
        const auto &[question, answer] = texts.value(m.key);
        auto *q = new QTableWidgetItem(fromSjis(question));
        q->setData(Qt::UserRole, question);
        q->setToolTip(q->text());
        auto *a = new QTableWidgetItem(fromSjis(answer));
        a->setData(Qt::UserRole, answer);
        auto *n = new QTableWidgetItem;
        n->setData(Qt::DisplayRole, m.misses);
        n->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *last = new QTableWidgetItem(m.last.toLocalTime().toString(u"yyyy-MM-dd HH:mm"_s));
        for (int c = 0; QTableWidgetItem *item : {q, a, n, last})
            Missed->setItem(r, c++, item);
    }
    Missed->setSortingEnabled(true);
    Missed->resizeRowsToContents();
    ExportButton->setEnabled(!missed.isEmpty());
}

// The table as it is sorted, through the editor's CSV writer.
void TRecords::ExportButtonClick()
{
    QByteArray lines;
    for (int r = 0; r < Missed->rowCount(); ++r)
        for (const QByteArray &field : {Missed->item(r, 0)->data(Qt::UserRole).toByteArray(),
                                        Missed->item(r, 1)->data(Qt::UserRole).toByteArray(),
                                        Missed->item(r, 2)->text().toLatin1(), Missed->item(r, 3)->text().toLatin1()})
            lines += field + "\r\n";
    const QByteArray text = csvFromRows(missedColumns, lines);
    if (const auto path = tk.run(this, DialogKind::Save, CsvSaveDialog))
        writeWholeFile(*path, text);
}
