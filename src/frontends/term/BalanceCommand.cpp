#include "frontends/term/BalanceCommand.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <ostream>
#include <utility>

#include "authoring/balance/BalanceReport.h"
#include "frontends/term/CheckCommand.h"
#include "script/ScriptDocument.h"
#include "text/TextCodec.h"

namespace kinpath::term {

int RunBalance(const std::string& path, const BalanceOptions& options, BalanceFormat format,
               std::ostream& out, std::ostream& err, const BalanceProgress& progress) {
    ScriptBytes script;
    if (!ReadCheckedScript(path, script, err)) {
        return 1;
    }
    // One document for every thread: it is never written once loaded.
    auto document = std::make_shared<ScriptDocument>();
    const LoadOutcome outcome = LoadScriptText(*document, std::move(script));
    if (!outcome.loaded) {
        err << TerminalText(path) << ": error: cannot load the script ("
            << (outcome.outOfMemory ? "out of memory" : "the window refuses it") << ")\n";
        return 1;
    }
    try {
        const BalanceTally tally = SimulateBalance(document, options, progress);
        WriteBalanceReport(path, *document, options, tally, format, out);
    } catch (const std::bad_alloc&) {
        err << TerminalText(path) << ": error: out of memory for the runs\n";
        return 1;
    }
    return 0;
}

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

ProgressView::ProgressView(std::uint64_t runs, bool bar, std::ostream& err, Elapsed elapsed)
    : runs_(runs), bar_(bar), err_(err), elapsed_(std::move(elapsed)) {
    if (!elapsed_) {
        elapsed_ = [start = std::chrono::steady_clock::now()] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
    }
}

void ProgressView::operator()(std::uint64_t runsDone) {
    const double done = static_cast<double>(runsDone);
    const auto runs = static_cast<double>(runs_);
    const double elapsed = elapsed_();
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
            err_ << "kinpath-cli --balance: " << runs_ << " runs will take about " << About(total)
                 << " (Ctrl+C stops them)\n";
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

}  // namespace kinpath::term
