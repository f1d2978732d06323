// Why the pick came out as it did, in the player's terms: the answers that
// gave the picked rows most of their points, in the player's own words, the
// runner-up and how far behind it was, ties said as ties, rows passed over
// because the game does not pair them, what the shared totals stand for and
// which answers fed them, and a note when too few answers were given.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "scoring/BestPick.h"
#include "scoring/RankTables.h"

namespace kinpath {

class ScriptDocument;

// One answer as the player gave it: the choice's text in quotes, or yes or
// no to the question in quotes, and the points it gave.
struct SaidAnswer {
    std::string said;
    PointValues points{};
};

// The answers a run recorded and how many questions it asked.
struct Answering {
    std::vector<SaidAnswer> said;
    std::size_t asked = 0;
};

// A session's answers (places in the document's AllAnswers, in answering
// order) as the player gave them. The choice is the one the answer's type
// names: a type names a single choice, so it is the one that was chosen.
Answering AnsweringOf(const ScriptDocument& document, std::span<const std::uint32_t> answered);

// The game, what the run calls a row of each table, the answers, the tables
// as PickBestRaceAndClass left them (scored and sorted), the preference and
// the pick it made. The lines are UTF-8.
std::vector<std::string> ExplainPick(const Game& game, const std::array<std::string, 2>& words,
                                     const Answering& answering, const RaceRows& races,
                                     const ClassRows& classes, Preference preference,
                                     const BestPick& pick);

}  // namespace kinpath
