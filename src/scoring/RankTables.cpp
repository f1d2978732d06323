#include "scoring/RankTables.h"

#include <initializer_list>

#include "script/ScriptDocument.h"

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

// Row names, races then classes, each table alphabetical.
constexpr const char* Names[RowCount] = {
    "Barbarian", "Dark Elf", "Dwarf",         "Erudite",  "Gnome",   "Half Elf",    "Halfling",
    "High Elf",  "Human",    "Iksar",         "Ogre",     "Troll",   "Wood Elf",    "Bard",
    "Cleric",    "Druid",    "Enchanter",     "Magician", "Monk",    "Necromancer", "Paladin",
    "Ranger",    "Rogue",    "Shadow Knight", "Shaman",   "Warrior", "Wizard"};

// What each row is and how it plays, in a line a player reads on the pick.
constexpr const char* Abouts[RowCount] = {
    "Tall, hardy folk of the frozen north who hit hard and shrug off cold and blows.",
    "Elves of the deep caves who see in the dark: clever, secretive, drawn to magic.",
    "Short, stout mountain folk, tough and stubborn, who hold the front line.",
    "A learned people who live for study: frail in a brawl, strong in magic.",
    "Small, inventive tinkerers whose quick minds suit spells and clever devices.",
    "Born between two peoples and at ease in both, with a little of each one's gifts.",
    "Small, cheerful country folk, light on their feet and hard to catch.",
    "Proud, graceful elves of old cities, devoted to learning and the higher magic.",
    "The most common folk of all, able to learn almost any trade: a sure start on any path.",
    "Scaled, cold-blooded folk of the swamps, hardy and disciplined, and widely mistrusted.",
    "Huge, immensely strong and slow of wit: very hard to knock down.",
    "Towering swamp dwellers whose wounds close by themselves; fierce and much feared.",
    "Quick, light elves of the forests, at home in the trees and deadly with a bow.",
    "A travelling musician whose songs lift friends and unsettle foes; a bit of everything.",
    "A priest who heals and shields the party: the one everyone stays close to.",
    "A keeper of the wild who heals, calls on the weather and travels far and fast.",
    "A caster of the mind who charms, confuses and holds enemies in place.",
    "A summoner who calls up servants of fire, earth, air and water to fight.",
    "A fighter without weapons, trained in body and mind: fast and hard to pin down.",
    "A dark caster who raises the dead to serve and drains the life from foes.",
    "A holy knight bound by an oath, who fights in front and heals those beside.",
    "A hunter of the wilds with bow and blade, who tracks and fights from cover.",
    "A quick, quiet fighter who strikes from behind and deals with locks and traps.",
    "A knight of dark powers in heavy armour, who fights with fear and cursed spells.",
    "A caller of spirits who heals, weakens enemies and makes friends stronger.",
    "A master of arms and armour who stands in front and takes the blows.",
    "A student of raw magic who strikes hardest from afar but is frail up close.",
};

// Which totals make up each row's score. The leanings count for the rows they
// describe: evil, good, big race, small race. Each row is led by its own total.
struct ScoreRule {
    int count;
    PointSlot slots[3];
};

constexpr ScoreRule ScoreRules[RowCount] = {
    {3, {SlotBarbarian, SlotGood, SlotBigRace}},
    {2, {SlotDarkElf, SlotEvil}},
    {3, {SlotDwarf, SlotGood, SlotSmallRace}},
    {2, {SlotErudite, SlotGood}},
    {3, {SlotGnome, SlotGood, SlotSmallRace}},
    {3, {SlotHalfElf, SlotGood, SlotSmallRace}},
    {2, {SlotHalfling, SlotGood}},
    {2, {SlotHighElf, SlotGood}},
    {2, {SlotHuman, SlotGood}},
    {1, {SlotIksar}},
    {3, {SlotOgre, SlotEvil, SlotBigRace}},
    {3, {SlotTroll, SlotEvil, SlotBigRace}},
    {2, {SlotWoodElf, SlotGood}},
    {1, {SlotBard}},
    {1, {SlotCleric}},
    {1, {SlotDruid}},
    {1, {SlotEnchanter}},
    {1, {SlotMagician}},
    {1, {SlotMonk}},
    {2, {SlotNecromancer, SlotEvil}},
    {1, {SlotPaladin}},
    {1, {SlotRanger}},
    {1, {SlotRogue}},
    {2, {SlotShadowKnight, SlotEvil}},
    {1, {SlotShaman}},
    {1, {SlotWarrior}},
    {1, {SlotWizard}},
};

Game MakeBuiltInGame() {
    Game game;
    for (int row = 0; row < RowCount; ++row) {
        GameRow entry;
        entry.name = Names[row];
        entry.about = Abouts[row];
        const ScoreRule& rule = ScoreRules[row];
        entry.count = static_cast<std::uint8_t>(rule.count);
        for (int i = 0; i < rule.count; ++i)
            entry.slots[std::size_t(i)] = std::uint8_t(rule.slots[i]);
        if (row < RaceRowCount) {
            entry.partners = ClassesOfRace[row];
        } else {
            for (int race = 0; race < RaceRowCount; ++race) {
                if (ClassesOfRace[race] >> (row - RaceRowCount) & 1u)
                    entry.partners = static_cast<std::uint16_t>(entry.partners | 1u << race);
            }
        }
        game.tables[row < RaceRowCount ? 0 : 1].push_back(entry);
    }
    game.shared = {"evil", "good", "big race", "small race"};
    game.sharedAbout = {"a liking for dark and ruthless ways", "a wish to do right by others",
                        "a liking for a large, strong body", "a liking for a small, nimble body"};
    for (const PointKey& key : AnswerPointKeys)
        game.keys.push_back({key.key, static_cast<std::uint8_t>(key.slot)});
    return game;
}

template <typename Rows>
Rows InitialRows(const Game& game, int table) {
    Rows rows;
    rows.count = static_cast<int>(game.tables[std::size_t(table)].size());
    for (int i = 0; i < rows.count; ++i)
        rows.entries[std::size_t(i)] = {i + (table == 0 ? 0 : RaceRowCount), 0};
    return rows;
}

}  // namespace

const Game& BuiltInGame() {
    static const Game game = MakeBuiltInGame();
    return game;
}

const Game& GameOf(const ScriptDocument& document) {
    const Game* declared = document.DeclaredGame();
    return declared != nullptr && !declared->tables[0].empty() ? *declared : BuiltInGame();
}

const Game& TextsOf(const ScriptDocument& document) {
    const Game* declared = document.DeclaredGame();
    return declared != nullptr ? *declared : BuiltInGame();
}

RaceRows InitialRaces(const Game& game) { return InitialRows<RaceRows>(game, 0); }
ClassRows InitialClasses(const Game& game) { return InitialRows<ClassRows>(game, 1); }

bool GoTogether(const Game& game, int a, int b) {
    const int race = a < b ? a : b, cls = a < b ? b : a;
    if (race >= RaceRowCount || cls < RaceRowCount || !HasRow(game, race) || !HasRow(game, cls))
        return false;
    return (game.tables[0][std::size_t(race)].partners >> (cls - RaceRowCount) & 1u) != 0;
}

}  // namespace kinpath
