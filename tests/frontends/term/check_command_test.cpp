// What the author tools print of a check: one line per diagnostic, the
// summary, the refusal of a script with errors, and how far a long list goes.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <future>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "frontends/term/AuthorTools.h"
#include "frontends/term/CheckCommand.h"
#include "frontends/term/Program.h"
#include "script/ScriptReader.h"

using namespace kinpath;

namespace {

class ScriptCheckTest : public kinpath::testing::ProgramTest {};

// kinpath-cli --check with these arguments, as the program runs it.
int CheckCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
    args.insert(args.begin(), "--check");
    return term::RunProgram(args, {}, {stdin, stdout, stderr, out, err});
}

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
    const std::string warnings =
        "script.txt:1: warning: question 1 (no name): the question has no name= "
        "(no question text is shown)\n"
        "script.txt:1: warning: question 1 (no name): the question has no choices "
        "(text=): it can only be skipped\n";
    WriteScript("\xEF\xBB\xBF<QUESTION>\n</QUESTION>\n");  // the byte-order mark is not read
    EXPECT_EQ(run("script.txt"), "0|" + warnings +
                                     "script.txt: 1 question, 0 errors, 2 warnings\n||read "
                                     "<QUESTION>\n</QUESTION>\n");
    const std::string error =
        "script.txt:9: error: question 2 \"Q\": the line holds no key of a QUESTION block: \"what\" "
        "(the window says \"Undefined symbol found, line 9\")\n";
    WriteScript(
        "<QUESTION>\n</QUESTION>\n<QUESTION>\nname=Q\ntext=A\n<ANSWER>\ntype=1\n</ANSWER>\n"
        "what\n</QUESTION>\n");
    const std::string noPoints =
        "script.txt:6: warning: question 2 \"Q\": the answer of line 6 gives no points: choosing "
        "choice 1 \"A\" adds nothing to any total (a point key set to 0 says that this is meant)\n";
    EXPECT_EQ(run("script.txt"), "1|" + warnings + noPoints + error +
                                     "script.txt: 2 questions, 1 error, 3 warnings\n|" + error +
                                     "script.txt: 2 questions, 1 error\n");
    const std::string missing = "missing.txt: error: cannot open (No such file or directory)\n";
    EXPECT_EQ(run("missing.txt"), "1||" + missing + missing);
    std::filesystem::create_directory(Dir() / "folder");
    const std::string folder = "folder: error: cannot open (not a regular file)\n";
    EXPECT_EQ(run("folder"), "1||" + folder + folder);

#ifndef _WIN32  // Windows has no FIFOs; its devices are refused in script_lines_test.cpp
    // A FIFO is refused at once, not waited on for a writer.
    ASSERT_EQ(::mkfifo("fifo", 0600), 0);
    auto fifo = std::async(std::launch::async, [] {
        std::ostringstream none, why;
        const int status = RunScriptCheck("fifo", none, why);
        return std::to_string(status) + " " + why.str();
    });
    if (fifo.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "--check waits on a FIFO";
        ::close(::open("fifo", O_WRONLY | O_NONBLOCK));  // lets the reader go
    }
    EXPECT_EQ(fifo.get(), "1 fifo: error: cannot open (not a regular file)\n");
#endif

    // The sample questionnaire is clean: the summary is all --check prints.
    const std::string sample = run(KINPATH_EXAMPLES_DIR "/script.txt");
    const std::string summary = sample.substr(0, sample.find('\n') + 1);
    EXPECT_TRUE(summary.starts_with("0|") && summary.ends_with(" 0 errors, 0 warnings\n") &&
                sample.starts_with(summary + "||read "))
        << sample.substr(0, 300);
}

// The error-heavy scripts of a user's report, smaller: misspelt keys line after
// line, and one line of many buffers in a block. --check lists the first 100
// of each kind and says how many more there are; --all lists every one.
TEST_F(ScriptCheckTest, ErrorHeavyScriptsListAHundredOfEachKind) {
    std::string keys = "<QUESTION>\n<ANSWER>\n";
    for (int i = 0; i < 20000; ++i) keys += "rogpt=1\n";
    WriteScript(keys, "keys.txt");
    WriteScript("<QUESTION>\nname=" + std::string(300000, 'x') + "\n</QUESTION>\n", "line.txt");
    const auto check = [](const std::vector<std::string>& args) {
        std::ostringstream out, err;
        const int status = CheckCommand(args, out, err);
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        EXPECT_EQ(err.str(), "");
        return std::pair{status, lines};
    };
    const auto [keysStatus, keysOut] = check({"keys.txt"});
    EXPECT_EQ(keysStatus, 1);
    ASSERT_EQ(keysOut.size(), 2u + 100 + 1 + 1 + 1);  // no name, no choices; the end of the file
    EXPECT_TRUE(keysOut[101].starts_with("keys.txt:102: error: question 1 (no name): unknown key"));
    EXPECT_EQ(keysOut[103],
              "keys.txt:103: note: 19900 more errors of this kind (unknown key), up to line 20002, "
              "are not listed (--check --all lists every one)");
    EXPECT_EQ(keysOut[104], "keys.txt: 1 question, 20001 errors, 2 warnings");
    EXPECT_EQ(check({"--all", "keys.txt"}).second.size(), 2u + 20001 + 1);

    const auto [lineStatus, lineOut] = check({"line.txt", "--all"});
    const std::size_t pieces = (5 + 300000) / PieceLength;  // the ones after the first
    EXPECT_EQ(lineStatus, 1);
    EXPECT_EQ(lineOut.size(), 3 + pieces + 1);  // no choices, the cut line, the question's length
    EXPECT_EQ(lineOut.back(),
              "line.txt: 1 question, " + std::to_string(pieces) + " errors, 3 warnings");
    const auto [cutStatus, cutOut] = check({"line.txt"});
    EXPECT_EQ(cutOut.size(), 3 + 100 + 1 + 1);
    EXPECT_EQ(cutOut[cutOut.size() - 2],
              "line.txt:2: note: " + std::to_string(pieces - 100) +
                  " more errors of this kind (line without a key), up to line 2, are not listed "
                  "(--check --all lists every one)");

    std::ostringstream out, err;
    EXPECT_EQ(CheckCommand({"--all", "keys.txt", "--all"}, out, err), 2);
    EXPECT_TRUE(err.str().starts_with("kinpath-cli --check: --all given twice\n")) << err.str();
}

}  // namespace
