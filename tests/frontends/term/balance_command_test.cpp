// The --balance run as the terminal makes it: a script that does not load and
// a load that runs out of memory are errors with their messages, and the
// progress view tells how long a run takes in the units a person reads.
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "FailingNew.h"
#include "TestSupport.h"
#include "frontends/term/BalanceCommand.h"

namespace kinpath::testing {
namespace {

using BalanceCommandTest = ProgramTest;

// A script that does not load, and memory that runs out after the check: the
// load fails, and says so, instead of a report on an empty script.
TEST_F(BalanceCommandTest, AScriptThatDoesNotLoadIsAnError) {
    const auto run = [](std::size_t failFrom) {
        std::ostringstream out, err;
        FailFrom = failFrom;
        const int status = term::RunBalance("script.txt", BalanceOptions{10, 1, 0.0, 1},
                                            BalanceFormat::Text, out, err);
        FailFrom = SIZE_MAX;
        EXPECT_EQ(out.str(), "");
        return std::to_string(status) + " " + err.str();
    };
    WriteScript("<QUESTION>\nname=Q\ntext=A\nnonsense\n</QUESTION>\n");
    EXPECT_EQ(run(SIZE_MAX).rfind("1 script.txt:4: error: ", 0), 0u);
    std::string script;  // 920 KB that the check reads in small pieces, the load in a 1 MB list
    for (int i = 0; i < 40000; ++i) script += "<QUESTION>\n</QUESTION>\n";
    WriteScript(script);
    EXPECT_EQ(run(1 << 20), "1 script.txt: error: cannot load the script (out of memory)\n");
}

// "N units": the largest unit of which there are at least two, N rounded.
TEST(BalanceProgressTest, TimesAreToldInTheLargestUnitThereAreTwoOf) {
    const std::pair<double, const char*> units[] = {
        {365.25 * 86400, "year"}, {86400, "day"}, {3600, "hour"}, {60, "minute"}, {1, "second"}};
    for (double seconds = 0.3; seconds < 1e10; seconds *= 1.37) {
        std::istringstream words(term::About(seconds));
        long long count = 0;
        std::string name;
        words >> count >> name;
        std::size_t u = 0;
        while (u + 1 < std::size(units) && seconds < 2 * units[u].first) ++u;
        EXPECT_EQ(name, units[u].second + std::string(count == 1 ? "" : "s")) << seconds;
        EXPECT_EQ(count, std::llround(seconds / units[u].first)) << seconds;
    }
    EXPECT_EQ(term::About(120), "2 minutes");
}

// The pace is known once a second has gone and some runs are done; only a
// run of over ten seconds says how long it takes, and only a terminal gets
// the bar, erased at the end.
TEST(BalanceProgressTest, ALongRunSaysHowLongAndOnlyATerminalGetsTheBar) {
    for (const bool terminal : {false, true}) {
        double now = 0;
        std::ostringstream err;
        term::ProgressView view(1000, terminal, err, [&] { return now; });
        now = 0.5;
        view(100);  // too early to tell
        now = 1.0;
        view(0);  // nothing done yet
        now = 2.0;
        view(100);  // 20 s for all: long
        now = 3.0;
        view(150);
        view(1000);
        const std::string estimate =
            "kinpath-cli --balance: 1000 runs will take about 20 seconds (Ctrl+C stops them)\n";
        EXPECT_EQ(err.str(),
                  terminal ? "[####------------------------------------]  10.0%\r\x1b[K"
                             "[----------------------------------------]   0.0%\r\x1b[K" +
                                 estimate +
                                 "[####------------------------------------]  10.0%, about 18 "
                                 "seconds left\r\x1b[K[######----------------------------------]  "
                                 "15.0%, about 17 seconds left\r\x1b[K"
                           : estimate);
    }
    std::ostringstream quick;
    term::ProgressView view(1000, false, quick, [] { return 1.0; });
    view(500);  // 2 s for all
    EXPECT_EQ(quick.str(), "");
}

}  // namespace
}  // namespace kinpath::testing
