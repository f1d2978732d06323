// Runs per second of the balance simulation on the sample questionnaire.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "authoring/balance/Balance.h"
#include "script/ScriptDocument.h"

namespace {

using namespace kinpath;

void BM_BalanceSampleQuestionnaire(benchmark::State& state) {
    auto sample = std::make_shared<ScriptDocument>();
    LoadScript(*sample, std::string(KINPATH_EXAMPLES_DIR) + "/script.txt");
    BalanceOptions options;
    options.runs = static_cast<std::uint64_t>(state.range(0));
    options.skipProbability = state.range(1) / 100.0;
    for (auto _ : state) {
        BalanceTally tally = SimulateBalance(sample, options);
        if (tally.questions == 0) {
            state.SkipWithError("examples/script.txt did not load");
            break;
        }
        benchmark::DoNotOptimize(tally);
        ++options.seed;
    }
    state.counters["runs_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(options.runs),
        benchmark::Counter::kIsRate);
}

// 10,000 runs each, answering every question and skipping one in five.
BENCHMARK(BM_BalanceSampleQuestionnaire)
    ->Args({10000, 0})
    ->Args({10000, 20})
    ->Unit(benchmark::kMillisecond);

}  // namespace
