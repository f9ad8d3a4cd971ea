#include "records/reconcile.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace zorvik::records {

namespace {

// Balances and amounts are the platform's, to the 厘.
bool same_amount(double a, double b)
{
    return std::abs(a - b) < 0.0005;
}

bool unconfirmed(const BetRecord& b)
{
    return b.state == QStringView(kUnconfirmedState);
}

// A prize not known yet (its draw not seen) that, paid once or for a few lines, equals the
// amount: its payment could pass for the order's cost, so the balance cannot tell them apart.
bool could_pass_for(double prize, double amount)
{
    for (int lines = 1; lines <= 10; ++lines)
        if (same_amount(prize * lines, amount))
            return true;
    return false;
}

QDateTime at(const QString& text)
{
    return QDateTime::fromString(text, u"yyyy-MM-dd HH:mm:ss");
}

// An older order whose answer was not known either, sent shortly before: the platform may have
// taken it after this order's balance was read, so the two cannot be told apart.
constexpr qint64 kOverlapSecs = 60;

Placement judge(const QVector<BetRecord>& rows, qsizetype i, const QHash<QString, Placement>& verdicts,
                double balance_now)
{
    const BetRecord& b = rows[i];
    if (!b.balance_before)
        return Placement::Unknown;
    double unplaced = *b.balance_before; // the balance now had the order not been placed
    for (qsizetype j = 0; j < rows.size(); ++j) {
        if (j == i)
            continue;
        const BetRecord& r = rows[j];
        bool placed = !unconfirmed(r);
        if (unconfirmed(r)) {
            const Placement v = verdicts.value(r.ref, Placement::Unknown);
            if (j > i && v == Placement::Unknown)
                return Placement::Unknown;
            if (j < i && std::abs(at(r.placed_at).secsTo(at(b.placed_at))) <= kOverlapSecs)
                return Placement::Unknown;
            placed = v == Placement::Placed;
        }
        if (!placed)
            continue;
        if (j > i)
            unplaced -= r.cost; // debited after this order's balance was read
        if (!r.result.isEmpty()) {
            if (r.returned > 0 && r.settled_at > b.placed_at)
                unplaced += r.returned; // paid after the balance was read
            else if (r.returned > 0 && r.settled_at == b.placed_at)
                return Placement::Unknown; // paid about when it was read: either side
        } else if (could_pass_for(r.prize, b.cost)) {
            return Placement::Unknown;
        }
    }
    if (could_pass_for(b.prize, b.cost))
        return Placement::Unknown;
    if (same_amount(balance_now, unplaced))
        return Placement::NotPlaced;
    if (same_amount(balance_now, unplaced - b.cost))
        return Placement::Placed;
    return Placement::Unknown;
}

} // namespace

QHash<QString, Placement> judge_by_balance(QVector<BetRecord> rows, double balance_now)
{
    std::sort(rows.begin(), rows.end(), [](const BetRecord& a, const BetRecord& b) { return a.id < b.id; });
    QHash<QString, Placement> verdicts;
    for (qsizetype i = rows.size() - 1; i >= 0; --i)
        if (unconfirmed(rows[i]))
            verdicts.insert(rows[i].ref, judge(rows, i, verdicts, balance_now));
    return verdicts;
}

} // namespace zorvik::records
