#include "platform/session.h"

#include "platform/hele.h"
#include "platform/page_bridge.h"
#include "platform/simulated_placer.h"
#include "platform/ucai.h"
#include "support/clock.h"
#include "support/http.h"
#include "support/json.h"
#include "support/money.h"
#include "support/shell.h"
#include "support/text.h"

#include <QUrl>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::platform {

namespace {

constexpr char16_t kLoggingIn[] = u"登录彩票平台中...";
constexpr char16_t kUcaiLost[] = u"与U彩平台发生通信故障，正在重新连接，请稍候...";
constexpr int kHeleReplyMs = 20000;
constexpr int kUcaiReplyMs = 10000;
constexpr int kAnswerPollMs = 50;
// How long after its wait ended an order's answer is still looked for in the page.
constexpr int kLateAnswerMs = 120000;

monitor::BetResult refused(int status, const QString& message)
{
    return {status, QString(), QString(), message};
}

} // namespace

QString account_name(const QString& caption)
{
    // Letters, digits, "_" and "-" (ASCII, as the platforms' account names are).
    return support::regex_replace(caption, u"[^A-Za-z0-9_\\-]*"_s, QString());
}

// Marks an operation under way; the last to end runs what was asked for meanwhile.
class PlatformSession::Busy {
public:
    explicit Busy(PlatformSession& session) : session_(session) { ++session_.busy_; }
    ~Busy()
    {
        if (--session_.busy_ == 0)
            session_.run_due();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    PlatformSession& session_;
};

PlatformSession::PlatformSession(support::HttpClient& http, support::Shell& shell,
                                 const support::Clock& clock, std::function<PageBridge&()> bridge)
    : http_(http), shell_(shell), clock_(clock), make_bridge_(std::move(bridge))
{
}

void PlatformSession::set_lottery(const QString& name, const QString& page_path, int ucai_game)
{
    lottery_ = name;
    page_ = page_path;
    ucai_game_ = ucai_game;
    site_code_ = name == u"合乐平台-HI彩分分彩"   ? u"HELSSC1"_s
                 : name == u"合乐平台-HI彩时时彩" ? u"HELSSC"_s
                                                  : QString();
}

void PlatformSession::set_credentials(const QString& account_caption, const QString& password)
{
    account_ = account_name(account_caption);
    password_ = support::trim_blanks(password);
}

PageBridge& PlatformSession::bridge()
{
    made_ = true;
    return make_bridge_();
}

QString PlatformSession::platform() const
{
    if (lottery_.contains(u"合乐"_s))
        return u"hele"_s;
    if (lottery_.contains(u"U彩"_s))
        return u"ucai"_s;
    return QString();
}

void PlatformSession::status(const QString& text)
{
    if (view_.status)
        view_.status(text);
}

void PlatformSession::logged_in()
{
    bridge().page_navigate(base_ + page_);
    if (view_.show_login)
        view_.show_login(false);
}

bool PlatformSession::login()
{
    if (busy_ > 0)
        return false;
    Busy busy(*this);
    take_late_answer();
    return start_login();
}

void PlatformSession::run_due()
{
    if (std::exchange(bets_turned_away_, false) && view_.idle)
        view_.idle();
    if (balance_due_) {
        balance_due_ = false;
        refresh_balance();
    }
    if (page_due_) {
        page_due_ = false;
        load_game_page();
    }
}

bool PlatformSession::start_login(bool fresh)
{
    // The program is ending: its requests are cut short, and no login follows from them.
    if (made_ && bridge().stopping())
        return false;
    if (account_.isEmpty()) {
        shell_.message(u"请先填写平台账号，再登录平台。"_s);
        return false;
    }
    const QString which = platform();
    if (which.isEmpty())
        return true;
    status(QString::fromUtf16(kLoggingIn));
    if (view_.enable_login)
        view_.enable_login(false);
    const QString message = which == u"hele" ? hele_login(fresh) : ucai_login();
    status(message);
    if (view_.enable_login)
        view_.enable_login(true);
    if (view_.logged)
        view_.logged(message);
    return true;
}

void PlatformSession::refresh_balance()
{
    if (busy_ > 0) {
        balance_due_ = true;
        return;
    }
    Busy busy(*this);
    take_late_answer();
    const QString which = platform();
    if (which == u"hele")
        hele_balance();
    else if (which == u"ucai")
        ucai_balance();
}

void PlatformSession::load_game_page()
{
    if (!made_ || platform().isEmpty() || base_.isEmpty() || page_.isEmpty())
        return;
    if (busy_ > 0) {
        page_due_ = true;
        return;
    }
    take_late_answer(); // a load ends the page's scripts
    bridge().page_load(base_ + page_);
}

monitor::BetResult PlatformSession::place(const monitor::BetOrder& order)
{
    if (busy_ > 0) {
        bets_turned_away_ = true;
        return refused(monitor::kPlacerBusy, u"正在登录平台或读取余额，投注已排队"_s);
    }
    Busy busy(*this);
    take_late_answer();
    const QString which = platform();
    if (which == u"hele")
        return hele_bet(order);
    if (which == u"ucai")
        return ucai_bet(order);
    return refused(0, u"当前不能投注，你必须选择合乐或U彩平台"_s);
}

QString PlatformSession::await_answer(QString reply, int ms, bool empty_waits)
{
    const qint64 start = clock_.msecs();
    const auto waiting = [&] {
        return reply == QStringView(kVemtoError) || (empty_waits && reply.isEmpty());
    };
    // A stop ends the wait: the answer is then not known, and the order is judged as unanswered.
    while (waiting() && !bridge().stopping() && clock_.msecs() - start <= ms) {
        bridge().pause(kAnswerPollMs);
        reply = support::trim_blanks(bridge().page_val());
    }
    return reply;
}

// The balance requests, read by the balance lines and by the judgement of a lost answer: Hele's
// site information (always for HELSSC1, whatever the lottery) and U彩's money.
QString PlatformSession::hele_site_balance()
{
    return http_.net_post(base_ + u"cp/loadSiteInfo.do?siteCode=HELSSC1"_s, u"siteCode=HELSSC1"_s);
}

QString PlatformSession::ucai_money()
{
    return http_.net_post(base_ + u"?controller=default&action=menu"_s, u"flag=getmoney"_s);
}

bool PlatformSession::on_platform()
{
    // The password is typed only into a page of the platform's own address.
    const QUrl page(bridge().page_url());
    const QUrl platform(base_);
    return !platform.host().isEmpty() && page.host().compare(platform.host(), Qt::CaseInsensitive) == 0 &&
           page.port(page.scheme() == u"https" ? 443 : 80) ==
               platform.port(platform.scheme() == u"https" ? 443 : 80);
}

QString PlatformSession::off_platform_text()
{
    return u"登录页面不在平台地址（"_s + QUrl(base_).host() + u"）上，没有填写密码"_s;
}

std::optional<double> PlatformSession::balance_value()
{
    const QString which = platform();
    QString text;
    if (which == u"hele") {
        const QString reply = hele_site_balance();
        if (hele_extra_given(reply))
            text = hele_member(reply, u"extra"_s, u"b"_s);
    } else if (which == u"ucai") {
        const QString reply = ucai_money();
        if (!reply.contains(u'<'))
            text = support::trim_blanks(reply);
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

monitor::BetResult PlatformSession::unanswered(const monitor::BetOrder& order,
                                               const monitor::BetResult& refusal)
{
    // The platform may have taken the order after the wait ended: never retried, and judged by
    // the balance. A drop by the order's cost confirms it, an unchanged balance cancels it.
    const std::optional<double> before = std::exchange(balance_before_, std::nullopt);
    const std::optional<double> after = balance_value();
    monitor::BetResult result = refusal;
    result.timed_out = true;
    bool ok = false;
    const double cost = order.cost.toDouble(&ok);
    if (before && after && ok) {
        if (std::abs(*before - *after - cost) < 0.0005) {
            result = {1, made_up_order_digest(order.issue, clock_), order.cost,
                      u"投注未得到平台答复，余额已扣除投注金额，确认已下单"_s, true};
            return result;
        }
        if (std::abs(*before - *after) < 0.0005)
            return result; // nothing was taken: not placed
    }
    result.status = monitor::kUnconfirmed;
    result.message = u"投注未得到平台答复，余额变化与投注金额不符，订单未确认，请到平台核对"_s;
    // Hele's answer comes into the page when it comes: it is looked for before the page's next use.
    if (platform() == u"hele")
        late_ = LateOrder{order, clock_.msecs()};
    return result;
}

void PlatformSession::take_late_answer()
{
    if (!late_ || platform() != u"hele" || !made_)
        return;
    const QString reply = support::trim_blanks(bridge().page_val());
    if (reply.isEmpty() || reply == QStringView(kVemtoError)) {
        if (clock_.msecs() - late_->since > kLateAnswerMs)
            late_.reset(); // stays unconfirmed, as the status line said
        return;
    }
    const LateOrder late = *std::exchange(late_, std::nullopt);
    monitor::BetResult result = hele_result(reply, nullptr);
    result.timed_out = true;
    if (view_.late_answer)
        view_.late_answer(late.order, result);
}

monitor::BetResult PlatformSession::hele_result(const QString& reply, bool* lost_session) const
{
    const int code = support::json_value(reply, u"code"_s).toInt();
    switch (code) {
    case 1:
        return {1, hele_member(reply, u"message"_s, u"orderNo"_s), hele_member(reply, u"message"_s, u"buyAmt"_s),
                u"投注成功"_s};
    case -1:
        return refused(-1, u"号码格式错误"_s);
    case -10:
        // The issue closed between the check and the order: too late, nothing else wrong.
        if (support::json_value(reply, u"message"_s).contains(u"已截止"_s))
            return refused(monitor::kIssueClosed, u"该期已截止投注"_s);
        return refused(-10, u"平台错误，投注未成功。请检查自己的投注号码和玩法是否匹配"_s);
    case -40:
        return refused(-40, u"户头余额不足"_s);
    case -5:
        if (lost_session)
            *lost_session = true;
        return refused(-5, u"未读取到投注返回信息，可能是线路异常。软件准备自动重登陆。"_s);
    default:
        return refused(code, u"未知错误。错误码："_s + QString::number(code));
    }
}

// ---------------------------------------------------------------------------------------------
// Hele

QString PlatformSession::hele_login(bool fresh)
{
    QString message = u"登录失败，请重试。"_s;
    bool in = false;
    if (fresh && !base_.isEmpty())
        bridge().page_navigate(base_ + page_);
    const auto nick = [this] {
        const QString text = support::trim_blanks(bridge().page_text(u"$('#nick')"_s, kProbeWaitMs));
        return text == QStringView(kVemtoError) ? QString() : text;
    };
    QString name = nick();
    if (!name.isEmpty()) {
        in = true;
    } else {
        bool form = bridge().page_size(u"$('#login')"_s);
        if (!form) {
            form = bridge().page_navigate(base_);
            if (!form)
                shell_.tip(u"网速过慢，无法连接到合乐平台。请更换平台地址"_s);
        }
        if (form && !on_platform()) {
            message = off_platform_text();
        } else if (form) {
            bridge().page_exec(hele_login_script(account_, password_), 2000);
            name = nick();
            in = !name.isEmpty();
        }
    }
    if (in) {
        message = name + u"已登录到平台。"_s;
        logged_in();
        hele_balance();
    }
    return message;
}

void PlatformSession::hele_balance()
{
    QString text = hele_credit_text(http_.net_get(base_ + u"member!getRefreshInfo.do"_s));
    const QString reply = hele_site_balance();
    if (hele_extra_given(reply)) {
        const QString b = hele_member(reply, u"extra"_s, u"b"_s);
        bool ok = false;
        const double lottery = b.toDouble(&ok);
        if (ok && lottery > 0) {
            text += u"，彩票账户："_s + support::money_text(lottery);
        } else {
            text.clear();
            // The session is taken as lost. A login that itself finds no lottery balance does
            // not log in again: a zero balance would otherwise loop for ever.
            if (balance_logins_ == 0) {
                ++balance_logins_;
                start_login(true);
                --balance_logins_;
            }
        }
    }
    if (!text.isEmpty() && view_.balance)
        view_.balance(text);
}

monitor::BetResult PlatformSession::hele_bet(const monitor::BetOrder& order)
{
    // A play without a code (or numbers without a text) would be read as another play.
    if (!hele_supports(order.title, order.numbers))
        return refused(-6, u"投注失败。合乐平台不支持玩法："_s + order.title);
    const QString info = http_.net_post(
        base_ + u"cp/loadSiteInfo.do?siteCode="_s + site_code_ + u"&t="_s +
            QString::number(support::epoch_seconds(clock_)),
        u"siteCode="_s + site_code_);
    const QString draw_id = hele_member(info, u"message"_s, u"cdId"_s);
    const QString draw_number = hele_member(info, u"message"_s, u"cd"_s);
    if (draw_id.isEmpty() || draw_number.isEmpty()) {
        start_login(true);
        return refused(-5, u"平台线路异常。软件准备自动重登陆。你也可以手动更换网址再试。"_s);
    }
    if (!hele_issue_matches(draw_number, order.issue)) {
        // The platform sells another issue now: the order is too late (or too early) for it.
        // The session is sound; nothing is loaded again.
        return refused(monitor::kIssueClosed, u"投注期号不正确。可能是正在开奖或平台页面未刷新，稍后软件会自动重试。"_s);
    }
    HeleOrder o;
    o.orders = hele_orders(order.title, order.numbers);
    o.odds = order.odds;
    o.unit_index = order.unit_index;
    o.draw_id = draw_id;
    o.multiplier = order.multiplier;
    o.url = base_ + u"cp/confirmOrder.do"_s;
    const QString reply = await_answer(bridge().page_answer(hele_order_script(o), 2000), kHeleReplyMs, true);
    const bool answered = reply != QStringView(kVemtoError) && !reply.isEmpty();
    if (!answered)
        return unanswered(order, refused(-999, u"未知错误。错误码：-999"_s));
    bool lost_session = false;
    const monitor::BetResult result = hele_result(reply, &lost_session);
    if (lost_session)
        start_login(true);
    return result;
}

// ---------------------------------------------------------------------------------------------
// UCai

QString PlatformSession::ucai_user()
{
    return ucai_user_from_hall(http_.net_get(base_ + u"hall"_s));
}

QString PlatformSession::ucai_login()
{
    QString message = u"登录U彩娱乐失败。"_s;
    QString user = ucai_user();
    if (user.isEmpty() && bridge().page_navigate(base_ + u"?login"_s)) {
        if (!on_platform())
            return off_platform_text();
        bridge().page_exec(ucai_login_script(account_, password_), 2000);
        bridge().page_exec(u"(function(){jQuery('#alert_close_button').trigger('click');"
                           u"window.vemto_val = 1;return 1;})()"_s,
                           1100);
        user = ucai_user();
        if (user.isEmpty())
            message = u"账号或密码错误。如果输错多次，请自己打开浏览器登录平台输入验证码登录成功后再返回Zorvik尝试登陆"_s;
    }
    if (!user.isEmpty()) {
        message = u"用户：[ "_s + user + u" ] 已登录到平台。"_s;
        logged_in();
        ucai_balance();
    }
    return message;
}

void PlatformSession::ucai_balance()
{
    const QString text = ucai_balance_text(ucai_money());
    if (!text.isEmpty() && view_.balance)
        view_.balance(text);
    bridge().page_click(u"jQuery('#confirm_no')"_s, kProbeWaitMs);
}

monitor::BetResult PlatformSession::ucai_bet(const monitor::BetOrder& order)
{
    bridge().page_click(u"jQuery('#alert_close_button')"_s, 500);
    if (ucai_user().isEmpty()) {
        start_login(true);
        return refused(-5, QString::fromUtf16(kUcaiLost));
    }
    const auto method = ucai_method(order.title, lottery_);
    if (!method)
        return refused(-6, u"投注失败。平台不支持玩法："_s + order.title);
    auto codes = ucai_codes(order.title, order.numbers);
    if (!codes)
        return refused(0, QString()); // too few "*" groups for the play: no bet, nothing said
    if (codes->endsWith(u','))
        codes->chop(1);
    UcaiOrder o;
    o.method = *method;
    o.lottery_id = ucai_game_;
    o.unit_index = order.unit_index;
    o.issue_text = ucai_issue_text(lottery_, order.issue_date, order.issue);
    o.count = order.count;
    o.cost = order.cost;
    o.codes = *codes;
    o.multiplier = order.multiplier;
    o.play = order.title;
    // A page that cannot be read (its renderer busy with the order, or the page replaced) has
    // not answered either: the order may still have been taken.
    const QString reply = await_answer(bridge().page_answer(ucai_order_script(o), 2000), kUcaiReplyMs, true);
    if (reply == QStringView(kVemtoError) || reply.isEmpty())
        return unanswered(order, refused(-6, u"投注失败。请检查一下玩法和号码格式是否匹配、是否有误"_s));
    if (reply == u"success")
        return {1, made_up_order_digest(order.issue, clock_), order.cost, o.issue_text + u"期投注成功"_s};
    const QString data = support::json_value(reply, u"data"_s);
    if (!data.isEmpty())
        return refused(data.contains(u"已截止"_s) ? monitor::kIssueClosed : -1, data);
    start_login(true);
    return refused(-5, QString::fromUtf16(kUcaiLost));
}

} // namespace zorvik::platform
