// The balance report behind `kinpath-cli --balance`: answers the loaded script
// many times at random with the real recording and pick code and counts which
// race and class each run recommends.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "scoring/RankTables.h"

namespace kinpath {

struct BalanceOptions {
    std::uint64_t runs = 10000;
    std::uint64_t seed = 1;
    double skipProbability = 0.0;  // chance that a question is skipped instead of answered
};

// Index of the word "Unknown" in the race and class counts.
inline constexpr int UnknownRace = RaceRowCount;
inline constexpr int UnknownClass = ClassRowCount;

struct BalanceTally {
    std::int32_t preference = 1;  // as the pick used it: 1 class over race
    bool preferenceFromScript = false;  // false: no SETTINGS block, class over race
    std::uint64_t runs = 0;
    // Races and classes by their position in the initial (alphabetical) tables,
    // the last element counting "Unknown".
    std::array<std::uint64_t, RaceRowCount + 1> races{};
    std::array<std::uint64_t, ClassRowCount + 1> classes{};
    std::array<std::array<std::uint64_t, ClassRowCount + 1>, RaceRowCount + 1> pairs{};
    std::uint64_t answered = 0;   // choices recorded
    std::uint64_t skipped = 0;    // questions skipped by chance
    std::uint64_t unmatched = 0;  // choices that found no answer ("Unable to find ...")
    int questions = 0;
    int questionsWithoutChoices = 0;  // always skipped

    friend bool operator==(const BalanceTally&, const BalanceTally&) = default;
};

// Answers TheScriptDocument options.runs times: each question with choices gets
// a uniformly chosen shown choice (the first eight) or, with the skip
// probability, no answer. Every run starts as a new run of the program would;
// afterwards totals, answered list, tables and flow are back at their start.
BalanceTally SimulateBalance(const BalanceOptions& options);

// Race names, then class names, in the initial table order ("Unknown" last).
const char* BalanceRaceName(int index);
const char* BalanceClassName(int index);

void WriteBalanceReport(const std::string& name, const BalanceOptions& options, const BalanceTally& tally,
                        std::ostream& out);

// Reads `[FILE] [--runs N] [--seed S] [--skip P]`; false with a reason in
// problem when the arguments are wrong. file stays as given when absent.
bool ParseBalanceArguments(const std::vector<std::string>& args, std::string& file,
                           BalanceOptions& options, std::string& problem);

// The whole --balance run: loads the file into TheScriptDocument (printing the
// check's errors to err and returning 1 when it would not load), simulates,
// prints the report to out and empties the document again. Returns 0 on success.
int RunBalance(const std::string& path, const BalanceOptions& options, std::ostream& out,
               std::ostream& err);

}  // namespace kinpath
