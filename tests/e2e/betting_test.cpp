// Real betting end to end: the program in headless mode logs in to zorvik-sim's Hele and UCai
// platforms through the embedded browser (offscreen), places orders the platform checks and
// records, and goes through the platforms' refusals and a lost session.

#include "e2e_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::e2e;

namespace {

// An account whose password holds a quote and a backslash.
const QString kAccount = u"ann:p'w\\1:100"_s;

QJsonArray orders(const Sim& sim)
{
    return sim.admin("/sim/state")[u"orders"_s].toArray();
}

} // namespace

TEST(RealBetting, HeleLogsInBetsAndGoesThroughRefusalsAndALostSession)
{
    // Draws every 7 s, not every 5: with the feed's 5-second poll, a login that holds the
    // program up could lock the poll just before each draw, every order then a draw late.
    Sim sim(7, {u"--account"_s, kAccount});
    ASSERT_EQ(sim.urls_.size(), 6);
    Betting program(sim, u"合乐平台-HI彩分分彩"_s,
                    u"|ABC~直选复式~前三(直选复式)~1*2*3~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                    u"1,2,4~2~false~0~0:0:0:1920~0"_s);
    qsizetype at = 0;
    ASSERT_FALSE(program.wait_for(u" login ann已登录到平台。"_s, 30000, &at).isEmpty()) << program.all().toStdString();
    EXPECT_FALSE(program.wait_for(u"label balance_line 主账户：100，彩票账户：100"_s, 1000).isEmpty());
    const QString bet = program.wait_for(u" bet "_s, 30000, &at);
    ASSERT_FALSE(bet.isEmpty()) << program.all().toStdString();

    // The order as the platform received it: the first it took (on a loaded machine an order
    // sent as its issue closed may come first, refused as too late, and nothing else).
    QJsonArray first;
    for (const auto& order : orders(sim)) {
        if (order[u"accepted"_s].toBool())
            first.append(order);
        else
            EXPECT_EQ(order[u"reply"_s].toString(), u"{\"code\":-10,\"message\":\"该期已截止投注\"}"_s);
    }
    ASSERT_FALSE(first.isEmpty());
    const QJsonObject o = first[0].toObject();
    EXPECT_EQ(o[u"platform"_s].toString(), u"hele"_s);
    EXPECT_EQ(o[u"account"_s].toString(), u"ann"_s);
    EXPECT_TRUE(o[u"accepted"_s].toBool()) << o[u"reply"_s].toString().toStdString();
    const QJsonObject sent = QJsonDocument::fromJson(o[u"fields"_s][u"order"_s].toString().toUtf8()).object();
    EXPECT_EQ(sent[u"orders"_s].toString(), u"CS1_2_3."_s);
    EXPECT_EQ(sent[u"draws"_s][0][u"multiply"_s].toString(), u"1"_s);
    EXPECT_EQ(sent[u"unit"_s].toInt(), 2);
    EXPECT_EQ(sent[u"prize"_s].toDouble(), 1920);
    const QString order_no =
        QJsonDocument::fromJson(o[u"reply"_s].toString().toUtf8())[u"message"_s][u"orderNo"_s].toString();
    EXPECT_EQ(bet.split(u'\t').value(7), order_no);

    // The next orders are refused, one per draw, then every session ends.
    sim.fault(u"hele"_s, u"order_code=-40"_s);
    sim.fault(u"hele"_s, u"order_code=-1"_s);
    EXPECT_FALSE(program.wait_for(u"label bet_status_line 户头余额不足"_s, 30000, &at).isEmpty())
        << program.all().toStdString();
    EXPECT_FALSE(program.wait_for(u"label bet_status_line 号码格式错误"_s, 30000, &at).isEmpty())
        << program.all().toStdString();
    // A lost session: the order is refused, the program logs in again (the page it holds may
    // still show the nick until it is loaded again) and bets again. Which request meets the
    // lost session first (the order, or the issue check before it when a draw came late) is
    // a matter of timing; either way the program logs in again.
    sim.fault(u"hele"_s, u"expire=1"_s);
    EXPECT_FALSE(program.wait_for(u"login ann已登录到平台。"_s, 30000, &at).isEmpty())
        << program.all().toStdString();
    EXPECT_FALSE(program.wait_for(u" bet "_s, 40000, &at).isEmpty()) << program.all().toStdString();

    // Every login used the password as typed.
    const QJsonArray logins = sim.admin("/sim/state")[u"logins"_s].toArray();
    ASSERT_GE(logins.size(), 2);
    for (const auto& login : logins) {
        EXPECT_EQ(login[u"password"_s].toString(), u"p'w\\1"_s);
        EXPECT_TRUE(login[u"accepted"_s].toBool());
    }
    // No issue was bet twice.
    QSet<QString> issues;
    for (const auto& order : orders(sim)) {
        if (!order[u"accepted"_s].toBool())
            continue;
        const QString draw = QJsonDocument::fromJson(order[u"fields"_s][u"order"_s].toString().toUtf8())
                                 [u"draws"_s][0][u"draw"_s][u"id"_s].toVariant().toString();
        EXPECT_FALSE(issues.contains(draw)) << draw.toStdString();
        issues.insert(draw);
    }
}

TEST(RealBetting, UcaiLogsInBetsAndGoesThroughARefusalAndALostSession)
{
    Sim sim(7, {u"--account"_s, kAccount}); // not the feed's poll interval (see above)
    ASSERT_EQ(sim.urls_.size(), 6);
    Betting program(sim, u"U彩平台-欢乐分分彩"_s,
                    u"|CDE~定位胆~后三(定位胆)~1*23*4~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                    u"1,2,4~3~false~0~0:0:0:1920~0"_s);
    qsizetype at = 0;
    ASSERT_FALSE(program.wait_for(u" login 用户：[ ann ] 已登录到平台。"_s, 30000, &at).isEmpty())
        << program.all().toStdString();
    EXPECT_FALSE(program.wait_for(u"label balance_line 彩票账户:100"_s, 1000).isEmpty());
    const QString bet = program.wait_for(u" bet "_s, 30000, &at);
    ASSERT_FALSE(bet.isEmpty()) << program.all().toStdString();

    const QJsonObject o = orders(sim)[0].toObject();
    EXPECT_EQ(o[u"platform"_s].toString(), u"ucai"_s);
    EXPECT_TRUE(o[u"accepted"_s].toBool()) << o[u"reply"_s].toString().toStdString();
    const QJsonObject fields = o[u"fields"_s].toObject();
    const QString project = fields[u"lt_project[]"_s].toString();
    EXPECT_TRUE(project.contains(u"'codes':'||1|2&3|4'"_s)) << project.toStdString();
    EXPECT_TRUE(project.contains(u"'times':1,"_s)) << project.toStdString();
    EXPECT_TRUE(project.contains(u"'desc':'后三(定位胆)'"_s)) << project.toStdString();
    EXPECT_EQ(fields[u"lt_project_modes"_s].toString(), u"3"_s);
    EXPECT_EQ(fields[u"lotteryid"_s].toString(), u"16"_s);
    EXPECT_EQ(fields[u"curmid"_s].toString(), u"2505"_s);
    // The bet row's issue ("20151112-0567") is the order's, written the platform's way.
    const QString issue = bet.section(u' ', 3).split(u'\t').value(0);
    const QString sequence = issue.section(u'-', 1);
    EXPECT_EQ(fields[u"lt_issue_start"_s].toString(),
              issue.section(u'-', 0, 0) + u'-' + (sequence.toInt() < 1000 ? sequence.right(3) : sequence));

    sim.fault(u"ucai"_s, u"order_code=-1"_s);
    EXPECT_FALSE(program.wait_for(u"label bet_status_line 平台拒绝投注（错误码-1）"_s, 30000, &at).isEmpty())
        << program.all().toStdString();
    sim.fault(u"ucai"_s, u"expire=1"_s);
    EXPECT_FALSE(program.wait_for(u" login 用户：[ ann ] 已登录到平台。"_s, 30000, &at).isEmpty())
        << program.all().toStdString();
    EXPECT_FALSE(program.wait_for(u"与U彩平台发生通信故障，正在重新连接，请稍候..."_s, 5000, &at).isEmpty());
    EXPECT_FALSE(program.wait_for(u" bet "_s, 30000, &at).isEmpty()) << program.all().toStdString();
}
