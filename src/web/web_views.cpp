// What the dashboard shows of the program, and what it may do to it.

#include "web/web_server.h"

#include "core/core.h"
#include "core/events.h"
#include "monitor/view.h"
#include "records/records.h"
#include "support/clock.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::web {

namespace {

constexpr int kMostIncomePoints = 1000;

using Reply = WebServer::Reply;

template <typename Columns>
QJsonArray headers_of(const Columns& columns)
{
    QJsonArray out;
    for (const auto& c : columns)
        out.append(QString::fromUtf16(c.header));
    return out;
}

QJsonObject record_json(const records::BetRecord& b)
{
    return {{u"lottery"_s, b.lottery},   {u"monitor"_s, b.monitor},   {u"positions"_s, b.positions},
            {u"play"_s, b.play},         {u"numbers"_s, b.numbers},   {u"issue"_s, b.issue},
            {u"multiplier"_s, b.multiplier}, {u"cost"_s, b.cost},     {u"prize"_s, b.prize},
            {u"order_no"_s, b.order_no}, {u"placed_at"_s, b.placed_at}, {u"draw"_s, b.draw},
            {u"result"_s, b.result},     {u"returned"_s, b.returned}, {u"settled_at"_s, b.settled_at},
            {u"state"_s, b.state}};
}

// A stop amount as sent: a number, or a text that is one. Empty: none.
std::optional<QString> amount_of(const QJsonValue& v)
{
    if (v.isDouble() && std::isfinite(v.toDouble()))
        return QString::number(v.toDouble(), 'g', 15);
    if (v.isString()) {
        const QString text = v.toString().trimmed();
        if (text.isEmpty())
            return text;
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (ok && std::isfinite(value))
            return text;
    }
    return std::nullopt;
}

} // namespace

QJsonObject WebServer::desk_json(app::Desk& d) const
{
    feed::DrawFeed& f = d.feed();
    const monitor::MonitorEngine& e = d.engine();
    const auto [profit, loss] = e.stop_amounts();
    QJsonObject lines;
    for (int i = 0; i < 4; ++i)
        lines.insert(app::line_name(i), e.line(monitor::Line(i)));
    return {{u"number"_s, d.number()},
            {u"lottery"_s, d.lottery()},
            {u"platform"_s, app::platform_of(d.lottery())},
            {u"issue"_s, f.awd_iss()},
            {u"numbers"_s, f.awd_nums()},
            {u"next_issue"_s, f.next_iss_no()},
            {u"countdown"_s, f.countdown_text()},
            {u"countdown_seconds"_s, f.countdown()},
            {u"monitoring"_s, e.monitoring()},
            {u"simulated"_s, e.simulated()},
            {u"income"_s, e.session().income},
            {u"bets"_s, e.session().bets},
            {u"wins"_s, e.session().wins},
            {u"stop_profit"_s, profit},
            {u"stop_loss"_s, loss},
            {u"lines"_s, lines}};
}

void WebServer::watch(app::Desk& d)
{
    const int number = d.number();
    const auto forget = [this, number] { monitors_made_.erase(number); };
    connect(&d.engine(), &monitor::MonitorEngine::rows_changed, watching_.get(), forget);
    connect(&d.engine(), &monitor::MonitorEngine::monitoring_changed, watching_.get(), forget);
    connect(&d.feed(), &feed::DrawFeed::new_draw, watching_.get(), forget);
}

WebServer::Reply WebServer::monitors(app::Desk& d)
{
    if (const auto made = monitors_made_.find(d.number()); made != monitors_made_.end())
        return {200, made->second, "application/json"};
    const monitor::MonitorEngine& e = d.engine();
    QJsonArray rows;
    for (const monitor::MonitorRow& row : e.rows()) {
        const monitor::Monitor* m = e.list().find(row.position);
        if (!m)
            continue;
        rows.append(QJsonObject{{u"position"_s, row.position},
                                {u"cells"_s, QJsonArray::fromStringList(row_columns(*m, e.monitoring(), d.feed().awd_iss()))},
                                {u"alerts"_s, row.alerts},
                                {u"marked"_s, row.marked},
                                {u"auto_bet"_s, m->field(monitor::kAutoBet) == u"1"}});
    }
    Reply reply = Reply::json(200, {{u"headers"_s, headers_of(monitor::kMonitorColumns)}, {u"monitors"_s, rows}});
    monitors_made_[d.number()] = reply.body;
    return reply;
}

WebServer::Reply WebServer::bets(app::Desk& d) const
{
    QJsonArray rows;
    for (const monitor::BetRow& b : d.engine().bet_log()) {
        QJsonArray cells;
        for (const QString& cell : b.columns)
            cells.append(cell);
        rows.append(QJsonObject{{u"cells"_s, cells}, {u"simulated"_s, b.simulated}, {u"unconfirmed"_s, b.unconfirmed}});
    }
    return Reply::json(200, {{u"headers"_s, headers_of(monitor::kBetLogColumns)}, {u"bets"_s, rows}});
}

WebServer::Reply WebServer::records(const QString& day_text) const
{
    const QDate day = day_text.isEmpty() ? clock_.local_now().date() : QDate::fromString(day_text, u"yyyy-MM-dd"_s);
    if (!day.isValid())
        return Reply::error(400, u"字段 day 应为 YYYY-MM-DD 格式的日期"_s);
    core_.records().flush(); // what was asked to be written is there to read
    records::RecordStore store;
    if (!store.open(core_.records_file()))
        return Reply::error(500, u"无法读取投注记录："_s + store.error());
    QJsonObject out{{u"day"_s, day.toString(Qt::ISODate)}};
    for (const bool simulated : {false, true}) {
        records::BetFilter filter;
        filter.day = day;
        filter.simulated = simulated;
        QJsonArray rows;
        for (const records::BetRecord& b : store.bets(filter))
            rows.append(record_json(b));
        QJsonObject totals{{u"bets"_s, 0}, {u"cost"_s, 0.0}, {u"returned"_s, 0.0}, {u"income"_s, 0.0}};
        for (const records::DayTotals& t : store.day_totals(filter))
            totals = {{u"bets"_s, t.bets}, {u"cost"_s, t.cost}, {u"returned"_s, t.returned}, {u"income"_s, t.income()}};
        out.insert(simulated ? u"simulated"_s : u"real"_s, QJsonObject{{u"bets"_s, rows}, {u"totals"_s, totals}});
    }
    return Reply::json(200, out);
}

WebServer::Reply WebServer::income(app::Desk& d) const
{
    QJsonArray points;
    const auto it = income_.find(d.number());
    if (it != income_.end())
        for (const auto& [issue, value] : it->second)
            points.append(QJsonObject{{u"issue"_s, issue}, {u"income"_s, value}});
    return Reply::json(200, {{u"income"_s, d.engine().session().income}, {u"points"_s, points}});
}

void WebServer::note_income(app::Desk& d)
{
    auto& points = income_[d.number()];
    const QString issue = d.feed().awd_iss();
    const double value = d.engine().session().income;
    if (!points.isEmpty() && points.last().first == issue)
        points.last().second = value;
    else
        points.append({issue, value});
    if (points.size() > kMostIncomePoints)
        points.remove(0, points.size() - kMostIncomePoints);
}

WebServer::Reply WebServer::act(const Request& r, const QStringList& parts)
{
    // Told as "ACTION DESK DETAIL FROM_ADDRESS", and on the desk's status line.
    const auto tell = [this, &r](app::Desk* desk, const QString& action, const QString& detail, const QString& line) {
        core_.remote_action(action + u' ' + (desk ? QString::number(desk->number()) : u"*"_s) + u' ' + detail +
                            u' ' + r.from);
        const auto show = [&](app::Desk& d) {
            d.engine().set_line(monitor::Line::BetStatus, u"远程操作（"_s + r.from + u"）："_s + line);
        };
        if (desk)
            show(*desk);
        else
            for (const auto& d : core_.desks())
                show(*d);
    };
    const auto refuse = [&](app::Desk* desk, const QString& action, int status, const QString& why) {
        tell(desk, action, u"refused:"_s + why, why);
        return Reply::error(status, why);
    };
    if (parts[0] == u"stop_all") {
        QJsonArray stopped;
        for (const auto& d : core_.desks())
            if (d->engine().monitoring()) {
                d->stop(u"web"_s);
                stopped.append(d->number());
            }
        if (stopped.isEmpty())
            return refuse(nullptr, u"stop_all"_s, 409, u"没有正在监控的彩种"_s);
        tell(nullptr, u"stop_all"_s, QString::number(stopped.size()), u"全部停止"_s);
        return Reply::json(200, {{u"stopped"_s, stopped}});
    }
    app::Desk* desk = desk_of(parts[1]);
    monitor::MonitorEngine& e = desk->engine();
    const QString& what = parts[2];
    if (what == u"start") {
        if (e.monitoring())
            return refuse(desk, u"start"_s, 409, u"已经在监控中"_s);
        if (const QString why = desk->start_refusal(); !why.isEmpty())
            return refuse(desk, u"start"_s, 409, why);
        if (!desk->start_monitoring())
            return refuse(desk, u"start"_s, 409, u"无法开启监控"_s);
        tell(desk, u"start"_s, u"-"_s, u"开始监控"_s);
        return Reply::json(200, {{u"monitoring"_s, true}});
    }
    if (what == u"stop") {
        if (!e.monitoring())
            return refuse(desk, u"stop"_s, 409, u"没有在监控"_s);
        desk->stop(u"web"_s);
        tell(desk, u"stop"_s, u"-"_s, u"停止监控"_s);
        return Reply::json(200, {{u"monitoring"_s, false}});
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.body, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return Reply::error(400, u"请求内容不是 JSON 对象"_s);
    const QJsonObject body = doc.object();
    if (what == u"stops") {
        std::optional<QString> amounts[2];
        const char16_t* const fields[2] = {u"stop_profit", u"stop_loss"};
        for (int i = 0; i < 2; ++i) {
            const QJsonValue v = body.value(QString::fromUtf16(fields[i]));
            if (v.isUndefined())
                return Reply::error(400, u"缺少字段 "_s + QString::fromUtf16(fields[i]));
            amounts[i] = amount_of(v);
            if (!amounts[i])
                return Reply::error(400, u"字段 "_s + QString::fromUtf16(fields[i]) + u" 应为数字"_s);
        }
        if (!core_.set_stops(*desk, *amounts[0], *amounts[1]))
            return Reply::error(500, u"设置文件无法写入，止盈止损没有保存"_s);
        tell(desk, u"stops"_s, *amounts[0] + u'/' + *amounts[1],
             u"止盈 "_s + *amounts[0] + u"，止损 "_s + *amounts[1]);
        return Reply::json(200, {{u"stop_profit"_s, *amounts[0]}, {u"stop_loss"_s, *amounts[1]}});
    }
    // A monitor's automatic betting.
    const QJsonValue on = body.value(u"on"_s);
    if (on.isUndefined())
        return Reply::error(400, u"缺少字段 on"_s);
    if (!on.isBool())
        return Reply::error(400, u"字段 on 应为 true 或 false"_s);
    bool number = false;
    const int position = parts[3].toInt(&number);
    if (!number || !e.set_auto_bet(position, on.toBool()))
        return Reply::error(404, u"没有第 "_s + parts[3] + u" 条监控"_s);
    tell(desk, u"auto_bet"_s, parts[3] + (on.toBool() ? u":on"_s : u":off"_s),
         u"第 "_s + parts[3] + (on.toBool() ? u" 条监控开启自动投注"_s : u" 条监控关闭自动投注"_s));
    return Reply::json(200, {{u"position"_s, position}, {u"auto_bet"_s, on.toBool()}});
}

} // namespace zorvik::web
