#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "flow/QuestionFlow.h"
#include "flow/Transcript.h"
#include "script/ScriptDocument.h"
#include "window/ControlIds.h"
#include "app/MainDialog.h"

namespace kinpath {
namespace {

using testing::HeadlessDialog;

const std::string Rule(77, '-');
const std::vector<std::string> ZeroRaceRows = {
    "Halfling: 0", "Dark Elf: 0", "Dwarf: 0", "Erudite: 0", "Gnome: 0",
    "Half Elf: 0", "Barbarian: 0", "High Elf: 0", "Human: 0", "Iksar: 0",
    "Ogre: 0",     "Troll: 0",    "Wood Elf: 0"};
const std::vector<std::string> ZeroClassRows = {
    "Paladin: 0", "Cleric: 0",        "Druid: 0",  "Enchanter: 0", "Magician: 0",
    "Monk: 0",    "Necromancer: 0",   "Bard: 0",   "Ranger: 0",    "Rogue: 0",
    "Shadow Knight: 0", "Shaman: 0", "Warrior: 0", "Wizard: 0"};

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// The pane's text with the full report around the given analysis lines.
std::string FullReport(const std::string& pick, const std::vector<std::string>& analysis,
                       const std::vector<std::string>& races,
                       const std::vector<std::string>& classes) {
    std::vector<std::string> lines = {pick, " ", " ", Rule, "                            Answer Analysis    ", Rule};
    lines.insert(lines.end(), analysis.begin(), analysis.end());
    lines.insert(lines.end(), {Rule, "                            Point Distribution    ", Rule});
    lines.insert(lines.end(), races.begin(), races.end());
    lines.push_back(" ");
    lines.insert(lines.end(), classes.begin(), classes.end());
    lines.insert(lines.end(), {"  ", "Thank you for using Kinpath!"});
    return Lines(lines);
}

// The class rows after ThreeQuestions' first answer.
std::vector<std::string> BardLast() {
    std::vector<std::string> classes = ZeroClassRows;
    classes.erase(classes.begin() + 7);
    classes.push_back("Bard: -1");
    return classes;
}

const std::string DwarfPaladin =
    "It appears that the best race for you is Dwarf\r\nand the best class is Paladin!";

std::string Question(const std::string& name, const std::vector<std::string>& choices,
                     const std::string& answers = "") {
    std::string text = "<QUESTION>\n";
    if (!name.empty()) text += "name=" + name + "\n";
    for (const std::string& c : choices) text += "text=" + c + "\n";
    return text + answers + "</QUESTION>\n";
}

std::string Final(const std::string& recap) { return "<FINAL>\nrecap=" + recap + "\n</FINAL>\n"; }

// Three questions: the first answer carries an explanation and Bard -1, the
// second answer has no explanation, the third question is skipped.
const std::string ThreeQuestions =
    Question("First?", {"Yes", "No"},
             "<ANSWER>\ntype=yes\nexplanationtext=You said yes.\nbardpts=-1\n</ANSWER>\n"
             "<ANSWER>\ntype=no\n</ANSWER>\n") +
    Question("Second?", {"A", "B"}, "<ANSWER>\ntype=1\n</ANSWER>\n") +
    Question("Third?", {"C"}, "<ANSWER>\ntype=1\nexplanationtext=Never shown.\n</ANSWER>\n");

class QuestionFlowTest : public testing::ProgramTest {
protected:
    // Loads the script and runs the start-up with its posted first OK.
    void Start(const std::string& script) {
        WriteScript(script);
        DialogInit(d);
        d.DispatchPosted();
    }
    void Answer(int choice) {
        d.Click(IdChoice1 + choice - 1);
        d.Click(IdOk);
    }
    void AnswerThreeQuestions() {
        Answer(1);
        Answer(1);
        d.Click(IdSkip);
    }
    HeadlessDialog d;
};

TEST_F(QuestionFlowTest, FirstStepShowsTheFirstQuestionUnderTheGreeting) {
    Start(ThreeQuestions);
    EXPECT_EQ(CurrentQuestion, TheScriptDocument.questions[0].get());
    EXPECT_EQ(QuestionCursor, 0u);
    EXPECT_EQ(QuestionsFinished, 0);
    EXPECT_TRUE(d.IsControlVisible(IdQuestionText));
    EXPECT_EQ(d.ControlText(IdQuestionText), "First?");
    EXPECT_EQ(TranscriptLineCount(d), 4);
    EXPECT_EQ(ReadTranscriptLine(d, 0).text, "Answer the questions.");
}

TEST_F(QuestionFlowTest, TwoChoicesLeaveTheOtherSixEmptyAndDisabled) {
    Start(Question("Pick one", {"One", "Two", "Three"}) + Question("Next", {"Yes", "No"}));
    d.Click(IdChoice1 + 2);
    ASSERT_TRUE(d.IsChecked(IdChoice1 + 2));
    d.Click(IdSkip);

    EXPECT_EQ(d.ControlText(IdQuestionText), "Next");
    EXPECT_EQ(d.ControlText(IdChoice1), "Yes");
    EXPECT_EQ(d.ControlText(IdChoice1 + 1), "No");
    for (int k = 0; k < 2; ++k) {
        EXPECT_TRUE(d.IsControlEnabled(IdChoice1 + k));
        EXPECT_TRUE(d.IsControlVisible(IdChoice1 + k));
        EXPECT_FALSE(d.IsChecked(IdChoice1 + k));
    }
    for (int k = 2; k < ChoiceCount; ++k) {
        int id = IdChoice1 + k;
        EXPECT_TRUE(d.IsControlVisible(id)) << id;
        EXPECT_FALSE(d.IsControlEnabled(id)) << id;
        EXPECT_EQ(d.ControlText(id), "") << id;
        EXPECT_FALSE(d.IsChecked(id)) << id;
    }
    EXPECT_FALSE(d.IsControlEnabled(IdOk));
    d.Click(IdChoice1 + 1);
    EXPECT_TRUE(d.IsControlEnabled(IdOk));
}

TEST_F(QuestionFlowTest, QuestionWithoutNameOrChoicesShowsAnEmptyUsableText) {
    Start(Question("", {}) + Question("Caf\xE9?", {"Oui"}));
    EXPECT_TRUE(d.IsControlVisible(IdQuestionText));
    EXPECT_EQ(d.ControlText(IdQuestionText), "");
    EXPECT_FALSE(d.IsControlEnabled(IdChoice1));
    d.Click(IdSkip);
    // Windows-1252 script text reaches the control as UTF-8.
    EXPECT_EQ(d.ControlText(IdQuestionText), "Caf\xC3\xA9?");
}

TEST_F(QuestionFlowTest, ShowControlTextIgnoresMissingControls) {
    Start(Question("Q", {"A"}));
    int repaints = d.RepaintCount();
    ShowControlText(d, 4242, "nowhere");
    EXPECT_EQ(d.RepaintCount(), repaints);
    ShowControlText(d, IdChoice1 + 5, nullptr);
    EXPECT_TRUE(d.IsControlEnabled(IdChoice1 + 5));
    EXPECT_EQ(d.ControlText(IdChoice1 + 5), "");
}

TEST_F(QuestionFlowTest, ResultsLayoutHidesTheQuestionScreenAndGrowsThePane) {
    Start(Question("Q", {"A", "B"}));
    d.Click(IdChoice1 + 1);
    d.Click(IdSkip);

    EXPECT_EQ(CurrentQuestion, nullptr);
    EXPECT_EQ(QuestionsFinished, 1);
    EXPECT_FALSE(d.IsControlVisible(IdQuestionText));
    for (int k = 0; k < ChoiceCount; ++k) {
        EXPECT_FALSE(d.IsControlVisible(IdChoice1 + k));
        EXPECT_FALSE(d.IsChecked(IdChoice1 + k));
    }
    for (int k = 0; k < BarCount; ++k) {
        EXPECT_FALSE(d.IsControlVisible(IdFirstBar + k));
        EXPECT_FALSE(d.IsControlVisible(IdFirstLabel + k));
    }
    for (int id : {IdOk, IdSkip}) {
        EXPECT_TRUE(d.IsControlVisible(id));
        EXPECT_FALSE(d.IsControlEnabled(id));
    }
    for (int id : {IdExit, IdPrint, IdHtml}) {
        EXPECT_TRUE(d.IsControlVisible(id));
        EXPECT_TRUE(d.IsControlEnabled(id));
    }
    Rect client = d.ClientRect();
    EXPECT_EQ(d.ControlRect(IdTranscript), (Rect{10, 10, client.right - 10, client.bottom - 45}));
}

// The report layouts. ThreeQuestions answered: the answer without explanation
// gives only its empty line, the skipped question nothing; Bard sorts last.
TEST_F(QuestionFlowTest, ReportLayouts) {
    const std::string recapNo = Lines({DwarfPaladin, "  ", "Thank you for using Kinpath!"});
    const std::string allZero = FullReport(DwarfPaladin, {}, ZeroRaceRows, ZeroClassRows);
    struct Case {
        const char* what;
        std::string script;
        bool answer;  // answer 1, 1 and skip; else skip everything
        std::string pane;
    };
    const Case cases[] = {
        {"no questions", "", false, allZero},
        {"recap yes", ThreeQuestions + Final("yes"), true,
         FullReport(DwarfPaladin, {"You said yes.", "", ""}, ZeroRaceRows, BardLast())},
        {"no FINAL block, all skipped", ThreeQuestions, false, allZero},
        {"recap no", ThreeQuestions + Final("no"), true, recapNo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetProgramState();
        d = HeadlessDialog();
        Start(c.script);
        while (!QuestionsFinished) {
            if (c.answer && CurrentQuestion != TheScriptDocument.questions.back().get()) Answer(1);
            else d.Click(IdSkip);
        }
        EXPECT_FALSE(d.IsControlVisible(IdQuestionText));
        EXPECT_EQ(d.PaneText(), c.pane);
        EXPECT_TRUE(d.boxes.empty());
    }
}

// Records what the window showed while the recap question was open.
class AskingDialog : public HeadlessDialog {
public:
    BoxResult MessageBox(BoxOwner owner, std::string_view text, std::string_view caption,
                         BoxButtons buttons) override {
        paneAtBox = PaneText();
        resultsLayoutAtBox = !IsControlVisible(IdQuestionText) && IsControlEnabled(IdPrint) &&
                             !IsControlEnabled(IdOk);
        return HeadlessDialog::MessageBox(owner, text, caption, buttons);
    }
    std::string paneAtBox;
    bool resultsLayoutAtBox = false;
};

class RecapAskTest : public QuestionFlowTest, public ::testing::WithParamInterface<BoxResult> {
protected:
    AskingDialog d;
};

TEST_P(RecapAskTest, AsksOnceThePickIsShownAndFollowsTheAnswer) {
    d.yesNoAnswers.push_back(GetParam());
    WriteScript(ThreeQuestions + Final("ask"));
    DialogInit(d);
    d.DispatchPosted();
    d.Click(IdChoice1);
    d.Click(IdOk);
    d.Click(IdSkip);
    d.Click(IdSkip);

    ASSERT_EQ(d.boxes.size(), 1u);
    EXPECT_EQ(d.boxes[0].owner, BoxOwner::Dialog);
    EXPECT_EQ(d.boxes[0].text, "Would you like to review the results?");
    EXPECT_EQ(d.boxes[0].caption, "Output results?");
    EXPECT_EQ(d.boxes[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(d.paneAtBox, Lines({DwarfPaladin}));
    EXPECT_TRUE(d.resultsLayoutAtBox);

    if (GetParam() == BoxResult::Yes) {
        EXPECT_EQ(d.PaneText(), FullReport(DwarfPaladin, {"You said yes.", ""}, ZeroRaceRows, BardLast()));
    } else {
        EXPECT_EQ(d.PaneText(), Lines({DwarfPaladin, "  ", "Thank you for using Kinpath!"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, RecapAskTest, ::testing::Values(BoxResult::Yes, BoxResult::No),
                         [](const auto& info) {
                             return info.param == BoxResult::Yes ? "Yes" : "No";
                         });

TEST_F(QuestionFlowTest, StepAfterTheEndWritesTheResultsAgain) {
    Start(Final("no"));
    NextQuestion(d);
    // Cleared first: one pick sentence and one closing, not two.
    EXPECT_EQ(TranscriptLineCount(d), 5);
    EXPECT_EQ(ReadTranscriptLine(d, 3).text, "Thank you for using Kinpath!");
    EXPECT_EQ(QuestionsFinished, 1);
}

TEST_F(QuestionFlowTest, NullEntriesInTheAnsweredListArePassedOver) {
    Start(ThreeQuestions + Final("no"));
    AnswerThreeQuestions();
    const AnswerBlock* first = TheScriptDocument.questions[0]->answers[0].get();
    AnsweredList = {nullptr, first, nullptr};
    TheScriptDocument.final->RecapMode = 0;
    ClearTranscript(d);
    WriteReport(d);
    EXPECT_EQ(ReadTranscriptLine(d, 5).text, "You said yes.");
    EXPECT_EQ(ReadTranscriptLine(d, 6).text, "");
    EXPECT_EQ(ReadTranscriptLine(d, 7).text, Rule);
}

TEST_F(QuestionFlowTest, OversizedReportStopsExactlyAtThePaneCapacity) {
    std::string script;
    std::string explanation(200, 'e');
    for (int i = 0; i < 300; ++i) {
        script += Question("Q", {"A"},
                           "<ANSWER>\ntype=1\nexplanationtext=" + explanation + "\n</ANSWER>\n");
    }
    Start(script);
    for (int i = 0; i < 300; ++i) Answer(1);
    ASSERT_EQ(QuestionsFinished, 1);
    EXPECT_EQ(d.PaneLength(), TranscriptCapacity);
    EXPECT_EQ(ReadTranscriptLine(d, 0).text, "It appears that the best race for you is Dwarf");
}

}  // namespace
}  // namespace kinpath
