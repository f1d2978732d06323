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
#include "script/ScriptCheck.h"
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

    // Every diagnostic text at that line, each followed by "|".
    static std::string All(const CheckResult& result, int line) {
        std::string texts;
        for (const auto& d : result.diagnostics) {
            if (d.line == line) texts += d.text + "|";
        }
        return texts;
    }

    // The text of the one diagnostic at that line and severity ("" if none or several).
    static std::string At(const CheckResult& result, int line, CheckSeverity severity = CheckSeverity::Warning) {
        std::vector<std::string> found;
        for (const auto& d : result.diagnostics) {
            if (d.line == line && d.severity == severity) found.push_back(d.text);
        }
        return found.size() == 1 ? found[0] : "";
    }
};

::testing::AssertionResult Has(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << text << "\" does not hold \"" << part << "\"";
}

// A question whose two choices both have answers; the base of many scripts.
const std::string GoodQuestion =
    "<QUESTION>\n"       // 1
    "name=Fight?\n"      // 2
    "text=Yes\n"         // 3
    "text=No\n"          // 4
    "<ANSWER>\n"         // 5
    "type=1\n"           // 6
    "warpts=5\n"         // 7
    "</ANSWER>\n"        // 8
    "<ANSWER>\n"         // 9
    "type=no\n"          // 10
    "wizpts=5\n"         // 11
    "</ANSWER>\n"        // 12
    "</QUESTION>\n";     // 13

TEST_F(ScriptCheckTest, ErrorsAreWhatTheWindowRefusesAtTheWindowsLineNumbers) {
    const std::string longComment = "# " + std::string(600, 'x') + "\n";
    const std::string cases[] = {
        "<SETTINGS>\nprefrence=classoverrace\n</SETTINGS>\n",
        "\n# note\n<FINAL>\nrecap=yes\nshow=no\n</FINAL>\n",
        "<FINAL>\nrecap=maybe\n</FINAL>\n",
        "<QUESTION>\nname=A\ntitle=B\n</QUESTION>\n",
        "<QUESTION>\nname=A\nTEXT\n</QUESTION>\n",
        "<QUESTION>\ntext=A\n<ANSWER>\ntype=1\nwarriorpts=3\n</ANSWER>\n</QUESTION>\n",
        "<QUESTION>\nname=A\n<QUESTION>\nname=B\n</QUESTION>\n",
        "<QUESTION>\ntext=A\n<ANSWER>\ntype=1\n",
        "<QUESTION>\ntext=A\n<ANSWER>\ntype=1",
        "<QUESTION>\nname=A\n" + longComment + "</QUESTION>\n",
        "<QUESTION>\r\nname=A\r\nbad\r\n</QUESTION>\r\n",
        "\xEF\xBB\xBF<SETTINGS>\nfoo\n</SETTINGS>\n",
        "<QUESTION>\nname=x\n",
        "<SETTINGS>\n",
    };
    for (const std::string& script : cases) {
        SCOPED_TRACE(script.substr(0, 60));
        const WindowOutcome window = Window(script);
        const CheckResult check = Check(script);
        EXPECT_FALSE(window.loaded);
        ASSERT_GE(check.errors, 1);
        if (window.firstMessageLine) {
            EXPECT_EQ(Lines(check, CheckSeverity::Error).front(), *window.firstMessageLine);
        }
    }
}

TEST_F(ScriptCheckTest, ScriptsTheWindowLoadsHaveNoError) {
    const std::string cases[] = {
        "",
        "# only a comment\n\n",
        "<SETTINGS>\npreference=classoverrace\n</SETTINGS>\n" + GoodQuestion + "<FINAL>\nrecap=ask\n</FINAL>\n",
        "<ANSWER>\ntype=1\n</ANSWER>\n" + GoodQuestion,
        "<question>\n  Name=A\n\ttext=B\t\n<Answer>\nTYPE=yes\n</answer>\n</QUESTION>\n",
    };
    for (const std::string& script : cases) {
        SCOPED_TRACE(script.substr(0, 60));
        EXPECT_TRUE(Window(script).loaded);
        EXPECT_EQ(Check(script).errors, 0);
    }
    const CheckResult clean = Check(GoodQuestion);
    EXPECT_TRUE(clean.diagnostics.empty()) << clean.diagnostics.front().text;
    EXPECT_EQ(clean.questions, 1);
    CurrentLine = 7;  // the window's counter is left alone
    Check(GoodQuestion);
    EXPECT_EQ(CurrentLine, 7);
}

TEST_F(ScriptCheckTest, ErrorTextsQuoteTheWindowsMessages) {
    auto result = Check("<QUESTION>\ntext=A\n<ANSWER>\ntype=1\noops\n</ANSWER>\n</QUESTION>\n");
    EXPECT_TRUE(Has(At(result, 5, CheckSeverity::Error), "question 1 (no name): Undefined symbol found"));
    EXPECT_TRUE(Has(At(result, 5, CheckSeverity::Error), "then End of script expected"));
    result = Check("<QUESTION>\nname=A\ntext\n</QUESTION>\n<FINAL>\nrecap=maybe\n</FINAL>\n");
    EXPECT_TRUE(Has(At(result, 3, CheckSeverity::Error), "invalid command"));
    EXPECT_TRUE(Has(At(result, 6, CheckSeverity::Error), "not \"maybe\""));
    // The window counts the empty line after the final line feed: so does the check.
    result = Check("<QUESTION>\nname=x\n");
    EXPECT_TRUE(Has(At(result, 3, CheckSeverity::Error), "QUESTION block of line 1 (no </QUESTION>)"));
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

TEST_F(ScriptCheckTest, AStartTagThatCausesTheErrorStartsTheNextBlock) {
    CheckResult result = Check(
        "<QUESTION>\n"   // 1
        "name=One\n"     // 2
        "text=A\n"       // 3
        "<QUESTION>\n"   // 4 error: the end tag was forgotten
        "name=Two\n"     // 5
        "text=B\n"       // 6 warning: no answer
        "</QUESTION>\n");
    EXPECT_EQ(Lines(result, CheckSeverity::Error), std::vector<int>{4});
    EXPECT_EQ(result.questions, 2);
    EXPECT_EQ(Lines(result, CheckSeverity::Warning), std::vector<int>{6});
    EXPECT_TRUE(Has(At(result, 6), "question 2 \"Two\""));

    result = Check(
        "<QUESTION>\n"  // 1
        "text=A\n"      // 2
        "<ANSWER>\n"    // 3
        "type=1\n"      // 4
        "<ANSWER>\n"    // 5 error: </ANSWER> forgotten; a new answer starts here
        "type=2\n"      // 6
        "junk\n"        // 7 error in that new answer
        "</ANSWER>\n"   // 8
        "</QUESTION>\n"
        "<SETTINGS>\n"  // 10
        "</QUESTION>\n"  // 11 error
        "<FINAL>\n"     // 12: recovery starts the block here
        "recap=no\n"
        "</FINAL>\n");
    EXPECT_EQ(Lines(result, CheckSeverity::Error), (std::vector<int>{5, 7, 11}));

    // An error and then the end of the file: the block is also left open.
    result = Check("<SETTINGS>\nfoo\n");
    EXPECT_EQ(Lines(result, CheckSeverity::Error), (std::vector<int>{2, 3}));
}

TEST_F(ScriptCheckTest, WarnsOfChoicesWithoutAnswerAndAnswersNoChoiceReaches) {
    const CheckResult result = Check(
        "<QUESTION>\n"          // 1
        "name=Pick one\n"       // 2
        "text=Red\n"            // 3
        "text=Green\n"          // 4
        "text=Blue\n"           // 5 no answer
        "<ANSWER>\n"            // 6
        "type=Yes\n"            // 7 choice 1
        "</ANSWER>\n"
        "<ANSWER>\n"            // 9
        "type=1\n"              // 10 taken by line 6
        "</ANSWER>\n"
        "<ANSWER>\n"            // 12 no type
        "warpts=1\n"
        "</ANSWER>\n"
        "<ANSWER>\n"            // 15
        "type=4\n"              // 16 no such choice
        "</ANSWER>\n"
        "<ANSWER>\n"            // 18
        "type= 2\n"             // 19 blank after "=": no match
        "</ANSWER>\n"
        "<ANSWER>\n"            // 21
        "type=2\n"              // 22 fine
        "</ANSWER>\n"
        "</QUESTION>\n");
    EXPECT_EQ(Lines(result, CheckSeverity::Warning), (std::vector<int>{5, 10, 12, 16, 19}));
    EXPECT_EQ(At(result, 5),
              "question 1 \"Pick one\": choice 3 \"Blue\" has no answer of type 3: choosing it shows "
              "\"Unable to find the proper answer data for that answer\"");
    EXPECT_TRUE(Has(At(result, 10), "the answer of line 6 comes first for choice 1"));
    EXPECT_TRUE(Has(At(result, 12), "has no type="));
    EXPECT_TRUE(Has(At(result, 16), "\"4\" matches none of the shown choices"));
    EXPECT_TRUE(Has(At(result, 19), "\" 2\""));
}

TEST_F(ScriptCheckTest, WarnsOfChoicesNeverShownAndOfQuestionsWithoutNameOrChoices) {
    std::string script = "<QUESTION>\nname=Many\n";  // lines 1, 2
    for (int k = 1; k <= 10; ++k) script += "text=C" + std::to_string(k) + "\n";  // lines 3..12
    for (int k = 1; k <= 8; ++k) script += "<ANSWER>\ntype=" + std::to_string(k) + "\n</ANSWER>\n";
    script += "<ANSWER>\ntype=9\n</ANSWER>\n";  // type= on line 38: choice 9 is never shown
    script += "</QUESTION>\n<QUESTION>\n</QUESTION>\n";  // the second question starts at line 41
    const CheckResult result = Check(script);
    EXPECT_EQ(Lines(result, CheckSeverity::Warning), (std::vector<int>{11, 12, 38, 41, 41}));
    EXPECT_TRUE(Has(At(result, 11), "choice 9 \"C9\" is never shown"));
    EXPECT_TRUE(Has(At(result, 38), "\"9\" matches none of the shown choices"));
    const std::string both = All(result, 41);
    EXPECT_TRUE(Has(both, "question 2 (no name): the question has no name="));
    EXPECT_TRUE(Has(both, "no choices"));
}

TEST_F(ScriptCheckTest, WarnsOfKeysFoundInsideValues) {
    const CheckResult result = Check(
        "<QUESTION>\n"                          // 1
        "name=Which type=of hero?\n"            // 2 sets the type
        "name=Enter your text here\n"           // 3 "text" without "=": fine
        "explanationtext=Fast\n"                // 4 a choice
        "text=Slow\n"                           // 5
        "<ANSWER>\n"                            // 6
        "type=1 warpts=5\n"                     // 7 the type is "1 warpts=5"
        "barbpts=3 trollpts=5\n"                // 8 Troll wins
        "explanationtext=You say type=2\n"      // 9 the type again
        "answer explanationtext=ok\n"           // 10 text before a key: fine
        "</ANSWER>\n"
        "<ANSWER>\n"
        "type=1\n"
        "</ANSWER>\n"
        "</QUESTION>\n");
    EXPECT_EQ(At(result, 2), "question 1 \"Enter your text here\": key found inside a value: the line holds "
                             "name= and then type=, which is tested first: the line is read as type= \"of "
                             "hero?\" and sets no name=");
    EXPECT_EQ(At(result, 3), "");
    EXPECT_TRUE(Has(At(result, 4), "explanationtext= is no key of a QUESTION block"));
    EXPECT_TRUE(Has(At(result, 4), "read as text= \"Fast\""));
    EXPECT_TRUE(Has(At(result, 7), "the warpts= in the value of type= is not read as a key"));
    EXPECT_TRUE(Has(At(result, 8), "holds barbpts= and then trollpts="));
    EXPECT_EQ(At(result, 10), "");
    // Line 9 also sets the type a second time.
    const std::string line9 = All(result, 9);
    EXPECT_TRUE(Has(line9, "holds explanationtext= and then type="));
    EXPECT_TRUE(Has(line9, "type= given again: it replaces the one of line 7"));
}

TEST_F(ScriptCheckTest, WarnsOfCutLinesAndCountsTheirPiecesAsTheWindowDoes) {
    // 511 characters and a line feed: the window reads a further, empty line.
    const std::string exact = "name=" + std::string(506, 'x') + "\n";
    const std::string script = "<QUESTION>\n" + exact + "bad\n</QUESTION>\n";
    const CheckResult result = Check(script);
    EXPECT_TRUE(Has(At(result, 2), "line of 511 or more characters"));
    EXPECT_EQ(Lines(result, CheckSeverity::Error), std::vector<int>{4});
    EXPECT_EQ(Window(script).firstMessageLine, 4);

    // A very long line warns once, however many pieces it makes.
    const CheckResult top = Check("# " + std::string(1500, 'y') + "\n");
    EXPECT_EQ(std::count_if(top.diagnostics.begin(), top.diagnostics.end(),
                            [](const CheckDiagnostic& d) { return d.text.find("511 or more") != std::string::npos; }),
              1);
}

TEST_F(ScriptCheckTest, WarnsOfKeysGivenTwiceAndOfReplacedBlocks) {
    const CheckResult result = Check(
        "<SETTINGS>\n"               // 1
        "preference=classoverrace\n"  // 2
        "preference=other\n"          // 3
        "</SETTINGS>\n"
        "<SETTINGS>\n"               // 5 replaces the first
        "</SETTINGS>\n"
        "<QUESTION>\n"               // 7
        "name=A\n"                   // 8
        "name=\n"                    // 9 clears the name
        "text=X\n"                   // 10
        "text=X\n"                   // 11 a second choice, not a repeat
        "<ANSWER>\n"
        "type=1\n"
        "warpts=2\n"                 // 14
        "trollpts=\n"                // 15 empty: changes nothing
        "warpts=3\n"                 // 16
        "</ANSWER>\n"
        "<ANSWER>\n"
        "type=2\n"
        "</ANSWER>\n"
        "</QUESTION>\n");
    EXPECT_TRUE(Has(At(result, 3), "preference= given again: it replaces the one of line 2"));
    EXPECT_TRUE(Has(At(result, 5), "a second SETTINGS block replaces the one of line 1"));
    EXPECT_TRUE(Has(At(result, 9), "name= given again with an empty value: it clears the one of line 8"));
    EXPECT_EQ(At(result, 11), "");
    EXPECT_EQ(At(result, 15), "");
    EXPECT_TRUE(Has(At(result, 16), "warpts= given again: its value replaces the one of line 14"));
    EXPECT_TRUE(Has(At(result, 7), "no name="));  // after line 9
}

TEST_F(ScriptCheckTest, WarnsOfWhatLoadsButIsNotWhatItSeems) {
    const CheckResult result = Check(
        "<SETTINGS>\n"                 // 1
        "preference= classoverrace\n"  // 2 race over class
        "</SETTINGS>\n"
        "<ANSWER>\n"                   // 4 ignored up to line 6
        "type=1\n"
        "</ANSWER>\n"
        "<QUESTION>\n"                 // 7
        "name=Q\n"
        "text=A\n"
        "<ANSWER>\n"
        "type=1\n"
        "trollpts=abc\n"               // 12
        "ogrepts=5x\n"                 // 13
        "humanpts=-3\n"                // 14 fine
        "gnomepts=99999999999\n"       // 15
        "</ANSWER>\n"
        "</QUESTION>\n");
    EXPECT_TRUE(Has(At(result, 2), "starts with a blank"));
    EXPECT_TRUE(Has(At(result, 4), "3 lines outside any block"));
    EXPECT_TRUE(Has(At(result, 4), "only inside a QUESTION block"));
    EXPECT_TRUE(Has(At(result, 12), "read as 0"));
    EXPECT_TRUE(Has(At(result, 13), "read as 5"));
    EXPECT_EQ(At(result, 14), "");
    EXPECT_TRUE(Has(At(result, 15), "read as 2147483647"));

    const CheckResult empty = Check("# nothing yet\n");
    EXPECT_EQ(empty.warnings, 1);
    EXPECT_TRUE(Has(At(empty, 1), "no QUESTION block"));
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
    EXPECT_TRUE(Has(err.str(), "missing.txt: error: cannot open ("));
    std::filesystem::create_directory(Dir() / "folder");
    EXPECT_EQ(OpenScriptFile("folder"), nullptr);
    EXPECT_EQ(out.str(), "");
}

TEST_F(ScriptCheckTest, SampleQuestionnairePassesWithoutWarnings) {
    std::ostringstream out, err;
    const std::string sample = std::string(KINPATH_EXAMPLES_DIR) + "/script.txt";
    EXPECT_EQ(RunScriptCheck(sample, out, err), 0);
    const std::string text = out.str();
    EXPECT_TRUE(Has(text, " 0 errors, 0 warnings\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

}  // namespace
