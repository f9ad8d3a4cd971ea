#pragma once
// A recorded order as the records hold it before the platform has answered: for tests of
// what becomes of orders whose placement is not known.

#include "records/records.h"

namespace zorvik::testing {

inline records::BetRecord unconfirmed_order(const QString& lottery, const QString& ref, double balance_before)
{
    using namespace Qt::Literals::StringLiterals;
    records::BetRecord b;
    b.lottery = lottery;
    b.monitor = u"前三(直选复式)"_s;
    b.positions = u"ABC"_s;
    b.play = u"直选复式"_s;
    b.numbers = u"1*2*3"_s;
    b.issue = u"20261208-0100"_s;
    b.cost = 2;
    b.prize = 1920;
    b.placed_at = u"2026-12-08 10:00:00"_s;
    b.state = QString::fromUtf16(records::kUnconfirmedState);
    b.ref = ref;
    b.balance_before = balance_before;
    return b;
}

} // namespace zorvik::testing
