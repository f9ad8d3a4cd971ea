#pragma once
// The rules calculator behind zorvik-cli: one command line in, one result out.

#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

namespace zorvik::cli {

struct CommandResult {
    QString out;   // the result line, already escaped, without its line end
    QString error; // the reason when the command was refused
    int code = 0;  // 0 done, 1 the command ran and failed (ini-set), 2 refused
};

// args[0] is the command name, the rest its arguments.
CommandResult run_command(const QStringList& args);

// Every command with its arguments and a one-line summary.
QString help_text();
// "usage: zorvik-cli NAME ARGS" of a command, or nothing for an unknown name.
std::optional<QString> command_usage(const QString& name);

// Backslash, TAB, CR and LF written as \\, \t, \r and \n.
QString escape_field(const QString& text);

// One command per input line (TAB between fields, a trailing CR ignored), exactly one output
// line per input line; a refused command writes "error: " and its reason. Returns 0.
int run_batch(std::FILE* in, std::FILE* out);

} // namespace zorvik::cli
