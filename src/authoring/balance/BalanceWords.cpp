// The words the balance report uses for a game's rows and totals: a declared
// game gives only the singular of each table's word.
#include <algorithm>

#include "authoring/balance/BalanceReport.h"
#include "scoring/BestPick.h"
#include "scoring/RowNames.h"

namespace kinpath {

std::string WithArticle(std::string_view word) {
    const bool vowel =
        !word.empty() && std::string_view("aeiouAEIOU").find(word[0]) != std::string_view::npos;
    return (vowel ? "an " : "a ") + std::string(word);
}

TableWords WordsOf(const Game& game, int table) {
    const std::string& one = game.words[std::size_t(table)];
    return {one, PluralOf(one)};
}

std::vector<std::string> RowsCountingFor(const Game& game, int slot, int from, int to) {
    std::vector<std::string> rows;
    for (int row = from; row < to; ++row) {
        if (!HasRow(game, row)) continue;
        const auto slots = ScoreSlots(game, row);
        if (std::find(slots.begin(), slots.end(), slot) != slots.end())
            rows.emplace_back(RowName(game, row));
    }
    return rows;
}

}  // namespace kinpath
