// The script checker behind `kinpath-cli --check`: reads a script with the
// window's own line reader, reports every error that makes the window refuse
// it and warns of what loads but goes wrong while the questions are answered.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace kinpath {

enum class CheckSeverity { Error, Warning };

struct CheckDiagnostic {
    // Counted as the window counts lines: every piece of a cut line counts.
    std::int64_t line = 0;
    CheckSeverity severity = CheckSeverity::Warning;
    std::string text;  // UTF-8, without the "error: " or "warning: " label
};

struct CheckResult {
    std::vector<CheckDiagnostic> diagnostics;  // in line order
    int errors = 0;
    int warnings = 0;
    int questions = 0;
};

// Checks a script's whole text (as read by ReadScriptFile).
CheckResult CheckScript(std::string bytes);
// Reads a script for an author tool and checks it. False, after printing why
// (or the script's errors) to err, when the window would not load it.
bool ReadCheckedScript(const std::string& path, std::string& bytes, std::ostream& err);

// One "NAME:LINE: error: ..." line per diagnostic (errors only if asked),
// then the summary line "NAME: N questions, N errors, N warnings".
void PrintCheckResult(const std::string& name, const CheckResult& result, std::ostream& out,
                      bool errorsOnly = false);

// The whole --check run on one file. Exit status: 0 without errors, 1 with
// errors or when the file cannot be read.
int RunScriptCheck(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace kinpath
