// Real money left unattended, end to end against zorvik-sim: page dialogs at login and during a
// session, an order answered after the program gave up, a lost session, a play the platform has
// no code for, the stop-loss, and a stop by signal. The platform's own record of the orders it
// took is compared with the program's.

#include "e2e_support.h"
#include "fakes/bet_records.h"
#include "records/records.h"

#include <QSet>
#include <QTest>
#include <gtest/gtest.h>
#include <csignal>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::e2e;

namespace {

const QString kAccount = u"ann:p'w\\1:100"_s;
// A monitor that bets 前三 直选复式 1*2*3 at every draw, 0.2 a bet (角, one time).
const QString kEveryDrawAtJiao = u"|ABC~直选复式~前三(直选复式)~1*2*3~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                                 u"1~2~false~0~0:0:0:1920~0"_s;

QJsonArray accepted_orders(const Sim& sim, const QString& platform)
{
    QJsonArray out;
    for (const auto& order : sim.admin("/sim/state")[u"orders"_s].toArray())
        if (order[u"accepted"_s].toBool() && order[u"platform"_s].toString() == platform)
            out.append(order);
    return out;
}

// The records' rows as zorvik-cli prints them (CSV, header first).
QStringList records_csv(const QString& data_dir)
{
    return run_cli({u"records"_s, data_dir + u"/bao/records.db"_s, u"--csv"_s});
}

// Ends the program with SIGTERM; true when it was gone within five seconds.
bool ends_within_five_seconds(QProcess& process)
{
    QElapsedTimer took;
    took.start();
    process.terminate();
    const bool ended = process.waitForFinished(5000);
    return ended && took.elapsed() <= 5000;
}

// A killed run left an order unconfirmed; another desk on the same account bet after it. At
// the next login the balance, with that desk's order carried over, says it was placed.
TEST(Unattended, AnOrderAKilledRunLeftUnconfirmedIsJudgedWithTheOtherDesksOrdersAtTheNextLogin)
{
    Sim sim(5, {u"--account"_s, kAccount}); // the account holds 100
    const auto killed_run = [](const QString& dir) {
        QDir(dir).mkpath(u"bao"_s);
        zorvik::records::RecordStore store;
        ASSERT_TRUE(store.open(dir + u"/bao/records.db"_s));
        // 104 before it; the other desk's order of 2 after it, lost; 104 - 2 - 2 = 100.
        zorvik::records::BetRecord lost = zorvik::testing::unconfirmed_order(u"合乐平台-HI彩分分彩"_s, u"lost"_s, 104);
        lost.placed_at = u"2026-12-08 09:00:00"_s;
        ASSERT_TRUE(store.add_bet(lost));
        zorvik::records::BetRecord other = zorvik::testing::unconfirmed_order(u"合乐平台-HI彩时时彩"_s, u"o"_s, 102);
        other.placed_at = u"2026-12-08 09:00:10"_s;
        other.state = QString::fromUtf16(zorvik::records::kConfirmedState);
        other.order_no = u"D2"_s;
        ASSERT_TRUE(store.add_bet(other));
        ASSERT_TRUE(store.settle(other.lottery, other.issue, u"D2"_s, u"0,0,0,0,0"_s, u"挂"_s, 0,
                                 u"2026-12-08 09:01:00"_s));
    };
    // A monitor that never bets: nothing of this run moves the balance.
    Betting program(sim, u"合乐平台-HI彩分分彩"_s,
                    u"|ABC~直选复式~前三(直选复式)~1*2*3~遗漏~≥999~大于等于999~0~待监控~~0~0~0:0~0:0:0:0~0~"
                    u"1~2~false~0~0:0:0:1920~0"_s,
                    u"plt_tz_zy=100000\r\n"_s, false, killed_run);
    qsizetype at = 0;
    ASSERT_FALSE(program.wait_for(u" login ann已登录到平台。"_s, 30000, &at).isEmpty()) << program.all().toStdString();
    const QString placed = program.wait_for(u"20261208-0100"_s, 10000, &at);
    EXPECT_TRUE(placed.contains(u" bet "_s)) << program.all().toStdString();
    EXPECT_TRUE(ends_within_five_seconds(program.process_));
    QStringList rows = records_csv(program.dir_.path());
    ASSERT_EQ(rows.size(), 3) << rows.join(u'\n').toStdString();
    EXPECT_TRUE(rows[1].endsWith(u",confirmed"_s)) << rows[1].toStdString();
    EXPECT_EQ(csv_cells(rows[1]).value(1), u"合乐平台-HI彩分分彩"_s);
    EXPECT_FALSE(program.all().contains(u"上次运行中断"_s)) << program.all().toStdString();
}

TEST(Unattended, UcaiThroughDialogsAndALateAnswerRecordsEveryOrderOnceAndStopsInTime)
{
    Sim sim(5, {u"--account"_s, kAccount});
    ASSERT_EQ(sim.urls_.size(), 6);
    sim.fault(u"ucai"_s, u"dialog=alert"_s); // the login page raises it
    Betting program(sim, u"U彩平台-欢乐分分彩"_s,
                    u"|ABC~直选复式~前三(直选复式)~1*23*4~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                    u"1,2,4~3~false~0~0:0:0:1920~0"_s);
    qsizetype at = 0;
    ASSERT_FALSE(program.wait_for(u" dialog 模拟平台弹窗（alert）"_s, 30000).isEmpty()) << program.all().toStdString();
    ASSERT_FALSE(program.wait_for(u" login 用户：[ ann ] 已登录到平台。"_s, 30000, &at).isEmpty())
        << program.all().toStdString();
    ASSERT_FALSE(program.wait_for(u" bet "_s, 30000, &at).isEmpty()) << program.all().toStdString();
    // The direct play goes out slot by slot, and the platform takes it.
    const QJsonArray first = accepted_orders(sim, u"ucai"_s);
    ASSERT_FALSE(first.isEmpty());
    EXPECT_TRUE(first[0][u"fields"_s][u"lt_project[]"_s].toString().contains(u"'codes':'1|2&3|4'"_s));

    // A dialog during the session: the game page loaded after a draw raises it.
    sim.fault(u"ucai"_s, u"dialog=confirm"_s);
    EXPECT_FALSE(program.wait_for(u" dialog 模拟平台弹窗（confirm）"_s, 30000).isEmpty()) << program.all().toStdString();

    // The next order is taken and debited, its answer comes after the program stopped waiting:
    // told as unconfirmed, then confirmed by the balance, and never sent again.
    sim.fault(u"ucai"_s, u"order_delay=20000"_s);
    const QString unconfirmed = program.wait_for(u" unconfirmed "_s, 60000, &at);
    ASSERT_FALSE(unconfirmed.isEmpty()) << program.all().toStdString();
    const QString confirmed = program.wait_for(u" bet "_s, 30000, &at);
    ASSERT_FALSE(confirmed.isEmpty()) << program.all().toStdString();
    const QString issue = unconfirmed.section(u' ', 3).split(u'\t').value(0);
    EXPECT_EQ(confirmed.section(u' ', 3).split(u'\t').value(0), issue);
    EXPECT_FALSE(program.wait_for(u" bet "_s, 30000, &at).isEmpty()) << program.all().toStdString();

    EXPECT_TRUE(ends_within_five_seconds(program.process_));

    // Every order the platform took is in the records, confirmed, each issue once.
    const QJsonArray taken = accepted_orders(sim, u"ucai"_s);
    QSet<QString> issues;
    for (const auto& order : taken) {
        const QString sent = order[u"fields"_s][u"lt_issue_start"_s].toString();
        EXPECT_FALSE(issues.contains(sent)) << sent.toStdString();
        issues.insert(sent);
    }
    QStringList rows = records_csv(program.dir_.path());
    ASSERT_FALSE(rows.isEmpty());
    rows.removeFirst();
    int confirmed_rows = 0;
    for (const QString& row : rows)
        confirmed_rows += row.endsWith(u",confirmed"_s) ? 1 : 0;
    EXPECT_EQ(confirmed_rows, taken.size()) << rows.join(u'\n').toStdString();
    EXPECT_EQ(rows.size(), taken.size()) << rows.join(u'\n').toStdString();
}

TEST(Unattended, HeleThroughALostSessionNeverSendsAPlayWithoutACodeAndBetsNothingPastTheStopLoss)
{
    // Draws every 7 s, not every 5: with the feed's 5-second poll, a login that holds the
    // program up could lock the poll just before each draw, every order then a draw late.
    Sim sim(7, {u"--account"_s, kAccount});
    ASSERT_EQ(sim.urls_.size(), 6);
    // ×1, ×2, ×4 of 0.2 lose 0.2, 0.6 and 1.4 in all: the stop-loss of -1 stops after the third.
    // The draws are the simulator's own, so 1*2*3 may come (one draw in a thousand): a hit pays
    // at least 191.8 and then the stop-profit of 100 stops it instead, by the same rule.
    Betting program(sim, u"合乐平台-HI彩分分彩"_s,
                    u"|ABC~直选复式~前三(直选复式)~1*2*3~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                    u"1,2,4~2~false~0~0:0:0:1920~0"
                    u"|CDE~不定位:二码~后三(不定位:二码)~1 2 4~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                    u"1~2~false~0~0:0:0:1920~0"_s,
                    u"plt_tz_zy=100\r\nplt_tz_zs=-1\r\n"_s);
    qsizetype at = 0;
    ASSERT_FALSE(program.wait_for(u" login ann已登录到平台。"_s, 30000, &at).isEmpty()) << program.all().toStdString();
    EXPECT_FALSE(program.wait_for(u"投注失败。合乐平台不支持玩法：后三(不定位:二码)"_s, 30000).isEmpty())
        << program.all().toStdString();
    ASSERT_FALSE(program.wait_for(u" bet "_s, 30000, &at).isEmpty()) << program.all().toStdString();

    // The session ends on the platform; the page still shows the nick until loaded again.
    const int logins = int(sim.admin("/sim/state")[u"logins"_s].toArray().size());
    sim.fault(u"hele"_s, u"expire=1"_s);
    EXPECT_FALSE(program.wait_for(u"未读取到投注返回信息"_s, 30000, &at).isEmpty()) << program.all().toStdString();
    EXPECT_FALSE(program.wait_for(u" bet "_s, 40000, &at).isEmpty()) << program.all().toStdString();
    EXPECT_GT(sim.admin("/sim/state")[u"logins"_s].toArray().size(), logins);

    const QString stop = program.wait_for(u"label bet_status_line 达到止盈或止损额，停止监控和投注"_s, 90000, &at);
    ASSERT_FALSE(stop.isEmpty()) << program.all().toStdString();
    const qsizetype at_stop = sim.admin("/sim/state")[u"orders"_s].toArray().size();
    // Two more draws come and go: nothing more reaches the platform.
    const QString issue_line = program.wait_for(u" draw "_s, 15000, &at);
    program.wait_for(u" draw "_s, 15000, &at);
    EXPECT_EQ(sim.admin("/sim/state")[u"orders"_s].toArray().size(), at_stop);
    EXPECT_TRUE(ends_within_five_seconds(program.process_));

    // Only the play with a code ever went out, each draw once.
    QSet<QString> draws;
    for (const auto& order : sim.admin("/sim/state")[u"orders"_s].toArray()) {
        const QJsonObject sent =
            QJsonDocument::fromJson(order[u"fields"_s][u"order"_s].toString().toUtf8()).object();
        EXPECT_TRUE(sent[u"orders"_s].toString().startsWith(u"CS"_s)) << sent[u"orders"_s].toString().toStdString();
        if (!order[u"accepted"_s].toBool())
            continue;
        const QString draw = sent[u"draws"_s][0][u"draw"_s][u"id"_s].toVariant().toString();
        EXPECT_FALSE(draws.contains(draw)) << draw.toStdString();
        draws.insert(draw);
    }
    // The stop came with the income past the stop-loss, after the bet that took it there (or
    // past the stop-profit, at the hit that took it there).
    const QStringList printed = program.lines();
    double income = 0;
    bool hit = false;
    for (const QString& line : printed) {
        if (line.contains(u" label income_line 当前收入："_s))
            income = line.section(u"当前收入："_s, 1).toDouble();
        hit = hit || (line.contains(u" settled "_s) && line.section(u'\t', 5, 5) == u"中"_s);
    }
    if (hit) {
        EXPECT_GE(income, 100);
        return;
    }
    EXPECT_LE(income, -1);
    EXPECT_GT(income, -1 - 0.8 - 1e-9); // no further bet was lost after reaching it
}

// Hele answers an order after the program stopped waiting, while the balance moved by more than
// the order (another credit came): the order is told unconfirmed, then its late answer is taken
// in from the page: confirmed in the records with the platform's order number, and counted.
TEST(Unattended, AHeleAnswerThatComesAfterTheWaitConfirmsTheOrderWithItsNumber)
{
    Sim sim(7, {u"--account"_s, kAccount});
    ASSERT_EQ(sim.urls_.size(), 6);
    Betting program(sim, u"合乐平台-HI彩分分彩"_s,
                    kEveryDrawAtJiao);
    qsizetype at = 0;
    ASSERT_FALSE(program.wait_for(u" bet "_s, 40000, &at).isEmpty()) << program.all().toStdString();
    // The next order is taken at once and answered 30 s later; the program gives up after 23 s
    // (20 s, and a last read of the page).
    sim.fault(u"hele"_s, u"order_delay=30000"_s);
    const int before = int(accepted_orders(sim, u"hele"_s).size());
    QElapsedTimer waited;
    waited.start();
    while (accepted_orders(sim, u"hele"_s).size() == before && waited.elapsed() < 30000)
        QTest::qWait(100);
    ASSERT_GT(accepted_orders(sim, u"hele"_s).size(), before);
    // Meanwhile the account is credited: its balance no longer tells whether the order was taken.
    {
        httplib::Client admin("127.0.0.1", QUrl(sim.url(u"service"_s)).port());
        const auto res = admin.Get("/sim/credit?account=ann&amount=5");
        ASSERT_TRUE(res);
        ASSERT_EQ(res->body, "ok");
    }
    const QString late = accepted_orders(sim, u"hele"_s).last()[u"reply"_s].toString();
    const QString number = QJsonDocument::fromJson(late.toUtf8())[u"message"_s][u"orderNo"_s].toString();
    ASSERT_FALSE(number.isEmpty());
    const QString unconfirmed = program.wait_for(u" unconfirmed "_s, 30000, &at);
    ASSERT_FALSE(unconfirmed.isEmpty()) << program.all().toStdString();
    EXPECT_TRUE(program.wait_for(u" cancelled "_s, 0).isEmpty());
    // Taken in at the page's next use: told as a bet with the platform's number.
    const QString confirmed = program.wait_for(u"\t"_s + number + u"\t"_s, 40000, &at);
    ASSERT_FALSE(confirmed.isEmpty()) << program.all().toStdString();
    EXPECT_TRUE(confirmed.contains(u" bet "_s)) << confirmed.toStdString();
    EXPECT_EQ(confirmed.section(u' ', 3).split(u'\t').value(0), unconfirmed.section(u' ', 3).split(u'\t').value(0));
    // Settled by its draw like any placed bet.
    EXPECT_FALSE(program.wait_for(u"\t"_s + number + u"\t"_s, 40000, &at).isEmpty()) << program.all().toStdString();
    program.process_.terminate();
    ASSERT_TRUE(program.process_.waitForFinished(15000));
    bool found = false;
    for (const QString& row : records_csv(program.dir_.path())) {
        const QStringList cells = csv_cells(row);
        if (cells.value(10) == number) {
            found = true;
            EXPECT_EQ(cells.value(16), u"confirmed"_s) << row.toStdString();
            EXPECT_FALSE(cells.value(13).isEmpty()) << row.toStdString(); // settled
        }
    }
    EXPECT_TRUE(found) << number.toStdString();
}

TEST(Unattended, ARealOrderThatCannotBeRecordedIsNeverSent)
{
    Sim sim(5, {u"--account"_s, kAccount});
    ASSERT_EQ(sim.urls_.size(), 6);
    Betting program(sim, u"合乐平台-HI彩分分彩"_s,
                    u"|ABC~直选复式~前三(直选复式)~1*2*3~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                    u"1,2,4~2~false~0~0:0:0:1920~0"_s,
                    u"plt_tz_zy=100000\r\n"_s, true);
    ASSERT_FALSE(program.wait_for(u" login ann已登录到平台。"_s, 30000).isEmpty()) << program.all().toStdString();
    EXPECT_FALSE(program.wait_for(u"label bet_status_line 投注记录无法写入，本次不下单"_s, 30000).isEmpty())
        << program.all().toStdString();
    EXPECT_TRUE(program.wait_for(u" bet "_s, 8000).isEmpty());
    EXPECT_TRUE(sim.admin("/sim/state")[u"orders"_s].toArray().isEmpty());
}

} // namespace

// SIGTERM on a loaded machine while an order waits for its answer: two processes keep both cores
// busy beside a Hele session betting real money; the program still ends within five seconds by
// itself (not through its last-resort exit, and without polling a page that is going away),
// every bet it told committed in the records.
TEST(Unattended, AStopWhileAnOrderWaitsAndBothCoresAreBusyEndsInTimeWithEveryRecordCommitted)
{
    // Every order is answered 3 s after the platform takes it.
    Sim sim(7, {u"--account"_s, kAccount, u"--order-ms"_s, u"3000"_s});
    ASSERT_EQ(sim.urls_.size(), 6);
    Betting program(sim, u"合乐平台-HI彩分分彩"_s,
                    kEveryDrawAtJiao);
    qsizetype at = 0;
    ASSERT_FALSE(program.wait_for(u" bet "_s, 40000, &at).isEmpty()) << program.all().toStdString();
    // Two busy loops, each bounded in count and ended within a minute by timeout, which passes
    // the test's own SIGTERM on to them.
    QProcess busy[2];
    for (QProcess& p : busy)
        p.start(u"timeout"_s, {u"60"_s, u"sh"_s, u"-c"_s, u"i=0; while [ $i -lt 500000000 ]; do i=$((i+1)); done"_s});
    for (QProcess& p : busy)
        ASSERT_TRUE(p.waitForStarted());
    // The next draw's order is under way: stopped while its answer is awaited.
    ASSERT_FALSE(program.wait_for(u"准备投注"_s, 30000, &at).isEmpty()) << program.all().toStdString();
    QTest::qWait(1000);
    QElapsedTimer took;
    took.start();
    program.process_.terminate();
    const bool ended = program.process_.waitForFinished(8000);
    const qint64 ms = took.elapsed();
    for (QProcess& p : busy) {
        p.terminate();
        p.waitForFinished(5000);
    }
    ASSERT_TRUE(ended);
    EXPECT_LT(ms, 5000);
    const QStringList lines = program.lines();
    EXPECT_TRUE(lines.filter(u"(forced)"_s).isEmpty()) << "ended only by the last-resort exit after " << ms << " ms";
    EXPECT_FALSE(lines.filter(u" stopped"_s).isEmpty());
    // The page is let go without being polled.
    const QString errors = QString::fromUtf8(program.process_.readAllStandardError());
    EXPECT_LT(errors.count(u"Discarded"_s), 10);
    // Every bet told is in the records, confirmed.
    QSet<QString> told;
    for (const QString& line : lines.filter(u" bet "_s))
        told.insert(line.section(u'\t', 7, 7));
    ASSERT_FALSE(told.isEmpty());
    QStringList rows = records_csv(program.dir_.path());
    ASSERT_FALSE(rows.isEmpty());
    rows.removeFirst();
    QSet<QString> confirmed;
    for (const QString& row : rows)
        if (row.endsWith(u",confirmed"_s))
            confirmed.insert(csv_cells(row).value(10));
    for (const QString& order : std::as_const(told))
        EXPECT_TRUE(confirmed.contains(order)) << order.toStdString() << '\n' << rows.join(u'\n').toStdString();
}
