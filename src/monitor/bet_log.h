#pragma once
// The bet log: one row of ten texts per placed bet, newest last, at most 100 rows besides those
// still waiting for their draws, and the session's counters.

#include <QString>
#include <QtGlobal>
#include <QVector>
#include <array>
#include <memory>

namespace zorvik::monitor {

enum BetColumn {
    kBetIssue = 0, // 期号
    kBetDraw,      // 开奖
    kBetTitle,     // 玩法
    kBetMultiplier,
    kBetCost,
    kBetResult,    // 状态
    kBetReturn,    // 返奖
    kBetOrder,     // 订单号
    kBetNumbers,   // 注码
    kBetNote,      // 备注: positions "|" play "|" prize per hit
    kBetColumnCount
};

inline constexpr char16_t kOpen[] = u"---";
// The status column of an order whose placement is not known.
inline constexpr char16_t kUnconfirmedMark[] = u"未确认";
inline constexpr int kBetLogLimit = 100;

struct BetPlan;

struct BetRow {
    std::array<QString, kBetColumnCount> columns;
    // What its settlement needs, worked out when it was composed: the plan it was bet with (its
    // hit test), the cost and the prize as numbers, and the return shown on a hit. Without a plan
    // the row is settled from its texts.
    std::shared_ptr<const BetPlan> plan;
    double cost_value = 0;
    double prize_value = 0;  // a one-line hit's return
    double line_prize = 0;   // a winning line's prize as the platform computes it
    QString prize_shown;
    quint64 monitor = 0; // the identity of the monitor that bet
    QString ref;         // the order's reference in the records (empty: not recorded)
    bool simulated = false;
    bool unconfirmed = false; // sent, its placement not known: never settled nor counted
    bool open() const { return columns[kBetReturn] == QStringView(kOpen); }
    // Placed and not yet settled: its draw will settle it.
    bool awaiting_draw() const { return open() && !unconfirmed; }
};

// Headers and widths in pixels (the stored layout's twips at 15 per pixel).
struct BetLogColumn {
    const char16_t* header;
    int width;
};
inline constexpr BetLogColumn kBetLogColumns[] = {
    {u"期号", 1500 / 15}, {u"开奖", 1200 / 15}, {u"玩法", 2000 / 15}, {u"倍数", 900 / 15},
    {u"成本", 1200 / 15}, {u"状态", 900 / 15},  {u"返奖", 1200 / 15}, {u"订单号", 1500 / 15},
    {u"注码", 4500 / 15}, {u"备注", 100 / 15},
};

struct Session {
    int bets = 0;         // placed since monitoring started (16-bit in the stored layout)
    int wins = 0;
    double income = 0;    // kept over the whole run
    double best = 0;      // 最大盈利, from 0 at each start
    double worst = 0;     // 最小收益, from 0 at each start
};

} // namespace zorvik::monitor
