// Why the pick came out as it did, in plain words, read off the same sorted
// tables and totals the pick used: the rows that scored above it and why they
// were passed over, how ties were settled, and what the leanings added.
#pragma once

#include <string>
#include <vector>

#include "scoring/BestPick.h"
#include "scoring/RankTables.h"

namespace kinpath {

// The game, what the run calls a row of each table, the tables as
// PickBestRaceAndClass left them (scored and sorted), the totals, the
// preference and the pick it made.
std::vector<std::string> ExplainPick(const Game& game, const std::array<std::string, 2>& words,
                                     const PointValues& totals, const RaceRows& races,
                                     const ClassRows& classes, Preference preference,
                                     const BestPick& pick);

}  // namespace kinpath
