// The detail panel's trend chart, read through its series.

#include "gui/trend_chart.h"

#include <QLineSeries>
#include <QPointer>
#include <QChart>
#include <QCoreApplication>
#include <QLegend>
#include <QLegendMarker>
#include <QScatterSeries>
#include <QSet>
#include <QValueAxis>
#include <cmath>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using zorvik::app::TrendChart;

namespace {

TEST(TrendChart, ValuesThresholdAndAlerts)
{
    zorvik::monitor::Trend t;
    t.issues = {u"1"_s, u"2"_s, u"3"_s};
    t.values = {2, 3, 0};
    t.hits = {false, false, true};
    t.alerts = {true, true, false};
    t.threshold = 2;
    TrendChart chart;
    chart.show_trend(t);
    EXPECT_EQ(chart.values()->points(), (QList<QPointF>{{0, 2}, {1, 3}, {2, 0}}));
    EXPECT_EQ(chart.threshold()->points(), (QList<QPointF>{{0, 2}, {2, 2}}));
    EXPECT_EQ(chart.alerts()->points(), (QList<QPointF>{{0, 2}, {1, 3}}));
    EXPECT_TRUE(chart.hits()->points().isEmpty());
    EXPECT_FALSE(chart.hits()->isVisible());

    // A 形态 monitor: its strip, and nothing left of the line before.
    t.pattern = true;
    t.values.clear();
    t.threshold.reset();
    chart.show_trend(t);
    EXPECT_TRUE(chart.values()->points().isEmpty());
    EXPECT_TRUE(chart.threshold()->points().isEmpty());
    EXPECT_EQ(chart.hits()->points(), (QList<QPointF>{{2, 1}}));
    EXPECT_EQ(chart.misses()->points(), (QList<QPointF>{{0, 0}, {1, 0}}));
    EXPECT_EQ(chart.alerts()->points(), (QList<QPointF>{{0, 0.5}, {1, 0.5}}));

    chart.show_trend({});
    EXPECT_EQ(chart.chart()->title(), u"还没有开奖数据"_s);
}

TEST(TrendChart, EverySeriesHasItsOwnColourAndAName)
{
    TrendChart chart;
    const QColor alerts = chart.alerts()->color();
    const QColor hits = chart.hits()->color();
    const QColor misses = chart.misses()->color();
    const auto far = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) > 150;
    };
    EXPECT_TRUE(far(alerts, hits));
    EXPECT_TRUE(far(alerts, misses));
    EXPECT_TRUE(far(hits, misses));
    EXPECT_NE(chart.alerts()->markerShape(), chart.hits()->markerShape());
    for (const QAbstractSeries* series : chart.chart()->series()) {
        EXPECT_FALSE(series->name().isEmpty());
        EXPECT_FALSE(chart.chart()->legend()->markers(const_cast<QAbstractSeries*>(series)).isEmpty());
    }
    EXPECT_EQ(chart.hits()->name(), u"中（命中）"_s);
    EXPECT_EQ(chart.alerts()->name(), u"报警（条件满足）"_s);
}

// A window destroyed and another made must not leave charts behind: the chart and its series
// go with the view (the sanitizer build also checks that no other chart was made and lost).
TEST(TrendChart, TheChartAndItsSeriesGoWithTheView)
{
    auto* view = new TrendChart;
    const QPointer<QChart> chart = view->chart();
    const QPointer<QLineSeries> values = view->values();
    const QPointer<QScatterSeries> hits = view->hits();
    delete view;
    EXPECT_TRUE(chart.isNull());
    EXPECT_TRUE(values.isNull());
    EXPECT_TRUE(hits.isNull());
}

} // namespace

// The chart is as low as the detail panel makes it: the legend stays on one row below the plot,
// whole; the value axis reads whole numbers without repeating one.
TEST(TrendChart, TheLegendIsWholeAndTheAxisReadsWholeNumbersAtThePanelsHeight)
{
    for (const int top : {0, 1, 2, 3}) {
        for (const bool pattern : {false, true}) {
            zorvik::monitor::Trend t;
            for (int i = 0; i < 110; ++i) {
                t.issues << QString::number(i);
                t.values << (i == 50 ? top : 0);
                t.hits << (i % 3 == 0);
                t.alerts << true;
            }
            t.threshold = 0;
            t.pattern = pattern;
            TrendChart chart;
            chart.resize(950, 150);
            chart.show();
            chart.show_trend(t);
            QCoreApplication::processEvents();
            QChart* c = chart.chart();
            QLegend* legend = c->legend();
            const QRectF legend_at = legend->geometry();
            EXPECT_TRUE(c->rect().contains(legend_at)) << top << pattern;
            EXPECT_GE(legend_at.top() + 0.5, c->plotArea().bottom()) << top << pattern;
            EXPECT_GE(legend_at.width() + 0.5, legend->effectiveSizeHint(Qt::PreferredSize).width()) << top << pattern;
            EXPECT_GE(legend_at.height() + 0.5, legend->effectiveSizeHint(Qt::PreferredSize).height()) << top << pattern;

            auto* y = qobject_cast<QValueAxis*>(c->axes(Qt::Vertical).value(0));
            ASSERT_NE(y, nullptr);
            QSet<int> labels;
            for (int k = 0; k < y->tickCount(); ++k) {
                const double at = y->min() + k * (y->max() - y->min()) / (y->tickCount() - 1);
                EXPECT_DOUBLE_EQ(at, std::round(at)) << top << pattern << ' ' << k;
                labels.insert(int(std::round(at)));
            }
            EXPECT_EQ(labels.size(), y->tickCount()) << top << pattern;
            EXPECT_GE(y->max(), pattern ? 1 : top) << top << pattern;
        }
    }
}
