// The end sequence with a report that fills the results pane, one answered
// question (record and step), and one tick of the bar animation.
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "flow/BarAnimation.h"
#include "flow/QuestionFlow.h"
#include "flow/Session.h"
#include "flow/Transcript.h"
#include "script/ScriptDocument.h"

namespace {

using namespace kinpath;

// Questions with two choices, answered by "yes" (with an explanation of the
// given length and a few points) or "no".
bool LoadQuestions(FlowState& state, int count, std::size_t explanationLength) {
    const std::string question =
        "<QUESTION>\nname=Do you like to fight up close?\ntext=Yes\ntext=No\n"
        "<ANSWER>\ntype=yes\nexplanationtext=" +
        std::string(explanationLength, 'e') +
        "\nwarpts=5\nogrepts=2\n</ANSWER>\n<ANSWER>\ntype=no\nwizpts=5\n</ANSWER>\n</QUESTION>\n";
    std::string script;
    for (int i = 0; i < count; ++i) script += question;
    auto document = std::make_shared<ScriptDocument>();
    const bool loaded = LoadScriptText(*document, std::move(script)).loaded;
    state.session.StartRun(std::move(document));
    return loaded;
}

void BM_WriteResultsFullPane(benchmark::State& state) {
    // 300 explanations of 200 characters: more than the pane holds.
    FlowState flow;
    if (!LoadQuestions(flow, 300, 200)) state.SkipWithError("questions did not load");
    const ScriptDocument& document = flow.session.Document();
    for (const QuestionBlock& question : document.Questions()) {
        flow.session.RecordPoints(document.Answers(question)[0]);
    }
    for (auto _ : state) {
        WriteResults(flow);
    }
    state.counters["pane_chars"] = static_cast<double>(flow.transcript.Length());
    if (flow.transcript.Length() != TranscriptCapacity) state.SkipWithError("pane not full");
}
BENCHMARK(BM_WriteResultsFullPane)->Unit(benchmark::kMicrosecond);

void BM_AnswerOneQuestion(benchmark::State& state) {
    constexpr int Questions = 4096;
    FlowState flow;
    if (!LoadQuestions(flow, Questions, 60)) state.SkipWithError("questions did not load");
    NextQuestion(flow);
    int answered = 0;
    for (auto _ : state) {
        if (answered == Questions - 1) {
            // Stay clear of the end sequence: start the questions over.
            state.PauseTiming();
            flow.session.StartRun();
            NextQuestion(flow);
            answered = 0;
            state.ResumeTiming();
        }
        flow.checked = 1 + (answered & 1);
        RecordAnswer(flow);
        NextQuestion(flow);
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
