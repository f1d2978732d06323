#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "flow/QuestionFlow.h"
#include "authoring/Balance.h"
#include "scoring/BestPick.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"

using namespace kinpath;

namespace {

// Choice 1 forces Human / Warrior, choice 2 Gnome / Wizard (class over race).
const std::string TwoOutcomes =
    "<QUESTION>\nname=Sword or spell?\ntext=Sword\ntext=Spell\n"
    "<ANSWER>\ntype=1\nwarpts=100\nhumanpts=100\n</ANSWER>\n"
    "<ANSWER>\ntype=2\nwizpts=100\ngnomepts=100\n</ANSWER>\n"
    "</QUESTION>\n";

// The tally index of a race or class name (-1: none).
int IndexOf(const char* (*nameOf)(int), int last, const std::string& name) {
    for (int i = 0; i <= last; ++i) {
        if (name == nameOf(i)) return i;
    }
    return -1;
}
std::size_t RaceIndex(const std::string& name) { return static_cast<std::size_t>(IndexOf(BalanceRaceName, UnknownRace, name)); }
std::size_t ClassIndex(const std::string& name) { return static_cast<std::size_t>(IndexOf(BalanceClassName, UnknownClass, name)); }

class BalanceTest : public kinpath::testing::ProgramTest {
protected:
    void Load(const std::string& script) {
        WriteScript(script);
        TheScriptDocument.Clear();
        ASSERT_EQ(OpenScript(TheScriptDocument), 1);
        ASSERT_NE(TheScriptDocument.Parse(nullptr), -1);
    }

    static BalanceTally Simulate(std::uint64_t runs, std::uint64_t seed, double skip = 0.0) {
        BalanceOptions options;
        options.runs = runs;
        options.seed = seed;
        options.skipProbability = skip;
        return SimulateBalance(options);
    }

    static std::uint64_t Pair(const BalanceTally& t, const char* race, const char* cls) {
        return t.pairs[RaceIndex(race)][ClassIndex(cls)];
    }
};

TEST_F(BalanceTest, EachChoiceForcesItsPairAboutHalfTheTime) {
    Load(TwoOutcomes);
    const BalanceTally tally = Simulate(10000, 1);
    EXPECT_EQ(tally.runs, 10000u);
    EXPECT_EQ(tally.preference, ClassOverRace);
    EXPECT_FALSE(tally.preferenceFromScript);
    EXPECT_EQ(tally.questions, 1);
    EXPECT_EQ(tally.answered, 10000u);
    EXPECT_EQ(tally.unmatched, 0u);

    const std::uint64_t human = Pair(tally, "Human", "Warrior");
    const std::uint64_t gnome = Pair(tally, "Gnome", "Wizard");
    EXPECT_EQ(human + gnome, 10000u);
    EXPECT_GT(human, 4700u);  // 6 standard deviations around 5000
    EXPECT_LT(human, 5300u);
    EXPECT_EQ(tally.races[RaceIndex("Human")], human);
    EXPECT_EQ(tally.classes[ClassIndex("Wizard")], gnome);
    EXPECT_EQ(std::accumulate(tally.races.begin(), tally.races.end(), std::uint64_t{0}), 10000u);
    EXPECT_EQ(std::accumulate(tally.classes.begin(), tally.classes.end(), std::uint64_t{0}), 10000u);
}

TEST_F(BalanceTest, ASeedGivesTheSameTallyEverywhere) {
    Load(TwoOutcomes);
    const BalanceTally first = Simulate(1000, 42);
    EXPECT_EQ(Simulate(1000, 42), first);
    EXPECT_NE(Simulate(1000, 43), first);
    // The engine's sequence and our mappings are fixed: this count holds on
    // every platform and library.
    EXPECT_EQ(Pair(Simulate(1000, 1), "Human", "Warrior"), 500u);
}

TEST_F(BalanceTest, SkippingEveryQuestionGivesTheAllZeroPickInEveryRun) {
    Load(TwoOutcomes + TwoOutcomes);
    const BalanceTally tally = Simulate(500, 7, 1.0);
    // Each run starts from the initial table order: a second sort of the
    // already sorted tables would give another pick.
    EXPECT_EQ(Pair(tally, "Dwarf", "Paladin"), 500u);
    EXPECT_EQ(tally.answered, 0u);
    EXPECT_EQ(tally.skipped, 1000u);

    const BalanceTally some = Simulate(2000, 7, 0.5);
    EXPECT_GT(some.skipped, 1800u);
    EXPECT_LT(some.skipped, 2200u);
    EXPECT_EQ(some.skipped + some.answered, 4000u);
}

TEST_F(BalanceTest, RaceOverClassAndTheUnknownPick) {
    Load("<SETTINGS>\npreference=raceoverclass\n</SETTINGS>\n"
         "<QUESTION>\nname=Scales?\ntext=Yes\ntext=No\n"
         "<ANSWER>\ntype=yes\nikspts=5\n</ANSWER>\n"
         "<ANSWER>\ntype=no\n</ANSWER>\n</QUESTION>\n");
    const BalanceTally tally = Simulate(1000, 3);
    EXPECT_EQ(tally.preference, RaceOverClass);
    EXPECT_TRUE(tally.preferenceFromScript);
    // An Iksar first is counted as Iksar or, where no class takes an Iksar, as "Unknown".
    const std::uint64_t halfling = Pair(tally, "Halfling", "Cleric");
    const std::uint64_t unknown = tally.pairs[UnknownRace][UnknownClass];
    EXPECT_GT(halfling, 400u);
    EXPECT_LT(halfling, 600u);
    EXPECT_EQ(tally.races[RaceIndex("Iksar")] + unknown, 1000u - halfling);
    EXPECT_EQ(tally.races[UnknownRace], unknown);
    EXPECT_EQ(tally.classes[UnknownClass], unknown);
}

TEST_F(BalanceTest, CountsChoicesThatFindNoAnswerAndLeavesTheProgramAtItsStart) {
    Load("<QUESTION>\nname=Q\ntext=A\ntext=B\ntext=C\n<ANSWER>\ntype=1\nclrpts=1\n</ANSWER>\n</QUESTION>\n"
         "<QUESTION>\nname=Silent\n</QUESTION>\n");
    const BalanceTally tally = Simulate(3000, 5);
    EXPECT_EQ(tally.questions, 2);
    EXPECT_EQ(tally.questionsWithoutChoices, 1);
    EXPECT_EQ(tally.answered + tally.unmatched, 3000u);
    EXPECT_GT(tally.unmatched, 1800u);  // two choices in three
    EXPECT_LT(tally.unmatched, 2200u);
    EXPECT_EQ(Pair(tally, "Halfling", "Cleric"), tally.answered);

    EXPECT_TRUE(AnsweredList.empty());
    EXPECT_EQ(CurrentQuestion, nullptr);
    for (std::int32_t total : PointTotals) EXPECT_EQ(total, 0);
    EXPECT_STREQ(RaceTable[0].name, "Barbarian");
    EXPECT_STREQ(ClassTable[0].name, "Bard");
}

TEST_F(BalanceTest, ReadsItsArguments) {
    std::string file = "script.txt";
    BalanceOptions options;
    std::string problem;
    ASSERT_TRUE(ParseBalanceArguments({}, file, options, problem));
    EXPECT_EQ(file, "script.txt");
    EXPECT_EQ(options.runs, 10000u);
    EXPECT_EQ(options.seed, 1u);
    EXPECT_EQ(options.skipProbability, 0.0);

    ASSERT_TRUE(ParseBalanceArguments({"--runs", "50", "q.txt", "--seed=9", "--skip", "0.25"}, file, options,
                                      problem));
    EXPECT_EQ(file, "q.txt");
    EXPECT_EQ(options.runs, 50u);
    EXPECT_EQ(options.seed, 9u);
    EXPECT_EQ(options.skipProbability, 0.25);

    const std::vector<std::vector<std::string>> wrong = {
        {"--runs", "0"}, {"--runs", "-5"}, {"--runs", "12x"}, {"--runs"},      {"--skip", "1.5"},
        {"--skip", "x"}, {"--seed", "-1"}, {"--fast"},        {"a.txt", "b.txt"},
    };
    for (const auto& args : wrong) {
        problem.clear();
        EXPECT_FALSE(ParseBalanceArguments(args, file, options, problem)) << args[0];
        EXPECT_FALSE(problem.empty());
    }
}

TEST_F(BalanceTest, ReportListsCountsAndWhatIsNeverRecommended) {
    WriteScript(TwoOutcomes);
    std::ostringstream out, err;
    BalanceOptions options;
    options.runs = 1000;
    EXPECT_EQ(RunBalance("script.txt", options, out, err), 0);
    EXPECT_EQ(err.str(), "");
    const std::string report = out.str();
    EXPECT_NE(report.find("Balance of script.txt: 1000 random runs, seed 1, skip probability 0\n"),
              std::string::npos);
    EXPECT_NE(report.find("Preference: class over race"), std::string::npos);
    EXPECT_NE(report.find("Pairs recommended:\n  Gnome / Wizard   "), std::string::npos) << report;
    EXPECT_NE(report.find("  Human / Warrior  "), std::string::npos);
    EXPECT_NE(report.find("Races never recommended: Barbarian, Dark Elf, Dwarf, Erudite, Half Elf, Halfling, "
                          "High Elf, Iksar, Ogre, Troll, Wood Elf\n"),
              std::string::npos);
    EXPECT_NE(report.find("Choices without an answer (\"Unable to find the proper answer data for that "
                          "answer\"): 0 of 1000 choices\n"),
              std::string::npos);
    EXPECT_TRUE(TheScriptDocument.questions.empty());

    std::ostringstream again;
    EXPECT_EQ(RunBalance("script.txt", options, again, err), 0);
    EXPECT_EQ(again.str(), report);
}

TEST_F(BalanceTest, AScriptThatDoesNotLoadGivesTheChecksErrors) {
    WriteScript("<QUESTION>\nname=Q\ntext=A\nnonsense\n</QUESTION>\n");
    std::ostringstream out, err;
    EXPECT_EQ(RunBalance("script.txt", BalanceOptions{}, out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str().rfind("script.txt:4: error: ", 0), 0u) << err.str();

    std::ostringstream out2, err2;
    EXPECT_EQ(RunBalance("none.txt", BalanceOptions{}, out2, err2), 1);
    EXPECT_EQ(err2.str().rfind("none.txt: error: cannot open", 0), 0u);
}

}  // namespace
