#pragma once
// zorvik-cli plan: the multiplier-plan calculator's table.

#include <QStringList>
#include <cstdio>

namespace zorvik::cli {

// `args` after the command name: TITLE NUMBERS --unit U --odds N --steps K [--first M]
// (--profit X | --rate R) [--max-multiplier M] [--budget B] [--json]. Returns 0, or 2 with a
// line on `err` and nothing on `out`.
int run_plan_command(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace zorvik::cli
