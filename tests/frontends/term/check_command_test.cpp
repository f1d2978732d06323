// What --check prints of the core's check: one line per diagnostic, the
// summary, the refusal of a script with errors that an author tool reads, and
// how far a long list goes.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "frontends/term/CheckCommand.h"
#include "frontends/term/Program.h"
#include "script/ScriptReader.h"

using namespace kinpath;

namespace {

using ScriptCheckTest = kinpath::testing::ProgramTest;

TEST_F(ScriptCheckTest, PrintsOneLinePerProblemAndRefusesOnErrorsOnly) {
    // --check's exit status, output and errors, then what an author tool reads.
    const auto run = [](const std::string& path) {
        std::ostringstream out, err;
        ScriptBytes bytes;
        const int status = RunScriptCheck(path, out, err);
        const bool read = ReadCheckedScript(path, bytes, err);
        return std::to_string(status) + "|" + out.str() + "|" + err.str() +
               (read ? "|read " + std::string(bytes) : "");
    };
    const std::string warning =
        "script.txt:1: warning: question 1 \"Q\": the question has no choices (text=): it can "
        "only be skipped\n";
    WriteScript("<QUESTION>\nname=Q\n</QUESTION>\n");
    EXPECT_EQ(run("script.txt"), "0|" + warning +
                                     "script.txt: 1 question, 0 errors, 1 warning\n||read "
                                     "<QUESTION>\nname=Q\n</QUESTION>\n");
    const std::string error =
        "script.txt:3: error: question 1 \"Q\": the line holds no key of a QUESTION block: \"what\" "
        "(the window says \"Undefined symbol found, line 3\")\n";
    WriteScript("<QUESTION>\nname=Q\nwhat\n</QUESTION>\n");
    EXPECT_EQ(run("script.txt"), "1|" + warning + error +
                                     "script.txt: 1 question, 1 error, 1 warning\n|" + error +
                                     "script.txt: 1 question, 1 error\n");
    const std::string missing = "missing.txt: error: cannot open (No such file or directory)\n";
    EXPECT_EQ(run("missing.txt"), "1||" + missing + missing);
}

// --check lists the first 100 of each kind and says how many more there are;
// --all lists every one.
TEST_F(ScriptCheckTest, ALongListStopsAtAHundredOfEachKind) {
    std::string keys = "<QUESTION>\n<ANSWER>\n";
    for (int i = 0; i < 300; ++i) keys += "rogpt=1\n";
    WriteScript(keys);
    const auto check = [](std::vector<std::string> args) {
        args.insert(args.begin(), "--check");
        std::ostringstream out, err;
        const int status = term::RunProgram(args, {}, {stdin, stdout, stderr, out, err});
        std::vector<std::string> lines;
        std::istringstream in(out.str() + err.str());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return std::pair{status, lines};
    };
    const auto [status, lines] = check({});
    EXPECT_EQ(status, 1);
    ASSERT_EQ(lines.size(), 2u + 100 + 1 + 1 + 1);  // no name, no choices; the end of the file
    EXPECT_EQ(lines[103],
              "script.txt:103: note: 200 more errors of this kind (unknown key), up to line 302, "
              "are not listed (--check --all lists every one)");
    EXPECT_EQ(lines[104], "script.txt: 1 question, 301 errors, 2 warnings");
    EXPECT_EQ(check({"--all"}).second.size(), 2u + 301 + 1);
}

}  // namespace
