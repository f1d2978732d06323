// The balance report behind `kinpath-cli --balance`: answers the loaded script
// many times at random on the questionnaire machine every window drives
// (flow/Run.h) and counts which race and class each run recommends.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"

namespace kinpath {

struct BalanceOptions {
    std::uint64_t runs = 10000;
    std::uint64_t seed = 1;
    double skipProbability = 0.0;  // chance that a question is skipped instead of answered
    unsigned jobs = 1;             // threads sharing the runs; the result is the same for any
};

// Runs are drawn in blocks of this many, each block from its own random sequence.
inline constexpr std::uint64_t RunsPerBlock = 1024;

// Index of the word "Unknown" in the race and class counts (scoring/RowNames.h
// names each index).
inline constexpr int UnknownRace = RaceRowCount;
inline constexpr int UnknownClass = ClassRowCount;

// Final point totals counted by value, exactly over the range a bar can show
// and well beyond, with one count for everything below and one for everything
// above, so that the memory does not grow with the runs.
struct TotalCounts {
    static constexpr std::int32_t Lowest = -1000;
    static constexpr std::int32_t Highest = 1000;
    // [0] counts the totals below Lowest, the last element those above Highest.
    std::array<std::uint64_t, Highest - Lowest + 3> counts{};

    void Add(std::int32_t total);
    // The smallest total that at least percent % of the counted totals do not
    // exceed; Lowest - 1 or Highest + 1 when it lies below or above the range.
    std::int32_t Percentile(int percent) const;

    friend bool operator==(const TotalCounts&, const TotalCounts&) = default;
};

// Counts of each race and class recommended, the last element "Unknown",
// for one answer: in the runs that chose it.
inline constexpr int OutcomeCount = RaceRowCount + 1 + ClassRowCount + 1;

struct BalanceTally {
    Preference preference = Preference::ClassOverRace;  // as the pick used it
    bool preferenceFromScript = false;                  // false: no SETTINGS block, class over race
    std::uint64_t runs = 0;
    // Races and classes by their position in the initial (alphabetical) tables,
    // the last element counting "Unknown".
    std::array<std::uint64_t, RaceRowCount + 1> races{};
    std::array<std::uint64_t, ClassRowCount + 1> classes{};
    std::array<std::array<std::uint64_t, ClassRowCount + 1>, RaceRowCount + 1> pairs{};
    // Races, then classes: runs in which the row's bar ended highest of its
    // kind (or level with the highest), yet the pick went past the row because
    // the game does not allow it with what was decided first.
    std::array<std::uint64_t, RaceRowCount + ClassRowCount> passedOver{};
    std::uint64_t answered = 0;   // choices recorded
    std::uint64_t skipped = 0;    // questions skipped by chance
    std::uint64_t unmatched = 0;  // choices that found no answer ("Unable to find ...")
    int questions = 0;
    int questionsWithoutChoices = 0;  // always skipped
    // What the bars show at the end of each run: each of the 27 bars (by
    // point slot), the highest race bar and the highest class bar (none in a
    // game of one table).
    std::array<TotalCounts, BarSlotCount> bars;
    TotalCounts leadingRace, leadingClass;
    // What the runs that chose each answer recommended: OutcomeCount rows
    // (the races, then the classes, each with "Unknown" last) of one count per
    // answer of the document, by its place in AllAnswers().
    std::vector<std::uint64_t> answers;

    // The bars of the game's rows (all 27 in the built-in game) counted together.
    TotalCounts AllBars(const Game& game) const;

    friend bool operator==(const BalanceTally&, const BalanceTally&) = default;
};

// Whether the game has no second table: its pick names one row.
inline bool OneTable(const Game& game) { return game.tables[1].empty(); }

// How --balance writes its report.
enum class BalanceFormat { Text, Csv, Json, Html };

// The most runs a report makes: more would take years, and its counts could
// no longer be trusted.
inline constexpr std::uint64_t MaxBalanceRuns = 1'000'000'000'000;

// Told how many runs are done: from the simulating call's own thread about
// four times a second while the runs go, and once when all are done.
using BalanceProgress = std::function<void(std::uint64_t runsDone)>;

// Answers the loaded script options.runs times: each question with choices
// gets a uniformly chosen shown choice (the first eight) or, with the skip
// probability, no answer. Every run starts as a new run of the program would.
// What the runs recommend is counted; the report (BalanceReport.h) tells it.
// The threads share the one document; when fewer of them can be started than
// asked for, those that could do the runs, and the result is the same.
BalanceTally SimulateBalance(std::shared_ptr<const ScriptDocument> document,
                             const BalanceOptions& options, const BalanceProgress& progress = {});

}  // namespace kinpath
