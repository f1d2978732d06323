// The names of the race and class rows, the point totals and their keys, for
// whatever tells an author about them (the checker, the balance report).
#pragma once

#include <string>
#include <string_view>

#include "scoring/RankTables.h"

namespace kinpath {

// What the pick names when no race and class go together.
inline constexpr const char* UnknownName = "Unknown";

// A race's or class's name (row as in RowCount), the one place rows are named.
std::string_view RowName(int row);
// A race's or a class's name by its place in the initial table, "Unknown" at
// (and past) the table's end.
const char* RaceName(int index);
const char* ClassName(int index);

// The race, class or leaning a point total counts for ("Warrior", "evil"),
// and the key that sets it ("warpts="; none for High Elf).
std::string_view SlotName(int slot);
std::string_view SlotKey(int slot);
// The point totals a row's score sums, as keys ("barbpts= + goodpts= + bigracepts=").
std::string RowKeys(int row);

}  // namespace kinpath
