// The total stop over several desks, driven draw by draw: it reads the summed income of every
// desk, and a desk started again after it is stopped, and told, at the next one.

#include "core/core.h"
#include "core/desk.h"
#include "fakes/fake_http.h"
#include "fakes/fixed_clock.h"
#include "fakes/recording_shell.h"
#include "monitor/engine.h"
#include "support/gbk.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using zorvik::app::AppCore;
using zorvik::app::NetConfig;
using zorvik::monitor::DrawState;

namespace {

// 前一 定位胆 on every digit: each bet of 20 hits one line, paying 25 at odds 2500 (+5 a draw)
// and 10 at odds 1000 (-10 a draw).
QString monitor(int odds)
{
    return u"|A~定位胆~前一(定位胆)~0123456789~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1~1~false~0~0:0:0:"_s +
           QString::number(odds) + u"~0"_s;
}

class TotalStop : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(dir_.filePath(u"bao"_s));
        QFile f(dir_.filePath(u"bao/cfg.ini"_s));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(zorvik::support::to_gbk(
            u"[cai_cfg]\r\ncombox_select_caizhong=U彩平台-欢乐分分彩\r\n[alert_cfg]\r\nlist="_s + monitor(2500) +
            u"\r\n[tz_cfg]\r\nplt_tz_zy=100000\r\nplt_tz_zs=-100000\r\n[desk_2]\r\nlottery=合乐平台-HI彩分分彩\r\nlist="_s +
            monitor(1000) + u"\r\nstop_profit=100000\r\nstop_loss=-100000\r\n"_s));
        f.close();
        core_ = std::make_unique<AppCore>(dir_.path(), shell_, clock_, http_, NetConfig{});
        core_->add_desk(2);
        ASSERT_EQ(core_->desks().size(), 2u);
        core_->set_virtual(true);
        const QString lotteries[] = {u"U彩平台-欢乐分分彩"_s, u"合乐平台-HI彩分分彩"_s};
        for (size_t i = 0; i < 2; ++i) {
            zorvik::app::Desk& d = *core_->desks()[i];
            d.engine().load();
            d.choose_lottery(lotteries[i]);
            d.engine().set_draw_source([this] { return state_; });
            ASSERT_EQ(d.engine().list().records().size(), 1);
        }
        state_.lookup = &lookup_;
    }

    zorvik::monitor::MonitorEngine& engine(int desk) { return core_->desks()[size_t(desk)]->engine(); }

    // Draw `n` comes: the desks given judge it, in order.
    void draw(int n, std::initializer_list<int> desks = {0, 1})
    {
        const QString issue = u"20261209-"_s + QString::number(n).rightJustified(4, u'0');
        state_.awd_iss = issue;
        state_.awd_nums = u"1,2,3,4,5"_s;
        state_.bet_iss = state_.next_iss_no = u"20261209-"_s + QString::number(n + 1).rightJustified(4, u'0');
        lookup_.insert(QString(issue).remove(u'-'), state_.awd_nums);
        for (int d : desks)
            engine(d).evaluate_draw();
    }
    double total() { return engine(0).session().income + engine(1).session().income; }

    QTemporaryDir dir_;
    zorvik::testing::RecordingShell shell_;
    zorvik::testing::FakeHttp http_;
    zorvik::testing::FixedClock clock_;
    std::unique_ptr<AppCore> core_;
    DrawState state_;
    QHash<QString, QString> lookup_;
};

} // namespace

TEST_F(TotalStop, ComesWhenTheSumOfEveryDesksIncomeReachesItAndAgainAfterARestart)
{
    QSignalSpy told(core_.get(), &AppCore::total_stop_reached);
    core_->set_total_stops(QString(), u"-12"_s);
    engine(0).set_monitoring(true, false);
    engine(1).set_monitoring(true, false);
    // Settled incomes: +5 and -10 a draw from the second draw on.
    draw(1);
    draw(2);
    draw(3);
    // -10 in all (the second desk alone is at -20, past the stop): both go on.
    EXPECT_DOUBLE_EQ(total(), -10);
    EXPECT_EQ(told.size(), 0);
    EXPECT_TRUE(engine(0).monitoring());
    EXPECT_TRUE(engine(1).monitoring());
    draw(4);
    EXPECT_DOUBLE_EQ(total(), -15);
    ASSERT_EQ(told.size(), 1);
    const QString said = u"达到总止盈或总止损额（合计收入-15），停止所有彩种的监控和投注"_s;
    EXPECT_EQ(told.at(0).at(0).toString(), said);
    EXPECT_FALSE(engine(0).monitoring());
    EXPECT_FALSE(engine(1).monitoring());
    // Said on every desk it stopped, after each desk's own stop line, and in a tip.
    QTRY_COMPARE(engine(0).line(zorvik::monitor::Line::BetStatus), said);
    QTRY_COMPARE(engine(1).line(zorvik::monitor::Line::BetStatus), said);
    EXPECT_EQ(shell_.tips.filter(said).size(), 1);

    // Started again with the totals still reached: stopped again at once, and told.
    engine(1).set_monitoring(true, false);
    EXPECT_FALSE(engine(1).monitoring());
    ASSERT_EQ(told.size(), 2);

    // A lower stop, the second desk started again: stopped, and told, when the sum reaches it.
    core_->set_total_stops(QString(), u"-40"_s);
    engine(1).set_monitoring(true, false);
    ASSERT_TRUE(engine(1).monitoring());
    draw(5, {1});
    draw(6, {1});
    draw(7, {1});
    EXPECT_DOUBLE_EQ(total(), -35);
    EXPECT_TRUE(engine(1).monitoring());
    EXPECT_EQ(told.size(), 2);
    draw(8, {1});
    EXPECT_DOUBLE_EQ(total(), -45);
    EXPECT_FALSE(engine(1).monitoring());
    ASSERT_EQ(told.size(), 3);
    EXPECT_EQ(told.at(2).at(0).toString(), u"达到总止盈或总止损额（合计收入-45），停止所有彩种的监控和投注"_s);
}

TEST_F(TotalStop, AStopProfitOverTheSumComesOnlyWhenTheSumReachesIt)
{
    QSignalSpy told(core_.get(), &AppCore::total_stop_reached);
    // The first desk alone passes +9 at its second settlement; the sum never does.
    core_->set_total_stops(u"9"_s, QString());
    engine(0).set_monitoring(true, false);
    engine(1).set_monitoring(true, false);
    for (int n = 1; n <= 4; ++n)
        draw(n);
    EXPECT_DOUBLE_EQ(engine(0).session().income, 15);
    EXPECT_EQ(told.size(), 0);
    EXPECT_TRUE(engine(0).monitoring());
}
