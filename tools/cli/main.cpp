// zorvik-cli: the lottery rules from the command line, UTF-8 in and out.

#include "backtest_command.h"
#include "commands.h"
#include "records_command.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromUtf8(argv[i]);

    if (args.size() == 1 && args[0] == u"batch")
        return zorvik::cli::run_batch(stdin, stdout);
    if (!args.isEmpty() && args[0] == u"backtest")
        return zorvik::cli::run_backtest_command(args.mid(1), stdin, stdout, stderr);
    if (!args.isEmpty() && args[0] == u"records")
        return zorvik::cli::run_records_command(args.mid(1), stdout, stderr);

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
