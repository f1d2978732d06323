#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "TestSupport.h"

namespace kinpath::testing {
namespace {

namespace fs = std::filesystem;

const char* const SampleScript =
    "<SETTINGS>\npreference=classoverrace\n</SETTINGS>\n"
    "<QUESTION>\nname=Do you like to fight up close?\ntext=Yes\ntext=No\n"
    "<ANSWER>\ntype=1\nexplanationtext=You like to fight up close & loud.\nwarpts=5\nogrepts=2\n</ANSWER>\n"
    "<ANSWER>\ntype=no\nwizpts=5\n</ANSWER>\n"
    "</QUESTION>\n"
    "<QUESTION>\nname=How much magic?\ntext=Lots\ntext=Some\ntext=None\n"
    "<ANSWER>\ntype=2\nclrpts=3\n</ANSWER>\n"
    "</QUESTION>\n"
    "<QUESTION>\nname=Skipped?\ntext=Yes\n</QUESTION>\n"
    "<FINAL>\nrecap=ask\n</FINAL>\n";

const std::string Greeting =
    "Answer the questions.\n"
    "Skip any that you don't want to answer.\n"
    "At the end you will be given the answer!\n";

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CliTest : public ProgramTest {
protected:
    CliRun Cli(const std::string& input, const std::string& args = "") {
        std::ofstream(Dir() / "input.txt", std::ios::binary) << input;
        std::string command = std::string("'") + KINPATH_CLI_PATH + "' " + args +
                              " < input.txt > output.txt 2> errors.txt";
        int raw = std::system(command.c_str());
        CliRun run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadFile("output.txt");
        run.err = ReadFile("errors.txt");
        return run;
    }
};

TEST_F(CliTest, GreetsAskAndAnswersLeadToTheRecommendation) {
    WriteScript(SampleScript);
    CliRun run = Cli("1\n2\ns\nyes\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "Output results?: Would you like to review the results?\n");
    EXPECT_EQ(run.out.rfind(Greeting, 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\nDo you like to fight up close?\n  1) Yes\n  2) No\n"), std::string::npos);
    EXPECT_NE(run.out.find("  3) None\n"), std::string::npos);
    EXPECT_NE(run.out.find("\nIt appears that the best race for you is Ogre\n"
                           "and the best class is Warrior!\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("You like to fight up close & loud.\n"), std::string::npos);
    // The pane's text is printed whole, once per change: the greeting once.
    EXPECT_EQ(run.out.find(Greeting, 1), std::string::npos);
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    EXPECT_FALSE(fs::exists(Dir() / "Kinpath.html"));
}

TEST_F(CliTest, NoAnswerToTheRecapBoxSkipsTheReport) {
    WriteScript(SampleScript);
    CliRun run = Cli("2\ns\ns\n");  // the box meets the end of the input: No
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("the best class is Wizard!"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Answer Analysis"), std::string::npos);
}

TEST_F(CliTest, CommandsIgnoreBlanksAndCase) {
    WriteScript(SampleScript);
    CliRun spaced = Cli("\n   \n  1 \r\n SKIP\nS\r\nYeS\n");
    CliRun plain = Cli("1\ns\ns\ny\n");
    EXPECT_EQ(spaced.status, 0);
    EXPECT_EQ(spaced.out, plain.out);
    EXPECT_EQ(spaced.err, plain.err);
}

TEST_F(CliTest, ImpossibleCommandsChangeNothing) {
    WriteScript(SampleScript);
    CliRun bad = Cli("ok\n3\nh\nhello\nq\n");
    CliRun good = Cli("q\n");
    EXPECT_EQ(good.out.find("Thank you"), std::string::npos);  // quit before the end: no results
    EXPECT_EQ(bad.status, 0);
    EXPECT_EQ(bad.out, good.out);
    std::istringstream lines(bad.err);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.rfind("kinpath-cli: ", 0), 0u) << line;
        ++count;
    }
    EXPECT_EQ(count, 4);
}

TEST_F(CliTest, HtmlOnTheResultsScreenPrintsTheSavedPath) {
    WriteScript(SampleScript);
    CliRun run = Cli("1\n2\ns\nn\nh\n");
    EXPECT_EQ(run.status, 0);
    std::string path = (fs::canonical(Dir()) / "Kinpath.html").string();
    EXPECT_NE(run.out.find("\n" + path + "\n"), std::string::npos) << run.out;
    std::string page = ReadFile("Kinpath.html");
    EXPECT_NE(page.find("\t\tIt appears that the best race for you is Ogre\r\n<br>\r\n"
                        "\t\tand the best class is Warrior!\r\n<br>\r\n"),
              std::string::npos)
        << page;
    EXPECT_EQ(page.substr(page.size() - 18), "</body>\r\n</html>\r\n");
}

TEST_F(CliTest, ScriptErrorsAndAMissingScriptFailWithTheirMessages) {
    const std::pair<const char*, const char*> cases[] = {
        {"<QUESTION>\nname=Q\nbogus\n</QUESTION>\n", "ScriptError: Undefined symbol found, line 3\n"},
        {"<QUESTION>\n<ANSWER>\n# note\nwrong\n</ANSWER>\n</QUESTION>\n",
         "ScriptError: Undefined symbol found, line 4\nScriptError: End of script expected, line 4\n"},
        {nullptr, ""},
    };
    for (const auto& [script, messages] : cases) {
        SCOPED_TRACE(script ? script : "no script");
        fs::remove(Dir() / "script.txt");
        if (script) WriteScript(script);
        CliRun run = Cli("1\n");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, std::string(messages) + "Error: Could not open script.txt\n");
    }
}

TEST_F(CliTest, OptionsAreChecked) {
    CliRun help = Cli("", "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: kinpath-cli", 0), 0u);
    EXPECT_EQ(help.err, "");

    CliRun unknown = Cli("", "--frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err.rfind("kinpath-cli: unknown option '--frobnicate'\nUsage:", 0), 0u)
        << unknown.err;
}

}  // namespace
}  // namespace kinpath::testing
