// The command line: --balance's numbers at their edges in both forms, one rule
// for every option (given twice, empty, not exact), and the help made from the
// same declarations.
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "frontends/term/CommandLine.h"

using namespace kinpath;
using kinpath::term::Command;
using kinpath::term::CommandLine;
using kinpath::term::ParseCommandLine;

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

// Each number is read exactly, in "--x=v" and "--x v" alike: its digits decide
// whether it is in range, not the double it rounds to.
TEST(CommandLineTest, EachBalanceNumberTakesItsRangeAndNothingElse) {
    // "--option=value what-it-becomes;" and "--option=value;" one after another.
    const std::string taken =
        "--runs=1 1;--runs=007 7;--runs=1000000000000 1000000000000;--seed=0 0;"
        "--seed=18446744073709551615 18446744073709551615;--jobs=1 1;--jobs=1024 1024;"
        "--skip=-0 0;--skip=1 1;--skip=1e-1 0.1;--skip=0.99999999999999999999 1;--skip=10e-1 1;"
        "--skip=1e-400 0;--skip=0." +
        std::string(330, '0') + "1 0;";
    const std::string refused =
        "--runs=0;--runs=1000000000001;--runs=18446744073709551616;--runs=-1;--runs=+5;"
        "--runs=0x10;--runs= 5;--runs=5 ;--runs=1e3;--runs=;--seed=18446744073709551616;"
        "--seed=-1;--seed=0x1;--jobs=0;--jobs=1025;--jobs=4 ;--skip=1.0000001;--skip=-0.1;"
        "--skip=nan;--skip=inf;--skip=0x0.8p0;--skip=1.0000000000000000000001;--skip=1.5e0;"
        "--skip=1e+400;";
    const BalanceOptions defaults{10000, 1, 0.0, 4};
    const auto check = [&](const std::string& arg, const std::string& wanted) {
        const std::string option = arg.substr(0, arg.find('='));
        const std::string value = arg.substr(arg.find('=') + 1);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"--balance", arg}, {"--balance", option, value}}) {
            const CommandLine parsed = ParseCommandLine(args, defaults);
            if (wanted.empty()) {
                EXPECT_EQ(parsed.problem.rfind(option + " does not take \"" + value + "\" (", 0),
                          0u)
                    << arg << ": " << parsed.problem;
            } else {
                EXPECT_EQ(std::tuple(parsed.problem, Value(parsed.balance, option)),
                          std::tuple("", wanted))
                    << arg;
            }
        }
    };
    for (std::size_t at = 0, end; (end = taken.find(';', at)) != taken.npos; at = end + 1) {
        const std::size_t space = taken.rfind(' ', end);
        check(taken.substr(at, space - at), taken.substr(space + 1, end - space - 1));
    }
    for (std::size_t at = 0, end; (end = refused.find(';', at)) != refused.npos; at = end + 1)
        check(refused.substr(at, end - at), "");
    const CommandLine line = ParseCommandLine(
        {"--balance", "--runs", "50", "q.txt", "--seed=9", "--skip", "0.25"}, defaults);
    EXPECT_EQ(std::tuple(line.script, line.balance.runs, line.balance.seed,
                         line.balance.skipProbability, line.balance.jobs),
              std::tuple("q.txt", 50u, 9u, 0.25, 4u));
}

// One rule for every option of every command: given twice, empty, or
// without its command, it is refused, and what is refused is shown safely.
// "-o=x" is "-o x" as "--title=x" is "--title x"; a flag takes no "=".
TEST(CommandLineTest, OneRuleForEveryOption) {
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--balance", "--runs", "5", "--runs", "5"}, "--runs given twice"},
        {{"--balance", "--format", "csv", "--format=json"}, "--format given twice"},
        {{"--publish", "-o="}, "-o does not take \"\" (a file name)"},
        {{"--publish", "-o", "-"},
         "-o does not take \"-\" (a file name; the page is not written to standard output)"},
        {{"--publish", "-ox.html", "-o", "y.html"}, "-o given twice"},
        {{"--publish", "--title="}, "--title does not take \"\" (a text of one character or more)"},
        {{"--publish", "-o"}, "-o needs a value"},
        {{"--check", "--check"}, "--check given twice"},
        {{"--check", "--all", "x", "--all"}, "--all given twice"},
        {{"-hh"}, "--help given twice"},
        {{"--check=yes"}, "--check takes no value"},
        {{"--check="}, "--check takes no value"},
        {{"--help=1"}, "--help takes no value"},
        {{"--balance", "--seed", "-1"},
         "--seed does not take \"-1\" (a whole number from 0 to 18446744073709551615)"},
        {{"--check", "--publish"}, "--check excludes --publish"},
        {{"--runs", "5"}, "--runs requires --balance"},
        {{"--balance", "--runs=", "--seed", "5"},
         "--runs does not take \"\" (a whole number from 1 to 1000000000000)"},
        {{""}, "the script's file name is empty"},
        {{"a.txt", "--", "b.txt"}, "more than one script file given"},
        {{"a.txt", "-"}, "more than one script file given"},  // "-" is a file name
        {{"--x\x1b]0;t\x07"}, "unknown option '--x^[]0;t^G'"},
        {{"--balance", "--format", "\xE2\x80\xAEtxt"},
         "--format does not take \"<U+202E>txt\" (text, csv, json or html)"},
    };
    for (const auto& [args, problem] : refused) {
        EXPECT_EQ(ParseCommandLine(args).problem, problem) << args[0];
    }
    CommandLine line = ParseCommandLine({"q.txt", "--title", "-o=<T>", "--publish", "-o=x.html"});
    EXPECT_EQ(std::tuple(line.command, line.script, line.output, line.title, line.problem),
              std::tuple(Command::Publish, "q.txt", "x.html", "-o=<T>", ""));
    line = ParseCommandLine({"--", "-x.txt"});
    EXPECT_EQ(std::tuple(line.command, line.script, line.problem),
              std::tuple(Command::Questionnaire, "-x.txt", ""));
    // --help given once asks for the help, whatever else is wrong.
    for (const auto& args : {std::vector<std::string>{"--balance", "--bad", "-h"},
                             std::vector<std::string>{"--balance", "--runs", "0", "--help"}}) {
        EXPECT_EQ(ParseCommandLine(args).command, Command::Help);
    }
}

// The help is made from the same declarations the arguments are read by:
// each option its usage line names is taken by its command, and listed.
TEST(CommandLineTest, TheHelpNamesWhatTheCommandLineTakes) {
    const std::string usage = kinpath::term::UsageText();
    const std::string help = kinpath::term::HelpText();
    EXPECT_EQ(help.rfind(usage + "\nAsks the questions of script.txt", 0), 0u) << help;
    std::istringstream below(help.substr(usage.size()));
    for (std::string line; std::getline(below, line);) EXPECT_LE(line.size(), 79u) << line;
    EXPECT_EQ(usage.rfind("Usage: kinpath-cli [FILE]\n       kinpath-cli --check [FILE]", 0), 0u);
    const std::map<std::string, std::string> samples = {
        {"N", "1"}, {"S", "1"}, {"P", "0"}, {"F", "csv"}, {"FILE", "x.html"}, {"TEXT", "t"}};
    std::istringstream lines(usage);
    int options = 0;
    for (std::string entry; std::getline(lines, entry);) {
        std::istringstream words(entry.substr(entry.find("kinpath-cli") + 11));
        std::vector<std::string> args;
        // "--balance", "[FILE]", "[--runs", "N]": the command, its script, an
        // option and its value.
        for (std::string word; words >> word;) {
            if (word.starts_with("[-")) {
                args.push_back(word.substr(1, word.find(']') - 1));
                EXPECT_NE(help.find("\n  " + args.back() + " "), std::string::npos) << args.back();
                ++options;
            } else if (word.starts_with("[")) {
                args.push_back("script.txt");
            } else if (word.ends_with("]")) {
                args.push_back(samples.at(word.substr(0, word.size() - 1)));
            } else {
                args.push_back(word);
            }
        }
        EXPECT_EQ(ParseCommandLine(args).problem, "") << entry;
    }
    EXPECT_GE(options, 7);
}

}  // namespace
