#include "frontends/term/AuthorTools.h"

#include <algorithm>
#include <ostream>
#include <thread>

#include "authoring/Balance.h"
#include "authoring/ScriptCheck.h"
#include "script/ScriptLines.h"

namespace kinpath::term {

namespace {

constexpr const char* CheckUsage = "usage: kinpath-cli --check [FILE]\n";
constexpr const char* BalanceUsage =
    "usage: kinpath-cli --balance [FILE] [--runs N] [--seed S] [--skip P] [--jobs N]\n"
    "  FILE      the script (default script.txt)\n"
    "  --runs N  number of random runs (default 10000)\n"
    "  --seed S  seed of the random choices (default 1)\n"
    "  --skip P  probability that a question is skipped (default 0)\n"
    "  --jobs N  threads to share the runs (default: one per core; the report is\n"
    "            the same for any number)\n";

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << CheckUsage;
        return 0;
    }
    if (args.size() > 1 || (args.size() == 1 && args[0].size() > 1 && args[0][0] == '-')) {
        err << "kinpath-cli --check: "
            << (args.size() > 1 ? "more than one script file given" : "unknown option " + args[0])
            << '\n'
            << CheckUsage;
        return 2;
    }
    return RunScriptCheck(args.empty() ? ScriptFileName : args[0], out, err);
}

int RunBalanceCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << BalanceUsage;
        return 0;
    }
    std::string file = ScriptFileName;
    BalanceOptions options;
    options.jobs = std::max(1u, std::thread::hardware_concurrency());
    std::string problem;
    if (!ParseBalanceArguments(args, file, options, problem)) {
        err << "kinpath-cli --balance: " << problem << '\n' << BalanceUsage;
        return 2;
    }
    return RunBalance(file, options, out, err);
}

}  // namespace kinpath::term
