// Several lotteries followed at once in headless mode, end to end against zorvik-sim: every desk
// prints its own lottery's draws, bets and settlements, and the total stop over their summed
// income stops them all.

#include "e2e_support.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::e2e;

namespace {

// A monitor that alerts at every draw and bets 前一 定位胆 on 0 to 4 (five lines, 10 元 a bet).
const QString kMonitor = u"|A~定位胆~前一(定位胆)~01234~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1~1~false~0~"
                         u"5:0:0:1920~0"_s;

struct Desk {
    QString lottery;
    QString game; // the simulator's
};

// What a desk's lines (tagged with its lottery) told: each draw and settlement checked against
// its own game's draws.
struct Told {
    int draws = 0;
    int settled = 0;
    QString first_after_stop; // the first draw after the line `stop_at`
    QStringList bet_issues;
};

Told told(const QStringList& lines, const Desk& desk, const std::map<QString, std::pair<int, QString>>& made,
          qsizetype stop_at)
{
    Told t;
    const QString tag = u'[' + desk.lottery + u"] "_s;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        const qsizetype at = line.indexOf(tag);
        if (at < 0)
            continue;
        EXPECT_EQ(at, 20) << line.toStdString(); // right after the time
        const QString rest = line.mid(at + tag.size());
        const bool draw = rest.startsWith(u"draw "_s);
        if (draw || rest.startsWith(u"settled "_s)) {
            // A draw, or a settlement by its own lottery's draw of that issue.
            const QStringList row = draw ? rest.split(u' ').mid(1) : rest.mid(8).split(u'\t');
            const auto it = made.find(row.value(0));
            if (it == made.end()) {
                ADD_FAILURE() << "not a draw of " << desk.game.toStdString() << ": " << line.toStdString();
                continue;
            }
            EXPECT_EQ(it->second.second, row.value(1)) << line.toStdString();
            if (!draw) {
                ++t.settled;
                continue;
            }
            ++t.draws;
            if (i > stop_at && t.first_after_stop.isEmpty())
                t.first_after_stop = row.value(0);
        } else if (rest.startsWith(u"bet "_s)) {
            t.bet_issues << rest.mid(4).section(u'\t', 0, 0);
        }
    }
    return t;
}

// The settings of three desks, each with `monitor` and no stop of its own; `tz_cfg` holds the
// first desk's other keys, and `more` sections of the file's end.
QString three_desks(const Desk (&desks)[3], const QString& monitor, const QString& tz_cfg, const QString& more = {})
{
    QString text = u"[cai_cfg]\r\ncombox_select_caizhong="_s + desks[0].lottery + u"\r\n[alert_cfg]\r\nlist="_s +
                   monitor + u"\r\n[tz_cfg]\r\nplt_tz_zy=100000\r\nplt_tz_zs=-100000\r\n"_s + tz_cfg;
    for (int n = 2; n <= 3; ++n)
        text += u"[desk_"_s + QString::number(n) + u"]\r\nlottery="_s + desks[n - 1].lottery + u"\r\nlist="_s + monitor +
                u"\r\nstop_profit=100000\r\nstop_loss=-100000\r\n"_s;
    return text + more;
}

// Runs headless on the settings until the total stop, then `after_ms` longer; its lines.
QStringList run_to_total_stop(const Sim& sim, const QTemporaryDir& data, const QStringList& options, int after_ms)
{
    QProcess program;
    program.start(QStringLiteral(ZORVIK_PATH),
                  QStringList{u"--headless"_s, u"--start"_s, u"--data-dir"_s, data.path(), u"--service-base"_s,
                              sim.url(u"service"_s), u"--public-base"_s, sim.url(u"public"_s), u"--trend-base"_s,
                              sim.url(u"trend"_s)} +
                      options);
    EXPECT_TRUE(program.waitForStarted());
    QString out;
    QElapsedTimer waited;
    waited.start();
    while (!out.contains(u"[*] total_stop"_s) && waited.elapsed() < 150000) {
        program.waitForReadyRead(500);
        out += QString::fromUtf8(program.readAllStandardOutput());
    }
    QTest::qWait(after_ms);
    program.terminate();
    EXPECT_TRUE(program.waitForFinished(15000));
    out += QString::fromUtf8(program.readAllStandardOutput());
    return out.split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(Desks, ThreeLotteriesOfBothPlatformsEachBetOnTheirOwnDrawsAndTheTotalStopEndsAll)
{
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    const Desk desks[] = {{u"U彩平台-欢乐分分彩"_s, u"ucai_60s"_s},
                          {u"合乐平台-HI彩分分彩"_s, u"hele_fenfen"_s},
                          {u"U彩平台-欢乐五分彩"_s, u"ucai_300s"_s}};
    QTemporaryDir data;
    write_settings(data, three_desks(desks, kMonitor, u"total_zy=9\r\ntotal_zs=-25\r\n"_s));
    // Then a draw after the stop: nothing more is bet.
    const QStringList lines = run_to_total_stop(sim, data, {u"--virtual"_s}, 6000);
    const qsizetype stop_at = lines.indexOf(lines.filter(u"[*] total_stop"_s).value(0));
    ASSERT_GE(stop_at, 0) << lines.join(u'\n').toStdString();

    for (const Desk& desk : desks) {
        const QString tag = u'[' + desk.lottery + u"] "_s;
        const auto made = sim.draws(desk.game);
        const Told t = told(lines, desk, made, stop_at);
        const QString& first_after_stop = t.first_after_stop;
        // A bet is told once its record is written, perhaps after the stop; but none was placed
        // on a draw after it (its issue would follow that draw's).
        ASSERT_FALSE(first_after_stop.isEmpty()) << desk.lottery.toStdString();
        EXPECT_FALSE(t.bet_issues.isEmpty());
        for (const QString& issue : t.bet_issues)
            EXPECT_LE(made.at(issue).first, made.at(first_after_stop).first) << issue.toStdString();
        EXPECT_GE(t.draws, 2) << desk.lottery.toStdString();
        EXPECT_GE(t.settled, 1) << desk.lottery.toStdString();
        EXPECT_EQ(lines.filter(tag + u"monitoring off"_s).size(), 1) << desk.lottery.toStdString();
    }
    EXPECT_EQ(lines.filter(u"[*] total_stop"_s).size(), 1);
    // The shared events carry "[*]".
    EXPECT_FALSE(lines.filter(u"[*] records "_s).isEmpty());
}

// Real money with three lotteries of both platforms, drawn at different periods: each platform's
// account bets for its own lotteries (the two U彩 games share one session, the 合乐 game has an
// account and a browser page of its own), one order at a time on each platform's page, and the
// total stop over their summed income stops all three.
TEST(Desks, WithRealMoneyEachPlatformsAccountBetsForItsLotteriesOneOrderAtATime)
{
    // Every order's answer takes 300 ms: a page sending a second order before it would show.
    Sim sim(12, {u"--account"_s, u"ann:pw:100000"_s, u"--account"_s, u"bob:pw2:100000"_s, u"--order-ms"_s, u"300"_s,
                 u"--game-period"_s, u"ucai_300s=18"_s});
    ASSERT_EQ(sim.urls_.size(), 6);
    // Every digit of 前一 (ten lines, 20 元 a bet) hits once: 19.20 back, 0.80 lost a bet, so
    // the total stop of -4.5 comes at the sixth settled bet of the three lotteries.
    const QString monitor =
        QString(kMonitor).replace(u"~01234~"_s, u"~0123456789~"_s).replace(u"~5:0:0:1920~"_s, u"~10:0:0:1920~"_s);
    const Desk desks[] = {{u"U彩平台-欢乐分分彩"_s, u"ucai_60s"_s},
                          {u"合乐平台-HI彩分分彩"_s, u"hele_fenfen"_s},
                          {u"U彩平台-欢乐五分彩"_s, u"ucai_300s"_s}};
    QTemporaryDir data;
    write_settings(data, three_desks(desks, monitor, u"plt_user=ann\r\nplt_pass=pw\r\ntotal_zs=-4.5\r\n"_s,
                                     u"[platform_2]\r\nuser=bob\r\npassword=pw2\r\n"_s));
    // Then a draw of every lottery after the stop: nothing more is bet.
    const QStringList lines = run_to_total_stop(sim, data, {}, 20000);
    const QString out = lines.join(u'\n');
    const qsizetype stop_at = lines.indexOf(lines.filter(u"[*] total_stop"_s).value(0));
    ASSERT_GE(stop_at, 0) << out.toStdString();
    EXPECT_EQ(lines.filter(u"[*] total_stop"_s).size(), 1);
    // One login for each platform's account.
    EXPECT_EQ(lines.filter(u"[*] login 用户：[ ann ]"_s).size(), 1) << out.toStdString();
    EXPECT_EQ(lines.filter(u"[*] login bob已登录到平台。"_s).size(), 1) << out.toStdString();

    const QJsonObject state = sim.admin("/sim/state");
    // Never two orders under way at once on one platform's page.
    EXPECT_EQ(state[u"orders_at_once"_s][u"ucai"_s].toInt(), 1);
    EXPECT_EQ(state[u"orders_at_once"_s][u"hele"_s].toInt(), 1);
    QMap<QString, QStringList> taken; // game → the issues of its accepted orders
    for (const auto& order : state[u"orders"_s].toArray()) {
        if (!order[u"accepted"_s].toBool())
            continue;
        const QString game = order[u"game"_s].toString();
        // Each platform's orders come from its own account.
        EXPECT_EQ(order[u"account"_s].toString(), order[u"platform"_s].toString() == u"ucai"_s ? u"ann"_s : u"bob"_s);
        taken[game] << order[u"issue"_s].toString();
    }
    EXPECT_EQ(taken.size(), 3) << QStringList(taken.keys()).join(u' ').toStdString();

    for (const Desk& desk : desks) {
        const QString tag = u'[' + desk.lottery + u"] "_s;
        const auto made = sim.draws(desk.game);
        const Told t = told(lines, desk, made, stop_at);
        const QString& first_after_stop = t.first_after_stop;
        // Every bet told is an order its own game's platform took for that issue.
        for (const QString& issue : t.bet_issues)
            EXPECT_TRUE(taken.value(desk.game).contains(issue)) << issue.toStdString();
        const int bets = int(t.bet_issues.size());
        const int settled = t.settled;
        EXPECT_GE(bets, 1) << desk.lottery.toStdString();
        EXPECT_GE(settled, 1) << desk.lottery.toStdString();
        EXPECT_EQ(lines.filter(tag + u"monitoring off"_s).size(), 1) << desk.lottery.toStdString();
        // No order was placed after the total stop: each is for an issue drawn by the first
        // draw after it, at the latest.
        ASSERT_FALSE(first_after_stop.isEmpty()) << desk.lottery.toStdString();
        for (const QString& issue : taken.value(desk.game)) {
            const auto it = made.find(issue);
            ASSERT_NE(it, made.end()) << issue.toStdString();
            EXPECT_LE(it->second.first, made.at(first_after_stop).first) << issue.toStdString();
        }
    }
}
