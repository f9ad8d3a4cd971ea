#pragma once
// Judging one monitor against a new draw: its current value, history, draw count, runs and
// totals; and the alert test on the result.

#include "monitor/monitor.h"

#include <QString>
#include <optional>

namespace zorvik::monitor {

// Updates the monitor with the draw's digits and returns whether it hit; nothing, and the
// monitor unchanged, when it cannot be updated (a 遗漏 or 连中 value, a run or a total that is
// not a number, or one that would pass 32767).
std::optional<bool> update_monitor(Monitor& m, const QString& draw);
// The same with the draw's digits read once for a whole pass (nothing for an odd draw).
std::optional<bool> update_monitor(Monitor& m, const QString& draw,
                                   const std::optional<rules::DrawDigits>& digits);

} // namespace zorvik::monitor
