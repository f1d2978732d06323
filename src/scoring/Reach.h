// What a player can reach: the exact lowest and highest of every point total
// and every race's and class's score over all the ways of answering a script,
// and how two scores stand against each other. Computed from the script, not
// sampled: a question adds the points of one of its options (a shown choice,
// or nothing when it is skipped) whatever the other questions add, so the
// extremes of a sum are the sums of each question's extremes.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "scoring/RowNames.h"
#include "script/PointSlot.h"
#include "script/ScriptDocument.h"

namespace kinpath {

class ScriptDocument;
struct QuestionBlock;

struct Range {
    std::int64_t low = 0;
    std::int64_t high = 0;
    friend bool operator==(const Range&, const Range&) = default;
};

// What one question can add: skipping it ([0], nothing) and each shown choice
// (the points of its answer; nothing when no answer belongs to it).
struct QuestionOptions {
    std::array<PointValues, ChoiceCount + 1> points{};
    int count = 1;
    std::span<const PointValues> All() const { return {points.data(), std::size_t(count)}; }
};
QuestionOptions OptionsOf(const ScriptDocument& document, const QuestionBlock& question);

// A row's score from points, summed in 64 bits: it never wraps.
std::int64_t ScoreOfRow(const Game& game, const PointValues& points, int row);

class Reach {
public:
    explicit Reach(const Game& game);
    void Add(std::span<const PointValues> options);
    // A point total (PointSlot) or a row's score (row as in RowCount).
    const Range& Total(int slot) const { return totals_[static_cast<std::size_t>(slot)]; }
    const Range& Score(int row) const { return scores_[static_cast<std::size_t>(row)]; }

private:
    // Each row's totals, looked up once (none for a row the game lacks):
    // scores are summed for every option of every question.
    std::array<std::span<const std::uint8_t>, RowCount> slots_{};
    std::array<Range, PointSlotCount> totals_{};
    std::array<Range, RowCount> scores_{};
};

Reach ReachOf(const ScriptDocument& document);

// How row y's score stands against row x's: the least that y's exceeds x's
// over every way of answering (negative where x can be ahead), and the same
// over only the ways that give row `best` (x unless given) its highest score.
struct Rivalry {
    std::int64_t least = 0;
    std::int64_t leastAtBest = 0;
};
Rivalry CompareRows(const ScriptDocument& document, int x, int y, int best = -1);

}  // namespace kinpath
