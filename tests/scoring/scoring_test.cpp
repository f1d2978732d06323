// Scoring held to small reference models on random input: which answer a
// choice finds, the points it adds, the scores with their leanings, the
// partition-exchange sort with its tie order, and the pick by preference with
// its "Unknown" fallback.
#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "scoring/AnswerRecording.h"
#include "scoring/BestPick.h"
#include "scoring/PickReasons.h"
#include "script/ScriptDocument.h"

using namespace kinpath;

namespace {

// Each row's name and score, in table order.
template <typename Rows>
std::vector<std::pair<std::string, std::int32_t>> Ranked(const Rows& rows) {
    std::vector<std::pair<std::string, std::int32_t>> ranked;
    for (const RankEntry& row : rows) ranked.emplace_back(row.name, row.score);
    return ranked;
}

// The procedure on plain items. Runs of up to 8 move their lowest item (the
// earliest of equals) to the end, again and again; longer runs are split
// around their middle item, scanning in from both ends.
void ReferenceSort(RankEntry* v, int lo, int hi) {
    if (hi - lo + 1 <= 8) {
        for (int last = hi; last > lo; --last) {
            int lowest = lo;
            for (int p = lo + 1; p <= last; ++p) lowest = v[p].score < v[lowest].score ? p : lowest;
            std::swap(v[lowest], v[last]);
        }
        return;
    }
    std::swap(v[lo], v[lo + (hi - lo + 1) / 2]);
    const std::int32_t pivot = v[lo].score;
    int i = lo, j = hi + 1;
    for (;;) {
        while (++i <= hi && v[i].score >= pivot) continue;
        while (--j > lo && v[j].score <= pivot) continue;
        if (j < i) break;
        std::swap(v[i], v[j]);
    }
    std::swap(v[lo], v[j]);
    if (j - 1 > lo) ReferenceSort(v, lo, j - 1);
    if (hi > i) ReferenceSort(v, i, hi);
}

// A row's own slot (races, then classes, Necromancer before Monk) plus the
// leanings that describe it (evil, good, big, small), summed modulo 2^32.
std::int32_t ReferenceScore(const PointValues& totals, const std::string& name) {
    static std::map<std::string, std::string> leanings{
        {"Barbarian", "gb"},  {"Dark Elf", "e"},     {"Dwarf", "gs"},   {"Erudite", "g"},
        {"Gnome", "gs"},      {"Half Elf", "gs"},    {"Halfling", "g"}, {"High Elf", "g"},
        {"Human", "g"},       {"Ogre", "eb"},        {"Troll", "eb"},   {"Wood Elf", "g"},
        {"Necromancer", "e"}, {"Shadow Knight", "e"}};
    int slot = 0;
    while (slot < 13 && name != InitialRaceTable[slot].name) ++slot;
    for (int c = 0; slot == 13 && c < 14; ++c)
        if (name == InitialClassTable[c].name) slot = 13 + (c == 5 ? 6 : c == 6 ? 5 : c);
    std::int64_t sum = totals[slot];
    for (char c : leanings[name]) sum += totals[SlotEvil + std::string("egbs").find(c)];
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(sum));
}

bool Lists(const RankEntry& row, const std::string& name) {
    const auto end = std::find(row.partners.begin(), row.partners.end(), nullptr);
    return std::find(row.partners.begin(), end, name) != end;
}

// The best row of the preferred table, then the first row of the other table
// that lists it, as "race/class".
std::string ReferencePick(const RaceRows& races, const ClassRows& classes, bool raceFirst) {
    const std::string race = races[0].name, cls = classes[0].name;
    for (const RankEntry& row : classes)
        if (raceFirst && Lists(row, race)) return race + "/" + row.name;
    for (const RankEntry& row : races)
        if (!raceFirst && Lists(row, cls)) return row.name + ("/" + cls);
    return "Unknown/Unknown";
}

template <typename Rows>
Rows ReferenceRanking(const PointValues& totals, Rows rows) {
    for (RankEntry& row : rows) row.score = ReferenceScore(totals, row.name);
    ReferenceSort(rows.data(), 0, static_cast<int>(rows.size()) - 1);
    return rows;
}

TEST(BestPickTest, SortMatchesTheReferenceProcedureTiesIncluded) {
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        const int size = static_cast<int>(random() % 15);
        const std::int32_t spread = round % 3 == 0 ? 1 : 3;
        std::vector<RankEntry> rows;
        for (int i = 0; i < size; ++i) {
            std::int32_t score = static_cast<std::int32_t>(random() % (2 * spread + 1)) - spread;
            if (random() % 16 == 0) score = random() % 2 ? INT32_MAX : INT32_MIN;
            rows.push_back({InitialClassTable[i].name, {}, score});  // 14 distinct names
        }
        std::vector<RankEntry> expected = rows;
        ReferenceSort(expected.data(), 0, size - 1);
        SortByScore(rows.data(), size);
        ASSERT_EQ(Ranked(rows), Ranked(expected)) << "round " << round;
    }
    SortByScore(nullptr, 5);  // nothing to sort
}

// Random totals (small ones for ties, huge ones for wrap-around), rows in any
// order and with stale scores, as an earlier pick leaves them, and partner
// lists cut short so that some picks find no partner at all.
TEST(BestPickTest, PickMatchesTheReferenceOnRandomTotalsAndTables) {
    std::mt19937 random(5);
    int unknown = 0;
    for (int round = 0; round < 3000; ++round) {
        PointValues totals{};
        for (std::int32_t& total : totals)
            total = random() % 20 ? static_cast<std::int32_t>(random() % 5) - 2 : random();
        RaceRows races = InitialRaceTable;
        ClassRows classes = InitialClassTable;
        std::shuffle(races.begin(), races.end(), random);
        std::shuffle(classes.begin(), classes.end(), random);
        for (RankEntry& row : races)
            row.partners[random() % 40 % 14] = nullptr, row.score = random();
        for (RankEntry& row : classes)
            row.partners[random() % 40 % 14] = nullptr, row.score = random();
        const bool raceFirst = random() % 2;
        const RaceRows sortedRaces = ReferenceRanking(totals, races);
        const ClassRows sortedClasses = ReferenceRanking(totals, classes);
        const std::string expected = ReferencePick(sortedRaces, sortedClasses, raceFirst);
        const BestPick pick =
            PickBestRaceAndClass(totals, races, classes,
                                 raceFirst ? Preference::RaceOverClass : Preference::ClassOverRace);
        ASSERT_EQ(std::string(pick.race) + "/" + pick.className, expected) << "round " << round;
        ASSERT_EQ(Ranked(races), Ranked(sortedRaces)) << "round " << round;
        ASSERT_EQ(Ranked(classes), Ranked(sortedClasses)) << "round " << round;
        unknown += expected == "Unknown/Unknown";
    }
    EXPECT_GT(unknown, 20);
}

// The reasons, every question skipped: the rows walked over with the pair
// the game lacks, the ties (on the race only the races that go with the
// class), and no word on leanings of 0.
TEST(BestPickTest, ReasonsWhenNothingWasAnswered) {
    PointValues totals{};
    RaceRows races = InitialRaceTable;
    ClassRows classes = InitialClassTable;
    const BestPick pick = PickBestRaceAndClass(totals, races, classes, Preference::ClassOverRace);
    EXPECT_EQ(ExplainPick(totals, races, classes, Preference::ClassOverRace, pick),
              std::vector<std::string>(
                  {"The best class is chosen first, then the best race that goes with it.",
                   "Paladin, Cleric, Druid, Enchanter, Magician, Monk, Necromancer, Bard, Ranger, "
                   "Rogue, Shadow Knight, Shaman, Warrior and Wizard tied at 0 for the best "
                   "class; the ranking, which keeps its own order among equal scores, put "
                   "Paladin first.",
                   "Halfling 0: the game has no Halfling Paladin.",
                   "Dark Elf 0: the game has no Dark Elf Paladin.",
                   "Dwarf, Erudite, Half Elf, High Elf and Human tied at 0 and all go with "
                   "Paladin; the ranking, which keeps its own order among equal scores, put "
                   "Dwarf first."}));
}

// Alphabetical, scores 0, and the tables agree on every pair (the Iksar
// entries of the class rows included), so a pick from either side is allowed.
TEST(RankTablesTest, TablesStartAlphabeticalAndAgreeOnEveryPair) {
    auto races = Ranked(InitialRaceTable), classes = Ranked(InitialClassTable);
    EXPECT_TRUE(std::is_sorted(races.begin(), races.end()) && races[0].second == 0);
    EXPECT_TRUE(std::is_sorted(classes.begin(), classes.end()) && classes[0].second == 0);
    for (const RankEntry& race : InitialRaceTable)
        for (const RankEntry& cls : InitialClassTable)
            EXPECT_EQ(Lists(race, cls.name), Lists(cls, race.name)) << race.name << "/" << cls.name;
}

// A type names a choice by its number or, for the first two, by "yes" and
// "no", compared whole and blind to ASCII case.
bool ReferenceMatch(std::string_view type, int choice) {
    std::string lower;
    for (char c : type) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lower == std::to_string(choice) || (choice == 1 && lower == "yes") ||
           (choice == 2 && lower == "no");
}

TEST(AnswerRecordingTest, FindAnswerTakesTheFirstMatchInScriptOrder) {
    // Blanks after "=" stay in the type; "" leaves it without one.
    const char* const pool[] = {"1",  "2",  "3",  "8",  "9",    "yes", "no",  "YES",
                                "No", "nO", "01", " 1", "yess", "y",   "2no", ""};
    std::mt19937 random(3);
    for (int round = 0; round < 2000; ++round) {
        std::string script = "<QUESTION>\n";
        for (std::size_t i = random() % 7; i > 0; --i)
            script +=
                "<ANSWER>\ntype=" + std::string(pool[random() % std::size(pool)]) + "\n</ANSWER>\n";
        ScriptDocument document;
        ASSERT_TRUE(LoadScriptText(document, script + "</QUESTION>\n").loaded);
        const QuestionBlock& question = document.Questions()[0];
        const auto answers = document.Answers(question);
        for (int choice = 1; choice <= 9; ++choice) {
            std::size_t first = 0;
            while (first < answers.size() &&
                   !ReferenceMatch(document.Text(answers[first].type), choice))
                ++first;
            ASSERT_EQ(FindAnswer(document, question, choice),
                      first < answers.size() ? &answers[first] : nullptr);
        }
    }
}

TEST(AnswerRecordingTest, AddsAll31ValuesWrappingLike32BitSums) {
    PointValues totals{}, points{};
    for (int k = 0; k < 31; ++k) totals[k] = INT32_MAX - k, points[k] = k + 1;
    AddAnswerPoints(totals, points);
    for (int k = 0; k < 31; ++k) EXPECT_EQ(totals[k], INT32_MIN) << k;
}

}  // namespace
