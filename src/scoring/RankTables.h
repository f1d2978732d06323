// The fixed race and class tables: their rows, scores and allowed pairs.
#pragma once

#include <array>
#include <cstdint>

#include "script/PointSlot.h"

namespace kinpath {

inline constexpr int RaceRowCount = 13;
inline constexpr int ClassRowCount = 14;
// Rows are numbered races first, then classes, each in the initial table's
// (alphabetical) order; a row's name is RowName's (RowNames.h).
inline constexpr int RowCount = RaceRowCount + ClassRowCount;

struct RankEntry {
    int row;  // as in RowCount
    std::int32_t score;
    friend bool operator==(const RankEntry&, const RankEntry&) = default;
};

using RaceRows = std::array<RankEntry, RaceRowCount>;
using ClassRows = std::array<RankEntry, ClassRowCount>;

// The tables as every run starts them: alphabetical order, scores 0. A session
// keeps its own copies, which the pick reorders in place.
extern const RaceRows InitialRaceTable;
extern const ClassRows InitialClassTable;

// Whether the game lets rows a and b go together: a race and a class it
// allows, in either order.
bool GoTogether(int a, int b);

// a + b with 32-bit two's-complement wrap-around, without signed overflow.
inline std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace kinpath
