#pragma once
// zorvik-cli trend: the draw trend (走势图) of a history.

#include <QStringList>
#include <cstdio>

namespace zorvik::cli {

// `args` after the command name: HISTORY [--last N] [--json]. Returns 0, or 2 with a line on
// `err` and nothing on `out`.
int run_trend_command(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace zorvik::cli
