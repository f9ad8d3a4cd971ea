#include "sim.h"
#include "sim_http.h"

#include <httplib.h>

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::sim {


std::string Simulator::Role::url() const
{
    return "http://127.0.0.1:" + std::to_string(port) + "/";
}

Simulator::Simulator(const Options& options)
    : options_(options),
      schedule_(options.seed, options.period, QDate::currentDate(),
                QTime::currentTime().msecsSinceStartOfDay() / 1000),
      started_(std::chrono::steady_clock::now())
{
    for (const Account& a : options.accounts)
        accounts_[a.name] = a;
    for (const auto& [code, seconds] : options.game_periods)
        schedule_.set_period(QString::fromStdString(code), seconds);
    QFile jquery(qEnvironmentVariableIsSet("ZORVIK_SIM_JQUERY")
                     ? qEnvironmentVariable("ZORVIK_SIM_JQUERY")
                     : u"/usr/share/javascript/jquery/jquery.min.js"_s);
    if (jquery.open(QIODevice::ReadOnly))
        jquery_ = jquery.readAll().toStdString();
}

Simulator::~Simulator()
{
    stop();
}

double Simulator::elapsed() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
}

qint64 Simulator::newest(const Game& game, const std::string& role)
{
    std::lock_guard lock(mutex_);
    const auto lag = lag_.find(role);
    return schedule_.newest(elapsed(), game) - (lag == lag_.end() ? 0 : lag->second);
}

std::string Simulator::url_of(const std::string& role) const
{
    for (const Role& r : roles_)
        if (r.name == role)
            return r.url();
    return std::string();
}

void Simulator::serve(const std::string& role, httplib::Response& res, const std::string& type,
                      const std::function<std::string()>& body)
{
    Fault fault;
    {
        std::lock_guard lock(mutex_);
        ++requests_[role];
        auto& queue = faults_[role];
        if (!queue.empty()) {
            fault = queue.front();
            if (--queue.front().remaining <= 0)
                queue.pop_front();
        } else {
            fault.remaining = 0;
        }
    }
    if (fault.delay_ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(fault.delay_ms));
    res.status = fault.status;
    if (fault.empty) {
        res.set_content("", type);
        return;
    }
    std::string content = body();
    if (fault.malformed)
        content = content.substr(0, content.size() / 2) + "<<not what you expected";
    res.set_content(content, type);
}

// ---------------------------------------------------------------------------------------------
// The maker's service

void Simulator::routes_service(httplib::Server& s)
{
    s.Get("/spcenter/caieventhandle.php", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string act = req.get_param_value("act");
        const bool known = ((act == "vemto_datacenter_url" || act == "vemto_dataheartbeat_url") &&
                            asked_with(req, {"act", "pt"}) && req.get_param_value("pt") == "default") ||
                           (act == "vemto_zt_pturl" && asked_with(req, {"act", "pt"})) ||
                           (act == "jump_url" && asked_with(req, {"act", "jump_type", "v", "vt"}));
        if (!known)
            return not_found(res);
        serve("service", res, kText, [&] {
            const QString act = param(req, "act");
            if (act == u"vemto_datacenter_url")
                return url_of("datacenter");
            if (act == u"vemto_dataheartbeat_url")
                return url_of("service");
            if (act == u"vemto_zt_pturl") {
                const QString pt = param(req, "pt");
                if (pt == u"hele")
                    return url_of("hele");
                if (pt == u"ucai")
                    return url_of("ucai");
                return std::string();
            }
            if (act == u"jump_url")
                return utf8(u"<html><body>jump "_s + param(req, "jump_type") + u" "_s +
                            param(req, "vt") + u"</body></html>"_s);
            return std::string();
        });
    });
    s.Get("/spcenter/zorviksso.php", [this](const httplib::Request& req, httplib::Response& res) {
        if (!asked_with(req, {"a", "code", "vn", "vb"}) || req.get_param_value("a") != "annouce")
            return not_found(res);
        serve("service", res, kJson, [&] {
            const QString base = text(url_of("service"));
            QJsonObject o{
                {u"qq"_s, u"客服QQ：10000"_s},
                {u"tips"_s, u"模拟服务：开奖由 zorvik-sim 生成"_s},
                {u"ver"_s, options_.newer_release ? u"v1.7"_s : u"v1.6"_s},
                {u"build"_s, options_.newer_release ? u"20160101"_s : u"20151112"_s},
                {u"jc"_s, base + u"pages/jc.html"_s},
                {u"download"_s, base + u"pages/download.html"_s},
                {u"reg"_s, QJsonObject{{u"hele"_s, text(url_of("hele"))},
                                       {u"ucai"_s, text(url_of("ucai"))},
                                       {u"jw"_s, base + u"pages/jw.html"_s}}},
                {u"friend"_s, QJsonObject{{u"nx"_s, base + u"pages/nx.html"_s},
                                          {u"bt"_s, base + u"pages/bt.html"_s}}},
            };
            return json(o);
        });
    });
    s.Get(R"(/pages/(\w+)\.html)", [this](const httplib::Request& req, httplib::Response& res) {
        serve("service", res, kHtml,
              [&] { return "<html><body>zorvik-sim page " + std::string(req.matches[1]) + "</body></html>"; });
    });
    s.Get("/kaijiang_arr.php", [this](const httplib::Request& req, httplib::Response& res) {
        if (!asked_with(req, {"cz", "list"}))
            return not_found(res);
        serve("service", res, kText, [&] {
            std::lock_guard lock(mutex_);
            uploads_.emplace_back(req.get_param_value("cz"), req.get_param_value("list"));
            return std::string("ok");
        });
    });
}

// ---------------------------------------------------------------------------------------------
// The data centre

std::string Simulator::datacenter_newest(const Game& game)
{
    const qint64 index = newest(game, "datacenter");
    const Draw d = schedule_.draw(game, index);
    double left = 0;
    {
        std::lock_guard lock(mutex_);
        left = schedule_.seconds_left(elapsed(), game);
    }
    QJsonObject info{{u"peroid"_s, d.issue},
                     {u"prize"_s, d.numbers},
                     {u"nexeId"_s, schedule_.next_issue(game, index)},
                     {u"nextsec"_s, qint64(std::ceil(left))}};
    return json(QJsonObject{{u"ret"_s, 0}, {u"information"_s, QJsonArray{info}}});
}

void Simulator::routes_datacenter(httplib::Server& s)
{
    auto handler = [this](const httplib::Request& req, httplib::Response& res) {
        const QString code = text(req.matches[1]);
        const std::string path = req.matches[2];
        const Game* game = game_by_code(code);
        // Each game is read the way its lottery's source reads it: the newest draw of a Hele game
        // with getinfo?id=new, of a data-centre game with beforeinfo; histories of both with
        // getinfo and an issue. The public site's game is never asked here.
        const bool hele = game && !game->site_code.isEmpty();
        const bool datacenter = game && game->form == IssueForm::Dashed;
        const bool newest_asked = req.get_param_value("id") == "new";
        bool known = false;
        if (path == "beforeinfo")
            known = datacenter && newest_asked && asked_with(req, {"id", "v"});
        else if (newest_asked)
            known = hele && asked_with(req, {"id", "t"});
        else
            known = (hele || datacenter) && asked_with(req, {"id", "before", "gtype", "t"}) &&
                    req.get_param_value("before") == "100" && req.get_param_value("gtype") == "list";
        if (!known)
            return not_found(res);
        const bool history = !newest_asked;
        serve("datacenter", res, history ? kText : kJson, [&]() -> std::string {
            if (!history)
                return datacenter_newest(*game);
            // History: up to 100 draws ending at the asked issue, newest first.
            const QString asked = param(req, "id");
            const qint64 last = newest(*game, "datacenter");
            qint64 end = last;
            for (qint64 i = last; i > last - 200; --i) {
                if (QString(schedule_.draw(*game, i).issue).remove(u'-') == QString(asked).remove(u'-')) {
                    end = i;
                    break;
                }
            }
            // The history text writes issues without "-", as the program adds new draws to it.
            QStringList entries;
            for (qint64 i = end; i > end - 100; --i) {
                const Draw d = schedule_.draw(*game, i);
                entries << QString(d.issue).remove(u'-') + u':' + d.numbers;
            }
            return utf8(entries.join(u'|'));
        });
    };
    s.Get(R"(/caipiao/(\w+)/(beforeinfo|getinfo))", handler);
}

// ---------------------------------------------------------------------------------------------
// The public results site and its trend page

void Simulator::routes_public(httplib::Server& s)
{
    s.Get("/order/preBet_resentAwardNum.html", [this](const httplib::Request& req, httplib::Response& res) {
        if (!asked_with(req, {"gameEn", "t"}) || req.get_param_value("gameEn") != "ssc")
            return not_found(res);
        serve("public", res, kJson, [&] {
            const Game& game = *game_by_code(u"chongqing"_s);
            const qint64 index = newest(game, "public");
            QJsonArray latest;
            for (qint64 i = index; i > index - 5; --i) {
                const Draw d = schedule_.draw(game, i);
                latest.append(QJsonObject{{u"period"_s, d.issue},
                                          {u"number"_s, QString(d.numbers).replace(u',', u' ')}});
            }
            return json(QJsonObject{{u"latestPeriods"_s, latest}});
        });
    });
    s.Get("/order/preBet_periodInfoTime.html", [this](const httplib::Request& req, httplib::Response& res) {
        if (!asked_with(req, {"gameEn", "cache"}) || req.get_param_value("gameEn") != "ssc")
            return not_found(res);
        serve("public", res, kJson, [&] {
            double left = 0;
            {
                std::lock_guard lock(mutex_);
                left = schedule_.seconds_left(elapsed(), *game_by_code(u"chongqing"_s));
            }
            return json(QJsonObject{{u"secondsLeft"_s, qint64(left * 1000)}});
        });
    });
}

void Simulator::routes_trend(httplib::Server& s)
{
    s.Get("/cqssc/", [this](const httplib::Request& req, httplib::Response& res) {
        if (!asked_with(req, {"periodNumber", "t"}) || req.get_param_value("periodNumber") != "100")
            return not_found(res);
        serve("trend", res, kHtml, [&] {
            const Game& game = *game_by_code(u"chongqing"_s);
            const qint64 index = newest(game, "public");
            QString rows;
            // Oldest first, as the site lists them.
            for (qint64 i = index - 99; i <= index; ++i) {
                const Draw d = schedule_.draw(game, i);
                QString balls;
                for (const QString& digit : d.numbers.split(u','))
                    balls += u"<i class=\"ball\">"_s + digit + u"</i> "_s;
                rows += u"<tr data-period=\""_s + d.issue + u"\">\r\n<td>"_s + d.issue +
                        u"</td><td>--</td><td>"_s + balls + u"</td><td>"_s +
                        QString::number(i) + u"</td></tr>\r\n"_s;
            }
            return utf8(u"<html><head><title>重庆时时彩走势</title></head><body><table>"
                        u"<thead><tr><th>期号</th><th>时间</th><th>开奖号码</th></tr></thead>"
                        u"<tbody id=\"cpdata\">\r\n"_s + rows + u"</tbody></table></body></html>"_s);
        });
    });
}

// ---------------------------------------------------------------------------------------------
// The Hele platform's draw endpoints, and the platforms' pages

void Simulator::routes_hele(httplib::Server& s)
{
    // The platform reads its form fields from the query and the body alike (httplib merges them).
    s.Post("/cp/loadSiteInfo.do", [this](const httplib::Request& req, httplib::Response& res) {
        for (const auto& [key, value] : req.params)
            if (key != "siteCode" && key != "t")
                return not_found(res);
        if (!req.has_param("siteCode"))
            return not_found(res);
        const std::string account = session_account("hele", req);
        serve("hele", res, kJson, [&] {
            const Game* game = game_by_site(param(req, "siteCode"));
            if (!game)
                return json(QJsonObject{{u"code"_s, 0}, {u"message"_s, u"unknown site"_s}});
            const qint64 index = newest(*game, "hele");
            const Draw d = schedule_.draw(*game, index);
            double left = 0;
            {
                std::lock_guard lock(mutex_);
                left = schedule_.seconds_left(elapsed(), *game);
            }
            const qint64 sale = on_sale(*game, "hele");
            const QString sale_issue = schedule_.draw(*game, sale).issue;
            const QJsonObject message{{u"ld"_s, d.issue},
                                      {u"lr"_s, d.numbers},
                                      {u"ud"_s, schedule_.next_issue(*game, index)},
                                      {u"cdTs"_s, qint64(std::ceil(left))},
                                      {u"cdId"_s, hele_draw_id(*game, sale)},
                                      {u"cd"_s, sale_issue.left(8) + u'-' + sale_issue.mid(8)}};
            // The member's lottery balance comes with a session only.
            QJsonValue extra = QJsonValue::Null;
            if (!account.empty()) {
                std::lock_guard lock(mutex_);
                settle_locked();
                extra = QJsonObject{{u"b"_s, accounts_[account].balance}};
            }
            return json(QJsonObject{{u"code"_s, 1}, {u"message"_s, text(json(message))}, {u"extra"_s, extra}});
        });
    });
    s.Post(R"(/+cp/loadDrawHistory\.do)", [this](const httplib::Request& req, httplib::Response& res) {
        if (!req.has_param("siteCode") || req.get_param_value("noOfD") != "_100")
            return not_found(res);
        serve("hele", res, kJson, [&] {
            const Game* game = game_by_site(param(req, "siteCode"));
            if (!game)
                return json(QJsonObject{{u"code"_s, 0}, {u"message"_s, u"unknown site"_s}});
            const qint64 index = newest(*game, "hele");
            QJsonArray draws; // oldest first
            for (qint64 i = index - 99; i <= index; ++i) {
                const Draw d = schedule_.draw(*game, i);
                draws.append(QJsonObject{{u"n"_s, d.issue}, {u"r"_s, d.numbers}});
            }
            return json(QJsonObject{{u"code"_s, 1}, {u"message"_s, text(json(draws))}});
        });
    });
    routes_hele_pages(s);
}

void Simulator::routes_ucai(httplib::Server& s)
{
    routes_ucai_pages(s);
}

// ---------------------------------------------------------------------------------------------
// Admin

void Simulator::routes_admin(httplib::Server& s)
{
    auto force = [this](const httplib::Request&, httplib::Response& res) {
        QJsonObject made;
        {
            std::lock_guard lock(mutex_);
            schedule_.force();
        }
        for (const Game& g : games()) {
            const Draw d = schedule_.draw(g, newest(g, std::string()));
            made.insert(g.code, QJsonObject{{u"issue"_s, d.issue}, {u"numbers"_s, d.numbers}});
        }
        res.set_content(json(made), kJson);
    };
    s.Get("/sim/draw", force);
    s.Post("/sim/draw", force);

    auto fault = [this](const httplib::Request& req, httplib::Response& res) {
        Fault f;
        const std::string role = req.get_param_value("role");
        const bool platform = role == "hele" || role == "ucai";
        if (platform && (req.has_param("expire") || req.has_param("hold") || req.has_param("order_code") ||
                         req.has_param("dialog") || req.has_param("order_delay"))) {
            // Every session ends; the draw on sale is held one behind (hold=1) or let go (hold=0);
            // the next order is answered with the given code.
            std::lock_guard lock(mutex_);
            if (req.get_param_value("expire") == "1")
                sessions_[role].clear();
            if (req.has_param("hold"))
                held_[role] = req.get_param_value("hold") == "1";
            if (req.has_param("order_code"))
                forced_codes_[role].push_back(std::atoi(req.get_param_value("order_code").c_str()));
            // The next page raises the dialog; the next order is answered this late.
            const std::string dialog = req.get_param_value("dialog");
            if (req.has_param("dialog") && dialog != "alert" && dialog != "confirm" && dialog != "prompt" &&
                dialog != "beforeunload") {
                res.status = 400;
                res.set_content("unknown dialog", kText);
                return;
            }
            if (req.has_param("dialog"))
                dialogs_[role] = dialog;
            if (req.has_param("order_delay"))
                order_delays_[role] = std::max(0, std::atoi(req.get_param_value("order_delay").c_str()));
            res.set_content("ok", kText);
            return;
        }
        if (req.has_param("lag") && !url_of(role).empty()) {
            // Holds the role's draws this many behind the others until lag=0 is asked.
            std::lock_guard lock(mutex_);
            lag_[role] = std::max(0, std::atoi(req.get_param_value("lag").c_str()));
            res.set_content("ok", kText);
            return;
        }
        f.remaining = req.has_param("count") ? std::max(1, std::atoi(req.get_param_value("count").c_str())) : 1;
        f.delay_ms = std::atoi(req.get_param_value("delay").c_str());
        f.status = req.has_param("status") ? std::atoi(req.get_param_value("status").c_str()) : 200;
        f.empty = req.get_param_value("empty") == "1";
        f.malformed = req.get_param_value("malformed") == "1";
        if (url_of(role).empty()) {
            res.status = 400;
            res.set_content("unknown role", kText);
            return;
        }
        std::lock_guard lock(mutex_);
        faults_[role].push_back(f);
        res.set_content("ok", kText);
    };
    s.Get("/sim/fault", fault);
    s.Post("/sim/fault", fault);

    // A long history of one game in backtest input form ("ISSUE:NUMBERS" lines), oldest first.
    // Credits an account (a win of another order, a deposit): its balance moves by itself.
    s.Get("/sim/credit", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string name = req.get_param_value("account");
        char* end = nullptr;
        const std::string text = req.get_param_value("amount");
        const double amount = std::strtod(text.c_str(), &end);
        std::lock_guard lock(mutex_);
        const auto found = accounts_.find(name);
        if (found == accounts_.end() || text.empty() || *end != '\0' || !std::isfinite(amount)) {
            res.status = 400;
            res.set_content("unknown account or amount", kText);
            return;
        }
        found->second.balance += amount;
        res.set_content("ok", kText);
    });
    s.Get("/sim/history", [this](const httplib::Request& req, httplib::Response& res) {
        const Game* game = game_by_code(param(req, "code"));
        const qint64 count = std::atoll(req.get_param_value("count").c_str());
        if (!game || count <= 0 || count > 1000000) {
            std::string codes;
            for (const Game& g : games())
                codes += (codes.empty() ? "" : ", ") + utf8(g.code);
            res.status = 400;
            res.set_content("code (one of " + codes + ") and count (1 to 1000000) wanted", kText);
            return;
        }
        const qint64 last = newest(*game, std::string());
        std::string out;
        out.reserve(size_t(count) * 24);
        for (qint64 i = last - count + 1; i <= last; ++i) {
            const Draw d = schedule_.draw(*game, i);
            out += utf8(d.issue + u':' + d.numbers) + '\n';
        }
        res.set_content(out, kText);
    });

    s.Get("/sim/state", [this](const httplib::Request&, httplib::Response& res) {
        QJsonObject draws;
        for (const Game& g : games()) {
            QJsonArray list;
            const qint64 last = newest(g, std::string());
            for (qint64 i = 0; i <= last; ++i) {
                const Draw d = schedule_.draw(g, i);
                list.append(QJsonObject{{u"issue"_s, d.issue}, {u"numbers"_s, d.numbers},
                                        {u"at"_s, schedule_.drawn_at(g, i)}});
            }
            draws.insert(g.code, list);
        }
        QJsonArray uploads;
        QJsonObject requests;
        QJsonArray orders;
        QJsonArray logins;
        QJsonObject balances;
        QJsonObject at_once;
        {
            std::lock_guard lock(mutex_);
            settle_locked();
            for (const Order& o : orders_) {
                QJsonObject entry{{u"platform"_s, text(o.platform)}, {u"account"_s, text(o.account)},
                                  {u"fields"_s, o.fields},           {u"accepted"_s, o.accepted},
                                  {u"reply"_s, text(o.reply)},       {u"at"_s, o.at}};
                if (o.accepted) {
                    entry.insert(u"issue"_s, schedule_.draw(*o.game, o.draw).issue);
                    entry.insert(u"game"_s, o.game->code);
                    entry.insert(u"settled"_s, o.settled);
                    entry.insert(u"returned"_s, o.returned);
                }
                orders.append(entry);
            }
            logins = logins_;
            for (const auto& [name, account] : accounts_)
                balances.insert(text(name), account.balance);
            for (const auto& [cz, list] : uploads_)
                uploads.append(QJsonObject{{u"cz"_s, text(cz)}, {u"list"_s, text(list)}});
            for (const auto& [role, n] : requests_)
                requests.insert(text(role), n);
            for (const auto& [platform, n] : most_at_once_)
                at_once.insert(text(platform), n);
        }
        res.set_content(json(QJsonObject{{u"draws"_s, draws},
                                         {u"uploads"_s, uploads},
                                         {u"requests"_s, requests},
                                         {u"orders"_s, orders},
                                         {u"logins"_s, logins},
                                         {u"balances"_s, balances},
                                         {u"orders_at_once"_s, at_once},
                                         {u"elapsed"_s, elapsed()}}),
                        kJson);
    });
}

// ---------------------------------------------------------------------------------------------

std::vector<std::string> Simulator::start()
{
    const char* names[] = {"service", "datacenter", "public", "trend", "hele", "ucai"};
    int port = options_.port;
    for (const char* name : names) {
        Role role;
        role.name = name;
        role.server = std::make_unique<httplib::Server>();
        // Short keep-alive, so that stopping never waits long for an idle connection.
        role.server->set_keep_alive_timeout(1);
        if (options_.port == 0) {
            role.port = role.server->bind_to_any_port("127.0.0.1");
        } else {
            while (port < 65536 && !role.server->bind_to_port("127.0.0.1", port))
                ++port;
            role.port = port++;
        }
        if (role.port <= 0 || role.port >= 65536)
            throw std::runtime_error("no free port for " + role.name);
        roles_.push_back(std::move(role));
    }
    for (Role& role : roles_) {
        httplib::Server& s = *role.server;
        routes_admin(s);
        if (role.name == "service")
            routes_service(s);
        else if (role.name == "datacenter")
            routes_datacenter(s);
        else if (role.name == "public")
            routes_public(s);
        else if (role.name == "trend")
            routes_trend(s);
        else if (role.name == "hele")
            routes_hele(s);
        else
            routes_ucai(s);
    }
    std::vector<std::string> lines;
    for (Role& role : roles_) {
        role.thread = std::thread([&s = *role.server] { s.listen_after_bind(); });
        lines.push_back(role.name + " " + role.url());
    }
    // A stop before a server runs would be lost; serve first.
    for (Role& role : roles_)
        while (!role.server->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return lines;
}

void Simulator::stop()
{
    for (Role& role : roles_) {
        role.server->stop();
        if (role.thread.joinable())
            role.thread.join();
    }
    roles_.clear();
}

} // namespace zorvik::sim
