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

class BestPickTest : public testing::ProgramTest {
protected:
    // A pick from the initial table order, as on the program's only pick.
    BestPick FreshPick(std::int32_t preference) {
        ResetRankTables();
        return PickBestRaceAndClass(preference);
    }
    void ExpectPick(std::int32_t preference, const char* race, const char* cls) {
        BestPick pick = FreshPick(preference);
        EXPECT_STREQ(pick.race, race) << "preference " << preference;
        EXPECT_STREQ(pick.className, cls) << "preference " << preference;
    }
};

const Names AllZeroClasses{"Paladin", "Cleric", "Druid", "Enchanter", "Magician", "Monk", "Necromancer",
                           "Bard", "Ranger", "Rogue", "Shadow Knight", "Shaman", "Warrior", "Wizard"};
const Names AllZeroRaces{"Halfling", "Dark Elf", "Dwarf", "Erudite", "Gnome", "Half Elf", "Barbarian",
                         "High Elf", "Human", "Iksar", "Ogre", "Troll", "Wood Elf"};

TEST_F(BestPickTest, NoAnswersSwapsOnlyMiddleAndFirstRow) {
    ExpectPick(ClassOverRace, "Dwarf", "Paladin");
    EXPECT_EQ(NamesOf(ClassTable), AllZeroClasses);
    EXPECT_EQ(NamesOf(RaceTable), AllZeroRaces);
    ExpectPick(RaceOverClass, "Halfling", "Cleric");
}

TEST_F(BestPickTest, HumanAndWoodElfTieInPartitionOrder) {
    PointTotals[SlotHuman] = 1;
    PointTotals[SlotWoodElf] = 1;
    ExpectPick(RaceOverClass, "Wood Elf", "Druid");
    EXPECT_EQ(NamesOf(RaceTable),
              (Names{"Wood Elf", "Human", "Erudite", "Gnome", "Half Elf", "Dwarf", "High Elf",
                     "Dark Elf", "Barbarian", "Iksar", "Ogre", "Troll", "Halfling"}));
}

TEST_F(BestPickTest, GoodTotalLiftsTheNineGoodRaces) {
    PointTotals[SlotGood] = 1;
    ExpectPick(ClassOverRace, "High Elf", "Paladin");
    EXPECT_EQ(NamesOf(RaceTable),
              (Names{"Halfling", "High Elf", "Dwarf", "Erudite", "Gnome", "Half Elf", "Barbarian",
                     "Human", "Wood Elf", "Ogre", "Troll", "Iksar", "Dark Elf"}));
}

TEST_F(BestPickTest, EvilTotalLiftsEvilRacesAndClasses) {
    PointTotals[SlotEvil] = 2;
    for (std::int32_t preference : {ClassOverRace, RaceOverClass}) {
        ExpectPick(preference, "Troll", "Shadow Knight");
        const Names races = NamesOf(RaceTable);
        const Names classes = NamesOf(ClassTable);
        EXPECT_EQ(Names(races.begin(), races.begin() + 3), (Names{"Troll", "Dark Elf", "Ogre"}));
        EXPECT_EQ(Names(classes.begin(), classes.begin() + 2), (Names{"Shadow Knight", "Necromancer"}));
        EXPECT_EQ(RaceTable[3].score, 0);
        EXPECT_EQ(ClassTable[2].score, 0);
    }
}

TEST_F(BestPickTest, MonkAndNecromancerSlotsAreNotSwapped) {
    PointTotals[SlotMonk] = 3;
    ExpectPick(ClassOverRace, "Human", "Monk");
    EXPECT_EQ(ClassTable[0].score, 3);
    PointTotals.fill(0);
    PointTotals[SlotNecromancer] = 3;
    ExpectPick(ClassOverRace, "Dark Elf", "Necromancer");
}

TEST_F(BestPickTest, NegativeScoreSortsBelowZero) {
    PointTotals[SlotBard] = -1;
    FreshPick(ClassOverRace);
    EXPECT_EQ(NamesOf(ClassTable),
              (Names{"Paladin", "Cleric", "Druid", "Enchanter", "Magician", "Monk", "Necromancer",
                     "Ranger", "Rogue", "Shadow Knight", "Shaman", "Warrior", "Wizard", "Bard"}));
    EXPECT_EQ(ClassTable[13].score, -1);
}

TEST_F(BestPickTest, IksarFirstFindsAClassEitherWay) {
    PointTotals[SlotIksar] = 4;
    ExpectPick(RaceOverClass, "Iksar", "Monk");
    EXPECT_STREQ(RaceTable[0].name, "Iksar");
    ExpectPick(ClassOverRace, "Dwarf", "Paladin");
}

TEST_F(BestPickTest, ShamanSearchPassesTheFullHumanRow) {
    PointTotals[SlotShaman] = 5;
    PointTotals[SlotHuman] = 5;
    ExpectPick(ClassOverRace, "Barbarian", "Shaman");
    EXPECT_STREQ(RaceTable[0].name, "Human");
}

TEST_F(BestPickTest, MixedSignsSortDescending) {
    PointTotals[SlotTroll] = -5;
    PointTotals[SlotGnome] = 3;
    PointTotals[SlotSmallRace] = -1;  // Dwarf, Gnome, Half Elf
    PointTotals[SlotWarrior] = 7;
    PointTotals[SlotWizard] = -2;
    PointTotals[SlotEvil] = 1;
    ExpectPick(ClassOverRace, "Gnome", "Warrior");
    for (std::size_t i = 1; i < RaceTable.size(); ++i) EXPECT_GE(RaceTable[i - 1].score, RaceTable[i].score);
    for (std::size_t i = 1; i < ClassTable.size(); ++i) EXPECT_GE(ClassTable[i - 1].score, ClassTable[i].score);
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
        {"Barbarian", bits({SlotBarbarian, SlotGood, SlotBigRace})},
        {"Dark Elf", bits({SlotDarkElf, SlotEvil})},
        {"Dwarf", bits({SlotDwarf, SlotGood, SlotSmallRace})},
        {"Erudite", bits({SlotErudite, SlotGood})},
        {"Gnome", bits({SlotGnome, SlotGood, SlotSmallRace})},
        {"Half Elf", bits({SlotHalfElf, SlotGood, SlotSmallRace})},
        {"Halfling", bits({SlotHalfling, SlotGood})},
        {"High Elf", bits({SlotHighElf, SlotGood})},
        {"Human", bits({SlotHuman, SlotGood})},
        {"Iksar", bits({SlotIksar})},
        {"Ogre", bits({SlotOgre, SlotEvil, SlotBigRace})},
        {"Troll", bits({SlotTroll, SlotEvil, SlotBigRace})},
        {"Wood Elf", bits({SlotWoodElf, SlotGood})},
        {"Bard", bits({SlotBard})},
        {"Cleric", bits({SlotCleric})},
        {"Druid", bits({SlotDruid})},
        {"Enchanter", bits({SlotEnchanter})},
        {"Magician", bits({SlotMagician})},
        {"Monk", bits({SlotMonk})},
        {"Necromancer", bits({SlotNecromancer, SlotEvil})},
        {"Paladin", bits({SlotPaladin})},
        {"Ranger", bits({SlotRanger})},
        {"Rogue", bits({SlotRogue})},
        {"Shadow Knight", bits({SlotShadowKnight, SlotEvil})},
        {"Shaman", bits({SlotShaman})},
        {"Warrior", bits({SlotWarrior})},
        {"Wizard", bits({SlotWizard})},
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

Names RowNames(const std::vector<RankEntry>& rows) {
    Names out;
    for (const RankEntry& row : rows) out.emplace_back(row.name);
    return out;
}

TEST_F(BestPickTest, SortTieOrderOfBothBranches) {
    std::vector<std::string> names;
    // Up to 8 rows: repeated selection moves the earliest lowest row to the end.
    auto rows = MakeRows({0, 0, 0, 1}, names);
    SortByScore(rows.data(), static_cast<int>(rows.size()));
    EXPECT_EQ(RowNames(rows), (Names{"r3", "r2", "r1", "r0"}));
    // 9 rows: the middle row becomes the pivot and the rest are partitioned.
    rows = MakeRows({0, 0, 0, 0, 0, 0, 0, 0, 0}, names);
    SortByScore(rows.data(), 9);
    EXPECT_EQ(RowNames(rows), (Names{"r4", "r1", "r2", "r3", "r0", "r5", "r6", "r7", "r8"}));
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
            Names after = RowNames(rows);
            ASSERT_EQ(before, std::multiset<std::string>(after.begin(), after.end()));
            for (const RankEntry& row : rows) ASSERT_EQ(row.score, scores[std::stoi(row.name + 1)]);
        }
    }
}

TEST_F(BestPickTest, PreferenceComesFromTheSettingsBlock) {
    EXPECT_EQ(ScriptPreference(), ClassOverRace);
    TheScriptDocument.SetSettings(std::make_unique<SettingsBlock>(&TheScriptDocument));
    EXPECT_EQ(ScriptPreference(), ClassOverRace);
    TheScriptDocument.settings->Preference = RaceOverClass;
    EXPECT_EQ(ScriptPreference(), RaceOverClass);
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

TEST_F(BestPickTest, AnnounceFollowsARaceOverClassScript) {
    WriteScript("<SETTINGS>\npreference=raceoverclass\n</SETTINGS>\n");
    ASSERT_EQ(OpenScript(TheScriptDocument), 1);
    ASSERT_NE(TheScriptDocument.Parse(nullptr), -1);
    ASSERT_EQ(ScriptPreference(), RaceOverClass);
    HeadlessDialog dialog;
    PointTotals[SlotIksar] = 1;
    AnnounceBestPick(dialog);
    EXPECT_EQ(dialog.PaneText(),
              "It appears that the best race for you is Iksar\r\nand the best class is Monk!\r\n");
}

}  // namespace
}  // namespace kinpath
