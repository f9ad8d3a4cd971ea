#include "commands.h"

#include "rules/bets.h"
#include "rules/hit.h"
#include "rules/plays.h"
#include "rules/validate.h"
#include "support/date.h"
#include "support/ini.h"
#include "support/md5.h"
#include "support/money.h"
#include "support/text.h"

#include <QByteArray>
#include <functional>
#include <optional>
#include <span>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::cli {
namespace {

using Args = std::span<const QString>;

struct Command {
    const char* name;
    const char* arguments; // for the usage line
    const char* summary;   // one line for the help
    int count;             // number of arguments
    std::function<CommandResult(Args)> run;
};

std::optional<double> to_number(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<int> to_integer(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

CommandResult done(const QString& text)
{
    return {escape_field(text), {}, 0};
}

CommandResult refused(const QString& reason)
{
    return {{}, reason, 2};
}

QString not_a_number(const char* what, const QString& text)
{
    return QString::fromLatin1(what) + u" is not a number: "_s + escape_field(text);
}

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"hit", "DRAW POSITIONS PLAY NUMBERS", "中 or 挂 for the draw's digits", 4,
         [](Args a) { return done(rules::hit_test(a[0], a[1], a[3], a[2]).mark); }},
        {"lines", "DRAW POSITIONS PLAY NUMBERS", "winning lines of the bet on the draw's digits", 4,
         [](Args a) { return done(QString::number(rules::win_lines(a[0], a[1], a[3], a[2]))); }},
        {"count", "TITLE NUMBERS", "number of bet lines", 2,
         [](Args a) { return done(QString::number(rules::bet_count(a[0], a[1]))); }},
        {"cost", "COUNT MULTIPLIER UNIT", "cost in amount text, to the 厘", 3,
         [](Args a) {
             const auto count = to_number(a[0]);
             if (!count)
                 return refused(not_a_number("COUNT", a[0]));
             const auto multiplier = to_number(a[1]);
             if (!multiplier)
                 return refused(not_a_number("MULTIPLIER", a[1]));
             return done(rules::bet_cost(*count, *multiplier, a[2]));
         }},
        {"win", "TITLE MULTIPLIER UNIT ODDS", "what one winning line returns", 4,
         [](Args a) {
             const auto multiplier = to_number(a[1]);
             if (!multiplier)
                 return refused(not_a_number("MULTIPLIER", a[1]));
             return done(rules::win_amount(a[0], *multiplier, a[2], a[3]));
         }},
        {"validate", "N PLAY NUMBERS", "normalised numbers, TAB, error text (empty if valid)", 3,
         [](Args a) {
             const auto n = to_integer(a[0]);
             if (!n)
                 return refused(not_a_number("N", a[0]));
             QString numbers = a[2];
             const QString message = rules::validate_numbers(numbers, *n, a[1]);
             return CommandResult{escape_field(numbers) + u'\t' + escape_field(message), {}, 0};
         }},
        {"group", "LETTERS", "group name of position letters", 1, [](Args a) { return done(rules::group_name(a[0])); }},
        {"plays", "COUNT", "plays offered for a position count", 1,
         [](Args a) {
             const auto count = to_integer(a[0]);
             if (!count)
                 return refused(not_a_number("COUNT", a[0]));
             return done(rules::plays_for_count(*count));
         }},
        {"money", "VALUE", "money text of a value", 1,
         [](Args a) {
             const auto value = to_number(a[0]);
             if (!value)
                 return refused(not_a_number("VALUE", a[0]));
             return done(support::money_text(*value));
         }},
        {"md5", "TEXT", "MD5 of the text in GBK, upper-case hex", 1, [](Args a) { return done(support::Md5_Calc(a[0])); }},
        {"urlencode", "TEXT", "the text URL-encoded in GBK", 1, [](Args a) { return done(support::url_encode(a[0])); }},
        {"date", "VALUE MODE", "a date in one of the program's forms", 2,
         [](Args a) {
             const auto mode = to_integer(a[1]);
             if (!mode)
                 return refused(not_a_number("MODE", a[1]));
             return done(support::format_date(a[0], *mode));
         }},
        {"ini-get", "FILE SECTION KEY", "a key of a settings file", 3,
         [](Args a) { return done(support::ini_read(a[1], a[2], a[0])); }},
        {"ini-set", "FILE SECTION KEY VALUE", "writes a key of a settings file; exit 0 when written, 1 when not", 4,
         [](Args a) {
             const int written = support::ini_write(a[1], a[2], a[3], a[0]);
             return CommandResult{{}, {}, written ? 0 : 1};
         }},
    };
    return table;
}

QString usage_of(const Command& command)
{
    return u"usage: zorvik-cli "_s + QString::fromLatin1(command.name) + u' ' +
           QString::fromLatin1(command.arguments);
}

// The commands that take their arguments themselves, after the table's.
struct OtherCommand {
    const char* name;
    const char* usage;
    const char* summary;
};
constexpr OtherCommand kOtherCommands[] = {
    {"batch", "batch", "one command per standard-input line, fields separated by TAB"},
    {"backtest", "backtest HISTORY [SETTINGS] [--stop-profit X] [--stop-loss Y] [--json]",
     "replays monitors over a draw history with simulated betting"},
    {"sweep",
     "sweep HISTORY [SETTINGS] --monitor N --threshold A..B[:STEP] [--plan \"1,2,4|1,3,9\"] [--unit 元,角] "
     "[--stop-profit X] [--stop-loss Y] [--top K] [--json]",
     "replays one monitor for every threshold, plan and unit; prints the best by income"},
    {"records", "records DB [--day YYYY-MM-DD] [--lottery NAME] [--kind real|simulated] [--csv]",
     "prints the recorded bets with the day totals"},
    {"web-password", "web-password SETTINGS_FILE", "sets the web dashboard's password, read from standard input"},
    {"plan",
     "plan TITLE NUMBERS --unit U --odds N --steps K [--first M] (--profit X | --rate R) [--max-multiplier M] "
     "[--budget B] [--json]",
     "the multiplier plan whose every win leaves the profit or rate asked for"},
    {"trend", "trend HISTORY [--last N] [--json]",
     "the draw trend: each digit's misses per position, with appearances and runs"},
};

QString general_usage()
{
    QStringList names;
    for (const Command& command : commands())
        names << QString::fromLatin1(command.name);
    for (const OtherCommand& other : kOtherCommands)
        names << QString::fromLatin1(other.name);
    return u"usage: zorvik-cli COMMAND ARGS... (commands: "_s + names.join(u", "_s) +
           u"; zorvik-cli --help lists them)"_s;
}

} // namespace

QString help_text()
{
    QStringList lines{u"usage: zorvik-cli COMMAND ARGS...   (zorvik-cli COMMAND --help: its usage)"_s, QString()};
    const auto line = [&](const QString& usage, const char* summary) {
        lines << u"  "_s + usage.leftJustified(44) + u"  "_s + QString::fromUtf8(summary);
    };
    for (const Command& command : commands())
        line(QString::fromLatin1(command.name) + u' ' + QString::fromLatin1(command.arguments), command.summary);
    for (const OtherCommand& other : kOtherCommands)
        line(QString::fromUtf8(other.usage), other.summary);
    return lines.join(u'\n');
}

std::optional<QString> command_usage(const QString& name)
{
    for (const Command& command : commands())
        if (name == QLatin1String(command.name))
            return usage_of(command);
    for (const OtherCommand& other : kOtherCommands)
        if (name == QLatin1String(other.name))
            return u"usage: zorvik-cli "_s + QString::fromUtf8(other.usage);
    return std::nullopt;
}

QString escape_field(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': out += u"\\\\"_s; break;
        case u'\t': out += u"\\t"_s; break;
        case u'\r': out += u"\\r"_s; break;
        case u'\n': out += u"\\n"_s; break;
        default: out += c;
        }
    }
    return out;
}

CommandResult run_command(const QStringList& args)
{
    if (args.isEmpty())
        return refused(general_usage());
    for (const Command& command : commands()) {
        if (args[0] != QLatin1String(command.name))
            continue;
        if (args.size() - 1 != command.count)
            return refused(usage_of(command));
        CommandResult result = command.run(Args(args.constData() + 1, args.size() - 1));
        if (result.code == 2)
            result.error = usage_of(command) + u" ("_s + result.error + u')';
        return result;
    }
    return refused(u"unknown command "_s + escape_field(args[0]) + u"; "_s + general_usage());
}

int run_batch(std::FILE* in, std::FILE* out)
{
    QByteArray line;
    QByteArray buffer;
    int c = 0;
    bool more = true;
    while (more) {
        line.clear();
        while ((c = getc_unlocked(in)) != EOF && c != '\n')
            line.append(char(c));
        if (c == EOF) {
            more = false;
            if (line.isEmpty())
                break;
        }
        if (line.endsWith('\r'))
            line.chop(1);
        const QStringList fields = QString::fromUtf8(line).split(u'\t');
        CommandResult result;
        if (fields.size() == 1 && fields[0] == u"batch"_s)
            result = refused(QStringLiteral("batch cannot be nested"));
        else
            result = run_command(fields);
        const QString text = result.code == 2 ? u"error: "_s + result.error : result.out;
        buffer = text.toUtf8();
        buffer.append('\n');
        std::fwrite(buffer.constData(), 1, size_t(buffer.size()), out);
    }
    std::fflush(out);
    return 0;
}

} // namespace zorvik::cli
