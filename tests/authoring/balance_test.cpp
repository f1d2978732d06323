// The --balance report: the same result for a seed however many threads share
// the runs, tallies that follow the script, its arguments and its text.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "authoring/Balance.h"

using namespace kinpath;

namespace {

// Choice 1 forces Human / Warrior, choice 2 Gnome / Wizard (class over race).
const std::string TwoOutcomes =
    "<QUESTION>\nname=Sword or spell?\ntext=Sword\ntext=Spell\n"
    "<ANSWER>\ntype=1\nwarpts=100\nhumanpts=100\n</ANSWER>\n"
    "<ANSWER>\ntype=2\nwizpts=100\ngnomepts=100\n</ANSWER>\n"
    "</QUESTION>\n";

std::uint64_t Pair(const BalanceTally& t, const std::string& race, const std::string& cls) {
    int r = 0, c = 0;
    while (r < UnknownRace && race != BalanceRaceName(r)) ++r;
    while (c < UnknownClass && cls != BalanceClassName(c)) ++c;
    return t.pairs[r][c];
}

BalanceTally Simulate(const std::string& script, std::uint64_t runs, std::uint64_t seed,
                      double skip = 0.0, unsigned jobs = 1) {
    return SimulateBalance(script, BalanceOptions{runs, seed, skip, jobs});
}

class BalanceRunTest : public kinpath::testing::ProgramTest {};

std::string Report(const BalanceTally& tally, const BalanceOptions& options) {
    std::ostringstream out;
    WriteBalanceReport("script.txt", options, tally, out);
    return out.str();
}

// Blocks of runs draw from sequences of their own, so however the runs are
// shared among threads a seed gives one result.
TEST_F(BalanceRunTest, ASeedGivesOneResultForAnyNumberOfThreads) {
    const std::string sample = ReadFile(KINPATH_EXAMPLES_DIR "/script.txt");
    BalanceOptions options{3 * RunsPerBlock + 77, 42, 0.3, 1};
    const BalanceTally one = SimulateBalance(sample, options);
    const std::string report = Report(one, options);
    for (unsigned jobs : {2u, 3u, 7u}) {
        options.jobs = jobs;
        const BalanceTally shared = SimulateBalance(sample, options);
        EXPECT_EQ(shared, one) << jobs << " threads";
        EXPECT_EQ(Report(shared, options), report) << jobs << " threads";
    }
    options.seed = 43;
    EXPECT_NE(SimulateBalance(sample, options).pairs, one.pairs);
    // The second block does not repeat the first.
    BalanceTally first = Simulate(sample, RunsPerBlock, 42, 0.3);
    for (std::uint64_t& count : first.races) count *= 2;
    EXPECT_NE(Simulate(sample, 2 * RunsPerBlock, 42, 0.3, 2).races, first.races);
}

TEST(BalanceTest, TalliesFollowTheChoicesSkipsAndPreference) {
    BalanceTally tally = Simulate(TwoOutcomes, 10000, 1, 0.0, 3);
    const std::uint64_t human = Pair(tally, "Human", "Warrior");
    EXPECT_EQ(human + Pair(tally, "Gnome", "Wizard"), 10000u);
    EXPECT_TRUE(human > 4700 && human < 5300) << human;  // 6 standard deviations around 5000

    // Every run starts from the initial table order: sorting the tables of a
    // previous run again would give another pick than Dwarf / Paladin.
    tally = Simulate(TwoOutcomes + TwoOutcomes, 500, 7, 1.0, 2);
    EXPECT_EQ(Pair(tally, "Dwarf", "Paladin"), 500u);
    EXPECT_TRUE(tally.skipped == 1000 && tally.answered == 0);

    tally = Simulate(
        "<QUESTION>\nname=Q\ntext=A\ntext=B\ntext=C\n<ANSWER>\ntype=1\nclrpts=1\n</ANSWER>\n</QUESTION>\n"
        "<QUESTION>\nname=Silent\n</QUESTION>\n",
        3000, 5);
    EXPECT_EQ(tally.questions, 2);
    EXPECT_EQ(tally.questionsWithoutChoices, 1);
    EXPECT_EQ(tally.answered + tally.unmatched, 3000u);
    EXPECT_TRUE(tally.unmatched > 1800 && tally.unmatched < 2200);  // two choices in three
    EXPECT_EQ(Pair(tally, "Halfling", "Cleric"), tally.answered);

    tally = Simulate(
        "<SETTINGS>\npreference=raceoverclass\n</SETTINGS>\n<QUESTION>\nname=Scales?\ntext=Yes\n"
        "text=No\n<ANSWER>\ntype=yes\nikspts=5\n</ANSWER>\n<ANSWER>\ntype=no\n</ANSWER>\n</QUESTION>\n",
        1000, 3);
    EXPECT_EQ(tally.preference, Preference::RaceOverClass);
    EXPECT_TRUE(tally.preferenceFromScript);
    EXPECT_GT(Pair(tally, "Iksar", "Monk"), 400u);
    EXPECT_EQ(Pair(tally, "Iksar", "Monk") + Pair(tally, "Halfling", "Cleric"), 1000u);

    EXPECT_EQ(Simulate("<QUESTION>\nnonsense\n</QUESTION>\n", 10, 1), BalanceTally{});
}

// Where the bars end: exact percentiles, no leanings (they have no bar), and a warning naming
// the fix when the bars would look empty or stand full.
TEST(BalanceTest, ReportsWhereTheBarsEndAndWarnsWhenTheyShowLittle) {
    const auto bars = [](const BalanceTally& tally) {
        const std::string report = Report(tally, BalanceOptions{});
        return report.substr(report.find("\n  Leading race"));
    };
    EXPECT_EQ(bars(Simulate(TwoOutcomes, 500, 1)),
              "\n  Leading race          100              100\n  Leading class         100"
              "              100\n  All 27 bars             0                0\n");
    EXPECT_TRUE(bars(Simulate("<QUESTION>\nname=Q\ntext=A\n<ANSWER>\ntype=1\ngoodpts=500\n"
                              "warpts=10\n</ANSWER>\n</QUESTION>\n",
                              500, 1))
                    .ends_with("leading race ends at a median of 0 points and the leading class "
                               "at 10, of the 100 a bar shows. Scale the point values up, about "
                               "8.0 times, so that the leaders end between 60 and 100.\n"));
    BalanceTally tally;
    tally.runs = 1;
    for (int total : {-5000, 9, 8, 7, 6, 5, 4, 3, 2, 1, 5000}) tally.leadingClass.Add(total);
    for (int slot = 0; slot < 27; ++slot) tally.allBars.Add(slot < 13 ? 101 : 100);
    tally.leadingRace.Add(30);
    EXPECT_TRUE(
        bars(tally).ends_with("class           5                9\n  All 27 bars           100   "
                              "           101\nWarning: the class bars will look nearly empty: "
                              "the leading class ends at a median of 5 points, of the 100 a "
                              "bar shows. Scale the class point values up, about 16 times, so "
                              "that the leaders end between 60 and 100.\n"));
    for (int i = 0; i < 2; ++i) tally.allBars.Add(5000), tally.leadingRace.Add(5000);
    EXPECT_NE(bars(tally).find("race   above 1000       above 1000\n"), std::string::npos);
    EXPECT_NE(bars(tally).find("the most a bar shows. Scale the point values down, more than 12"),
              std::string::npos);
}

TEST(BalanceTest, ReadsItsArguments) {
    std::string file = "script.txt", problem;
    BalanceOptions options;
    ASSERT_TRUE(ParseBalanceArguments({"--jobs=1024"}, file, options, problem));
    EXPECT_EQ(file, "script.txt");  // kept when none is given
    EXPECT_EQ(options.jobs, 1024u);
    ASSERT_TRUE(ParseBalanceArguments(
        {"--runs", "50", "q.txt", "--seed=9", "--skip", "0.25", "--jobs", "4"}, file, options,
        problem));
    EXPECT_EQ(file, "q.txt");
    EXPECT_TRUE(options.runs == 50 && options.seed == 9 && options.skipProbability == 0.25 &&
                options.jobs == 4);
    // Numbers at and past their ends: CliTest.BalanceNumbersAtTheirEdges.
    const std::vector<std::vector<std::string>> wrong = {
        {"--runs"}, {"--fast"}, {"a.txt", "b.txt"}, {"--jobs", "0"}};
    for (const auto& args : wrong) {
        problem.clear();
        EXPECT_TRUE(!ParseBalanceArguments(args, file, options, problem) && !problem.empty());
    }
    EXPECT_EQ(problem, "--jobs does not take \"0\" (a whole number from 1 to 1024)");
}

TEST_F(BalanceRunTest, ReportListsCountsAndWhatIsNeverRecommended) {
    WriteScript(TwoOutcomes);
    std::ostringstream out, err;
    const BalanceOptions options{1000, 1, 0.0, 2};
    EXPECT_EQ(RunBalance("script.txt", options, out, err), 0);
    EXPECT_EQ(err.str(), "");
    const std::string report = out.str();
    for (
        const char* part :
        {"Balance of script.txt: 1000 random runs, seed 1, skip probability 0\n"
         "Preference: class over race (the best class first, then the best race that allows it); "
         "the script has no SETTINGS block\nQuestions: 1\n",
         "Pairs recommended:\n  Gnome / Wizard   ", "  Human / Warrior  ",
         "Races never recommended: Barbarian, Dark Elf, Dwarf, Erudite, Half Elf, Halfling, High Elf, Iksar, Ogre, "
         "Troll, Wood Elf\n",
         "Choices without an answer (\"Unable to find the proper answer data for that answer\"): 0 of 1000 choices\n"}) {
        EXPECT_NE(report.find(part), std::string::npos) << part << "\n" << report;
    }

    WriteScript("<QUESTION>\nname=Q\ntext=A\nnonsense\n</QUESTION>\n");
    std::ostringstream out2, err2;
    EXPECT_EQ(RunBalance("script.txt", options, out2, err2), 1);
    EXPECT_EQ(out2.str(), "");
    EXPECT_EQ(err2.str().rfind("script.txt:4: error: ", 0), 0u) << err2.str();
    EXPECT_EQ(RunBalance("none.txt", options, out2, err2), 1);
    EXPECT_NE(err2.str().find("none.txt: error: cannot open"), std::string::npos);
}

}  // namespace
