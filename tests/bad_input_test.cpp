// The bad-input catalogue: whole runs of the program (load, answer, results,
// exports) on the worst scripts and surroundings a user can give it. Each case
// states what the user gets; none may crash, lose a written result, or fail
// without saying so.
#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "flow/BarAnimation.h"
#include "flow/QuestionFlow.h"
#include "flow/Transcript.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "ui/ControlIds.h"
#include "ui/HtmlExport.h"
#include "ui/MainDialog.h"

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

class BadInputTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ScriptErrorView = &d;
    }

    // Start-up with its posted first OK; false when the window closed itself.
    bool Start(const std::string& script) {
        WriteScript(script);
        return StartWithoutWriting();
    }
    bool StartWithoutWriting() {
        DialogInit(d);
        return d.DispatchPosted();
    }
    void Choose(int choice) {
        d.Click(IdChoice1 + choice - 1);
        d.Click(IdOk);
        d.DispatchPosted();
    }
    // Answers the first choice of every question (skipping where none can be
    // checked) until the results show.
    void RunToResults() {
        for (int guard = 0; !QuestionsFinished && guard < 1000000; ++guard) {
            d.Click(IdChoice1);
            d.Click(d.IsControlEnabled(IdOk) ? IdOk : IdSkip);
            d.DispatchPosted();
        }
        ASSERT_EQ(QuestionsFinished, 1);
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const RecordedBox& box : d.boxes) texts.push_back(box.text);
        return texts;
    }
    // Every displayed pane line appears in the saved page, in order.
    void ExpectPageHoldsThePane() {
        ASSERT_TRUE(ExportHtml(d));
        std::string page = ReadFile(HtmlFileName);
        EXPECT_EQ(page, BuildHtmlPage(d));
        int count = TranscriptLineCount(d);
        std::size_t brs = 0;
        for (std::size_t at = page.find("\r\n<br>\r\n"); at != std::string::npos;
             at = page.find("\r\n<br>\r\n", at + 1)) {
            ++brs;
        }
        EXPECT_EQ(brs, static_cast<std::size_t>(count));
    }

    HeadlessDialog d;
};

// --- The script file itself: missing, empty, unreadable content.

TEST_F(BadInputTest, MissingOrUnreadableScriptSaysSoAndCloses) {
    // Missing.
    EXPECT_FALSE(StartWithoutWriting());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{CouldNotOpen});
    EXPECT_EQ(d.boxes[0].caption, "Error");
    EXPECT_EQ(d.PaneText(), "");  // no greeting promises questions that never come
    EXPECT_FALSE(std::filesystem::exists(Dir() / HtmlFileName));

    // A folder where the file should be.
    ResetProgramState();
    HeadlessDialog again;
    ScriptErrorView = &again;
    std::filesystem::create_directory(Dir() / ScriptFileName);
    DialogInit(again);
    EXPECT_FALSE(again.DispatchPosted());
    ASSERT_EQ(again.boxes.size(), 1u);
    EXPECT_EQ(again.boxes[0].text, CouldNotOpen);
}

TEST_F(BadInputTest, EmptyOrCommentOnlyScriptGoesStraightToAResult) {
    for (const std::string& script : {std::string(), std::string("# nothing\n\n  \t\n#x")}) {
        SCOPED_TRACE(script);
        ResetProgramState();
        HeadlessDialog fresh;
        ScriptErrorView = &fresh;
        WriteScript(script);
        DialogInit(fresh);
        ASSERT_TRUE(fresh.DispatchPosted());
        EXPECT_TRUE(fresh.boxes.empty());
        EXPECT_EQ(QuestionsFinished, 1);
        EXPECT_EQ(ReadTranscriptLine(fresh, 0).text.rfind("It appears that the best race", 0), 0u);
        EXPECT_TRUE(fresh.IsControlEnabled(IdHtml));
    }
}

TEST_F(BadInputTest, BinaryGarbageNeverCrashesAndAlwaysEndsInALoadOrAMessage) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        std::string bytes(1 + random() % 4096, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        // Some rounds hide the garbage inside a block, where it must be reported.
        if (round % 3 == 0) bytes = "<QUESTION>\nname=Q\n" + bytes + "\n</QUESTION>\n";
        ResetProgramState();
        HeadlessDialog fresh;
        ScriptErrorView = &fresh;
        WriteScript(bytes);
        DialogInit(fresh);
        bool running = fresh.DispatchPosted();
        if (!running) {
            // Refused: the last box is always the one that says so, and every
            // script message before it names a line that exists.
            ASSERT_FALSE(fresh.boxes.empty());
            EXPECT_EQ(fresh.boxes.back().text, CouldNotOpen);
            for (std::size_t k = 0; k + 1 < fresh.boxes.size(); ++k) {
                EXPECT_EQ(fresh.boxes[k].caption, "ScriptError");
                EXPECT_NE(fresh.boxes[k].text.find("line "), std::string::npos);
            }
        } else {
            EXPECT_TRUE(fresh.boxes.empty());
            for (int step = 0; !QuestionsFinished && step < 10000; ++step) {
                fresh.Click(IdSkip);
                fresh.DispatchPosted();
            }
            EXPECT_EQ(QuestionsFinished, 1);
        }
        if (round % 3 == 0) {
            EXPECT_FALSE(running) << "garbage inside a block must be refused";
        }
    }
}

TEST_F(BadInputTest, ZeroBytesEndALineButNotTheScript) {
    // Everything after a zero byte on its line is ignored, so the name is cut
    // there; a line that starts with one is empty and skipped; later lines load.
    std::string script = Question(std::string("Bold\0ly ignored", 15), 2,
                                  Answer("1", std::string("\0junk=1\n", 8) +
                                                  "explanationtext=kept\nwarpts=3\n"));
    script.insert(0, std::string("\0\0\0\n", 4));
    ASSERT_TRUE(Start(script));
    EXPECT_TRUE(d.boxes.empty());
    EXPECT_EQ(d.ControlText(IdQuestionText), "Bold");
    Choose(1);
    ASSERT_EQ(QuestionsFinished, 1);
    EXPECT_EQ(PointTotals[SlotWarrior], 3);
    EXPECT_NE(d.PaneText().find("kept"), std::string::npos);
}

TEST_F(BadInputTest, CarriageReturnsAloneDoNotEndLines) {
    // A file with old-style CR line ends is one long line: at the top level it
    // holds no tag, so the questionnaire is empty. Pieces of 511 characters are
    // read, none is a tag, and nothing is reported or crashes.
    std::string script = "<QUESTION>\rname=Q\rtext=A\r" + Answer("1", "warpts=1\n") + "</QUESTION>\r";
    for (char& c : script) if (c == '\n') c = '\r';
    ASSERT_TRUE(Start(script));
    EXPECT_TRUE(d.boxes.empty());
    EXPECT_TRUE(TheScriptDocument.questions.empty());
    EXPECT_EQ(QuestionsFinished, 1);

    // Inside a block a lone CR joins the text around it instead.
    ResetProgramState();
    HeadlessDialog mixed;
    ScriptErrorView = &mixed;
    WriteScript("<QUESTION>\nname=Fight\r up close?\r\ntext=Yes\n</QUESTION>\n");
    DialogInit(mixed);
    ASSERT_TRUE(mixed.DispatchPosted());
    EXPECT_EQ(mixed.ControlText(IdQuestionText), "Fight up close?");
}

TEST_F(BadInputTest, ByteOrderMarkBeforeTheFirstTagIsHarmless) {
    std::string script = "\xEF\xBB\xBF<SETTINGS>\npreference=race\n</SETTINGS>\n" +
                         Question("Q", 1, Answer("1", "dwapts=2\n"));
    ASSERT_TRUE(Start(script));
    ASSERT_TRUE(TheScriptDocument.settings);
    EXPECT_EQ(TheScriptDocument.settings->Preference, 0);
    ASSERT_EQ(TheScriptDocument.questions.size(), 1u);
}

TEST_F(BadInputTest, HugeLinesAreReadInPiecesWithoutHarm) {
    // One megabyte without a line end at the top level: ignored, the question
    // after it loads, and the line numbers count its 511-byte pieces.
    std::string huge(1 << 20, 'x');
    ASSERT_TRUE(Start(huge + "\n" + Question("After", 1, Answer("1", "warpts=4\n"))));
    ASSERT_EQ(TheScriptDocument.questions.size(), 1u);
    EXPECT_EQ(d.ControlText(IdQuestionText), "After");

    // The same inside a question: its first piece is a name line, the second
    // piece holds no key and is reported with the line number of that piece.
    ResetProgramState();
    HeadlessDialog inside;
    ScriptErrorView = &inside;
    WriteScript("<QUESTION>\nname=" + std::string(600, 'n') + "\n</QUESTION>\n");
    DialogInit(inside);
    EXPECT_FALSE(inside.DispatchPosted());
    ASSERT_EQ(inside.boxes.size(), 2u);
    EXPECT_EQ(inside.boxes[0].text, "Undefined symbol found, line 3");
    EXPECT_EQ(inside.boxes[1].text, CouldNotOpen);
}

TEST_F(BadInputTest, DeeplyRepetitiveScriptsLoadAndFinishQuickly) {
    // 20,000 questions, each with a long explanation, then 20,000 replaced
    // SETTINGS and FINAL blocks: every block is kept or freed, the report is cut
    // at the pane's capacity, and the whole run takes well under the time a
    // quadratic pass would need.
    std::string script;
    const std::string explanation(120, 'e');
    for (int i = 0; i < 20000; ++i) {
        script += Question("Q" + std::to_string(i), 2,
                           Answer("1", "explanationtext=" + explanation + "\nwarpts=1\n"));
    }
    for (int i = 0; i < 20000; ++i) {
        script += "<SETTINGS>\npreference=classoverrace\n</SETTINGS>\n<FINAL>\nrecap=yes\n</FINAL>\n";
    }
    auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(Start(script));
    EXPECT_EQ(TheScriptDocument.questions.size(), 20000u);
    RunToResults();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    EXPECT_EQ(AnsweredList.size(), 20000u);
    EXPECT_EQ(PointTotals[SlotWarrior], 20000);
    EXPECT_EQ(d.PaneLength(), TranscriptCapacity);
    EXPECT_LT(seconds, 60.0);  // about a second in a release build
    ExpectPageHoldsThePane();
}

// --- Values at the edges.

TEST_F(BadInputTest, PointValuesAtAndPastThe32BitLimitsAreClampedAndTotalsWrap) {
    std::string script =
        Question("Max", 1, Answer("1", "warpts=2147483647\nwizpts=99999999999999999999\n"
                                       "evilpts=-2147483648\ngoodpts=-99999999999999999999\n")) +
        Question("Again", 1, Answer("1", "warpts=1\nwizpts=2147483648\nevilpts=-1\n")) +
        "<FINAL>\nrecap=yes\n</FINAL>\n";
    ASSERT_TRUE(Start(script));
    const AnswerBlock& first = *TheScriptDocument.questions[0]->answers[0];
    EXPECT_EQ(first.points[SlotWarrior], INT32_MAX);
    EXPECT_EQ(first.points[SlotWizard], INT32_MAX);
    EXPECT_EQ(first.points[SlotEvil], INT32_MIN);
    EXPECT_EQ(first.points[SlotGood], INT32_MIN);

    Choose(1);
    // The bars chase totals of any size one unit a tick, never jumping.
    for (int tick = 0; tick < 300; ++tick) d.Tick();
    EXPECT_EQ(d.FindBar(BarIdForSlot(SlotBarbarian))->position, 0);  // no Barbarian points
    EXPECT_LE(BarShown[SlotWarrior], 300);
    Choose(1);
    ASSERT_EQ(QuestionsFinished, 1);
    // Totals wrap as 32-bit sums do; the report shows what the totals hold.
    EXPECT_EQ(PointTotals[SlotWarrior], INT32_MIN);
    EXPECT_EQ(PointTotals[SlotEvil], INT32_MAX);
    EXPECT_TRUE(d.boxes.empty());
    EXPECT_NE(d.PaneText().find("Thank you for using Kinpath!"), std::string::npos);
    ExpectPageHoldsThePane();
}

TEST_F(BadInputTest, ChoicesPastTheEighthAreNeverShownOrCounted) {
    std::string answers;
    for (int k = 1; k <= 12; ++k) answers += Answer(std::to_string(k), "rngpts=" + std::to_string(k) + "\n");
    ASSERT_TRUE(Start(Question("Twelve", 12, answers)));
    for (int k = 0; k < ChoiceCount; ++k) {
        EXPECT_EQ(d.ControlText(IdChoice1 + k), "Choice " + std::to_string(k + 1));
    }
    // No control stands for a ninth choice: clicking its would-be identifier
    // does nothing and the question stays.
    d.Click(IdChoice1 + ChoiceCount);
    EXPECT_FALSE(d.IsControlEnabled(IdOk));
    Choose(8);
    ASSERT_EQ(QuestionsFinished, 1);
    EXPECT_EQ(PointTotals[SlotRanger], 8);
}

TEST_F(BadInputTest, AThousandAnswersPerQuestionTheFirstMatchCounts) {
    std::string answers;
    for (int k = 0; k < 1000; ++k) {
        answers += Answer(std::to_string(k % 8 + 1), "clrpts=" + std::to_string(k + 1) + "\n");
    }
    std::string script;
    for (int q = 0; q < 50; ++q) script += Question("Q" + std::to_string(q), 8, answers);
    auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(Start(script));
    ASSERT_EQ(TheScriptDocument.questions[0]->answers.size(), 1000u);
    for (int q = 0; q < 50; ++q) Choose(q % 8 + 1);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    ASSERT_EQ(QuestionsFinished, 1);
    // Choice k's first answer is answer k, worth k points; 50 questions cycle 1..8.
    int expected = 0;
    for (int q = 0; q < 50; ++q) expected += q % 8 + 1;
    EXPECT_EQ(PointTotals[SlotCleric], expected);
    EXPECT_TRUE(d.boxes.empty());
    EXPECT_LT(seconds, 30.0);
}

// --- The results and their exports at the limits.

class FullPaneTest : public BadInputTest {
protected:
    // A report far longer than the pane holds.
    void FillThePane() {
        std::string script;
        for (int i = 0; i < 400; ++i) {
            script += Question("Q", 1,
                               Answer("1", "explanationtext=Answer " + std::to_string(i) + " " +
                                               std::string(180, 'a') + "\n"));
        }
        ASSERT_TRUE(Start(script));
        RunToResults();
        ASSERT_EQ(d.PaneLength(), TranscriptCapacity);
    }
};

TEST_F(FullPaneTest, ExportAndPrintCarryEveryLineThePaneHolds) {
    FillThePane();
    std::string pane = d.PaneText();
    ExpectPageHoldsThePane();

    DialogCommand(d, IdPrint);
    ASSERT_EQ(d.printJobs.size(), 1u);
    int drawn = 0;
    for (const PrintEvent& e : d.printJobs[0].events) drawn += e.kind == PrintEvent::Kind::DrawText;
    EXPECT_EQ(drawn, TranscriptLineCount(d));
    EXPECT_TRUE(d.printJobs[0].released);
    // Neither export changes what the pane holds.
    EXPECT_EQ(d.PaneText(), pane);
    EXPECT_TRUE(d.boxes.empty());
}

TEST_F(FullPaneTest, FailedSaveLosesNothingAndCanBeRetried) {
    FillThePane();
    std::string pane = d.PaneText();
    ASSERT_TRUE(ExportHtml(d));
    std::string good = ReadFile(HtmlFileName);

    // A disk that fills up while the page is written: the save is refused with a
    // box, the last good page and the results on screen stay as they were.
    AppendTranscriptLine(d, nullptr);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    DialogCommand(d, IdHtml);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    ASSERT_EQ(d.boxes.size(), 1u);
    EXPECT_EQ(d.boxes[0].text, "Could not write Kinpath.html");
    EXPECT_EQ(ReadFile(HtmlFileName), good);
    EXPECT_EQ(d.PaneText(), pane);
    EXPECT_EQ(d.openedFiles.size(), 1u);  // only the good page was handed on

    // With room again the same button works.
    DialogCommand(d, IdHtml);
    EXPECT_EQ(d.boxes.size(), 1u);
    EXPECT_EQ(d.openedFiles.size(), 2u);
    EXPECT_EQ(ReadFile(HtmlFileName), good);
}

TEST_F(FullPaneTest, CancelledPrintLeavesEverythingUsable) {
    FillThePane();
    std::string pane = d.PaneText();
    d.SetPaneSelection(10, 500);
    d.printCancel = true;
    DialogCommand(d, IdPrint);
    EXPECT_TRUE(d.printJobs.back().events.empty());
    EXPECT_EQ(d.PaneSelectionRange().start, 10u);
    EXPECT_EQ(d.PaneSelectionRange().end, 500u);
    EXPECT_TRUE(d.boxes.empty());  // cancelling is the user's choice, not a failure

    // The results stay: printing again and saving still work.
    d.printCancel = false;
    DialogCommand(d, IdPrint);
    EXPECT_FALSE(d.printJobs.back().events.empty());
    ExpectPageHoldsThePane();
    EXPECT_EQ(d.PaneText(), pane);
}

TEST_F(FullPaneTest, AbsurdPrinterResolutionsStillPrintEveryRowInOrder) {
    // A printer driver may report any resolution; rows must never run backwards
    // or wrap around to negative positions.
    FillThePane();
    for (int dpi : {0, -300, 1, INT32_MAX}) {
        SCOPED_TRACE(dpi);
        d.printDpiX = dpi;
        d.printDpiY = dpi;
        DialogCommand(d, IdPrint);
        int drawn = 0;
        int lastY = -1;
        for (const PrintEvent& e : d.printJobs.back().events) {
            if (e.kind == PrintEvent::Kind::StartPage) lastY = -1;
            if (e.kind != PrintEvent::Kind::DrawText) continue;
            ++drawn;
            EXPECT_GE(e.x, 0);
            EXPECT_GE(e.y, lastY);
            if (dpi > 1000) {
                EXPECT_GT(e.y, lastY);  // too few pixels otherwise: rows may share one
            }
            lastY = e.y;
        }
        EXPECT_EQ(drawn, TranscriptLineCount(d));
    }
}

}  // namespace
}  // namespace kinpath::testing
