// Answering one question: finding the chosen answer among several and adding
// its points; and the final ranking of both tables.
#include <memory>

#include <benchmark/benchmark.h>

#include "flow/QuestionFlow.h"
#include "scoring/AnswerRecording.h"
#include "scoring/BestPick.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "window/ControlIds.h"
#include "app/MemoryDialog.h"

namespace {

using namespace kinpath;

// Eight answers, typed "1" to "8" after an untyped one; each with a few points.
std::unique_ptr<QuestionBlock> MakeQuestion() {
    auto question = std::make_unique<QuestionBlock>(nullptr);
    auto untyped = std::make_unique<AnswerBlock>(question.get());
    question->AddAnswer(std::move(untyped));
    const char* types[] = {"1", "2", "3", "4", "5", "6", "7", "8"};
    for (int i = 0; i < 8; ++i) {
        auto answer = std::make_unique<AnswerBlock>(question.get());
        answer->SetType(types[i]);
        answer->points[SlotWarrior] = i;
        answer->points[SlotOgre] = -i;
        answer->points[SlotEvil] = 1;
        question->AddAnswer(std::move(answer));
    }
    return question;
}

void BM_RecordAnswer(benchmark::State& state) {
    const int choice = static_cast<int>(state.range(0));
    auto question = MakeQuestion();
    MemoryDialog dialog;
    dialog.SetChecked(IdChoice1 + choice - 1, true);
    CurrentQuestion = question.get();
    PointTotals.fill(0);
    for (auto _ : state) {
        RecordAnswer(dialog);
        AnsweredList.clear();  // keeps its capacity: no allocation in the loop
    }
    benchmark::DoNotOptimize(PointTotals);
    CurrentQuestion = nullptr;
    PointTotals.fill(0);
}
// The first and the last choice: one and nine answers walked.
BENCHMARK(BM_RecordAnswer)->Arg(1)->Arg(8);

void BM_PickBestRaceAndClass(benchmark::State& state) {
    for (int k = 0; k < PointSlotCount; ++k) PointTotals[k] = (k * 7) % 5 - 2;
    for (auto _ : state) {
        ResetRankTables();
        BestPick pick = PickBestRaceAndClass(ClassOverRace);
        benchmark::DoNotOptimize(pick);
    }
    PointTotals.fill(0);
    ResetRankTables();
}
BENCHMARK(BM_PickBestRaceAndClass);

}  // namespace
