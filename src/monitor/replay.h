#pragma once
// The fast replay behind a backtest: the monitors judged as the engine judges them, their bets
// worked out once per plan entry and kept as integers (厘), the monitors split across threads.

#include "monitor/backtest.h"

namespace zorvik::monitor {

class Monitor;
class MonitorList;

// Draws replayed between two joins of the threads (and two progress calls).
inline constexpr qint64 kReplayChunk = 1024;

// The backtest of `list` (started as a session starts), or nothing when an amount of some plan
// cannot be counted exactly in 厘 (beyond about a trillion 元): the engine then replays it.
std::optional<BacktestResult> fast_replay(const MonitorList& list, const QVector<HistoryDraw>& draws,
                                          const BacktestOptions& options);

// What the 64-bit counts of a replayed monitor say: draws, hits, misses, longest runs, where it
// stopped updating, its final value.
void finish_outcome(MonitorOutcome& o, const Monitor& m, qint64 first_count, const QVector<HistoryDraw>& draws,
                    qint64 replayed);

} // namespace zorvik::monitor
