// Ranking the races and classes and choosing a pair the game allows.
#pragma once

#include <cstdint>

#include "scoring/RankTables.h"

namespace kinpath {

class Dialog;

inline constexpr std::int32_t ClassOverRace = 1;
inline constexpr std::int32_t RaceOverClass = 0;

struct BestPick {
    const char* race;
    const char* className;
};

// Sets every row's score from PointTotals (sums wrap around like 32-bit integers).
void ScoreRows();
// -1 when a scores higher than b, 1 when lower, 0 when equal.
int CompareScores(const RankEntry& a, const RankEntry& b);
// Sorts rows by descending score with the program's own partition-exchange
// procedure; its tie order is part of the result.
void SortByScore(RankEntry* rows, int count);
BestPick PickBestRaceAndClass(std::int32_t preference);
// The script's preference (class over race without a SETTINGS block).
std::int32_t ScriptPreference();
// Appends "It appears that the best race for you is ..." to the transcript.
void AnnounceBestPick(Dialog& dialog);

}  // namespace kinpath
