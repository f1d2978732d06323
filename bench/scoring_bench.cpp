// Answering one question: finding the chosen answer among several and adding
// its points; and the final ranking of both tables.
#include <string>

#include <benchmark/benchmark.h>

#include "scoring/AnswerRecording.h"
#include "scoring/BestPick.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"

namespace {

using namespace kinpath;

// Eight answers, typed "1" to "8" after an untyped one; each with a few points.
ScriptDocument EightAnswers() {
    std::string script = "<QUESTION>\n<ANSWER>\n</ANSWER>\n";
    for (int i = 0; i < 8; ++i) {
        script += "<ANSWER>\ntype=" + std::to_string(i + 1) + "\nwarpts=" + std::to_string(i) +
                  "\nogrepts=" + std::to_string(-i) + "\nevilpts=1\n</ANSWER>\n";
    }
    ScriptDocument document;
    LoadScriptText(document, script + "</QUESTION>\n");
    return document;
}

void BM_RecordAnswer(benchmark::State& state) {
    const int choice = static_cast<int>(state.range(0));
    const ScriptDocument document = EightAnswers();
    const QuestionBlock& question = document.Questions()[0];
    PointValues totals{};
    for (auto _ : state) {
        AddAnswerPoints(totals, document.Points(*FindAnswer(document, question, choice)));
    }
    benchmark::DoNotOptimize(totals);
}
// The first and the last choice: one and nine answers walked.
BENCHMARK(BM_RecordAnswer)->Arg(1)->Arg(8);

void BM_PickBestRaceAndClass(benchmark::State& state) {
    PointValues totals{};
    for (int k = 0; k < PointSlotCount; ++k) totals[k] = (k * 7) % 5 - 2;
    const Game& game = BuiltInGame();
    for (auto _ : state) {
        RaceRows races = InitialRaces(game);
        ClassRows classes = InitialClasses(game);
        BestPick pick =
            PickBestRaceAndClass(game, totals, races, classes, Preference::ClassOverRace);
        benchmark::DoNotOptimize(pick);
    }
}
BENCHMARK(BM_PickBestRaceAndClass);

}  // namespace
