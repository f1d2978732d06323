// The 31 point counters: 13 races, 14 classes (Necromancer before Monk), then
// the four leanings.
#pragma once

#include <array>
#include <cstdint>

namespace kinpath {

enum PointSlot : int {
    SlotBarbarian = 0,
    SlotDarkElf,
    SlotDwarf,
    SlotErudite,
    SlotGnome,
    SlotHalfElf,
    SlotHalfling,
    SlotHighElf,
    SlotHuman,
    SlotIksar,
    SlotOgre,
    SlotTroll,
    SlotWoodElf,
    SlotBard,  // 13
    SlotCleric,
    SlotDruid,
    SlotEnchanter,
    SlotMagician,
    SlotNecromancer,
    SlotMonk,
    SlotPaladin,
    SlotRanger,
    SlotRogue,
    SlotShadowKnight,
    SlotShaman,
    SlotWarrior,
    SlotWizard,  // 26
    SlotEvil,    // 27
    SlotGood,
    SlotBigRace,
    SlotSmallRace,  // 30
};

inline constexpr int PointSlotCount = 31;
inline constexpr int RaceSlotCount = 13;
inline constexpr int BarSlotCount = 27;  // races and classes; the leanings have no bar

using PointValues = std::array<std::int32_t, PointSlotCount>;

// An ANSWER block's point key and the slot it sets.
struct PointKey {
    const char* key;
    PointSlot slot;
};

// The 30 point keys in the order an ANSWER line is tested against them.
extern const std::array<PointKey, 30> AnswerPointKeys;

// How every point key ends.
inline constexpr const char* PointKeyEnding = "pts=";

}  // namespace kinpath
