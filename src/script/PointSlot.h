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
// The order matters: a line holding two keys belongs to the one listed first.
// halfpts= is Half Elf and helfpts= Halfling; the High Elf slot has no key.
inline constexpr std::array<PointKey, 30> AnswerPointKeys = {{
    {"trollpts=", SlotTroll},         {"barbpts=", SlotBarbarian},  {"humanpts=", SlotHuman},
    {"welfpts=", SlotWoodElf},        {"helfpts=", SlotHalfling},   {"delfpts=", SlotDarkElf},
    {"ogrepts=", SlotOgre},           {"gnomepts=", SlotGnome},     {"halfpts=", SlotHalfElf},
    {"evilpts=", SlotEvil},           {"goodpts=", SlotGood},       {"bigracepts=", SlotBigRace},
    {"smallracepts=", SlotSmallRace}, {"wizpts=", SlotWizard},      {"encpts=", SlotEnchanter},
    {"magpts=", SlotMagician},        {"drupts=", SlotDruid},       {"warpts=", SlotWarrior},
    {"shadpts=", SlotShadowKnight},   {"clrpts=", SlotCleric},      {"shampts=", SlotShaman},
    {"rogpts=", SlotRogue},           {"necpts=", SlotNecromancer}, {"bardpts=", SlotBard},
    {"monkpts=", SlotMonk},           {"palpts=", SlotPaladin},     {"dwapts=", SlotDwarf},
    {"rngpts=", SlotRanger},          {"erupts=", SlotErudite},     {"ikspts=", SlotIksar},
}};

// How every point key ends.
inline constexpr const char* PointKeyEnding = "pts=";

}  // namespace kinpath
