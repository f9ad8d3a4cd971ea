// Several lotteries followed at once in headless mode, end to end against zorvik-sim: every desk
// prints its own lottery's draws, bets and settlements, and the total stop over their summed
// income stops them all.

#include "e2e_support.h"

#include <QTest>
#include <set>
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

} // namespace

TEST(Desks, ThreeLotteriesOfBothPlatformsEachBetOnTheirOwnDrawsAndTheTotalStopEndsAll)
{
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    const Desk desks[] = {{u"U彩平台-欢乐分分彩"_s, u"ucai_60s"_s},
                          {u"合乐平台-HI彩分分彩"_s, u"hele_fenfen"_s},
                          {u"U彩平台-欢乐五分彩"_s, u"ucai_300s"_s}};
    QTemporaryDir data;
    write_settings(data, u"[cai_cfg]\r\ncombox_select_caizhong="_s + desks[0].lottery + u"\r\n[alert_cfg]\r\nlist="_s +
                             kMonitor +
                             u"\r\n[tz_cfg]\r\nplt_tz_zy=100000\r\nplt_tz_zs=-100000\r\ntotal_zy=9\r\ntotal_zs=-25\r\n"
                             u"[desk_2]\r\nlottery="_s +
                             desks[1].lottery + u"\r\nlist="_s + kMonitor +
                             u"\r\nstop_profit=100000\r\nstop_loss=-100000\r\n[desk_3]\r\nlottery="_s +
                             desks[2].lottery + u"\r\nlist="_s + kMonitor + u"\r\n"_s);
    QProcess program;
    program.start(QStringLiteral(ZORVIK_PATH),
                  {u"--headless"_s, u"--start"_s, u"--virtual"_s, u"--data-dir"_s, data.path(), u"--service-base"_s,
                   sim.url(u"service"_s), u"--public-base"_s, sim.url(u"public"_s), u"--trend-base"_s,
                   sim.url(u"trend"_s)});
    ASSERT_TRUE(program.waitForStarted());
    QString out;
    QElapsedTimer waited;
    waited.start();
    while (!out.contains(u"[*] total_stop"_s) && waited.elapsed() < 120000) {
        program.waitForReadyRead(500);
        out += QString::fromUtf8(program.readAllStandardOutput());
    }
    QTest::qWait(6000); // a draw after the stop: nothing more is bet
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(15000));
    out += QString::fromUtf8(program.readAllStandardOutput());
    const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    const qsizetype stop_at = lines.indexOf(lines.filter(u"[*] total_stop"_s).value(0));
    ASSERT_GE(stop_at, 0) << out.toStdString();

    for (const Desk& desk : desks) {
        const QString tag = u'[' + desk.lottery + u"] "_s;
        const auto made = sim.draws(desk.game);
        int draws = 0;
        int settled = 0;
        QString first_after_stop; // the first draw after the total stop
        QStringList bet_issues;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString& line = lines[i];
            const qsizetype at = line.indexOf(tag);
            if (at < 0)
                continue;
            EXPECT_EQ(at, 20) << line.toStdString(); // right after the time
            const QString rest = line.mid(at + tag.size());
            if (rest.startsWith(u"draw "_s)) {
                const QStringList parts = rest.split(u' ');
                const auto it = made.find(parts.value(1));
                ASSERT_NE(it, made.end()) << line.toStdString();
                EXPECT_EQ(it->second.second, parts.value(2)) << line.toStdString();
                ++draws;
                if (i > stop_at && first_after_stop.isEmpty())
                    first_after_stop = parts.value(1);
            } else if (rest.startsWith(u"settled "_s)) {
                // Settled by its own lottery's draw of that issue.
                const QStringList row = rest.mid(8).split(u'\t');
                const auto it = made.find(row.value(0));
                ASSERT_NE(it, made.end()) << line.toStdString();
                EXPECT_EQ(it->second.second, row.value(1)) << line.toStdString();
                ++settled;
            } else if (rest.startsWith(u"bet "_s)) {
                bet_issues << rest.mid(4).section(u'\t', 0, 0);
            }
        }
        // A bet is told once its record is written, perhaps after the stop; but none was placed
        // on a draw after it (its issue would follow that draw's).
        ASSERT_FALSE(first_after_stop.isEmpty()) << desk.lottery.toStdString();
        EXPECT_FALSE(bet_issues.isEmpty());
        for (const QString& issue : std::as_const(bet_issues))
            EXPECT_LE(made.at(issue).first, made.at(first_after_stop).first) << issue.toStdString();
        EXPECT_GE(draws, 2) << desk.lottery.toStdString();
        EXPECT_GE(settled, 1) << desk.lottery.toStdString();
        EXPECT_EQ(lines.filter(tag + u"monitoring off"_s).size(), 1) << desk.lottery.toStdString();
    }
    EXPECT_EQ(lines.filter(u"[*] total_stop"_s).size(), 1);
    // The shared events carry "[*]".
    EXPECT_FALSE(lines.filter(u"[*] records "_s).isEmpty());
}

// Real money with three lotteries: the two of the first desk's platform share its session (one
// login, its orders one at a time, each for its own game and issue); the lottery of the other
// platform bets nothing, records nothing and says why.
TEST(Desks, WithRealMoneyTheLotteriesOfThePlatformShareItsSession)
{
    Sim sim(8, {u"--account"_s, u"ann:pw:1000"_s}); // time for two orders a draw
    ASSERT_EQ(sim.urls_.size(), 6);
    QTemporaryDir data;
    write_settings(data, u"[cai_cfg]\r\ncombox_select_caizhong=U彩平台-欢乐分分彩\r\n[alert_cfg]\r\nlist="_s + kMonitor +
                             u"\r\n[tz_cfg]\r\nplt_user=ann\r\nplt_pass=pw\r\nplt_tz_zy=100000\r\nplt_tz_zs=-100000\r\n"
                             u"[desk_2]\r\nlottery=U彩平台-欢乐五分彩\r\nlist="_s +
                             kMonitor + u"\r\nstop_profit=100000\r\nstop_loss=-100000\r\n"
                             u"[desk_3]\r\nlottery=合乐平台-HI彩分分彩\r\nlist="_s + kMonitor + u"\r\n"_s);
    QProcess program;
    program.start(QStringLiteral(ZORVIK_PATH),
                  {u"--headless"_s, u"--start"_s, u"--data-dir"_s, data.path(), u"--service-base"_s,
                   sim.url(u"service"_s), u"--public-base"_s, sim.url(u"public"_s), u"--trend-base"_s,
                   sim.url(u"trend"_s)});
    ASSERT_TRUE(program.waitForStarted());
    const QString refusal = u"[合乐平台-HI彩分分彩] label bet_status_line 真实投注只在第一个彩种的平台进行"_s;
    const QString first = u"[U彩平台-欢乐分分彩] bet "_s;
    const QString second = u"[U彩平台-欢乐五分彩] bet "_s;
    QString out;
    QElapsedTimer waited;
    waited.start();
    while (!(out.contains(refusal) && out.count(first) >= 2 && out.count(second) >= 2) && waited.elapsed() < 120000) {
        program.waitForReadyRead(500);
        out += QString::fromUtf8(program.readAllStandardOutput());
    }
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(15000));
    out += QString::fromUtf8(program.readAllStandardOutput());
    EXPECT_TRUE(out.contains(refusal)) << out.toStdString();
    EXPECT_GE(out.count(first), 2) << out.toStdString();
    EXPECT_GE(out.count(second), 2) << out.toStdString();
    EXPECT_FALSE(out.contains(u"[合乐平台-HI彩分分彩] bet "_s));
    EXPECT_EQ(out.count(u"[*] login 用户：[ ann ] 已登录到平台。"_s), 1) << out.toStdString();

    // Each accepted order is for one of the two games (the platform takes an order only for the
    // issue its game has on sale); every printed bet is one of them.
    const std::set<int> games{16, 15};
    QMap<int, int> taken;
    for (const auto& order : sim.admin("/sim/state")[u"orders"_s].toArray()) {
        EXPECT_EQ(order[u"platform"_s].toString(), u"ucai"_s);
        if (!order[u"accepted"_s].toBool())
            continue;
        const QString project = order[u"fields"_s][u"lt_project[]"_s].toString();
        const QString id = order[u"fields"_s][u"lotteryid"_s].toString();
        const int game = id.toInt();
        ASSERT_TRUE(games.count(game)) << id.toStdString() << ' ' << project.toStdString();
        ++taken[game];
    }
    EXPECT_GE(taken.value(16), 2);
    EXPECT_GE(taken.value(15), 2);
    EXPECT_LE(out.count(first), taken.value(16));
    EXPECT_LE(out.count(second), taken.value(15));
    // Nothing of the other platform's lottery is in the records.
    QProcess cli;
    cli.start(QStringLiteral(ZORVIK_CLI_PATH), {u"records"_s, data.filePath(u"bao/records.db"_s), u"--csv"_s});
    ASSERT_TRUE(cli.waitForFinished(30000));
    const QString records = QString::fromUtf8(cli.readAllStandardOutput());
    EXPECT_TRUE(records.contains(u"U彩平台-欢乐五分彩"_s)) << records.toStdString();
    EXPECT_FALSE(records.contains(u"合乐平台-HI彩分分彩"_s)) << records.toStdString();
}
