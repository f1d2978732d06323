// Scoring held to small reference models on random input: which answer a
// choice finds, the points it adds, the scores with their leanings, the
// partition-exchange sort with its tie order, and the pick by preference with
// its "Unknown" fallback.
#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "scoring/AnswerRecording.h"
#include "scoring/BestPick.h"
#include "scoring/PickReasons.h"
#include "scoring/Reach.h"
#include "scoring/RowNames.h"
#include "script/ScriptDocument.h"

using namespace kinpath;

namespace {

const Game& Built = BuiltInGame();

// Each row's name and score, in table order.
template <typename Rows>
std::vector<std::pair<std::string, std::int32_t>> Ranked(const Rows& rows) {
    std::vector<std::pair<std::string, std::int32_t>> ranked;
    for (const RankEntry& row : rows) ranked.emplace_back(RowName(Built, row.row), row.score);
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
std::int32_t ReferenceScore(const PointValues& totals, int row) {
    static std::map<std::string, std::string> leanings{
        {"Barbarian", "gb"},  {"Dark Elf", "e"},     {"Dwarf", "gs"},   {"Erudite", "g"},
        {"Gnome", "gs"},      {"Half Elf", "gs"},    {"Halfling", "g"}, {"High Elf", "g"},
        {"Human", "g"},       {"Ogre", "eb"},        {"Troll", "eb"},   {"Wood Elf", "g"},
        {"Necromancer", "e"}, {"Shadow Knight", "e"}};
    const int slot = row == 18 ? 19 : row == 19 ? 18 : row;
    std::int64_t sum = totals[slot];
    for (char c : leanings[std::string(RowName(Built, row))])
        sum += totals[SlotEvil + std::string("egbs").find(c)];
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(sum));
}

// The classes the game gives each race, as its rules list them.
const std::map<std::string, std::string> ClassesOfRace{
    {"Barbarian", "Warrior,Shaman,Rogue"},
    {"Dark Elf", "Warrior,Cleric,Enchanter,Druid,Necromancer,Rogue,Magician,Shadow Knight,Wizard"},
    {"Dwarf", "Warrior,Cleric,Paladin,Rogue"},
    {"Erudite", "Warrior,Paladin,Enchanter,Magician,Necromancer,Cleric,Wizard"},
    {"Gnome", "Warrior,Wizard,Enchanter,Magician,Necromancer,Rogue,Cleric"},
    {"Half Elf", "Warrior,Druid,Ranger,Rogue,Bard,Paladin"},
    {"Halfling", "Warrior,Druid,Rogue,Cleric"},
    {"High Elf", "Paladin,Cleric,Magician,Wizard,Enchanter"},
    {"Human",
     "Warrior,Shadow Knight,Necromancer,Enchanter,Magician,Cleric,Wizard,Rogue,Druid,Bard,"
     "Monk,Paladin,Ranger"},
    {"Iksar", "Warrior,Shadow Knight,Shaman,Necromancer,Monk"},
    {"Ogre", "Warrior,Shadow Knight,Shaman"},
    {"Troll", "Warrior,Shadow Knight,Shaman"},
    {"Wood Elf", "Warrior,Druid,Rogue,Bard,Ranger"}};

// Rows a and b are a race and a class the list pairs, in either order.
bool Pairs(int a, int b) {
    if (a > b) std::swap(a, b);
    if (a >= RaceRowCount || b < RaceRowCount) return false;
    const std::string classes = "," + ClassesOfRace.at(std::string(RowName(Built, a))) + ",";
    return classes.find("," + std::string(RowName(Built, b)) + ",") != std::string::npos;
}

// The best row of the preferred table, then the first row of the other table
// that goes with it, as "race/class"; a game of one table names its best row alone.
template <typename GoTogether>
std::string ReferencePick(const Game& game, std::span<const RankEntry> races,
                          std::span<const RankEntry> classes, bool raceFirst, GoTogether pairs) {
    const auto name = [&](const RankEntry& row) { return std::string(RowName(game, row.row)); };
    if (classes.empty()) return name(races[0]) + "/Unknown";
    for (const RankEntry& row : raceFirst ? classes : races)
        if (raceFirst ? pairs(races[0].row, row.row) : pairs(row.row, classes[0].row))
            return raceFirst ? name(races[0]) + "/" + name(row)
                             : name(row) + "/" + name(classes[0]);
    return "Unknown/Unknown";
}

std::string Named(const Game& game, const BestPick& pick) {
    return std::string(RaceName(game, pick.race)) + "/" + ClassName(game, pick.cls).data();
}

template <typename Rows>
Rows ReferenceRanking(const PointValues& totals, Rows rows) {
    for (RankEntry& row : rows) row.score = ReferenceScore(totals, row.row);
    ReferenceSort(rows.data(), 0, static_cast<int>(rows.size()) - 1);
    return rows;
}

// Random totals (small ones for ties, huge ones for wrap-around), rows in any
// order and with stale scores, as an earlier pick leaves them, and among the
// rows searched for a partner some of the first's kind, which never go with
// it, so that some picks find no partner.
TEST(BestPickTest, PickMatchesTheReferenceOnRandomTotalsAndTables) {
    std::mt19937 random(5);
    int unknown = 0;
    for (int round = 0; round < 3000; ++round) {
        PointValues totals{};
        for (std::int32_t& total : totals)
            total = random() % 20 ? static_cast<std::int32_t>(random() % 5) - 2 : random();
        RaceRows races = InitialRaces(Built);
        ClassRows classes = InitialClasses(Built);
        std::shuffle(races.begin(), races.end(), random);
        std::shuffle(classes.begin(), classes.end(), random);
        const bool raceFirst = random() % 2;
        for (RankEntry& row : races)
            row = {raceFirst || random() % 3 ? row.row : RaceRowCount + row.row, int(random())};
        for (RankEntry& row : classes)
            row = {!raceFirst || random() % 3 ? row.row : row.row - RaceRowCount, int(random())};
        const RaceRows sortedRaces = ReferenceRanking(totals, races);
        const ClassRows sortedClasses = ReferenceRanking(totals, classes);
        const std::string expected =
            ReferencePick(Built, sortedRaces, sortedClasses, raceFirst, Pairs);
        const BestPick pick =
            PickBestRaceAndClass(Built, totals, races, classes,
                                 raceFirst ? Preference::RaceOverClass : Preference::ClassOverRace);
        ASSERT_EQ(Named(Built, pick), expected) << round;
        ASSERT_EQ(Ranked(races), Ranked(sortedRaces)) << "round " << round;
        ASSERT_EQ(Ranked(classes), Ranked(sortedClasses)) << "round " << round;
        unknown += expected == "Unknown/Unknown";
    }
    EXPECT_GT(unknown, 20);
}

// A game as a script declares it: random tables (one of them sometimes
// alone), random pairs and shared totals. Its tables of every size are sorted
// as the reference sorts them, equal scores (which small totals make common)
// in its order; its pick is the reference walk over the rows the game has.
TEST(BestPickTest, ADeclaredGamePicksByTheSameProcedure) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        Game game;
        const int races = 1 + int(random() % RaceRowCount);
        const int classes = round % 5 == 0 ? 0 : 1 + int(random() % ClassRowCount);
        const int shared = int(random() % (SharedTotalCapacity + 1));
        for (int t = 0; t < 2; ++t) {
            for (int i = 0; i < (t == 0 ? races : classes); ++i) {
                GameRow row;
                row.name = "R" + std::to_string(t) + "." + std::to_string(i);
                row.slots[0] = std::uint8_t(t * RaceRowCount + i);
                for (int k = 0; k < shared; ++k)
                    if (random() % 3 == 0) row.slots[row.count++] = std::uint8_t(BarSlotCount + k);
                game.tables[std::size_t(t)].push_back(row);
            }
        }
        for (int r = 0; r < races; ++r)
            for (int c = 0; c < classes; ++c)
                if (random() % 3 == 0) {
                    game.tables[0][std::size_t(r)].partners |= std::uint16_t(1u << c);
                    game.tables[1][std::size_t(c)].partners |= std::uint16_t(1u << r);
                }
        PointValues totals{};
        for (std::int32_t& total : totals) total = std::int32_t(random() % 7) - 3;
        RaceRows first = InitialRaces(game), expectedFirst = first;
        ClassRows second = InitialClasses(game), expectedSecond = second;
        for (RankEntry& row : expectedFirst) row.score = ScoreOfRow(game, totals, row.row);
        for (RankEntry& row : expectedSecond) row.score = ScoreOfRow(game, totals, row.row);
        ReferenceSort(expectedFirst.data(), 0, races - 1);
        if (classes > 0) ReferenceSort(expectedSecond.data(), 0, classes - 1);
        const bool raceFirst = random() % 2;
        const BestPick pick =
            PickBestRaceAndClass(game, totals, first, second,
                                 raceFirst ? Preference::RaceOverClass : Preference::ClassOverRace);
        ASSERT_EQ(Ranked(first), Ranked(expectedFirst)) << round;
        ASSERT_EQ(Ranked(second), Ranked(expectedSecond)) << round;
        const auto pairs = [&](int race, int cls) {
            return game.tables[0][std::size_t(race)].partners >> (cls - RaceRowCount) & 1u;
        };
        ASSERT_EQ(Named(game, pick),
                  ReferencePick(game, expectedFirst, expectedSecond, raceFirst, pairs))
            << round;
    }
}

// "Why" on random answers (a game of one table is the flow's), held to a model of what its lines
// say: a picked row's answers are its biggest givers (the earlier of equals first), two, or three
// while two give no more than half; a tie is said as a tie, else the runner-up and its distance,
// among the rows that go with the row decided first; the rows ranked above that one once; a shared
// total where it counts and is not 0; the note when under a quarter of the questions were answered,
// alone when none was.
TEST(PickReasonsTest, SayWhatTheModelSays) {
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        Answering answering;
        PointValues totals{};
        for (std::size_t i = random() % 6; i > 0; --i) {
            SaidAnswer& answer = answering.said.emplace_back("\"A" + std::to_string(i) + "\"");
            for (int k = 0; k < 4; ++k) answer.points[random() % 31] = int(random() % 9) - 2;
            AddAnswerPoints(totals, answer.points);
        }
        const std::size_t given = answering.said.size();
        answering.asked = given + random() % 16;
        RaceRows races = InitialRaces(Built);
        ClassRows classes = InitialClasses(Built);
        const bool classFirst = random() % 2;
        const auto preference = classFirst ? Preference::ClassOverRace : Preference::RaceOverClass;
        const BestPick pick = PickBestRaceAndClass(Built, totals, races, classes, preference);
        const auto lines =
            ExplainPick(Built, Built.words, answering, races, classes, preference, pick);
        const auto has = [&](const std::string& text) {
            return std::ranges::count_if(lines, [&](auto& l) { return l.find(text) != l.npos; });
        };
        ASSERT_EQ(lines[0].find(", so nothing sets one") != std::string::npos, given == 0) << round;
        ASSERT_EQ(lines[0].starts_with("You answered"), given > 0 && given * 4 < answering.asked);
        ASSERT_TRUE(given > 0 || lines.size() == 1) << round;
        if (given == 0 || pick == BestPick{}) continue;
        const std::span<const RankEntry> table[2] = {races, classes};
        const int taken[2] = {table[classFirst][0].row,
                              classFirst ? pick.race : RaceRowCount + pick.cls};
        const auto name = [&](int row) { return std::string(RowName(Built, row)); };
        for (int n = 0; n < 2; ++n) {
            std::vector<std::pair<std::int64_t, std::size_t>> givers;  // minus what, which
            std::int64_t whole = 0;
            for (std::size_t i = 0; i < given; ++i) {
                const std::int64_t gave = ScoreOfRow(Built, answering.said[i].points, taken[n]);
                if (gave > 0) givers.emplace_back(-gave, i), whole += gave;
            }
            std::sort(givers.begin(), givers.end());
            std::string line = "You said ";
            for (std::size_t g = 0; g < givers.size() && g < 3; ++g) {
                if (g == 2 && -(givers[0].first + givers[1].first) * 2 > whole) break;
                line += (g ? "; " : "") + answering.said[givers[g].second].said + ": +" +
                        std::to_string(-givers[g].first) + " " + name(taken[n]);
            }
            EXPECT_EQ(has(line + "."), givers.empty() ? 0 : 1) << round << line;
            std::vector<RankEntry> open;
            std::ranges::copy_if(
                table[classFirst != bool(n)], std::back_inserter(open),
                [&](auto& row) { return !n || GoTogether(Built, taken[0], row.row); });
            const std::string among =
                n ? (classFirst ? " among the races open to " : " among the classes open to ") +
                        name(taken[0])
                  : "";
            const std::int64_t gap =
                open.size() > 1 ? open[0].score - std::int64_t(open[1].score) : -1;
            EXPECT_EQ(
                has(gap > 0 ? name(open[1].row) + " was the runner-up" + among + ", " +
                                  std::to_string(gap) + (gap == 1 ? " point" : " points") +
                                  " behind " + name(taken[n]) + "."
                            : among + " (" + std::to_string(open[0].score) +
                                  " each); the game's order put " + name(taken[n]) + " first."),
                gap >= 0);
        }
        EXPECT_EQ(has(" ranked above "), table[!classFirst][0].row != taken[1]);
        for (std::size_t k = 0; k < Built.shared.size(); ++k) {
            const auto slot = std::uint8_t(BarSlotCount + k);
            EXPECT_EQ(has("\"" + Built.shared[k] + "\" stands for"),
                      totals[slot] &&
                          std::ranges::count(ScoreSlots(Built, pick.race), slot) +
                              std::ranges::count(ScoreSlots(Built, RaceRowCount + pick.cls), slot));
        }
    }
}

// The player's own words: the choice quoted (a long one cut at a word), yes
// or no with the question.
TEST(PickReasonsTest, AnswersAreSaidInThePlayersWords) {
    const std::string_view script =
        "<QUESTION>\nname=Do you like the fair, ageless elves of the old forest?\ntext=Yes\n"
        "text=No\n<ANSWER>\ntype=no\n</ANSWER>\n</QUESTION>\n<QUESTION>\ntext=Short\ntext=Longer "
        "than any line of why should ever quote, by far\n<ANSWER>\ntype=2\n</ANSWER>\n<ANSWER>\n"
        "type=1\n</ANSWER>\n</QUESTION>\n";
    ScriptDocument document;
    ASSERT_TRUE(LoadScriptText(document, script).loaded);
    const Answering answering = AnsweringOf(document, std::vector<std::uint32_t>{0, 2, 1});
    std::string said = std::to_string(answering.asked);
    for (const SaidAnswer& answer : answering.said) said += answer.said + "|";
    EXPECT_EQ(said,
              "2no to \"Do you like the fair, ageless elves of the old...\"|\"Short\"|\"Longer "
              "than any line of why should ever quote, by...\"|");
}

// Alphabetical, scores 0, and the pairs the game allows, asked either way
// round (two races or two classes never go together).
TEST(RankTablesTest, TablesStartAlphabeticalAndPairAsTheRulesList) {
    auto races = Ranked(InitialRaces(Built)), classes = Ranked(InitialClasses(Built));
    EXPECT_TRUE(std::is_sorted(races.begin(), races.end()) && races[0].second == 0);
    EXPECT_TRUE(std::is_sorted(classes.begin(), classes.end()) && classes[0].second == 0);
    EXPECT_EQ(races.back().first + classes[0].first, "Wood ElfBard");
    for (int a = -1; a <= RowCount; ++a)
        for (int b = 0; b < RowCount; ++b)
            EXPECT_EQ(GoTogether(Built, a, b), a >= 0 && a < RowCount && Pairs(a, b))
                << a << "/" << b;
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
