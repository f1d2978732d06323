#include "script/PointSlot.h"

#include <string_view>

namespace kinpath {

// The order matters: a line holding two keys belongs to the one listed first.
// halfpts= is Half Elf and helfpts= Halfling; the High Elf slot has no key.
constexpr std::array<PointKey, 30> AnswerPointKeys = {{
    {"trollpts=", SlotTroll},
    {"barbpts=", SlotBarbarian},
    {"humanpts=", SlotHuman},
    {"welfpts=", SlotWoodElf},
    {"helfpts=", SlotHalfling},
    {"delfpts=", SlotDarkElf},
    {"ogrepts=", SlotOgre},
    {"gnomepts=", SlotGnome},
    {"halfpts=", SlotHalfElf},
    {"evilpts=", SlotEvil},
    {"goodpts=", SlotGood},
    {"bigracepts=", SlotBigRace},
    {"smallracepts=", SlotSmallRace},
    {"wizpts=", SlotWizard},
    {"encpts=", SlotEnchanter},
    {"magpts=", SlotMagician},
    {"drupts=", SlotDruid},
    {"warpts=", SlotWarrior},
    {"shadpts=", SlotShadowKnight},
    {"clrpts=", SlotCleric},
    {"shampts=", SlotShaman},
    {"rogpts=", SlotRogue},
    {"necpts=", SlotNecromancer},
    {"bardpts=", SlotBard},
    {"monkpts=", SlotMonk},
    {"palpts=", SlotPaladin},
    {"dwapts=", SlotDwarf},
    {"rngpts=", SlotRanger},
    {"erupts=", SlotErudite},
    {"ikspts=", SlotIksar},
}};

namespace {

// The ANSWER reader finds point keys through their common ending, each with a
// name in front of it.
constexpr bool AllEndIn(std::string_view ending) {
    for (const PointKey& entry : AnswerPointKeys) {
        const std::string_view key(entry.key);
        if (key.size() <= ending.size() || !key.ends_with(ending)) {
            return false;
        }
    }
    return true;
}
static_assert(AllEndIn(PointKeyEnding));

}  // namespace

}  // namespace kinpath
