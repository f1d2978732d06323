// The bad-input catalogue: whole runs of the program (load, answer, results,
// exports) on the worst scripts and surroundings a user can give it. None may
// crash, lose a written result, or fail without saying so.
#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "flow/QuestionFlow.h"
#include "flow/Transcript.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "window/ControlIds.h"
#include "app/HtmlExport.h"
#include "app/MainDialog.h"

namespace kinpath::testing {
namespace {

const char* const CouldNotOpen = "Could not open script.txt";

std::string Answer(const std::string& type, const std::string& body) {
    return "<ANSWER>\ntype=" + type + "\n" + body + "</ANSWER>\n";
}

std::string Question(const std::string& name, int choices, const std::string& answers) {
    std::string text = "<QUESTION>\nname=" + name + "\n";
    for (int k = 1; k <= choices; ++k) text += "text=Choice " + std::to_string(k) + "\n";
    return text + answers + "</QUESTION>\n";
}

double SecondsSince(std::chrono::steady_clock::time_point begin) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

// Start-up with its posted first OK; false when the window closed itself.
bool Launch(HeadlessDialog& dialog) {
    ScriptErrorView = &dialog;
    DialogInit(dialog);
    return dialog.DispatchPosted();
}

// Answers the first choice of every question (skipping where none can be
// checked) until the results show.
void RunToResults(HeadlessDialog& dialog) {
    for (int guard = 0; !QuestionsFinished && guard < 1000000; ++guard) {
        dialog.Click(IdChoice1);
        dialog.Click(dialog.IsControlEnabled(IdOk) ? IdOk : IdSkip);
        dialog.DispatchPosted();
    }
    ASSERT_EQ(QuestionsFinished, 1);
}

std::vector<std::string> BoxTexts(const HeadlessDialog& dialog) {
    std::vector<std::string> texts;
    for (const RecordedBox& box : dialog.boxes) texts.push_back(box.text);
    return texts;
}

class BadInputTest : public ProgramTest {
protected:
    bool Start(const std::string& script) {
        WriteScript(script);
        return Launch(d);
    }
    void Choose(int choice) {
        d.Click(IdChoice1 + choice - 1);
        d.Click(IdOk);
        d.DispatchPosted();
    }
    // Every displayed pane line reaches the saved page.
    void ExpectPageHoldsThePane() {
        ASSERT_TRUE(ExportHtml(d));
        const std::string page = ReadFile(HtmlFileName);
        EXPECT_EQ(page, BuildHtmlPage(d));
        std::size_t brs = 0;
        for (auto at = page.find("\r\n<br>\r\n"); at != std::string::npos; at = page.find("\r\n<br>\r\n", at + 1)) ++brs;
        EXPECT_EQ(brs, static_cast<std::size_t>(TranscriptLineCount(d)));
    }

    HeadlessDialog d;
};

// --- The script file itself. Each case runs to the results (or is refused)
// and states what the user sees: the boxes, the first question and what the
// first choices were worth.

struct ScriptCase {
    const char* label;
    std::optional<std::string> bytes;  // none: no file; "/": a folder in its place
    std::vector<std::string> boxes;    // a refused script ends with CouldNotOpen
    std::string firstQuestion;
    int warriorPoints = 0;
};

TEST_F(BadInputTest, HostileScriptFilesLoadWhatTheyHoldOrSaySo) {
    const std::string after = Question("After", 1, Answer("1", "warpts=4\n"));
    const std::string crOnly = "<QUESTION>\rname=Q\rtext=A\r<ANSWER>\rtype=1\rwarpts=1\r</ANSWER>\r</QUESTION>\r";
    const ScriptCase cases[] = {
        {"missing", std::nullopt, {CouldNotOpen}, "", 0},
        {"folder", "/", {CouldNotOpen}, "", 0},
        {"empty", "", {}, "", 0},
        {"comments only", "# nothing\n\n  \t\n#x", {}, "", 0},
        // A zero byte ends its line's text; a line that starts with one is blank.
        {"NUL-laden",
         std::string("\0\0\0\n", 4) + Question(std::string("Bold\0ly", 7), 1,
                                               Answer("1", std::string("\0junk=1\n", 8) + "warpts=3\n")),
         {}, "Bold", 3},
        // Old-style CR line ends make one long top-level line: no tag, no questions.
        {"CR-only", crOnly, {}, "", 0},
        {"BOM", "\xEF\xBB\xBF" + after, {}, "After", 4},
        {"huge top-level line", std::string(1 << 20, 'x') + "\n" + after, {}, "After", 4},
        // Inside a question the second 511-byte piece holds no key.
        // Values past the 32-bit limits clamp; totals wrap as 32-bit sums do.
        {"past 32-bit limits",
         Question("Max", 1, Answer("1", "warpts=99999999999999999999\n")) + Question("Again", 1, Answer("1", "warpts=1\n")),
         {}, "Max", INT32_MIN},
        {"huge line in a block", "<QUESTION>\nname=" + std::string(600, 'n') + "\n</QUESTION>\n",
         {"Undefined symbol found, line 3", CouldNotOpen}, "", 0},
    };
    for (const ScriptCase& c : cases) {
        SCOPED_TRACE(c.label);
        ResetProgramState();
        std::filesystem::remove_all(Dir() / ScriptFileName);
        if (c.bytes == "/") {
            std::filesystem::create_directory(Dir() / ScriptFileName);
        } else if (c.bytes) {
            WriteScript(*c.bytes);
        }
        HeadlessDialog dialog;
        const bool running = Launch(dialog);
        EXPECT_EQ(BoxTexts(dialog), c.boxes);
        if (!running) {
            EXPECT_FALSE(c.boxes.empty());
            EXPECT_EQ(dialog.PaneText(), "");  // no greeting promises questions that never come
            continue;
        }
        if (!c.firstQuestion.empty()) {
            EXPECT_EQ(dialog.ControlText(IdQuestionText), c.firstQuestion);
        }
        RunToResults(dialog);
        EXPECT_EQ(PointTotals[SlotWarrior], c.warriorPoints);
        EXPECT_NE(dialog.PaneText().find("It appears that the best race"), std::string::npos);
        ASSERT_TRUE(ExportHtml(dialog));
        EXPECT_EQ(ReadFile(HtmlFileName), BuildHtmlPage(dialog));
    }
}

TEST_F(BadInputTest, BinaryGarbageAlwaysEndsInALoadOrAMessage) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        std::string bytes(1 + random() % 4096, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        // Garbage inside a block must be refused.
        const bool inBlock = round % 3 == 0;
        if (inBlock) bytes = "<QUESTION>\nname=Q\n" + bytes + "\n</QUESTION>\n";
        ResetProgramState();
        WriteScript(bytes);
        HeadlessDialog dialog;
        if (Launch(dialog)) {
            EXPECT_FALSE(inBlock);
            EXPECT_TRUE(dialog.boxes.empty());
            RunToResults(dialog);
        } else {
            ASSERT_FALSE(dialog.boxes.empty());
            EXPECT_EQ(dialog.boxes.back().text, CouldNotOpen);
            for (std::size_t k = 0; k + 1 < dialog.boxes.size(); ++k) {
                EXPECT_NE(dialog.boxes[k].text.find("line "), std::string::npos);
            }
        }
    }
}

TEST_F(BadInputTest, DeeplyRepetitiveScriptsLoadAndFinishQuickly) {
    // 20,000 questions, then 20,000 replaced SETTINGS and FINAL blocks; a
    // quadratic pass would take minutes.
    std::string script;
    const std::string answer = Answer("1", "explanationtext=" + std::string(120, 'e') + "\nwarpts=1\n");
    for (int i = 0; i < 20000; ++i) script += Question("Q" + std::to_string(i), 2, answer);
    for (int i = 0; i < 20000; ++i) {
        script += "<SETTINGS>\npreference=classoverrace\n</SETTINGS>\n<FINAL>\nrecap=yes\n</FINAL>\n";
    }
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(Start(script));
    RunToResults(d);
    EXPECT_LT(SecondsSince(begin), 60.0);  // about a second in a release build
    EXPECT_EQ(AnsweredList.size(), 20000u);
    EXPECT_EQ(PointTotals[SlotWarrior], 20000);
    EXPECT_EQ(d.PaneLength(), TranscriptCapacity);
    ExpectPageHoldsThePane();
}

// --- Sizes at the edges.

TEST_F(BadInputTest, ChoicesPastTheEighthAreNeverShownOrCounted) {
    std::string answers;
    for (int k = 1; k <= 12; ++k) answers += Answer(std::to_string(k), "rngpts=" + std::to_string(k) + "\n");
    ASSERT_TRUE(Start(Question("Twelve", 12, answers)));
    EXPECT_EQ(d.ControlText(IdChoice1 + ChoiceCount - 1), "Choice 8");
    d.Click(IdChoice1 + ChoiceCount);  // no control stands for a ninth choice
    EXPECT_FALSE(d.IsControlEnabled(IdOk));
    Choose(8);
    ASSERT_EQ(QuestionsFinished, 1);
    EXPECT_EQ(PointTotals[SlotRanger], 8);
}

TEST_F(BadInputTest, AThousandAnswersPerQuestionTheFirstMatchCounts) {
    std::string answers;
    for (int k = 0; k < 1000; ++k) answers += Answer(std::to_string(k % 8 + 1), "clrpts=" + std::to_string(k + 1) + "\n");
    std::string script;
    for (int q = 0; q < 50; ++q) script += Question("Q", 8, answers);
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(Start(script));
    int expected = 0;
    for (int q = 0; q < 50; ++q) {
        Choose(q % 8 + 1);  // choice k's first answer is answer k, worth k
        expected += q % 8 + 1;
    }
    EXPECT_LT(SecondsSince(begin), 30.0);
    ASSERT_EQ(QuestionsFinished, 1);
    EXPECT_EQ(PointTotals[SlotCleric], expected);
    EXPECT_TRUE(d.boxes.empty());
}

// --- The results and their exports with the pane at capacity.

class FullPaneTest : public BadInputTest {
protected:
    void SetUp() override {
        BadInputTest::SetUp();
        std::string script;
        for (int i = 0; i < 400; ++i) {
            script += Question("Q", 1, Answer("1", "explanationtext=" + std::string(180, 'a') + "\n"));
        }
        ASSERT_TRUE(Start(script));
        RunToResults(d);
        ASSERT_EQ(d.PaneLength(), TranscriptCapacity);
        pane = d.PaneText();
    }
    int DrawnRows() const {
        int drawn = 0;
        for (const PrintEvent& e : d.printJobs.back().events) drawn += e.kind == PrintEvent::Kind::DrawText;
        return drawn;
    }
    std::string pane;
};

TEST_F(FullPaneTest, ExportAndPrintCarryEveryLineAfterACancelAndAtAbsurdResolutions) {
    // Cancelling is the user's choice, not a failure: nothing is drawn or reported.
    d.printCancel = true;
    DialogCommand(d, IdPrint);
    EXPECT_TRUE(d.printJobs.back().events.empty());
    d.printCancel = false;
    // A driver may report any resolution: rows never run backwards or go negative.
    for (int dpi : {0, -300, 1, INT32_MAX}) {
        SCOPED_TRACE(dpi);
        d.printDpiX = d.printDpiY = dpi;
        DialogCommand(d, IdPrint);
        EXPECT_EQ(DrawnRows(), TranscriptLineCount(d));
        int lastY = -1;
        for (const PrintEvent& e : d.printJobs.back().events) {
            if (e.kind == PrintEvent::Kind::StartPage) lastY = -1;
            if (e.kind != PrintEvent::Kind::DrawText) continue;
            EXPECT_GE(e.x, 0);
            EXPECT_GT(e.y, dpi > 1000 ? lastY : lastY - 1);
            lastY = e.y;
        }
    }
    EXPECT_EQ(d.PaneText(), pane);
    EXPECT_TRUE(d.boxes.empty());
    ExpectPageHoldsThePane();
}

TEST_F(FullPaneTest, FullDiskSaveLosesNothingAndCanBeRetried) {
    ASSERT_TRUE(ExportHtml(d));
    const std::string good = ReadFile(HtmlFileName);
    // The disk fills up while the page is written.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    DialogCommand(d, IdHtml);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(BoxTexts(d), std::vector<std::string>{"Could not write Kinpath.html"});
    EXPECT_EQ(ReadFile(HtmlFileName), good);
    EXPECT_EQ(d.PaneText(), pane);
    EXPECT_EQ(d.openedFiles.size(), 1u);  // only the good page was handed on
    DialogCommand(d, IdHtml);             // with room again the same button works
    EXPECT_EQ(d.boxes.size(), 1u);
    EXPECT_EQ(d.openedFiles.size(), 2u);
}

}  // namespace
}  // namespace kinpath::testing
