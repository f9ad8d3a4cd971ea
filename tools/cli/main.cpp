// zorvik-cli: the lottery rules from the command line, UTF-8 in and out.

#include "backtest_command.h"
#include "commands.h"
#include "plan_command.h"
#include "records_command.h"
#include "trend_command.h"
#include "web_password_command.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromUtf8(argv[i]);

    const auto print = [](std::FILE* to, const QString& text) {
        const QByteArray bytes = text.toUtf8() + '\n';
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    };
    // No command, or --help: every command with a line on what it does.
    if (args.isEmpty() || (args.size() == 1 && (args[0] == u"--help" || args[0] == u"-h"))) {
        print(args.isEmpty() ? stderr : stdout, zorvik::cli::help_text());
        return args.isEmpty() ? 2 : 0;
    }
    if (args.size() == 2 && (args[1] == u"--help" || args[1] == u"-h")) {
        if (const auto usage = zorvik::cli::command_usage(args[0])) {
            print(stdout, *usage);
            return 0;
        }
    }
    if (args.size() == 1 && args[0] == u"batch")
        return zorvik::cli::run_batch(stdin, stdout);
    if (!args.isEmpty() && args[0] == u"backtest")
        return zorvik::cli::run_backtest_command(args.mid(1), stdin, stdout, stderr);
    if (!args.isEmpty() && args[0] == u"sweep")
        return zorvik::cli::run_sweep_command(args.mid(1), stdin, stdout, stderr);
    if (!args.isEmpty() && args[0] == u"records")
        return zorvik::cli::run_records_command(args.mid(1), stdout, stderr);
    if (!args.isEmpty() && args[0] == u"trend")
        return zorvik::cli::run_trend_command(args.mid(1), stdout, stderr);
    if (!args.isEmpty() && args[0] == u"plan")
        return zorvik::cli::run_plan_command(args.mid(1), stdout, stderr);
    if (!args.isEmpty() && args[0] == u"web-password")
        return zorvik::cli::run_web_password_command(args.mid(1), stdin, stdout, stderr);

    const zorvik::cli::CommandResult result = zorvik::cli::run_command(args);
    if (result.code == 2) {
        const QByteArray text = result.error.toUtf8() + '\n';
        std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
        return 2;
    }
    if (args[0] != u"ini-set")
    {
        const QByteArray text = result.out.toUtf8() + '\n';
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    }
    return result.code;
}
