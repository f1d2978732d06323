#include "scoring/RowNames.h"

#include "scoring/BestPick.h"
#include "script/PointSlot.h"

namespace kinpath {

namespace {

constexpr const char* Names[RowCount] = {
    "Barbarian", "Dark Elf", "Dwarf",         "Erudite",  "Gnome",   "Half Elf",    "Halfling",
    "High Elf",  "Human",    "Iksar",         "Ogre",     "Troll",   "Wood Elf",    "Bard",
    "Cleric",    "Druid",    "Enchanter",     "Magician", "Monk",    "Necromancer", "Paladin",
    "Ranger",    "Rogue",    "Shadow Knight", "Shaman",   "Warrior", "Wizard"};

}  // namespace

std::string_view RowName(int row) { return Names[row]; }

const char* RaceName(int index) {
    return index >= 0 && index < RaceRowCount ? Names[index] : UnknownName;
}

const char* ClassName(int index) {
    return index >= 0 && index < ClassRowCount ? Names[RaceRowCount + index] : UnknownName;
}

std::string_view SlotName(int slot) {
    static constexpr const char* Leanings[] = {"evil", "good", "big race", "small race"};
    if (slot >= BarSlotCount) return Leanings[slot - BarSlotCount];
    for (int row = 0; row < RowCount; ++row) {
        if (ScoreSlots(row)[0] == slot) return RowName(row);
    }
    return {};
}

std::string_view SlotKey(int slot) {
    for (const PointKey& key : AnswerPointKeys) {
        if (key.slot == slot) return key.key;
    }
    return {};
}

std::string RowKeys(int row) {
    std::string keys;
    for (const PointSlot slot : ScoreSlots(row)) {
        if (SlotKey(slot).empty()) continue;
        keys += (keys.empty() ? "" : " + ") + std::string(SlotKey(slot));
    }
    return keys;
}

}  // namespace kinpath
