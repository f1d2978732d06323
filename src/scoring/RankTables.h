// The fixed race and class tables with their partner lists and scores.
#pragma once

#include <array>
#include <cstdint>

#include "script/PointSlot.h"

namespace kinpath {

inline constexpr int PartnerSlots = 14;
inline constexpr int RaceRowCount = 13;
inline constexpr int ClassRowCount = 14;

struct RankEntry {
    const char* name;
    std::array<const char*, PartnerSlots> partners;  // filled slots first, then null
    std::int32_t score;
};

// Reordered in place by the pick; initially in alphabetical order, scores 0.
extern std::array<RankEntry, RaceRowCount> RaceTable;
extern std::array<RankEntry, ClassRowCount> ClassTable;

// The row's own name if it lists name among its partners (byte-exact), else null.
const char* FindPartner(const char* name, const RankEntry& row);

// Puts both tables back in their initial order with every score 0, as at
// program start.
void ResetRankTables();

// The running sums of the chosen answers' points, by PointSlot.
extern PointValues PointTotals;

// a + b with 32-bit two's-complement wrap-around, without signed overflow.
inline std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace kinpath
