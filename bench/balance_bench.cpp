// Runs per second of the balance simulation on the sample questionnaire.
#include <benchmark/benchmark.h>

#include <string>

#include "authoring/Balance.h"
#include "authoring/ScriptCheck.h"
#include "script/ScriptDocument.h"

namespace {

using namespace kinpath;

bool LoadSample() {
    TheScriptDocument.Clear();
    TheScriptDocument.file = OpenScriptFile(std::string(KINPATH_EXAMPLES_DIR) + "/script.txt");
    return TheScriptDocument.file != nullptr && TheScriptDocument.Parse(nullptr) != -1 &&
           !TheScriptDocument.questions.empty();
}

void BM_BalanceSampleQuestionnaire(benchmark::State& state) {
    if (!LoadSample()) {
        state.SkipWithError("examples/script.txt did not load");
        return;
    }
    BalanceOptions options;
    options.runs = static_cast<std::uint64_t>(state.range(0));
    options.skipProbability = state.range(1) / 100.0;
    for (auto _ : state) {
        BalanceTally tally = SimulateBalance(options);
        benchmark::DoNotOptimize(tally);
        ++options.seed;
    }
    state.counters["runs_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(options.runs), benchmark::Counter::kIsRate);
    TheScriptDocument.Clear();
}

// 10,000 runs each, answering every question and skipping one in five.
BENCHMARK(BM_BalanceSampleQuestionnaire)->Args({10000, 0})->Args({10000, 20})->Unit(benchmark::kMillisecond);

}  // namespace
