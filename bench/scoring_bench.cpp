// Answering one question: finding the chosen answer among several and adding
// its points; and the final ranking of both tables.
#include <memory>

#include <benchmark/benchmark.h>

#include "app/MemoryDialog.h"
#include "flow/QuestionFlow.h"
#include "flow/Session.h"
#include "scoring/BestPick.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "window/ControlIds.h"

namespace {

using namespace kinpath;

// Eight answers, typed "1" to "8" after an untyped one; each with a few points.
std::unique_ptr<QuestionBlock> MakeQuestion() {
    auto question = std::make_unique<QuestionBlock>();
    question->answers.push_back(std::make_unique<AnswerBlock>());
    for (int i = 0; i < 8; ++i) {
        auto answer = std::make_unique<AnswerBlock>();
        answer->type = std::to_string(i + 1);
        answer->points[SlotWarrior] = i;
        answer->points[SlotOgre] = -i;
        answer->points[SlotEvil] = 1;
        question->answers.push_back(std::move(answer));
    }
    return question;
}

void BM_RecordAnswer(benchmark::State& state) {
    const int choice = static_cast<int>(state.range(0));
    auto question = MakeQuestion();
    Session session;
    MemoryDialog dialog(session);
    dialog.SetChecked(IdChoice1 + choice - 1, true);
    session.CurrentQuestion = question.get();
    for (auto _ : state) {
        RecordAnswer(session, dialog);
        session.AnsweredList.clear();  // keeps its capacity: no allocation in the loop
    }
    benchmark::DoNotOptimize(session.PointTotals);
    session.CurrentQuestion = nullptr;
}
// The first and the last choice: one and nine answers walked.
BENCHMARK(BM_RecordAnswer)->Arg(1)->Arg(8);

void BM_PickBestRaceAndClass(benchmark::State& state) {
    PointValues totals{};
    for (int k = 0; k < PointSlotCount; ++k) totals[k] = (k * 7) % 5 - 2;
    for (auto _ : state) {
        RaceRows races = InitialRaceTable;
        ClassRows classes = InitialClassTable;
        BestPick pick = PickBestRaceAndClass(totals, races, classes, Preference::ClassOverRace);
        benchmark::DoNotOptimize(pick);
    }
}
BENCHMARK(BM_PickBestRaceAndClass);

}  // namespace
