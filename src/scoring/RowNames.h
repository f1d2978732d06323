// The names of a game's rows, its point totals and their keys, for whatever
// tells a player or an author about them (the report, the checker, the
// balance report).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scoring/RankTables.h"

namespace kinpath {

// What the pick names when no race and class go together.
inline constexpr const char* UnknownName = "Unknown";

// A row's name (row as in RowCount).
std::string_view RowName(const Game& game, int row);
// A race's or a class's name by its place in the initial table, "Unknown" at
// (and past) the table's end.
std::string_view RaceName(const Game& game, int index);
std::string_view ClassName(const Game& game, int index);

// The row or shared total a point total counts for ("Warrior", "evil"), and
// the key that sets it ("warpts="; none for High Elf).
std::string_view SlotName(const Game& game, int slot);
std::string_view SlotKey(const Game& game, int slot);
// The point totals a row's score sums, as keys ("barbpts= + goodpts= + bigracepts=").
std::string RowKeys(const Game& game, int row);

// A game's word for a row in the plural ("classes", "ancestries") and with a
// capital ("Race"), for headings.
std::string PluralOf(std::string_view word);
std::string Capitalised(std::string_view word);
// "a, b and c" (last: " and ", or " or ").
std::string Listed(const std::vector<std::string>& items, std::string_view last);

}  // namespace kinpath
