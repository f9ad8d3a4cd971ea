#include "monitor/bet_plan.h"

#include "monitor/monitor.h"
#include "rules/bets.h"
#include "support/money.h"
#include "support/text.h"

namespace zorvik::monitor {

double money_value(const QString& text)
{
    bool ok = false;
    const double v = support::trim_blanks(text).toDouble(&ok);
    return ok ? v : 0;
}

double hit_return(double line_prize, qint64 lines)
{
    return double(support::whole_li(line_prize * double(lines))) / 1000;
}

StakeEntry stake_entry(const BetPlan& plan, const QString& title, int multiplier, const QString& unit)
{
    StakeEntry e;
    e.multiplier = multiplier;
    e.multiplier_text = QString::number(multiplier);
    e.cost = rules::bet_cost(double(plan.count), multiplier, unit);
    e.line_prize = rules::win_value(title, multiplier, unit, plan.odds);
    e.prize = support::amount_text(e.line_prize);
    e.placed_amount = support::amount_text(money_value(e.cost));
    e.placed_value = money_value(e.placed_amount);
    e.prize_value = hit_return(e.line_prize, 1);
    e.prize_shown = support::amount_text(e.prize_value);
    e.bet_info = plan.count_text + u':' + e.placed_amount + u':' + e.prize + u':' + plan.odds;
    e.note = plan.positions + u'|' + plan.play + u'|' + e.prize;
    return e;
}

BetPlan make_bet_plan(const Monitor& m)
{
    BetPlan plan;
    const QString title = m.field(kTitle);
    const QString numbers = m.field(kNumbers);
    const QString unit = rules::unit_name(support::to_int(m.field(kMoneyUnit)));
    plan.count = qint64(money_value(m.part(kBetInfo, 0)));
    if (plan.count == 0)
        plan.count = rules::bet_count(title, numbers);
    plan.count_text = QString::number(plan.count);
    plan.odds = m.part(kBetInfo, 3);
    plan.positions = m.field(kPositions);
    plan.play = support::trim_blanks(m.field(kPlay));
    plan.rule = rules::CompiledHit::compile(plan.positions, support::trim_blanks(numbers), plan.play);
    for (const QString& text : m.field(kBetPlan).split(u',')) {
        bool ok = false;
        const int multiplier = support::trim_blanks(text).toInt(&ok);
        plan.entries.push_back(ok && multiplier > 0 ? stake_entry(plan, title, multiplier, unit) : StakeEntry());
    }
    return plan;
}

} // namespace zorvik::monitor
