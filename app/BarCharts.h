#pragma once
// Bar charts for the records window. They live in a plug-in that links Qt
// Charts, loaded when the window is first shown, so that start-up links
// nothing more. The program holds the plug-in through this interface only.
#include <QColor>
#include <QFont>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

struct BarSet {
    QString name; // in the legend
    QColor color;
    QList<qreal> values; // one per bar
};

struct BarChart {
    QStringList bars;  // the bars' names, along the axis
    QList<BarSet> sets; // stacked on each other
    bool horizontal = false;
    qreal maximum = 0;  // the value axis reaches this at least
    QString valueFormat = QStringLiteral("%d"); // the value axis's labels
};

class BarCharts {
public:
    virtual ~BarCharts() = default;
    // An empty chart in `parent`, its texts in `font`.
    virtual QWidget *make(QWidget *parent, const QFont &font) = 0;
    // Shows `chart` in `view`, a chart made by make().
    virtual void show(QWidget *view, const BarChart &chart) = 0;
};

#define BarCharts_iid "jp.example.pirumo.BarCharts/1"
Q_DECLARE_INTERFACE(BarCharts, BarCharts_iid)
