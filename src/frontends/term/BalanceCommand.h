// The --balance run in the terminal: what it prints, its progress and its
// exit status. The simulation and the report are the authoring layer's.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "authoring/balance/Balance.h"

namespace kinpath::term {

// Reads and checks the file and loads it once (printing the check's errors,
// or what kept the load from succeeding, to err), simulates, and prints the
// report to out. Exit status 0 with the report, 1 when the script does not
// load or memory runs out.
int RunBalance(const std::string& path, const BalanceOptions& options, BalanceFormat format,
               std::ostream& out, std::ostream& err, const BalanceProgress& progress = {});

// "3 hours": a time in the largest unit of which there are at least two.
std::string About(double seconds);

// What a --balance run shows on standard error while it goes: once the pace is
// known, how long the whole run takes when that is long; when bar is set (err
// is a terminal) a bar redrawn in place and erased at the end.
class ProgressView {
public:
    // Seconds since the view was made.
    using Elapsed = std::function<double()>;

    ProgressView(std::uint64_t runs, bool bar, std::ostream& err, Elapsed elapsed = {});
    void operator()(std::uint64_t runsDone);

private:
    static constexpr double LongRun = 10;  // seconds
    static constexpr std::size_t BarWidth = 40;

    const std::uint64_t runs_;
    const bool bar_;
    std::ostream& err_;
    Elapsed elapsed_;
    bool estimated_ = false;
    bool drawn_ = false;
};

}  // namespace kinpath::term
