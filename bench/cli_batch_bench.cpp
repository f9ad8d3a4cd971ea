// Throughput of zorvik-cli's batch mode on a mixed workload of 100 000 lines.

#include "commands.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>

namespace {

std::string workload(int lines)
{
    const char* kinds[] = {
        "hit\t1,2,3,4,5\tABC\t直选复式\t0123*23*3456\n",
        "count\t前三(直选复式)\t1*23*456\n",
        "validate\t3\t直选单式\t123  45 678\n",
        "win\t前三(组六复式)\t1\t元\t1956\n",
        "money\t0.125\n",
        "hit\t1,1,2,0,0\tABC\t组三复式\t12\n",
        "date\t2015-11-12 10:30:00\t4\n",
        "md5\t中文\n",
    };
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += kinds[i % 8];
    return text;
}

void BM_Batch100k(benchmark::State& state)
{
    std::string input = workload(100000);
    for (auto _ : state) {
        std::FILE* in = fmemopen(input.data(), input.size(), "r");
        std::FILE* out = std::fopen("/dev/null", "w");
        zorvik::cli::run_batch(in, out);
        std::fclose(in);
        std::fclose(out);
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_Batch100k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
