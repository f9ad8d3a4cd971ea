// Headless mode against zorvik-sim: real processes, real HTTP over loopback.

#include "e2e_support.h"

#include <cmath>

#include <httplib.h>

#include <QJsonArray>
#include <QMap>
#include <QJsonDocument>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QStringEncoder>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::e2e;

TEST(Headless, FollowsEverySourceKind)
{
    Sim sim(6);
    ASSERT_EQ(sim.urls_.size(), 6);
    Headless hele(sim, u"合乐平台-HI彩分分彩"_s);
    Headless pub(sim, u"U彩平台-重庆时时彩"_s);
    Headless dc(sim, u"经纬平台-幸运分分彩"_s);
    QTest::qWait(21000);
    const QStringList hele_out = hele.stop();
    const QStringList pub_out = pub.stop();
    const QStringList dc_out = dc.stop();

    check_draws(Headless::draws(hele_out), sim.draws(u"hele_fenfen"_s), true, 3);
    check_draws(Headless::draws(pub_out), sim.draws(u"chongqing"_s), true, 3);
    check_draws(Headless::draws(dc_out), sim.draws(u"jw_60s"_s), true, 3);
    EXPECT_TRUE(dc_out.filter(u"label next_iss 投注期："_s).size() >= 3);
    EXPECT_TRUE(hele_out.filter(u"status begin_plan 点击此处启动监控"_s).size() == 1);
    EXPECT_TRUE(hele_out.last().endsWith(u"stopped"_s));
    // The Hele platform's history was shared with the maker's service.
    const QJsonArray uploads = sim.admin("/sim/state")[u"uploads"_s].toArray();
    ASSERT_FALSE(uploads.isEmpty());
    EXPECT_EQ(uploads[0][u"cz"_s].toString(), u"hele_fenfen"_s);
    EXPECT_EQ(uploads[0][u"list"_s].toString().count(u"\"issue\""_s), 10);
}

TEST(Headless, KeepsGoingThroughFaults)
{
    Sim sim(6);
    ASSERT_EQ(sim.urls_.size(), 6);
    Headless dc(sim, u"U彩平台-欢乐分分彩"_s);
    Headless pub(sim, u"合乐平台-重庆时时彩"_s);
    Headless hele(sim, u"合乐平台-HI彩时时彩"_s);
    QTest::qWait(4000); // the first draws are in
    // A wait past the time-out, a server error, an empty and a spoilt body, one after another.
    sim.fault(u"datacenter"_s, u"delay=11000"_s);
    sim.fault(u"datacenter"_s, u"status=500"_s);
    sim.fault(u"datacenter"_s, u"empty=1"_s);
    sim.fault(u"datacenter"_s, u"malformed=1"_s);
    sim.fault(u"public"_s, u"status=500"_s, 2);
    sim.fault(u"public"_s, u"malformed=1"_s, 2);
    sim.fault(u"trend"_s, u"empty=1"_s, 2);
    sim.fault(u"hele"_s, u"malformed=1"_s, 2);
    sim.fault(u"hele"_s, u"empty=1"_s, 2);
    QTest::qWait(34000);
    const int dc_made = sim.draw_count(u"ucai_60s"_s);
    const QStringList dc_out = dc.stop();
    const QStringList pub_out = pub.stop();
    const QStringList hele_out = hele.stop();

    const auto dc_draws = Headless::draws(dc_out);
    check_draws(dc_draws, sim.draws(u"ucai_60s"_s), false, 3);
    check_draws(Headless::draws(pub_out), sim.draws(u"chongqing"_s), false, 3);
    check_draws(Headless::draws(hele_out), sim.draws(u"hele_5fen"_s), false, 3);
    // The draws after the faults were handled.
    const auto made = sim.draws(u"ucai_60s"_s);
    EXPECT_GE(made.at(dc_draws.last().issue).first, dc_made - 2);
    // The wait past the time-out and the server errors were told (the faults of a role fall on
    // whichever program asks next).
    EXPECT_GE((dc_out + pub_out + hele_out).filter(u" notice 网速太慢了"_s).size(), 3);
}

TEST(Headless, StoppingWhileARequestWaitsTellsNoSlowNetwork)
{
    Sim sim(6);
    ASSERT_EQ(sim.urls_.size(), 6);
    Headless dc(sim, u"U彩平台-欢乐分分彩"_s);
    QTest::qWait(3500); // the first poll is done
    sim.fault(u"datacenter"_s, u"delay=8000"_s, 3);
    QTest::qWait(6000); // a poll now waits for its reply
    QElapsedTimer clock;
    clock.start();
    const QStringList out = dc.stop();
    EXPECT_LT(clock.elapsed(), 4000); // the waiting request does not hold up the stop
    EXPECT_TRUE(out.filter(u" notice "_s).isEmpty()) << out.join(u'\n').toStdString();
    ASSERT_FALSE(out.isEmpty());
    EXPECT_TRUE(out.first().endsWith(u" data "_s + dc.dir_.path())) << out.first().toStdString();
    EXPECT_TRUE(out.last().endsWith(u"stopped"_s));
}

TEST(Headless, ADataCentreOneDrawBehindNeverRepeatsADraw)
{
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    Headless hele(sim, u"合乐平台-HI彩分分彩"_s);
    QTest::qWait(3000); // the first draw is in
    const QUrl service(sim.url(u"service"_s));
    httplib::Client client("127.0.0.1", service.port());
    ASSERT_TRUE(client.Get("/sim/fault?role=datacenter&lag=1"));
    QTest::qWait(15000);
    const QStringList out = hele.stop();
    // Each printed draw is newer than the one before: none is handled twice.
    check_draws(Headless::draws(out), sim.draws(u"hele_fenfen"_s), false, 3);
}

TEST(Headless, StartedWithSimulatedMoneyAMonitorChasesAndEverySettlementMatchesTheDraws)
{
    Sim sim(6);
    ASSERT_EQ(sim.urls_.size(), 6);
    QTemporaryDir data;
    // One monitor that alerts at every draw and bets 前一 定位胆 on 0 to 4 with the plan 1,2,4.
    const QString monitor = u"|A~定位胆~前一(定位胆)~01234~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~"
                            u"0:0:0:0~1~1,2,4~1~false~0~5:0:0:1920~0"_s;
    const QString settings = data.filePath(u"bao/cfg.ini"_s);
    QDir().mkpath(data.filePath(u"bao"_s));
    {
        QFile f(settings);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // The settings file is GBK, as the program writes it.
        QStringEncoder gbk("GBK");
        f.write(gbk.encode(u"[alert_cfg]\r\nlist="_s + monitor + u"\r\n[tz_cfg]\r\nplt_tz_zy=100000\r\n"_s));
    }
    QProcess program;
    program.start(QStringLiteral(ZORVIK_PATH),
                  {u"--headless"_s, u"--start"_s, u"--virtual"_s, u"--data-dir"_s, data.path(),
                   u"--lottery"_s, u"U彩平台-欢乐分分彩"_s, u"--service-base"_s, sim.url(u"service"_s),
                   u"--public-base"_s, sim.url(u"public"_s), u"--trend-base"_s, sim.url(u"trend"_s)});
    ASSERT_TRUE(program.waitForStarted());
    QTest::qWait(33000);
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(15000));
    const QStringList out = QString::fromUtf8(program.readAllStandardOutput()).split(u'\n');
    const auto made = sim.draws(u"ucai_60s"_s);

    EXPECT_EQ(out.filter(u" monitoring on"_s).size(), 1);
    QList<QStringList> bets;
    QList<QStringList> settled;
    for (const QString& line : out) {
        const qsizetype kind = line.indexOf(u' ', 11);
        if (line.mid(kind + 1).startsWith(u"bet "_s))
            bets << line.mid(kind + 5).split(u'\t');
        else if (line.mid(kind + 1).startsWith(u"settled "_s))
            settled << line.mid(kind + 9).split(u'\t');
    }
    ASSERT_GE(bets.size(), 3);
    ASSERT_GE(settled.size(), 2);
    // No issue is bet twice.
    QSet<QString> issues;
    for (const QStringList& bet : bets) {
        ASSERT_EQ(bet.size(), 10);
        EXPECT_FALSE(issues.contains(bet[0])) << bet[0].toStdString();
        issues.insert(bet[0]);
    }
    // Every settled row holds its issue's draw, its result and its return.
    const auto made_index = [&made](const QString& issue) {
        auto found = made.find(issue);
        if (found == made.end())
            found = made.find(QString(issue).remove(u'-'));
        return found;
    };
    double income = 0;
    QMap<QString, bool> hit_of; // settled issue → hit
    for (const QStringList& row : settled) {
        ASSERT_EQ(row.size(), 10);
        const auto found = made_index(row[0]);
        ASSERT_NE(found, made.end()) << row[0].toStdString();
        EXPECT_EQ(row[1], found->second.second);
        const bool hit = u"01234"_s.contains(found->second.second.at(0));
        EXPECT_EQ(row[5], hit ? u"中"_s : u"挂"_s) << row[0].toStdString();
        const double prize = row[9].section(u'|', 2).toDouble();
        EXPECT_DOUBLE_EQ(row[6].toDouble(), hit ? prize : 0);
        EXPECT_DOUBLE_EQ(row[4].toDouble(), 10.0 * row[3].toInt());
        income += row[6].toDouble() - row[4].toDouble();
        hit_of.insert(row[0], hit);
    }
    // The multipliers follow the plan from bet to bet on consecutive draws: back to 1 after a
    // hit, the next entry after a miss, the first again past the plan's end. (A draw the feed
    // never saw, on a machine too busy to poll in time, breaks the chain; the check starts
    // again after it.)
    const int plan[] = {1, 2, 4};
    int step = 0; // the plan step of bet i where known (-1 where not); the first bet starts it
    int checked = 0;
    for (qsizetype i = 0; i < bets.size(); ++i) {
        if (step >= 0) {
            EXPECT_EQ(bets[i][3].toInt(), step < 3 ? plan[step] : plan[0]) << bets[i][0].toStdString();
            ++checked;
        }
        const auto here = made_index(bets[i][0]);
        const bool chained = i + 1 < bets.size() && here != made.end() &&
                             made_index(bets[i + 1][0]) != made.end() &&
                             made_index(bets[i + 1][0])->second.first == here->second.first + 1 &&
                             hit_of.contains(bets[i][0]);
        if (!chained)
            step = -1;
        else if (hit_of.value(bets[i][0]))
            step = 0;
        else if (step >= 0)
            ++step;
    }
    EXPECT_GE(checked, 2);
    // The last income line is what the settled rows add up to.
    const QStringList incomes = out.filter(u" label income_line 当前收入："_s);
    ASSERT_FALSE(incomes.isEmpty());
    // Compared to the 厘: a sum of doubles such as 19.2 and -10 drifts in its last bits.
    EXPECT_EQ(std::llround(incomes.last().section(u'：', 1).toDouble() * 1000), std::llround(income * 1000));
}

// More bets on one draw than the bet log shows: every one of them is still settled by its draw.
TEST(Headless, EveryBetOfADrawWithMoreBetsThanTheLogShowsIsSettled)
{
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    QTemporaryDir data;
    constexpr int kMonitors = 120;
    QString list;
    for (int i = 1; i <= kMonitors; ++i) {
        QString digits; // a different set of digits for every monitor
        for (int d = 0; d < 10; ++d)
            if (i & (1 << d))
                digits += QChar(u'0' + d);
        list += u"|A~定位胆~前一(定位胆)~"_s + digits +
                u"~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1,2~2~false~0~0:0:0:1920~0"_s;
    }
    write_settings(data, u"[alert_cfg]\r\nlist="_s + list + u"\r\n[tz_cfg]\r\nplt_tz_zy=100000\r\nplt_tz_zs=-100000\r\n"_s);
    QProcess program;
    start_simulated(program, data, sim, u"U彩平台-欢乐分分彩"_s);
    ASSERT_TRUE(program.waitForStarted());
    QTest::qWait(15000);
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(15000));
    const QStringList out = QString::fromUtf8(program.readAllStandardOutput()).split(u'\n');
    QMap<QString, int> bets;    // issue → bets placed
    QMap<QString, int> settled; // issue → bets settled
    for (const QString& line : out) {
        const qsizetype kind = line.indexOf(u' ', 11);
        const QStringView rest = QStringView(line).mid(kind + 1);
        if (rest.startsWith(u"bet "))
            ++bets[rest.mid(4).split(u'\t').value(0).toString()];
        else if (rest.startsWith(u"settled "))
            ++settled[rest.mid(8).split(u'\t').value(0).toString()];
    }
    ASSERT_GE(settled.size(), 1);
    for (auto it = settled.cbegin(); it != settled.cend(); ++it) {
        EXPECT_EQ(bets.value(it.key()), kMonitors) << it.key().toStdString();
        EXPECT_EQ(*it, kMonitors) << it.key().toStdString();
    }
}
