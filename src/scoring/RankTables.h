// A game's two tables as a run ranks them: the built-in game's or the one a
// script declares, their rows, scores and allowed pairs.
#pragma once

#include <array>
#include <cstdint>

#include "script/Game.h"
#include "script/PointSlot.h"

namespace kinpath {

class ScriptDocument;

inline constexpr int RaceRowCount = FirstTableCapacity;
inline constexpr int ClassRowCount = SecondTableCapacity;
// Rows are numbered races first, then classes, each in its table's order
// (the built-in game's alphabetical); the second table's rows start at
// RaceRowCount whatever the size of the first.
inline constexpr int RowCount = RaceRowCount + ClassRowCount;

struct RankEntry {
    int row;  // as in RowCount
    std::int32_t score;
    friend bool operator==(const RankEntry&, const RankEntry&) = default;
};

// A table's rows in ranking order: as many as the game has, in room for the
// most any game may have (no run allocates).
template <int Capacity>
struct RankRows {
    std::array<RankEntry, Capacity> entries{};
    int count = 0;

    RankEntry* begin() { return entries.data(); }
    RankEntry* end() { return entries.data() + count; }
    const RankEntry* begin() const { return entries.data(); }
    const RankEntry* end() const { return entries.data() + count; }
    RankEntry* data() { return entries.data(); }
    const RankEntry* data() const { return entries.data(); }
    std::size_t size() const { return static_cast<std::size_t>(count); }
    RankEntry& operator[](std::size_t i) { return entries[i]; }
    const RankEntry& operator[](std::size_t i) const { return entries[i]; }
    friend bool operator==(const RankRows&, const RankRows&) = default;
};

using RaceRows = RankRows<RaceRowCount>;
using ClassRows = RankRows<ClassRowCount>;

// The game every script plays that declares none.
const Game& BuiltInGame();
// The game whose tables a document's run plays: the one it declares, or the
// built-in one (also under a declaration that only retitles it).
const Game& GameOf(const ScriptDocument& document);
// The game whose words the run speaks: its title, greeting, closing and what
// it calls a row of each table.
const Game& TextsOf(const ScriptDocument& document);

// A row (as in RowCount) of the game; whether the game has it.
inline const GameRow& RowOf(const Game& game, int row) {
    return row < RaceRowCount ? game.tables[0][std::size_t(row)]
                              : game.tables[1][std::size_t(row - RaceRowCount)];
}
inline bool HasRow(const Game& game, int row) {
    if (row < 0 || row >= RowCount) return false;
    return row < RaceRowCount ? std::size_t(row) < game.tables[0].size()
                              : std::size_t(row - RaceRowCount) < game.tables[1].size();
}

// The tables as every run of the game starts them: declaration order, scores 0.
// A session keeps its own copies, which the pick reorders in place.
RaceRows InitialRaces(const Game& game);
ClassRows InitialClasses(const Game& game);

// Whether the game lets rows a and b go together: a race and a class it
// allows, in either order.
bool GoTogether(const Game& game, int a, int b);

// a + b with 32-bit two's-complement wrap-around, without signed overflow.
inline std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace kinpath
