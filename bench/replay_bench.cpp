// Bets as fast as judging: the backtest of 1,000 random monitors over 100,000 random draws with
// 0 %, 10 % and 60 % of them betting, on one thread and on two; what a bet adds (time and
// allocations); a sweep of 1,000 variants over 100,000 draws; and the live evaluate_draw of
// 10,000 monitors of which 10 % bet with simulated money. The run ends with the figures and
// their ratios against the replay before bets were counted as numbers.

#include "monitor/backtest.h"
#include "monitor/engine.h"
#include "monitor/random_draws.h"
#include "monitor/random_monitors.h"
#include "monitor/sweep.h"
#include "platform/simulated_placer.h"
#include "support/clock.h"
#include "support/shell.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik;

// Every allocation of the program is counted, so that a run can tell what a bet allocates.
namespace {
std::atomic<qint64> g_allocations{0};
}
void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr int kMonitors = 1000;
constexpr int kDraws = 100000;

const QVector<monitor::HistoryDraw>& draws()
{
    static const QVector<monitor::HistoryDraw> history = testing::random_draws(kDraws, 20261208, u"20261208-"_s);
    return history;
}

struct ReplayFigures {
    double seconds = 0;
    qint64 bets = 0;
    qint64 allocations = 0;
};
std::map<std::pair<int, int>, ReplayFigures> g_replays; // (percent betting, threads) → figures

// The replay of 1,000 monitors of which range(0) percent bet, on range(1) threads.
void BM_Replay(benchmark::State& state)
{
    const int percent = int(state.range(0));
    const int threads = int(state.range(1));
    const QString list = testing::random_monitors(kMonitors, 7, percent);
    monitor::BacktestOptions options;
    options.threads = threads;
    (void)draws();
    for (auto _ : state) {
        const qint64 before = g_allocations.load();
        const monitor::BacktestResult r = monitor::run_backtest(list, draws(), options);
        ReplayFigures& f = g_replays[{percent, threads}];
        f.allocations = g_allocations.load() - before;
        f.bets = r.bets;
        state.counters["bets"] = double(r.bets);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_Replay)
    ->ArgsProduct({{0, 10, 60}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// 1,000 variants (250 thresholds × 4 plans) of one monitor over 100,000 draws, in one pass.
void BM_Sweep1000x100000(benchmark::State& state)
{
    const QString record = u"A~定位胆~前一(定位胆)~01234~遗漏~≥5~大于等于5~0~待监控~~0~0~0:0~0:0:0:0~1~1,2,4~1~"
                           u"false~0~5:0:0:1920~0"_s;
    monitor::SweepRanges ranges;
    ranges.thresholds = *monitor::parse_threshold_range(u"1..250"_s);
    ranges.plans = QStringList{u"1,2,4"_s, u"1,3,9,27"_s, u"1,2,4,8,16"_s, u"1"_s};
    const auto variants = monitor::sweep_variants(record, ranges, nullptr);
    // With stop amounts every variant is a session of its own.
    monitor::BacktestOptions options;
    if (state.range(0)) {
        options.stop_profit = 500;
        options.stop_loss = -300;
    }
    (void)draws();
    for (auto _ : state) {
        const auto out = monitor::run_sweep(record, *variants, draws(), options);
        state.counters["variants"] = double(out.size());
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_Sweep1000x100000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The live engine: 10,000 monitors, the 1,000 betting ones alerting at every draw, placed with
// simulated money; each iteration judges a draw, settles the bets of the one before and bets.
struct LiveRig {
    LiveRig()
    {
        QString list;
        for (int i = 0; i < 10000; ++i) {
            const bool bets = i % 10 == 0;
            // The betting monitors alert at every draw (遗漏 ≥ 0); the others seldom do.
            list += u"|A~定位胆~前一(定位胆)~"_s + QString::number(i % 10) + u' ' + QString::number(i) +
                    (bets ? u"~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1,2,4~1~false~0~1:0:0:1920~0"_s
                          : u"~遗漏~≥40~大于等于40~0~待监控~~0~0~0:0~0:0:0:0~0~1,2,4~1~false~0~1:0:0:1920~0"_s);
        }
        engine.set_draw_source([this] {
            monitor::DrawState s;
            const monitor::HistoryDraw& d = draws()[turn % draws().size()];
            s.awd_iss = d.issue;
            s.awd_nums = d.numbers;
            const monitor::HistoryDraw& next = draws()[(turn + 1) % draws().size()];
            s.bet_iss = s.next_iss_no = next.issue;
            s.lookup = &lookup;
            return s;
        });
        engine.set_stop_source([] { return std::pair<QString, QString>(u"1e15"_s, u"-1e15"_s); });
        engine.set_placer(&placer);
        engine.set_simulated(true);
        engine.set_lottery(u"U彩平台-欢乐分分彩"_s);
        engine.set_alert_options(false, false);
        engine.set_breathe_interval(1 << 30);
        engine.load_text(list);
        engine.set_monitoring(true, false);
    }
    void next()
    {
        const monitor::HistoryDraw& d = draws()[turn % draws().size()];
        lookup.insert(QString(d.issue).remove(u'-'), d.numbers);
        engine.evaluate_draw();
        lookup.remove(QString(draws()[(turn + draws().size() - 1) % draws().size()].issue).remove(u'-'));
        ++turn;
    }

    QTemporaryDir dir;
    support::SilentShell shell;
    support::SystemClock clock;
    platform::SimulatedPlacer placer{clock};
    monitor::MonitorEngine engine{shell, dir.filePath(u"bao/cfg.ini"_s)};
    QHash<QString, QString> lookup;
    int turn = 0;
};

void BM_LiveDraw10000With1000Bets(benchmark::State& state)
{
    LiveRig rig;
    rig.next(); // the first bets
    qint64 bets = 0;
    for (auto _ : state) {
        const int before = rig.engine.session().bets;
        rig.next();
        bets += rig.engine.session().bets - before;
    }
    state.counters["bets_per_draw"] = double(bets) / double(state.iterations());
}
BENCHMARK(BM_LiveDraw10000With1000Bets)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the figures and their ratios after the run.
class Summary : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            seconds_[run.benchmark_name()] =
                run.GetAdjustedRealTime() * (run.time_unit == benchmark::kMillisecond ? 1e-3 : 1e-9);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (auto& [key, f] : g_replays)
            f.seconds = seconds_["BM_Replay/" + std::to_string(key.first) + "/" + std::to_string(key.second) +
                                 "/iterations:1/real_time"];
        std::printf("\nSummary (1,000 monitors x 100,000 draws; before: 2.0 s with none betting, 19.7 s with "
                    "10 %%, 140 s with 60 %%)\n");
        const double before[] = {2.0, 19.7, 140};
        const double target[] = {1.0, 0, 2.0};
        int at = 0;
        for (const int percent : {0, 10, 60}) {
            const ReplayFigures one = g_replays[{percent, 1}];
            const ReplayFigures two = g_replays[{percent, 2}];
            std::printf("  %2d %% betting (%lld bets): %.2f s on one thread, %.2f s on two (%.2fx); "
                        "%.0fx faster than before",
                        percent, (long long)two.bets, one.seconds, two.seconds,
                        two.seconds > 0 ? one.seconds / two.seconds : 0.0,
                        two.seconds > 0 ? before[at] / two.seconds : 0.0);
            if (target[at] > 0)
                std::printf(", target under %.0f s: %s", target[at], two.seconds < target[at] ? "met" : "missed");
            std::printf("\n");
            ++at;
        }
        // What a bet adds to the replay: its composition, writing back and settlement.
        const ReplayFigures none = g_replays[{0, 1}];
        const ReplayFigures most = g_replays[{60, 1}];
        if (most.bets > none.bets) {
            const double ns = (most.seconds - none.seconds) * 1e9 / double(most.bets - none.bets);
            std::printf("  a bet composed, written back and settled: %.1f ns (target 50 ns: %s; before "
                        "about 7,000 ns, %.0fx), %.4f allocations a bet\n",
                        ns, ns < 50 ? "met" : "missed", ns > 0 ? 7000 / ns : 0.0,
                        double(most.allocations - none.allocations) / double(most.bets - none.bets));
        }
        for (const int stops : {0, 1}) {
            const double sweep = seconds_["BM_Sweep1000x100000/" + std::to_string(stops) + "/iterations:1/real_time"];
            std::printf("  sweep of 1,000 variants x 100,000 draws%s: %.2f s (target under 5 s: %s, %.1fx under)\n",
                        stops ? " with stop amounts" : "", sweep, sweep < 5 ? "met" : "missed",
                        sweep > 0 ? 5 / sweep : 0.0);
        }
        const double live = seconds_["BM_LiveDraw10000With1000Bets/real_time"] * 1e3;
        std::printf("  live draw of 10,000 monitors with 1,000 bets (judged, bet, settled): %.2f ms "
                    "(before 70 ms, %.1fx; target under 5 ms: %s)\n",
                    live, live > 0 ? 70 / live : 0.0, live < 5 ? "met" : "missed");
    }

private:
    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    benchmark::Shutdown();
    return 0;
}
