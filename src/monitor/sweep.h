#pragma once
// A parameter sweep: one monitor replayed over a history once for every combination of
// threshold, multiplier plan and money unit, each variant as if it were backtested alone.

#include "monitor/backtest.h"

#include <QString>
#include <QVector>
#include <optional>

namespace zorvik::monitor {

struct SweepVariant {
    int threshold = 0;
    QString plan; // "1,2,4"
    int unit = 1; // 1 元, 2 角, 3 分, 4 厘
    bool operator==(const SweepVariant&) const = default;
};

struct SweepOutcome {
    SweepVariant variant;
    MonitorOutcome outcome; // what a backtest of the variant alone reports for it
};

struct SweepRanges {
    QVector<int> thresholds; // empty: the monitor's own
    QStringList plans;       // empty: the monitor's own
    QVector<int> units;      // empty: the monitor's own
};

// The variants of `record` (one monitor's text), thresholds outermost, then plans, then units.
// Nothing, with the reason, when the record cannot take them (not a 遗漏 or 连中 monitor with a
// threshold to change, a plan that is not numbers joined by ",", a unit outside 1..4).
std::optional<QVector<SweepVariant>> sweep_variants(const QString& record, const SweepRanges& ranges,
                                                   QString* error);

// The record with the variant's threshold, plan and unit, betting automatically.
QString variant_record(const QString& record, const SweepVariant& variant);

// Replays every variant over the draws. Without stop amounts the variants share one pass over
// the history (they are independent monitors); with them each has its own session, since the
// stop rule ends a session on its income. The result is in the order of `variants`; a cancel
// through the progress callback (which counts draws over the whole sweep) ends it early.
QVector<SweepOutcome> run_sweep(const QString& record, const QVector<SweepVariant>& variants,
                                const QVector<HistoryDraw>& draws, const BacktestOptions& options = {});

// "A..B" or "A..B:STEP" or a single "A" (B ≥ A, STEP ≥ 1, at most 32767).
std::optional<QVector<int>> parse_threshold_range(const QString& text);
// "元,角" or "1,2": money units by name or code.
std::optional<QVector<int>> parse_units(const QString& text);

} // namespace zorvik::monitor
