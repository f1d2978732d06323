// The balance report as tables of figures, built once from a simulation and
// the script's exact reach, and written as text, CSV, JSON or an HTML page:
// every format prints the same cells, so they hold the same numbers.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "authoring/Balance.h"
#include "authoring/Reach.h"

namespace kinpath {

struct ReportColumn {
    std::string id;     // for CSV and JSON
    std::string title;  // for text and HTML
    bool number = true;
};

struct ReportTable {
    std::string id;
    std::string title;
    std::string note;  // what its figures mean
    std::vector<ReportColumn> columns;
    std::vector<std::vector<std::string>> rows;  // cells as printed
};

struct ReportFact {
    std::string id;
    std::string title;
    std::string value;
    bool number = true;
};

struct BalanceReport {
    std::string script;
    std::vector<ReportFact> facts;
    std::vector<ReportTable> tables;
    std::vector<std::string> advice;  // what to change, when the bars show little

    const ReportTable* Table(const std::string& id) const;
};

// How many answers the report lists, those that move the recommendations most first.
inline constexpr std::size_t ListedAnswers = 20;

BalanceReport BuildBalanceReport(const std::string& name, const ScriptDocument& document,
                                 const BalanceOptions& options, const BalanceTally& tally);

// Why a race or class is never recommended (row as in Reach.h), as far as the
// script's exact reach can tell: the nearest true statement it supports.
std::string NeverRecommendedCause(const ScriptDocument& document, const Reach& reach,
                                  Preference preference, int row);
// What to change when the leading bars end nearly empty or most bars stand
// full; nothing when they show well.
std::vector<std::string> ScaleAdvice(const BalanceTally& tally, const Reach& reach);

void WriteReportText(const BalanceReport& report, std::ostream& out);
void WriteReportCsv(const BalanceReport& report, std::ostream& out);
void WriteReportJson(const BalanceReport& report, std::ostream& out);
void WriteReportHtml(const BalanceReport& report, std::ostream& out);

}  // namespace kinpath
