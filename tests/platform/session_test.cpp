// The platform session against a fake browser and fake HTTP: logins, balances and every reply
// of both platforms' order endpoints, with the waits run on a clock that only tests move.

#include "fakes/fake_bridge.h"
#include "fakes/fake_http.h"
#include "fakes/fixed_clock.h"
#include "fakes/recording_shell.h"
#include "platform/session.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using zorvik::monitor::BetOrder;
using zorvik::monitor::BetResult;
using zorvik::platform::PlatformSession;

namespace {

constexpr char16_t kBase[] = u"http://plt/";

class Session : public ::testing::Test {
protected:
    Session()
        : bridge_(clock_),
          session_(http_, shell_, clock_, [this]() -> zorvik::platform::PageBridge& { return bridge_; })
    {
        zorvik::platform::PlatformView view;
        view.status = [this](const QString& t) { status_ << t; };
        view.balance = [this](const QString& t) { balance_ << t; };
        view.show_login = [this](bool shown) { shown_ << shown; };
        view.enable_login = [this](bool on) { enabled_ << on; };
        view.logged = [this](const QString& t) { logged_ << t; };
        view.late_answer = [this](const BetOrder& o, const BetResult& r) { late_ << std::pair(o, r); };
        session_.set_view(view);
        session_.set_base(QString::fromUtf16(kBase));
        session_.set_credentials(u"ann"_s, u" p'w\\1 "_s);
    }

    void hele(const QString& lottery = u"合乐平台-HI彩分分彩"_s)
    {
        session_.set_lottery(lottery, u"cp.html?g=HELSSC1"_s, 0);
        http_.route(u"loadSiteInfo.do?siteCode=HELSSC1&t="_s,
                    u"{\"code\":1,\"message\":\"{\\\"cdId\\\":77,\\\"cd\\\":\\\"20151112-0567\\\"}\"}"_s);
        http_.route(u"loadSiteInfo.do?siteCode=HELSSC1"_s, u"{\"code\":1,\"extra\":{\"b\":3}}"_s);
        http_.route(u"getRefreshInfo"_s, u"{\"data\":{\"totalCredit\":12.5}}"_s);
    }
    void ucai()
    {
        session_.set_lottery(u"U彩平台-欢乐分分彩"_s, u"bet/ffc"_s, 16);
        http_.route(u"hall"_s, u"<div class=\"moneyContent\"><p>ann</p></div>"_s);
        http_.route(u"action=menu"_s, u"88"_s);
    }
    // The page answers: element probes by the elements present, the nick, and the order.
    void page(bool logged_in, const QString& order_reply)
    {
        bridge_.answer = [=](const QString& script) -> QString {
            if (script.contains(u".size()"_s))
                return script.contains(u"#nick"_s) ? (logged_in ? u"1"_s : u"0"_s) : u"1"_s;
            if (script.contains(u"#nick"_s) && script.contains(u".text()"_s))
                return u"ann"_s;
            if (script.contains(u"confirmOrder.do"_s) || script.contains(u"action=play"_s))
                return order_reply;
            return u"1"_s;
        };
    }
    BetOrder order(const QString& title = u"前三(直选复式)"_s, const QString& numbers = u"1*2*3"_s)
    {
        BetOrder o;
        o.lottery = u"合乐平台-HI彩分分彩"_s;
        o.issue = u"0567"_s;
        o.issue_date = u"20151112"_s;
        o.title = title;
        o.numbers = numbers;
        o.unit_index = 2;
        o.odds = u"1920"_s;
        o.count = 1;
        o.multiplier = 4;
        o.cost = u"0.8"_s;
        return o;
    }

    zorvik::testing::FixedClock clock_;
    zorvik::testing::FakeHttp http_;
    zorvik::testing::RecordingShell shell_;
    zorvik::testing::FakeBridge bridge_;
    PlatformSession session_;
    QStringList status_, balance_, logged_;
    QList<bool> shown_, enabled_;
    QList<std::pair<BetOrder, BetResult>> late_;
};

TEST_F(Session, NoAccountAsksForOneAndTouchesNothing)
{
    hele();
    session_.set_credentials(u"张三"_s, u"x"_s);
    EXPECT_FALSE(session_.login());
    EXPECT_EQ(shell_.messages.size(), 1);
    EXPECT_FALSE(session_.browser_made());
    EXPECT_TRUE(http_.requests.isEmpty());
}

TEST_F(Session, HeleLoginFillsTheFormWithEscapedValuesAndShowsTheBalance)
{
    hele();
    page(false, QString());
    // The nick appears once the form was submitted.
    bool submitted = false;
    bridge_.answer = [&](const QString& script) -> QString {
        if (script.contains(u"#login').trigger"_s))
            submitted = true;
        if (script.contains(u"$('#nick').size()"_s))
            return submitted ? u"1"_s : u"0"_s;
        if (script.contains(u"$('#login').size()"_s))
            return u"0"_s;
        if (script.contains(u".text()"_s))
            return u" ann "_s;
        return u"1"_s;
    };
    EXPECT_TRUE(session_.login());
    EXPECT_EQ(bridge_.ran(u"$('#password').val('p\\'w\\\\1');"_s), 1); // trimmed, escaped
    EXPECT_EQ(bridge_.navigations, QStringList({u"http://plt/"_s, u"http://plt/cp.html?g=HELSSC1"_s}));
    EXPECT_EQ(logged_, QStringList{u"ann已登录到平台。"_s});
    EXPECT_EQ(status_.first(), u"登录彩票平台中..."_s);
    EXPECT_EQ(status_.last(), u"ann已登录到平台。"_s);
    EXPECT_EQ(shown_, QList<bool>{false});
    EXPECT_EQ(enabled_, (QList<bool>{false, true}));
    EXPECT_EQ(balance_, QStringList{u"主账户：12.5，彩票账户：3"_s});
}

TEST_F(Session, HeleLoginFailures)
{
    hele();
    bool form = false; // the login form shows once the home page is loaded
    bridge_.answer = [&](const QString& script) -> QString {
        if (script.contains(u"$('#login').size()"_s))
            return form ? u"1"_s : u"0"_s;
        return script.contains(u".size()"_s) ? u"0"_s : u"1"_s;
    };
    bridge_.navigate_ok = false;
    session_.login();
    EXPECT_EQ(logged_.last(), u"登录失败，请重试。"_s);
    EXPECT_EQ(shell_.tips, QStringList{u"网速过慢，无法连接到合乐平台。请更换平台地址"_s});
    EXPECT_EQ(bridge_.ran(u"#userid"_s), 0);
    EXPECT_TRUE(shown_.isEmpty());

    bridge_.navigate_ok = true;
    form = true;
    session_.login(); // the form is there, the nick never comes
    EXPECT_EQ(bridge_.ran(u"#userid"_s), 1);
    EXPECT_EQ(logged_.last(), u"登录失败，请重试。"_s);
}

TEST_F(Session, AZeroLotteryBalanceLogsInAgainOnceNotForEver)
{
    hele();
    page(true, QString());
    http_.route(u"loadSiteInfo.do?siteCode=HELSSC1"_s, u"{\"code\":1,\"extra\":{\"b\":0}}"_s);
    session_.refresh_balance();
    EXPECT_EQ(logged_.size(), 1); // one login, whose own balance refresh does not log in again
    EXPECT_TRUE(balance_.isEmpty());
    http_.route(u"loadSiteInfo.do?siteCode=HELSSC1"_s, u"{\"code\":1,\"extra\":null}"_s);
    session_.refresh_balance();
    EXPECT_EQ(logged_.size(), 1);
    EXPECT_EQ(balance_, QStringList{u"主账户：12.5"_s});
}

TEST_F(Session, HeleBetSendsTheOrderForTheDrawOnSale)
{
    hele();
    page(true, u"{\"code\":1,\"message\":{\"orderNo\":\"HEL1\",\"buyAmt\":0.8}}"_s);
    const BetResult r = session_.place(order());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.order_id, u"HEL1"_s);
    EXPECT_EQ(r.amount, u"0.8"_s);
    EXPECT_EQ(r.message, u"投注成功"_s);
    EXPECT_EQ(http_.requests.first().url, u"http://plt/cp/loadSiteInfo.do?siteCode=HELSSC1&t=1447324200"_s);
    EXPECT_EQ(http_.requests.first().body, u"siteCode=HELSSC1"_s);
    EXPECT_EQ(bridge_.ran(u"'orders': 'CS1_2_3.'"_s), 1);
    EXPECT_EQ(bridge_.ran(u"'draw': { 'id': 77}, 'multiply': '4'"_s), 1);
    EXPECT_EQ(bridge_.ran(u"'url':'http://plt/cp/confirmOrder.do'"_s), 1);
}

TEST_F(Session, HeleRefusalsAndTheirMessages)
{
    hele();
    const struct {
        const char16_t* reply;
        int status;
        const char16_t* message;
        bool relogin;
    } rows[] = {
        {u"{\"code\":-1}", -1, u"号码格式错误", false},
        {u"{\"code\":-10}", -10, u"平台错误，投注未成功。请检查自己的投注号码和玩法是否匹配", false},
        {u"{\"code\":-10,\"message\":\"该期已截止投注\"}", zorvik::monitor::kIssueClosed, u"该期已截止投注", false},
        {u"{\"code\":-40}", -40, u"户头余额不足", false},
        {u"{\"code\":-5}", -5, u"未读取到投注返回信息，可能是线路异常。软件准备自动重登陆。", true},
        {u"{\"code\":7}", 7, u"未知错误。错误码：7", false},
    };
    for (const auto& row : rows) {
        page(true, QString::fromUtf16(row.reply));
        const qsizetype logins = logged_.size();
        const BetResult r = session_.place(order());
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.message, QString::fromUtf16(row.message));
        EXPECT_TRUE(r.order_id.isEmpty());
        EXPECT_EQ(logged_.size() > logins, row.relogin) << row.status;
    }
}

TEST_F(Session, HeleWaitsTwentySecondsForALateReplyThenGivesUp)
{
    hele();
    page(true, QString::fromUtf16(zorvik::platform::kVemtoError));
    bridge_.later = u"{\"code\":1,\"message\":{\"orderNo\":\"LATE\",\"buyAmt\":\"0.8\"}}"_s;
    EXPECT_EQ(session_.place(order()).order_id, u"LATE"_s);

    bridge_.later = QString::fromUtf16(zorvik::platform::kVemtoError);
    const qint64 before = clock_.msecs();
    session_.expect_order(3); // the lottery balance before the order; still 3 after it
    BetResult r = session_.place(order());
    EXPECT_EQ(r.status, -999);
    EXPECT_TRUE(r.timed_out);
    EXPECT_EQ(r.message, u"未知错误。错误码：-999"_s);
    EXPECT_GE(clock_.msecs() - before, 20000);
    EXPECT_LE(clock_.msecs() - before, 22500);
}

// A stop while the answer is awaited ends the wait at once: the page going away is not polled
// for the rest of the twenty seconds, and the order is judged as unanswered.
TEST_F(Session, AStopEndsTheWaitForAnAnswerAtOnce)
{
    hele();
    page(true, QString::fromUtf16(zorvik::platform::kVemtoError));
    bridge_.later = QString::fromUtf16(zorvik::platform::kVemtoError);
    bridge_.stop = true;
    const qint64 before = clock_.msecs();
    const int pauses = bridge_.pauses;
    session_.expect_order(3);
    const BetResult r = session_.place(order());
    EXPECT_NE(r.status, 1);
    EXPECT_TRUE(r.timed_out);
    EXPECT_LE(bridge_.pauses - pauses, 1);
    EXPECT_LT(clock_.msecs() - before, 5000);
}

TEST_F(Session, AnOrderWhoseAnswerNeverComesIsJudgedByTheBalance)
{
    hele();
    page(true, QString::fromUtf16(zorvik::platform::kVemtoError));
    bridge_.later = QString::fromUtf16(zorvik::platform::kVemtoError);
    // The balance after is 3: a drop of exactly the cost (0.8) confirms the order.
    session_.expect_order(3.8);
    BetResult r = session_.place(order());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.timed_out);
    EXPECT_EQ(r.amount, u"0.8"_s);
    EXPECT_FALSE(r.order_id.isEmpty());
    // A drop of anything else (one 厘 off either outcome too), or no balance before it, leaves
    // it unconfirmed.
    for (const std::optional<double> before :
         {std::optional<double>(3.7), std::optional<double>(3.81), std::optional<double>(3.801),
          std::optional<double>(3.001), std::optional<double>()}) {
        session_.expect_order(before);
        r = session_.place(order());
        EXPECT_EQ(r.status, zorvik::monitor::kUnconfirmed);
        EXPECT_TRUE(r.timed_out);
        EXPECT_EQ(r.message, u"投注未得到平台答复，余额变化与投注金额不符，订单未确认，请到平台核对"_s);
    }
    // The balance read before one order is not used for the next.
    session_.expect_order(3);
    EXPECT_EQ(session_.place(order()).status, -999);
    EXPECT_EQ(session_.place(order()).status, zorvik::monitor::kUnconfirmed);
    // On UCai, a page that cannot be read has not answered either.
    ucai();
    page(true, QString());
    bridge_.later = QString();
    session_.expect_order(88);
    r = session_.place(order(u"后三(定位胆)"_s, u"12"_s));
    EXPECT_EQ(r.status, -6);
    EXPECT_TRUE(r.timed_out);
    session_.expect_order(88.8);
    EXPECT_EQ(session_.place(order(u"后三(定位胆)"_s, u"12"_s)).status, 1);
    hele();
    // An answer that came is never judged by the balance.
    page(true, u"{\"code\":-40}"_s);
    session_.expect_order(3.8);
    r = session_.place(order());
    EXPECT_EQ(r.status, -40);
    EXPECT_FALSE(r.timed_out);
}

// Hele's answer of an order left unconfirmed comes into the page later: it is read before the
// page's next use and told once; after two minutes it is no longer looked for.
TEST_F(Session, AHeleAnswerThatComesAfterTheWaitIsTakenInOnce)
{
    hele();
    page(true, QString::fromUtf16(zorvik::platform::kVemtoError));
    bridge_.later = QString::fromUtf16(zorvik::platform::kVemtoError);
    session_.expect_order(9); // the balance after is 3: not the cost, not unchanged
    ASSERT_EQ(session_.place(order()).status, zorvik::monitor::kUnconfirmed);
    session_.refresh_balance(); // no answer yet
    EXPECT_TRUE(late_.isEmpty());
    bridge_.later = u"{\"code\":1,\"message\":{\"orderNo\":\"LATE\",\"buyAmt\":\"0.8\"}}"_s;
    session_.refresh_balance();
    ASSERT_EQ(late_.size(), 1);
    EXPECT_EQ(late_[0].first.issue, u"0567"_s);
    EXPECT_EQ(late_[0].first.numbers, u"1*2*3"_s);
    EXPECT_EQ(late_[0].second.status, 1);
    EXPECT_EQ(late_[0].second.order_id, u"LATE"_s);
    EXPECT_EQ(late_[0].second.amount, u"0.8"_s);
    EXPECT_TRUE(late_[0].second.timed_out);
    session_.refresh_balance();
    EXPECT_EQ(late_.size(), 1); // told once

    // A refusal that comes late is told as one, before the next order's script runs.
    bridge_.later = QString::fromUtf16(zorvik::platform::kVemtoError);
    session_.expect_order(9);
    ASSERT_EQ(session_.place(order()).status, zorvik::monitor::kUnconfirmed);
    bridge_.later = u"{\"code\":-40}"_s;
    const int scripts = int(bridge_.scripts.size());
    session_.place(order());
    ASSERT_EQ(late_.size(), 2);
    EXPECT_EQ(late_[1].second.status, -40);
    EXPECT_GT(bridge_.scripts.size(), scripts); // then the order was sent

    // Past two minutes it is no longer awaited.
    bridge_.later = QString::fromUtf16(zorvik::platform::kVemtoError);
    session_.expect_order(9);
    ASSERT_EQ(session_.place(order()).status, zorvik::monitor::kUnconfirmed);
    clock_.advance(119 * 1000);
    session_.refresh_balance();
    clock_.advance(2 * 1000);
    session_.refresh_balance();
    bridge_.later = u"{\"code\":1,\"message\":{\"orderNo\":\"LATER\",\"buyAmt\":\"0.8\"}}"_s;
    session_.refresh_balance();
    EXPECT_EQ(late_.size(), 2);
}

TEST_F(Session, HeleRefusesAPlayWithoutACodeBeforeSendingAnything)
{
    hele();
    page(true, u"{\"code\":1,\"message\":{\"orderNo\":\"N\",\"buyAmt\":\"0.8\"}}"_s);
    // 后三(不定位:二码) has digits but no play code: "124." would be read as another play.
    for (const auto& [play, numbers] : {std::pair{u"后三(不定位:二码)"_s, u"1 2 4"_s},
                                        std::pair{u"前三(不定位:二码)"_s, u"1 2"_s},
                                        std::pair{u"万位(定位胆)"_s, u"1"_s},
                                        std::pair{u"任三(直选复式)"_s, u"1*2*3"_s}}) {
        const BetResult r = session_.place(order(play, numbers));
        EXPECT_EQ(r.status, -6);
        EXPECT_EQ(r.message, u"投注失败。合乐平台不支持玩法："_s + play);
    }
    EXPECT_EQ(bridge_.ran(u"confirmOrder"_s), 0);
    EXPECT_EQ(http_.count(u"loadSiteInfo.do?siteCode=HELSSC1&t="_s), 0);
    // A play with a code goes out.
    EXPECT_EQ(session_.place(order(u"后三(不定位:一码)"_s, u"1 2"_s)).status, 1);
    EXPECT_EQ(bridge_.ran(u"'orders': '3J12.'"_s), 1);
}

TEST_F(Session, HeleChecksTheDrawBeforeSendingAnything)
{
    hele();
    page(true, u"{\"code\":1}"_s);
    BetOrder o = order();
    o.issue = u"0568"_s;
    BetResult r = session_.place(o);
    // Too late for the issue: not sent, and the session is not logged in again for it.
    EXPECT_EQ(r.status, zorvik::monitor::kIssueClosed);
    EXPECT_EQ(r.message, u"投注期号不正确。可能是正在开奖或平台页面未刷新，稍后软件会自动重试。"_s);
    EXPECT_EQ(bridge_.ran(u"confirmOrder"_s), 0);
    EXPECT_EQ(logged_.size(), 0);

    http_.route(u"loadSiteInfo.do?siteCode=HELSSC1&t="_s, u"{\"code\":1,\"message\":\"{}\"}"_s);
    r = session_.place(order());
    EXPECT_EQ(r.message, u"平台线路异常。软件准备自动重登陆。你也可以手动更换网址再试。"_s);
    EXPECT_EQ(bridge_.ran(u"confirmOrder"_s), 0);
}

TEST_F(Session, UcaiBetPostsTheOrderAndMakesUpItsNumber)
{
    ucai();
    page(true, u"success"_s);
    const BetResult r = session_.place(order(u"后三(定位胆)"_s, u"1*23*4"_s));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.order_id.size(), 32);
    EXPECT_EQ(r.order_id, r.order_id.toUpper());
    EXPECT_EQ(r.amount, u"0.8"_s);
    EXPECT_EQ(r.message, u"20151112-567期投注成功"_s);
    EXPECT_EQ(bridge_.ran(u"'codes':'||1|2&3|4'"_s), 1);
    EXPECT_EQ(bridge_.ran(u"data.lt_issue_start='20151112-567';"_s), 1);
    EXPECT_EQ(bridge_.ran(u"data.lotteryid=16;"_s), 1);
}

TEST_F(Session, UcaiRefusals)
{
    ucai();
    page(true, u"{\"data\":\"余额不足\"}"_s);
    BetResult r = session_.place(order(u"后三(定位胆)"_s, u"12"_s));
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.message, u"余额不足"_s);
    // Too late for its issue: told apart from other refusals, and no login follows.
    const qsizetype logins = logged_.size();
    page(true, u"{\"data\":\"第20151112-567期已截止投注，当前期为20151112-568\"}"_s);
    r = session_.place(order(u"后三(定位胆)"_s, u"12"_s));
    EXPECT_EQ(r.status, zorvik::monitor::kIssueClosed);
    EXPECT_EQ(logged_.size(), logins);

    const int orders = bridge_.ran(u"action=play"_s);
    r = session_.place(order(u"前三(组三单式)"_s, u"112"_s));
    EXPECT_EQ(r.status, -6);
    EXPECT_EQ(r.message, u"投注失败。平台不支持玩法：前三(组三单式)"_s);
    r = session_.place(order(u"五星(定位胆)"_s, u"1*2"_s)); // too few groups: abandoned quietly
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.message.isEmpty());
    EXPECT_EQ(bridge_.ran(u"action=play"_s), orders);

    page(true, u"<html>login</html>"_s);
    r = session_.place(order(u"后三(定位胆)"_s, u"12"_s));
    EXPECT_EQ(r.status, -5);
    EXPECT_EQ(r.message, u"与U彩平台发生通信故障，正在重新连接，请稍候..."_s);
    EXPECT_EQ(logged_.size(), 1);

    page(true, QString::fromUtf16(zorvik::platform::kVemtoError));
    bridge_.later = QString::fromUtf16(zorvik::platform::kVemtoError);
    session_.expect_order(88); // unchanged after: not placed
    r = session_.place(order(u"后三(定位胆)"_s, u"12"_s));
    EXPECT_EQ(r.status, -6);
    EXPECT_TRUE(r.timed_out);
    EXPECT_EQ(r.message, u"投注失败。请检查一下玩法和号码格式是否匹配、是否有误"_s);
}

TEST_F(Session, UcaiLostSessionLogsInAgainBeforeAnyOrder)
{
    ucai();
    page(true, u"success"_s);
    http_.route(u"hall"_s, u"<p>请先登录</p>"_s);
    const BetResult r = session_.place(order(u"后三(定位胆)"_s, u"12"_s));
    EXPECT_EQ(r.status, -5);
    EXPECT_EQ(bridge_.ran(u"action=play"_s), 0);
    EXPECT_EQ(bridge_.navigations.first(), u"http://plt/?login"_s);
    EXPECT_EQ(bridge_.ran(u"jQuery('#password').val('p\\'w\\\\1')"_s), 1);
    EXPECT_EQ(logged_.last(),
              u"账号或密码错误。如果输错多次，请自己打开浏览器登录平台输入验证码登录成功后再返回Zorvik尝试登陆"_s);
}

TEST_F(Session, UcaiLoginShowsTheUserAndTheBalance)
{
    ucai();
    page(true, QString());
    EXPECT_TRUE(session_.login());
    EXPECT_EQ(logged_, QStringList{u"用户：[ ann ] 已登录到平台。"_s});
    EXPECT_EQ(bridge_.navigations, QStringList{u"http://plt/bet/ffc"_s}); // already in: no form
    EXPECT_EQ(balance_, QStringList{u"彩票账户:88"_s});
    EXPECT_EQ(http_.count(u"action=menu"_s), 1);
    EXPECT_EQ(bridge_.ran(u"jQuery('#confirm_no')"_s), 2); // probed, then clicked
}

TEST_F(Session, ThePasswordIsTypedOnlyIntoThePlatformsOwnPage)
{
    hele();
    page(false, QString());
    // The login page redirected elsewhere: nothing is typed, and the status line says why.
    bridge_.url = u"http://evil.example/login"_s;
    EXPECT_TRUE(session_.login());
    EXPECT_EQ(bridge_.ran(u"password"_s), 0);
    EXPECT_EQ(logged_.last(), u"登录页面不在平台地址（plt）上，没有填写密码"_s);
    bridge_.url = u"http://plt:8080/"_s; // same host, another port
    session_.login();
    EXPECT_EQ(bridge_.ran(u"password"_s), 0);
    bridge_.url = u"http://PLT/cp.html"_s;
    session_.login();
    EXPECT_EQ(bridge_.ran(u"$('#password').val("_s), 1);

    ucai();
    http_.route(u"hall"_s, QString());
    bridge_.url = u"http://plt.example/?login"_s;
    session_.login();
    EXPECT_EQ(bridge_.ran(u"jQuery('#password').val("_s), 0);
    EXPECT_EQ(logged_.last(), u"登录页面不在平台地址（plt）上，没有填写密码"_s);
    bridge_.url = QString();
    session_.login();
    EXPECT_EQ(bridge_.ran(u"jQuery('#password').val("_s), 1);
}

TEST_F(Session, OneOperationAtATime)
{
    ucai();
    page(true, u"success"_s);
    // A login clicked and a balance refresh asked for while a bet waits: the login is refused,
    // the refresh runs once the bet is done.
    bool login_refused = false;
    bridge_.during_wait = [&] {
        login_refused = !session_.login();
        session_.refresh_balance();
        EXPECT_EQ(http_.count(u"action=menu"_s), 0);
    };
    EXPECT_EQ(session_.place(order(u"后三(定位胆)"_s, u"12"_s)).status, 1);
    EXPECT_TRUE(login_refused);
    EXPECT_EQ(http_.count(u"action=menu"_s), 1);

    // A bet asked for during a login is turned away as busy, sends nothing, and the view is
    // told once the login is over; the page is loaded after it.
    BetResult nested;
    int idle = 0;
    zorvik::platform::PlatformView view;
    view.idle = [&] { ++idle; };
    session_.set_view(view);
    const int orders = bridge_.ran(u"action=play"_s);
    bridge_.during_wait = [&] {
        nested = session_.place(order(u"后三(定位胆)"_s, u"12"_s));
        session_.load_game_page();
        EXPECT_TRUE(bridge_.loads.isEmpty());
        EXPECT_EQ(idle, 0);
    };
    http_.route(u"hall"_s, QString());
    session_.login();
    EXPECT_EQ(nested.status, zorvik::monitor::kPlacerBusy);
    EXPECT_EQ(nested.message, u"正在登录平台或读取余额，投注已排队"_s);
    EXPECT_EQ(bridge_.ran(u"action=play"_s), orders);
    EXPECT_EQ(idle, 1);
    EXPECT_EQ(bridge_.loads, QStringList{u"http://plt/bet/ffc"_s});
    // Without a bet turned away, the end of an operation tells nothing.
    bridge_.during_wait = nullptr;
    session_.login();
    EXPECT_EQ(idle, 1);
}

TEST_F(Session, AfterARefusalTheHelePageIsLoadedAgainBeforeTheSessionIsJudged)
{
    hele();
    // The page held still shows the nick; the platform's session is gone.
    page(true, u"{\"code\":-5}"_s);
    const BetResult r = session_.place(order());
    EXPECT_EQ(r.status, -5);
    ASSERT_FALSE(bridge_.navigations.isEmpty());
    EXPECT_EQ(bridge_.navigations.first(), u"http://plt/cp.html?g=HELSSC1"_s);
    // A login the user asks for judges the page as it is.
    bridge_.navigations.clear();
    session_.login();
    EXPECT_EQ(bridge_.navigations, QStringList{u"http://plt/cp.html?g=HELSSC1"_s}); // logged in: the game page
}

TEST_F(Session, TheGamePageIsLoadedOnlyOnceABrowserIsThere)
{
    ucai();
    session_.load_game_page();
    EXPECT_FALSE(session_.browser_made());
    page(true, u"success"_s);
    session_.place(order(u"后三(定位胆)"_s, u"12"_s));
    session_.load_game_page();
    EXPECT_EQ(bridge_.loads, QStringList{u"http://plt/bet/ffc"_s});
    session_.set_lottery(u"经纬平台-幸运分分彩"_s, QString(), 0);
    session_.load_game_page();
    EXPECT_EQ(bridge_.loads.size(), 1);
    EXPECT_EQ(session_.place(order()).message, u"当前不能投注，你必须选择合乐或U彩平台"_s);
}

} // namespace
