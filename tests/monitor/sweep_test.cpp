// A sweep gives for each variant what a backtest of that variant alone gives.

#include "monitor/monitor.h"
#include "monitor/random_draws.h"
#include "monitor/sweep.h"
#include "qt_printers.h"

#include <gtest/gtest.h>
#include <optional>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;

namespace {

const QString kRecord =
    u"A~定位胆~前一(定位胆)~123~遗漏~≥2~大于等于2~0~待监控~~0~0~0:0~0:0:0:0~0~1,2,4~1~false~0~3:0:0:1920~0"_s;

void expect_same(const MonitorOutcome& swept, const MonitorOutcome& alone, const std::string& what)
{
    EXPECT_EQ(swept.draws, alone.draws) << what;
    EXPECT_EQ(swept.bets, alone.bets) << what;
    EXPECT_EQ(swept.wins, alone.wins) << what;
    EXPECT_EQ(report_money(swept.cost), report_money(alone.cost)) << what;
    EXPECT_EQ(report_money(swept.returned), report_money(alone.returned)) << what;
    EXPECT_EQ(report_money(swept.income()), report_money(alone.income())) << what;
    EXPECT_EQ(report_money(swept.lowest), report_money(alone.lowest)) << what;
    EXPECT_EQ(swept.lowest_issue, alone.lowest_issue) << what;
    EXPECT_EQ(swept.longest_misses, alone.longest_misses) << what;
    EXPECT_EQ(swept.alerts, alone.alerts) << what;
}

} // namespace

TEST(Sweep, EachVariantIsWhatItsBacktestAloneGives)
{
    const QVector<HistoryDraw> draws = zorvik::testing::random_draws(500, 21, u"20261208-"_s);
    SweepRanges ranges;
    ranges.thresholds = *parse_threshold_range(u"0..6:3"_s);
    ranges.plans = {u"1,2,4"_s, u"1,3,9,27"_s};
    ranges.units = {1, 2};
    QString error;
    const auto variants = sweep_variants(kRecord, ranges, &error);
    ASSERT_TRUE(variants.has_value()) << error.toStdString();
    ASSERT_EQ(variants->size(), 3 * 2 * 2);
    EXPECT_EQ(variants->first(), (SweepVariant{0, u"1,2,4"_s, 1}));
    EXPECT_EQ(variants->last(), (SweepVariant{6, u"1,3,9,27"_s, 2}));

    // No stop, both, only a stop-profit, only a stop-loss: with any stop each variant is a
    // session of its own.
    const std::pair<std::optional<double>, std::optional<double>> stop_cases[] = {
        {std::nullopt, std::nullopt}, {40, -30}, {5, std::nullopt}, {std::nullopt, -30}};
    for (const auto& [profit, loss] : stop_cases) {
        BacktestOptions options;
        options.stop_profit = profit;
        options.stop_loss = loss;
        const QVector<SweepOutcome> swept = run_sweep(kRecord, *variants, draws, options);
        ASSERT_EQ(swept.size(), variants->size());
        bool some_bet = false;
        for (qsizetype i = 0; i < swept.size(); ++i) {
            const SweepVariant& v = (*variants)[i];
            EXPECT_EQ(swept[i].variant, v);
            const BacktestResult alone = run_backtest(u'|' + variant_record(kRecord, v), draws, options);
            ASSERT_EQ(alone.monitors.size(), 1);
            expect_same(swept[i].outcome, alone.monitors[0],
                        QStringLiteral("%1 %2 %3 stops=%4/%5").arg(v.threshold).arg(v.plan).arg(v.unit).arg(profit.value_or(0)).arg(loss.value_or(0)).toStdString());
            some_bet |= swept[i].outcome.bets > 0;
        }
        EXPECT_TRUE(some_bet);
    }
}

TEST(Sweep, AVariantChangesOnlyItsThresholdPlanAndUnitAndBets)
{
    const Monitor m = Monitor::from_text(variant_record(kRecord, {7, u"1,5"_s, 3}));
    EXPECT_EQ(m.field(kCondition), u"≥7"_s);
    EXPECT_EQ(m.field(kConditionText), u"大于等于7"_s);
    EXPECT_EQ(m.field(kBetPlan), u"1,5"_s);
    EXPECT_EQ(m.field(kMoneyUnit), u"3"_s);
    EXPECT_EQ(m.field(kAutoBet), u"1"_s);
    EXPECT_EQ(m.field(kNumbers), u"123"_s);
    EXPECT_EQ(m.condition().threshold, 7);
    const Monitor at_most = Monitor::from_text(variant_record(QString(kRecord).replace(u"≥2~大于等于2"_s, u"≤2~小于等于2"_s), {4, u"1"_s, 1}));
    EXPECT_EQ(at_most.field(kConditionText), u"小于等于4"_s);
}

TEST(Sweep, RangesAndRefusals)
{
    EXPECT_EQ(parse_threshold_range(u"3..9:3"_s), (QVector<int>{3, 6, 9}));
    EXPECT_EQ(parse_threshold_range(u"3..10:3"_s), (QVector<int>{3, 6, 9}));
    EXPECT_EQ(parse_threshold_range(u"5"_s), (QVector<int>{5}));
    EXPECT_EQ(parse_threshold_range(u"0..32767:32767"_s), (QVector<int>{0, 32767}));
    EXPECT_FALSE(parse_threshold_range(u"0..32768"_s).has_value());
    EXPECT_FALSE(parse_threshold_range(u"9..3"_s).has_value());
    EXPECT_FALSE(parse_threshold_range(u"1..3:0"_s).has_value());
    EXPECT_FALSE(parse_threshold_range(u"a..3"_s).has_value());
    EXPECT_EQ(parse_units(u"元,角"_s), (QVector<int>{1, 2}));
    EXPECT_EQ(parse_units(u"3,厘"_s), (QVector<int>{3, 4}));
    EXPECT_FALSE(parse_units(u"5"_s).has_value());
    EXPECT_FALSE(parse_units(u"元,"_s).has_value());

    QString error;
    const QString pattern =
        u"BCD~不定位:二码~中三(不定位:二码)~12~形态~＝挂挂~等于挂挂~~待监控~~0~~0:0~0:0:0:0~0~1~1~false~0~1:0:0:1920~0"_s;
    EXPECT_FALSE(sweep_variants(pattern, {}, &error).has_value());
    EXPECT_FALSE(error.isEmpty());
    SweepRanges bad_plan;
    bad_plan.plans = {u"1,x"_s};
    EXPECT_FALSE(sweep_variants(kRecord, bad_plan, &error).has_value());
    EXPECT_TRUE(error.contains(u"1,x"_s));
    // Without ranges: the monitor's own threshold, plan and unit.
    EXPECT_EQ(sweep_variants(kRecord, {}, &error), (QVector<SweepVariant>{{2, u"1,2,4"_s, 1}}));
}

TEST(Sweep, ACancelWithStopAmountsEndsItWithTheFirstVariantsInOrder)
{
    const QVector<HistoryDraw> draws = zorvik::testing::random_draws(3000, 22, u"20261208-"_s);
    SweepRanges ranges;
    ranges.thresholds = *parse_threshold_range(u"0..39"_s);
    const auto variants = sweep_variants(kRecord, ranges, nullptr);
    ASSERT_EQ(variants->size(), 40);
    BacktestOptions options;
    options.stop_loss = -1e6;
    options.stop_profit = 1e6;
    qint64 told = 0;
    options.progress = [&told](qint64 n) {
        told = n;
        return n < 5 * 3000; // about five variants' draws
    };
    const QVector<SweepOutcome> swept = run_sweep(kRecord, *variants, draws, options);
    EXPECT_GE(told, 5 * 3000);
    EXPECT_GT(swept.size(), 0);
    EXPECT_LT(swept.size(), 20);
    for (qsizetype i = 0; i < swept.size(); ++i)
        EXPECT_EQ(swept[i].variant, (*variants)[i]);
}
