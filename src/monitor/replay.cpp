#include "monitor/replay.h"

#include "monitor/bet_plan.h"
#include "monitor/evaluate.h"
#include "monitor/monitor.h"
#include "monitor/view.h"
#include "rules/hit.h"
#include "support/money.h"
#include "support/text.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

// A replay bets with simulated money on the next draw, as the engine does with a placer that
// takes every order at its cost. Every amount a bet can have is worked out before the first
// draw with the engine's own money texts, so that each figure is the one the engine would read
// back from its bet log; sums of whole 厘 do not depend on their order, so the threads' incomes
// add up to exactly what one thread gets.

namespace zorvik::monitor {

namespace {

// Beyond this an amount's 厘 could not be added up exactly over a long history.
constexpr double kLargestAmount = 1e12;

std::optional<qint64> li(double yuan)
{
    if (!std::isfinite(yuan) || std::fabs(yuan) >= kLargestAmount)
        return std::nullopt;
    return std::llround(yuan * 1000);
}

// One entry of a plan: what a bet at its multiplier costs, what a hit adds to the income and
// what the bet log shows as its return.
struct Stake {
    bool valid = false; // the entry is a positive whole number
    qint64 cost = 0;
    qint64 prize = 0;
    qint64 prize_shown = 0;
    double line_prize = 0; // a hit of several lines returns their prizes, to the 厘
};

// A monitor's bets and its outcome while replaying.
struct Bettor {
    enum State : quint8 { Ready, Awaiting, Idle }; // Idle: never bets
    qint32 first_stake = 0;
    qint32 stakes = 0;
    State state = Idle;
    bool chasing = false;
    bool own_hit = true;   // its bets hit when it does (no blanks around its numbers or play)
    qint32 rule = -1;      // its bets' hit test, when they have one
    bool open = false;     // a bet waits for the draw being replayed
    qint64 step = 0;
    Stake bet;             // the open bet
    qint64 alerts = 0;
    qint64 bets = 0;
    qint64 wins = 0;
    qint64 cost = 0;
    qint64 returned = 0;
    qint64 income = 0;
    qint64 lowest = 0;
    qint64 lowest_draw = -1;
};

// Every stake of a monitor's plan, from the engine's own plan: nothing when it does not bet;
// false when an amount is too large to count.
bool add_stakes(const Monitor& m, Bettor& b, std::vector<Stake>& stakes, std::vector<rules::CompiledHit>& bet_rules)
{
    b.state = m.awaiting_result() ? Bettor::Awaiting : m.ready_to_bet() ? Bettor::Ready : Bettor::Idle;
    b.chasing = m.chasing();
    b.step = support::to_int(m.field(kPlanStep));
    b.first_stake = qint32(stakes.size());
    if (m.raw(kAutoBet) != u"1")
        return true;
    // The monitor judges its own numbers as they stand, its bets without surrounding blanks.
    const QString numbers = m.field(kNumbers);
    const QString play = m.field(kPlay);
    b.own_hit = support::trim_blanks(numbers) == numbers && support::trim_blanks(play) == play;
    const BetPlan& plan = *m.bet_plan();
    if (plan.rule) {
        b.rule = qint32(bet_rules.size());
        bet_rules.push_back(*plan.rule);
    }
    for (const StakeEntry& e : plan.entries) {
        Stake s;
        if (e.multiplier > 0) {
            const auto cost = li(e.placed_value);
            const auto prize = li(e.prize_value);
            const auto shown = li(money_value(e.prize_shown));
            // Every line of the bet winning at once still counts exactly.
            const auto most = li(e.line_prize * double(std::max<qint64>(plan.count, 1)));
            if (!cost || !prize || !shown || !most)
                return false;
            s = {true, *cost, *prize, *shown, e.line_prize};
        }
        stakes.push_back(s);
    }
    b.stakes = qint32(stakes.size()) - b.first_stake;
    return true;
}

// A share of the monitors, replayed by one thread.
struct Slice {
    std::vector<Monitor> monitors;
    std::vector<Bettor> bettors;
    std::vector<qint64> income; // what each draw of the chunk settled, in 厘

    // Replays draws [from, to); no bet at draw `no_bets_at` (a stop) nor at the last draw.
    void run(const QVector<HistoryDraw>& draws, const std::vector<Stake>& stakes,
             const std::vector<rules::CompiledHit>& bet_rules, qint64 from, qint64 to, qint64 no_bets_at)
    {
        income.assign(size_t(to - from), 0);
        for (qint64 i = from; i < to; ++i) {
            const HistoryDraw& draw = draws[i];
            const std::optional<rules::DrawDigits> digits = rules::read_draw(draw.numbers);
            const bool can_bet = i + 1 < draws.size() && i != no_bets_at;
            qint64 settled = 0;
            for (size_t k = 0; k < monitors.size(); ++k) {
                Monitor& m = monitors[k];
                Bettor& b = bettors[k];
                const std::optional<bool> hit = update_monitor(m, draw.numbers, digits);
                if (!hit) {
                    m.set_stuck(true);
                    if (b.state == Bettor::Awaiting)
                        b.state = Bettor::Ready; // let go; its bet is still settled below
                } else {
                    if (m.stuck())
                        m.set_stuck(false);
                    if (b.state == Bettor::Awaiting) {
                        if (*hit) {
                            b.step = 0;
                            b.chasing = false;
                        }
                        b.state = Bettor::Ready;
                    }
                }
                if (b.open) {
                    const bool compiled = b.rule >= 0 && digits;
                    const bool won = hit && b.own_hit ? *hit
                                     : compiled ? bet_rules[size_t(b.rule)].hit(*digits)
                                                : rules::bet_hit(draw.numbers, m.field(kPositions), m.field(kNumbers),
                                                                 support::trim_blanks(m.field(kPlay)))
                                                      .hit;
                    const qint64 lines = !won ? 0
                                         : compiled ? bet_rules[size_t(b.rule)].lines(*digits)
                                                    : rules::bet_lines(draw.numbers, m.field(kPositions), m.field(kNumbers),
                                                                       support::trim_blanks(m.field(kPlay)));
                    const qint64 several = lines > 1 ? support::whole_li(b.bet.line_prize * double(lines)) : 0;
                    const qint64 shown = lines == 0 ? 0 : lines == 1 ? b.bet.prize_shown : several;
                    settled += (lines == 0 ? 0 : lines == 1 ? b.bet.prize : several) - b.bet.cost;
                    b.cost += b.bet.cost;
                    b.returned += shown;
                    b.wins += won;
                    b.income += shown - b.bet.cost;
                    if (b.income < b.lowest) {
                        b.lowest = b.income;
                        b.lowest_draw = i;
                    }
                    b.open = false;
                }
                const bool alerts = !m.stuck() && alert_test(m);
                b.alerts += alerts;
                if (!can_bet || !(alerts || b.chasing) || b.state != Bettor::Ready || m.stuck() || !b.stakes)
                    continue;
                // The plan walked one entry per losing bet, back to the first past its end.
                const qint64 at = b.step < 0 || b.step > b.stakes - 1 ? 0 : b.step;
                const Stake& stake = stakes[size_t(b.first_stake + at)];
                if (!stake.valid)
                    continue; // asked again at the next draw, as the engine does
                b.state = Bettor::Awaiting;
                ++b.step;
                b.chasing = b.step != 0;
                ++b.bets;
                b.open = true;
                b.bet = stake;
            }
            income[size_t(i - from)] = settled;
        }
    }
};

} // namespace

std::optional<BacktestResult> fast_replay(const MonitorList& list, const QVector<HistoryDraw>& draws,
                                          const BacktestOptions& options)
{
    const QVector<std::pair<int, Monitor>> records = list.records();
    std::vector<Stake> stakes;
    std::vector<rules::CompiledHit> bet_rules;
    std::vector<Bettor> bettors(size_t(records.size()));
    std::vector<Monitor> monitors;
    monitors.reserve(size_t(records.size()));
    BacktestResult result;
    for (qsizetype k = 0; k < records.size(); ++k) {
        Monitor m = records[k].second;
        start_monitoring(m);
        if (!add_stakes(m, bettors[size_t(k)], stakes, bet_rules))
            return std::nullopt;
        monitors.push_back(std::move(m));
        MonitorOutcome o;
        o.position = records[k].first;
        o.title = monitors.back().field(kTitle);
        result.monitors.append(o);
    }
    std::vector<qint64> first_count;
    for (const Monitor& m : monitors)
        first_count.push_back(m.field(kDrawCount).toLongLong());

    // Two threads once there are enough monitors to share; every thread takes a run of them.
    int threads = options.threads;
    if (threads <= 0)
        threads = monitors.size() >= 256 && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    threads = int(std::clamp<qsizetype>(threads, 1, std::max<qsizetype>(1, qsizetype(monitors.size()))));
    std::vector<Slice> slices{size_t(threads)};
    for (size_t k = 0; k < monitors.size(); ++k) {
        Slice& s = slices[k % size_t(threads)]; // dealt in turn: costly plays spread evenly
        s.monitors.push_back(std::move(monitors[k]));
        s.bettors.push_back(bettors[k]);
    }
    const auto run_chunk = [&](qint64 from, qint64 to, qint64 no_bets_at) {
        std::vector<std::thread> helpers;
        for (size_t t = 1; t < slices.size(); ++t)
            helpers.emplace_back([&, t] { slices[t].run(draws, stakes, bet_rules, from, to, no_bets_at); });
        slices[0].run(draws, stakes, bet_rules, from, to, no_bets_at);
        for (std::thread& h : helpers)
            h.join();
    };

    const bool stops = options.stop_profit || options.stop_loss;
    const double profit = options.stop_profit.value_or(1e300);
    const double loss = options.stop_loss.value_or(-1e300);
    qint64 income = 0;
    qint64 best = 0;
    qint64 worst = 0;
    qint64 replayed = 0;
    std::vector<Slice> saved; // the chunk's start, to replay it again up to a stop
    for (qint64 from = 0; from < draws.size();) {
        const qint64 to = std::min<qint64>(from + kReplayChunk, draws.size());
        if (stops)
            saved = slices;
        run_chunk(from, to, -1);
        // The draws' settlements joined in order: the session's income, best, worst and stop.
        qint64 stop_at = -1;
        for (qint64 i = from; i < to; ++i) {
            for (const Slice& s : slices)
                income += s.income[size_t(i - from)];
            best = std::max(best, income);
            worst = std::min(worst, income);
            const double yuan = double(income) / 1000;
            if (stops && (yuan >= profit || yuan <= loss)) {
                stop_at = i;
                break;
            }
        }
        if (stop_at >= 0) {
            // Monitoring stops at that draw: it is judged and settled, and nothing is bet on it.
            slices = std::move(saved);
            run_chunk(from, stop_at + 1, stop_at);
            replayed = stop_at + 1;
            if (options.progress)
                options.progress(replayed);
            break;
        }
        replayed = from = to;
        if (options.progress && !options.progress(replayed))
            break;
    }

    result.draws_replayed = replayed;
    result.income = double(income) / 1000;
    result.best = double(best) / 1000;
    result.worst = double(worst) / 1000;
    qint64 cost = 0;
    qint64 returned = 0;
    for (size_t t = 0; t < slices.size(); ++t) {
        const Slice& s = slices[t];
        for (size_t j = 0; j < s.monitors.size(); ++j) {
            const qsizetype k = qsizetype(j * slices.size() + t);
            const Bettor& b = s.bettors[j];
            MonitorOutcome& o = result.monitors[k];
            finish_outcome(o, s.monitors[j], first_count[size_t(k)], draws, replayed);
            o.alerts = b.alerts;
            o.bets = int(b.bets);
            o.wins = int(b.wins);
            o.cost = double(b.cost) / 1000;
            o.returned = double(b.returned) / 1000;
            o.lowest = double(b.lowest) / 1000;
            if (b.lowest_draw >= 0)
                o.lowest_issue = draws[b.lowest_draw].issue;
            result.bets += o.bets;
            result.wins += o.wins;
            cost += b.cost;
            returned += b.returned;
        }
    }
    result.cost = double(cost) / 1000;
    result.returned = double(returned) / 1000;
    return result;
}

} // namespace zorvik::monitor
