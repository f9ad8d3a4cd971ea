// The fast replay against the live engine fed the same draws one by one, on random monitors and
// histories: line for line the same report, on one thread or several, with or without stop
// amounts.

#include "monitor/backtest.h"
#include "monitor/random_draws.h"
#include "monitor/replay.h"
#include "qt_printers.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <random>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;

namespace {

// Every figure of a report, money in its two-decimal text.
QStringList report(const BacktestResult& r)
{
    QStringList lines;
    for (const MonitorOutcome& o : r.monitors)
        lines << QStringList{QString::number(o.position), o.title, QString::number(o.draws),
                             QString::number(o.hits), QString::number(o.misses),
                             QString::number(o.longest_hits), QString::number(o.longest_misses),
                             QString::number(o.alerts), QString::number(o.stuck_from), o.stuck_issue,
                             QString::number(o.bets), QString::number(o.wins), money2(o.cost),
                             money2(o.returned), money2(o.lowest), o.lowest_issue, o.current}
                     .join(u'\t');
    lines << QStringList{u"total"_s, QString::number(r.bets), QString::number(r.wins), money2(r.cost),
                         money2(r.returned), money2(r.income), money2(r.best), money2(r.worst),
                         QString::number(r.draws_replayed)}
                 .join(u'\t');
    return lines;
}

// Random monitors of many plays, categories, conditions, plans, units, counts and odds; most bet.
QString random_monitors(int count, unsigned seed)
{
    struct Play {
        const char16_t* positions;
        const char16_t* play;
        const char16_t* title;
        const char16_t* numbers;
    };
    static const Play plays[] = {
        {u"A", u"定位胆", u"前一(定位胆)", u"01234"},
        {u"ABC", u"直选复式", u"前三(直选复式)", u"0123456*0123456*0123456"},
        {u"CDE", u"组六复式", u"后三(组六复式)", u"012345"},
        {u"CDE", u"组三复式", u"后三(组三复式)", u"1234"},
        {u"BCD", u"不定位:二码", u"中三(不定位:二码)", u"12"},
        {u"ABC", u"不定位:一码", u"前三(不定位:一码)", u"7"},
        {u"ABC", u"直选单式", u"前三(直选单式)", u"123 456 789 012"},
        {u"DE", u"直选复式", u"后二(直选复式)", u" 0123*4567 "}, // blanks: the text rule
        {u"ABCDE", u"直选复式", u"五星(直选复式)", u"0123456789*0123456789*01234*0123*9"},
    };
    static const char16_t* plans[] = {u"1,2,4",   u"1,3,9,27", u"1",       u"2,x,8",
                                      u"1,2,4,8,16,32,64,128,256", u"5,10", u"0,1"};
    static const char16_t* infos[] = {u"0:0:0:1920", u"1:0:0:1920", u"3:0:0:1900", u"0:0:0:1800", u"7:0:0:x"};
    std::mt19937 random(seed);
    const auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    QString list;
    for (int i = 0; i < count; ++i) {
        const Play& p = plays[pick(int(std::size(plays)))];
        QString category, condition, initial;
        switch (pick(3)) {
        case 0:
            category = u"遗漏"_s;
            condition = QStringList{u"≥"_s, u"≤"_s, u"＝"_s}[pick(3)] + QString::number(pick(12));
            initial = u"0"_s;
            break;
        case 1:
            category = u"连中"_s;
            condition = QStringList{u"≥"_s, u"＝"_s}[pick(2)] + QString::number(1 + pick(3));
            initial = u"0"_s;
            break;
        default:
            category = u"形态"_s;
            condition = u"＝"_s + QStringList{u"挂挂"_s, u"中挂"_s, u"挂挂挂"_s}[pick(3)];
            break;
        }
        const QString numbers = QString::fromUtf16(p.numbers);
        list += u'|' + QStringList{QString::fromUtf16(p.positions), QString::fromUtf16(p.play),
                                   QString::fromUtf16(p.title), numbers, category, condition, u"条件"_s,
                                   initial, u"待监控"_s, QString(), u"0"_s, initial, u"0:0"_s,
                                   u"0:0:0:0"_s, pick(5) ? u"1"_s : u"0"_s,
                                   QString::fromUtf16(plans[pick(int(std::size(plans)))]),
                                   QString::number(1 + pick(4)), u"false"_s, u"0"_s,
                                   QString::fromUtf16(infos[pick(int(std::size(infos)))]), u"0"_s}
                           .join(u'~');
    }
    return list;
}

QVector<HistoryDraw> history(int count, unsigned seed)
{
    return zorvik::testing::random_draws(count, seed, u"20261208-"_s);
}

} // namespace

TEST(FastReplay, GivesTheEnginesReportLineForLineOnAnyNumberOfThreads)
{
    for (const unsigned seed : {1u, 2u, 3u}) {
        const QString monitors = random_monitors(90, seed);
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
    const QString monitors = random_monitors(60, 9);
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
