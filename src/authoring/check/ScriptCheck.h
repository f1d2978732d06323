// The script checker behind `kinpath-cli --check`: reads a script with the
// window's own reader, reports every error that makes the window refuse it and
// warns of what loads but goes wrong while the questions are answered. It
// hands out diagnostics as values; printing them is the front end's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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
    std::string_view kind;  // what it is about: "unknown key", "answer never reached"...
};

// How many diagnostics of one kind the author tools list unless asked for all.
inline constexpr std::int64_t ListedPerKind = 100;

struct CheckOptions {
    // The most diagnostics of one kind handed out; the rest are only
    // counted. 0: every one.
    std::int64_t perKind = 0;
};

// The diagnostics of one kind left out past CheckOptions::perKind.
struct CheckOmitted {
    std::string kind;  // "unknown key", "answer never reached"...
    CheckSeverity severity = CheckSeverity::Warning;
    std::int64_t count = 0;
    std::int64_t firstLine = 0;  // of the first left out
    std::int64_t lastLine = 0;
};

struct CheckResult {
    std::vector<CheckDiagnostic> diagnostics;  // in line order (empty when given to a sink)
    int errors = 0;                            // every one, those left out too
    int warnings = 0;
    int questions = 0;
    std::vector<CheckOmitted> omitted;  // in the order their kinds first overflowed
};

// Takes each diagnostic as soon as its place in line order is certain.
using CheckSink = std::function<void(const CheckDiagnostic&)>;

// Checks a script's whole text (as read by ReadScriptFile), handing the
// diagnostics to sink in line order while it reads: the memory it takes does
// not grow with their number, nor, past the limit of each kind, the time.
CheckResult CheckScript(std::string_view bytes, const CheckSink& sink,
                        const CheckOptions& options = {});
// The same, with the diagnostics collected in the result.
CheckResult CheckScript(std::string_view bytes, const CheckOptions& options = {});

}  // namespace kinpath
