#pragma once
// The detail panel's trend chart: a 遗漏 or 连中 monitor's value draw by draw with its alert
// threshold and the alerts marked, or a 形态 monitor's strip of hits and misses.

#include "monitor/trend.h"

#include <QChartView>

class QLineSeries;
class QScatterSeries;

namespace zorvik::app {

class TrendChart : public QChartView {
    Q_OBJECT
public:
    explicit TrendChart(QWidget* parent = nullptr);
    void show_trend(const monitor::Trend& trend);

    // The series, for those who read the chart without looking at it.
    QLineSeries* values() const { return values_; }
    QLineSeries* threshold() const { return threshold_; }
    QScatterSeries* alerts() const { return alerts_; }
    QScatterSeries* hits() const { return hits_; }
    QScatterSeries* misses() const { return misses_; }

private:
    QLineSeries* values_;
    QLineSeries* threshold_;
    QScatterSeries* alerts_;
    QScatterSeries* hits_;
    QScatterSeries* misses_;
};

} // namespace zorvik::app
