#include "scoring/RankTables.h"

#include <initializer_list>

namespace kinpath {

namespace {

// Classes by their place in the class table.
enum ClassRow : int {
    Bard,
    Cleric,
    Druid,
    Enchanter,
    Magician,
    Monk,
    Necromancer,
    Paladin,
    Ranger,
    Rogue,
    ShadowKnight,
    Shaman,
    Warrior,
    Wizard
};

constexpr std::uint16_t Classes(std::initializer_list<ClassRow> rows) {
    std::uint16_t set = 0;
    for (const ClassRow row : rows) set = static_cast<std::uint16_t>(set | 1u << row);
    return set;
}

// The classes each race may take, races in alphabetical order (Shaman is not
// open to humans).
constexpr std::uint16_t ClassesOfRace[RaceRowCount] = {
    Classes({Warrior, Shaman, Rogue}),  // Barbarian
    Classes({Warrior, Cleric, Enchanter, Druid, Necromancer, Rogue, Magician, ShadowKnight,
             Wizard}),                                                              // Dark Elf
    Classes({Warrior, Cleric, Paladin, Rogue}),                                     // Dwarf
    Classes({Warrior, Paladin, Enchanter, Magician, Necromancer, Cleric, Wizard}),  // Erudite
    Classes({Warrior, Wizard, Enchanter, Magician, Necromancer, Rogue, Cleric}),    // Gnome
    Classes({Warrior, Druid, Ranger, Rogue, Bard, Paladin}),                        // Half Elf
    Classes({Warrior, Druid, Rogue, Cleric}),                                       // Halfling
    Classes({Paladin, Cleric, Magician, Wizard, Enchanter}),                        // High Elf
    Classes({Warrior, ShadowKnight, Necromancer, Enchanter, Magician, Cleric, Wizard, Rogue, Druid,
             Bard, Monk, Paladin, Ranger}),                       // Human
    Classes({Warrior, ShadowKnight, Shaman, Necromancer, Monk}),  // Iksar
    Classes({Warrior, ShadowKnight, Shaman}),                     // Ogre
    Classes({Warrior, ShadowKnight, Shaman}),                     // Troll
    Classes({Warrior, Druid, Rogue, Bard, Ranger}),               // Wood Elf
};

template <std::size_t N>
constexpr std::array<RankEntry, N> RowsFrom(int first) {
    std::array<RankEntry, N> rows{};
    for (std::size_t i = 0; i < N; ++i) rows[i] = {first + static_cast<int>(i), 0};
    return rows;
}

}  // namespace

const RaceRows InitialRaceTable = RowsFrom<RaceRowCount>(0);
const ClassRows InitialClassTable = RowsFrom<ClassRowCount>(RaceRowCount);

bool GoTogether(int a, int b) {
    const int race = a < b ? a : b, cls = (a < b ? b : a) - RaceRowCount;
    if (race < 0 || race >= RaceRowCount || cls < 0 || cls >= ClassRowCount) return false;
    return (ClassesOfRace[race] >> cls & 1u) != 0;
}

}  // namespace kinpath
