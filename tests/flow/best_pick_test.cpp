#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "scoring/BestPick.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"

namespace kinpath {
namespace {

using testing::HeadlessDialog;
using Names = std::vector<std::string>;

template <typename Table>
Names NamesOf(const Table& table) {
    Names names;
    for (const RankEntry& row : table) names.emplace_back(row.name);
    return names;
}

class BestPickTest : public testing::ProgramTest {};

Names Prefix(const Names& names, std::size_t count) {
    return Names(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(std::min(count, names.size())));
}

// The ranking edge cases: totals, preference, the pick from the initial table
// order, and the sorted orders (or their first rows) that tie order must give.
TEST_F(BestPickTest, PicksAndSortedOrdersOfTheEdgeCases) {
    struct Case {
        const char* what;
        std::vector<std::pair<PointSlot, std::int32_t>> totals;
        std::int32_t preference;
        const char* race;
        const char* cls;
        Names races;    // expected first rows of RaceTable (all 13 where given so)
        Names classes;  // expected first rows of ClassTable
    };
    const Names zeroRaces{"Halfling", "Dark Elf", "Dwarf", "Erudite", "Gnome", "Half Elf", "Barbarian",
                          "High Elf", "Human", "Iksar", "Ogre", "Troll", "Wood Elf"};
    const Names zeroClasses{"Paladin", "Cleric", "Druid", "Enchanter", "Magician", "Monk", "Necromancer",
                            "Bard", "Ranger", "Rogue", "Shadow Knight", "Shaman", "Warrior", "Wizard"};
    const Case cases[] = {
        // No answers: only the middle and the first row of each table swap.
        {"none", {}, ClassOverRace, "Dwarf", "Paladin", zeroRaces, zeroClasses},
        {"none", {}, RaceOverClass, "Halfling", "Cleric", zeroRaces, zeroClasses},
        // Wood Elf first although a stable sort would put Human first.
        {"human+wood elf", {{SlotHuman, 1}, {SlotWoodElf, 1}}, RaceOverClass, "Wood Elf", "Druid",
         {"Wood Elf", "Human", "Erudite", "Gnome", "Half Elf", "Dwarf", "High Elf", "Dark Elf", "Barbarian",
          "Iksar", "Ogre", "Troll", "Halfling"}, {}},
        // Halfling does not allow Paladin.
        {"good", {{SlotGood, 1}}, ClassOverRace, "High Elf", "Paladin",
         {"Halfling", "High Elf", "Dwarf", "Erudite", "Gnome", "Half Elf", "Barbarian", "Human", "Wood Elf",
          "Ogre", "Troll", "Iksar", "Dark Elf"}, {}},
        {"evil", {{SlotEvil, 2}}, ClassOverRace, "Troll", "Shadow Knight",
         {"Troll", "Dark Elf", "Ogre"}, {"Shadow Knight", "Necromancer"}},
        {"evil", {{SlotEvil, 2}}, RaceOverClass, "Troll", "Shadow Knight",
         {"Troll", "Dark Elf", "Ogre"}, {"Shadow Knight", "Necromancer"}},
        // Slots 18 and 19 are not swapped.
        {"monk", {{SlotMonk, 3}}, ClassOverRace, "Human", "Monk", {}, {"Monk"}},
        {"necromancer", {{SlotNecromancer, 3}}, ClassOverRace, "Dark Elf", "Necromancer", {}, {"Necromancer"}},
        {"bard negative", {{SlotBard, -1}}, ClassOverRace, "Dwarf", "Paladin", {},
         {"Paladin", "Cleric", "Druid", "Enchanter", "Magician", "Monk", "Necromancer", "Ranger", "Rogue",
          "Shadow Knight", "Shaman", "Warrior", "Wizard", "Bard"}},
        // Iksar is listed by its class rows, so race over class finds Monk.
        {"iksar", {{SlotIksar, 4}}, RaceOverClass, "Iksar", "Monk", {"Iksar"}, {}},
        {"iksar", {{SlotIksar, 4}}, ClassOverRace, "Dwarf", "Paladin", {}, {}},
        // The full Human row is searched without a match; Barbarian is next.
        {"shaman+human", {{SlotShaman, 5}, {SlotHuman, 5}}, ClassOverRace, "Barbarian", "Shaman", {"Human"},
         {"Shaman"}},
        {"mixed signs",
         {{SlotTroll, -5}, {SlotGnome, 3}, {SlotSmallRace, -1}, {SlotWarrior, 7}, {SlotWizard, -2}, {SlotEvil, 1}},
         ClassOverRace, "Gnome", "Warrior", {"Gnome"}, {"Warrior"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + (c.preference == ClassOverRace ? ", class over race" : ", race over class"));
        PointTotals.fill(0);
        for (const auto& [slot, value] : c.totals) PointTotals[slot] = value;
        ResetRankTables();
        const BestPick pick = PickBestRaceAndClass(c.preference);
        EXPECT_STREQ(pick.race, c.race);
        EXPECT_STREQ(pick.className, c.cls);
        EXPECT_EQ(Prefix(NamesOf(RaceTable), c.races.size()), c.races);
        EXPECT_EQ(Prefix(NamesOf(ClassTable), c.classes.size()), c.classes);
        for (std::size_t i = 1; i < RaceTable.size(); ++i) EXPECT_GE(RaceTable[i - 1].score, RaceTable[i].score);
        for (std::size_t i = 1; i < ClassTable.size(); ++i) EXPECT_GE(ClassTable[i - 1].score, ClassTable[i].score);
    }
    // The mixed case left its scores: a negative row sorts below every row at 0.
    EXPECT_STREQ(RaceTable[12].name, "Troll");
    EXPECT_EQ(RaceTable[12].score, -4);
    EXPECT_STREQ(ClassTable[13].name, "Wizard");
}

// Each total a distinct bit: every row's score names exactly the slots it sums.
TEST_F(BestPickTest, RowsAreScoredByNameWhateverTheirOrder) {
    for (int k = 0; k < PointSlotCount; ++k) PointTotals[k] = 1 << k;
    auto bits = [](std::initializer_list<PointSlot> slots) {
        std::int32_t sum = 0;
        for (PointSlot s : slots) sum |= 1 << s;
        return sum;
    };
    const std::map<std::string, std::int32_t> expected{
        {"Barbarian", bits({SlotBarbarian, SlotGood, SlotBigRace})}, {"Dark Elf", bits({SlotDarkElf, SlotEvil})},
        {"Dwarf", bits({SlotDwarf, SlotGood, SlotSmallRace})},       {"Erudite", bits({SlotErudite, SlotGood})},
        {"Gnome", bits({SlotGnome, SlotGood, SlotSmallRace})},       {"Halfling", bits({SlotHalfling, SlotGood})},
        {"Half Elf", bits({SlotHalfElf, SlotGood, SlotSmallRace})},  {"High Elf", bits({SlotHighElf, SlotGood})},
        {"Human", bits({SlotHuman, SlotGood})},                      {"Iksar", bits({SlotIksar})},
        {"Ogre", bits({SlotOgre, SlotEvil, SlotBigRace})},           {"Wood Elf", bits({SlotWoodElf, SlotGood})},
        {"Troll", bits({SlotTroll, SlotEvil, SlotBigRace})},         {"Bard", bits({SlotBard})},
        {"Cleric", bits({SlotCleric})},       {"Druid", bits({SlotDruid})},     {"Enchanter", bits({SlotEnchanter})},
        {"Magician", bits({SlotMagician})},   {"Monk", bits({SlotMonk})},       {"Paladin", bits({SlotPaladin})},
        {"Necromancer", bits({SlotNecromancer, SlotEvil})}, {"Shadow Knight", bits({SlotShadowKnight, SlotEvil})},
        {"Ranger", bits({SlotRanger})},       {"Rogue", bits({SlotRogue})},     {"Shaman", bits({SlotShaman})},
        {"Warrior", bits({SlotWarrior})},     {"Wizard", bits({SlotWizard})},
    };
    std::reverse(RaceTable.begin(), RaceTable.end());
    std::rotate(ClassTable.begin(), ClassTable.begin() + 5, ClassTable.end());
    ScoreRows();
    ScoreRows();  // overwritten, not added
    for (const RankEntry& row : RaceTable) EXPECT_EQ(row.score, expected.at(row.name)) << row.name;
    for (const RankEntry& row : ClassTable) EXPECT_EQ(row.score, expected.at(row.name)) << row.name;
}

TEST_F(BestPickTest, ScoresWrapAroundLike32BitIntegers) {
    PointTotals[SlotBarbarian] = INT32_MAX;
    PointTotals[SlotGood] = 1;
    PointTotals[SlotDarkElf] = INT32_MIN;
    PointTotals[SlotEvil] = -1;
    ScoreRows();
    auto score = [](const char* name) {
        for (const RankEntry& row : RaceTable)
            if (std::strcmp(row.name, name) == 0) return row.score;
        return -12345;
    };
    EXPECT_EQ(score("Barbarian"), INT32_MIN);
    EXPECT_EQ(score("Dark Elf"), INT32_MAX);
    EXPECT_EQ(score("Ogre"), -1);
    EXPECT_EQ(score("Human"), 1);
    SortByScore(RaceTable.data(), RaceRowCount);
    EXPECT_STREQ(RaceTable[0].name, "Dark Elf");
    EXPECT_STREQ(RaceTable[12].name, "Barbarian");
}

std::vector<RankEntry> MakeRows(const std::vector<std::int32_t>& scores, std::vector<std::string>& names) {
    names.clear();
    for (std::size_t i = 0; i < scores.size(); ++i) names.push_back("r" + std::to_string(i));
    std::vector<RankEntry> rows;
    for (std::size_t i = 0; i < scores.size(); ++i) rows.push_back({names[i].c_str(), {}, scores[i]});
    return rows;
}

TEST_F(BestPickTest, SortTieOrderOfBothBranches) {
    std::vector<std::string> names;
    // Up to 8 rows: repeated selection moves the earliest lowest row to the end.
    auto rows = MakeRows({0, 0, 0, 1}, names);
    SortByScore(rows.data(), static_cast<int>(rows.size()));
    EXPECT_EQ(NamesOf(rows), (Names{"r3", "r2", "r1", "r0"}));
    // 9 rows: the middle row becomes the pivot and the rest are partitioned.
    rows = MakeRows({0, 0, 0, 0, 0, 0, 0, 0, 0}, names);
    SortByScore(rows.data(), 9);
    EXPECT_EQ(NamesOf(rows), (Names{"r4", "r1", "r2", "r3", "r0", "r5", "r6", "r7", "r8"}));
    // Fewer than two rows: nothing happens.
    rows = MakeRows({5}, names);
    SortByScore(rows.data(), 1);
    SortByScore(rows.data(), 0);
    EXPECT_EQ(rows[0].score, 5);
}

TEST_F(BestPickTest, SortKeepsEveryRowAndOrdersDescending) {
    std::mt19937 random(7);
    for (int size = 2; size <= 60; ++size) {
        for (int spread : {1, 3, 1000}) {
            std::uniform_int_distribution<std::int32_t> value(-spread, spread);
            std::vector<std::int32_t> scores(size);
            for (auto& s : scores) s = value(random);
            std::vector<std::string> names;
            auto rows = MakeRows(scores, names);
            SortByScore(rows.data(), size);
            for (int i = 1; i < size; ++i) ASSERT_GE(rows[i - 1].score, rows[i].score);
            std::multiset<std::string> before(names.begin(), names.end());
            Names after = NamesOf(rows);
            ASSERT_EQ(before, std::multiset<std::string>(after.begin(), after.end()));
            for (const RankEntry& row : rows) ASSERT_EQ(row.score, scores[std::stoi(row.name + 1)]);
        }
    }
}

TEST_F(BestPickTest, AnnounceAppendsTheSentenceAsTwoLines) {
    HeadlessDialog dialog;
    dialog.SetPaneText("Before\r\n");
    AnnounceBestPick(dialog);
    EXPECT_EQ(dialog.PaneText(),
              "Before\r\nIt appears that the best race for you is Dwarf\r\n"
              "and the best class is Paladin!\r\n");
    EXPECT_EQ(dialog.PaneLineCount(), 4);
    EXPECT_TRUE(dialog.boxes.empty());
}

TEST_F(BestPickTest, AnnounceFollowsTheScriptsPreference) {
    EXPECT_EQ(ScriptPreference(), ClassOverRace);  // no SETTINGS block
    WriteScript("<SETTINGS>\npreference=raceoverclass\n</SETTINGS>\n");
    ASSERT_EQ(OpenScript(TheScriptDocument), 1);
    ASSERT_NE(TheScriptDocument.Parse(nullptr), -1);
    ASSERT_EQ(ScriptPreference(), RaceOverClass);
    TheScriptDocument.settings->Preference = ClassOverRace;
    EXPECT_EQ(ScriptPreference(), ClassOverRace);
    TheScriptDocument.settings->Preference = RaceOverClass;
    HeadlessDialog dialog;
    PointTotals[SlotIksar] = 1;
    AnnounceBestPick(dialog);
    EXPECT_EQ(dialog.PaneText(),
              "It appears that the best race for you is Iksar\r\nand the best class is Monk!\r\n");
}

}  // namespace
}  // namespace kinpath
