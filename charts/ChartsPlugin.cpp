#include "charts/ChartsPlugin.h"
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHorizontalStackedBarSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {
// A step of 1, 2 or 5 times a power of ten that marks `most` with five lines at most.
qreal tickStep(qreal most)
{
    for (qreal power = 1;; power *= 10)
        for (const qreal m : {1, 2, 5})
            if (most <= 5 * m * power)
                return m * power;
}
} // namespace

QWidget *ChartsPlugin::make(QWidget *parent, const QFont &font)
{
    auto *chart = new QChart;
    chart->setFont(font);
    chart->legend()->setFont(font);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins({2, 2, 2, 2});
    chart->setBackgroundRoundness(0);
    // The window's own colour around the plot, as the other controls have it.
    chart->setBackgroundBrush(parent->palette().window());
    auto *view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

void ChartsPlugin::show(QWidget *view, const BarChart &data)
{
    QChart *chart = static_cast<QChartView *>(view)->chart();
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes())
        chart->removeAxis(axis), delete axis;
    QAbstractBarSeries *series = data.horizontal ? static_cast<QAbstractBarSeries *>(new QHorizontalStackedBarSeries)
                                                 : new QStackedBarSeries;
    series->setBarWidth(0.7);
    QList<qreal> totals(data.bars.size());
    for (const BarSet &s : data.sets) {
        auto *set = new QBarSet(s.name);
        set->setColor(s.color);
        set->setBorderColor(s.color);
        set->append(s.values);
        series->append(set);
        for (qsizetype i = 0; i < s.values.size() && i < totals.size(); ++i)
            totals[i] += s.values[i];
    }
    chart->addSeries(series);
    chart->legend()->setVisible(data.sets.size() > 1);

    auto *names = new QBarCategoryAxis;
    names->append(data.bars);
    names->setLabelsFont(chart->font());
    // Many bars side by side: their names upright, so that each shows whole.
    if (!data.horizontal && data.bars.size() > 7)
        names->setLabelsAngle(-90);
    auto *values = new QValueAxis;
    qreal most = data.maximum;
    for (const qreal total : totals)
        most = std::max(most, total);
    // Whole numbers on the lines: a day holds no half answers.
    const qreal step = tickStep(std::max<qreal>(most, 1));
    values->setRange(0, std::ceil(std::max<qreal>(most, 1) / step) * step);
    values->setTickType(QValueAxis::TicksDynamic);
    values->setTickAnchor(0);
    values->setTickInterval(step);
    values->setLabelFormat(data.valueFormat);
    values->setLabelsFont(chart->font());
    chart->addAxis(names, data.horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(values, data.horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(names);
    series->attachAxis(values);
}
