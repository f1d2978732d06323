// The --balance report: the same result for a seed however many threads share
// the runs (or can be started), tallies that follow the script, its text, and
// a load that runs out of memory.
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "authoring/Balance.h"

using namespace kinpath;

namespace {

std::atomic<std::size_t> FailFrom{SIZE_MAX};

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

std::shared_ptr<const ScriptDocument> Load(const std::string& script) {
    auto document = std::make_shared<ScriptDocument>();
    EXPECT_TRUE(LoadScriptText(*document, script).loaded);
    return document;
}

BalanceTally Simulate(const std::string& script, std::uint64_t runs, std::uint64_t seed,
                      double skip = 0.0, unsigned jobs = 1) {
    return SimulateBalance(Load(script), BalanceOptions{runs, seed, skip, jobs});
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
    // One document for every thread.
    const auto sample = Load(ReadFile(KINPATH_EXAMPLES_DIR "/script.txt"));
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

// Memory that runs out after the check: the load fails, and says so, instead
// of a report on an empty script.
TEST_F(BalanceRunTest, ALoadThatRunsOutOfMemoryIsAnError) {
    std::string script;  // 920 KB that the check reads in small pieces, the load in a 1 MB list
    for (int i = 0; i < 40000; ++i) script += "<QUESTION>\n</QUESTION>\n";
    WriteScript(script);
    std::ostringstream out, err;
    FailFrom = 1 << 20;
    const int status = RunBalance("script.txt", BalanceOptions{10, 1, 0.0, 1}, out, err);
    FailFrom = SIZE_MAX;
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "script.txt: error: cannot load the script (out of memory)\n");
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
    const auto document = Load(TwoOutcomes);
    BalanceOptions options{256 * RunsPerBlock, 5, 0.5, 1};
    const BalanceTally expected = SimulateBalance(document, options);
    options.jobs = 256;
    EXPECT_EXIT(SimulateInLittleRoom(document, options, expected), ::testing::ExitedWithCode(0),
                "");
}
#endif

}  // namespace

// Allocations of at least FailFrom bytes fail: memory that runs out.
void* operator new(std::size_t size) {
    if (size >= FailFrom.load()) throw std::bad_alloc();
    if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
    throw std::bad_alloc();
}
// GCC takes the free() of a replaced operator delete for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
