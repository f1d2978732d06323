// The end sequence with a report that fills the results pane, one answered
// question (record and step), and one tick of the bar animation.
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "HeadlessDialog.h"
#include "flow/BarAnimation.h"
#include "flow/QuestionFlow.h"
#include "flow/Transcript.h"
#include "scoring/AnswerRecording.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "window/ControlIds.h"
#include "app/MainDialog.h"

namespace {

using namespace kinpath;

// Questions with two choices, answered by "yes" (with an explanation of the
// given length and a few points) or "no".
void LoadQuestions(int count, std::size_t explanationLength) {
    ResetProgramState();
    const std::string explanation(explanationLength, 'e');
    for (int i = 0; i < count; ++i) {
        auto question = std::make_unique<QuestionBlock>(&TheScriptDocument);
        question->SetName("Do you like to fight up close?");
        question->AddChoiceText("Yes");
        question->AddChoiceText("No");
        auto yes = std::make_unique<AnswerBlock>(question.get());
        yes->SetType("yes");
        yes->SetExplanation(explanation.c_str());
        yes->points[SlotWarrior] = 5;
        yes->points[SlotOgre] = 2;
        question->AddAnswer(std::move(yes));
        auto no = std::make_unique<AnswerBlock>(question.get());
        no->SetType("no");
        no->points[SlotWizard] = 5;
        question->AddAnswer(std::move(no));
        TheScriptDocument.AddQuestion(std::move(question));
    }
}

void BM_WriteResultsFullPane(benchmark::State& state) {
    // 300 explanations of 200 characters: more than the pane holds.
    LoadQuestions(300, 200);
    for (const auto& question : TheScriptDocument.questions) {
        AnsweredList.push_back(question->answers[0].get());
    }
    testing::HeadlessDialog dialog;
    for (auto _ : state) {
        WriteResults(dialog);
    }
    state.counters["pane_chars"] = static_cast<double>(dialog.PaneLength());
    if (dialog.PaneLength() != TranscriptCapacity) state.SkipWithError("pane not full");
    ResetProgramState();
}
BENCHMARK(BM_WriteResultsFullPane)->Unit(benchmark::kMicrosecond);

void BM_AnswerOneQuestion(benchmark::State& state) {
    constexpr int Questions = 4096;
    LoadQuestions(Questions, 60);
    testing::HeadlessDialog dialog;
    NextQuestion(dialog);
    int answered = 0;
    for (auto _ : state) {
        if (answered == Questions - 1) {
            // Stay clear of the end sequence: start the questions over.
            state.PauseTiming();
            ResetQuestionFlow();
            AnsweredList.clear();
            PointTotals.fill(0);
            NextQuestion(dialog);
            answered = 0;
            state.ResumeTiming();
        }
        dialog.SetChecked(IdChoice1 + (answered & 1), true);
        RecordAnswer(dialog);
        NextQuestion(dialog);
        ++answered;
    }
    ResetProgramState();
}
BENCHMARK(BM_AnswerOneQuestion);

void BM_AnimateBarsTick(benchmark::State& state) {
    ResetProgramState();
    testing::HeadlessDialog dialog;
    InitBars(dialog);
    dialog.DispatchPosted();
    // Totals far above the bars keep every slot moving for the whole run.
    for (int slot = 0; slot < BarSlotCount; ++slot) PointTotals[slot] = 1'000'000'000;
    for (auto _ : state) {
        AnimateBars(dialog);
        dialog.DispatchPosted();
    }
    ResetProgramState();
}
BENCHMARK(BM_AnimateBarsTick);

}  // namespace
