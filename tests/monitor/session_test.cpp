// Monitoring sessions: judging draws, alerts, the multiplier plan, placement, settlement and the
// stop rule, through the engine's public interface with a recording shell and placer.

#include "monitoring_fixture.h"
#include "fakes/recording_shell.h"
#include "monitor/bet_placer.h"
#include "monitor/engine.h"
#include "monitor/evaluate.h"
#include "platform/simulated_placer.h"
#include "qt_printers.h"
#include "support/ini.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <random>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;
using zorvik::testing::RecordingShell;

using namespace zorvik::monitor::testing;

namespace {

} // namespace

// ---------------------------------------------------------------------------------------------
// One monitor, one draw

TEST(UpdateMonitor, CurrentValuesRunsAndTotals)
{
    Fields f;
    f.current = u"4"_s;
    Monitor m = Monitor::from_text(record(f));
    EXPECT_EQ(update_monitor(m, kMiss), false);
    EXPECT_EQ(m.field(kCurrent), u"5"_s);
    EXPECT_EQ(update_monitor(m, kHit), true);
    EXPECT_EQ(m.field(kCurrent), u"0"_s);
    EXPECT_EQ(m.field(kHistory), u"挂中"_s);
    EXPECT_EQ(m.field(kDrawCount), u"2"_s);

    // Each category from a stored value through two results; a negative stored value counts on
    // from where it is, another category keeps 0.
    const struct {
        const char16_t* category;
        const char16_t* stored;
        bool first;
        const char16_t* after_first;
        bool second;
        const char16_t* after_second;
    } courses[] = {{u"连中", u"2", true, u"3", false, u"0"},
                   {u"遗漏", u"-5", false, u"-4", true, u"0"},
                   {u"其他", u"7", false, u"0", true, u"0"}};
    for (const auto& course : courses) {
        f.category = QString::fromUtf16(course.category);
        f.current = QString::fromUtf16(course.stored);
        m = Monitor::from_text(record(f));
        update_monitor(m, course.first ? kHit : kMiss);
        EXPECT_EQ(m.field(kCurrent), QString::fromUtf16(course.after_first)) << f.category.toStdString();
        update_monitor(m, course.second ? kHit : kMiss);
        EXPECT_EQ(m.field(kCurrent), QString::fromUtf16(course.after_second)) << f.category.toStdString();
    }
    f.category = u"连中"_s;

    // Runs 2:0 and a miss give 0:1; totals 5:7:3:4 with runs 0:4 and a miss give 5:8:3:5.
    f.runs = u"2:0"_s;
    m = Monitor::from_text(record(f));
    update_monitor(m, kMiss);
    EXPECT_EQ(m.field(kRuns), u"0:1"_s);
    f.runs = u"0:4"_s;
    f.totals = u"5:7:3:4"_s;
    m = Monitor::from_text(record(f));
    update_monitor(m, kMiss);
    EXPECT_EQ(m.field(kTotals), u"5:8:3:5"_s);
    EXPECT_EQ(m.text().split(u'~')[kTotals], u"5:8:3:5"_s); // the text form follows
}

TEST(UpdateMonitor, PatternsAreTheLatestResults)
{
    Fields f;
    f.category = u"形态"_s;
    f.condition = u"＝挂中中挂"_s;
    f.current = u"挂中"_s;
    Monitor m = Monitor::from_text(record(f));
    update_monitor(m, kHit);
    update_monitor(m, kMiss);
    EXPECT_EQ(m.field(kCurrent), u"挂中中挂"_s);
    EXPECT_TRUE(alert_test(m));
    update_monitor(m, kHit);
    EXPECT_EQ(m.field(kCurrent), u"中中挂中"_s); // four results kept, the oldest dropped

    f.current = QString();
    m = Monitor::from_text(record(f));
    update_monitor(m, kHit);
    update_monitor(m, kMiss);
    EXPECT_EQ(m.field(kCurrent), u"中挂"_s);
    EXPECT_FALSE(alert_test(m));
}

// The current pattern and the history, held as bits once they are results only, read as the
// text rule makes them: the latest n results after the initial text, n on both sides of 64.
TEST(UpdateMonitor, PatternsAndHistoryAgreeWithTheTextOverLongRuns)
{
    std::mt19937 random(7);
    const QString pattern64 = QString(32, u'中') + QString(32, u'挂');
    for (const QString& condition : {u"＝"_s, u"＝中"_s, u"＝挂中中挂"_s, u"＝ 挂中 "_s,
                                     u"＝"_s + pattern64.left(63), u"＝"_s + pattern64,
                                     u"＝"_s + pattern64 + u'中'}) {
        for (const QString& initial : {QString(), u"挂中"_s, u"x挂"_s, QString(70, u'a')}) {
            Fields f;
            f.category = u"形态"_s;
            f.condition = condition;
            f.current = initial;
            Monitor m = Monitor::from_text(record(f));
            const qsizetype n = condition.size() - condition.count(u'＝');
            const QString pattern = QString(condition).remove(u'＝').trimmed();
            QString current = initial;
            QString history;
            for (int i = 0; i < 140; ++i) {
                const bool hit = random() % 2;
                ASSERT_EQ(update_monitor(m, hit ? kHit : kMiss), hit);
                const QString word = hit ? u"中"_s : u"挂"_s;
                current = (current + word).size() < n ? current + word : (current + word).right(n);
                history += word;
                ASSERT_EQ(m.field(kCurrent), current) << condition.toStdString() << " draw " << i;
                ASSERT_EQ(alert_test(m), current == pattern) << condition.toStdString() << " draw " << i;
            }
            EXPECT_EQ(m.field(kHistory), history);
            const QStringList stored = m.text().split(u'~');
            EXPECT_EQ(stored[kCurrent], current);
            EXPECT_EQ(stored[kHistory], history);
            EXPECT_EQ(Monitor::from_text(m.text()).field(kCurrent), current);
        }
    }
}

TEST(UpdateMonitor, TheHistoryKeepsEveryResultAcrossItsWordsOfSixtyFour)
{
    for (int draws : {63, 64, 65, 128, 129}) {
        Fields f;
        Monitor m = Monitor::from_text(record(f));
        m.set(kHistory, u"挂"_s); // the editor's initial text comes first
        QString history = u"挂"_s;
        for (int i = 0; i < draws; ++i) {
            const bool hit = i % 3 == 0;
            update_monitor(m, hit ? kHit : kMiss);
            history += hit ? u'中' : u'挂';
        }
        EXPECT_EQ(m.field(kHistory), history) << draws;
        EXPECT_EQ(m.field(kDrawCount), QString::number(draws));
        // Cleared and judged again, it starts from the new text.
        m.set(kHistory, QString());
        update_monitor(m, kHit);
        EXPECT_EQ(m.field(kHistory), u"中"_s) << draws;
        EXPECT_EQ(m.field(kDrawCount), QString::number(draws + 1));
    }
}

TEST(UpdateMonitor, AValueThatIsNoNumberOrWouldPass32767StaysAsItIs)
{
    for (const QString& current : {u"abc"_s, u""_s, u"40000"_s}) {
        Fields f;
        f.current = current;
        const QString text = record(f);
        Monitor m = Monitor::from_text(text);
        EXPECT_FALSE(update_monitor(m, kMiss).has_value()) << current.toStdString();
        EXPECT_EQ(m.text(), text);
    }
    // Both sides of the bound: 32766 becomes 32767, 32767 cannot grow.
    Fields f;
    f.current = u"32766"_s;
    Monitor m = Monitor::from_text(record(f));
    ASSERT_TRUE(update_monitor(m, kMiss).has_value());
    EXPECT_EQ(m.field(kCurrent), u"32767"_s);
    const QString before = m.text();
    EXPECT_FALSE(update_monitor(m, kMiss).has_value());
    EXPECT_EQ(m.text(), before);
    // A run at the bound stops the update too.
    f.current = u"0"_s;
    f.runs = u"0:32767"_s;
    m = Monitor::from_text(record(f));
    EXPECT_FALSE(update_monitor(m, kMiss).has_value());
    EXPECT_TRUE(update_monitor(m, kHit).has_value());
    EXPECT_EQ(m.field(kRuns), u"1:0"_s);
}

TEST(UpdateMonitor, HitAndMissTotalsStopAt32767WhileTheRestGoesOn)
{
    // Weeks of a one-minute lottery pass 32,767 draws: the totals stop at the bound, the
    // current value and the runs go on.
    Fields f;
    f.current = u"5"_s;
    f.runs = u"0:5"_s;
    f.totals = u"32766:32766:9:12"_s;
    Monitor m = Monitor::from_text(record(f));
    ASSERT_TRUE(update_monitor(m, kMiss).has_value());
    EXPECT_EQ(m.field(kTotals), u"32766:32767:9:12"_s);
    ASSERT_TRUE(update_monitor(m, kMiss).has_value());
    EXPECT_EQ(m.field(kTotals), u"32766:32767:9:12"_s);
    EXPECT_EQ(m.field(kCurrent), u"7"_s);
    EXPECT_EQ(m.field(kRuns), u"0:7"_s);
    ASSERT_TRUE(update_monitor(m, kHit).has_value());
    EXPECT_EQ(m.field(kTotals), u"32767:32767:9:12"_s);
    ASSERT_TRUE(update_monitor(m, kHit).has_value());
    EXPECT_EQ(m.field(kTotals), u"32767:32767:9:12"_s);
    EXPECT_EQ(m.field(kCurrent), u"0"_s);
    EXPECT_EQ(m.field(kRuns), u"2:0"_s);
}

// ---------------------------------------------------------------------------------------------
// Sessions and alerts

TEST_F(Monitoring, OffJudgesNothing)
{
    Fields f;
    load({record(f)});
    const QString before = engine_.list().text();
    draw(1, kMiss);
    EXPECT_EQ(engine_.list().text(), before);
}

TEST_F(Monitoring, StartingJudgesTheNewestDrawAtOnceAndMayTipTwice)
{
    Fields a;
    Fields b;
    b.numbers = u"4*5*6"_s;
    b.condition = u"≥5"_s;
    load({record(a), record(b)});
    shell_.clear();
    state_.awd_nums = kMiss;
    QSignalSpy on(&engine_, &MonitorEngine::monitoring_changed);
    engine_.set_monitoring(true);
    EXPECT_EQ(on.size(), 1);
    EXPECT_EQ(at(1).field(kDrawCount), u"1"_s);
    EXPECT_EQ(at(2).field(kDrawCount), u"1"_s);
    EXPECT_EQ(at(1).field(kCurrent), u"1"_s);
    EXPECT_EQ(at(1).field(kStatus), u"监控中"_s);
    // The first monitor alerts: one tip per rebuild, and starting rebuilds twice.
    EXPECT_EQ(shell_.tips.size(), 2);
    EXPECT_EQ(shell_.sounds.size(), 2);
    EXPECT_EQ(engine_.line(Line::BetStatus), u"启动投注，等待预警结果中...(列表仅保留最近100条数据)"_s);
}

TEST_F(Monitoring, ThreeAlertingMonitorsGiveOneTipAndOneSound)
{
    Fields f;
    Fields g = f;
    g.numbers = u"4*5*6"_s;
    Fields h = f;
    h.numbers = u"7*8*9"_s;
    Fields quiet = f;
    quiet.numbers = u"0*0*0"_s;
    quiet.condition = u"≥5"_s;
    load({record(f), record(g), record(quiet), record(h)});
    engine_.set_monitoring(true);
    shell_.clear();
    QSignalSpy alerted(&engine_, &MonitorEngine::alerted);
    draw(1, kMiss);
    EXPECT_EQ(shell_.tips, QStringList{QString::fromUtf16(kAlertTip)});
    EXPECT_EQ(shell_.sounds.size(), 1);
    ASSERT_EQ(alerted.size(), 3);
    EXPECT_EQ(alerted.at(2).at(0).toInt(), 4);
    int marked = 0;
    for (const MonitorRow& row : engine_.rows())
        marked += row.marked ? 1 : 0;
    EXPECT_EQ(marked, 3);
}

TEST_F(Monitoring, StoppingAndStartingAgainKeepsTheTotals)
{
    Fields f;
    load({record(f)});
    engine_.set_monitoring(true); // judges the empty draw: a miss
    draw(1, kMiss);
    engine_.set_monitoring(false);
    EXPECT_EQ(at(1).field(kStatus), u"待监控"_s);
    EXPECT_EQ(engine_.line(Line::BetStatus), u"停止投注..."_s);
    draw(2, kMiss); // off: nothing judged
    EXPECT_EQ(at(1).field(kDrawCount), u"2"_s);
    state_.awd_nums = kHit;
    engine_.set_monitoring(true);
    EXPECT_EQ(at(1).field(kDrawCount), u"1"_s);
    EXPECT_EQ(at(1).field(kTotals), u"1:2:1:2"_s);
}

TEST_F(Monitoring, ABetOfAnEarlierSessionSettledAfterAStartCountsInItsOwnSession)
{
    Fields f;
    f.auto_bet = u"1"_s;
    f.numbers = u"1*2*3"_s;
    load({record(f)});
    stops_ = {u"100000"_s, u"-100000"_s};
    draw(0, kMiss);
    engine_.set_monitoring(true); // bets on issue 1
    ASSERT_EQ(engine_.session().bets, 1);
    engine_.set_monitoring(false);
    // Started again before issue 1 is drawn: the new session has placed nothing yet.
    engine_.set_monitoring(true, false);
    EXPECT_EQ(engine_.session().bets, 0);
    draw(1, kHit); // the earlier session's bet wins; this session bets on issue 2
    EXPECT_EQ(engine_.session().wins, 0);
    EXPECT_EQ(engine_.session().bets, 1);
    draw(2, kHit); // this session's own bet wins
    EXPECT_EQ(engine_.session().wins, 1);
    EXPECT_LE(engine_.session().wins, engine_.session().bets);
    EXPECT_EQ(engine_.line(Line::BetSummary).section(u'\n', 0, 0), u"投注2次，中奖1次"_s);
}

TEST_F(Monitoring, AMonitorThatCannotBeUpdatedKeepsItsOwnFields)
{
    Fields good;
    Fields broken;
    broken.numbers = u"4*5*6"_s;
    broken.current = u"x"_s;
    load({record(broken), record(good)});
    engine_.set_monitoring(true);
    const QString broken_before = engine_.list().at(1)->text();
    draw(1, kMiss);
    EXPECT_EQ(engine_.list().at(1)->text(), broken_before);
    EXPECT_EQ(at(2).field(kCurrent), u"2"_s);
    EXPECT_FALSE(engine_.rows().first().alerts);
}

// ---------------------------------------------------------------------------------------------
// The plan, placement and settlement

TEST_F(Monitoring, APlanOfOneTwoFourWrapsAfterItsLastEntry)
{
    Fields f;
    f.auto_bet = u"1"_s;
    f.numbers = u"0*0*0"_s; // never hits these draws
    load({record(f)});
    stops_ = {u"100000"_s, u"-100000"_s};
    engine_.set_monitoring(true); // the first bet, on issue 1
    for (int issue = 1; issue <= 3; ++issue)
        draw(issue, kMiss);
    ASSERT_EQ(placer_.orders.size(), 4);
    EXPECT_EQ(placer_.orders[0].multiplier, 1);
    EXPECT_EQ(placer_.orders[1].multiplier, 2);
    EXPECT_EQ(placer_.orders[2].multiplier, 4);
    EXPECT_EQ(placer_.orders[3].multiplier, 1);
    EXPECT_EQ(at(1).field(kPlanStep), u"4"_s);
    EXPECT_EQ(at(1).field(kBetPending), u"true"_s);
    EXPECT_EQ(at(1).field(kOrderId), u"ORDER4"_s);
    // A win sets the step back to 0 and the next bet uses the first entry again.
    draw(4, u"0,0,0,9,9"_s);
    EXPECT_EQ(engine_.session().wins, 1);
    ASSERT_EQ(placer_.orders.size(), 5);
    EXPECT_EQ(placer_.orders[4].multiplier, 1);
    EXPECT_EQ(at(1).field(kPlanStep), u"1"_s);
}

TEST_F(Monitoring, AStoredCountOfZeroIsComputedOnceAndKept)
{
    Fields f;
    f.auto_bet = u"1"_s;
    f.numbers = u"01*2*3"_s;
    f.bet_info = u"0:0:0:1920"_s;
    f.unit = u"2"_s;
    load({record(f)});
    engine_.set_monitoring(true);
    ASSERT_EQ(placer_.orders.size(), 1);
    EXPECT_EQ(placer_.orders[0].count, 2);
    EXPECT_EQ(placer_.orders[0].cost, u"0.4"_s); // 2 bets of 2 元 in 角
    EXPECT_EQ(at(1).field(kBetInfo), u"2:0.4:192:1920"_s);
    // A stored count of 12 bets 12 without recomputing.
    Fields g = f;
    g.bet_info = u"12:0:0:1920"_s;
    g.numbers = u"4*5*6"_s;
    load({record(g)});
    engine_.set_monitoring(true);
    EXPECT_EQ(placer_.orders.last().count, 12);
}

TEST_F(Monitoring, BetRowsAreAddedThenSettledAgainstTheirDraws)
{
    Fields f;
    f.auto_bet = u"1"_s;
    load({record(f)});
    stops_ = {u"100000"_s, u"-100000"_s};
    state_.bet_iss = u"20151112-0124"_s;
    state_.next_iss_no = u"0124"_s;
    QSignalSpy added(&engine_, &MonitorEngine::bet_added);
    QSignalSpy settled(&engine_, &MonitorEngine::bet_settled);
    engine_.set_monitoring(true);
    ASSERT_EQ(added.size(), 1);
    const BetRow row = engine_.bet_log().first();
    EXPECT_EQ(row.columns[kBetIssue], u"20151112-0124"_s);
    EXPECT_EQ(row.columns[kBetDraw], u"---"_s);
    EXPECT_EQ(row.columns[kBetTitle], u"前三(直选复式)"_s);
    EXPECT_EQ(row.columns[kBetMultiplier], u"1"_s);
    EXPECT_EQ(row.columns[kBetCost], u"2"_s);
    EXPECT_EQ(row.columns[kBetOrder], u"ORDER1"_s);
    EXPECT_EQ(row.columns[kBetNote], u"ABC|直选复式|1920"_s);
    EXPECT_EQ(engine_.line(Line::BetStatus), u"20151112-0124期投注成功！"_s);
    EXPECT_EQ(engine_.session().bets, 1);

    // The draw of 0124 comes ("-" removed in the lookup): the row is settled, once.
    lookup_.insert(u"201511120124"_s, kHit);
    state_.awd_nums = kHit;
    state_.bet_iss = u"20151112-0125"_s;
    engine_.evaluate_draw();
    ASSERT_EQ(settled.size(), 1);
    const BetRow done = engine_.bet_log().first();
    EXPECT_EQ(done.columns[kBetDraw], kHit);
    EXPECT_EQ(done.columns[kBetResult], u"中"_s);
    EXPECT_EQ(done.columns[kBetReturn], u"1920"_s);
    EXPECT_DOUBLE_EQ(engine_.session().income, 1918);
    EXPECT_EQ(engine_.line(Line::Income), u"当前收入：1918"_s);
    EXPECT_EQ(engine_.line(Line::BetSummary), u"投注2次，中奖1次\n最大盈利1918，最小收益0"_s);
    engine_.evaluate_draw();
    EXPECT_EQ(settled.size(), 1);
}

TEST_F(Monitoring, TheStopRuleOnBothSidesOfItsAmounts)
{
    Fields f;
    f.auto_bet = u"1"_s;
    f.bet_info = u"1:0:0:1002"_s; // a hit returns 1002 for a cost of 2
    load({record(f)});
    draw(0, kMiss); // while off: only the draw state
    stops_ = {u"1000.01"_s, u"-1000"_s};
    engine_.set_monitoring(true); // bets on issue 1
    draw(1, kHit);
    EXPECT_DOUBLE_EQ(engine_.session().income, 1000);
    EXPECT_TRUE(engine_.monitoring()); // 1000 is below 1000.01

    stops_ = {u"998"_s, u"-1000"_s};
    draw(2, kMiss); // the bet on 2 loses 2: income 998, exactly the stop-profit
    EXPECT_DOUBLE_EQ(engine_.session().income, 998);
    EXPECT_FALSE(engine_.monitoring());
    EXPECT_EQ(engine_.line(Line::BetStatus), u"达到止盈或止损额，停止监控和投注"_s);

    // Income is kept: a new session stops again at its first settlement.
    engine_.set_monitoring(true);
    EXPECT_FALSE(engine_.monitoring());
    EXPECT_DOUBLE_EQ(engine_.session().income, 998);
    // The stop-loss side: at 998 it stops, just below it does not.
    stops_ = {u"100000"_s, u"998"_s};
    engine_.set_monitoring(true);
    EXPECT_FALSE(engine_.monitoring());
    stops_ = {u"100000"_s, u"997.99"_s};
    engine_.set_monitoring(true);
    EXPECT_TRUE(engine_.monitoring());
}

TEST_F(Monitoring, AStopLossOfZeroStopsAtTheFirstSettlementEvenWithoutBets)
{
    load({record(Fields{})});
    stops_ = {u"1000"_s, u"0"_s};
    engine_.set_monitoring(true);
    EXPECT_FALSE(engine_.monitoring());
    // A stop box that holds no number ends the settlement before the stop rule.
    stops_ = {u"1000"_s, u"abc"_s};
    engine_.set_monitoring(true);
    EXPECT_TRUE(engine_.monitoring());
}

TEST_F(Monitoring, TheBetLogKeepsTheNewestHundredRowsButNeverABetBeforeItsDraw)
{
    // 103 monitors bet at once: every bet stays in the log until its draw settles it, so the
    // income counts all of them.
    QStringList records;
    for (int i = 0; i < 103; ++i) {
        Fields f;
        f.auto_bet = u"1"_s;
        f.numbers = QString::number(i % 10) + u"*"_s + QString::number(i / 10) + u"*0"_s;
        records << record(f);
    }
    load(records);
    stops_ = {u"100000"_s, u"-100000"_s};
    draw(100, kMiss);
    engine_.set_monitoring(true);
    ASSERT_EQ(engine_.bet_log().size(), 103);
    EXPECT_EQ(engine_.bet_log().first().columns[kBetOrder], u"ORDER1"_s);
    // The next draw settles all 103 (2 元 each, no hit), drops them as the 103 new bets come.
    const double before = engine_.session().income;
    draw(101, kMiss);
    EXPECT_DOUBLE_EQ(engine_.session().income, before - 206);
    ASSERT_EQ(engine_.bet_log().size(), 103);
    EXPECT_EQ(engine_.bet_log().first().columns[kBetOrder], u"ORDER104"_s);
    // A stop leaves 103 settled rows and no new bet: the newest 100 remain (rows 4 to 103).
    stops_ = {u"100000"_s, u"-1"_s};
    draw(102, kMiss);
    EXPECT_FALSE(engine_.monitoring());
    ASSERT_EQ(engine_.bet_log().size(), 100);
    EXPECT_EQ(engine_.bet_log().first().columns[kBetOrder], u"ORDER107"_s);
    EXPECT_EQ(engine_.bet_log().last().columns[kBetOrder], u"ORDER206"_s);
    EXPECT_FALSE(engine_.bet_log().first().open());
}

TEST_F(Monitoring, RefusalsLeaveTheMonitorAsItWas)
{
    Fields f;
    f.auto_bet = u"1"_s;
    load({record(f)});
    placer_.status = 0;
    engine_.set_monitoring(true);
    EXPECT_EQ(engine_.line(Line::BetStatus), u"平台拒绝"_s);
    EXPECT_EQ(at(1).field(kBetPending), u"false"_s);
    EXPECT_EQ(at(1).field(kPlanStep), u"0"_s);
    EXPECT_TRUE(engine_.bet_log().isEmpty());
    const int asked = int(placer_.orders.size());
    engine_.refresh(); // asked again at the next rebuild
    EXPECT_EQ(placer_.orders.size(), asked + 1);

    // Jingwei lotteries cannot be bet on at all.
    placer_.status = 1;
    engine_.set_lottery(u"经纬平台-幸运分分彩"_s);
    engine_.refresh();
    EXPECT_EQ(placer_.orders.size(), asked + 1);
    EXPECT_EQ(engine_.line(Line::BetStatus), u"当前不能投注，你必须选择合乐或U彩平台"_s);
}

// ---------------------------------------------------------------------------------------------
// Waits that let events run

TEST_F(Monitoring, ADrawArrivingWhileABetWaitsNeverBetsTwice)
{
    Fields f;
    f.auto_bet = u"1"_s;
    f.numbers = u"0*0*0"_s;
    load({record(f)});
    int nested = 0;
    placer_.during = [&] {
        // The next rebuild (a user's add, a draw) comes while the first bet waits.
        if (nested++ == 0) {
            engine_.refresh();
            engine_.refresh();
        }
    };
    engine_.set_monitoring(true);
    EXPECT_EQ(placer_.orders.size(), 1);
    EXPECT_EQ(engine_.bet_log().size(), 1);
}

TEST_F(Monitoring, APlacementIsWrittenToItsOwnMonitorWhateverMovedMeanwhile)
{
    Fields other;
    other.numbers = u"7*7*7"_s;
    other.condition = u"≥100"_s;
    Fields bettor;
    bettor.auto_bet = u"1"_s;
    load({record(other), record(other), record(bettor)});
    placer_.during = [&] {
        // The rows above it are deleted while the order waits.
        if (engine_.list().at(1)) {
            shell_.answers = {true, true};
            engine_.delete_monitor(1);
            engine_.delete_monitor(1);
        }
    };
    engine_.set_monitoring(true);
    ASSERT_EQ(engine_.list().positions(), QVector<int>{1});
    EXPECT_EQ(at(1).field(kNumbers), u"1*2*3"_s);
    EXPECT_EQ(at(1).field(kBetPending), u"true"_s);
    EXPECT_EQ(at(1).field(kOrderId), u"ORDER1"_s);
}

TEST_F(Monitoring, AnEditMadeDuringAPassIsKept)
{
    Fields f;
    QStringList records;
    for (int i = 0; i < 3; ++i) {
        f.numbers = QString::number(i) + u"*0*0"_s;
        records << record(f);
    }
    load(records);
    engine_.set_monitoring(true);
    engine_.set_breathe_interval(0); // events run before every monitor, as in a long pass
    // A delete and an add arrive in the middle of the pass.
    QTimer::singleShot(0, &engine_, [&] {
        shell_.answers = {true};
        engine_.delete_monitor(2);
        EditorRecord e;
        e.ticked = {true, true, true, false, false};
        e.play = u"直选复式"_s;
        e.numbers = u"5*5*5"_s;
        e.threshold = u"10"_s;
        e.initial_status = u"0"_s;
        engine_.save_monitor(e);
    });
    draw(1, kMiss);
    ASSERT_EQ(engine_.list().positions().size(), 3);
    EXPECT_FALSE(engine_.list().text().contains(u"~1*0*0~"_s)); // the deleted one stays deleted
    EXPECT_EQ(at(3).field(kNumbers), u"5*5*5"_s);               // the added one is there,
    EXPECT_EQ(at(3).field(kDrawCount), u"0"_s);                 // not judged by this pass
    EXPECT_EQ(at(1).field(kDrawCount), u"2"_s);
    EXPECT_EQ(at(2).field(kDrawCount), u"2"_s);
    EXPECT_EQ(at(2).field(kNumbers), u"2*0*0"_s);
}

TEST(SimulatedPlacer, OrderNumbersInTheFormOfTheLotterysPlatform)
{
    const QString digest = u"0123456789ABCDEF0123456789ABCDEF"_s;
    const QString second = u"FEDCBA9876543210FEDCBA9876543210"_s;
    const QString hele = zorvik::platform::simulated_order_id(u"合乐平台-HI彩时时彩"_s, digest, second);
    EXPECT_EQ(hele, u"HEL5BBAMQ012/89ABCDEF"_s);
    EXPECT_EQ(hele.size(), 21);
    EXPECT_EQ(zorvik::platform::simulated_order_id(u"合乐平台-HI彩分分彩"_s, digest, second),
              u"HEL15BAGMK012/89ABCDEF"_s);
    EXPECT_EQ(zorvik::platform::simulated_order_id(u"合乐平台-重庆时时彩"_s, digest, second),
              u"CQ5BBAMQ012/89ABCDEF"_s);
    EXPECT_EQ(zorvik::platform::simulated_order_id(u"U彩平台-欢乐分分彩"_s, digest, second), second);
}

TEST_F(Monitoring, AListKeptElsewhereIsReadAndWrittenThereOnly)
{
    const QString file = dir_.filePath(u"bao/cfg.ini"_s);
    zorvik::support::ini_write(u"alert_cfg"_s, u"list"_s, u"|"_s + record(Fields{}), file);
    Fields other;
    other.numbers = u"4*5*6"_s;
    zorvik::support::ini_write(u"desk_2"_s, u"list"_s, u"|"_s + record(other), file);
    MonitorEngine second(shell_, file);
    second.set_list_place(u"desk_2"_s, u"list"_s);
    second.load();
    ASSERT_EQ(second.list().size(), 2);
    EXPECT_EQ(second.list().at(1)->field(kNumbers), u"4*5*6"_s);
    second.delete_all();
    EXPECT_EQ(zorvik::support::ini_read_whole(u"desk_2"_s, u"list"_s, file), u"|"_s);
    EXPECT_EQ(zorvik::support::ini_read_whole(u"alert_cfg"_s, u"list"_s, file), u"|"_s + record(Fields{}));
}
