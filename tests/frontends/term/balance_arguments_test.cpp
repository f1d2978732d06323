// The arguments of --balance: every option's edge values in both forms, and
// what is not an option.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frontends/term/BalanceArguments.h"

using namespace kinpath;
using kinpath::term::ParseBalanceArguments;

namespace {

// The option's value as text ("-0" stays visible).
std::string Value(const BalanceOptions& options, const std::string& option) {
    if (option == "--runs") return std::to_string(options.runs);
    if (option == "--seed") return std::to_string(options.seed);
    if (option == "--jobs") return std::to_string(options.jobs);
    char text[32];
    std::snprintf(text, sizeof text, "%g", options.skipProbability);
    return text;
}

TEST(BalanceArgumentsTest, EachOptionTakesItsRangeAndNothingElse) {
    // "--option=value" and what the option becomes; "" where it is refused.
    const std::pair<std::string, std::string> table[] = {
        {"--runs=0", ""},
        {"--runs=1", "1"},
        {"--runs=1000000000000", "1000000000000"},
        {"--runs=1000000000001", ""},
        {"--runs=18446744073709550593", ""},
        {"--runs=18446744073709551615", ""},
        {"--runs=18446744073709551616", ""},
        {"--runs=-1", ""},
        {"--runs=+5", ""},
        {"--runs=0x10", ""},
        {"--runs= 5", ""},
        {"--runs=5 ", ""},
        {"--runs=1e3", ""},
        {"--runs=", ""},
        {"--seed=0", "0"},
        {"--seed=18446744073709551615", "18446744073709551615"},
        {"--seed=18446744073709551616", ""},
        {"--seed=-1", ""},
        {"--seed=0x1", ""},
        {"--seed= 1", ""},
        {"--seed=", ""},
        {"--jobs=0", ""},
        {"--jobs=1", "1"},
        {"--jobs=1024", "1024"},
        {"--jobs=1025", ""},
        {"--jobs=-1", ""},
        {"--jobs=0x4", ""},
        {"--jobs=4 ", ""},
        {"--jobs=", ""},
        {"--skip=0", "0"},
        {"--skip=-0", "0"},
        {"--skip=1", "1"},
        {"--skip=1e-1", "0.1"},
        {"--skip=1.0000001", ""},
        {"--skip=-0.1", ""},
        {"--skip=nan", ""},
        {"--skip=inf", ""},
        {"--skip=0x0.8p0", ""},
        {"--skip= 0.5", ""},
        {"--skip=", ""},
    };
    const BalanceOptions defaults{10000, 1, 0.0, 4};
    for (const auto& [arg, wanted] : table) {
        const std::string option = arg.substr(0, arg.find('='));
        const std::string value = arg.substr(arg.find('=') + 1);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{arg}, std::vector<std::string>{option, value}}) {
            const auto parsed = ParseBalanceArguments(args, defaults);
            if (wanted.empty()) {
                EXPECT_EQ(parsed.problem.rfind(option + " does not take \"" + value + "\" (", 0),
                          0u)
                    << arg << ": " << parsed.problem;
            } else {
                EXPECT_EQ(parsed.problem, "") << arg;
                EXPECT_EQ(Value(parsed.options, option), wanted) << arg;
            }
        }
    }
    EXPECT_EQ(ParseBalanceArguments({"--runs", "18446744073709551615"}, defaults).problem,
              "--runs does not take \"18446744073709551615\" (a whole number from 1 to "
              "1000000000000)");
}

TEST(BalanceArgumentsTest, FileAndWhatIsNoOption) {
    const BalanceOptions defaults{10000, 1, 0.0, 4};
    auto parsed = ParseBalanceArguments({}, defaults);
    EXPECT_TRUE(parsed.file == "script.txt" && parsed.problem.empty());
    EXPECT_EQ(parsed.options.runs, 10000u);
    parsed =
        ParseBalanceArguments({"--runs", "50", "q.txt", "--seed=9", "--skip", "0.25"}, defaults);
    EXPECT_EQ(parsed.file, "q.txt");
    EXPECT_TRUE(parsed.options.runs == 50 && parsed.options.seed == 9 &&
                parsed.options.skipProbability == 0.25 && parsed.options.jobs == 4);
    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"--runs"}, "--runs needs a value"},
        {{"--fast"}, "unknown option --fast"},
        {{"a.txt", "b.txt"}, "more than one script file given"},
        {{"-"}, "more than one script file given"},  // "-" is a file name
    };
    for (const auto& [args, problem] : wrong) {
        std::vector<std::string> withFile = args;
        if (args[0] == "-") withFile.insert(withFile.begin(), "a.txt");
        EXPECT_EQ(ParseBalanceArguments(withFile, defaults).problem, problem);
    }
}

}  // namespace
