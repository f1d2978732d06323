#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "authoring/ScriptCheck.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"

using namespace kinpath;

namespace {

// What the window makes of a script: whether it loads, and the line number of
// its first ScriptError box, if any.
struct WindowOutcome {
    bool loaded = false;
    std::optional<int> firstMessageLine;
};

class ScriptCheckTest : public kinpath::testing::ProgramTest {
protected:
    CheckResult Check(const std::string& script) {
        WriteScript(script);
        std::FILE* file = OpenScriptFile("script.txt");
        EXPECT_NE(file, nullptr);
        if (file == nullptr) return {};
        CheckResult result = CheckScript(file);
        std::fclose(file);
        return result;
    }

    WindowOutcome Window(const std::string& script) {
        WriteScript(script);
        kinpath::testing::HeadlessDialog dialog;
        ScriptErrorView = &dialog;
        ScriptDocument document;
        WindowOutcome outcome;
        outcome.loaded = OpenScript(document) == 1 && document.Parse(nullptr) != -1;
        ScriptErrorView = nullptr;
        if (!dialog.boxes.empty()) {
            const std::string& text = dialog.boxes.front().text;
            const auto at = text.find("line ");
            if (at != std::string::npos) outcome.firstMessageLine = std::stoi(text.substr(at + 5));
        }
        return outcome;
    }

    static std::vector<int> Lines(const CheckResult& result, CheckSeverity severity) {
        std::vector<int> lines;
        for (const auto& d : result.diagnostics) {
            if (d.severity == severity) lines.push_back(d.line);
        }
        return lines;
    }
};

// A question whose two choices both have answers; the base of many scripts.
const std::string GoodQuestion =
    "<QUESTION>\nname=Fight?\ntext=Yes\ntext=No\n<ANSWER>\ntype=1\nwarpts=5\n</ANSWER>\n"
    "<ANSWER>\ntype=no\nwizpts=5\n</ANSWER>\n</QUESTION>\n";

TEST_F(ScriptCheckTest, ErrorsAreWhatTheWindowRefusesAtTheWindowsLineNumbers) {
    const std::string cases[] = {
        // Refused.
        "<SETTINGS>\nprefrence=classoverrace\n</SETTINGS>\n",
        "\n# note\n<FINAL>\nrecap=yes\nshow=no\n</FINAL>\n",
        "<FINAL>\nrecap=maybe\n</FINAL>\n",
        "<QUESTION>\nname=A\ntitle=B\n</QUESTION>\n",
        "<QUESTION>\nname=A\nTEXT\n</QUESTION>\n",
        "<QUESTION>\ntext=A\n<ANSWER>\ntype=1\nwarriorpts=3\n</ANSWER>\n</QUESTION>\n",
        "<QUESTION>\nname=A\n<QUESTION>\nname=B\n</QUESTION>\n",
        "<QUESTION>\ntext=A\n<ANSWER>\ntype=1\n",
        "<QUESTION>\ntext=A\n<ANSWER>\ntype=1",
        "<QUESTION>\nname=A\n# " + std::string(600, 'x') + "\n</QUESTION>\n",
        "<QUESTION>\nname=" + std::string(506, 'x') + "\nbad\n</QUESTION>\n",  // 511 and a line feed
        "<QUESTION>\r\nname=A\r\nbad\r\n</QUESTION>\r\n",
        "\xEF\xBB\xBF<SETTINGS>\nfoo\n</SETTINGS>\n",
        "<QUESTION>\nname=x\n",
        "<SETTINGS>\n",
        // Loaded.
        "",
        "# only a comment\n\n",
        "<SETTINGS>\npreference=classoverrace\n</SETTINGS>\n" + GoodQuestion + "<FINAL>\nrecap=ask\n</FINAL>\n",
        "<ANSWER>\ntype=1\n</ANSWER>\n" + GoodQuestion,
        "<question>\n  Name=A\n\ttext=B\t\n<Answer>\nTYPE=yes\n</answer>\n</QUESTION>\n",
    };
    for (const std::string& script : cases) {
        SCOPED_TRACE(script.substr(0, 60));
        const WindowOutcome window = Window(script);
        const CheckResult check = Check(script);
        EXPECT_EQ(window.loaded, check.errors == 0);
        if (window.firstMessageLine) {
            ASSERT_GE(check.errors, 1);
            EXPECT_EQ(Lines(check, CheckSeverity::Error).front(), *window.firstMessageLine);
        }
    }
    const CheckResult clean = Check(GoodQuestion);
    EXPECT_TRUE(clean.diagnostics.empty()) << clean.diagnostics.front().text;
    EXPECT_EQ(clean.questions, 1);
    CurrentLine = 7;  // the window's counter is left alone
    Check(GoodQuestion);
    EXPECT_EQ(CurrentLine, 7);
}

TEST_F(ScriptCheckTest, RecoversAtTheNextBlockToFindLaterErrors) {
    const CheckResult result = Check(
        "<SETTINGS>\n"               // 1
        "preference=classoverrace\n"  // 2
        "colour=red\n"               // 3 error
        "</SETTINGS>\n"              // 4
        "<QUESTION>\n"               // 5
        "name=First\n"               // 6
        "text=A\n"                   // 7
        "<ANSWER>\n"                 // 8
        "type=1\n"                   // 9
        "bogus\n"                    // 10 error, on to </ANSWER>
        "</ANSWER>\n"                // 11
        "flavour=x\n"                // 12 error, on to the next start tag
        "text=B\n"                   // 13 skipped
        "<ANSWER>\n"                 // 14
        "type=2\n"                   // 15
        "nonsense\n"                 // 16 error
        "</ANSWER>\n"                // 17
        "</QUESTION>\n"              // 18
        "<FINAL>\n"                  // 19
        "recap=maybe\n"              // 20 error
        "</FINAL>\n");               // 21
    EXPECT_EQ(Lines(result, CheckSeverity::Error), (std::vector<int>{3, 10, 12, 16, 20}));
    EXPECT_EQ(result.errors, 5);
    // A question with an error is not judged as a whole: its lines were not all read.
    EXPECT_EQ(result.warnings, 0);
}

// Each script with every diagnostic it gets, in order: "line:kind:" and a part
// of the text.
struct CheckCase {
    const char* label;
    std::string script;
    std::vector<std::string> expected;
};

TEST_F(ScriptCheckTest, EachErrorAndWarningAtItsLine) {
    std::string many = "<QUESTION>\nname=Many\n";  // lines 1, 2
    for (int k = 1; k <= 10; ++k) many += "text=C" + std::to_string(k) + "\n";  // lines 3..12
    for (int k = 1; k <= 9; ++k) many += "<ANSWER>\ntype=" + std::to_string(k) + "\n</ANSWER>\n";  // 9: line 38
    many += "</QUESTION>\n<QUESTION>\n</QUESTION>\n";  // the second question starts at line 41
    const CheckCase cases[] = {
        {"error texts quote the window's messages",
         "<QUESTION>\ntext=A\n<ANSWER>\ntype=1\noops\n</ANSWER>\n</QUESTION>\n",
         {"5:error:question 1 (no name): Undefined symbol found (no key of an ANSWER block in this line), "
          "then End of script expected"}},
        {"invalid command, bad recap", "<QUESTION>\nname=A\ntext\n</QUESTION>\n<FINAL>\nrecap=maybe\n</FINAL>\n",
         {"3:error:invalid command", "6:error:not \"maybe\""}},
        // The window counts the empty line after the final line feed: so does the check.
        {"end of file in a block", "<QUESTION>\nname=x\n",
         {"3:error:QUESTION block of line 1 (no </QUESTION>)"}},
        {"a start tag that causes the error starts the next block",
         "<QUESTION>\nname=One\ntext=A\n<QUESTION>\nname=Two\ntext=B\n</QUESTION>\n",
         {"4:error:question 1 \"One\": Undefined symbol found", "6:warning:question 2 \"Two\": choice 1 \"B\" has no answer"}},
        {"a forgotten </ANSWER> starts a new answer",
         "<QUESTION>\ntext=A\n<ANSWER>\ntype=1\n<ANSWER>\ntype=2\njunk\n</ANSWER>\n</QUESTION>\n"
         "<SETTINGS>\n</QUESTION>\n<FINAL>\nrecap=no\n</FINAL>\n",
         {"5:error:End of script expected", "7:error:End of script expected", "11:error:SETTINGS block"}},
        {"an error and then the end of the file", "<SETTINGS>\nfoo\n",
         {"1:warning:no QUESTION block", "2:error:Undefined symbol", "3:error:end of file inside the SETTINGS block"}},
        {"choices without answer, answers no choice reaches",
         "<QUESTION>\nname=Pick one\ntext=Red\ntext=Green\ntext=Blue\n<ANSWER>\ntype=Yes\n</ANSWER>\n"
         "<ANSWER>\ntype=1\n</ANSWER>\n<ANSWER>\nwarpts=1\n</ANSWER>\n<ANSWER>\ntype=4\n</ANSWER>\n"
         "<ANSWER>\ntype= 2\n</ANSWER>\n<ANSWER>\ntype=2\n</ANSWER>\n</QUESTION>\n",
         {"5:warning:question 1 \"Pick one\": choice 3 \"Blue\" has no answer of type 3: choosing it shows "
          "\"Unable to find the proper answer data for that answer\"",
          "10:warning:the answer of line 6 comes first for choice 1", "12:warning:has no type=",
          "16:warning:\"4\" matches none of the shown choices", "19:warning:\" 2\""}},
        {"choices never shown, question without name or choices", many,
         {"11:warning:choice 9 \"C9\" is never shown", "12:warning:choice 10", "38:warning:\"9\" matches none",
          "41:warning:question 2 (no name): the question has no name=", "41:warning:no choices"}},
        {"keys inside values",
         "<QUESTION>\nname=Which type=of hero?\nname=Enter your text here\nexplanationtext=Fast\ntext=Slow\n"
         "<ANSWER>\ntype=1 warpts=5\nbarbpts=3 trollpts=5\nexplanationtext=You say type=2\n"
         "answer explanationtext=ok\n</ANSWER>\n<ANSWER>\ntype=1\n</ANSWER>\n</QUESTION>\n",
         {"2:warning:question 1 \"Enter your text here\": key found inside a value: the line holds name= and then "
          "type=, which is tested first: the line is read as type= \"of hero?\" and sets no name=",
          "4:warning:explanationtext= is no key of a QUESTION block, but the text= inside it is: the line is read "
          "as text= \"Fast\"",
          "7:warning:the warpts= in the value of type= is not read as a key",
          "8:warning:holds barbpts= and then trollpts=", "9:warning:holds explanationtext= and then type=",
          "9:warning:type= given again: it replaces the one of line 7"}},
        // 511 characters and a line feed: the window reads a further, empty line.
        {"cut line", "<QUESTION>\nname=" + std::string(506, 'x') + "\nbad\n</QUESTION>\n",
         {"2:warning:line of 511 or more characters", "4:error:Undefined symbol found"}},
        {"a very long line warns once", "# " + std::string(1500, 'y') + "\n",
         {"1:warning:511 or more", "1:warning:no QUESTION block", "2:warning:2 lines outside any block"}},
        {"keys given twice, replaced blocks",
         "<SETTINGS>\npreference=classoverrace\npreference=other\n</SETTINGS>\n<SETTINGS>\n</SETTINGS>\n"
         "<QUESTION>\nname=A\nname=\ntext=X\ntext=X\n<ANSWER>\ntype=1\nwarpts=2\ntrollpts=\nwarpts=3\n</ANSWER>\n"
         "<ANSWER>\ntype=2\n</ANSWER>\n</QUESTION>\n",
         {"3:warning:preference= given again: it replaces the one of line 2",
          "5:warning:a second SETTINGS block replaces the one of line 1", "7:warning:no name=",
          "9:warning:name= given again with an empty value: it clears the one of line 8",
          "16:warning:warpts= given again: its value replaces the one of line 14"}},
        {"loads but is not what it seems",
         "<SETTINGS>\npreference= classoverrace\n</SETTINGS>\n<ANSWER>\ntype=1\n</ANSWER>\n<QUESTION>\nname=Q\n"
         "text=A\n<ANSWER>\ntype=1\ntrollpts=abc\nogrepts=5x\nhumanpts=-3\ngnomepts=99999999999\n</ANSWER>\n"
         "</QUESTION>\n",
         {"2:warning:starts with a blank", "4:warning:3 lines outside any block (up to line 6)",
          "12:warning:read as 0", "13:warning:read as 5", "15:warning:read as 2147483647"}},
        {"no question", "# nothing yet\n", {"1:warning:no QUESTION block"}},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.label);
        const CheckResult result = Check(c.script);
        std::vector<std::string> got;
        for (const auto& d : result.diagnostics) {
            got.push_back(std::to_string(d.line) + (d.severity == CheckSeverity::Error ? ":error:" : ":warning:") +
                          d.text);
        }
        ASSERT_EQ(got.size(), c.expected.size()) << ::testing::PrintToString(got);
        for (std::size_t i = 0; i < got.size(); ++i) {
            const std::string& want = c.expected[i];
            const std::size_t head = want.find(':', want.find(':') + 1) + 1;
            EXPECT_EQ(got[i].substr(0, head), want.substr(0, head)) << got[i];
            EXPECT_NE(got[i].find(want.substr(head), head), std::string::npos) << got[i] << "\nlacks: " << want;
        }
    }
}

TEST_F(ScriptCheckTest, PrintsOneLinePerProblemAndExitsByErrors) {
    std::ostringstream out, err;
    WriteScript(GoodQuestion);
    EXPECT_EQ(RunScriptCheck("script.txt", out, err), 0);
    EXPECT_EQ(out.str(), "script.txt: 1 question, 0 errors, 0 warnings\n");
    EXPECT_EQ(err.str(), "");

    out.str("");
    WriteScript("<QUESTION>\nname=Q\ntext=A\nwhat\n</QUESTION>\n<QUESTION>\n</QUESTION>\n");
    EXPECT_EQ(RunScriptCheck("script.txt", out, err), 1);
    EXPECT_EQ(out.str(),
              "script.txt:4: error: question 1 \"Q\": Undefined symbol found (no key of a QUESTION block in "
              "this line: type=, name=, text=)\n"
              "script.txt:6: warning: question 2 (no name): the question has no name= (no question text is "
              "shown)\n"
              "script.txt:6: warning: question 2 (no name): the question has no choices (text=): it can only "
              "be skipped\n"
              "script.txt: 2 questions, 1 error, 2 warnings\n");

    out.str("");
    WriteScript("<QUESTION>\ntext=A\n</QUESTION>\n");  // warnings only
    EXPECT_EQ(RunScriptCheck("script.txt", out, err), 0);

    out.str("");
    EXPECT_EQ(RunScriptCheck("missing.txt", out, err), 1);
    EXPECT_NE(err.str().find("missing.txt: error: cannot open ("), std::string::npos);
    std::filesystem::create_directory(Dir() / "folder");
    EXPECT_EQ(OpenScriptFile("folder"), nullptr);
    EXPECT_EQ(out.str(), "");
}

TEST_F(ScriptCheckTest, SampleQuestionnairePassesWithoutWarnings) {
    std::ostringstream out, err;
    const std::string sample = std::string(KINPATH_EXAMPLES_DIR) + "/script.txt";
    EXPECT_EQ(RunScriptCheck(sample, out, err), 0);
    const std::string text = out.str();
    EXPECT_NE(text.find(" 0 errors, 0 warnings\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

}  // namespace
