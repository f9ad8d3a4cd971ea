#include "gui/trend_chart.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

TrendChart::TrendChart(QWidget* parent)
    // Made with its chart: a view made without one makes a default chart that a later
    // setChart lets go of without freeing it.
    : QChartView(new QChart, parent), values_(new QLineSeries), threshold_(new QLineSeries),
      alerts_(new QScatterSeries), hits_(new QScatterSeries), misses_(new QScatterSeries)
{
    setObjectName(u"alert_trend"_s);
    setRenderHint(QPainter::Antialiasing);
    QChart* chart = this->chart();
    // Below the plot, on one row: beside it, three entries did not fit the panel's height.
    chart->legend()->setAlignment(Qt::AlignBottom);
    // The panel is low: no room is left around the plot but what its labels need.
    chart->setMargins(QMargins(2, 0, 2, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);
    values_->setName(u"当前值"_s);
    values_->setColor(QColor(30, 90, 200));
    threshold_->setName(u"报警线（阈值）"_s);
    threshold_->setPen(QPen(QColor(255, 0, 0), 1, Qt::DashLine));
    // Each series its own colour and a name a user reads at once: alerts red squares, hits
    // green, misses grey.
    alerts_->setName(u"报警（条件满足）"_s);
    alerts_->setColor(QColor(230, 0, 0));
    alerts_->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    alerts_->setMarkerSize(8);
    hits_->setName(u"中（命中）"_s);
    hits_->setColor(QColor(0, 150, 70));
    hits_->setMarkerSize(7);
    misses_->setName(u"挂（未中）"_s);
    misses_->setColor(QColor(130, 130, 130));
    misses_->setMarkerSize(7);
    for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{values_, threshold_, alerts_, hits_, misses_})
        chart->addSeries(s);
    chart->createDefaultAxes();
    setMinimumHeight(120);
}

void TrendChart::show_trend(const monitor::Trend& t)
{
    QList<QPointF> values, threshold, alerts, hits, misses;
    const qsizetype n = t.hits.size();
    int top = t.threshold.value_or(1);
    for (qsizetype i = 0; i < n; ++i) {
        if (t.pattern) {
            (t.hits[i] ? hits : misses) << QPointF(double(i), t.hits[i] ? 1 : 0);
            if (t.alerts[i])
                alerts << QPointF(double(i), 0.5);
            continue;
        }
        values << QPointF(double(i), t.values[i]);
        top = std::max(top, t.values[i]);
        if (t.alerts[i])
            alerts << QPointF(double(i), t.values[i]);
    }
    if (t.threshold && n > 0)
        threshold << QPointF(0, *t.threshold) << QPointF(double(n - 1), *t.threshold);
    values_->replace(values);
    threshold_->replace(threshold);
    alerts_->replace(alerts);
    hits_->replace(hits);
    misses_->replace(misses);
    values_->setVisible(!t.pattern);
    threshold_->setVisible(!t.pattern);
    hits_->setVisible(t.pattern);
    misses_->setVisible(t.pattern);
    const auto axes_x = chart()->axes(Qt::Horizontal);
    const auto axes_y = chart()->axes(Qt::Vertical);
    if (auto* x = axes_x.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes_x.first())) {
        x->setRange(0, double(std::max<qsizetype>(1, n - 1)));
        x->setLabelFormat(u"%d"_s);
    }
    if (auto* y = axes_y.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes_y.first())) {
        // Every tick on a whole number: a middle tick only when the range halves evenly.
        const int range = t.pattern ? 1 : top + 1;
        y->setRange(0, range);
        y->setLabelFormat(u"%d"_s);
        y->setTickCount(range % 2 == 0 ? 3 : 2);
    }
    chart()->setTitle(n == 0 ? u"还没有开奖数据"_s
                             : t.issues.first() + u" — "_s + t.issues.last() + u"，共"_s +
                                   QString::number(n) + u"期"_s);
}

} // namespace zorvik::app
