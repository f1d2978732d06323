#include "frontends/term/AuthorTools.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <thread>

#include "authoring/Balance.h"
#include "authoring/ScriptCheck.h"
#include "authoring/publish/Publish.h"
#include "platform/Files.h"
#include "text/TextCodec.h"

namespace kinpath::term {

namespace {

// A number with thousands separators: 312,345.
std::string Grouped(std::uintmax_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
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

int RunBalanceCommand(const CommandLine& line, std::ostream& out, std::ostream& err,
                      bool errIsTerminal) {
    return RunBalance(line.script, line.balance, line.format, out, err,
                      ProgressView(line.balance.runs, errIsTerminal, err));
}

int RunPublishCommand(const CommandLine& line, const std::vector<std::string>& pages,
                      std::ostream& out, std::ostream& err) {
    const std::string program = ProblemPrefix(Command::Publish);
    SystemFiles files;
    const PublishOutcome outcome = Publish(
        {line.script, line.output, pages, line.title}, files,
        [&](const CheckDiagnostic& diagnostic) { PrintDiagnostic(line.script, diagnostic, err); });
    const std::string output = TerminalText(outcome.output);
    switch (outcome.status) {
        case PublishStatus::Written:
            out << output << ": " << Grouped(outcome.bytes) << " bytes, " << outcome.check.questions
                << (outcome.check.questions == 1 ? " question" : " questions") << '\n';
            return 0;
        case PublishStatus::NameRefused:
            err << program << ": the page may not be written to " << output
                << " (the script itself, the page without a script, or the name of the saved "
                   "results): name another with -o\n";
            return 2;
        case PublishStatus::PageNotFound:
            err << program << ": " << WebPageFileName
                << " not found beside kinpath-cli or in ../share/kinpath\n";
            return 1;
        case PublishStatus::ScriptUnreadable:
            err << TerminalText(line.script) << ": error: cannot open ("
                << DescribeReadFailure(outcome.scriptFailure) << ")\n";
            return 1;
        case PublishStatus::ScriptHasErrors:
            PrintSummary(line.script, outcome.check, err, false);
            err << program << ": the script has errors: no page was written\n";
            return 1;
        case PublishStatus::NotThePage:
            err << program << ": " << TerminalText(outcome.page)
                << " is not the Kinpath page without a script\n";
            return 1;
        case PublishStatus::NotWritten:
            break;
    }
    err << program << ": could not write " << output << '\n';
    return 1;
}

}  // namespace kinpath::term
