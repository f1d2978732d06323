// The words the balance report uses for a game's rows and totals: a declared
// game gives only the singular of each table's word.
#include <algorithm>

#include "authoring/balance/BalanceReport.h"
#include "scoring/BestPick.h"

namespace kinpath {

std::string Plural(std::string_view word) {
    const auto endsWith = [&](std::string_view end) {
        return word.size() >= end.size() && word.substr(word.size() - end.size()) == end;
    };
    if (endsWith("s") || endsWith("x") || endsWith("ch") || endsWith("sh"))
        return std::string(word) + "es";
    if (word.size() >= 2 && word.back() == 'y' &&
        std::string_view("aeiou").find(word[word.size() - 2]) == std::string_view::npos)
        return std::string(word.substr(0, word.size() - 1)) + "ies";
    return std::string(word) + "s";
}

std::string Capitalised(std::string_view text) {
    std::string capital(text);
    if (!capital.empty() && capital[0] >= 'a' && capital[0] <= 'z')
        capital[0] = char(capital[0] - 32);
    return capital;
}

std::string WithArticle(std::string_view word) {
    const bool vowel =
        !word.empty() && std::string_view("aeiouAEIOU").find(word[0]) != std::string_view::npos;
    return (vowel ? "an " : "a ") + std::string(word);
}

TableWords WordsOf(const Game& game, int table) {
    const std::string& one = game.words[std::size_t(table)];
    return {one, Plural(one)};
}

std::string Listed(const std::vector<std::string>& items, const std::string& last) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? last : ", ") + items[i];
    return text;
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
