// What keeps real money safe when nobody watches: the stop rule before the next bet, a plan that
// never crosses kinds of money, bets judged by their own draws, queued requests that belong to
// their draw, orders that are recorded first and never sent twice, and passes that never nest.

#include "monitoring_fixture.h"
#include "qt_printers.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;
using namespace zorvik::monitor::testing;

namespace {

// A platform that turns bets away while `busy` holds, and places them (order "Q" + issue) after.
std::function<BetResult(const BetOrder&)> busy_while(const bool& busy)
{
    return [&busy](const BetOrder& order) -> BetResult {
        if (busy)
            return {kPlacerBusy, QString(), QString(), u"正在登录平台或读取余额，投注已排队"_s};
        return {1, u"Q"_s + order.issue, order.cost, u"ok"_s};
    };
}

Fields betting()
{
    Fields f;
    f.auto_bet = u"1"_s;
    f.numbers = u"0*0*0"_s; // the draws below miss it unless they say otherwise
    return f;
}

TEST_F(Monitoring, StartingResetsEveryCurrentValueToItsInitialValue)
{
    Fields f;
    f.current = u"7"_s;
    f.initial = u"2"_s;
    Fields g = f;
    g.numbers = u"4*5*6"_s;
    g.current = u"30"_s;
    g.initial = u"0"_s;
    load({record(f), record(g)});
    state_.awd_nums = kMiss;
    engine_.set_monitoring(true);
    EXPECT_EQ(at(1).field(kCurrent), u"3"_s);
    EXPECT_EQ(at(2).field(kCurrent), u"1"_s);
}

TEST_F(Monitoring, TheStopRuleComesBeforeTheNextBet)
{
    load({record(betting())});
    stops_ = {u"100000"_s, u"-5"_s};
    draw(0, kMiss);
    engine_.set_monitoring(true); // ×1 on issue 1 (cost 2)
    draw(1, kMiss);               // -2: ×2 on issue 2 (cost 4)
    ASSERT_EQ(placer_.orders.size(), 2);
    draw(2, kMiss); // -6 passes -5: nothing more is bet
    EXPECT_FALSE(engine_.monitoring());
    EXPECT_EQ(placer_.orders.size(), 2);
    EXPECT_DOUBLE_EQ(engine_.session().income, -6);
    EXPECT_EQ(engine_.line(Line::BetStatus), u"达到止盈或止损额，停止监控和投注"_s);
    // Just above the stop-loss the chase goes on.
    stops_ = {u"100000"_s, u"-6.01"_s};
    engine_.set_monitoring(true);
    EXPECT_TRUE(engine_.monitoring());
    EXPECT_EQ(placer_.orders.size(), 3);
}

TEST_F(Monitoring, APlanEntryThatIsNotPositiveIsSaidAndBetsNothing)
{
    for (const auto& [plan, step, entry] : {std::tuple{u"0,1"_s, u"0"_s, 1}, std::tuple{u"1,-2"_s, u"1"_s, 2},
                                           std::tuple{u"1,x"_s, u"1"_s, 2}}) {
        Fields f = betting();
        f.plan = plan;
        f.step = step;
        load({record(f)});
        placer_.orders.clear();
        engine_.set_monitoring(true);
        EXPECT_TRUE(placer_.orders.isEmpty()) << plan.toStdString();
        EXPECT_EQ(engine_.line(Line::BetStatus),
                  u"投注计划第"_s + QString::number(entry) + u"项不是正数，本次不投注"_s);
        engine_.set_monitoring(false);
    }
    // The smallest positive entry bets.
    Fields f = betting();
    f.plan = u"1"_s;
    load({record(f)});
    engine_.set_monitoring(true);
    EXPECT_EQ(placer_.orders.size(), 1);
}

TEST_F(Monitoring, SwitchingTheKindOfMoneyStartsEveryPlanAgain)
{
    load({record(betting())});
    stops_ = {u"100000"_s, u"-100000"_s};
    engine_.set_simulated(true);
    draw(0, kMiss);
    engine_.set_monitoring(true);
    draw(1, kMiss);
    draw(2, kMiss); // the chase is at ×4, its bet waiting for draw 3
    ASSERT_EQ(placer_.orders.last().multiplier, 4);
    EXPECT_EQ(at(1).field(kBetPending), u"true"_s);
    engine_.set_simulated(false);
    EXPECT_EQ(at(1).field(kPlanStep), u"0"_s);
    EXPECT_EQ(at(1).field(kBetPending), u"false"_s);
    engine_.refresh(); // issue 3 has its (simulated) bet already
    EXPECT_EQ(placer_.orders.size(), 3);
    draw(3, kMiss); // the simulated bet's loss moves no real plan
    EXPECT_EQ(placer_.orders.last().multiplier, 1);
    EXPECT_EQ(placer_.orders.last().issue, u"4"_s);
    // Setting the same kind again changes nothing.
    draw(4, kMiss);
    engine_.set_simulated(false);
    EXPECT_EQ(at(1).field(kPlanStep), u"2"_s);
}

TEST_F(Monitoring, SimulatedAndRealMoneyAreNeverAddedTogether)
{
    load({record(betting())});
    stops_ = {u"100000"_s, u"-100000"_s};
    engine_.set_simulated(true);
    draw(0, kMiss);
    engine_.set_monitoring(true); // a simulated bet on issue 1
    draw(1, kMiss);               // settled: -2 simulated; ×2 on 2
    EXPECT_DOUBLE_EQ(engine_.session(true).income, -2);
    EXPECT_EQ(engine_.line(Line::Income), u"当前收入：-2"_s);
    engine_.set_simulated(false);
    EXPECT_EQ(engine_.line(Line::Income), u"当前收入：0"_s);
    EXPECT_DOUBLE_EQ(engine_.session().income, 0);
    draw(2, kMiss); // the simulated ×2 loses 4; a real ×1 on 3
    EXPECT_DOUBLE_EQ(engine_.session(true).income, -6);
    EXPECT_DOUBLE_EQ(engine_.session(false).income, 0);
    EXPECT_EQ(engine_.line(Line::Income), u"当前收入：0"_s);
    draw(3, kMiss);
    EXPECT_DOUBLE_EQ(engine_.session(false).income, -2);
    EXPECT_DOUBLE_EQ(engine_.session(true).income, -6);
    EXPECT_EQ(engine_.line(Line::Income), u"当前收入：-2"_s);
    EXPECT_FALSE(engine_.bet_log().last().simulated);
    EXPECT_TRUE(engine_.bet_log().first().simulated);
}

TEST_F(Monitoring, BetsOpenWhenMonitoringStopsAreSettledAsTheirDrawsCome)
{
    load({record(betting())});
    stops_ = {u"100000"_s, u"-100000"_s};
    draw(0, kMiss);
    engine_.set_monitoring(true); // bets on issue 1
    engine_.set_monitoring(false);
    QSignalSpy settled(&engine_, &MonitorEngine::bet_settled);
    draw(1, u"0,0,0,1,1"_s);
    ASSERT_EQ(settled.size(), 1);
    EXPECT_EQ(engine_.bet_log().first().columns[kBetResult], u"中"_s);
    EXPECT_DOUBLE_EQ(engine_.session().income, 1918);
    EXPECT_EQ(engine_.line(Line::Income), u"当前收入：1918"_s);
    // Its win counts with its bet, as its row says.
    EXPECT_EQ(engine_.session().wins, 1);
    EXPECT_TRUE(engine_.line(Line::BetSummary).startsWith(u"投注1次，中奖1次"_s)) << engine_.line(Line::BetSummary).toStdString();
    // Nothing is judged or bet while off, and a second draw settles nothing again.
    EXPECT_EQ(placer_.orders.size(), 1);
    draw(2, kMiss);
    EXPECT_EQ(settled.size(), 1);
    // A row still open at a new start is kept, and settled later.
    engine_.set_monitoring(true); // bets on issue 3
    engine_.set_monitoring(false);
    engine_.set_monitoring(true);
    ASSERT_EQ(engine_.bet_log().size(), 1);
    EXPECT_TRUE(engine_.bet_log().first().open());
    // Its win belongs to the session it was bet in, not to this one (which bets on issue 4).
    draw(3, u"0,0,0,1,1"_s);
    EXPECT_EQ(engine_.session().wins, 0);
    ASSERT_EQ(placer_.orders.size(), 3);
    // This session's bet, settled after a stop, is this session's win, counted once.
    engine_.set_monitoring(false);
    draw(4, u"0,0,0,1,1"_s);
    draw(5, u"0,0,0,1,1"_s);
    EXPECT_EQ(engine_.session().wins, 1);
    EXPECT_EQ(engine_.session().bets, 1);
}

TEST_F(Monitoring, AMonitorThatCannotBeUpdatedNeitherAlertsNorBetsAndLetsItsBetGo)
{
    Fields f = betting();
    f.current = u"32766"_s;
    load({record(f)});
    stops_ = {u"100000"_s, u"-100000"_s};
    draw(0, kMiss);
    engine_.set_monitoring(false);
    // Started at 32766 and judged on the newest draw (a miss): 32767, alerting, bet placed.
    engine_.set_monitoring(true);
    EXPECT_EQ(at(1).field(kCurrent), u"32767"_s);
    ASSERT_EQ(placer_.orders.size(), 1);
    EXPECT_TRUE(engine_.rows().first().alerts);
    // The next miss would pass 32767: no alert, no bet, and its waiting bet is let go.
    draw(1, kMiss);
    EXPECT_EQ(at(1).field(kCurrent), u"32767"_s);
    EXPECT_FALSE(engine_.rows().first().alerts);
    EXPECT_EQ(placer_.orders.size(), 1);
    EXPECT_EQ(at(1).field(kBetPending), u"false"_s);
    // A hit updates it again: it alerts (≥0) and bets.
    draw(2, u"0,0,0,1,1"_s);
    EXPECT_EQ(at(1).field(kCurrent), u"0"_s);
    EXPECT_TRUE(engine_.rows().first().alerts);
    EXPECT_EQ(placer_.orders.size(), 2);
}

TEST_F(Monitoring, ABetIsJudgedByItsOwnIssuesDrawWhenTheFeedSkipsOne)
{
    Fields f = betting();
    f.numbers = u"1*2*3"_s;
    load({record(f)});
    stops_ = {u"100000"_s, u"-100000"_s};
    QString history = u"1:"_s + kMiss;
    state_.history = &history;
    draw(1, kMiss);
    engine_.set_monitoring(true); // judged draw 1; bets ×1 on issue 2
    ASSERT_EQ(placer_.orders.size(), 1);
    // The feed jumps from 1 to 3; the history holds 2 (a hit) and 3 (a miss).
    history = u"3:"_s + kMiss + u"|2:"_s + kHit + u'|' + history;
    lookup_.insert(u"2"_s, kHit);
    draw(3, kMiss);
    // Draw 2 won the bet: the plan starts again (×1), and both draws were counted.
    EXPECT_EQ(engine_.session().wins, 1);
    EXPECT_EQ(at(1).field(kDrawCount), u"3"_s);
    EXPECT_EQ(at(1).field(kCurrent), u"1"_s); // 遗漏: a hit at 2, a miss at 3
    ASSERT_EQ(placer_.orders.size(), 2);
    EXPECT_EQ(placer_.orders[1].multiplier, 1);
    EXPECT_EQ(placer_.orders[1].issue, u"4"_s);
}

TEST_F(Monitoring, ABetWhoseDrawIsNotKnownWaitsForIt)
{
    Fields f = betting();
    f.numbers = u"1*2*3"_s;
    load({record(f)});
    stops_ = {u"100000"_s, u"-100000"_s};
    draw(1, kMiss);
    engine_.set_monitoring(true); // bets on 2
    // 2 never arrives (no history); 3 hits: the bet on 2 is not judged by it, and the history
    // is asked for once.
    QSignalSpy missing(&engine_, &MonitorEngine::draw_missing);
    // Draw 1 judged again: the bet on 2 is still to come, nothing is missing.
    engine_.evaluate_draw();
    EXPECT_TRUE(missing.isEmpty());
    draw(3, kHit);
    draw(4, kHit);
    ASSERT_EQ(missing.size(), 1);
    EXPECT_EQ(missing.first().at(0).toString(), u"2"_s);
    EXPECT_EQ(at(1).field(kBetPending), u"true"_s);
    EXPECT_EQ(engine_.session().wins, 0);
    EXPECT_EQ(placer_.orders.size(), 1);
    // Once 2 is known (a miss, the history fetched again), the bet is judged by it at once and
    // the chase goes on at ×2 for the issue on sale.
    lookup_.insert(u"2"_s, kMiss);
    engine_.resolve_waiting();
    EXPECT_EQ(engine_.session().wins, 0);
    ASSERT_EQ(placer_.orders.size(), 2);
    EXPECT_EQ(placer_.orders[1].multiplier, 2);
    EXPECT_EQ(placer_.orders[1].issue, u"5"_s);
    engine_.resolve_waiting(); // nothing waits any more
    EXPECT_EQ(placer_.orders.size(), 2);
}

TEST_F(Monitoring, NoMonitorIsBetTwiceForOneIssueAcrossAStopAndAStart)
{
    load({record(betting())});
    stops_ = {u"100000"_s, u"-100000"_s};
    draw(1, kMiss);
    engine_.set_monitoring(true); // bets on 2
    ASSERT_EQ(placer_.orders.size(), 1);
    engine_.set_monitoring(false);
    engine_.restart_plans(); // pending forgotten, as a switch of money would
    engine_.set_monitoring(true);
    EXPECT_EQ(placer_.orders.size(), 1);
    draw(2, kMiss);
    EXPECT_EQ(placer_.orders.size(), 2);
    EXPECT_EQ(placer_.orders[1].issue, u"3"_s);
}

TEST_F(Monitoring, AFailedPlacementIsAskedAgainAtTheNextRebuild)
{
    load({record(betting())});
    stops_ = {u"100000"_s, u"-100000"_s};
    placer_.status = -1;
    draw(1, kMiss);
    engine_.set_monitoring(true);
    EXPECT_EQ(placer_.orders.size(), 2); // both rebuilds of the start ask
    EXPECT_TRUE(engine_.bet_log().isEmpty());
    placer_.status = 1;
    engine_.refresh();
    EXPECT_EQ(placer_.orders.size(), 3);
    EXPECT_EQ(engine_.bet_log().size(), 1);
    engine_.refresh(); // placed: not again for this issue
    EXPECT_EQ(placer_.orders.size(), 3);
}

TEST_F(Monitoring, TheBetLogKeepsExactlyAHundredRows)
{
    for (const int bets : {100, 101}) {
        QStringList records;
        for (int i = 0; i < bets; ++i) {
            Fields f = betting();
            f.numbers = QString::number(i % 10) + u"*"_s + QString::number(i / 10 % 10) + u"*"_s +
                        QString::number(i / 100);
            records << record(f);
        }
        load(records);
        stops_ = {u"100000"_s, u"-100000"_s};
        placer_.orders.clear();
        draw(1, kMiss);
        engine_.set_monitoring(true);
        // Settled at the next draw, which stops monitoring: no new bet, the newest 100 stay.
        stops_ = {u"100000"_s, u"-1"_s};
        draw(2, kMiss);
        ASSERT_FALSE(engine_.monitoring());
        EXPECT_EQ(engine_.bet_log().size(), 100) << bets;
        EXPECT_EQ(engine_.bet_log().first().columns[kBetOrder],
                  u"ORDER"_s + QString::number(bets - 99)) << bets;
    }
}

TEST_F(Monitoring, BetsTurnedAwayByABusyPlatformArePlacedForTheirIssueOnly)
{
    load({record(betting())});
    stops_ = {u"100000"_s, u"-100000"_s};
    bool busy = true;
    placer_.respond = busy_while(busy);
    QSignalSpy dropped(&engine_, &MonitorEngine::order_dropped);
    draw(1, kMiss);
    engine_.set_monitoring(true);
    EXPECT_TRUE(engine_.bet_log().isEmpty());
    EXPECT_EQ(dropped.size(), 2); // recorded nothing lasting
    busy = false;
    engine_.place_queued(); // the platform is free: placed once, for issue 2
    ASSERT_EQ(engine_.bet_log().size(), 1);
    EXPECT_EQ(engine_.bet_log().first().columns[kBetOrder], u"Q2"_s);
    engine_.place_queued();
    EXPECT_EQ(engine_.bet_log().size(), 1);

    // Queued for issue 3, and issue 4 is on sale when the platform is free: dropped, said.
    busy = true;
    draw(2, kMiss);
    state_.bet_iss = u"4"_s;
    state_.next_iss_no = u"4"_s;
    busy = false;
    const qsizetype orders = placer_.orders.size();
    engine_.place_queued();
    EXPECT_EQ(placer_.orders.size(), orders);
    EXPECT_EQ(engine_.line(Line::BetStatus), u"3期已截止，排队的投注不再下单：前三(直选复式)"_s);
}

TEST_F(Monitoring, RequestsQueuedForAnEarlierDrawAreDroppedWhenANewerOneArrives)
{
    load({record(betting())});
    stops_ = {u"100000"_s, u"-100000"_s};
    bool busy = true;
    placer_.respond = busy_while(busy);
    draw(1, kMiss);
    engine_.set_monitoring(true); // queued for 2
    busy = false;
    draw(2, kMiss); // the queue is for 2, issue 3 is on sale: the rebuild asks for 3 itself
    ASSERT_EQ(engine_.bet_log().size(), 1);
    EXPECT_EQ(engine_.bet_log().first().columns[kBetIssue], u"3"_s);
    engine_.place_queued();
    EXPECT_EQ(engine_.bet_log().size(), 1);
}

TEST_F(Monitoring, AnOrderIsRecordedBeforeItIsSentAndNotSentWithoutARecord)
{
    load({record(betting())});
    stops_ = {u"100000"_s, u"-100000"_s};
    QStringList recorded;
    bool writable = true;
    engine_.set_order_recorder([&](const BetRow& row) {
        EXPECT_EQ(row.columns[kBetResult], u"未确认"_s);
        recorded << row.columns[kBetIssue];
        return writable ? u"ref"_s + QString::number(recorded.size()) : QString();
    });
    placer_.during = [&] { EXPECT_EQ(recorded.size(), placer_.orders.size()); };
    draw(1, kMiss);
    engine_.set_monitoring(true);
    ASSERT_EQ(engine_.bet_log().size(), 1);
    EXPECT_EQ(engine_.bet_log().first().ref, u"ref1"_s);
    EXPECT_EQ(engine_.bet_log().first().columns[kBetResult], u"---"_s);
    writable = false;
    draw(2, kMiss);
    EXPECT_EQ(placer_.orders.size(), 1);
    EXPECT_EQ(engine_.line(Line::BetStatus), u"投注记录无法写入，本次不下单"_s);
    // Recording may wait; a rebuild nested in that wait does not order the monitor again.
    writable = true;
    int nested = 0;
    engine_.set_order_recorder([&](const BetRow&) {
        if (nested++ == 0)
            engine_.refresh();
        return u"ref"_s;
    });
    engine_.refresh();
    EXPECT_EQ(placer_.orders.size(), 2);
    EXPECT_EQ(placer_.orders.last().issue, u"3"_s);
}

TEST_F(Monitoring, AnOrderWhoseAnswerNeverCameIsNeitherForgottenNorRetried)
{
    load({record(betting())});
    stops_ = {u"100000"_s, u"-100000"_s};
    BetResult answer{kUnconfirmed, QString(), QString(), u"订单未确认"_s, true};
    placer_.respond = [&](const BetOrder&) { return answer; };
    QSignalSpy unconfirmed(&engine_, &MonitorEngine::bet_unconfirmed);
    draw(1, kMiss);
    engine_.set_monitoring(true);
    ASSERT_EQ(unconfirmed.size(), 1);
    ASSERT_EQ(engine_.bet_log().size(), 1);
    const BetRow row = engine_.bet_log().first();
    EXPECT_TRUE(row.unconfirmed);
    EXPECT_EQ(row.columns[kBetResult], u"未确认"_s);
    EXPECT_EQ(placer_.orders.size(), 1); // not again for this issue
    EXPECT_EQ(at(1).field(kBetPending), u"true"_s);
    EXPECT_EQ(engine_.session().bets, 0);
    EXPECT_EQ(engine_.line(Line::BetStatus), u"订单未确认"_s);
    // Never settled, never counted.
    draw(2, kMiss);
    EXPECT_EQ(engine_.bet_log().first().columns[kBetResult], u"未确认"_s);
    EXPECT_DOUBLE_EQ(engine_.session().income, 0);

    // Confirmed by the balance after the time-out: told as unconfirmed first, then placed.
    answer = {1, u"BAL"_s, u"4"_s, u"确认"_s, true};
    draw(3, kMiss);
    EXPECT_EQ(unconfirmed.size(), 3);
    EXPECT_FALSE(engine_.bet_log().last().unconfirmed);
    EXPECT_EQ(engine_.bet_log().last().columns[kBetOrder], u"BAL"_s);
    // Cancelled by the balance: dropped and said as such.
    QSignalSpy dropped(&engine_, &MonitorEngine::order_dropped);
    answer = {-999, QString(), QString(), u"未知错误。错误码：-999"_s, true};
    draw(4, kMiss);
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_TRUE(dropped.first().at(1).toBool());
    // Not sent again for that issue, even so.
    const qsizetype sent = placer_.orders.size();
    engine_.refresh();
    EXPECT_EQ(placer_.orders.size(), sent);
}

TEST_F(Monitoring, APassIsNeverNestedInAnother)
{
    Fields f = betting();
    Fields g = betting();
    g.numbers = u"9*0*0"_s;
    load({record(f), record(g)});
    stops_ = {u"100000"_s, u"-100000"_s};
    QString history = u"1:"_s + kMiss;
    state_.history = &history;
    draw(1, kMiss);
    engine_.set_monitoring(true);
    ASSERT_EQ(placer_.orders.size(), 2);
    // Draw 3 arrives (2 skipped) while the first bet of draw 2's pass waits.
    int nested = 0;
    placer_.during = [&] {
        if (nested++)
            return;
        history = u"3:"_s + kMiss + u"|2:"_s + kMiss + u'|' + history;
        draw(3, kMiss);
    };
    state_.awd_iss = u"2"_s; // the pass for 2, with 3 not yet known
    state_.awd_nums = kMiss;
    state_.bet_iss = state_.next_iss_no = u"3"_s;
    lookup_.insert(u"2"_s, kMiss);
    history = u"2:"_s + kMiss + u'|' + history;
    engine_.evaluate_draw();
    // Each monitor was judged once per draw, and bet once per issue.
    EXPECT_EQ(at(1).field(kDrawCount), u"3"_s);
    EXPECT_EQ(at(2).field(kDrawCount), u"3"_s);
    QSet<QString> seen;
    for (const BetOrder& o : placer_.orders)
        seen.insert(o.issue + u' ' + o.numbers);
    EXPECT_EQ(seen.size(), placer_.orders.size());
    EXPECT_TRUE(seen.contains(u"4 0*0*0"_s)); // draw 3's own rebuild bet for issue 4

    // A stop clicked while a bet waits: nothing more is bet, and monitoring is off after.
    placer_.during = [&] { engine_.set_monitoring(false); };
    const qsizetype before = placer_.orders.size();
    history = u"4:"_s + kMiss + u'|' + history;
    draw(4, kMiss);
    EXPECT_EQ(placer_.orders.size(), before + 1);
    EXPECT_FALSE(engine_.monitoring());
}

} // namespace

// The late answer of an unconfirmed order: placed, it is counted and settled by its draw as any
// placed bet; refused, it is never counted nor settled. A late answer finds only its own row.
TEST_F(Monitoring, ALateAnswerPlacesOrRefusesTheUnconfirmedRowOfItsOrder)
{
    load({record(betting())});
    stops_ = {u"100000"_s, u"-100000"_s};
    placer_.respond = [](const BetOrder&) {
        return BetResult{kUnconfirmed, QString(), QString(), u"订单未确认"_s, true};
    };
    draw(1, kMiss);
    engine_.set_monitoring(true);
    ASSERT_EQ(engine_.bet_log().size(), 1);
    const BetOrder sent = placer_.orders.last();
    QSignalSpy resolved(&engine_, &MonitorEngine::bet_resolved);
    QSignalSpy dropped(&engine_, &MonitorEngine::order_dropped);

    BetOrder other = sent;
    other.numbers = u"4*5*6"_s;
    EXPECT_FALSE(engine_.take_late_answer(other, {1, u"X"_s, sent.cost, u"ok"_s, true}));
    other = sent;
    other.issue = u"7"_s;
    EXPECT_FALSE(engine_.take_late_answer(other, {1, u"X"_s, sent.cost, u"ok"_s, true}));
    EXPECT_EQ(resolved.size(), 0);

    ASSERT_TRUE(engine_.take_late_answer(sent, {1, u"LATE"_s, sent.cost, u"ok"_s, true}));
    ASSERT_EQ(resolved.size(), 1);
    const BetRow& row = engine_.bet_log().first();
    EXPECT_FALSE(row.unconfirmed);
    EXPECT_TRUE(row.awaiting_draw());
    EXPECT_EQ(row.columns[kBetOrder], u"LATE"_s);
    EXPECT_EQ(engine_.session().bets, 1);
    // Answered once: the row is no longer unconfirmed.
    EXPECT_FALSE(engine_.take_late_answer(sent, {1, u"LATE"_s, sent.cost, u"ok"_s, true}));
    // Its draw settles it, and the income counts it.
    placer_.respond = [](const BetOrder&) {
        return BetResult{kUnconfirmed, QString(), QString(), u"订单未确认"_s, true};
    };
    draw(2, u"0,0,0,9,9"_s); // its numbers 0*0*0 hit
    EXPECT_EQ(engine_.bet_log().first().columns[kBetResult], u"中"_s);
    EXPECT_GT(engine_.session().income, 0);
    const double income = engine_.session().income;

    // The next order, also unconfirmed, is refused late: never counted, never settled.
    ASSERT_EQ(engine_.bet_log().size(), 2);
    const BetOrder second = placer_.orders.last();
    ASSERT_TRUE(engine_.take_late_answer(second, {-40, QString(), QString(), u"户头余额不足"_s, true}));
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_TRUE(dropped.first().at(1).toBool());
    EXPECT_EQ(engine_.bet_log().last().columns[kBetResult], u"未成交"_s);
    EXPECT_EQ(engine_.line(Line::BetStatus), u"户头余额不足"_s);
    draw(3, u"0,0,0,9,9"_s);
    EXPECT_EQ(engine_.bet_log()[1].columns[kBetResult], u"未成交"_s);
    EXPECT_DOUBLE_EQ(engine_.session().income, income);
    EXPECT_EQ(engine_.session().bets, 1);
}

namespace {

// A platform whose orders wait their turn: each job is held until the test lets it go.
class QueuedPlacer final : public BetPlacer {
public:
    void submit(BetJob job) override { jobs.append(std::move(job)); }
    // The oldest job's turn: sent (answered with `status`) unless it is kept back.
    bool turn(int status = 1)
    {
        BetJob job = jobs.takeFirst();
        if (!job.send()) {
            job.done({kNotSent, {}, {}, {}});
            return false;
        }
        ++sent;
        job.done({status, u"Q"_s + job.order.issue, job.order.cost, status == 1 ? u"ok"_s : u"晚了"_s});
        return true;
    }
    QList<BetJob> jobs;
    int sent = 0;
};

class QueuedBets : public Monitoring {
protected:
    QueuedBets()
    {
        engine_.set_placer(&queue_);
        engine_.set_order_recorder([this](const BetRow& row) {
            recorded_ << row.columns[kBetIssue];
            return u"ref"_s + QString::number(recorded_.size());
        });
        QObject::connect(&engine_, &MonitorEngine::line_changed, [this](Line which, const QString& text) {
            if (which == Line::BetStatus)
                status_ << text;
        });
    }
    // Two monitors that bet at every draw, started on draw 0: both ask for issue 1.
    void two_bettors()
    {
        Fields second = betting();
        second.numbers = u"0*0*1"_s;
        load({record(betting()), record(second)});
        draw(0, kMiss);
        engine_.set_monitoring(true);
    }
    QueuedPlacer queue_;
    QStringList recorded_;
    QStringList status_;
};

TEST_F(QueuedBets, EveryMonitorsBetOfADrawWaitsInTheQueueAtOnce)
{
    two_bettors();
    // Both asked for now; nothing is recorded before its turn.
    ASSERT_EQ(queue_.jobs.size(), 2);
    EXPECT_TRUE(recorded_.isEmpty());
    EXPECT_TRUE(queue_.turn());
    EXPECT_TRUE(queue_.turn());
    EXPECT_EQ(recorded_, (QStringList{u"1"_s, u"1"_s}));
    EXPECT_EQ(engine_.bet_log().size(), 2);
    // Placed once for the issue: the next rebuild of the same draw asks for nothing more.
    engine_.evaluate_draw();
    EXPECT_TRUE(queue_.jobs.isEmpty());
}

TEST_F(QueuedBets, AnOrderWhoseIssueClosedWhileItWaitedIsNotSentNorRecordedAndIsCountedOnce)
{
    two_bettors();
    ASSERT_EQ(queue_.jobs.size(), 2);
    // The next draw comes first: issue 1 is over, its two orders are kept back.
    state_.bet_iss = u"2"_s;
    state_.next_iss_no = u"2"_s;
    status_.clear();
    EXPECT_FALSE(queue_.turn());
    EXPECT_FALSE(queue_.turn());
    EXPECT_EQ(queue_.sent, 0);
    EXPECT_TRUE(recorded_.isEmpty());
    EXPECT_TRUE(engine_.bet_log().isEmpty());
    // Said once for the draw, with the count.
    EXPECT_EQ(status_, QStringList{u"2注因期号已截止未能投注"_s});
    // The plans did not move: the next issue bets the first entry again.
    EXPECT_EQ(at(1).field(kPlanStep), u"0"_s);
    EXPECT_EQ(at(1).field(kBetPending), u"false"_s);
    draw(1, kMiss);
    ASSERT_EQ(queue_.jobs.size(), 2);
    EXPECT_EQ(queue_.jobs[0].order.multiplier, 1);
    EXPECT_EQ(queue_.jobs[0].order.issue, u"2"_s);
}

TEST_F(QueuedBets, AnOrderThePlatformFindsTooLateLeavesThePlanWhereItWas)
{
    load({record(betting())});
    draw(0, kMiss);
    engine_.set_monitoring(true);
    EXPECT_TRUE(queue_.turn());               // ×1 on issue 1, placed
    draw(1, kMiss);                            // lost: ×2 on issue 2
    ASSERT_EQ(queue_.jobs.size(), 1);
    EXPECT_EQ(queue_.jobs[0].order.multiplier, 2);
    status_.clear();
    EXPECT_TRUE(queue_.turn(kIssueClosed));   // the platform had closed issue 2
    EXPECT_EQ(status_.last(), u"1注因期号已截止未能投注"_s);
    EXPECT_EQ(engine_.bet_log().size(), 1);   // only the placed one
    EXPECT_EQ(at(1).field(kBetPending), u"false"_s);
    draw(2, kMiss);                            // issue 2 was never bet: still the second entry
    ASSERT_EQ(queue_.jobs.size(), 1);
    EXPECT_EQ(queue_.jobs[0].order.multiplier, 2);
    EXPECT_EQ(queue_.jobs[0].order.issue, u"3"_s);
}

TEST_F(QueuedBets, AStopOrADeletedMonitorKeepsBackWhatWaits)
{
    two_bettors();
    ASSERT_EQ(queue_.jobs.size(), 2);
    engine_.delete_monitor(2);
    EXPECT_TRUE(queue_.turn());
    EXPECT_FALSE(queue_.turn());
    EXPECT_EQ(recorded_.size(), 1);
    draw(1, kMiss);
    ASSERT_EQ(queue_.jobs.size(), 1);
    engine_.set_monitoring(false);
    EXPECT_FALSE(queue_.turn());
    EXPECT_EQ(recorded_.size(), 1);
    EXPECT_EQ(queue_.sent, 1);
}

TEST_F(QueuedBets, NothingIsAskedForWithoutTheIssueOnSale)
{
    load({record(betting())});
    draw(0, kMiss);
    // The feed lost its draws: no issue on sale when the monitors are judged.
    state_.bet_iss.clear();
    state_.next_iss_no.clear();
    engine_.set_monitoring(true);
    EXPECT_TRUE(queue_.jobs.isEmpty());
    EXPECT_TRUE(recorded_.isEmpty());
    EXPECT_TRUE(status_.contains(u"投注期号未知（开奖数据未更新），本次不投注"_s)) << status_.join(u'\n').toStdString();
}

} // namespace
