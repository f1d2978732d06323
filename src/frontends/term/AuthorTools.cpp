#include "frontends/term/AuthorTools.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <thread>

#include "authoring/Publish.h"
#include "authoring/ScriptCheck.h"
#include "frontends/term/BalanceArguments.h"
#include "frontends/term/BalanceCommand.h"
#include "script/ScriptLines.h"

namespace kinpath::term {

namespace {

constexpr const char* CheckUsage = "usage: kinpath-cli --check [FILE]\n";
constexpr const char* BalanceUsage =
    "usage: kinpath-cli --balance [FILE] [--runs N] [--seed S] [--skip P] [--jobs N] [--format F]\n"
    "  FILE        the script (default script.txt)\n"
    "  --runs N    number of random runs (default 10000)\n"
    "  --seed S    seed of the random choices (default 1)\n"
    "  --skip P    probability that a question is skipped (default 0)\n"
    "  --jobs N    threads to share the runs (default: one per core; the report is\n"
    "              the same for any number)\n"
    "  --format F  text, csv, json or html: one page with charts (default text)\n";

constexpr const char* PublishUsage =
    "usage: kinpath-cli --publish [SCRIPT] [-o FILE]\n"
    "  SCRIPT   the script (default script.txt)\n"
    "  -o FILE  the page to write (default: the script's name ending in .html)\n";

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

int RunBalanceCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      bool errIsTerminal) {
    if (WantsHelp(args)) {
        out << BalanceUsage;
        return 0;
    }
    BalanceOptions defaults;
    defaults.jobs = std::max(1u, std::thread::hardware_concurrency());
    const BalanceArguments parsed = ParseBalanceArguments(args, defaults);
    if (!parsed.problem.empty()) {
        err << "kinpath-cli --balance: " << parsed.problem << '\n' << BalanceUsage;
        return 2;
    }
    return RunBalance(parsed.file, parsed.options, parsed.format, out, err,
                      ProgressView(parsed.options.runs, errIsTerminal, err));
}

int RunPublishCommand(const std::vector<std::string>& args,
                      const std::vector<std::string>& pageCandidates, std::ostream& out,
                      std::ostream& err) {
    if (WantsHelp(args)) {
        out << PublishUsage;
        return 0;
    }
    PublishRequest request;
    std::string problem;
    for (std::size_t i = 0; i < args.size() && problem.empty(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size() && request.output.empty()) {
            request.output = args[++i];
        } else if (args[i] == "-o") {
            problem = request.output.empty() ? "-o needs a file name" : "-o given twice";
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            problem = "unknown option " + args[i];
        } else if (request.script.empty()) {
            request.script = args[i];
        } else {
            problem = "more than one script file given";
        }
    }
    if (!problem.empty()) {
        err << "kinpath-cli --publish: " << problem << '\n' << PublishUsage;
        return 2;
    }
    if (request.script.empty()) request.script = ScriptFileName;
    for (const std::string& candidate : pageCandidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) {
            request.page = candidate;
            break;
        }
    }
    if (request.page.empty()) {
        err << "kinpath-cli --publish: " << WebPageFileName
            << " not found beside kinpath-cli or in ../share/kinpath\n";
        return 1;
    }
    return RunPublish(request, out, err);
}

}  // namespace kinpath::term
