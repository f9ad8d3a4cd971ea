#pragma once
// zorvik-cli backtest: a draw history replayed through the monitoring engine.

#include <QStringList>
#include <cstdio>

namespace zorvik::cli {

// `args` after the command name: HISTORY [SETTINGS] [--stop-profit X] [--stop-loss Y] [--json].
// Returns the exit code: 0, or 2 (with a line on `err` and nothing on `out`).
int run_backtest_command(const QStringList& args, std::FILE* in, std::FILE* out, std::FILE* err);

// zorvik-cli sweep: one monitor replayed for every threshold, plan and unit asked for, the best
// by final income first. Exit codes as backtest's.
int run_sweep_command(const QStringList& args, std::FILE* in, std::FILE* out, std::FILE* err);

} // namespace zorvik::cli
