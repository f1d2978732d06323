#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "authoring/ScriptCheck.h"

using namespace kinpath;
using namespace std::string_literals;

namespace {

class ScriptCheckTest : public kinpath::testing::ProgramTest {};

// Each script with every diagnostic it gets, in order: "line:kind:" and a part
// of the text. Whether a script loads, and the line of its first error, are
// held to the window on random scripts in script_document_test.cpp.
TEST(ScriptCheck, EachErrorAndWarningAtItsLine) {
    std::string many = "<QUESTION>\nname=Many\n";                               // lines 1, 2
    for (int k = 1; k <= 10; ++k) many += "text=C" + std::to_string(k) + "\n";  // lines 3..12
    for (int k = 1; k <= 9; ++k)
        many += "<ANSWER>\ntype=" + std::to_string(k) + "\n</ANSWER>\n";  // 9: line 38
    many += "</QUESTION>\n<QUESTION>\n</QUESTION>\n";  // the second question starts at line 41
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // error texts quote the window's messages
        {"<QUESTION>\ntext=A\n<ANSWER>\ntype=1\noops\n</ANSWER>\n</QUESTION>\n",
         {"5:error:question 1 (no name): Undefined symbol found (no key of an ANSWER block in this line), "
          "then End of script expected"}},
        // invalid command, bad recap
        {"<QUESTION>\nname=A\ntext\n</QUESTION>\n<FINAL>\nrecap=maybe\n</FINAL>\n",
         {"3:error:invalid command", "6:error:not \"maybe\""}},
        // End of file in a block: the window counts the empty line after the final
        // line feed, and so does the check.
        {"<QUESTION>\nname=x\n",
         {"3:error:at end of file, still inside the QUESTION block of line 1 (no </QUESTION>)"}},
        // a start tag that causes the error starts the next block
        {"<QUESTION>\nname=One\ntext=A\n<QUESTION>\nname=Two\ntext=B\n</QUESTION>\n",
         {"4:error:question 1 \"One\": Undefined symbol found",
          "6:warning:question 2 \"Two\": choice 1 \"B\" has no answer"}},
        // a forgotten </ANSWER> starts a new answer
        {"<QUESTION>\ntext=A\n<ANSWER>\ntype=1\n<ANSWER>\ntype=2\njunk\n</ANSWER>\n</QUESTION>\n"
         "<SETTINGS>\n</QUESTION>\n<FINAL>\nrecap=no\n</FINAL>\n",
         {"5:error:End of script expected", "7:error:End of script expected",
          "11:error:SETTINGS block"}},
        // an error and then the end of the file
        {"<SETTINGS>\nfoo\n",
         {"1:warning:no QUESTION block", "2:error:Undefined symbol",
          "3:error:at end of file, still inside the SETTINGS block"}},
        // choices without answer, answers no choice reaches
        {"<QUESTION>\nname=Pick one\ntext=Red\ntext=Green\ntext=Blue\n<ANSWER>\ntype=Yes\n</ANSWER>\n"
         "<ANSWER>\ntype=1\n</ANSWER>\n<ANSWER>\nwarpts=1\n</ANSWER>\n<ANSWER>\ntype=4\n</ANSWER>\n"
         "<ANSWER>\ntype= 2\n</ANSWER>\n<ANSWER>\ntype=2\n</ANSWER>\n</QUESTION>\n",
         {"5:warning:question 1 \"Pick one\": choice 3 \"Blue\" has no answer of type 3: choosing it shows "
          "\"Unable to find the proper answer data for that answer\"",
          "10:warning:the answer of line 6 comes first for choice 1", "12:warning:has no type=",
          "16:warning:\"4\" matches none of the shown choices", "19:warning:\" 2\""}},
        // texts the window may cut
        {"<QUESTION>\nname=" + std::string(311, 'q') + "\ntext=" + std::string(50, 'c') +
             "\ntext=" + std::string(51, 'c') + "\n</QUESTION>\n",
         {"2:warning:the question text has 311 characters: the window may cut it (310 fit",
          "3:warning:choice 1 \"c", "4:warning:choice 2 has 51 characters",
          "4:warning:choice 2 \"c"}},
        // choices never shown, question without name or choices
        {many,
         {"11:warning:choice 9 \"C9\" is never shown", "12:warning:choice 10",
          "38:warning:\"9\" matches none",
          "41:warning:question 2 (no name): the question has no name=", "41:warning:no choices"}},
        // keys inside values
        {"<QUESTION>\nname=Which type=of hero?\nname=Enter your text here\nexplanationtext=Fast\ntext=Slow\n"
         "<ANSWER>\ntype=1 warpts=5\nbarbpts=3 trollpts=5\nexplanationtext=You say type=2\n"
         "answer explanationtext=ok\n</ANSWER>\n<ANSWER>\ntype=1\n</ANSWER>\n</QUESTION>\n",
         {"2:warning:question 1 \"Enter your text here\": key found inside a value: the line holds name= and then "
          "type=, which is tested first: the line is read as type= \"of hero?\" and sets no name=",
          "4:warning:explanationtext= is no key of a QUESTION block, but the text= inside it is: the line is read "
          "as text= \"Fast\"",
          "7:warning:the warpts= in the value of type= is not read as a key",
          "8:warning:holds barbpts= and then trollpts=",
          "9:warning:holds explanationtext= and then type=",
          "9:warning:type= given again: it replaces the one of line 7"}},
        // recovery: on to the end of the failed answer, or past a stray </ANSWER> to the next
        // start tag; a failed question is not judged
        {"<SETTINGS>\npreference=classoverrace\ncolour=red\n</SETTINGS>\n<QUESTION>\nname=First\ntext=A\n"
         "<ANSWER>\ntype=1\nbogus\n</ANSWER>\nflavour=x\n</ANSWER>\nbad\n<ANSWER>\ntype=2\nnonsense\n</ANSWER>\n"
         "</QUESTION>\n<FINAL>\nrecap=maybe\n</FINAL>\n",
         {"3:error:", "10:error:", "12:error:", "17:error:", "21:error:"}},
        // a very long line warns once
        {"# " + std::string(1500, 'y') + "\n",
         {"1:warning:511 or more", "1:warning:no QUESTION block",
          "2:warning:2 lines outside any block"}},
        // a zero byte ends a line's text (no matter in a comment); the window still
        // cuts the line at 511 bytes, so the "#" after them is a comment of its own
        {"#" + std::string(300, 'x') + '\0' + std::string(209, 'x') +
             "#\n<QUESTION>\nname=Vis\0ible\ntext=A\n<ANSWER>\ntype=1\nwarpts=5\0"
             "00\n</ANSWER>\n</QUESTION>\n"s,
         {"1:warning:511 or more",
          "4:warning:question 1 \"Vis\": zero byte in the line: the window "
          "reads only \"name=Vis\" and drops the rest",
          "8:warning:reads only \"warpts=5\""}},
        // keys given twice, replaced blocks
        {"<SETTINGS>\npreference=classoverrace\npreference=other\n</SETTINGS>\n<SETTINGS>\n</SETTINGS>\n"
         "<QUESTION>\nname=A\nname=\ntext=X\ntext=X\n<ANSWER>\ntype=1\nwarpts=2\ntrollpts=\nwarpts=3\n</ANSWER>\n"
         "<ANSWER>\ntype=2\n</ANSWER>\n</QUESTION>\n",
         {"3:warning:preference= given again: it replaces the one of line 2",
          "5:warning:a second SETTINGS block replaces the one of line 1", "7:warning:no name=",
          "9:warning:name= given again with an empty value: it clears the one of line 8",
          "16:warning:warpts= given again: its value replaces the one of line 14"}},
        // loads but is not what it seems
        {"<SETTINGS>\npreference= classoverrace\n</SETTINGS>\n<ANSWER>\ntype=1\n</ANSWER>\n<QUESTION>\nname=Q\n"
         "text=A\n<ANSWER>\ntype=1\ntrollpts=abc\nogrepts=5x\nhumanpts=-3\ngnomepts=99999999999\n</ANSWER>\n"
         "</QUESTION>\n",
         {"2:warning:starts with a blank",
          "4:warning:3 lines outside any block (up to line 6) are ignored, the first: \"<ANSWER>\" (an "
          "ANSWER block counts only inside a QUESTION block)",
          "12:warning:read as 0", "13:warning:read as 5", "15:warning:read as 2147483647"}},
    };
    for (const auto& [script, expected] : cases) {
        SCOPED_TRACE(script.substr(0, 80));
        const CheckResult result = CheckScript(script);
        std::vector<std::string> got;
        for (const auto& d : result.diagnostics) {
            got.push_back(std::to_string(d.line) +
                          (d.severity == CheckSeverity::Error ? ":error:" : ":warning:") + d.text);
        }
        ASSERT_EQ(got.size(), expected.size()) << ::testing::PrintToString(got);
        for (std::size_t i = 0; i < got.size(); ++i) {
            const std::string& want = expected[i];
            const std::size_t head = want.find(':', want.find(':') + 1) + 1;
            EXPECT_TRUE(got[i].starts_with(want.substr(0, head)) &&
                        got[i].find(want.substr(head), head) != std::string::npos)
                << got[i] << "\nlacks: " << want;
        }
    }
}

// Diagnostics go out as they are found, yet name the question by its last
// name=, also past what can be held for that; its verdict stays in line order.
TEST(ScriptCheck, QuestionWithManyProblemsIsNamedByItsLastName) {
    std::string script = "<QUESTION>\ntext=A\n";  // lines 1, 2
    for (int k = 0; k < 2000; ++k)
        script += k == 1000 ? "<ANSWER>\ntype=9\n</ANSWER>\n" : "name=n\n";
    const auto diagnostics = CheckScript(script + "name=Last\n</QUESTION>\n").diagnostics;
    ASSERT_EQ(diagnostics.size(), 2001u);  // choice 1 unanswered, 1999 names given again
    EXPECT_EQ(diagnostics[0].line, 2);
    EXPECT_TRUE(diagnostics[1000].line == 1004 &&
                diagnostics[1000].text.ends_with("(type 1 or yes)"));
    for (std::size_t i = 0; i < diagnostics.size(); ++i) {
        EXPECT_TRUE(diagnostics[i].text.starts_with("question 1 \"Last\": ")) << i;
        EXPECT_LT(i > 0 ? diagnostics[i - 1].line : 0, diagnostics[i].line) << i;
    }
}

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
        "script.txt:6: error: question 2 \"Q\": Undefined symbol found (no key of a QUESTION block in "
        "this line: type=, name=, text=)\n";
    WriteScript("<QUESTION>\n</QUESTION>\n<QUESTION>\nname=Q\ntext=A\nwhat\n</QUESTION>\n");
    EXPECT_EQ(run("script.txt"), "1|" + warnings + error +
                                     "script.txt: 2 questions, 1 error, 2 warnings\n|" + error +
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
