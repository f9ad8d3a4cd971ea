#include "backtest_command.h"

#include "monitor/monitor.h"

#include "cli_io.h"
#include "commands.h"

#include "monitor/backtest.h"
#include "monitor/sweep.h"
#include "rules/bets.h"
#include "support/ini.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::cli {

namespace {

constexpr char kUsage[] =
    "usage: zorvik-cli backtest HISTORY [SETTINGS] [--stop-profit X] [--stop-loss Y] [--json]";

QString read_all(std::FILE* in)
{
    QByteArray bytes;
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes.append(buffer, qsizetype(n));
    return QString::fromUtf8(bytes);
}

QJsonValue money_value(double v)
{
    return monitor::report_money(v).toDouble();
}

// A history file's draws, or nothing with the file (and line) and why.
std::optional<QVector<monitor::HistoryDraw>> read_history(const QString& name, QString* why)
{
    QFile history(name);
    if (!history.open(QIODevice::ReadOnly)) {
        *why = name + u": cannot be read"_s;
        return std::nullopt;
    }
    monitor::HistoryError error;
    auto draws = monitor::parse_history_file(history.readAll(), &error);
    if (!draws)
        *why = name + u':' + QString::number(error.line) + u": "_s + error.reason;
    return draws;
}

// The monitor list of a settings file's alert_cfg/list, or of the records on standard input
// (one a line) when there is no settings file; nothing, with why, when it holds no monitor.
std::optional<QString> read_monitors(const QString& settings, std::FILE* in, const QString& command,
                                     QString* why)
{
    QString list;
    if (!settings.isEmpty()) {
        if (!QFile(settings).open(QIODevice::ReadOnly)) {
            *why = settings + u": cannot be read"_s;
            return std::nullopt;
        }
        list = support::ini_read_whole(u"alert_cfg"_s, u"list"_s, settings);
    } else {
        for (const QString& line : read_all(in).split(u'\n')) {
            const QString record = QString(line).remove(u'\r').trimmed();
            if (!record.isEmpty())
                list += u'|' + record;
        }
    }
    if (monitor::MonitorList(list).empty()) {
        *why = !settings.isEmpty() ? settings + u": alert_cfg/list holds no monitor"_s
                                   : u"zorvik-cli "_s + command + u": no monitor on standard input"_s;
        return std::nullopt;
    }
    return list;
}

// An amount option's value, or nothing when it is missing or not a number.
std::optional<double> amount_at(const QStringList& args, qsizetype i)
{
    bool ok = false;
    const double v = i + 1 < args.size() ? args[i + 1].toDouble(&ok) : 0;
    return ok ? std::optional<double>(v) : std::nullopt;
}

} // namespace

int run_backtest_command(const QStringList& args, std::FILE* in, std::FILE* out, std::FILE* err)
{
    QStringList files;
    monitor::BacktestOptions options;
    bool json = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--json") {
            json = true;
        } else if (a == u"--stop-profit" || a == u"--stop-loss") {
            const auto v = amount_at(args, i);
            if (!v)
                return fail(err, QString::fromLatin1(kUsage));
            (a == u"--stop-profit" ? options.stop_profit : options.stop_loss) = *v;
            ++i;
        } else {
            files << a;
        }
    }
    if (files.isEmpty() || files.size() > 2)
        return fail(err, QString::fromLatin1(kUsage));

    QString why;
    const auto draws = read_history(files[0], &why);
    if (!draws)
        return fail(err, why);
    const auto list = read_monitors(files.value(1), in, u"backtest"_s, &why);
    if (!list)
        return fail(err, why);
    const monitor::BacktestResult r = monitor::run_backtest(*list, *draws, options);
    if (json) {
        QJsonArray monitors;
        for (const monitor::MonitorOutcome& o : r.monitors) {
            monitors.append(QJsonObject{
                {u"position"_s, o.position},      {u"title"_s, o.title},
                {u"draws"_s, double(o.draws)},     {u"hits"_s, o.hits},
                {u"misses"_s, o.misses},          {u"longest_hits"_s, o.longest_hits},
                {u"longest_misses"_s, o.longest_misses}, {u"alerts"_s, o.alerts},
                {u"bets"_s, o.bets},              {u"wins"_s, o.wins},
                {u"cost"_s, money_value(o.cost)}, {u"return"_s, money_value(o.returned)},
                {u"income"_s, money_value(o.income())}, {u"lowest"_s, money_value(o.lowest)}, {u"lowest_issue"_s, o.lowest_issue},
                {u"current"_s, o.current}, {u"stuck_from"_s, o.stuck_from},
                {u"stuck_issue"_s, o.stuck_issue}});
        }
        const QJsonObject total{{u"bets"_s, r.bets},
                                {u"wins"_s, r.wins},
                                {u"cost"_s, money_value(r.cost)},
                                {u"return"_s, money_value(r.returned)},
                                {u"income"_s, money_value(r.income)},
                                {u"best"_s, money_value(r.best)},
                                {u"worst"_s, money_value(r.worst)}};
        write(out, QString::fromUtf8(QJsonDocument(QJsonObject{{u"monitors"_s, monitors},
                                                              {u"total"_s, total}})
                                         .toJson(QJsonDocument::Indented)));
        return 0;
    }
    using monitor::report_money;
    for (const monitor::MonitorOutcome& o : r.monitors) {
        write(out, QStringList{QString::number(o.position), o.title, QString::number(o.draws),
                               QString::number(o.hits), QString::number(o.misses),
                               QString::number(o.longest_hits), QString::number(o.longest_misses),
                               QString::number(o.alerts), QString::number(o.bets),
                               QString::number(o.wins), report_money(o.cost), report_money(o.returned),
                               report_money(o.income()), report_money(o.lowest), o.current}
                           .join(u'\t') +
                       u'\n');
    }
    // A monitor whose value would have passed 32767 stopped updating, as a live one does.
    for (const monitor::MonitorOutcome& o : r.monitors) {
        if (o.stuck_from)
            write(out, QStringList{u"stuck"_s, QString::number(o.position), o.title,
                                   QString::number(o.stuck_from), o.stuck_issue}
                               .join(u'\t') +
                           u'\n');
    }
    write(out, QStringList{u"total"_s, QString::number(r.bets), QString::number(r.wins),
                           report_money(r.cost), report_money(r.returned), report_money(r.income), report_money(r.best),
                           report_money(r.worst)}
                       .join(u'\t') +
                   u'\n');
    return 0;
}

int run_sweep_command(const QStringList& args, std::FILE* in, std::FILE* out, std::FILE* err)
{
    const QString usage = *command_usage(u"sweep"_s);
    QStringList files;
    monitor::BacktestOptions options;
    monitor::SweepRanges ranges;
    int position = 0;
    qsizetype top = 20;
    bool json = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const QString value = args.value(i + 1);
        const bool has_value = i + 1 < args.size();
        if (a == u"--json") {
            json = true;
            continue;
        }
        if (!a.startsWith(u"--")) {
            files << a;
            continue;
        }
        if (!has_value)
            return fail(err, usage);
        ++i;
        if (a == u"--stop-profit" || a == u"--stop-loss") {
            const auto v = amount_at(args, i - 1);
            if (!v)
                return fail(err, usage);
            (a == u"--stop-profit" ? options.stop_profit : options.stop_loss) = *v;
        } else if (a == u"--monitor") {
            bool ok = false;
            position = value.toInt(&ok);
            if (!ok || position < 1)
                return fail(err, usage);
        } else if (a == u"--top") {
            bool ok = false;
            top = value.toInt(&ok);
            if (!ok || top < 1)
                return fail(err, usage);
        } else if (a == u"--threshold") {
            const auto t = monitor::parse_threshold_range(value);
            if (!t)
                return fail(err, u"zorvik-cli sweep: not a threshold range: "_s + value);
            ranges.thresholds = *t;
        } else if (a == u"--plan") {
            ranges.plans = value.split(u'|');
        } else if (a == u"--unit") {
            const auto u = monitor::parse_units(value);
            if (!u)
                return fail(err, u"zorvik-cli sweep: not money units: "_s + value);
            ranges.units = *u;
        } else {
            return fail(err, usage);
        }
    }
    if (files.isEmpty() || files.size() > 2 || (files.size() == 2 && position == 0))
        return fail(err, usage);

    QString why;
    const auto draws = read_history(files[0], &why);
    if (!draws)
        return fail(err, why);
    const auto list = read_monitors(files.value(1), in, u"sweep"_s, &why);
    if (!list)
        return fail(err, why);
    const monitor::MonitorList monitors(*list);
    const QVector<int> positions = monitors.positions();
    if (files.size() == 1 && position == 0 && positions.size() != 1)
        return fail(err, u"zorvik-cli sweep: give --monitor N, or one record on standard input"_s);
    const int index = position == 0 ? 0 : position - 1;
    if (index >= positions.size())
        return fail(err, u"zorvik-cli sweep: there is no monitor "_s + QString::number(position) +
                             u" (the list holds "_s + QString::number(positions.size()) + u')');
    const QString record = monitors.at(positions[index])->text();
    const auto variants = monitor::sweep_variants(record, ranges, &why);
    if (!variants)
        return fail(err, u"zorvik-cli sweep: "_s + why);

    QElapsedTimer clock;
    clock.start();
    QVector<monitor::SweepOutcome> results = monitor::run_sweep(record, *variants, *draws, options);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::stable_sort(results.begin(), results.end(), [](const monitor::SweepOutcome& a, const monitor::SweepOutcome& b) {
        return a.outcome.income() > b.outcome.income();
    });
    results.resize(std::min(results.size(), top));

    using monitor::report_money;
    const auto unit_text = [](int code) { return rules::unit_name(code); };
    if (json) {
        QJsonArray best;
        for (const monitor::SweepOutcome& r : results) {
            const monitor::MonitorOutcome& o = r.outcome;
            best.append(QJsonObject{{u"threshold"_s, r.variant.threshold}, {u"plan"_s, r.variant.plan},
                                    {u"unit"_s, unit_text(r.variant.unit)}, {u"bets"_s, o.bets},
                                    {u"wins"_s, o.wins}, {u"cost"_s, money_value(o.cost)},
                                    {u"return"_s, money_value(o.returned)},
                                    {u"income"_s, money_value(o.income())},
                                    {u"lowest"_s, money_value(o.lowest)},
                                    {u"longest_misses"_s, o.longest_misses},
                                    {u"lowest_issue"_s, o.lowest_issue}});
        }
        write(out, QString::fromUtf8(QJsonDocument(QJsonObject{{u"best"_s, best},
                                                              {u"variants"_s, variants->size()},
                                                              {u"seconds"_s, seconds}})
                                         .toJson(QJsonDocument::Indented)));
        return 0;
    }
    for (const monitor::SweepOutcome& r : results) {
        const monitor::MonitorOutcome& o = r.outcome;
        write(out, QStringList{QString::number(r.variant.threshold), r.variant.plan, unit_text(r.variant.unit),
                               QString::number(o.bets), QString::number(o.wins), report_money(o.cost),
                               report_money(o.returned), report_money(o.income()), report_money(o.lowest),
                               QString::number(o.longest_misses), o.lowest_issue}
                           .join(u'\t') +
                       u'\n');
    }
    write(out, u"variants\t"_s + QString::number(variants->size()) + u'\t' +
                   QString::number(seconds, 'f', 3) + u'\n');
    return 0;
}

} // namespace zorvik::cli
