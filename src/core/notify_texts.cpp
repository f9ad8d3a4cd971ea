#include "core/notify_texts.h"

#include "support/money.h"

#include <QMap>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

QString cost_text(double cost)
{
    return QString::number(cost, 'f', 2);
}

QString where(const QString& lottery, const QString& issue)
{
    return issue.isEmpty() ? lottery : lottery + u' ' + issue + u'期';
}

} // namespace

NotifyMessage alert_message(const QString& lottery, const QString& issue, const QVector<AlertLine>& alerting)
{
    if (alerting.isEmpty())
        return {};
    const AlertLine& first = alerting.first();
    QString title = u"报警："_s + first.title + u' ' + first.category + u' ' + first.current;
    if (alerting.size() > 1)
        title += u" 等"_s + QString::number(alerting.size()) + u"项"_s;
    QStringList lines{where(lottery, issue)};
    for (const AlertLine& a : alerting)
        lines << a.title + u' ' + a.category + u' ' + a.current;
    return {title, lines.join(u'\n')};
}

NotifyMessage bet_message(const QString& lottery, const QString& issue, const QString& title, int multiplier,
                          double cost, const QString& order_no)
{
    return {u"投注成功："_s + issue + u' ' + title + u" ×"_s + QString::number(multiplier) + u" 成本 "_s +
                cost_text(cost),
            lottery + u" 订单号 "_s + order_no};
}

NotifyMessage refused_message(const QString& lottery, const QString& issue, const QString& title,
                              const QString& reason)
{
    return {u"投注失败："_s + issue + u' ' + title, where(lottery, QString()) + u' ' + reason};
}

QString stop_reason(const QString& why)
{
    return why == u"button"       ? u"手动停止"_s
           : why == u"web"        ? u"远程停止"_s
           : why == u"exit"       ? u"程序退出"_s
           : why == u"total stop" ? u"达到总止盈或总止损额"_s
                                  : u"达到止盈或止损额"_s;
}

NotifyMessage stop_message(const QString& lottery, const QString& why)
{
    return {u"停止监控："_s + stop_reason(why), lottery};
}

NotifyMessage unconfirmed_message(const QString& lottery, const QString& issue, const QString& title,
                                  int multiplier, double cost)
{
    return {u"订单未确认："_s + issue + u' ' + title + u" ×"_s + QString::number(multiplier) + u" 成本 "_s +
                cost_text(cost),
            lottery + u" 下单结果未知，请到平台核对"_s};
}

NotifyMessage summary_message(const QDate& day, const QVector<records::BetRecord>& bets)
{
    struct Totals {
        int bets = 0;
        int wins = 0;
        double cost = 0;
        double returned = 0;
    };
    QMap<std::pair<QString, bool>, Totals> by;
    for (const records::BetRecord& b : bets) {
        if (!b.confirmed())
            continue;
        Totals& t = by[{b.lottery, b.simulated}];
        ++t.bets;
        t.wins += b.result == u"中" ? 1 : 0;
        t.cost += b.cost;
        t.returned += b.returned;
    }
    QStringList lines;
    for (auto it = by.cbegin(); it != by.cend(); ++it) {
        const Totals& t = it.value();
        lines << it.key().first + (it.key().second ? u"（模拟）"_s : QString()) + u"：投注"_s +
                     QString::number(t.bets) + u"次，中奖"_s + QString::number(t.wins) + u"次，成本"_s +
                     support::amount_text(t.cost) + u"，返奖"_s + support::amount_text(t.returned) + u"，收入"_s +
                     support::amount_text(t.returned - t.cost);
    }
    if (lines.isEmpty())
        lines << u"当天没有投注"_s;
    return {u"每日汇总："_s + day.toString(u"yyyy-MM-dd"_s), lines.join(u'\n')};
}

NotifyMessage test_message()
{
    return {u"测试通知"_s, u"Zorvik 的通知服务工作正常"_s};
}

} // namespace zorvik::app
