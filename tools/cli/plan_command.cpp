#include "plan_command.h"

#include "cli_io.h"

#include "monitor/plan_calc.h"
#include "rules/bets.h"
#include "rules/validate.h"
#include "support/money.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::cli {

namespace {

constexpr char kUsage[] = "usage: zorvik-cli plan TITLE NUMBERS --unit U --odds N --steps K [--first M] "
                          "(--profit X | --rate R) [--max-multiplier M] [--budget B] [--json]";

std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

std::optional<qint64> whole(const QString& text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    return ok && v > 0 ? std::optional<qint64>(v) : std::nullopt;
}

} // namespace

int run_plan_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    const QString usage = QString::fromUtf8(kUsage);
    QStringList positional;
    monitor::PlanQuery q;
    std::optional<double> profit, rate;
    bool json = false, have_unit = false, have_odds = false, have_steps = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool valued = i + 1 < args.size();
        const QString value = valued ? args[i + 1] : QString();
        if (a == u"--json") {
            json = true;
            continue;
        }
        if (!a.startsWith(u"--"_s)) {
            positional << a;
            continue;
        }
        if (!valued)
            return fail(err, usage);
        ++i;
        if (a == u"--unit") {
            if (!QStringList{u"元"_s, u"角"_s, u"分"_s, u"厘"_s}.contains(value))
                return fail(err, u"zorvik-cli plan: the unit is 元, 角, 分 or 厘: "_s + value);
            q.unit = value;
            have_unit = true;
        } else if (a == u"--odds") {
            const auto odds = number(value);
            if (!odds || *odds <= 0)
                return fail(err, u"zorvik-cli plan: the odds are a positive number: "_s + value);
            q.odds = value.trimmed();
            have_odds = true;
        } else if (a == u"--steps") {
            const auto steps = whole(value);
            if (!steps || *steps > 1000)
                return fail(err, u"zorvik-cli plan: the steps are a whole number from 1 to 1000: "_s + value);
            q.steps = int(*steps);
            have_steps = true;
        } else if (a == u"--first") {
            const auto first = whole(value);
            if (!first || *first > 99999999)
                return fail(err, u"zorvik-cli plan: the first multiplier is a positive whole number: "_s + value);
            q.first = int(*first);
        } else if (a == u"--profit") {
            if (!(profit = number(value)))
                return fail(err, u"zorvik-cli plan: the profit is not a number: "_s + value);
        } else if (a == u"--rate") {
            if (!(rate = number(value)))
                return fail(err, u"zorvik-cli plan: the rate is not a number: "_s + value);
        } else if (a == u"--max-multiplier") {
            if (!(q.max_multiplier = whole(value)))
                return fail(err, u"zorvik-cli plan: the largest multiplier is a positive whole number: "_s + value);
        } else if (a == u"--budget") {
            const auto budget = number(value);
            if (!budget || *budget <= 0)
                return fail(err, u"zorvik-cli plan: the budget is a positive number: "_s + value);
            q.budget = budget;
        } else {
            return fail(err, usage);
        }
    }
    if (positional.size() != 2 || !have_unit || !have_odds || !have_steps || bool(profit) == bool(rate))
        return fail(err, usage);
    q.title = positional[0];
    QString numbers = positional[1];
    const int positions = monitor::title_positions(q.title);
    const QString play = monitor::title_play(q.title);
    if (positions == 0 || play.isEmpty())
        return fail(err, u"zorvik-cli plan: unknown play: "_s + q.title);
    if (const QString refused = rules::validate_numbers(numbers, positions, play); !refused.isEmpty())
        return fail(err, u"zorvik-cli plan: "_s + refused);
    q.count = rules::bet_count(q.title, numbers);
    if (q.count <= 0)
        return fail(err, u"zorvik-cli plan: unknown play or no bet line: "_s + q.title + u' ' + numbers);
    q.rate = bool(rate);
    q.target = rate ? *rate : *profit;

    const monitor::PlanTable t = monitor::calculate_plan(q);
    const auto money = [](double v) { return support::amount_text(v); };
    if (json) {
        QJsonArray steps;
        for (const monitor::PlanRow& r : t.rows)
            steps.append(QJsonObject{{u"step"_s, r.step},       {u"multiplier"_s, r.multiplier},
                                     {u"cost"_s, r.cost},       {u"total"_s, r.total},
                                     {u"win"_s, r.win},         {u"profit"_s, r.profit},
                                     {u"rate"_s, r.rate}});
        write(out, QString::fromUtf8(QJsonDocument(QJsonObject{{u"count"_s, q.count},
                                                                {u"plan"_s, monitor::plan_multipliers(t)},
                                                                {u"money"_s, t.money},
                                                                {u"ended"_s, t.ended},
                                                                {u"steps"_s, steps}})
                                         .toJson(QJsonDocument::Compact)) +
                       u'\n');
        return 0;
    }
    QString text = u"步\t倍数\t本步投入\t累计投入\t中奖返还\t中奖盈利\t盈利率\n"_s;
    for (const monitor::PlanRow& r : t.rows)
        text += QString::number(r.step) + u'\t' + QString::number(r.multiplier) + u'\t' + money(r.cost) + u'\t' +
                money(r.total) + u'\t' + money(r.win) + u'\t' + money(r.profit) + u'\t' +
                support::money_text(r.rate) + u"%\n"_s;
    text += u"资金需求\t"_s + money(t.money) + u'\n';
    if (!t.ended.isEmpty())
        text += t.ended + u'\n';
    write(out, text);
    return 0;
}

} // namespace zorvik::cli
