#include "monitor/sweep.h"

#include "monitor/monitor.h"
#include "rules/bets.h"
#include "rules/plays.h"

#include <QRegularExpression>
#include <atomic>
#include <thread>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

namespace {

bool plan_ok(const QString& plan)
{
    static const QRegularExpression form(u"^\\d+(,\\d+)*$"_s);
    return form.match(plan).hasMatch();
}

} // namespace

std::optional<QVector<int>> parse_threshold_range(const QString& text)
{
    static const QRegularExpression form(u"^(\\d+)(?:\\.\\.(\\d+)(?::(\\d+))?)?$"_s);
    const auto m = form.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = true;
    const qint64 from = m.captured(1).toLongLong(&ok);
    const qint64 to = m.captured(2).isEmpty() ? from : m.captured(2).toLongLong();
    const qint64 step = m.captured(3).isEmpty() ? 1 : m.captured(3).toLongLong();
    if (!ok || to < from || to > 32767 || step < 1)
        return std::nullopt;
    QVector<int> out;
    for (qint64 t = from; t <= to; t += step)
        out << int(t);
    return out;
}

std::optional<QVector<int>> parse_units(const QString& text)
{
    QVector<int> out;
    for (const QString& part : text.split(u',')) {
        const QString u = part.trimmed();
        int code = 0;
        for (int c = 1; c <= 4 && !code; ++c)
            if (u == QString::number(c) || u == rules::unit_name(c))
                code = c;
        if (!code)
            return std::nullopt;
        out << code;
    }
    return out;
}

std::optional<QVector<SweepVariant>> sweep_variants(const QString& record, const SweepRanges& ranges,
                                                   QString* error)
{
    const Monitor m = Monitor::from_text(record);
    const Condition& c = m.condition();
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (c.category != Condition::Miss && c.category != Condition::Run)
        return fail(u"the monitor is not a 遗漏 or 连中 monitor"_s);
    if (c.compare != Condition::AtLeast && c.compare != Condition::AtMost && c.compare != Condition::Equal)
        return fail(u"the monitor's condition has no threshold"_s);
    const QVector<int> thresholds = ranges.thresholds.isEmpty() ? QVector<int>{c.threshold} : ranges.thresholds;
    const QStringList plans = ranges.plans.isEmpty() ? QStringList{m.field(kBetPlan)} : ranges.plans;
    bool own_unit = false;
    const int unit = m.field(kMoneyUnit).toInt(&own_unit);
    const QVector<int> units = ranges.units.isEmpty() ? QVector<int>{own_unit ? unit : 1} : ranges.units;
    QVector<SweepVariant> out;
    for (const QString& plan : plans)
        if (!plan_ok(plan))
            return fail(u"not a plan: "_s + plan);
    for (const int u : units)
        if (u < 1 || u > 4)
            return fail(u"not a money unit: "_s + QString::number(u));
    for (const int t : thresholds)
        for (const QString& plan : plans)
            for (const int u : units)
                out.append({t, plan, u});
    return out;
}

QString variant_record(const QString& record, const SweepVariant& v)
{
    Monitor m = Monitor::from_text(record);
    const QString comparison = m.field(kCondition).left(1);
    const QString threshold = QString::number(v.threshold);
    m.set(kCondition, comparison + threshold);
    m.set(kConditionText, rules::comparison_word(comparison).trimmed() + threshold);
    m.set(kAutoBet, u"1"_s);
    m.set(kBetPlan, v.plan);
    m.set(kMoneyUnit, QString::number(v.unit));
    return m.text();
}

QVector<SweepOutcome> run_sweep(const QString& record, const QVector<SweepVariant>& variants,
                                const QVector<HistoryDraw>& draws, const BacktestOptions& options)
{
    QVector<SweepOutcome> out;
    const bool stops = options.stop_profit || options.stop_loss;
    if (!stops) {
        QString list;
        for (const SweepVariant& v : variants)
            list += u'|' + variant_record(record, v);
        const BacktestResult r = run_backtest(list, draws, options);
        for (qsizetype i = 0; i < variants.size() && i < r.monitors.size(); ++i)
            out.append({variants[i], r.monitors[i]});
        return out;
    }
    // Sessions of their own, the variants shared between two threads: this one tells the
    // progress over both and passes a cancel on.
    std::atomic<qint64> done{0};
    std::atomic<bool> cancelled{false};
    const auto sessions = [&](qsizetype from, qsizetype to, bool tells) {
        QVector<SweepOutcome> part;
        for (qsizetype i = from; i < to && !cancelled; ++i) {
            BacktestOptions one = options;
            one.threads = 1;
            qint64 counted = 0;
            one.progress = [&](qint64 n) {
                done += n - std::exchange(counted, n);
                if (tells && options.progress && !options.progress(done))
                    cancelled = true;
                return !cancelled;
            };
            const BacktestResult r = run_backtest(u'|' + variant_record(record, variants[i]), draws, one);
            part.append({variants[i], r.monitors.value(0)});
        }
        return part;
    };
    const qsizetype half = variants.size() >= 8 && std::thread::hardware_concurrency() >= 2 ? variants.size() / 2 : 0;
    if (half == 0)
        return sessions(0, variants.size(), true);
    QVector<SweepOutcome> second;
    std::thread helper([&] { second = sessions(half, variants.size(), false); });
    out = sessions(0, half, true);
    helper.join();
    // A cancel ends the sweep with the variants replayed in full, in order.
    if (cancelled) {
        if (out.size() < half)
            return out;
        second.clear();
    }
    out += second;
    return out;
}

} // namespace zorvik::monitor
