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

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "frontends/term/CheckCommand.h"

using namespace kinpath;

namespace {

class ScriptCheckTest : public kinpath::testing::ProgramTest {};

TEST_F(ScriptCheckTest, PrintsOneLinePerProblemAndRefusesOnErrorsOnly) {
    // --check's exit status, output and errors, then what an author tool reads.
    const auto run = [](const std::string& path) {
        std::ostringstream out, err;
        std::string bytes;
        const int status = RunScriptCheck(path, out, err);
        const bool read = ReadCheckedScript(path, bytes, err);
        return std::to_string(status) + "|" + out.str() + "|" + err.str() +
               (read ? "|read " + bytes : "");
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

}  // namespace
