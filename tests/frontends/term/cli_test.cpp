// kinpath-cli as a user runs it, the real process: what its commands are
// wired to (standard input, output and error, exit status), not what the core
// they call decides.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "TestSupport.h"

namespace kinpath::testing {
namespace {

namespace fs = std::filesystem;

const char* const SampleScript =
    "<SETTINGS>\npreference=classoverrace\n</SETTINGS>\n<QUESTION>\n"
    "name=Do you like to fight up close?\ntext=Yes\ntext=No\n<ANSWER>\ntype=1\n"
    "explanationtext=You like to fight up close.\nwarpts=5\nogrepts=2\n</ANSWER>\n"
    "<ANSWER>\ntype=no\nwizpts=5\n</ANSWER>\n</QUESTION>\n<QUESTION>\nname=How much magic?\n"
    "text=Lots\ntext=Some\ntext=None\n<ANSWER>\ntype=2\nclrpts=3\n</ANSWER>\n</QUESTION>\n"
    "<QUESTION>\nname=Skipped?\ntext=Yes\n</QUESTION>\n<FINAL>\nrecap=ask\n</FINAL>\n";

struct CliRun {
    int status;
    std::string out, err;
};

// The program as a shell command: KINPATH_CLI_COMMAND runs another build of it,
// such as the Windows one under Wine ("tools/wine-run.sh PREFIX kinpath-cli.exe").
const char* const OtherProgram = std::getenv("KINPATH_CLI_COMMAND");
const std::string Program =
    OtherProgram != nullptr ? OtherProgram : "'" + std::string(KINPATH_CLI_PATH) + "'";
const bool UnderWine = OtherProgram != nullptr && Has(OtherProgram, ".exe");

std::string Read(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CliTest : public ProgramTest {
protected:
    // Runs in the working folder. The arguments come after the redirections, so
    // they can replace them.
    CliRun Cli(const std::string& input, const std::string& args = "",
               const std::string& before = "") {
        std::ofstream("input.txt", std::ios::binary) << input;
        const std::string command =
            before + " " + Program + " < input.txt > output.txt 2> errors.txt " + args;
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read("output.txt"), Read("errors.txt")};
    }
};

// The pane goes to standard output, once per change; the box's question to
// standard error, answered from standard input (No at its end).
TEST_F(CliTest, TheQuestionnaireReadsCommandsAndPrintsThePane) {
    WriteScript(SampleScript);
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        const CliRun run = Cli(yes ? "1\n2\ns\nYeS\nh\n" : "1\n2\ns\n");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "Output results?: Would you like to review the results?\n");
        EXPECT_EQ(run.out.rfind("Answer the questions.\n", 0), 0u) << run.out;
        EXPECT_FALSE(Has(run.out.substr(1), "Answer the questions.\n") || Has(run.out, "\r"));
        EXPECT_TRUE(Has(run.out, "\nDo you like to fight up close?\n  1) Yes\n  2) No\n"));
        EXPECT_EQ(Has(run.out, "\nYou like to fight up close.\n"), yes);
        EXPECT_EQ(Has(run.out, "Kinpath.html\n"), yes);  // where it went
        EXPECT_EQ(fs::exists("Kinpath.html"), yes);
    }
    // Blanks and case are ignored; impossible commands change nothing and say why.
    EXPECT_EQ(Cli("\n   \n  1 \r\n SKIP\nS\r\nYeS\n").out, Cli("1\ns\ns\ny\n").out);
    const CliRun bad = Cli("ok\nb\n3\n9\nh\nhello\nq\n");
    EXPECT_EQ(std::tuple(bad.status, bad.out), std::tuple(0, Cli("q\n").out));
    EXPECT_EQ(bad.err,
              "kinpath-cli: OK is not possible now\n"
              "kinpath-cli: there is no answer to take back now\n"
              "kinpath-cli: there is no choice 3 now\n"
              "kinpath-cli: unknown command '9' (use a choice number, ok, s, b, h or q)\n"
              "kinpath-cli: the results can be saved once all questions are done\n"
              "kinpath-cli: unknown command 'hello' (use a choice number, ok, s, b, h or q)\n");
    // A game's own title heads the output, then its greeting.
    WriteScript(
        "<GAME>\ntitle=Ember\ngreeting=Ahoy\n</GAME>\n<RACE>\nname=A\n</RACE>\n<QUESTION>\n"
        "name=Q\ntext=a\n</QUESTION>\n");
    EXPECT_EQ(Cli("q\n").out.rfind("Ember\n\nAhoy\n", 0), 0u);
}

TEST_F(CliTest, BackIsOfferedOnceThereIsAnAnswerToTakeBack) {
    WriteScript(SampleScript);
    const CliRun straight = Cli("2\n2\ns\n");
    const std::size_t second = straight.out.find("\nHow much magic?\n");
    EXPECT_FALSE(Has(straight.out.substr(0, second), " b to go back"));
    EXPECT_TRUE(Has(straight.out.substr(second), "s to skip, b to go back or q to quit:\n"));
    // "back" as well as "b"; the same results as without going back.
    const std::string results = straight.out.substr(straight.out.rfind("\n\n"));
    EXPECT_TRUE(Cli("1\nb\n2\n1\nback\n2\ns\n").out.ends_with(results));
}

// A script that does not load ends the run with status 1 and the window's
// messages; the command line's problems with status 2 and the usage.
TEST_F(CliTest, ProblemsEndTheRunWithTheirMessagesAndStatus) {
    const CliRun missing = Cli("1\n");
    EXPECT_EQ(std::tuple(missing.status, missing.out, missing.err),
              std::tuple(1, "", "Error: Could not open script.txt\n"));
    WriteScript("<QUESTION>\n<ANSWER>\n# note\nwrong\n</ANSWER>\n</QUESTION>\n", "draft.txt");
    EXPECT_TRUE(
        Cli("", "draft.txt").err.starts_with("ScriptError: Undefined symbol found, line 4\n"));
    const CliRun unknown = Cli("", "--frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.rfind("kinpath-cli: unknown option '--frobnicate'\nUsage:", 0), 0u);

    WriteScript(SampleScript);
    const CliRun check = Cli("", "--check");
    EXPECT_EQ(check.status, 0);
    EXPECT_TRUE(check.out.ends_with("\nscript.txt: 3 questions, 0 errors, 3 warnings\n"));
    // Names are UTF-8, also on Windows.
    fs::create_directory(Dir() / "Zo\xC3\xAB");
    WriteScript("<QUESTION>\nname=Q\nbogus\n</QUESTION>\n", "Zo\xC3\xAB/bad.txt");
    const CliRun bad = Cli("", "--check Zo\xC3\xAB/bad.txt");
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.out.ends_with("\nZo\xC3\xAB/bad.txt: 1 question, 1 error, 1 warning\n"));
    // No progress is shown where standard error is no terminal.
    const CliRun balance = Cli("", "--balance --runs 50");
    EXPECT_EQ(std::tuple(balance.status, balance.err), std::tuple(0, ""));
    EXPECT_TRUE(Has(balance.out, "Balance of script.txt\n  Random runs: 50\n"));
    if (!UnderWine) {
        // Standard error alone a terminal: it gets the bar, erased at the end.
        const int pty = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_TRUE(pty >= 0 && ::grantpt(pty) == 0 && ::unlockpt(pty) == 0);
        // Long enough for the first report of progress, a quarter of a second in.
        Cli("", std::string("--balance --runs 2000000 --jobs 1 2> ") + ::ptsname(pty));
        std::string drawn(4096, '\0');
        drawn.resize(static_cast<std::size_t>(std::max(::read(pty, drawn.data(), 4096), 0L)));
        ::close(pty);
        EXPECT_TRUE(Has(drawn, "%\r\x1b[K")) << drawn;
    }

    const CliRun published = Cli("", "--publish -o quiz.html");
    if (Has(published.err, "kinpath-page.html not found")) GTEST_SKIP() << "no page";
    EXPECT_EQ(std::tuple(published.status, published.out.ends_with(" bytes, 3 questions\n")),
              std::tuple(0, true))
        << published.out;
    if (UnderWine) GTEST_SKIP() << "the Windows program's folder is another";
    const fs::path page = fs::path(KINPATH_CLI_PATH).parent_path() / "kinpath-page.html";
    const std::string before = Read(page.c_str());
    const CliRun refused = Cli("", "--publish -o '" + page.string() + "'");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err.rfind("kinpath-cli --publish: the page may not be written to ", 0), 0u);
    EXPECT_EQ(Read(page.c_str()), before);
}

// Control characters of the script, the input and every name shown reach the
// terminal in caret notation.
TEST_F(CliTest, ControlCharactersReachTheTerminalVisibly) {
    WriteScript(
        "<QUESTION>\nname=Q\x1b[2J\tok\ntext=A\x07\xc2\x9b\x7f"
        "B\ntext=\x81\n<ANSWER>\ntype=1\nexplanationtext=E\x1b]0;t\x07\n</ANSWER>\n</QUESTION>\n");
    const CliRun run = Cli("\x1b[A\x9b\n1\n");
    EXPECT_TRUE(Has(run.out, "\nQ^[[2J\tok\n  1) A^G<U+009B>^?B\n  2) <U+0081>\n"));
    EXPECT_TRUE(Has(run.out, "\nE^[]0;t^G\n"));
    EXPECT_EQ(
        run.err,
        "kinpath-cli: unknown command '^[[a<U+009B>' (use a choice number, ok, s, b, h or q)\n");
    EXPECT_FALSE(Has(run.out + run.err, "\x1b"));
    if (UnderWine) GTEST_SKIP() << "Windows file names hold no control characters";
    const std::string evil = "evil\x1b]0;PWNED\x07\x1b[31m\xE2\x80\xAE";
    const std::string shown = "evil^[]0;PWNED^G^[[31m<U+202E>";
    WriteScript(SampleScript, evil + ".txt");
    fs::create_directory(evil);
    for (const std::string& args :
         {"--check '" + evil + ".txt'", "--check '" + evil + "'",
          "--publish '" + evil + ".txt' -o '" + evil + "/Kinpath.html'"}) {
        const CliRun named = Cli("", args);
        EXPECT_FALSE(Has(named.out + named.err, "\x1b") ||
                     Has(named.out + named.err, "\xE2\x80\xAE"));
        EXPECT_TRUE(Has(named.out + named.err, shown)) << args << "\n" << named.out << named.err;
    }
    // The folder the page is saved in too.
    fs::current_path(evil);
    WriteScript("", evil + "/script.txt");
    const CliRun saved = Cli("h\n");
    fs::current_path(Dir());
    EXPECT_TRUE(Has(saved.out, "/" + shown + "/Kinpath.html\n")) << saved.out;
    EXPECT_FALSE(Has(saved.out, "\x1b"));
}

TEST_F(CliTest, LinesPastTheLimitAreDroppedAndFailedOutputFailsEveryMode) {
    WriteScript(SampleScript);
    const CliRun run = Cli(std::string(4095, ' ') + "1\n" + std::string(4097, '2') + "\nq\n");
    EXPECT_EQ(run.out, Cli("1\n\nq\n").out);
    EXPECT_EQ(run.err, "kinpath-cli: ignored a line longer than 4096 bytes: '" +
                           std::string(40, '2') + "...'\n");

    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    // A full disk, and a pipe whose reader is gone (| head), which no signal
    // may turn into a silent end; the questionnaire ends with its output.
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    ::close(pipe[0]);
    ASSERT_LT(pipe[1], 10);  // a descriptor the shell can name
    std::vector<std::string> outputs{" > /dev/full"};
    if (!UnderWine) outputs.push_back(" >&" + std::to_string(pipe[1]));  // no SIGPIPE there
    for (const char* args : {"", "--check", "--balance --runs 10", "--help"}) {
        for (const std::string& to : outputs) {
            const CliRun failed = Cli("1\n2\ns\ny\nh\n", args + to);
            EXPECT_EQ(std::tuple(failed.status, failed.err),
                      std::tuple(1, "kinpath-cli: could not write the output\n"))
                << args << to;
        }
    }
    ::close(pipe[1]);
    EXPECT_FALSE(fs::exists("Kinpath.html"));
    // A file size limit (512 bytes) on the output fails it the same way.
    if (UnderWine) GTEST_SKIP() << "Windows has no file size limit";
    const CliRun limited = Cli("", "--balance --runs 10", "ulimit -f 1;");
    EXPECT_EQ(std::tuple(limited.status, limited.err),
              std::tuple(1, "kinpath-cli: could not write the output\n"));
}

}  // namespace
}  // namespace kinpath::testing
