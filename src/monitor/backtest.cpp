#include "monitor/backtest.h"

#include "support/money.h"

#include "monitor/bet_placer.h"
#include "monitor/engine.h"
#include "monitor/replay.h"
#include "support/shell.h"

#include <QHash>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

namespace {

// Simulated money: every bet placed, at its cost; none after the last draw (no issue to bet on).
class ReplayPlacer final : public ImmediatePlacer {
public:
    BetResult place(const BetOrder& order) override
    {
        if (order.issue.isEmpty())
            return {0, QString(), QString(), u"回测结束"_s};
        return {1, u"BT"_s + QString::number(++placed_), order.cost, u"ok"_s};
    }

private:
    int placed_ = 0;
};

double number(const QString& text)
{
    return text.trimmed().toDouble();
}

} // namespace

QString report_money(double value)
{
    QString text = QString::number(double(support::whole_li(value)) / 1000, 'f', 3);
    while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.')))
        text.chop(1);
    return text == u"-0" ? u"0"_s : text;
}

namespace {

// The draws given to the live engine one by one, its bets placed by a placer of simulated money.
BacktestResult replay_through_engine(const MonitorList& list, const QVector<HistoryDraw>& draws,
                                     const BacktestOptions& options)
{
    QTemporaryDir nowhere; // the engine's settings file; a replay writes nothing there
    support::SilentShell shell;
    ReplayPlacer placer;
    MonitorEngine engine(shell, nowhere.filePath(u"bao/cfg.ini"_s));
    QHash<QString, QString> lookup;
    DrawState state;
    state.lookup = &lookup;
    engine.set_alert_options(false, false);
    engine.set_placer(&placer);
    engine.set_breathe_interval(1 << 30); // nothing else runs during a replay
    engine.set_draw_source([&state] { return state; });
    const auto stop = [](const std::optional<double>& v, double none) {
        return QString::number(v.value_or(none), 'g', 17);
    };
    const std::pair<QString, QString> stops(stop(options.stop_profit, 1e300),
                                            stop(options.stop_loss, -1e300));
    engine.set_stop_source([&stops] { return stops; });
    engine.load_text(list.text());
    engine.set_lottery(u"回测"_s);

    BacktestResult result;
    QHash<quint64, int> index; // monitor identity → its outcome
    QVector<int> outcome_at(engine.list().size()); // list position → its outcome
    QHash<quint64, double> running;
    for (const auto& [position, m] : engine.list().records()) {
        outcome_at[position] = int(result.monitors.size());
        index.insert(m.uid(), int(result.monitors.size()));
        MonitorOutcome o;
        o.position = position;
        o.title = m.field(kTitle);
        result.monitors.append(o);
    }
    const auto outcome = [&](int row) -> MonitorOutcome* {
        const auto it = index.constFind(engine.bet_log().at(row).monitor);
        return it == index.cend() ? nullptr : &result.monitors[*it];
    };
    QObject::connect(&engine, &MonitorEngine::bet_added, [&](int row) {
        if (MonitorOutcome* o = outcome(row))
            ++o->bets;
    });
    const QString* judged_issue = nullptr; // the draw being judged
    QObject::connect(&engine, &MonitorEngine::bet_settled, [&](int row) {
        const BetRow& bet = engine.bet_log().at(row);
        const double cost = number(bet.columns[kBetCost]);
        const double back = number(bet.columns[kBetReturn]);
        const bool won = bet.columns[kBetResult] == u"中";
        result.cost += cost;
        result.returned += back;
        result.wins += won ? 1 : 0;
        if (MonitorOutcome* o = outcome(row)) {
            o->cost += cost;
            o->returned += back;
            o->wins += won ? 1 : 0;
            double& income = running[bet.monitor];
            income += back - cost;
            if (income < o->lowest) {
                o->lowest = income;
                o->lowest_issue = judged_issue ? *judged_issue : QString();
            }
        }
    });

    // Monitoring starts before the first draw, from the monitors' initial values.
    engine.set_monitoring(true, false);
    std::vector<qint64> alerts(size_t(result.monitors.size())); // by outcome, counted apart: compact
    // Where each monitor's draw count started: the draws that updated it are counted from there.
    std::vector<qint64> first_count(size_t(result.monitors.size()));
    for (const MonitorOutcome& o : std::as_const(result.monitors))
        first_count[size_t(outcome_at[o.position])] = engine.list().find(o.position)->field(kDrawCount).toLongLong();
    QString previous_key;
    for (int i = 0; i < draws.size() && engine.monitoring(); ++i) {
        judged_issue = &draws[i].issue;
        state.awd_iss = draws[i].issue;
        state.awd_nums = draws[i].numbers;
        state.next_iss_no = i + 1 < draws.size() ? draws[i + 1].issue : QString();
        state.bet_iss = state.next_iss_no;
        // A bet is placed on the next draw and settled when that draw is judged: the lookup
        // holds the draw being judged and the one before, not a whole history.
        const QString key = QString(draws[i].issue).remove(u'-');
        lookup.insert(key, draws[i].numbers);
        engine.evaluate_draw();
        lookup.remove(previous_key);
        previous_key = key;
        // The rows of the draw's rebuild tell which monitors alerted (positions do not move
        // during a replay: nothing edits the list).
        qint64* counted = alerts.data();
        const int* at = outcome_at.constData();
        for (const MonitorRow& row : engine.rows())
            counted[at[row.position]] += row.alerts;
        result.draws_replayed = i + 1;
        if (options.progress && !options.progress(i + 1))
            break;
    }

    for (const auto& [position, m] : engine.list().records()) {
        const int k = index.value(m.uid());
        finish_outcome(result.monitors[k], m, first_count[size_t(k)], draws, result.draws_replayed);
        result.monitors[k].alerts = alerts[size_t(k)];
    }
    result.bets = engine.session().bets;
    result.income = engine.session().income;
    result.best = engine.session().best;
    result.worst = engine.session().worst;
    return result;
}

} // namespace

void finish_outcome(MonitorOutcome& o, const Monitor& m, qint64 first_count, const QVector<HistoryDraw>& draws,
                    qint64 replayed)
{
    // The counts in 64 bits: every draw judged a monitor until one could not update it (a value
    // would pass 32767, where it stops as a live one does), so the draws that updated it, its
    // hits over all of them and its longest runs (a run cannot pass 32767) are exact.
    o.current = m.field(kCurrent);
    const std::optional<Counts>& c = m.counts();
    if (c) {
        o.draws = c->draw_count - first_count;
        o.hits = c->all_hits;
        o.misses = o.draws - o.hits;
        o.longest_hits = c->totals[2];
        o.longest_misses = c->totals[3];
    }
    // One that never was a number (its value not a count) was never judged, rather than
    // stopped at the bound.
    if (m.stuck() && (c || m.current_number()) && o.draws < replayed) {
        o.stuck_from = o.draws + 1;
        o.stuck_issue = draws[qsizetype(o.stuck_from - 1)].issue;
    }
}

BacktestResult run_backtest(const QString& list, const QVector<HistoryDraw>& draws,
                            const BacktestOptions& options)
{
    const MonitorList monitors = MonitorList::from_stored(MonitorList(list).stored_form());
    if (!options.through_engine)
        if (std::optional<BacktestResult> fast = fast_replay(monitors, draws, options))
            return std::move(*fast);
    return replay_through_engine(monitors, draws, options);
}

} // namespace zorvik::monitor
