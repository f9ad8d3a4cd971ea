#pragma once
// zorvik-cli records: the bets of a records database, as the 投注历史 tab shows them.

#include <QStringList>
#include <cstdio>

namespace zorvik::cli {

// `args` after the command name: DB [--day YYYY-MM-DD] [--lottery NAME] [--csv].
// Returns the exit code: 0, or 2 (with a line on `err` and nothing on `out`).
int run_records_command(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace zorvik::cli
