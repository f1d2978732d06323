#include "scoring/RowNames.h"

#include "scoring/BestPick.h"

namespace kinpath {

std::string_view RowName(const Game& game, int row) { return RowOf(game, row).name; }

std::string_view RaceName(const Game& game, int index) {
    if (index >= RaceRowCount || !HasRow(game, index)) return UnknownName;
    return RowOf(game, index).name;
}

std::string_view ClassName(const Game& game, int index) {
    if (index < 0 || !HasRow(game, RaceRowCount + index)) return UnknownName;
    return RowOf(game, RaceRowCount + index).name;
}

std::string_view SlotName(const Game& game, int slot) {
    if (slot >= BarSlotCount) {
        const auto shared = static_cast<std::size_t>(slot - BarSlotCount);
        return shared < game.shared.size() ? std::string_view(game.shared[shared]) : "";
    }
    for (int row = 0; row < RowCount; ++row) {
        if (HasRow(game, row) && RowOf(game, row).slots[0] == slot) return RowName(game, row);
    }
    return {};
}

std::string_view SlotKey(const Game& game, int slot) {
    for (const GameKey& key : game.keys) {
        if (key.slot == slot) return key.key;
    }
    return {};
}

std::string RowKeys(const Game& game, int row) {
    std::string keys;
    for (const int slot : ScoreSlots(game, row)) {
        if (SlotKey(game, slot).empty()) continue;
        keys += (keys.empty() ? "" : " + ") + std::string(SlotKey(game, slot));
    }
    return keys;
}

std::string PluralOf(std::string_view word) {
    const auto ends = [&](std::string_view end) { return word.ends_with(end); };
    if (ends("s") || ends("x") || ends("z") || ends("ch") || ends("sh"))
        return std::string(word) + "es";
    if (word.size() > 1 && ends("y") &&
        std::string_view("aeiou").find(word[word.size() - 2]) == std::string_view::npos)
        return std::string(word.substr(0, word.size() - 1)) + "ies";
    return std::string(word) + "s";
}

std::string Capitalised(std::string_view word) {
    std::string text(word);
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 32);
    return text;
}

std::string Listed(const std::vector<std::string>& items, std::string_view last) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? last : ", ";
        text += items[i];
    }
    return text;
}

}  // namespace kinpath
