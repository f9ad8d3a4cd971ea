#pragma once
// zorvik-cli web-password: sets the web dashboard's password, read from standard input, keeping
// only its digest in the settings file.

#include <QStringList>
#include <cstdio>

namespace zorvik::cli {

// `args` after the command name: SETTINGS_FILE. The password is the first line of `in`.
// Returns 0, or 2 with a line on `err`.
int run_web_password_command(const QStringList& args, std::FILE* in, std::FILE* out, std::FILE* err);

} // namespace zorvik::cli
