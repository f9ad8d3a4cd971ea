// The core's orders that a killed run left unconfirmed, judged after the next login.

#include "core/core.h"

#include "records/reconcile.h"
#include "support/clock.h"
#include "support/money.h"

#include <QPointer>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

// A recorded order as the bet log's ten columns, its status column given.
QStringList record_columns(const records::BetRecord& b, const QString& status)
{
    return {b.issue,
            QString::fromUtf16(monitor::kOpen),
            b.monitor,
            QString::number(b.multiplier),
            support::amount_text(b.cost),
            status,
            QString::fromUtf16(monitor::kOpen),
            b.order_no,
            b.numbers,
            b.positions + u'|' + b.play + u'|' + support::amount_text(b.prize)};
}

} // namespace

void AppCore::resolve_unconfirmed(int which)
{
    // Orders a killed run left unconfirmed on this platform (for any of its desks' lotteries)
    // are judged by the balance: the balance read before each is carried over the orders and
    // prizes recorded since (other desks share the account); a balance that matches "not
    // placed" cancels it, one that matches "placed" confirms it, anything else leaves it
    // unconfirmed and says so once.
    const QString on = account_platform(which);
    if (virtual_ || on.isEmpty())
        return;
    const auto desk_of = [this, &on](const QString& lottery) -> Desk* {
        for (const auto& d : desks_)
            if (d->lottery() == lottery && platform_of(lottery) == on)
                return d.get();
        return nullptr;
    };
    // Bets whose draws are known are settled first: their prizes are in the balance.
    const QString now_text = records::record_time(clock_.local_now());
    for (const auto& d : desks_)
        if (platform_of(d->lottery()) == on)
            records_.settle_open(d->lottery(), d->feed().awd_lookup(), now_text);
    records_.flush();
    records::RecordStore store;
    if (!store.open(records_file()))
        return;
    QVector<std::pair<Desk*, records::BetRecord>> rows;
    for (const records::BetRecord& b : store.unconfirmed_bets())
        if (Desk* d = b.simulated ? nullptr : desk_of(b.lottery))
            rows.append({d, b});
    if (rows.isEmpty())
        return;
    QVector<records::BetRecord> ledger;
    records::BetFilter real;
    real.simulated = false;
    for (const records::BetRecord& b : store.bets(real))
        if (platform_of(b.lottery) == on)
            ledger.append(b);
    const std::optional<double> now = platform(which).balance_value();
    const QHash<QString, records::Placement> verdicts =
        now ? records::judge_by_balance(ledger, *now) : QHash<QString, records::Placement>{};
    for (const auto& [d, b] : std::as_const(rows)) {
        const QString mark = QString::fromUtf16(monitor::kUnconfirmedMark);
        const records::Placement verdict = verdicts.value(b.ref, records::Placement::Unknown);
        if (verdict == records::Placement::NotPlaced) {
            records_.drop(b.ref);
            emit d->bet_cancelled(record_columns(b, mark));
        } else if (verdict == records::Placement::Placed) {
            const QStringList columns = record_columns(b, QString::fromUtf16(monitor::kOpen));
            records_.confirm(b.ref, b.order_no, b.cost, [desk = QPointer<Desk>(d), columns](bool) {
                if (desk)
                    QMetaObject::invokeMethod(
                        desk, [desk, columns] { emit desk->bet_committed(columns); }, Qt::QueuedConnection);
            });
        } else if (!b.told) {
            // Told once: the next starts leave it in the records, 未确认, without saying it again.
            emit d->bet_unconfirmed(record_columns(b, mark));
            d->engine().set_line(monitor::Line::BetStatus,
                                 b.issue + u"期的订单未确认（上次运行中断），余额无法确认，请到平台核对"_s);
            records_.mark_told(b.ref);
        }
    }
}

} // namespace zorvik::app
