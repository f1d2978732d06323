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

using RaceRows = std::array<RankEntry, RaceRowCount>;
using ClassRows = std::array<RankEntry, ClassRowCount>;

// The tables as every run starts them: alphabetical order, scores 0. A session
// keeps its own copies, which the pick reorders in place.
extern const RaceRows InitialRaceTable;
extern const ClassRows InitialClassTable;

// The row's own name if it lists name among its partners (byte-exact), else null.
const char* FindPartner(const char* name, const RankEntry& row);

// a + b with 32-bit two's-complement wrap-around, without signed overflow.
inline std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace kinpath
