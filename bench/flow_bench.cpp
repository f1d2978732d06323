// The end sequence with a report that fills the results pane, one answered
// question (record and step), and one tick of the bar animation.
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "HeadlessDialog.h"
#include "flow/BarAnimation.h"
#include "flow/QuestionFlow.h"
#include "flow/Session.h"
#include "flow/Transcript.h"
#include "script/ScriptDocument.h"
#include "window/ControlIds.h"

namespace {

using namespace kinpath;

// Questions with two choices, answered by "yes" (with an explanation of the
// given length and a few points) or "no".
bool LoadQuestions(Session& session, int count, std::size_t explanationLength) {
    const std::string question =
        "<QUESTION>\nname=Do you like to fight up close?\ntext=Yes\ntext=No\n"
        "<ANSWER>\ntype=yes\nexplanationtext=" +
        std::string(explanationLength, 'e') +
        "\nwarpts=5\nogrepts=2\n</ANSWER>\n<ANSWER>\ntype=no\nwizpts=5\n</ANSWER>\n</QUESTION>\n";
    std::string script;
    for (int i = 0; i < count; ++i) script += question;
    auto document = std::make_shared<ScriptDocument>();
    const bool loaded = LoadScriptText(*document, std::move(script)).loaded;
    session.StartRun(std::move(document));
    return loaded;
}

void BM_WriteResultsFullPane(benchmark::State& state) {
    // 300 explanations of 200 characters: more than the pane holds.
    Session session;
    if (!LoadQuestions(session, 300, 200)) state.SkipWithError("questions did not load");
    for (const QuestionBlock& question : session.Document().Questions()) {
        session.RecordPoints(session.Document().Answers(question)[0]);
    }
    testing::HeadlessDialog dialog{session};
    for (auto _ : state) {
        WriteResults(session, dialog);
    }
    state.counters["pane_chars"] = static_cast<double>(dialog.PaneLength());
    if (dialog.PaneLength() != TranscriptCapacity) state.SkipWithError("pane not full");
}
BENCHMARK(BM_WriteResultsFullPane)->Unit(benchmark::kMicrosecond);

void BM_AnswerOneQuestion(benchmark::State& state) {
    constexpr int Questions = 4096;
    Session session;
    if (!LoadQuestions(session, Questions, 60)) state.SkipWithError("questions did not load");
    testing::HeadlessDialog dialog{session};
    NextQuestion(session, dialog);
    int answered = 0;
    for (auto _ : state) {
        if (answered == Questions - 1) {
            // Stay clear of the end sequence: start the questions over.
            state.PauseTiming();
            session.StartRun();
            NextQuestion(session, dialog);
            answered = 0;
            state.ResumeTiming();
        }
        dialog.SetChecked(IdChoice1 + (answered & 1), true);
        RecordAnswer(session, dialog);
        NextQuestion(session, dialog);
        ++answered;
    }
}
BENCHMARK(BM_AnswerOneQuestion);

void BM_AnimateBarsTick(benchmark::State& state) {
    Session session;
    testing::HeadlessDialog dialog{session};
    InitBars(dialog);
    dialog.DispatchPosted();
    // Totals far above the bars keep every slot moving for the whole run.
    std::string answer = "<QUESTION>\n<ANSWER>\n";
    for (const PointKey& key : AnswerPointKeys) answer += std::string(key.key) + "1000000000\n";
    auto document = std::make_shared<ScriptDocument>();
    LoadScriptText(*document, answer + "</ANSWER>\n</QUESTION>\n");
    session.StartRun(document);
    session.RecordPoints(document->Answers(document->Questions()[0])[0]);
    for (auto _ : state) {
        AnimateBars(session, dialog);
        dialog.DispatchPosted();
    }
}
BENCHMARK(BM_AnimateBarsTick);

}  // namespace
