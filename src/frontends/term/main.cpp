// kinpath-cli: the questionnaire in a terminal.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "authoring/Publish.h"
#include "frontends/term/AuthorTools.h"
#include "frontends/term/Console.h"
#include "frontends/term/TerminalDialog.h"
#include "frontends/term/TerminalRun.h"
#include "platform/Files.h"
#include "script/ScriptLines.h"
#include "text/PathText.h"

namespace {

using Arguments = std::vector<std::string>;

void PrintUsage(std::FILE* to) {
    std::fprintf(
        to,
        "Usage: %s [FILE]\n"
        "       %s --check [--all] [FILE]\n"
        "       %s --balance [FILE] [--runs N] [--seed S] [--skip P] [--jobs N] [--format F]\n"
        "       %s --publish [SCRIPT] [-o FILE]\n"
        "\n"
        "Asks the questions of script.txt in the current folder (or of FILE) and\n"
        "recommends a race and a class. Commands, one per line on standard input:\n"
        "  1-8        choose that answer and go on\n"
        "  ok         confirm the chosen answer\n"
        "  s, skip    skip the question\n"
        "  h, html    save the results as Kinpath.html and print its path\n"
        "  q, quit    leave (also x, exit, or the end of the input)\n"
        "Message boxes appear on standard error as \"<caption>: <text>\"; a yes/no\n"
        "question reads the next line (y or yes for Yes, anything else for No).\n"
        "\n"
        "Options:\n"
        "  --check    check a script (default script.txt) and list its problems\n"
        "    --all       every one (default: the first 100 of each kind, then a count)\n"
        "  --balance  answer a script at random many times and report how often each\n"
        "             race, class and pair is recommended, and why\n"
        "    --runs N    number of random runs (default 10000)\n"
        "    --seed S    seed of the random choices (default 1)\n"
        "    --skip P    probability that a question is skipped (default 0)\n"
        "    --jobs N    threads that share the runs (default: one per core)\n"
        "    --format F  text, csv, json or html, a page with charts (default text)\n"
        "  --publish  write a script as one web page that runs the questionnaire\n"
        "             in any browser (default: script.txt to script.html)\n"
        "    -o FILE     the page to write (default: the script's name, .html)\n"
        "  --help     show this help\n",
        kinpath::term::ProgramName, kinpath::term::ProgramName, kinpath::term::ProgramName,
        kinpath::term::ProgramName);
}

int RunQuestionnaire(const std::string& script) {
    return kinpath::term::RunSession(stdin, stdout, stderr, kinpath::term::InputIsTerminal(),
                                     script);
}

int Check(const Arguments& args) {
    return kinpath::term::RunCheckCommand(args, std::cout, std::cerr);
}

int Balance(const Arguments& args) {
    return kinpath::term::RunBalanceCommand(args, std::cout, std::cerr,
                                            kinpath::term::ErrorIsTerminal());
}

// The page without a script lies beside the program, or where an installation
// puts shared files.
int Publish(const Arguments& args) {
    const std::filesystem::path folder = kinpath::PathFromUtf8(kinpath::term::ProgramFolder());
    std::vector<std::string> pages;
    for (const std::filesystem::path& page :
         {folder / kinpath::WebPageFileName,
          folder / ".." / "share" / "kinpath" / kinpath::WebPageFileName}) {
        pages.push_back(kinpath::Utf8FromPath(page));
    }
    return kinpath::term::RunPublishCommand(args, pages, std::cout, std::cerr);
}

int ShowHelp(const Arguments&) {
    PrintUsage(stdout);
    return 0;
}

// The program's modes by option; each takes the arguments after its option.
struct Mode {
    const char* option;
    int (*run)(const Arguments&);
    bool takesArguments;
};

constexpr Mode Modes[] = {
    {"--help", ShowHelp, false},  {"-h", ShowHelp, false},      {"--check", Check, true},
    {"--balance", Balance, true}, {"--publish", Publish, true},
};

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "%s: %s\n", kinpath::term::ProgramName, problem.c_str());
    PrintUsage(stderr);
    return 2;
}

// Every mode ends here: output that did not arrive (a full disk, a closed
// standard output) makes the run fail, whatever the mode found.
int Finish(int status) {
    std::cout.flush();
    if (std::fflush(stdout) == 0 && !std::ferror(stdout) && std::cout) return status;
    std::fprintf(stderr, "%s: could not write the output\n", kinpath::term::ProgramName);
    return status == 0 ? 1 : status;
}

int Run(const Arguments& args) {
    if (args.empty()) return RunQuestionnaire(kinpath::ScriptFileName);

    for (const Mode& mode : Modes) {
        if (args[0] != mode.option) continue;
        Arguments rest(args.begin() + 1, args.end());
        if (!mode.takesArguments && !rest.empty()) {
            return UsageError("unexpected argument '" + rest[0] + "'");
        }
        return mode.run(rest);
    }
    if (args[0].size() > 1 && args[0][0] == '-') {
        return UsageError("unknown option '" + args[0] + "'");
    }
    // Any script file, an author's draft as much as a player's script.txt.
    if (args.size() == 1) return RunQuestionnaire(args[0]);
    return UsageError("unexpected argument '" + args[1] + "'");
}

}  // namespace

int main(int argc, char** argv) {
    kinpath::term::ConsoleSetup console;
    // Output past a file size limit fails like output to a full disk.
    kinpath::FailWritesPastSizeLimit();
    return Finish(Run(kinpath::term::CommandArguments(argc, argv)));
}
