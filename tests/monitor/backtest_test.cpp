// The backtest replays a history through the live engine: its statistics, bets and income are
// those of a live session fed the same draws one by one.

#include "fakes/recording_shell.h"
#include "monitor/backtest.h"
#include "monitor/bet_placer.h"
#include "monitor/engine.h"
#include "monitor/random_draws.h"
#include "monitor/replay.h"
#include "support/gbk.h"
#include "qt_printers.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;

namespace {

class AlwaysPlaced final : public ImmediatePlacer {
public:
    BetResult place(const BetOrder& order) override
    {
        if (order.issue.isEmpty())
            return {0, QString(), QString(), u"no issue"_s};
        return {1, u"X"_s, order.cost, u"ok"_s};
    }
};

QVector<HistoryDraw> random_history(int count, unsigned seed)
{
    return zorvik::testing::random_draws(count, seed, u"20151112-"_s);
}

const QString kMonitors =
    u"|A~定位胆~前一(定位胆)~123~遗漏~≥2~大于等于2~0~待监控~~0~0~0:0~0:0:0:0~1~1,2,4~1~false~0~3:0:0:1920~0"
    u"|ABC~直选复式~前三(直选复式)~0123456*0123456*0123456~连中~≥1~大于等于1~0~待监控~~0~0~0:0~0:0:0:0~1~1,3~2~false~0~0:0:0:1900~0"
    u"|CDE~组六复式~后三(组六复式)~012345~形态~＝挂挂~等于挂挂~~待监控~~0~~0:0~0:0:0:0~0~1~1~false~0~20:0:0:1920~0"
    u"|BCD~不定位:二码~中三(不定位:二码)~12~遗漏~≥x~大于等于x~x~待监控~~0~x~0:0~0:0:0:0~0~1~1~false~0~1:0:0:1920~0"_s;

} // namespace

TEST(Backtest, GivesWhatALiveSessionFedTheSameDrawsGives)
{
    const QVector<HistoryDraw> draws = random_history(300, 7);
    const BacktestResult replay = run_backtest(kMonitors, draws);

    // The live engine, draw by draw.
    QTemporaryDir dir;
    zorvik::testing::RecordingShell shell;
    MonitorEngine live(shell, dir.filePath(u"bao/cfg.ini"_s));
    AlwaysPlaced placer;
    QHash<QString, QString> lookup;
    DrawState state;
    state.lookup = &lookup;
    live.set_placer(&placer);
    live.set_draw_source([&] { return state; });
    live.set_stop_source([] { return std::pair<QString, QString>(u"1e300"_s, u"-1e300"_s); });
    live.load_text(kMonitors);
    live.set_monitoring(true, false);
    int bets = 0;
    QObject::connect(&live, &MonitorEngine::bet_added, [&](int) { ++bets; });
    for (int i = 0; i < draws.size(); ++i) {
        state.awd_iss = draws[i].issue;
        state.awd_nums = draws[i].numbers;
        state.bet_iss = state.next_iss_no = i + 1 < draws.size() ? draws[i + 1].issue : QString();
        lookup.insert(QString(draws[i].issue).remove(u'-'), draws[i].numbers);
        live.evaluate_draw();
    }

    ASSERT_EQ(replay.monitors.size(), 4);
    EXPECT_EQ(replay.bets, bets);
    EXPECT_GT(replay.bets, 10);
    // The replay counts whole 厘; the live engine adds doubles.
    EXPECT_NEAR(replay.income, live.session().income, 1e-6);
    EXPECT_NEAR(replay.best, live.session().best, 1e-6);
    EXPECT_NEAR(replay.worst, live.session().worst, 1e-6);
    EXPECT_NEAR(replay.returned - replay.cost, replay.income, 1e-6); // summed in another order
    double income = 0;
    int per_monitor_bets = 0;
    for (const MonitorOutcome& o : replay.monitors) {
        const Monitor m = *live.list().at(o.position);
        EXPECT_EQ(o.title, m.field(kTitle));
        EXPECT_EQ(QString::number(o.draws), m.field(kDrawCount)) << o.position;
        EXPECT_EQ(u"%1:%2:%3:%4"_s.arg(o.hits).arg(o.misses).arg(o.longest_hits).arg(o.longest_misses),
                  m.field(kTotals));
        EXPECT_EQ(o.current, m.field(kCurrent));
        EXPECT_LE(o.lowest, 0);
        income += o.income();
        per_monitor_bets += o.bets;
    }
    EXPECT_NEAR(income, replay.income, 1e-6);
    EXPECT_EQ(per_monitor_bets, replay.bets);
    // The monitor whose value is not a number is never judged, and keeps its fields.
    EXPECT_EQ(replay.monitors[3].draws, 0);
    EXPECT_EQ(replay.monitors[3].current, u"x"_s);
    EXPECT_EQ(replay.monitors[3].stuck_from, 0); // never judged, not stopped at the bound
    EXPECT_EQ(replay.monitors[0].draws, 300);
}

TEST(Backtest, StopsWhereMonitoringWouldStop)
{
    const QVector<HistoryDraw> draws = random_history(300, 11);
    BacktestOptions options;
    options.stop_loss = -20;
    options.stop_profit = 1e9;
    int seen = 0;
    options.progress = [&](qint64 n) { return seen = int(n), true; };
    const BacktestResult stopped = run_backtest(kMonitors, draws, options);
    EXPECT_LE(stopped.income, -20);
    EXPECT_LT(stopped.draws_replayed, 300);
    EXPECT_EQ(seen, stopped.draws_replayed);
    // Just above the stop amount it is not reached at that draw.
    const BacktestResult free = run_backtest(kMonitors, draws);
    EXPECT_EQ(free.draws_replayed, 300);
    // Cancelled through the progress callback, which is called every so many draws.
    const QVector<HistoryDraw> long_history = random_history(int(3 * kReplayChunk), 11);
    BacktestOptions cancel;
    QList<qint64> told;
    cancel.progress = [&told](qint64 n) { return told << n, n < 2 * kReplayChunk; };
    EXPECT_EQ(run_backtest(kMonitors, long_history, cancel).draws_replayed, 2 * kReplayChunk);
    EXPECT_EQ(told, (QList<qint64>{kReplayChunk, 2 * kReplayChunk}));
}

// Past 32767 draws the report still counts exactly, while the monitor's own statistics stop
// where a live monitor's do.
TEST(BacktestCounts, ExactPastTheSixteenBitBound)
{
    const QVector<HistoryDraw> draws = random_history(70000, 3);
    const QString half =
        u"|A~定位胆~前一(定位胆)~01234~遗漏~≥2~大于等于2~0~待监控~~0~0~0:0~0:0:0:0~0~1~1~false~0~3:0:0:1920~0"_s;
    // The same counts worked out from the draws alone.
    qint64 hits = 0, misses = 0, alerts = 0, run = 0, longest_hits = 0, longest_misses = 0;
    for (const HistoryDraw& d : draws) {
        const bool hit = d.numbers.at(0) <= u'4';
        hits += hit;
        misses += !hit;
        run = hit ? (run > 0 ? run + 1 : 1) : (run < 0 ? run - 1 : -1);
        longest_hits = std::max(longest_hits, run);
        longest_misses = std::max(longest_misses, -run);
        alerts += run <= -2;
    }
    ASSERT_GT(hits, 32767);
    ASSERT_GT(misses, 32767);
    const BacktestResult r = run_backtest(half, draws);
    ASSERT_EQ(r.monitors.size(), 1);
    const MonitorOutcome& o = r.monitors[0];
    EXPECT_EQ(r.draws_replayed, 70000);
    EXPECT_EQ(o.draws, 70000);
    EXPECT_EQ(o.hits, hits);
    EXPECT_EQ(o.misses, misses);
    EXPECT_EQ(o.longest_hits, longest_hits);
    EXPECT_EQ(o.longest_misses, longest_misses);
    EXPECT_EQ(o.alerts, alerts);
    EXPECT_EQ(o.stuck_from, 0);
    EXPECT_TRUE(o.stuck_issue.isEmpty());
}

TEST(BacktestCounts, AMonitorStopsUpdatingWhereALiveOneWould)
{
    // Every draw hits: its hit run reaches 32767 at the 32767th draw and would pass it at the
    // next, from which it is no longer updated and shows no alert.
    const QString always =
        u"|A~定位胆~前一(定位胆)~0123456789~连中~≥1~大于等于1~0~待监控~~0~0~0:0~0:0:0:0~0~1~1~false~0~3:0:0:1920~0"_s;
    const QVector<HistoryDraw> at_bound = random_history(32767, 5);
    const MonitorOutcome below = run_backtest(always, at_bound).monitors.value(0);
    EXPECT_EQ(below.stuck_from, 0);
    EXPECT_EQ(below.hits, 32767);
    EXPECT_EQ(below.longest_hits, 32767);
    EXPECT_EQ(below.alerts, 32767);
    EXPECT_EQ(below.current, u"32767"_s);

    const QVector<HistoryDraw> past = random_history(32770, 5);
    const BacktestResult r = run_backtest(always, past);
    const MonitorOutcome& o = r.monitors.value(0);
    EXPECT_EQ(r.draws_replayed, 32770);
    EXPECT_EQ(o.stuck_from, 32768);
    EXPECT_EQ(o.stuck_issue, past[32767].issue);
    EXPECT_EQ(o.draws, 32767);
    EXPECT_EQ(o.hits, 32767);
    EXPECT_EQ(o.alerts, 32767); // none once it stopped
    EXPECT_EQ(o.current, u"32767"_s);
}

TEST(BacktestHistory, LinesInAnyOrderReplayedByIssue)
{
    HistoryError error;
    const auto draws = parse_history(
        u"201511120003:1,2,3,4,5\r\n20151112-0001\t12345\n\n 201511120002 : 9,9,9,9,9 \n"_s, &error);
    ASSERT_TRUE(draws.has_value());
    ASSERT_EQ(draws->size(), 3);
    EXPECT_EQ(draws->at(0).issue, u"20151112-0001"_s);
    EXPECT_EQ(draws->at(0).numbers, u"1,2,3,4,5"_s);
    EXPECT_EQ(draws->at(2).issue, u"201511120003"_s);
    // Issues compared as numbers: 9 comes before 10.
    const auto numeric = parse_history(u"10:00000\n9:11111\n"_s, &error);
    ASSERT_TRUE(numeric.has_value());
    EXPECT_EQ(numeric->first().issue, u"9"_s);
}

TEST(BacktestHistory, MalformedAndRepeatedLinesAreNamed)
{
    for (const auto& [text, line] :
         {std::pair{u"1:12345\n2:1234\n"_s, 2}, std::pair{u"1:123456\n"_s, 1},
          std::pair{u"x:12345\n"_s, 1}, std::pair{u"1:1,2,3,4,a\n"_s, 1},
          std::pair{u"1:12345\n2 12345\n"_s, 2}, std::pair{u"20151112-0001:12345\n201511120001:54321\n"_s, 2}}) {
        HistoryError error;
        EXPECT_FALSE(parse_history(text, &error).has_value()) << text.toStdString();
        EXPECT_EQ(error.line, line) << text.toStdString();
    }
}

// History files as users have them: CSV tables with a header, in UTF-8 or GBK.
TEST(BacktestHistoryFile, CsvTablesInUtf8OrGbk)
{
    HistoryError error;
    // UTF-8 with a byte-order mark, a quoted numbers column, fast-lottery issues, other columns.
    const auto bom = parse_history_file(
        "\xEF\xBB\xBF日期,期号,开奖号码\r\n2016-11-01,20161101-002,\"1,2,3,4,5\"\r\n"
        "2016-11-01,20161101-001,\"9,8,7,6,5\"\r\n"_ba, &error);
    ASSERT_TRUE(bom.has_value()) << error.reason.toStdString();
    ASSERT_EQ(bom->size(), 2);
    EXPECT_EQ(bom->at(0).issue, u"20161101-001"_s);
    EXPECT_EQ(bom->at(0).numbers, u"9,8,7,6,5"_s);
    EXPECT_EQ(bom->at(1).numbers, u"1,2,3,4,5"_s);

    // GBK, five digit columns, seven-digit issues of a daily lottery.
    const auto gbk = parse_history_file(
        zorvik::support::to_gbk(u"期号,万位,千位,百位,十位,个位\n2004002,1,2,3,4,5\n2004001,0,0,0,0,9\n"_s), &error);
    ASSERT_TRUE(gbk.has_value()) << error.reason.toStdString();
    ASSERT_EQ(gbk->size(), 2);
    EXPECT_EQ(gbk->at(0).issue, u"2004001"_s);
    EXPECT_EQ(gbk->at(0).numbers, u"0,0,0,0,9"_s);

    // Numbers blank-separated or joined; twelve-digit issues; Latin column names.
    const auto latin = parse_history_file("issue,numbers\n201611010002,1 2 3 4 5\n201611010001,54321\n"_ba, &error);
    ASSERT_TRUE(latin.has_value()) << error.reason.toStdString();
    EXPECT_EQ(latin->at(0).numbers, u"5,4,3,2,1"_s);
    EXPECT_EQ(latin->at(1).numbers, u"1,2,3,4,5"_s);
    // Separated by TAB.
    const auto tabs = parse_history_file("期号\t开奖号码\n1\t12345\n"_ba, &error);
    ASSERT_TRUE(tabs.has_value());
    EXPECT_EQ(tabs->at(0).numbers, u"1,2,3,4,5"_s);

    // The plain line forms, in GBK or UTF-8, as before.
    const auto lines = parse_history_file("201511120002:1,2,3,4,5\n201511120001\t12345\n"_ba, &error);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->at(0).issue, u"201511120001"_s);
}

TEST(BacktestHistoryFile, ABadLineOrHeaderIsNamed)
{
    for (const auto& [bytes, line] : {
             std::pair{"期号,开奖号码\n1,\"1,2,3,4,5\"\n2,\"1,2,3,4\"\n"_ba, 3},
             std::pair{"期号,开奖号码\n1,123456\n"_ba, 2},
             std::pair{"\n期号,开奖号码\nx1,12345\n"_ba, 3},
             std::pair{"日期,开奖号码\n1,12345\n"_ba, 1},             // no issue column
             std::pair{"期号,日期\n1,12345\n"_ba, 1},                 // no numbers column
             std::pair{"期号,万位,千位,百位,十位,个位\n1,1,2,3,4,a\n"_ba, 2},
             std::pair{"期号,万位,千位,百位,十位,个位\n1,1,2,3,4,10\n"_ba, 2},
             std::pair{"期号,开奖号码\n1,12345\n01,54321\n"_ba, 3}, // repeated issue
         }) {
        HistoryError error;
        EXPECT_FALSE(parse_history_file(bytes, &error).has_value()) << bytes.toStdString();
        EXPECT_EQ(error.line, line) << bytes.toStdString() << ' ' << error.reason.toStdString();
    }
}

TEST(BacktestMoney, ToTheLiAtMostInDoublePrecision)
{
    EXPECT_EQ(report_money(19.2), u"19.2"_s);
    EXPECT_EQ(report_money(1234567.891), u"1234567.891"_s); // to the 厘, as amounts are kept
    EXPECT_EQ(report_money(-0.001), u"-0.001"_s);
    EXPECT_EQ(report_money(-0.0004), u"0"_s);
    EXPECT_EQ(report_money(2.0095), u"2.01"_s);
    EXPECT_EQ(report_money(100), u"100"_s);
    EXPECT_EQ(report_money(-3.5), u"-3.5"_s);
}
