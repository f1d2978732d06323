// The script checker behind `kinpath-cli --check`: reads a script with the
// window's own line reader, reports every error that makes the window refuse
// it and warns of what loads but goes wrong while the questions are answered.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace kinpath {

enum class CheckSeverity { Error, Warning };

struct CheckDiagnostic {
    // The line as an editor counts it (the window counts each piece of a line
    // of more than 511 characters as a line).
    std::int64_t line = 0;
    CheckSeverity severity = CheckSeverity::Warning;
    std::string text;  // UTF-8, without the "error: " or "warning: " label
    // Of an error: the line the window's own message names; 0 for a warning.
    std::int64_t windowLine = 0;
};

struct CheckResult {
    std::vector<CheckDiagnostic> diagnostics;  // in line order (empty when given to a sink)
    int errors = 0;
    int warnings = 0;
    int questions = 0;
};

// Takes each diagnostic as soon as its place in line order is certain.
using CheckSink = std::function<void(const CheckDiagnostic&)>;

// Checks a script's whole text (as read by ReadScriptFile), handing the
// diagnostics to sink in line order while it reads: the memory it takes does
// not grow with their number.
CheckResult CheckScript(std::string bytes, const CheckSink& sink);
// The same, with the diagnostics collected in the result.
CheckResult CheckScript(std::string bytes);
// Reads a script for an author tool and checks it. False, after printing why
// (or the script's errors and the summary line) to err, when the window would
// not load it.
bool ReadCheckedScript(const std::string& path, std::string& bytes, std::ostream& err);

// One diagnostic as "NAME:LINE: error: ..." or "NAME:LINE: warning: ...".
void PrintDiagnostic(const std::string& name, const CheckDiagnostic& diagnostic, std::ostream& out);
// "NAME: N questions, N errors, N warnings" (without the warnings if errorsOnly).
void PrintSummary(const std::string& name, const CheckResult& result, std::ostream& out,
                  bool errorsOnly);

// The whole --check run on one file: one "NAME:LINE: error: ..." line per
// diagnostic as it is found, then "NAME: N questions, N errors, N warnings".
// Exit status: 0 without errors, 1 with errors or when the file cannot be read.
int RunScriptCheck(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace kinpath
