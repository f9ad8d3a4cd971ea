// Orders whose answer was lost, judged by the balance with the other desks' orders and the
// prizes paid since carried over.

#include "records/reconcile.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using zorvik::records::BetRecord;
using zorvik::records::judge_by_balance;
using zorvik::records::Placement;

namespace {

BetRecord order(qint64 id, const QString& at, double cost, const QString& ref = {},
                std::optional<double> before = std::nullopt)
{
    BetRecord b;
    b.id = id;
    b.lottery = u"合乐平台-HI彩分分彩"_s;
    b.cost = cost;
    b.prize = 1920;
    b.placed_at = at;
    b.ref = ref.isEmpty() ? u"r"_s + QString::number(id) : ref;
    b.balance_before = before;
    if (!ref.isEmpty())
        b.state = QString::fromUtf16(zorvik::records::kUnconfirmedState);
    return b;
}

BetRecord settled(BetRecord b, double returned, const QString& at)
{
    b.result = returned > 0 ? u"中"_s : u"挂"_s;
    b.returned = returned;
    b.settled_at = at;
    return b;
}

TEST(JudgeByBalance, AnOrderAloneIsPlacedWhenItsCostWentAndNotWhenNothingWent)
{
    const QVector<BetRecord> one{order(1, u"2026-12-08 10:00:00"_s, 2, u"x"_s, 100)};
    EXPECT_EQ(judge_by_balance(one, 98).value(u"x"_s), Placement::Placed);
    EXPECT_EQ(judge_by_balance(one, 100).value(u"x"_s), Placement::NotPlaced);
    EXPECT_EQ(judge_by_balance(one, 97).value(u"x"_s), Placement::Unknown);
    // To the 厘: one 厘 off either outcome decides nothing.
    EXPECT_EQ(judge_by_balance(one, 98.001).value(u"x"_s), Placement::Unknown);
    EXPECT_EQ(judge_by_balance(one, 99.999).value(u"x"_s), Placement::Unknown);
    // No balance read before it: nothing to judge by.
    const QVector<BetRecord> blind{order(1, u"2026-12-08 10:00:00"_s, 2, u"x"_s)};
    EXPECT_EQ(judge_by_balance(blind, 98).value(u"x"_s), Placement::Unknown);
}

TEST(JudgeByBalance, AnOrderOfAFewLiIsToldFromNothingTaken)
{
    const QVector<BetRecord> small{order(1, u"2026-12-08 10:00:00"_s, 0.004, u"x"_s, 10)};
    EXPECT_EQ(judge_by_balance(small, 10).value(u"x"_s), Placement::NotPlaced);
    EXPECT_EQ(judge_by_balance(small, 9.996).value(u"x"_s), Placement::Placed);
}

TEST(JudgeByBalance, OtherDesksOrdersAndPrizesSinceAreCarriedOver)
{
    // Before x: 100. Then another desk's order of 5 (paid 12 after x was sent), x of 2.
    const QVector<BetRecord> rows{
        settled(order(1, u"2026-12-08 09:59:00"_s, 4), 9, u"2026-12-08 09:59:30"_s), // paid before x: in 100
        order(2, u"2026-12-08 10:00:00"_s, 2, u"x"_s, 100),
        settled(order(3, u"2026-12-08 10:00:05"_s, 5), 12, u"2026-12-08 10:01:00"_s),
        settled(order(4, u"2026-12-08 10:00:06"_s, 1), 0, u"2026-12-08 10:01:00"_s),
    };
    EXPECT_EQ(judge_by_balance(rows, 100 - 5 + 12 - 1 - 2).value(u"x"_s), Placement::Placed);
    EXPECT_EQ(judge_by_balance(rows, 100 - 5 + 12 - 1).value(u"x"_s), Placement::NotPlaced);
    // The balance alone would say neither.
    EXPECT_EQ(judge_by_balance(rows, 98).value(u"x"_s), Placement::Unknown);
    // A prize paid the second the balance was read may be in it or not.
    QVector<BetRecord> same_second = rows;
    same_second[0].settled_at = u"2026-12-08 10:00:00"_s;
    EXPECT_EQ(judge_by_balance(same_second, 104).value(u"x"_s), Placement::Unknown);
}

TEST(JudgeByBalance, TheNewestIsJudgedFirstAndAnUnknownOneLeavesTheOlderUnknown)
{
    const QVector<BetRecord> rows{
        order(1, u"2026-12-08 10:00:00"_s, 2, u"old"_s, 100),
        order(2, u"2026-12-08 10:05:00"_s, 3, u"new"_s, 98),
    };
    // old placed (100 → 98), new not placed.
    auto v = judge_by_balance(rows, 98);
    EXPECT_EQ(v.value(u"new"_s), Placement::NotPlaced);
    EXPECT_EQ(v.value(u"old"_s), Placement::Placed);
    // Both placed.
    v = judge_by_balance(rows, 95);
    EXPECT_EQ(v.value(u"new"_s), Placement::Placed);
    EXPECT_EQ(v.value(u"old"_s), Placement::Placed);
    // The newer cannot be judged: neither can the older.
    v = judge_by_balance(rows, 90);
    EXPECT_EQ(v.value(u"new"_s), Placement::Unknown);
    EXPECT_EQ(v.value(u"old"_s), Placement::Unknown);
}

TEST(JudgeByBalance, TwoLostOrdersSentWithinAMinuteCannotBeToldApart)
{
    // old may have been taken after new's balance was read.
    const QVector<BetRecord> close{
        order(1, u"2026-12-08 10:00:00"_s, 2, u"old"_s, 100),
        order(2, u"2026-12-08 10:01:00"_s, 2, u"new"_s, 100),
    };
    EXPECT_EQ(judge_by_balance(close, 98).value(u"new"_s), Placement::Unknown);
    EXPECT_EQ(judge_by_balance(close, 98).value(u"old"_s), Placement::Unknown);
    QVector<BetRecord> apart = close;
    apart[1].placed_at = u"2026-12-08 10:01:01"_s;
    apart[1].balance_before = 98;
    EXPECT_EQ(judge_by_balance(apart, 98).value(u"new"_s), Placement::NotPlaced);
    EXPECT_EQ(judge_by_balance(apart, 98).value(u"old"_s), Placement::Placed);
}

TEST(JudgeByBalance, APrizeNotKnownYetThatCouldPassForTheCostDecidesNothing)
{
    // An open order of another desk whose hit would pay 1 for each of two lines: the balance
    // cannot tell that payment from a cost of 2.
    BetRecord open = order(2, u"2026-12-08 10:00:05"_s, 1);
    open.prize = 1;
    const QVector<BetRecord> rows{order(1, u"2026-12-08 10:00:00"_s, 2, u"x"_s, 100), open};
    EXPECT_EQ(judge_by_balance(rows, 97).value(u"x"_s), Placement::Unknown);
    QVector<BetRecord> other = rows;
    other[1].prize = 1.5;
    EXPECT_EQ(judge_by_balance(other, 97).value(u"x"_s), Placement::Placed);
    // Nor can the order's own prize be the size of its cost.
    QVector<BetRecord> own{order(1, u"2026-12-08 10:00:00"_s, 2, u"x"_s, 100)};
    own[0].prize = 2;
    EXPECT_EQ(judge_by_balance(own, 98).value(u"x"_s), Placement::Unknown);
}

} // namespace
