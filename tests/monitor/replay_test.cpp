// The fast replay against the live engine fed the same draws one by one, on random monitors and
// histories: line for line the same report, on one thread or several, with or without stop
// amounts.

#include "monitor/backtest.h"
#include "monitor/random_draws.h"
#include "monitor/random_monitors.h"
#include "monitor/replay.h"
#include "qt_printers.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;

namespace {

// Every figure of a report, money to the 厘.
QStringList report(const BacktestResult& r)
{
    QStringList lines;
    for (const MonitorOutcome& o : r.monitors)
        lines << QStringList{QString::number(o.position), o.title, QString::number(o.draws),
                             QString::number(o.hits), QString::number(o.misses),
                             QString::number(o.longest_hits), QString::number(o.longest_misses),
                             QString::number(o.alerts), QString::number(o.stuck_from), o.stuck_issue,
                             QString::number(o.bets), QString::number(o.wins), report_money(o.cost),
                             report_money(o.returned), report_money(o.lowest), o.lowest_issue, o.current}
                     .join(u'\t');
    lines << QStringList{u"total"_s, QString::number(r.bets), QString::number(r.wins), report_money(r.cost),
                         report_money(r.returned), report_money(r.income), report_money(r.best), report_money(r.worst),
                         QString::number(r.draws_replayed)}
                 .join(u'\t');
    return lines;
}

QVector<HistoryDraw> history(int count, unsigned seed)
{
    return zorvik::testing::random_draws(count, seed, u"20261208-"_s);
}

} // namespace

TEST(FastReplay, GivesTheEnginesReportLineForLineOnAnyNumberOfThreads)
{
    for (const unsigned seed : {1u, 2u, 3u}) {
        const QString monitors = zorvik::testing::random_monitors(90, seed, 80);
        const QVector<HistoryDraw> draws = history(2500, seed);
        BacktestOptions engine;
        engine.through_engine = true;
        const QStringList expected = report(run_backtest(monitors, draws, engine));
        ASSERT_EQ(expected.size(), 91);
        ASSERT_GT(expected.last().section(u'\t', 1, 1).toInt(), 1000) << "bets"; // it bets a lot
        for (const int threads : {1, 2, 3}) {
            BacktestOptions fast;
            fast.threads = threads;
            EXPECT_EQ(report(run_backtest(monitors, draws, fast)), expected) << seed << ' ' << threads;
        }
    }
}

TEST(FastReplay, StopsAtTheDrawTheEngineStopsAtEvenInsideAChunk)
{
    const QString monitors = zorvik::testing::random_monitors(60, 9, 80);
    const QVector<HistoryDraw> draws = history(int(2 * kReplayChunk + 100), 9);
    BacktestOptions engine;
    engine.through_engine = true;
    const BacktestResult free = run_backtest(monitors, draws, engine);
    ASSERT_EQ(free.draws_replayed, draws.size());
    // Stop amounts met in the first chunk, in the second, at the very first draw, and never.
    const std::pair<double, double> stops[] = {{1e9, free.worst / 3}, {1e9, free.worst * 0.9},
                                               {1e9, 0}, {1e9, free.worst - 1}, {0.01, -1e9}};
    for (const auto& [profit, loss] : stops) {
        engine.stop_profit = profit;
        engine.stop_loss = loss;
        const QStringList expected = report(run_backtest(monitors, draws, engine));
        for (const int threads : {1, 2}) {
            BacktestOptions fast;
            fast.stop_profit = profit;
            fast.stop_loss = loss;
            fast.threads = threads;
            qint64 told = 0;
            fast.progress = [&told](qint64 n) { return told = n, true; };
            const BacktestResult r = run_backtest(monitors, draws, fast);
            EXPECT_EQ(report(r), expected) << loss << ' ' << threads;
            EXPECT_EQ(told, r.draws_replayed); // the last call tells where it ended
        }
    }
}

TEST(FastReplay, AmountsTooLargeToCountExactlyAreReplayedByTheEngine)
{
    // 五星 直选复式 over every digit: 100,000 lines of 2 元 at 2,147,483,647 times, about 4e14 元 a
    // bet; forty of them would overflow a count of 厘.
    const QString monitor =
        u"|ABCDE~直选复式~五星(直选复式)~0123456789*0123456789*0123456789*0123456789*0123456789~遗漏~≥0~"
        u"大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~2147483647~1~false~0~0:0:0:1920~0"_s;
    const QVector<HistoryDraw> draws = history(40, 4);
    BacktestOptions engine;
    engine.through_engine = true;
    const BacktestResult r = run_backtest(monitor, draws);
    EXPECT_EQ(report(r), report(run_backtest(monitor, draws, engine)));
    EXPECT_EQ(r.bets, 39);
    EXPECT_GT(r.cost, 1.6e16);
    // A smaller multiplier is counted by the fast replay: the same figures.
    const QString smaller = QString(monitor).replace(u"~2147483647~"_s, u"~1000~"_s);
    EXPECT_EQ(report(run_backtest(smaller, draws)), report(run_backtest(smaller, draws, engine)));
}

// Amounts are whole 厘, rounded: a line that pays 2.01 元 (held as 2.00999…) is 2010 厘 a hit,
// never 2009; and a hit of several lines pays each, as the engine counts it.
TEST(FastReplay, AmountsAreRoundedToTheLiAndEveryWinningLineIsPaid)
{
    const QVector<HistoryDraw> draws = history(60, 5);
    // Every digit at 前一 always hits one line of 2.01; 五星 定位胆 on every digit wins five.
    const QString monitors =
        u"|A~定位胆~前一(定位胆)~0123456789~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1~1~false~0~0:0:0:201~0"
        u"|ABCDE~定位胆~五星(定位胆)~0123456789~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~3~2~false~0~0:0:0:1930~0"_s;
    BacktestOptions engine;
    engine.through_engine = true;
    const BacktestResult expected = run_backtest(monitors, draws, engine);
    const BacktestResult fast = run_backtest(monitors, draws, BacktestOptions{});
    EXPECT_EQ(report(fast), report(expected));
    ASSERT_EQ(fast.monitors.size(), 2);
    const MonitorOutcome& one = fast.monitors[0];
    EXPECT_EQ(one.bets, 59);
    EXPECT_EQ(one.wins, 59);
    EXPECT_EQ(report_money(one.returned), u"118.59"_s); // 59 × 2.01
    EXPECT_EQ(report_money(one.cost), u"1180"_s);
    // 50 lines of 0.6 (角 at 3 times) a bet; each hit wins five lines of 5.79 (19.3 × 3 / 10).
    const MonitorOutcome& five = fast.monitors[1];
    EXPECT_EQ(five.bets, 59);
    EXPECT_EQ(report_money(five.cost), u"1770"_s);
    EXPECT_EQ(report_money(five.returned), u"1708.05"_s); // 59 × 5 × 5.79
    EXPECT_EQ(report_money(fast.income), u"-1123.36"_s);
}
