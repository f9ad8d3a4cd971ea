#pragma once
// A monitor's course over a draw history, judged by the live rules from its initial value: its
// 遗漏 or 连中 value after each draw, the hits, and where its alert test held. Drawn by the trend
// chart of the detail panel.

#include "monitor/backtest.h"
#include "monitor/monitor.h"

#include <QStringList>
#include <QVector>
#include <optional>

namespace zorvik::monitor {

struct Trend {
    bool pattern = false;          // 形态: only the hits and misses mean something
    QStringList issues;
    QVector<int> values;           // the current value after each draw (遗漏 and 连中)
    QVector<bool> hits;
    QVector<bool> alerts;          // the alert test held after the draw
    std::optional<int> threshold;  // the condition's number (遗漏 and 连中)
};

Trend compute_trend(const Monitor& m, const QVector<HistoryDraw>& draws);

// The draws of several histories ("issue:numbers" entries joined by "|"; any order, repeats
// and unreadable entries left out), oldest first.
QVector<HistoryDraw> merge_histories(const QStringList& texts);

} // namespace zorvik::monitor
