// The --balance simulation and report: the same result for a seed however
// many threads share the runs (or can be started), tallies that follow the
// script, and what the report says. The formats are held to the report in
// balance_report_test.cpp.
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "authoring/balance/Balance.h"
#include "authoring/balance/BalanceReport.h"
#include "scoring/RowNames.h"

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
    while (r < UnknownRace && race != RaceName(BuiltInGame(), r)) ++r;
    while (c < UnknownClass && cls != ClassName(BuiltInGame(), c)) ++c;
    return t.pairs[r][c];
}

using kinpath::testing::Has;
using kinpath::testing::LoadedScript;

BalanceTally Simulate(const std::string& script, std::uint64_t runs, std::uint64_t seed,
                      double skip = 0.0, unsigned jobs = 1) {
    return SimulateBalance(LoadedScript(script), BalanceOptions{runs, seed, skip, jobs});
}

class BalanceRunTest : public kinpath::testing::ProgramTest {};

std::string Report(const ScriptDocument& document, const BalanceTally& tally,
                   const BalanceOptions& options, BalanceFormat format = BalanceFormat::Text) {
    std::ostringstream out;
    WriteBalanceReport("script.txt", document, options, tally, format, out);
    return out.str();
}

// Blocks of runs draw from sequences of their own, so however the runs are
// shared among threads a seed gives one result.
TEST_F(BalanceRunTest, ASeedGivesOneResultForAnyNumberOfThreads) {
    // One document for every thread.
    const auto sample = LoadedScript(ReadFile(KINPATH_EXAMPLES_DIR "/script.txt"));
    BalanceOptions options{3 * RunsPerBlock + 77, 42, 0.3, 1};
    const BalanceTally one = SimulateBalance(sample, options);
    const std::string report = Report(*sample, one, options);
    for (unsigned jobs : {2u, 3u, 7u}) {
        options.jobs = jobs;
        const BalanceTally shared = SimulateBalance(sample, options);
        EXPECT_EQ(shared, one) << jobs << " threads";
        EXPECT_EQ(Report(*sample, shared, options), report) << jobs << " threads";
    }
    options.seed = 43;
    EXPECT_NE(SimulateBalance(sample, options).pairs, one.pairs);
    // The second block does not repeat the first.
    BalanceTally first = SimulateBalance(sample, BalanceOptions{RunsPerBlock, 42, 0.3, 1});
    for (std::uint64_t& count : first.races) count *= 2;
    EXPECT_NE(SimulateBalance(sample, BalanceOptions{2 * RunsPerBlock, 42, 0.3, 2}).races,
              first.races);
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
    // --skip P skips a question P of the time: 20,000 questions, within 6
    // standard deviations.
    for (const double skip : {0.05, 0.3, 0.9}) {
        tally = Simulate(TwoOutcomes + TwoOutcomes, 10000, 11, skip, 2);
        const double share = double(tally.skipped) / 20000;
        EXPECT_NEAR(share, skip, 6 * std::sqrt(skip * (1 - skip) / 20000)) << skip;
        EXPECT_EQ(tally.skipped + tally.answered, 20000u);
    }

    tally = Simulate(
        "<QUESTION>\nname=Q\ntext=A\ntext=B\ntext=C\n<ANSWER>\ntype=1\nclrpts=1\n</ANSWER>\n</QUESTION>\n"
        "<QUESTION>\nname=Silent\n</QUESTION>\n<FINAL>\nrecap=ask\n</FINAL>\n",
        3000, 5);
    EXPECT_EQ(tally.questions, 2);
    EXPECT_EQ(tally.questionsWithoutChoices, 1);
    // The recap question at the end is no choice without an answer.
    EXPECT_EQ(tally.answered + tally.unmatched, 3000u);
    EXPECT_TRUE(tally.unmatched > 1800 && tally.unmatched < 2200);  // two choices in three
    EXPECT_EQ(Pair(tally, "Halfling", "Cleric"), tally.answered);

    // Only the eight choices shown are drawn, the eighth as often as any:
    // one run in eight, within 6 standard deviations.
    std::string nine = "<QUESTION>\nname=Nine\n";
    for (int c = 1; c <= 9; ++c) nine += "text=" + std::to_string(c) + "\n";
    tally = Simulate(nine +
                         "<ANSWER>\ntype=8\nclrpts=1\n</ANSWER>\n<ANSWER>\ntype=9\n</ANSWER>\n"
                         "</QUESTION>\n",
                     8000, 9);
    EXPECT_EQ(tally.answered + tally.unmatched, 8000u);
    EXPECT_TRUE(tally.answered > 820 && tally.answered < 1180) << tally.answered;

    // The pick by preference is proved in flow/; the tally says where it came from.
    tally = Simulate("<SETTINGS>\npreference=raceoverclass\n</SETTINGS>\n" + TwoOutcomes, 10, 3);
    EXPECT_TRUE(tally.preference == Preference::RaceOverClass && tally.preferenceFromScript);
    EXPECT_EQ(tally.passedOver, decltype(tally.passedOver){});  // the class taken led its bars
}

// Where the bars end, and advice that scales every key alike: followed, it
// leaves every recommendation as it was.
TEST(BalanceTest, AdviceScalesEveryKeyAndKeepsTheRecommendations) {
    const auto script = [](int k) {
        const auto points = [k](const char* key, int value) {
            return key + std::to_string(value * k) + "\n";
        };
        return "<QUESTION>\ntext=A\ntext=B\n<ANSWER>\ntype=1\n" + points("humanpts=", 20) +
               points("warpts=", 20) + points("trollpts=", 15) + "</ANSWER>\n<ANSWER>\ntype=2\n" +
               points("gnomepts=", 20) + points("wizpts=", 20) +
               "</ANSWER>\n</QUESTION>\n<QUESTION>\ntext=A\ntext=B\n<ANSWER>\ntype=1\n" +
               points("bigracepts=", 10) + "</ANSWER>\n<ANSWER>\ntype=2\n</ANSWER>\n</QUESTION>\n";
    };
    const BalanceOptions options{2000, 3, 0.0, 2};
    const auto low = LoadedScript(script(1));
    const BalanceTally before = SimulateBalance(low, options);
    const std::string report = Report(*low, before, options);
    EXPECT_TRUE(
        Has(report, "  Leading race       20         20\n  Leading class      20         20\n"))
        << report;
    EXPECT_EQ(before.bars[SlotWarrior].Percentile(90), 20);
    EXPECT_TRUE(Has(Report(*low, before, options, BalanceFormat::Csv),
                    "Multiply every point value, the leanings evilpts=, goodpts=, bigracepts= "
                    "and smallracepts= too: every score then grows in the same proportion, so "
                    "the recommendations stay as they are (apart from rounding to whole "
                    "numbers); by 4.0, the leaders then end near 80 (race) and 80 (class)."));
    const BalanceTally after = SimulateBalance(LoadedScript(script(4)), options);
    EXPECT_EQ(after.pairs, before.pairs);
    EXPECT_GT(after.pairs[11][12], 0u);  // Troll / Warrior: the leaning decides it
    EXPECT_TRUE(after.leadingRace.Percentile(50) == 80 && after.leadingClass.Percentile(50) == 80);
    EXPECT_FALSE(Has(Report(*LoadedScript(script(4)), after, options), "Advice"));

    BalanceTally full;  // most bars past the top, the leaders past what is counted
    full.runs = 1;
    for (TotalCounts& bar : full.bars) bar.Add(5000);
    full.leadingRace.Add(30);  // not nearly empty
    full.leadingClass.Add(5000);
    const std::string advice = Report(*low, full, options, BalanceFormat::Json);
    EXPECT_TRUE(
        Has(advice, "Most bars stand full: more than half of the bar totals end above 100"));
    EXPECT_TRUE(Has(advice, "; by less than 0.08, the leaders then end near 80."));
    EXPECT_FALSE(Has(Report(*low, full, options), "nearly empty"));
    TotalCounts three;
    for (const int total : {1, 2, 3}) three.Add(total);
    EXPECT_EQ(three.Percentile(50), 2);  // the nearest rank, rounded up
}

// The report's reasons on a script whose every run is known: choice 1 of the
// first question gives Human / Warrior, choice 2 Gnome / Wizard past Iksar,
// which leads the race bars but is no Wizard, and Ogre, which does not lead
// them; Druid never leads.
TEST_F(BalanceRunTest, ReportSaysWhatMovesTheRecommendationsAndWhy) {
    WriteScript(
        "<QUESTION>\ntext=Sword\ntext=@Spell\n<ANSWER>\ntype=1\nwarpts=100\nhumanpts=100\n</ANSWER>\n"
        "<ANSWER>\ntype=2\nwizpts=100\ngnomepts=100\nikspts=150\nogrepts=120\n</ANSWER>\n</QUESTION>\n"
        "<QUESTION>\ntext=A\ntext=B\n<ANSWER>\ntype=1\ndrupts=40\nwarpts=41\n</ANSWER>\n"
        "<ANSWER>\ntype=2\ndrupts=10\nclrpts=20\n</ANSWER>\n</QUESTION>\n");
    const BalanceOptions options{1000, 1, 0.0, 2};
    const auto document = LoadedScript(ReadFile("script.txt"));
    const BalanceTally tally = SimulateBalance(document, options);
    const std::uint64_t sword = Pair(tally, "Human", "Warrior");
    EXPECT_EQ(sword + Pair(tally, "Gnome", "Wizard"), 1000u);
    EXPECT_TRUE(tally.passedOver[9] == 1000 - sword && tally.passedOver[10] == 0);  // Iksar, Ogre
    // The leading race bar is a race's: 100 after Sword, whatever Warrior ends at.
    EXPECT_EQ(tally.leadingRace.counts[std::size_t(100 - TotalCounts::Lowest + 1)], sword);
    const std::string csv = Report(*document, tally, options, BalanceFormat::Csv);
    EXPECT_TRUE(Has(csv, "\r\n1,1," + std::to_string(sword) + ",Gnome,-")) << csv;
    EXPECT_TRUE(Has(csv, ",'@Spell\r\n"));  // no formula for a spreadsheet
    EXPECT_TRUE(Has(csv,
                    "\r\nDruid,class,40,Druid can reach at most 40; Warrior reaches at least 41 "
                    "on every way of answering that gives Druid 40\r\n"));
    EXPECT_TRUE(Has(csv,
                    "; Human scores at least as much as High Elf on every way of answering "
                    "and goes with every class High Elf goes with"));
}

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
// Exits 0 when the simulation, with room for a few thread stacks only, gives
// the expected result.
void SimulateInLittleRoom(std::shared_ptr<const ScriptDocument> document,
                          const BalanceOptions& options, const BalanceTally& expected) {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlimit room{static_cast<rlim_t>(pages) * 4096 + (64 << 20), RLIM_INFINITY};
    ::setrlimit(RLIMIT_AS, &room);
    std::exit(SimulateBalance(std::move(document), options) == expected ? 0 : 1);
}

// Threads that cannot be started (no address space left for their stacks)
// leave the runs to those that could, with the same result.
TEST(BalanceDeathTest, ThreadsThatCannotStartLeaveTheResultAsItIs) {
    const auto document = LoadedScript(TwoOutcomes);
    BalanceOptions options{256 * RunsPerBlock, 5, 0.5, 1};
    const BalanceTally expected = SimulateBalance(document, options);
    options.jobs = 256;
    EXPECT_EXIT(SimulateInLittleRoom(document, options, expected), ::testing::ExitedWithCode(0),
                "");
}
#endif

}  // namespace
