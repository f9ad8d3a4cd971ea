#include "monitor/plan_calc.h"

#include "monitor/bet_plan.h"
#include "support/money.h"

#include <QStringList>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

namespace {

constexpr int kLargestMultiplier = 99999999;
constexpr double kCent = 1e-9; // amounts are to the 厘: a target met exactly is met

} // namespace

PlanTable calculate_plan(const PlanQuery& q)
{
    PlanTable table;
    BetPlan plan;
    plan.count = q.count;
    plan.count_text = QString::number(q.count);
    plan.odds = q.odds;
    const auto at = [&](qint64 m) { return stake_entry(plan, q.title, int(m), q.unit); };
    // How far a win at multiplier m, after `staked` before it, is from the target (≥ 0: met).
    const auto short_of = [&](qint64 m, double staked) {
        const StakeEntry e = at(m);
        const double total = staked + e.placed_value;
        const double profit = e.prize_value - total;
        return q.rate ? profit - q.target / 100 * total : profit - q.target;
    };
    const QString stop = u"：方案到第 %1 步为止"_s;
    double staked = 0;
    qint64 previous = std::max(q.first, 1);
    for (int k = 1; k <= q.steps; ++k) {
        // The target grows with the stake at most linearly in m: what one more multiple brings.
        const StakeEntry one = at(1);
        const double margin = q.rate ? one.prize_value - (1 + q.target / 100) * one.placed_value
                                     : one.prize_value - one.placed_value;
        qint64 m = previous;
        if (short_of(m, staked) < -kCent) {
            if (margin <= 0) {
                table.ended = u"第 %1 步：中奖的奖金抵不过投注的成本，任何倍数都达不到目标"_s.arg(k) + stop.arg(k - 1);
                break;
            }
            // From the linear estimate, a few multiples below for the rounding to the 厘.
            const double estimate = std::ceil(-short_of(0, staked) / margin);
            m = std::max<qint64>(previous, qint64(std::min<double>(estimate, kLargestMultiplier)) - 2);
            while (m <= kLargestMultiplier && short_of(m, staked) < -kCent)
                ++m;
            if (m > kLargestMultiplier) {
                table.ended = u"第 %1 步需要超过 %2 倍"_s.arg(k).arg(kLargestMultiplier) + stop.arg(k - 1);
                break;
            }
        }
        if (q.max_multiplier && m > *q.max_multiplier) {
            table.ended = u"第 %1 步需要 %2 倍，超过最大倍数 %3"_s.arg(k).arg(m).arg(*q.max_multiplier) + stop.arg(k - 1);
            break;
        }
        const StakeEntry e = at(m);
        const double total = staked + e.placed_value;
        if (q.budget && total > *q.budget + kCent) {
            table.ended = u"第 %1 步会使投入达到 %2，超过资金上限 %3"_s.arg(k)
                              .arg(support::amount_text(total), support::amount_text(*q.budget)) +
                          stop.arg(k - 1);
            break;
        }
        PlanRow row;
        row.step = k;
        row.multiplier = int(m);
        row.cost = e.placed_value;
        row.total = total;
        row.win = e.prize_value;
        row.profit = e.prize_value - total;
        row.rate = total > 0 ? row.profit / total * 100 : 0;
        table.rows << row;
        staked = total;
        previous = m;
    }
    table.money = staked;
    return table;
}

QString plan_multipliers(const PlanTable& table)
{
    QStringList out;
    for (const PlanRow& r : table.rows)
        out << QString::number(r.multiplier);
    return out.join(u',');
}

int title_positions(const QString& title)
{
    const QString group = title.section(u'(', 0, 0).trimmed();
    struct Group {
        const char16_t* name;
        int positions;
    };
    static constexpr Group groups[] = {
        {u"前一", 1}, {u"万位", 1}, {u"千位", 1}, {u"百位", 1}, {u"十位", 1}, {u"个位", 1}, {u"后一", 1},
        {u"前二", 2}, {u"后二", 2}, {u"前三", 3}, {u"中三", 3}, {u"后三", 3}, {u"前四", 4}, {u"后四", 4},
        {u"五星", 5},
    };
    for (const Group& g : groups)
        if (group == QStringView(g.name))
            return g.positions;
    // A listed group: "万位,百位".
    const QStringList listed = group.split(u',', Qt::SkipEmptyParts);
    static const QStringList names{u"万位"_s, u"千位"_s, u"百位"_s, u"十位"_s, u"个位"_s};
    for (const QString& name : listed)
        if (!names.contains(name))
            return 0;
    return int(listed.size());
}

QString title_play(const QString& title)
{
    const qsizetype open = title.indexOf(u'(');
    const qsizetype close = title.lastIndexOf(u')');
    return open >= 0 && close > open ? title.mid(open + 1, close - open - 1) : QString();
}

} // namespace zorvik::monitor
