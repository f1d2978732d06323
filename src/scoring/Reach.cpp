#include "scoring/Reach.h"

#include <algorithm>
#include <limits>

#include "scoring/AnswerRecording.h"
#include "scoring/BestPick.h"
#include "script/ScriptDocument.h"

namespace kinpath {

QuestionOptions OptionsOf(const ScriptDocument& document, const QuestionBlock& question) {
    QuestionOptions options;
    const auto shown = static_cast<int>(document.OfferedChoices(question).size());
    for (int choice = 1; choice <= shown; ++choice) {
        if (const AnswerBlock* answer = FindAnswer(document, question, choice)) {
            options.points[static_cast<std::size_t>(options.count)] = document.Points(*answer);
        }
        ++options.count;  // a choice without answer adds nothing, as skipping does
    }
    return options;
}

std::int64_t ScoreOfRow(const Game& game, const PointValues& points, int row) {
    std::int64_t score = 0;
    for (const int slot : ScoreSlots(game, row)) score += points[std::size_t(slot)];
    return score;
}

Reach::Reach(const Game& game) {
    for (int row = 0; row < RowCount; ++row) {
        if (HasRow(game, row)) slots_[std::size_t(row)] = ScoreSlots(game, row);
    }
}

void Reach::Add(std::span<const PointValues> options) {
    // Skipping the question (nothing) is always one of the options.
    PointValues lowest{}, highest{};
    std::array<Range, RowCount> scores{};
    for (const PointValues& points : options) {
        if (points == PointValues{}) continue;  // as skipping: where the ranges start
        for (std::size_t slot = 0; slot < points.size(); ++slot) {
            lowest[slot] = std::min(lowest[slot], points[slot]);
            highest[slot] = std::max(highest[slot], points[slot]);
        }
        for (std::size_t row = 0; row < scores.size(); ++row) {
            if (slots_[row].size() <= 1) continue;  // the score is the total
            std::int64_t score = 0;
            for (const int slot : slots_[row]) score += points[std::size_t(slot)];
            scores[row] = {std::min(scores[row].low, score), std::max(scores[row].high, score)};
        }
    }
    for (std::size_t slot = 0; slot < totals_.size(); ++slot) {
        totals_[slot].low += lowest[slot];
        totals_[slot].high += highest[slot];
    }
    for (std::size_t row = 0; row < scores.size(); ++row) {
        if (slots_[row].empty()) continue;
        const bool own = slots_[row].size() == 1;
        scores_[row].low += own ? lowest[slots_[row][0]] : scores[row].low;
        scores_[row].high += own ? highest[slots_[row][0]] : scores[row].high;
    }
}

Reach ReachOf(const ScriptDocument& document) {
    Reach reach(GameOf(document));
    for (const QuestionBlock& question : document.Questions()) {
        reach.Add(OptionsOf(document, question).All());
    }
    return reach;
}

Rivalry CompareRows(const ScriptDocument& document, int x, int y, int best) {
    if (best < 0) best = x;
    const Game& game = GameOf(document);
    Rivalry rivalry;
    for (const QuestionBlock& question : document.Questions()) {
        const QuestionOptions options = OptionsOf(document, question);
        std::int64_t most = std::numeric_limits<std::int64_t>::min();
        std::int64_t least = std::numeric_limits<std::int64_t>::max();
        std::int64_t leastAtBest = least;
        for (const PointValues& points : options.All()) {
            const std::int64_t lead = ScoreOfRow(game, points, y) - ScoreOfRow(game, points, x);
            const std::int64_t score = ScoreOfRow(game, points, best);
            least = std::min(least, lead);
            if (score > most) {
                most = score;
                leastAtBest = lead;
            } else if (score == most) {
                leastAtBest = std::min(leastAtBest, lead);
            }
        }
        rivalry.least += least;
        rivalry.leastAtBest += leastAtBest;
    }
    return rivalry;
}

}  // namespace kinpath
