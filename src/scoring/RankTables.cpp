#include "scoring/RankTables.h"

#include <cstring>

namespace kinpath {

namespace {

// Alphabetical order; partners in the order the game's rules list them. The
// Iksar entries of the Warrior, Shadow Knight, Shaman, Necromancer and Monk rows
// mirror the Iksar race row, so that "race over class" can place an Iksar.
constexpr ClassRows ClassRowsAtStart{{
    {"Bard", {"Human", "Wood Elf", "Half Elf"}, 0},
    {"Cleric", {"Human", "Dark Elf", "Dwarf", "High Elf", "Erudite", "Gnome", "Halfling"}, 0},
    {"Druid", {"Human", "Wood Elf", "Dark Elf", "Halfling", "Half Elf"}, 0},
    {"Enchanter", {"Human", "Gnome", "Erudite", "High Elf", "Dark Elf"}, 0},
    {"Magician", {"Human", "Gnome", "Erudite", "High Elf", "Dark Elf"}, 0},
    {"Monk", {"Human", "Iksar"}, 0},
    {"Necromancer", {"Human", "Dark Elf", "Gnome", "Erudite", "Iksar"}, 0},
    {"Paladin", {"Human", "High Elf", "Dwarf", "Erudite", "Half Elf"}, 0},
    {"Ranger", {"Human", "Wood Elf", "Half Elf"}, 0},
    {"Rogue",
     {"Human", "Wood Elf", "Barbarian", "Half Elf", "Gnome", "Halfling", "Dark Elf", "Dwarf"},
     0},
    {"Shadow Knight", {"Human", "Troll", "Ogre", "Dark Elf", "Iksar"}, 0},
    {"Shaman", {"Troll", "Ogre", "Barbarian", "Iksar"}, 0},
    {"Warrior",
     {"Human", "Troll", "Wood Elf", "Half Elf", "Dark Elf", "Dwarf", "Ogre", "Gnome", "Halfling",
      "Erudite", "Barbarian", "Iksar"},
     0},
    {"Wizard", {"Human", "Gnome", "Erudite", "High Elf", "Dark Elf"}, 0},
}};

constexpr RaceRows RaceRowsAtStart{{
    {"Barbarian", {"Warrior", "Shaman", "Rogue"}, 0},
    {"Dark Elf",
     {"Warrior", "Cleric", "Enchanter", "Druid", "Necromancer", "Rogue", "Magician",
      "Shadow Knight", "Wizard"},
     0},
    {"Dwarf", {"Warrior", "Cleric", "Paladin", "Rogue"}, 0},
    {"Erudite",
     {"Warrior", "Paladin", "Enchanter", "Magician", "Necromancer", "Cleric", "Wizard"},
     0},
    {"Gnome", {"Warrior", "Wizard", "Enchanter", "Magician", "Necromancer", "Rogue", "Cleric"}, 0},
    {"Half Elf", {"Warrior", "Druid", "Ranger", "Rogue", "Bard", "Paladin"}, 0},
    {"Halfling", {"Warrior", "Druid", "Rogue", "Cleric"}, 0},
    {"High Elf", {"Paladin", "Cleric", "Magician", "Wizard", "Enchanter"}, 0},
    // Every slot is filled (Wizard twice); Shaman is not open to humans.
    {"Human",
     {"Warrior", "Shadow Knight", "Necromancer", "Enchanter", "Magician", "Cleric", "Wizard",
      "Rogue", "Druid", "Bard", "Monk", "Paladin", "Ranger", "Wizard"},
     0},
    {"Iksar", {"Warrior", "Shadow Knight", "Shaman", "Necromancer", "Monk"}, 0},
    {"Ogre", {"Warrior", "Shadow Knight", "Shaman"}, 0},
    {"Troll", {"Warrior", "Shadow Knight", "Shaman"}, 0},
    {"Wood Elf", {"Warrior", "Druid", "Rogue", "Bard", "Ranger"}, 0},
}};

}  // namespace

const RaceRows InitialRaceTable = RaceRowsAtStart;
const ClassRows InitialClassTable = ClassRowsAtStart;

const char* FindPartner(const char* name, const RankEntry& row) {
    if (name == nullptr) return nullptr;
    for (const char* partner : row.partners) {
        if (partner == nullptr) return nullptr;
        if (std::strcmp(partner, name) == 0) return row.name;
    }
    return nullptr;
}

}  // namespace kinpath
