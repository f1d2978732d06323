// What --check and the other author tools print of a check, and the --check
// run itself.
#pragma once

#include <iosfwd>
#include <string>

#include "authoring/check/ScriptCheck.h"
#include "script/ScriptLines.h"

namespace kinpath {

// Reads a script for an author tool and checks it. False, after printing why
// (or the script's errors and the summary line) to err, when the window would
// not load it.
bool ReadCheckedScript(const std::string& path, ScriptBytes& bytes, std::ostream& err);

// One diagnostic as "NAME:LINE: error: ..." or "NAME:LINE: warning: ...".
void PrintDiagnostic(const std::string& name, const CheckDiagnostic& diagnostic, std::ostream& out);
// A note for each kind of which diagnostics were left out (only the errors'
// if errorsOnly), then "NAME: N questions, N errors, N warnings" (without the
// warnings if errorsOnly).
void PrintSummary(const std::string& name, const CheckResult& result, std::ostream& out,
                  bool errorsOnly);

// The whole --check run on one file: one "NAME:LINE: error: ..." line per
// diagnostic as it is found (the first ListedPerKind of each kind, or all),
// then the summary. Exit status: 0 without errors, 1 with errors or when the
// file cannot be read.
int RunScriptCheck(const std::string& path, std::ostream& out, std::ostream& err, bool all = false);

}  // namespace kinpath
