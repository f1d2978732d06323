// Ranking the races and classes and choosing a pair the game allows.
#pragma once

#include <cstdint>
#include <span>

#include "scoring/RankTables.h"

namespace kinpath {

enum class Preference;

// A race and a class by their places in the initial tables; the tables'
// capacities (both named "Unknown") when no race goes with the class decided
// first, or no class with the race. A game of one table picks no class.
struct BestPick {
    int race = RaceRowCount;
    int cls = ClassRowCount;
    friend bool operator==(const BestPick&, const BestPick&) = default;
};

// The totals whose sum is a row's score: its own and the shared ones that
// count for it. Rows as in RowCount.
std::span<const std::uint8_t> ScoreSlots(const Game& game, int row);
// Sets every row's score from the totals (sums wrap around like 32-bit integers).
void ScoreRows(const Game& game, const PointValues& totals, RaceRows& races, ClassRows& classes);
// -1 when a scores higher than b, 1 when lower, 0 when equal.
int CompareScores(const RankEntry& a, const RankEntry& b);
// Sorts rows by descending score with the program's own partition-exchange
// procedure; its tie order is part of the result.
void SortByScore(RankEntry* rows, int count);
// Scores and sorts both tables, then picks a pair the game allows: the best
// class and the first race that may take it, or the other way round. A game
// of one table picks its best row.
BestPick PickBestRaceAndClass(const Game& game, const PointValues& totals, RaceRows& races,
                              ClassRows& classes, Preference preference);

}  // namespace kinpath
