// The terminal front end as a user runs it: the real kinpath-cli process with
// commands on standard input.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
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
    "explanationtext=You like to fight up close & loud.\nwarpts=5\nogrepts=2\n</ANSWER>\n"
    "<ANSWER>\ntype=no\nwizpts=5\n</ANSWER>\n</QUESTION>\n<QUESTION>\nname=How much magic?\n"
    "text=Lots\ntext=Some\ntext=None\n<ANSWER>\ntype=2\nclrpts=3\n</ANSWER>\n</QUESTION>\n"
    "<QUESTION>\nname=Skipped?\ntext=Yes\n</QUESTION>\n<FINAL>\nrecap=ask\n</FINAL>\n";

const std::string Greeting =
    "Answer the questions.\nSkip any that you don't want to answer.\n"
    "At the end you will be given the answer!\n";

struct CliRun {
    int status;
    std::string out, err;
};

bool Has(std::string_view text, std::string_view piece) { return text.find(piece) != text.npos; }

// The program as a shell command: KINPATH_CLI_COMMAND runs another build of it,
// such as the Windows one under Wine ("tools/wine-run.sh PREFIX kinpath-cli.exe").
const char* const OtherProgram = std::getenv("KINPATH_CLI_COMMAND");
const std::string Program =
    OtherProgram != nullptr ? OtherProgram : "'" + std::string(KINPATH_CLI_PATH) + "'";
const bool UnderWine = OtherProgram != nullptr && Has(OtherProgram, ".exe");

// A file's name as the program shows it: under Wine, the Unix root is drive Z:.
std::string Shown(const fs::path& path) {
    if (!UnderWine) return path.string();
    std::string name = "Z:" + path.string();
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

// A file of the working folder.
std::string Read(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a command wrote to standard output and error until it was ended.
struct Stopped {
    std::string output;
    bool stopped = false;  // it had written `wanted` and was still running
};

// Runs a shell command in a process group of its own until its output holds
// `wanted`, then ends the group: however slow the machine, the command gets
// the time it needs. Only a command that never writes `wanted` is given up on,
// after a minute of silence.
Stopped RunUntil(const std::string& command, const std::string& wanted) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        ::dup2(fds[1], STDOUT_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::setpgid(pid, pid);
    ::close(fds[1]);
    Stopped result;
    pollfd readable{fds[0], POLLIN, 0};
    while (!Has(result.output, wanted) && ::poll(&readable, 1, 60000) > 0) {
        char buffer[4096];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        result.output.append(buffer, std::size_t(n));
    }
    int status = 0;
    result.stopped = Has(result.output, wanted) && ::waitpid(pid, &status, WNOHANG) == 0;
    ::kill(-pid, SIGTERM);
    ::close(fds[0]);
    ::waitpid(pid, &status, 0);
    return result;
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

TEST_F(CliTest, AnswersLeadToTheRecommendationAndTheYesNoBoxToTheReport) {
    WriteScript(SampleScript);
    const fs::path page = fs::canonical(Dir()) / "Kinpath.html";
    // The box meeting the end of the input: No; answered Yes, and the page saved.
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        const CliRun run = Cli(yes ? "1\n2\ns\nYeS\nh\n" : "1\n2\ns\n");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "Output results?: Would you like to review the results?\n");
        // The pane's text is printed whole, once per change: the greeting once.
        EXPECT_EQ(run.out.rfind(Greeting, 0), 0u) << run.out;
        EXPECT_FALSE(Has(run.out.substr(1), Greeting));
        EXPECT_FALSE(Has(run.out, "\r"));
        EXPECT_TRUE(Has(run.out, "\nDo you like to fight up close?\n  1) Yes\n  2) No\n"));
        EXPECT_TRUE(Has(run.out,
                        "\nIt appears that the best race for you is Ogre\n"
                        "and the best class is Warrior!\n"));
        EXPECT_EQ(Has(run.out, "\nYou like to fight up close & loud.\n"), yes);
        EXPECT_EQ(Has(run.out, "\n" + Shown(page) + "\n"), yes);
        EXPECT_EQ(fs::exists(page), yes);
    }
    EXPECT_TRUE(Has(ReadFile("Kinpath.html"),
                    "\t\tIt appears that the best race for you is Ogre\r\n<br>\r\n"
                    "\t\tand the best class is Warrior!\r\n<br>\r\n"));
}

TEST_F(CliTest, BlanksAndCaseAreIgnoredAndImpossibleCommandsChangeNothing) {
    WriteScript(SampleScript);
    EXPECT_EQ(Cli("\n   \n  1 \r\n SKIP\nS\r\nYeS\n").out, Cli("1\ns\ns\ny\n").out);

    const CliRun bad = Cli("ok\nb\n3\n9\nh\nhello\nq\n");
    const CliRun good = Cli("q\n");
    EXPECT_FALSE(Has(good.out, "Thank you"));  // quit before the end: no results
    EXPECT_EQ(bad.status, 0);
    EXPECT_EQ(bad.out, good.out);
    EXPECT_EQ(bad.err,
              "kinpath-cli: OK is not possible now\n"
              "kinpath-cli: there is no answer to take back now\n"
              "kinpath-cli: there is no choice 3 now\n"
              "kinpath-cli: unknown command '9' (use a choice number, ok, s, b, h or q)\n"
              "kinpath-cli: the results can be saved once all questions are done\n"
              "kinpath-cli: unknown command 'hello' (use a choice number, ok, s, b, h or q)\n");
}

TEST_F(CliTest, BackTakesTheLastAnswerOrSkipBack) {
    std::string script;
    for (const char* q : {"A", "B", "C"}) {
        script += std::string("<QUESTION>\nname=") + q +
                  "?\ntext=yes\ntext=no\n<ANSWER>\ntype=1\n" + "explanationtext=" + q +
                  " yes\nwizpts=3\n</ANSWER>\n<ANSWER>\ntype=2\n" + "explanationtext=" + q +
                  " no\n</ANSWER>\n</QUESTION>\n";
    }
    WriteScript(script + "<FINAL>\nrecap=ask\n</FINAL>\n");
    const auto results = [](const std::string& out) { return out.substr(out.rfind("It appears")); };
    const CliRun straight = Cli("2\ns\n1\ny\nh\n");
    const std::string page = ReadFile("Kinpath.html");
    // The prompt offers b once there is an answer to take back.
    const std::size_t second = straight.out.find("\nB?\n");
    EXPECT_FALSE(Has(straight.out.substr(0, second), " b to go back"));
    EXPECT_TRUE(Has(straight.out.substr(second), "s to skip, b to go back or q to quit:\n"));
    const CliRun wandering = Cli("1\nb\n2\n1\nback\ns\n1\ny\nh\n");
    EXPECT_EQ(wandering.err, straight.err);
    EXPECT_EQ(results(wandering.out), results(straight.out));
    EXPECT_EQ(ReadFile("Kinpath.html"), page);
}

TEST_F(CliTest, ScriptErrorsAndAMissingScriptFailWithTheirMessages) {
    const CliRun missing = Cli("1\n");
    WriteScript("<QUESTION>\n<ANSWER>\n# note\nwrong\n</ANSWER>\n</QUESTION>\n");
    const CliRun wrong = Cli("1\n");
    for (const CliRun& run : {missing, wrong}) {
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(missing.err, "Error: Could not open script.txt\n");
    EXPECT_EQ(wrong.err,
              "ScriptError: Undefined symbol found, line 4\n"
              "ScriptError: End of script expected, line 4\nError: Could not open script.txt\n");
    // Any file is a script when named; its name is the one refused.
    WriteScript(SampleScript, "draft.txt");
    EXPECT_TRUE(Has(Cli("q\n", "draft.txt").out, "Do you like to fight up close?"));
    EXPECT_EQ(Cli("q\n", "nothing.txt").err, "Error: Could not open nothing.txt\n");
}

TEST_F(CliTest, OptionsCheckAndBalance) {
    const CliRun unknown = Cli("", "--frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.rfind("kinpath-cli: unknown option '--frobnicate'\nUsage:", 0), 0u);

    WriteScript(SampleScript);
    const CliRun check = Cli("", "--check");
    EXPECT_EQ(check.status, 0);
    EXPECT_TRUE(check.out.ends_with("\nscript.txt: 3 questions, 0 errors, 3 warnings\n"));
    fs::create_directory(Dir() / "Zo\xC3\xAB");  // names are UTF-8, also on Windows
    WriteScript("<QUESTION>\nname=Q\nbogus\n</QUESTION>\n", "Zo\xC3\xAB/bad.txt");
    const CliRun bad = Cli("", "--check Zo\xC3\xAB/bad.txt");
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(Has(bad.out, "\nZo\xC3\xAB/bad.txt:3: error: question 1 \"Q\": ")) << bad.out;
    EXPECT_TRUE(bad.out.ends_with("\nZo\xC3\xAB/bad.txt: 1 question, 1 error, 1 warning\n"));

    // The report is the same whatever number of threads shares the runs.
    const CliRun one = Cli("", "--balance --runs 5000 --jobs 1");
    const CliRun three = Cli("", "--balance --runs 5000 --jobs 3");
    EXPECT_EQ(one.status, 0);
    EXPECT_TRUE(Has(one.out, "Balance of script.txt\n  Random runs: 5000\n  Seed: 1\n"));
    EXPECT_TRUE(Has(one.out, "\nPairs recommended:\n"));
    EXPECT_EQ(one.out, three.out);
    EXPECT_EQ(one.err, "");  // no progress shown where standard error is no terminal
    EXPECT_TRUE(Has(Cli("", "--balance --runs 1 --skip -0").out, "  Skip probability: 0\n"));

    // A long run tells how long it takes; only a terminal gets the bar, and
    // the terminal that counts is standard error's.
    const Stopped forever =
        RunUntil(Program + " --balance --runs 1000000000000 2>&1 > /dev/null", "stops them)\n");
    EXPECT_TRUE(forever.stopped);
    EXPECT_EQ(forever.output.rfind("kinpath-cli --balance: 1000000000000 runs will take about ", 0),
              0u)
        << forever.output;
    EXPECT_FALSE(Has(forever.output, "\r"));
    if (std::system("command -v script > /dev/null") != 0) GTEST_SKIP() << "no script(1)";
    if (UnderWine) GTEST_SKIP() << "Wine's console redraws a terminal in its own way";
    const std::string run = Program + " --balance --runs 1000000000000";
    const Stopped toFile =
        RunUntil("script -qec \"" + run + " > out.txt\" /dev/null", "\r\x1b[K[--");
    EXPECT_TRUE(toFile.stopped) << toFile.output;
    EXPECT_TRUE(Has(toFile.output, "[----------------------------------------]   0.0%"));
    EXPECT_EQ(ReadFile("out.txt"), "");
    // Standard error to a file: no bar in it once the estimate is written, nor
    // on the terminal of standard output and input (a job in the background
    // would read /dev/null, so the terminal is given to it).
    const Stopped errToFile = RunUntil(
        "script -qec \"" + run + " 2> err.txt < /dev/tty & until grep -qF stops err.txt; " +
            "do sleep 0.1; done; sleep 0.5; kill \\$!; echo ended\" /dev/null",
        "ended");
    EXPECT_TRUE(errToFile.stopped);
    EXPECT_FALSE(Has(errToFile.output, "[--"));
    const std::string err = ReadFile("err.txt");
    EXPECT_TRUE(err.starts_with("kinpath-cli --balance: 1000000000000 runs will take about ") &&
                err.ends_with(" (Ctrl+C stops them)\n") && !Has(err, "\r"))
        << err;
}

// Each number of --balance at and past its ends, and in the forms it does not
// take: a refused value ends the program with status 2 before any run.
TEST_F(CliTest, BalanceNumbersAtTheirEdges) {
    WriteScript(SampleScript);
    const std::pair<const char*, const char*> taken[] = {
        {"--runs 1", "  Random runs: 1\n  Seed: 1\n  Skip probability: 0\n"},
        {"--runs 007", "  Random runs: 7\n"},
        {"--seed 0", "  Seed: 0\n"},
        {"--seed 18446744073709551615", "  Seed: 18446744073709551615\n"},
        {"--skip 1", "  Skip probability: 1\n"},
        {"--skip 1e-1", "  Skip probability: 0.1\n"},
        {"--jobs 1", "  Random runs: 1\n"},
        {"--jobs=1024", "  Random runs: 1\n"}};
    for (const auto& [args, report] : taken) {
        // One run, unless the case gives the runs itself: an option is given once.
        const std::string runs = std::string(args).starts_with("--runs") ? "" : "--runs 1 ";
        const CliRun run = Cli("", "--balance " + runs + args);
        EXPECT_EQ(run.status, 0) << args;
        EXPECT_TRUE(Has(run.out, report)) << args << "\n" << run.out;
    }
    const std::pair<const char*, const char*> refused[] = {{"--runs", "0"},
                                                           {"--runs", "-1"},
                                                           {"--runs", "18446744073709551616"},
                                                           {"--runs", ""},
                                                           {"--runs", " 5"},
                                                           {"--runs", "+5"},
                                                           {"--runs", "0x10"},
                                                           {"--runs", "10k"},
                                                           {"--seed", "-1"},
                                                           {"--seed", "18446744073709551616"},
                                                           {"--seed", ""},
                                                           {"--seed", "0x1"},
                                                           {"--seed", "1s"},
                                                           {"--skip", "-0.1"},
                                                           {"--skip", "1.0000001"},
                                                           {"--skip", "nan"},
                                                           {"--skip", ""},
                                                           {"--skip", "0x1"},
                                                           {"--skip", "1%"},
                                                           {"--jobs", "0"},
                                                           {"--jobs", "1025"},
                                                           {"--jobs", "-1"},
                                                           {"--jobs", ""},
                                                           {"--jobs", "0x4"},
                                                           {"--jobs", "4k"}};
    for (const auto& [option, value] : refused) {
        const CliRun run = Cli("", "--balance " + std::string(option) + " '" + value + "'");
        EXPECT_EQ(run.status, 2) << option << " " << value;
        EXPECT_EQ(run.err.rfind("kinpath-cli --balance: " + std::string(option) +
                                    " does not take \"" + value + "\"",
                                0),
                  0u)
            << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(CliTest, ControlCharactersOfScriptAndInputAreShownVisibly) {
    WriteScript(
        "<QUESTION>\nname=Q\x1b[2J\tok\ntext=A\x07\xc2\x9b\x7f"
        "B\ntext=\x81\n<ANSWER>\ntype=1\nexplanationtext=E\x1b]0;t\x07\n</ANSWER>\n</QUESTION>\n");
    const CliRun run = Cli("\x1b[A\x9b\n1\n");
    const CliRun check = Cli("", "--check");
    EXPECT_TRUE(Has(run.out, "\nQ^[[2J\tok\n  1) A^G<U+009B>^?B\n  2) <U+0081>\n"));
    EXPECT_TRUE(Has(run.out, "\nE^[]0;t^G\n"));
    EXPECT_EQ(
        run.err,
        "kinpath-cli: unknown command '^[[a<U+009B>' (use a choice number, ok, s, b, h or q)\n");
    EXPECT_TRUE(Has(check.out, "question 1 \"Q^[[2J\tok\": choice 2 \"<U+0081>\""));
    EXPECT_FALSE(Has(run.out + run.err + check.out, "\x1b"));
    if (UnderWine) GTEST_SKIP() << "Windows file names hold no control characters";
    // Nor can the name of the folder the page is saved in.
    fs::create_directory("\x1b]0;x\x07");
    fs::current_path("\x1b]0;x\x07");
    WriteScript("", "\x1b]0;x\x07/script.txt");
    const CliRun saved = Cli("h\n");
    fs::current_path(Dir());
    EXPECT_TRUE(Has(saved.out, "/^[]0;x^G/Kinpath.html\n")) << saved.out;
    EXPECT_FALSE(Has(saved.out, "\x1b"));
}

// Every name the author tools show goes to the terminal in caret notation:
// the script's and the page's, in "cannot open" too, and unknown options.
TEST_F(CliTest, NamesReachTheTerminalInCaretNotation) {
    const CliRun unknown = Cli("", "\"$(printf '%s\\033]0;t\\007' --x)\"");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.rfind("kinpath-cli: unknown option '--x^[]0;t^G'\nUsage:", 0), 0u)
        << unknown.err;
    const CliRun twice = Cli("", "--publish -o a.html -o b.html");
    EXPECT_EQ(std::tuple(twice.status, twice.err.substr(0, twice.err.find('\n'))),
              std::tuple(2, "kinpath-cli --publish: -o given twice"));
    if (UnderWine) GTEST_SKIP() << "Windows file names hold no control characters";
    const std::string evil = "evil\x1b]0;PWNED\x07\x1b[31m\xE2\x80\xAE";
    const std::string shown = "evil^[]0;PWNED^G^[[31m<U+202E>";
    WriteScript(SampleScript, evil + ".txt");
    const bool page = fs::exists(fs::path(KINPATH_CLI_PATH).parent_path() / "kinpath-page.html");
    fs::create_directory(evil);
    for (const std::string& args : {"--check '" + evil + ".txt'", "--check '" + evil + "'",
                                    "--balance --runs 1 '" + evil + "'",
                                    "--publish '" + evil + ".txt' -o '" + evil + "/Kinpath.html'",
                                    page ? "--publish '" + evil + ".txt' -o '" + evil + ".html'"
                                         : "--check '" + evil + "'"}) {
        const CliRun run = Cli("", args);
        EXPECT_FALSE(Has(run.out + run.err, "\x1b") || Has(run.out + run.err, "\xE2\x80\xAE"));
        EXPECT_TRUE(Has(run.out + run.err, shown)) << args << "\n" << run.out << run.err;
    }
}

// A script past the 2 GiB a document holds is refused by every command alike,
// at once, without being read (a sparse file).
TEST_F(CliTest, AScriptOverTheLimitIsTooLargeForEveryCommand) {
    std::ofstream("big.txt").close();
    fs::resize_file("big.txt", std::uintmax_t(1) << 31);
    for (const char* args : {"--check big.txt", "--balance big.txt", "--publish big.txt"}) {
        const CliRun run = Cli("", args);
        if (Has(run.err, "kinpath-page.html not found")) continue;
        EXPECT_EQ(std::tuple(run.status, run.err),
                  std::tuple(1, "big.txt: error: cannot open (too large to hold in memory)\n"))
            << args;
    }
    EXPECT_EQ(std::tuple(Cli("", "big.txt").status, Cli("", "big.txt").err),
              std::tuple(1, "Error: Could not open big.txt\n"));
}

// The published page: its size said as written, the title as text, an empty
// script published as a script; the page without a script is never its target.
TEST_F(CliTest, PublishWritesTheTitleAndNeverOverThePageWithoutAScript) {
    WriteScript(SampleScript, "quiz.txt");
    const CliRun run = Cli("", "--publish quiz.txt --title 'Quiz & <b>'");
    if (Has(run.err, "kinpath-page.html not found")) GTEST_SKIP() << "no page beside the program";
    const std::string bytes = std::to_string(ReadFile("quiz.html").size());
    std::string grouped;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        grouped += ((i > 0 && (bytes.size() - i) % 3 == 0) ? "," : "") + bytes.substr(i, 1);
    EXPECT_EQ(std::tuple(run.status, run.out),
              std::tuple(0, "quiz.html: " + grouped + " bytes, 3 questions\n"));
    EXPECT_TRUE(Has(ReadFile("quiz.html"), "<title>Quiz &amp; &lt;b&gt;</title>"));
    WriteScript("", "empty.txt");
    EXPECT_TRUE(Has(Cli("", "--publish empty.txt").out, " bytes, 0 questions\n"));
    EXPECT_TRUE(Has(ReadFile("empty.html"), "id=\"kinpath-script\" data-embedded></script>"));
    if (UnderWine) GTEST_SKIP() << "the Windows program's folder is another";
    const fs::path page = fs::path(KINPATH_CLI_PATH).parent_path() / "kinpath-page.html";
    const std::string before = Read(page.c_str());
    const CliRun refused = Cli("", "--publish quiz.txt -o '" + page.string() + "'");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err.rfind("kinpath-cli --publish: the page may not be written to ", 0), 0u);
    EXPECT_EQ(Read(page.c_str()), before);
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
