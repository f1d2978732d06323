// The end sequence with a report that fills the results pane, one answered
// question (choice, record and step), and one tick of the bar animation, all
// through the run as a window drives it.
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "flow/BarAnimation.h"
#include "flow/Run.h"
#include "flow/Transcript.h"
#include "script/ScriptDocument.h"

namespace {

using namespace kinpath;

// Questions with two choices, answered by "yes" (with an explanation of the
// given length and a few points) or "no"; null when they do not load.
std::shared_ptr<const ScriptDocument> Questions(int count, std::size_t explanationLength) {
    const std::string question =
        "<QUESTION>\nname=Do you like to fight up close?\ntext=Yes\ntext=No\n"
        "<ANSWER>\ntype=yes\nexplanationtext=" +
        std::string(explanationLength, 'e') +
        "\nwarpts=5\nogrepts=2\n</ANSWER>\n<ANSWER>\ntype=no\nwizpts=5\n</ANSWER>\n</QUESTION>\n";
    std::string script;
    for (int i = 0; i < count; ++i) script += question;
    auto document = std::make_shared<ScriptDocument>();
    if (!LoadScriptText(*document, std::move(script)).loaded) return nullptr;
    return document;
}

void BM_WriteResultsFullPane(benchmark::State& state) {
    // 300 explanations of 200 characters: more than the pane holds. The run
    // stands on the last question, "yes" chosen; each round copies it and
    // takes the OK that writes the results.
    auto document = Questions(300, 200);
    if (!document) return state.SkipWithError("questions did not load");
    Run last(document);
    for (std::size_t i = 0; i < document->Questions().size(); ++i) {
        last.Apply(ChooseEvent(1));
        if (i + 1 < document->Questions().size()) last.Apply({EventKind::Ok});
    }
    std::size_t length = 0;
    for (auto _ : state) {
        Run run = last;
        run.Apply({EventKind::Ok});
        length = run.State().transcript.Length();
    }
    state.counters["pane_chars"] = static_cast<double>(length);
    if (length != TranscriptCapacity) state.SkipWithError("pane not full");
}
BENCHMARK(BM_WriteResultsFullPane)->Unit(benchmark::kMicrosecond);

void BM_AnswerOneQuestion(benchmark::State& state) {
    constexpr int Count = 4096;
    auto document = Questions(Count, 60);
    if (!document) return state.SkipWithError("questions did not load");
    Run run(document);
    int answered = 0;
    for (auto _ : state) {
        if (answered == Count - 1) {
            // Stay clear of the end sequence: start the questions over.
            state.PauseTiming();
            run = Run(document);
            answered = 0;
            state.ResumeTiming();
        }
        run.Apply(ChooseEvent(1 + (answered & 1)));
        run.Apply({EventKind::Ok});
        ++answered;
    }
}
BENCHMARK(BM_AnswerOneQuestion);

void BM_AnimateBarsTick(benchmark::State& state) {
    // Totals far above the bars keep every slot moving for the whole run.
    PointValues totals{};
    totals.fill(1000000000);
    BarState bars;
    for (auto _ : state) {
        benchmark::DoNotOptimize(AnimateBars(bars, totals));
    }
}
BENCHMARK(BM_AnimateBarsTick);

}  // namespace
