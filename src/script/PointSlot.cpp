#include "script/PointSlot.h"

namespace kinpath {

// The order matters: a line holding two keys belongs to the one listed first.
// halfpts= is Half Elf and helfpts= Halfling; the High Elf slot has no key.
const std::array<PointKey, 30> AnswerPointKeys = {{
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

}  // namespace kinpath
