#pragma once
// The records window (学習 → 学習の記録): the learner's history at a glance,
// beside the quiz window, refreshed after each answer while it is open. Its
// charts come from a plug-in loaded when the window is first shown; without
// it the window shows the figures as text and the table of questions missed
// most.
//
// Its names: Notice (why nothing shows), Today, InARow, Seen, WellKnown (the
// totals), AnswersChart, DueChart, CategoriesChart (each with its one-line
// summary, AnswersSummary, ...), Missed (the table), ExportButton (CSV).
#include "app/Toolkit.h"
#include "progress/Records.h"
#include <QHash>
#include <QWidget>
#include <functional>
#include <memory>

class BarCharts;
class LineList;
class QLabel;
class QPluginLoader;
class QPushButton;
class QTableWidget;
struct BarChart;

class TRecords : public QWidget {
    Q_OBJECT
    friend class tst_Records;

public:
    // `history` gives the learner's history (nothing until it is opened),
    // `lines` the open question file (empty when none is open); the charts
    // come from the plug-in at `chartsPlugin`, by default where the program's
    // plug-ins are.
    TRecords(Toolkit &toolkit, std::function<ProgressStore *()> history,
             std::function<const LineList &()> lines, const QString &chartsPlugin = {});
    ~TRecords() override;

public slots:
    // Reads the history again and shows it; while the window is hidden, once
    // it is shown again.
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Chart {
        QLabel *summary;
        QWidget *view; // nothing without the plug-in
    };
    Chart makeChart(const char *name, const QString &accessibleName);
    void showChart(const Chart &chart, const QString &summary, const BarChart &bars);
    void loadCharts();
    void showFigures(const records::Figures &f);
    void showMissed(const QList<records::Missed> &missed);
    void ExportButtonClick();

    Toolkit &tk;
    std::function<ProgressStore *()> store;
    std::function<const LineList &()> openLines;
    QString pluginFile;
    std::unique_ptr<QPluginLoader> plugin;
    BarCharts *charts = nullptr;
    bool placed = false;
    bool stale = true;
    // The open file's question and answer line of each key.
    QHash<QuestionKey, std::pair<QByteArray, QByteArray>> texts;

    QLabel *Notice, *Today, *InARow, *Seen, *WellKnown;
    Chart AnswersChart, DueChart, CategoriesChart;
    QWidget *Figures;
    QTableWidget *Missed;
    QPushButton *ExportButton;
    FileDialog CsvSaveDialog;
};
