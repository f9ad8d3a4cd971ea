#pragma once
// Orders whose placement is not known (a killed run, a lost answer), judged by the platform's
// balance once it can be read again. Several desks may share the account, so the balance read
// before such an order is carried forward over every order recorded after it and every prize
// paid since; only a balance that matches exactly one outcome decides.

#include "records/records.h"

#include <QHash>
#include <QVector>

namespace zorvik::records {

enum class Placement { Unknown, Placed, NotPlaced };

// `rows`: every real-money order of the platform's lotteries, as the records hold them (settled
// rows with their returns); `balance_now`: the platform's balance. The verdict of each
// unconfirmed row, by its ref. The newest is judged first, so that an older one counts what
// became of the newer ones; one left unknown leaves every older one unknown.
QHash<QString, Placement> judge_by_balance(QVector<BetRecord> rows, double balance_now);

} // namespace zorvik::records
