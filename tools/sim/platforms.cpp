// The simulated Hele and UCai platforms: login pages, sessions by cookie, the balance and the
// order endpoints, checked as the platforms check them.

#include "sim.h"
#include "sim_http.h"

#include "support/json.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::sim {

namespace {

std::string html_escaped(const std::string& s)
{
    return QString::fromStdString(s).toHtmlEscaped().toStdString();
}

// The page head every platform page shares: Debian's jQuery, and .size() as the platforms'
// older jQuery has it.
std::string page_head(const std::string& title, const std::string& extra = std::string())
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
           "</title><script src=\"/js/jquery.js\"></script><script>if (window.jQuery) "
           "{ jQuery.fn.size = function () { return this.length; }; }</script>" + extra +
           "</head><body>";
}

// A page's dialog of that kind, raised as the page starts and again once it has loaded.
std::string dialog_script(const std::string& kind)
{
    if (kind.empty())
        return std::string();
    const std::string text = "'模拟平台弹窗（" + kind + "）'";
    if (kind == "beforeunload")
        return "<script>window.onbeforeunload = function () { return " + text +
               "; };window.addEventListener('beforeunload', function (e) { e.preventDefault(); "
               "e.returnValue = " + text + "; });</script>";
    const std::string call = kind + "(" + text + ")";
    return "<script>window.dialog_answer = " + call +
           ";window.addEventListener('load', function () { setTimeout(function () { "
           "window.dialog_answer_after = " + call + "; }, 0); });</script>";
}

QString money(double value)
{
    return QString::number(std::round(value * 1000) / 1000, 'f', 3).remove(QRegularExpression(u"\\.?0+$"_s));
}

std::string cookie_value(const httplib::Request& req, const std::string& name)
{
    const std::string header = req.get_header_value("Cookie");
    const std::string key = name + "=";
    size_t at = 0;
    while ((at = header.find(key, at)) != std::string::npos) {
        if (at == 0 || header[at - 1] == ' ' || header[at - 1] == ';') {
            const size_t end = header.find(';', at);
            return header.substr(at + key.size(), end == std::string::npos ? std::string::npos
                                                                           : end - at - key.size());
        }
        at += key.size();
    }
    return std::string();
}

const Game* ucai_game(int lottery_id)
{
    switch (lottery_id) {
    case 16: return game_by_code(u"ucai_60s"_s);
    case 15: return game_by_code(u"ucai_300s"_s);
    case 1: return game_by_code(u"chongqing"_s);
    default: return nullptr;
    }
}

int ucai_menu(int lottery_id)
{
    return lottery_id == 16 ? 2505 : lottery_id == 15 ? 2329 : 302;
}

// The issue as the UCai platform names it: "20261208-568" on 欢乐分分彩 (sequence numbers of at
// least three digits), "20261208-0056" on 欢乐五分彩, "20261208-056" on 重庆时时彩.
QString ucai_issue(const Game& game, const QString& issue)
{
    if (game.form == IssueForm::Public)
        return u"20"_s + issue.left(6) + u'-' + issue.mid(6);
    const QString date = issue.section(u'-', 0, 0);
    const QString sequence = issue.section(u'-', 1);
    if (game.per_day == 1440)
        return date + u'-' + QString::number(sequence.toInt()).rightJustified(3, u'0');
    return issue;
}

} // namespace

qint64 hele_draw_id(const Game& game, qint64 index)
{
    return (game.site_code == u"HELSSC1" ? 1000000 : 2000000) + index;
}

namespace {


} // namespace

// ---------------------------------------------------------------------------------------------
// Sessions, accounts, settlement

std::string Simulator::session_account(const std::string& platform, const httplib::Request& req)
{
    const std::string sid = cookie_value(req, platform + "_sid");
    std::lock_guard lock(mutex_);
    const auto& open = sessions_[platform];
    const auto found = open.find(sid);
    return sid.empty() || found == open.end() ? std::string() : found->second;
}

void Simulator::open_session(const std::string& platform, const std::string& account,
                             httplib::Response& res)
{
    std::string sid;
    {
        std::lock_guard lock(mutex_);
        sid = platform + "-" + std::to_string(options_.seed) + "-" + std::to_string(next_sid_++);
        sessions_[platform][sid] = account;
    }
    res.set_header("Set-Cookie", platform + "_sid=" + sid + "; Path=/; HttpOnly");
}

bool Simulator::check_login(const std::string& platform, const std::string& name,
                            const std::string& password)
{
    std::lock_guard lock(mutex_);
    const auto found = accounts_.find(name);
    const bool ok = found != accounts_.end() && found->second.password == password;
    logins_.append(QJsonObject{{u"platform"_s, text(platform)},
                               {u"account"_s, text(name)},
                               {u"password"_s, text(password)},
                               {u"accepted"_s, ok}});
    return ok;
}

qint64 Simulator::on_sale(const Game& game, const std::string& platform)
{
    const qint64 newest_draw = newest(game, std::string());
    std::lock_guard lock(mutex_);
    return held_[platform] ? newest_draw : newest_draw + 1;
}

void Simulator::settle_locked()
{
    for (Order& o : orders_) {
        if (!o.accepted || o.settled || !o.game || !o.bet || o.draw > schedule_.newest(elapsed(), *o.game))
            continue;
        const QString digits = schedule_.draw(*o.game, o.draw).numbers.remove(u',');
        o.returned = double(o.bet->wins(digits)) * o.bet->payout(o.prize) * o.stake;
        o.settled = true;
        accounts_[o.account].balance += o.returned;
    }
}

bool Simulator::debit_locked(const std::string& account, double cost)
{
    settle_locked(); // the winnings of past draws count
    Account& holder = accounts_[account];
    if (holder.balance + 1e-9 < cost)
        return false;
    holder.balance -= cost;
    return true;
}

std::string Simulator::next_dialog(const std::string& platform)
{
    std::lock_guard lock(mutex_);
    return std::exchange(dialogs_[platform], std::string());
}

void Simulator::answer_late(const std::string& platform)
{
    int ms = 0;
    {
        std::lock_guard lock(mutex_);
        ms = std::exchange(order_delays_[platform], 0);
        if (ms == 0)
            ms = options_.order_ms;
    }
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void Simulator::order_flight(const std::string& platform, int step)
{
    std::lock_guard lock(mutex_);
    const int now = in_flight_[platform] += step;
    most_at_once_[platform] = std::max(most_at_once_[platform], now);
}

std::optional<int> Simulator::forced_order_code(const std::string& platform)
{
    std::lock_guard lock(mutex_);
    auto& queue = forced_codes_[platform];
    if (queue.empty())
        return std::nullopt;
    const int code = queue.front();
    queue.pop_front();
    return code;
}

Simulator::Order Simulator::order_record(const std::string& platform, const std::string& account,
                                         const QJsonObject& fields, bool accepted,
                                         const std::string& reply)
{
    Order o;
    o.platform = platform;
    o.account = account;
    o.fields = fields;
    o.accepted = accepted;
    o.reply = reply;
    o.at = elapsed();
    return o;
}

void Simulator::record_order(const std::string& platform, const std::string& account,
                             const QJsonObject& fields, bool accepted, const std::string& reply)
{
    Order o = order_record(platform, account, fields, accepted, reply);
    std::lock_guard lock(mutex_);
    orders_.push_back(std::move(o));
}

void Simulator::serve_jquery(httplib::Server& s)
{
    s.Get("/js/jquery.js", [this](const httplib::Request&, httplib::Response& res) {
        if (jquery_.empty())
            return not_found(res);
        res.set_content(jquery_, "application/javascript; charset=utf-8");
    });
}

// ---------------------------------------------------------------------------------------------
// Hele

void Simulator::routes_hele_pages(httplib::Server& s)
{
    serve_jquery(s);
    // The home page and the game pages: the login form, or the member's nick once logged in.
    s.Get(R"(/(cp\.html)?)", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string account = session_account("hele", req);
        serve("hele", res, kHtml, [&] {
            std::string page = page_head("合乐平台", dialog_script(next_dialog("hele"))) +
                               "<h1>合乐平台 (zorvik-sim)</h1>" +
                               "<div id=\"memNotice\">会员公告：每日 04:00 至 04:10 系统维护。"
                               "<button id=\"memApply\">我知道了</button></div>";
            if (!account.empty()) {
                page += "<p>欢迎，<span id=\"nick\">" + html_escaped(account) + "</span></p>";
            } else {
                page += "<form id=\"loginForm\" onsubmit=\"return false\">账号 <input id=\"userid\"> "
                        "密码 <input id=\"password\" type=\"password\"> <button id=\"login\" "
                        "type=\"button\">登录</button> <span id=\"loginMessage\"></span></form>";
            }
            page += "<p id=\"game\">" + html_escaped(req.get_param_value("g")) + "</p>";
            page += R"(<script>
jQuery('#memApply').on('click', function () { jQuery('#memNotice').hide(); });
jQuery('#login').on('click', function () {
  jQuery.ajax({type: 'POST', async: false, url: '/login.do', dataType: 'json',
    data: {userid: jQuery('#userid').val(), password: jQuery('#password').val()},
    success: function (r) {
      if (r.code == 1) {
        jQuery('#loginForm').replaceWith('<p>欢迎，<span id="nick"></span></p>');
        jQuery('#nick').text(r.nick);
      } else {
        jQuery('#loginMessage').text(r.message);
      }
    }});
});
</script></body></html>)";
            return page;
        });
    });
    s.Post("/login.do", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string name = req.get_param_value("userid");
        const bool ok = check_login("hele", name, req.get_param_value("password"));
        if (ok)
            open_session("hele", name, res);
        serve("hele", res, kJson, [&] {
            return ok ? json(QJsonObject{{u"code"_s, 1}, {u"nick"_s, text(name)}})
                      : json(QJsonObject{{u"code"_s, 0}, {u"message"_s, u"用户名或密码错误"_s}});
        });
    });
    s.Get("/member!getRefreshInfo.do", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string account = session_account("hele", req);
        serve("hele", res, kJson, [&] {
            if (account.empty())
                return json(QJsonObject{{u"code"_s, -5}, {u"data"_s, QJsonValue::Null}});
            std::lock_guard lock(mutex_);
            settle_locked();
            return json(QJsonObject{
                {u"code"_s, 1},
                {u"data"_s, QJsonObject{{u"totalCredit"_s, accounts_[account].balance}}}});
        });
    });
    s.Post("/cp/confirmOrder.do", [this](const httplib::Request& req, httplib::Response& res) {
        serve("hele", res, kJson, [&] {
            order_flight("hele", 1);
            std::string reply = hele_order(req);
            answer_late("hele"); // taken and debited; the answer comes later
            order_flight("hele", -1);
            return reply;
        });
    });
}

std::string Simulator::hele_order(const httplib::Request& req)
{
    const std::string account = session_account("hele", req);
    QJsonObject fields;
    for (const auto& [key, value] : req.params)
        fields.insert(text(key), text(value));
    const auto answer = [&](int code, const QJsonValue& message, bool accepted = false) {
        const std::string reply = json(QJsonObject{{u"code"_s, code}, {u"message"_s, message}});
        record_order("hele", account, fields, accepted, reply);
        return reply;
    };
    if (const auto forced = forced_order_code("hele"))
        return answer(*forced, u"模拟平台的指定答复"_s);
    if (account.empty())
        return answer(-5, u"登录已超时，请重新登录"_s);
    if (req.params.size() != 1 || !req.has_param("order"))
        return answer(-10, u"参数错误"_s);
    const QJsonObject order = QJsonDocument::fromJson(req.get_param_value("order").c_str()).object();
    const QJsonArray draws = order.value(u"draws"_s).toArray();
    const QJsonObject first = draws.first().toObject();
    const QString multiply = first.value(u"multiply"_s).toString();
    const int unit = order.value(u"unit"_s).toInt();
    if (order.isEmpty() || draws.size() != 1 || !order.value(u"prize"_s).isDouble() ||
        order.value(u"flag"_s).toArray() != QJsonArray{u"N"_s} || order.value(u"isCno"_s) != false ||
        order.value(u"cnoSetting"_s) != u"N"_s || !QRegularExpression(u"^[1-9]\\d{0,5}$"_s).match(multiply).hasMatch() ||
        unit < 1 || unit > 3)
        return answer(-10, u"订单内容错误"_s);
    const double id = first.value(u"draw"_s).toObject().value(u"id"_s).toDouble(-1);
    const Game* bet_game = nullptr;
    qint64 draw = 0;
    for (const Game& g : games()) {
        const qint64 sale = on_sale(g, "hele");
        if (!g.site_code.isEmpty() && id == double(hele_draw_id(g, sale))) {
            bet_game = &g;
            draw = sale;
        }
    }
    if (!bet_game)
        return answer(-10, u"该期已截止投注"_s);
    // The account's prize level is the platform's own; an order asking for another is refused.
    if (order.value(u"prize"_s).toDouble() != kHelePrize)
        return answer(-10, u"奖金组错误"_s);
    bool known = false;
    const auto bet = hele_bet_form(order.value(u"orders"_s).toString(), &known);
    if (!known)
        return answer(-10, u"玩法不存在"_s);
    if (!bet)
        return answer(-1, u"号码格式错误"_s);
    const double stake = unit_value(unit) * multiply.toInt();
    const double cost = double(bet->count) * 2 * stake;
    std::lock_guard lock(mutex_);
    if (!debit_locked(account, cost)) {
        const std::string reply = json(QJsonObject{{u"code"_s, -40}, {u"message"_s, u"余额不足"_s}});
        orders_.push_back(order_record("hele", account, fields, false, reply));
        return reply;
    }
    const QString number = u"HEL"_s + QString::number(next_order_++).rightJustified(9, u'0');
    const std::string reply = json(QJsonObject{
        {u"code"_s, 1},
        {u"message"_s, QJsonObject{{u"orderNo"_s, number}, {u"buyAmt"_s, money(cost)}}}});
    Order o = order_record("hele", account, fields, true, reply);
    o.game = bet_game;
    o.draw = draw;
    o.stake = stake;
    o.prize = order.value(u"prize"_s).toDouble();
    o.bet = bet;
    orders_.push_back(std::move(o));
    return reply;
}

// ---------------------------------------------------------------------------------------------
// UCai

void Simulator::routes_ucai_pages(httplib::Server& s)
{
    serve_jquery(s);
    s.Get(R"(/(bet/\w+)?)", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string page_name = req.matches[1];
        if (page_name.empty() && !req.params.empty() && !asked_with(req, {"login"}))
            return not_found(res);
        serve("ucai", res, kHtml, [&] {
            if (page_name.empty() && asked_with(req, {"login"})) {
                return page_head("U彩娱乐 - 登录", dialog_script(next_dialog("ucai"))) +
                       R"(<h1>U彩娱乐 (zorvik-sim)</h1>
<form onsubmit="return false">用户名 <input id="userName"> 密码 <input id="password" type="password">
<button id="submit" type="button">登录</button></form>
<div id="alert" style="display:none"><span id="alert_text"></span> <button id="alert_close_button">确定</button></div>
<script>
jQuery('#submit').on('click', function () {
  jQuery.ajax({type: 'POST', async: false, url: '/?controller=user&action=login', dataType: 'text',
    data: {username: jQuery('#userName').val(), password: jQuery('#password').val()},
    success: function (r) { jQuery('#alert_text').text(r == 'ok' ? '登录成功' : '账号或密码错误'); jQuery('#alert').show(); }});
});
jQuery('#alert_close_button').on('click', function () { jQuery('#alert').hide(); });
</script></body></html>)";
            }
            return page_head("U彩娱乐", dialog_script(next_dialog("ucai"))) +
                   "<h1>U彩娱乐 (zorvik-sim)</h1><p id=\"game\">" +
                   html_escaped(page_name) + R"(</p>
<div id="theme">新版界面已上线 <button class="changetheme_stay">留在旧版</button></div>
<div id="confirm">确认刷新余额？ <button id="confirm_no">取消</button></div>
<script>
jQuery('.changetheme_stay').on('click', function () { jQuery('#theme').hide(); });
jQuery('#confirm_no').on('click', function () { jQuery('#confirm').hide(); });
</script></body></html>)";
        });
    });
    s.Get("/hall", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string account = session_account("ucai", req);
        serve("ucai", res, kHtml, [&] {
            if (account.empty())
                return page_head("U彩娱乐") + "<p class=\"login-tip\">请先登录</p></body></html>";
            double balance = 0;
            {
                std::lock_guard lock(mutex_);
                settle_locked();
                balance = accounts_[account].balance;
            }
            return page_head("U彩娱乐 - 大厅") + "<div class=\"moneyContent\"><p>" + html_escaped(account) +
                   "</p><p>余额：" + utf8(money(balance)) + "</p></div></body></html>";
        });
    });
    s.Post("/", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string controller = req.get_param_value("controller");
        const std::string action = req.get_param_value("action");
        const std::string account = session_account("ucai", req);
        if (controller == "user" && action == "login") {
            const std::string name = req.get_param_value("username");
            const bool ok = check_login("ucai", name, req.get_param_value("password"));
            if (ok)
                open_session("ucai", name, res);
            return serve("ucai", res, kText, [&] { return std::string(ok ? "ok" : "fail"); });
        }
        if (controller == "default" && action == "menu" && req.get_param_value("flag") == "getmoney") {
            return serve("ucai", res, kText, [&] {
                if (account.empty())
                    return page_head("U彩娱乐") + "<p>请先登录</p></body></html>";
                std::lock_guard lock(mutex_);
                settle_locked();
                return utf8(money(accounts_[account].balance));
            });
        }
        if (controller == "game" && action == "play")
            return serve("ucai", res, kText, [&] {
                order_flight("ucai", 1);
                std::string reply = ucai_order(req);
                answer_late("ucai");
                order_flight("ucai", -1);
                return reply;
            });
        not_found(res);
    });
}

std::string Simulator::ucai_order(const httplib::Request& req)
{
    const std::string account = session_account("ucai", req);
    QJsonObject fields;
    for (const auto& [key, value] : req.params)
        if (key != "controller" && key != "action")
            fields.insert(text(key), text(value));
    const auto refuse = [&](const QString& message) {
        const std::string reply = json(QJsonObject{{u"code"_s, -1}, {u"data"_s, message}});
        record_order("ucai", account, fields, false, reply);
        return reply;
    };
    if (const auto forced = forced_order_code("ucai")) {
        const std::string reply =
            *forced == -5 ? json(QJsonObject{{u"code"_s, -5}})
                          : json(QJsonObject{{u"code"_s, *forced},
                                             {u"data"_s, u"平台拒绝投注（错误码"_s + QString::number(*forced) + u"）"_s}});
        record_order("ucai", account, fields, false, reply);
        return reply;
    }
    if (account.empty()) {
        const std::string reply = page_head("U彩娱乐") + "<p>请先登录</p></body></html>";
        record_order("ucai", account, fields, false, reply);
        return reply;
    }
    const auto field = [&](const char* key) { return fields.value(QString::fromUtf8(key)).toString(); };
    const int lottery = field("lotteryid").toInt();
    const Game* game = ucai_game(lottery);
    const int modes = field("lt_project_modes").toInt();
    if (field("flag") != u"save" || !game || field("curmid").toInt() != ucai_menu(lottery) ||
        unit_value(modes) == 0 || !fields.contains(u"lt_project[]"_s))
        return refuse(u"参数错误"_s);
    const qint64 sale = on_sale(*game, "ucai");
    const QString current = ucai_issue(*game, schedule_.draw(*game, sale).issue);
    if (field("lt_issue_start") != current)
        return refuse(u"第"_s + field("lt_issue_start") + u"期已截止投注，当前期为"_s + current);
    const support::JsonReader project(field("lt_project[]"));
    if (!project.valid())
        return refuse(u"参数错误"_s);
    // 单式 and 复式 rows share their method id; the type tells them apart.
    const int matched = ucai_row(lottery, project.value(u"methodid"_s).toInt(), project.value(u"type"_s));
    if (matched < 0)
        return refuse(u"玩法不存在"_s);
    const auto bet = ucai_bet_form(matched, project.value(u"codes"_s));
    if (!bet)
        return refuse(u"号码格式错误"_s);
    const int times = project.value(u"times"_s).toInt();
    const double stake = unit_value(modes) * times;
    const double cost = double(bet->count) * 2 * stake;
    const auto same = [](const QString& a, double b) {
        bool ok = false;
        // The amount is what is debited, to the 厘: 0.006 for three 厘 lines, not 0.01.
        const double sent = a.toDouble(&ok);
        return ok && std::fabs(sent - b) < 0.0005 + 1e-9;
    };
    if (times <= 0 || project.value(u"mode"_s).toInt() != modes ||
        project.value(u"nums"_s).toLongLong() != bet->count || field("lt_total_nums").toLongLong() != bet->count ||
        !same(project.value(u"money"_s), cost) || !same(field("lt_total_money"), cost))
        return refuse(u"投注注数或金额错误"_s);
    std::lock_guard lock(mutex_);
    if (!debit_locked(account, cost)) {
        const std::string reply = json(QJsonObject{{u"code"_s, -1}, {u"data"_s, u"余额不足"_s}});
        orders_.push_back(order_record("ucai", account, fields, false, reply));
        return reply;
    }
    Order o = order_record("ucai", account, fields, true, "success");
    o.game = game;
    o.draw = sale;
    o.stake = stake;
    o.bet = bet;
    orders_.push_back(std::move(o));
    return std::string("success");
}

} // namespace zorvik::sim
