#include "frontends/term/AuthorTools.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <thread>

#include "authoring/Balance.h"
#include "authoring/Publish.h"
#include "frontends/term/BalanceArguments.h"
#include "frontends/term/CheckCommand.h"
#include "script/ScriptLines.h"

namespace kinpath::term {

namespace {

constexpr const char* CheckUsage =
    "usage: kinpath-cli --check [--all] [FILE]\n"
    "  --all  list every problem (default: the first 100 of each kind, then how many more)\n";
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

// "3 hours": the largest unit of which there are at least two.
std::string About(double seconds) {
    struct Unit {
        double seconds;
        const char* name;
    };
    static constexpr Unit Units[] = {
        {365.25 * 86400, "year"}, {86400, "day"}, {3600, "hour"}, {60, "minute"}, {1, "second"}};
    const Unit* unit = Units;
    while (unit->seconds > 1 && seconds < 2 * unit->seconds) ++unit;
    const long long count = std::llround(std::max(0.0, seconds) / unit->seconds);
    return std::to_string(count) + " " + unit->name + (count == 1 ? "" : "s");
}

// What a --balance run shows on standard error while it goes: once the pace is
// known, how long the whole run takes when that is long; on a terminal a bar
// redrawn in place and erased at the end.
class ProgressView {
public:
    ProgressView(std::uint64_t runs, bool bar, std::ostream& err)
        : runs_(runs), bar_(bar), err_(err) {}

    void operator()(std::uint64_t runsDone) {
        const double done = static_cast<double>(runsDone);
        const auto runs = static_cast<double>(runs_);
        const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
        if (bar_ && drawn_) err_ << "\r\x1b[K";
        if (runsDone >= runs_) {
            err_.flush();
            return;
        }
        // The pace is known after a second and a first finished block.
        const double total = done > 0 ? elapsed * runs / done : 0;
        if (!estimated_ && elapsed >= 1 && done > 0) {
            estimated_ = true;
            if (total > LongRun) {
                err_ << "kinpath-cli --balance: " << runs_ << " runs will take about "
                     << About(total) << " (Ctrl+C stops them)\n";
            }
        }
        if (bar_) {
            const auto filled = static_cast<std::size_t>(BarWidth * done / runs);
            char percent[16];
            std::snprintf(percent, sizeof percent, "%5.1f%%", 100 * done / runs);
            err_ << '[' << std::string(filled, '#') << std::string(BarWidth - filled, '-') << "] "
                 << percent;
            if (estimated_) err_ << ", about " << About(total - elapsed) << " left";
            drawn_ = true;
        }
        err_.flush();
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr double LongRun = 10;  // seconds
    static constexpr std::size_t BarWidth = 40;

    const std::uint64_t runs_;
    const bool bar_;
    std::ostream& err_;
    const Clock::time_point start_ = Clock::now();
    bool estimated_ = false;
    bool drawn_ = false;
};

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << CheckUsage;
        return 0;
    }
    std::vector<std::string> files;
    int all = 0;
    for (const std::string& arg : args) {
        if (arg == "--all") {
            ++all;
        } else {
            files.push_back(arg);
        }
    }
    if (all > 1 || files.size() > 1 ||
        (files.size() == 1 && files[0].size() > 1 && files[0][0] == '-')) {
        err << "kinpath-cli --check: "
            << (all > 1            ? std::string("--all given twice")
                : files.size() > 1 ? "more than one script file given"
                                   : "unknown option " + files[0])
            << '\n'
            << CheckUsage;
        return 2;
    }
    return RunScriptCheck(files.empty() ? ScriptFileName : files[0], out, err, all == 1);
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
