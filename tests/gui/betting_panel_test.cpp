// The betting area's platform login in the real window: the account typed beside the password,
// the login through the page bridge, the controls it hides, the balance and the saved account.

#include "core/core.h"
#include "gui/main_window.h"
#include "fakes/bet_records.h"
#include "fakes/fake_bridge.h"
#include "fakes/fake_http.h"
#include "fakes/fixed_clock.h"
#include "fakes/recording_shell.h"
#include "gui/find_child.h"
#include "records/record_writer.h"
#include "records/records.h"
#include "support/ini.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class Login : public ::testing::Test {
protected:
    void SetUp() override
    {
        http_.route(u"vemto_zt_pturl"_s, u"http://plt.example/"_s);
        http_.route(u"getRefreshInfo"_s, u"{\"data\":{\"totalCredit\":7}}"_s);
        http_.route(u"loadSiteInfo.do?siteCode=HELSSC1"_s, u"{\"extra\":{\"b\":5}}"_s);
        window_ = std::make_unique<zorvik::app::MainWindow>(dir_.path(), &shell_, zorvik::app::NetConfig{}, &http_);
        window_->core().set_bridge_factory([this]() -> zorvik::platform::PageBridge& { return bridge_; });
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        auto* lottery = find<QComboBox>(u"combox_select_caizhong"_s);
        lottery->setCurrentIndex(lottery->findText(u"合乐平台-HI彩分分彩"_s));
        emit lottery->activated(lottery->currentIndex());
        // The page shown is the platform's own.
        bridge_.url = window_->core().feed().endpoints().platform_base + u"cp.html?g=HELSSC1"_s;
        // The nick is on the page once the form was submitted.
        bridge_.answer = [this](const QString& script) -> QString {
            submitted_ = submitted_ || script.contains(u"$('#login').trigger"_s);
            if (script.contains(u"$('#nick').size()"_s))
                return submitted_ ? u"1"_s : u"0"_s;
            if (script.contains(u".text()"_s))
                return u"ann"_s;
            return u"1"_s;
        };
    }

    template <typename W>
    W* find(const QString& name) const
    {
        return zorvik::testing::find_child<W>(window_.get(), name);
    }
    QString stored(const QString& key) const
    {
        return zorvik::support::ini_read(u"tz_cfg"_s, key, window_->settings_file());
    }

    QTemporaryDir dir_;
    zorvik::testing::RecordingShell shell_;
    zorvik::testing::FakeHttp http_;
    zorvik::testing::FixedClock clock_;
    zorvik::testing::FakeBridge bridge_{clock_};
    bool submitted_ = false;
    std::unique_ptr<zorvik::app::MainWindow> window_;
};

TEST_F(Login, WithoutAnAccountNothingIsTriedOrSaved)
{
    QTest::keyClicks(find<QLineEdit>(u"tz_plt_pass"_s), u"secret"_s);
    QTest::mouseClick(find<QPushButton>(u"tz_plt_login"_s), Qt::LeftButton);
    EXPECT_EQ(shell_.messages.size(), 1);
    EXPECT_TRUE(bridge_.scripts.isEmpty());
    EXPECT_TRUE(stored(u"plt_pass"_s).isEmpty());
}

TEST_F(Login, LoggingInHidesTheFormShowsTheAccountAndTheBalanceAndKeepsBoth)
{
    QTest::keyClicks(find<QLineEdit>(u"tz_plt_user"_s), u"ann"_s);
    QTest::keyClicks(find<QLineEdit>(u"tz_plt_pass"_s), u"p'w\\1 "_s);
    auto* button = find<QPushButton>(u"tz_plt_login"_s);
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);

    EXPECT_EQ(bridge_.ran(u"$('#password').val('p\\'w\\\\1');"_s), 1);
    EXPECT_FALSE(button->isVisible());
    EXPECT_FALSE(find<QLineEdit>(u"tz_plt_pass"_s)->isVisible());
    EXPECT_FALSE(find<QLabel>(u"tips_label_19"_s)->isVisible());
    EXPECT_FALSE(find<QLineEdit>(u"tz_plt_user"_s)->isVisible());
    EXPECT_TRUE(find<QLabel>(u"tips_label_18"_s)->isVisible());
    EXPECT_EQ(find<QLabel>(u"tips_label_18"_s)->text(), u"ann"_s);
    EXPECT_EQ(find<QLabel>(u"tips_label_22"_s)->text(), u"ann已登录到平台。"_s);
    EXPECT_EQ(find<QLabel>(u"tips_label_21"_s)->text(), u"主账户：7，彩票账户：5"_s);
    EXPECT_EQ(find<QLineEdit>(u"tz_virtual_m"_s)->text(), u"主账户：7，彩票账户：5"_s);
    // The account and the password are kept (the settings file reads values trimmed).
    EXPECT_EQ(stored(u"plt_user"_s), u"ann"_s);
    EXPECT_EQ(stored(u"plt_pass"_s), u"p'w\\1"_s);
}

// 经纬 lotteries are followed for their draws only: a desk of one shows no platform's balance
// or login, neither the account's lines of a desk beside it nor those it had before.
TEST_F(Login, AJingweiDeskShowsNoPlatformBalance)
{
    QTest::keyClicks(find<QLineEdit>(u"tz_plt_user"_s), u"ann"_s);
    QTest::keyClicks(find<QLineEdit>(u"tz_plt_pass"_s), u"pw"_s);
    QTest::mouseClick(find<QPushButton>(u"tz_plt_login"_s), Qt::LeftButton);
    ASSERT_EQ(find<QLabel>(u"tips_label_21"_s)->text(), u"主账户：7，彩票账户：5"_s);

    ASSERT_TRUE(window_->add_desk(u"经纬平台-幸运分分彩"_s));
    ASSERT_EQ(window_->selected_desk().number(), 2);
    window_->core().refresh_balance();
    QTest::qWait(50);
    EXPECT_EQ(find<QLabel>(u"tips_label_21"_s)->text(), QString());
    EXPECT_NE(find<QLabel>(u"tips_label_22"_s)->text(), u"ann已登录到平台。"_s);
    EXPECT_NE(find<QLineEdit>(u"tz_virtual_m"_s)->text(), u"主账户：7，彩票账户：5"_s);

    // The 合乐 desk keeps its own; turned to 经纬, it has none.
    auto* tabs = find<QTabBar>(u"desk_tabs"_s);
    tabs->setCurrentIndex(0);
    EXPECT_EQ(find<QLabel>(u"tips_label_21"_s)->text(), u"主账户：7，彩票账户：5"_s);
    auto* draws = find<QStackedWidget>(u"draw_stack"_s)->currentWidget();
    auto* lottery = draws->findChild<QComboBox*>(u"combox_select_caizhong"_s);
    ASSERT_NE(lottery, nullptr);
    lottery->setCurrentIndex(lottery->findText(u"经纬平台-欢乐三分彩"_s));
    emit lottery->activated(lottery->currentIndex());
    EXPECT_EQ(find<QLabel>(u"tips_label_21"_s)->text(), QString());
}

TEST_F(Login, AFailedLoginKeepsTheFormAndSaysSo)
{
    bridge_.answer = [](const QString& script) -> QString {
        return script.contains(u".size()"_s) && script.contains(u"#nick"_s) ? u"0"_s : u"1"_s;
    };
    QTest::keyClicks(find<QLineEdit>(u"tz_plt_user"_s), u"ann"_s);
    QTest::mouseClick(find<QPushButton>(u"tz_plt_login"_s), Qt::LeftButton);
    EXPECT_TRUE(find<QPushButton>(u"tz_plt_login"_s)->isVisible());
    EXPECT_TRUE(find<QPushButton>(u"tz_plt_login"_s)->isEnabled());
    EXPECT_EQ(find<QLabel>(u"tips_label_22"_s)->text(), u"登录失败，请重试。"_s);
    EXPECT_EQ(stored(u"plt_user"_s), u"ann"_s); // an attempt with an account keeps it
}

TEST_F(Login, StatusLinesWrapAndTellTheirWholeTextWhenPointedAt)
{
    const QString long_text = u"主账户：5000，彩票账户：5000，"_s.repeated(4);
    window_->core().engine().set_line(zorvik::monitor::Line::Balance, long_text);
    window_->core().engine().set_line(zorvik::monitor::Line::BetStatus, long_text);
    for (const char16_t* name : {u"tips_label_21", u"tips_label_22", u"tips_label_33", u"tips_label_36"}) {
        auto* label = find<QLabel>(QString::fromUtf16(name));
        EXPECT_TRUE(label->wordWrap()) << QString::fromUtf16(name).toStdString();
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
    EXPECT_EQ(find<QLabel>(u"tips_label_21"_s)->toolTip(), long_text);
    EXPECT_EQ(find<QLabel>(u"tips_label_22"_s)->toolTip(), long_text);
    // The window still fits a small screen with them.
    EXPECT_LE(window_->sizeHint().width(), 1366);
    // A page's text is never markup.
    window_->core().engine().set_line(zorvik::monitor::Line::BetStatus, u"<b>粗</b><img src=x>"_s);
    EXPECT_EQ(find<QLabel>(u"tips_label_22"_s)->text(), u"<b>粗</b><img src=x>"_s);
    EXPECT_EQ(find<QLabel>(u"tips_label_22"_s)->textFormat(), Qt::PlainText);
}

TEST_F(Login, TickingOrUntickingSimulatedMoneyStartsEveryPlanAgain)
{
    auto& engine = window_->core().engine();
    const QString chasing = u"|ABC~直选复式~前三(直选复式)~1*2*3~遗漏~≥5~大于等于5~0~待监控~~0~0~0:0~0:0:0:0~1~"
                            u"1,2,4,8~2~true~3~1:0.8:0:1920~O1"_s;
    engine.load_text(chasing);
    ASSERT_EQ(engine.list().at(1)->field(zorvik::monitor::kPlanStep), u"3"_s);
    auto* simulated = find<QCheckBox>(u"tz_virtual"_s);
    QTest::mouseClick(simulated, Qt::LeftButton, {}, QPoint(6, simulated->height() / 2));
    ASSERT_TRUE(simulated->isChecked());
    EXPECT_TRUE(engine.simulated());
    EXPECT_EQ(engine.list().at(1)->field(zorvik::monitor::kPlanStep), u"0"_s);
    EXPECT_EQ(engine.list().at(1)->field(zorvik::monitor::kBetPending), u"false"_s);
    engine.load_text(chasing);
    QTest::mouseClick(simulated, Qt::LeftButton, {}, QPoint(6, simulated->height() / 2));
    EXPECT_FALSE(engine.simulated());
    EXPECT_EQ(engine.list().at(1)->field(zorvik::monitor::kPlanStep), u"0"_s);
}

TEST_F(Login, OrdersAKilledRunLeftUnconfirmedAreJudgedByTheBalanceAfterTheLogin)
{
    // The lottery balance after the login is 5; another desk on the account bet in between.
    const auto sent = [](const QString& ref, double before, const QString& at,
                         const QString& lottery = u"合乐平台-HI彩分分彩"_s) {
        zorvik::records::BetRecord b = zorvik::testing::unconfirmed_order(lottery, ref, before);
        b.placed_at = u"2026-12-08 "_s + at;
        return b;
    };
    {
        zorvik::records::RecordStore store;
        ASSERT_TRUE(store.open(window_->core().records_file()));
        ASSERT_TRUE(store.add_bet(sent(u"other"_s, 20, u"09:00:00"_s)));   // matches nothing: still unknown
        ASSERT_TRUE(store.add_bet(sent(u"cost"_s, 6, u"10:00:00"_s)));     // 6 - 2 (desk2) + 3 (its prize) - 2
        zorvik::records::BetRecord desk2 = sent(u"desk2"_s, 4, u"10:00:10"_s, u"合乐平台-HI彩时时彩"_s);
        desk2.state = QString::fromUtf16(zorvik::records::kConfirmedState);
        desk2.order_no = u"D2"_s;
        ASSERT_TRUE(store.add_bet(desk2));
        ASSERT_TRUE(store.settle(desk2.lottery, desk2.issue, u"D2"_s, u"1,2,3,4,5"_s, u"中"_s, 3,
                                 u"2026-12-08 10:01:00"_s));
        ASSERT_TRUE(store.add_bet(sent(u"same"_s, 5, u"10:02:00"_s)));     // nothing was taken: cancelled
        ASSERT_TRUE(store.add_bet(sent(u"ucai"_s, 5, u"10:03:00"_s, u"U彩平台-欢乐分分彩"_s))); // another platform's
    }
    QSignalSpy cancelled(&window_->core(), &zorvik::app::AppCore::bet_cancelled);
    QSignalSpy unconfirmed(&window_->core(), &zorvik::app::AppCore::bet_unconfirmed);
    QSignalSpy committed(&window_->core(), &zorvik::app::AppCore::bet_committed);
    QTest::keyClicks(find<QLineEdit>(u"tz_plt_user"_s), u"ann"_s);
    QTest::mouseClick(find<QPushButton>(u"tz_plt_login"_s), Qt::LeftButton);
    QTRY_COMPARE(committed.size(), 1);
    EXPECT_EQ(cancelled.size(), 1);
    ASSERT_EQ(unconfirmed.size(), 1);
    EXPECT_EQ(unconfirmed.first().at(0).toStringList().value(5), u"未确认"_s);
    EXPECT_EQ(find<QLabel>(u"tips_label_22"_s)->text(),
              u"20261208-0100期的订单未确认（上次运行中断），余额无法确认，请到平台核对"_s);
    window_->core().records().flush();
    zorvik::records::RecordStore store;
    ASSERT_TRUE(store.open(window_->core().records_file()));
    QStringList left;
    for (const auto& b : store.bets())
        left << b.ref + u':' + b.state;
    EXPECT_EQ(left, (QStringList{u"other:unconfirmed"_s, u"cost:confirmed"_s, u"desk2:confirmed"_s,
                                 u"ucai:unconfirmed"_s}));

    // Told once: a later login (a later start) says nothing of it again.
    window_->core().engine().set_line(zorvik::monitor::Line::BetStatus, u"其他消息"_s);
    window_->core().login_clicked(0);
    window_->core().records().flush();
    EXPECT_EQ(unconfirmed.size(), 1);
    EXPECT_EQ(find<QLabel>(u"tips_label_22"_s)->text(), u"ann已登录到平台。"_s);
    zorvik::records::RecordStore again;
    ASSERT_TRUE(again.open(window_->core().records_file()));
    ASSERT_EQ(again.unconfirmed_bets().size(), 2);
    EXPECT_TRUE(again.unconfirmed_bets()[0].told);
    EXPECT_FALSE(again.unconfirmed_bets()[1].told); // another platform's: not judged here
}

} // namespace
