#pragma once
// The plug-in with the records window's bar charts, drawn by Qt Charts.
#include "app/BarCharts.h"

class ChartsPlugin : public QObject, public BarCharts {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID BarCharts_iid)
    Q_INTERFACES(BarCharts)
public:
    QWidget *make(QWidget *parent, const QFont &font) override;
    void show(QWidget *view, const BarChart &chart) override;
};
