#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scoring/RankTables.h"

namespace kinpath {
namespace {

template <typename Table>
std::vector<std::string> Names(const Table& table) {
    std::vector<std::string> names;
    for (const RankEntry& row : table) names.emplace_back(row.name);
    return names;
}

template <typename Table>
const RankEntry& Row(const Table& table, const char* name) {
    for (const RankEntry& row : table) {
        if (std::strcmp(row.name, name) == 0) return row;
    }
    ADD_FAILURE() << "no row " << name;
    return table[0];
}

class RankTablesTest : public ::testing::Test {
protected:
    void SetUp() override { ResetRankTables(); }
    void TearDown() override { ResetRankTables(); }
};

TEST_F(RankTablesTest, StartAlphabeticalWithZeroScores) {
    EXPECT_EQ(Names(ClassTable),
              (std::vector<std::string>{"Bard", "Cleric", "Druid", "Enchanter", "Magician", "Monk",
                                        "Necromancer", "Paladin", "Ranger", "Rogue",
                                        "Shadow Knight", "Shaman", "Warrior", "Wizard"}));
    EXPECT_EQ(Names(RaceTable),
              (std::vector<std::string>{"Barbarian", "Dark Elf", "Dwarf", "Erudite", "Gnome",
                                        "Half Elf", "Halfling", "High Elf", "Human", "Iksar",
                                        "Ogre", "Troll", "Wood Elf"}));
    for (const RankEntry& row : RaceTable) EXPECT_EQ(row.score, 0) << row.name;
    for (const RankEntry& row : ClassTable) EXPECT_EQ(row.score, 0) << row.name;
}

TEST_F(RankTablesTest, PartnerListsAreExactNamesOfTheOtherTable) {
    auto check = [](const auto& rows, const auto& others) {
        for (const RankEntry& row : rows) {
            bool ended = false;
            for (const char* partner : row.partners) {
                if (partner == nullptr) {
                    ended = true;
                    continue;
                }
                EXPECT_FALSE(ended) << row.name << ": filled slot after an empty one";
                bool known = false;
                for (const RankEntry& other : others) known |= std::strcmp(other.name, partner) == 0;
                EXPECT_TRUE(known) << row.name << " lists unknown " << partner;
            }
        }
    };
    check(RaceTable, ClassTable);
    check(ClassTable, RaceTable);
}

// The two tables agree pairwise (the Iksar class rows included), so a pick made
// from either side finds a partner.
TEST_F(RankTablesTest, TablesAgreeOnEveryPair) {
    for (const RankEntry& race : RaceTable) {
        for (const RankEntry& cls : ClassTable) {
            EXPECT_EQ(FindPartner(cls.name, race) != nullptr, FindPartner(race.name, cls) != nullptr)
                << race.name << " / " << cls.name;
        }
    }
    for (const char* cls : {"Warrior", "Shadow Knight", "Shaman", "Necromancer", "Monk"}) {
        EXPECT_STREQ(FindPartner("Iksar", Row(ClassTable, cls)), cls);
    }
    for (const char* cls : {"Bard", "Cleric", "Paladin", "Wizard"}) {
        EXPECT_EQ(FindPartner("Iksar", Row(ClassTable, cls)), nullptr) << cls;
    }
}

TEST_F(RankTablesTest, FindPartnerOnTheFullHumanRow) {
    const RankEntry& human = Row(RaceTable, "Human");
    for (const char* partner : human.partners) EXPECT_NE(partner, nullptr);
    EXPECT_STREQ(human.partners[13], "Wizard");
    EXPECT_EQ(FindPartner("Shaman", human), nullptr);
    EXPECT_STREQ(FindPartner("Wizard", human), "Human");
    EXPECT_STREQ(FindPartner("Ranger", human), "Human");  // the 13th slot
    EXPECT_EQ(FindPartner("wizard", human), nullptr);
    EXPECT_EQ(FindPartner("Wizard ", human), nullptr);
    EXPECT_EQ(FindPartner(nullptr, human), nullptr);
}

TEST_F(RankTablesTest, FindPartnerOtherRows) {
    EXPECT_EQ(FindPartner("Warrior", Row(RaceTable, "High Elf")), nullptr);
    EXPECT_STREQ(FindPartner("Warrior", Row(RaceTable, "Iksar")), "Iksar");
    EXPECT_STREQ(FindPartner("Half Elf", Row(ClassTable, "Bard")), "Bard");
    EXPECT_EQ(FindPartner("HalfElf", Row(ClassTable, "Bard")), nullptr);
    EXPECT_EQ(FindPartner("", Row(ClassTable, "Bard")), nullptr);

    // The list ends at the first empty slot, even if something follows it.
    RankEntry row{"Test", {"A", nullptr, "B"}, 0};
    EXPECT_STREQ(FindPartner("A", row), "Test");
    EXPECT_EQ(FindPartner("B", row), nullptr);
}

TEST_F(RankTablesTest, ResetRestoresOrderAndScores) {
    std::swap(RaceTable[0], RaceTable[12]);
    ClassTable[3].score = 42;
    ResetRankTables();
    EXPECT_STREQ(RaceTable[0].name, "Barbarian");
    EXPECT_STREQ(RaceTable[12].name, "Wood Elf");
    EXPECT_STREQ(RaceTable[0].partners[1], "Shaman");
    EXPECT_EQ(ClassTable[3].score, 0);
}

}  // namespace
}  // namespace kinpath
