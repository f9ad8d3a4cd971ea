#include "backtest_command.h"

#include "monitor/monitor.h"

#include "cli_io.h"

#include "monitor/backtest.h"
#include "support/ini.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

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
    return monitor::money2(v).toDouble();
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
            bool ok = false;
            const double v = i + 1 < args.size() ? args[i + 1].toDouble(&ok) : 0;
            if (!ok)
                return fail(err, QString::fromLatin1(kUsage));
            (a == u"--stop-profit" ? options.stop_profit : options.stop_loss) = v;
            ++i;
        } else {
            files << a;
        }
    }
    if (files.isEmpty() || files.size() > 2)
        return fail(err, QString::fromLatin1(kUsage));

    QFile history(files[0]);
    if (!history.open(QIODevice::ReadOnly))
        return fail(err, files[0] + u": cannot be read"_s);
    monitor::HistoryError error;
    const auto draws = monitor::parse_history_file(history.readAll(), &error);
    if (!draws)
        return fail(err, files[0] + u':' + QString::number(error.line) + u": "_s + error.reason);

    QString list;
    if (files.size() == 2) {
        if (!QFile(files[1]).open(QIODevice::ReadOnly))
            return fail(err, files[1] + u": cannot be read"_s);
        list = support::ini_read_whole(u"alert_cfg"_s, u"list"_s, files[1]);
    } else {
        for (const QString& line : read_all(in).split(u'\n')) {
            const QString record = QString(line).remove(u'\r').trimmed();
            if (!record.isEmpty())
                list += u'|' + record;
        }
    }

    if (monitor::MonitorList(list).empty())
        return fail(err, (files.size() == 2 ? files[1] + u": alert_cfg/list holds no monitor"_s
                                            : u"zorvik-cli backtest: no monitor on standard input"_s));
    const monitor::BacktestResult r = monitor::run_backtest(list, *draws, options);
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
                {u"income"_s, money_value(o.income())}, {u"lowest"_s, money_value(o.lowest)},
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
    using monitor::money2;
    for (const monitor::MonitorOutcome& o : r.monitors) {
        write(out, QStringList{QString::number(o.position), o.title, QString::number(o.draws),
                               QString::number(o.hits), QString::number(o.misses),
                               QString::number(o.longest_hits), QString::number(o.longest_misses),
                               QString::number(o.alerts), QString::number(o.bets),
                               QString::number(o.wins), money2(o.cost), money2(o.returned),
                               money2(o.income()), money2(o.lowest), o.current}
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
                           money2(r.cost), money2(r.returned), money2(r.income), money2(r.best),
                           money2(r.worst)}
                       .join(u'\t') +
                   u'\n');
    return 0;
}

} // namespace zorvik::cli
