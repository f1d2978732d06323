// kinpath-cli's command line: every command and option declared once (in
// CommandLine.cpp, through CLI11), read by one rule, and the help made from
// the same declarations.
#pragma once

#include <string>
#include <vector>

#include "authoring/balance/Balance.h"
#include "script/ScriptLines.h"

namespace kinpath::term {

enum class Command { Questionnaire, Help, Check, Balance, Publish };

// What the arguments ask for.
struct CommandLine {
    Command command = Command::Questionnaire;
    std::string script = ScriptFileName;  // the script file (FILE or SCRIPT)
    bool all = false;                     // --check's --all
    BalanceOptions balance;               // --balance's --runs, --seed, --skip, --jobs
    BalanceFormat format = BalanceFormat::Text;
    std::string output;  // --publish's -o; empty for the script's name ending in .html
    std::string title;   // --publish's --title; empty for the page's own
    // Why the arguments are refused ("--runs given twice"), already fit for a
    // terminal; empty when they are right.
    std::string problem;
};

// Reads the arguments after the program's name (UTF-8), over the given
// defaults of --balance. One rule for every option: given twice, with an empty
// value, or with a value it does not take, it is refused; a number is read
// exactly (its digits decide whether it is in range, not the number it rounds
// to) or refused; "-o=x" is "-o x", and a flag takes no "=". --help given
// once asks for the help, whatever else is wrong.
CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             const BalanceOptions& balanceDefaults = {});

// "kinpath-cli --balance": what a problem of that command is shown after.
std::string ProblemPrefix(Command command);
// The help: the usage lines, what the program does, every option.
std::string HelpText();
// The usage lines alone, shown after a problem.
std::string UsageText();

}  // namespace kinpath::term
