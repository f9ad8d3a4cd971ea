#pragma once
// The draw trend (走势图): for each draw shown and each position, how many draws every digit has
// missed there (0 where it was drawn), and per position and digit (and per 大/小, 单/双) over the
// draws shown: appearances, the current miss run, the longest miss run and the longest run of
// appearances.

#include "monitor/backtest.h"

#include <QString>
#include <QVector>
#include <array>

namespace zorvik::monitor {

struct RunStats {
    QString name;          // the digit ("0" … "9"), or 大, 小, 单, 双
    int appearances = 0;
    int current_miss = 0;  // draws since it last appeared (all of them when it never did)
    int longest_miss = 0;
    int longest_run = 0;   // most draws in a row it appeared in
};

struct PositionTrend {
    std::array<RunStats, 10> digits;
    std::array<RunStats, 2> big_small; // 大 (5–9), 小 (0–4)
    std::array<RunStats, 2> odd_even;  // 单, 双
};

struct DrawTrend {
    QVector<HistoryDraw> draws; // oldest first
    // Per draw, per position 万 … 个, per digit: the draws missed up to and including this one;
    // 0 where the digit was drawn.
    QVector<std::array<std::array<int, 10>, 5>> misses;
    std::array<PositionTrend, 5> positions;
};

// The trend of the last `last` draws (all of them for 0 or more than there are). Draws whose
// numbers are not five digits are left out.
DrawTrend compute_draw_trend(const QVector<HistoryDraw>& draws, int last = 0);

// The five digits of a draw's numbers ("1,2,3,4,5"), or nothing.
std::optional<std::array<int, 5>> draw_digits(const QString& numbers);

} // namespace zorvik::monitor
