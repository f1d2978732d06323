// The balance report as tables of figures and the charts' data, built once
// from a simulation and the script's exact reach, and written as text, CSV,
// JSON or an HTML page. The cells hold numbers as numbers and texts ready to
// show, so every format prints the same figures and each writer only adds its
// own syntax.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "authoring/balance/Balance.h"
#include "scoring/Reach.h"
#include "text/NumberText.h"

namespace kinpath {

// One figure or text of the report. A text is made safe to show when the
// cell is made: UTF-8, with every control character visible.
class ReportCell {
public:
    using Value = std::variant<std::string, std::int64_t, std::uint64_t, Decimal, double>;

    ReportCell(std::string_view text);
    ReportCell(const std::string& text) : ReportCell(std::string_view(text)) {}
    ReportCell(const char* text) : ReportCell(std::string_view(text)) {}
    ReportCell(int number) : value_(std::int64_t{number}) {}
    ReportCell(std::int64_t number) : value_(number) {}
    ReportCell(std::uint64_t number) : value_(number) {}
    ReportCell(Decimal number) : value_(number) {}
    // A fraction shown in as few digits as give it back exactly.
    ReportCell(double number) : value_(number) {}

    const Value& Get() const { return value_; }
    bool IsNumber() const { return value_.index() != 0; }
    // The cell as every format shows it: the text, or the number in the one
    // way numbers are written (text/NumberText.h).
    std::string Text() const;

    friend bool operator==(const ReportCell&, const ReportCell&) = default;

private:
    Value value_;
};

struct ReportColumn {
    std::string id;      // for CSV and JSON
    std::string title;   // for text and the page's table
    bool number = true;  // aligned as a number (a cell "above 1000" too)
};

struct ReportTable {
    std::string id;
    std::string title;
    std::string note;  // what its figures mean
    std::vector<ReportColumn> columns;
    std::vector<std::vector<ReportCell>> rows;
    // For the page: what the table counts in plain words, and one line on it.
    std::string heading;
    std::string summary;
};

struct ReportFact {
    std::string id;
    std::string title;
    ReportCell value;
};

// A race's or class's share of the runs, for the page's bars.
struct ShareBar {
    std::string name;
    Decimal share;
};

// Where a bar ends: the runs below 0, in each ten points from 0 to 99, and
// at 100 or more.
inline constexpr int EndBins = 12;
using EndCounts = std::array<std::uint64_t, EndBins>;

// What the page draws, from the tallies.
struct ReportCharts {
    // Most recommended first, as in the tables.
    std::vector<ShareBar> races, classes;
    // Each bar (rows as in RowCount) and where it ends.
    std::vector<std::pair<std::string, EndCounts>> ends;
    std::array<std::string, EndBins> endTitles;
    // Races down, classes across, "Unknown" last in both: the runs that
    // recommend each pair, and whether the game allows it.
    std::vector<std::string> pairRaces, pairClasses;
    std::vector<std::vector<std::uint64_t>> pairRuns;
    std::vector<std::vector<bool>> pairAllowed;
    bool unknown = false;  // some run recommended "Unknown"
};

struct BalanceReport {
    std::string script;  // the file's name, ready to show
    // What the game calls a row of each table, in lower case.
    std::array<std::string, 2> words{"race", "class"};
    std::vector<ReportFact> facts;
    std::vector<ReportTable> tables;
    std::vector<std::string> advice;  // what to change, when the bars show little
    ReportCharts charts;

    const ReportTable* Table(const std::string& id) const;
};

// How many answers the report lists, those that move the recommendations most first.
inline constexpr std::size_t ListedAnswers = 20;

BalanceReport BuildBalanceReport(const std::string& name, const ScriptDocument& document,
                                 const BalanceOptions& options, const BalanceTally& tally);

// A total as counted: exact from -1000 to 1000, the ends standing for beyond.
ReportCell TotalCell(std::int32_t total);
// Where each row's bar ends (rows as in RowCount), from the counted totals.
EndCounts EndsOf(const TotalCounts& bar);

// A table's word as the report writes it: "race" and "races".
struct TableWords {
    std::string one, many;
};
TableWords WordsOf(const Game& game, int table);
// "a race", "an ancestry".
std::string WithArticle(std::string_view word);
// The names of the rows from .. to (as in RowCount) whose score a total counts for.
std::vector<std::string> RowsCountingFor(const Game& game, int slot, int from, int to);

// Why a race or class is never recommended (row as in RowCount), as far as the
// script's exact reach can tell: the nearest true statement it supports.
std::string NeverRecommendedCause(const ScriptDocument& document, const Reach& reach,
                                  Preference preference, int row);
// What to change when the leading bars end nearly empty or most bars stand
// full; nothing when they show well.
std::vector<std::string> ScaleAdvice(const Game& game, const BalanceTally& tally,
                                     const Reach& reach);

void WriteReportText(const BalanceReport& report, std::ostream& out);
void WriteReportCsv(const BalanceReport& report, std::ostream& out);
void WriteReportJson(const BalanceReport& report, std::ostream& out);
void WriteReportHtml(const BalanceReport& report, std::ostream& out);

// The report on a simulation of the document, in the format asked for.
void WriteBalanceReport(const std::string& name, const ScriptDocument& document,
                        const BalanceOptions& options, const BalanceTally& tally,
                        BalanceFormat format, std::ostream& out);

}  // namespace kinpath
