#include "trend_command.h"

#include "cli_io.h"

#include "monitor/draw_trend.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::cli {

namespace {

constexpr char kUsage[] = "usage: zorvik-cli trend HISTORY [--last N] [--json]";
const char16_t* const kPositions[] = {u"万位", u"千位", u"百位", u"十位", u"个位"};

QJsonObject stats_json(const monitor::RunStats& s, bool digit)
{
    QJsonObject o{{u"appearances"_s, s.appearances},
                  {u"current_miss"_s, s.current_miss},
                  {u"longest_miss"_s, s.longest_miss},
                  {u"longest_run"_s, s.longest_run}};
    if (digit)
        o.insert(u"digit"_s, s.name.toInt());
    else
        o.insert(u"name"_s, s.name);
    return o;
}

QString stats_line(const QString& position, const monitor::RunStats& s)
{
    return position + u'\t' + s.name + u"\t出现 "_s + QString::number(s.appearances) + u"\t当前遗漏 "_s +
           QString::number(s.current_miss) + u"\t最大遗漏 "_s + QString::number(s.longest_miss) + u"\t最大连出 "_s +
           QString::number(s.longest_run) + u'\n';
}

} // namespace

int run_trend_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    QString file;
    int last = 0;
    bool json = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--json") {
            json = true;
        } else if (args[i] == u"--last" && i + 1 < args.size()) {
            bool ok = false;
            last = args[++i].toInt(&ok);
            if (!ok || last < 1)
                return fail(err, u"zorvik-cli trend: --last takes a positive whole number: "_s + args[i]);
        } else if (file.isEmpty() && !args[i].startsWith(u"--"_s)) {
            file = args[i];
        } else {
            return fail(err, QString::fromUtf8(kUsage));
        }
    }
    if (file.isEmpty())
        return fail(err, QString::fromUtf8(kUsage));
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return fail(err, u"zorvik-cli trend: cannot read "_s + file);
    monitor::HistoryError error;
    const auto draws = monitor::parse_history_file(f.readAll(), &error);
    if (!draws)
        return fail(err, u"zorvik-cli trend: line "_s + QString::number(error.line) + u": "_s + error.reason);
    const monitor::DrawTrend t = monitor::compute_draw_trend(*draws, last);
    if (json) {
        QJsonArray shown;
        for (const monitor::HistoryDraw& d : t.draws)
            shown.append(QJsonObject{{u"issue"_s, d.issue}, {u"numbers"_s, d.numbers}});
        QJsonArray positions;
        for (const monitor::PositionTrend& p : t.positions) {
            QJsonArray digits, big_small, odd_even;
            for (const monitor::RunStats& s : p.digits)
                digits.append(stats_json(s, true));
            for (const monitor::RunStats& s : p.big_small)
                big_small.append(stats_json(s, false));
            for (const monitor::RunStats& s : p.odd_even)
                odd_even.append(stats_json(s, false));
            positions.append(QJsonObject{{u"digits"_s, digits}, {u"big_small"_s, big_small}, {u"odd_even"_s, odd_even}});
        }
        write(out, QString::fromUtf8(QJsonDocument(QJsonObject{{u"draws"_s, shown}, {u"positions"_s, positions}})
                                         .toJson(QJsonDocument::Compact)) +
                       u'\n');
        return 0;
    }
    // The grid: a draw a line, each position's ten cells (the drawn digit in brackets, else the
    // draws it has missed); then the counts per position.
    QString text;
    for (qsizetype i = 0; i < t.draws.size(); ++i) {
        text += t.draws[i].issue + u'\t' + t.draws[i].numbers;
        for (int p = 0; p < 5; ++p)
            for (int d = 0; d < 10; ++d) {
                const int miss = t.misses[i][size_t(p)][size_t(d)];
                text += u'\t' + (miss == 0 ? u'[' + QString::number(d) + u']' : QString::number(miss));
            }
        text += u'\n';
    }
    for (int p = 0; p < 5; ++p) {
        const QString position = QString::fromUtf16(kPositions[p]);
        const monitor::PositionTrend& pt = t.positions[size_t(p)];
        for (const monitor::RunStats& s : pt.digits)
            text += stats_line(position, s);
        for (const monitor::RunStats& s : pt.big_small)
            text += stats_line(position, s);
        for (const monitor::RunStats& s : pt.odd_even)
            text += stats_line(position, s);
    }
    write(out, text);
    return 0;
}

} // namespace zorvik::cli
