// Stepping through the questions in the real window, recording choices, the
// results layout, the closing report in every recap mode, and a run without
// its pane.
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "flow/Run.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "window/ControlIds.h"

using namespace kinpath;
using kinpath::testing::Has;
using kinpath::testing::HeadlessDialog;
using kinpath::testing::LoadedScript;

namespace {

// Pane texts are written with '|' for each line break.
std::string Pane(const std::string& lines) {
    return std::regex_replace(lines, std::regex("\\|"), "\r\n");
}

const std::string Rule(77, '-');
const std::string Pick =
    "It appears that the best race for you is Dwarf|and the best class is Paladin!|";
const std::string Thanks = "  |Thank you for using Kinpath!|";
const std::string ZeroClasses =
    "Paladin: 0|Cleric: 0|Druid: 0|Enchanter: 0|Magician: 0|Monk: 0|Necromancer: 0|Bard: 0|"
    "Ranger: 0|Rogue: 0|Shadow Knight: 0|Shaman: 0|Warrior: 0|Wizard: 0|";

std::string FullReport(const std::string& analysis, const std::string& classes) {
    return Pane(Pick + " | |" + Rule + "|                            Answer Analysis    |" + Rule +
                "|" + analysis + Rule + "|                            Point Distribution    |" +
                Rule +
                "|Halfling: 0|Dark Elf: 0|Dwarf: 0|Erudite: 0|Gnome: 0|Half Elf: 0|Barbarian: 0|"
                "High Elf: 0|Human: 0|Iksar: 0|Ogre: 0|Troll: 0|Wood Elf: 0| |" +
                classes + Thanks);
}

std::string Question(const std::string& name, const std::vector<std::string>& choices,
                     const std::string& answers = "") {
    std::string text = "<QUESTION>\n" + (name.empty() ? "" : "name=" + name + "\n");
    for (const std::string& c : choices) text += "text=" + c + "\n";
    return text + answers + "</QUESTION>\n";
}

std::string Answer(const std::string& type, const std::string& keys) {
    return "<ANSWER>\ntype=" + type + "\n" + keys + "</ANSWER>\n";
}

// The first answer explains itself and takes a point from Bard; the second
// has no explanation; the third question is skipped.
const std::string ThreeQuestions =
    Question("First?", {"Yes", "No"},
             Answer("yes", "explanationtext=You said yes.\nbardpts=-1\n") + Answer("no", "")) +
    Question("Second?", {"A", "B"}, Answer("1", "")) +
    Question("Third?", {"C"}, Answer("1", "explanationtext=Never shown.\n"));

// A box as one line: text, caption, buttons and owner.
std::string Box(const kinpath::testing::RecordedBox& b) {
    return b.text + " / " + b.caption + (b.buttons == BoxButtons::Ok ? " [OK]" : " [Yes/No]") +
           (b.owner == BoxOwner::Dialog ? " owned" : "");
}

// Notes what the window showed when a box came up.
class AskingDialog : public HeadlessDialog {
public:
    void DrawBox(const kinpath::Box* box) override {
        if (box != nullptr) {
            paneAtBox = PaneText();
            resultsLayoutAtBox = !IsControlVisible(IdQuestionText) && IsControlEnabled(IdPrint) &&
                                 driver.Shown().layout == Layout::Results;
        }
        HeadlessDialog::DrawBox(box);
    }
    std::string paneAtBox;
    bool resultsLayoutAtBox = false;
};

class QuestionFlowTest : public kinpath::testing::ProgramTest {};

// What a question shows (OK and the turn to the next are main_dialog_test's).
TEST_F(QuestionFlowTest, QuestionsShowAtMostEightChoices) {
    std::vector<std::string> ten;
    for (int i = 1; i <= 10; ++i) ten.push_back("c" + std::to_string(i));
    ASSERT_TRUE(Start(Question("Pick one", ten) + Question("Next", {"Yes", "No"}) +
                      Question("", {}) + Question("Caf\xE9?", {"Oui"})));
    EXPECT_EQ(dialog.ControlText(IdQuestionText), "Pick one");  // not taken by a ninth choice
    for (int k = 0; k < 8; ++k) EXPECT_EQ(dialog.ControlText(IdChoice1 + k), ten[k]);
    dialog.Click(IdChoice1 + 7);
    dialog.Click(IdSkip);
    EXPECT_EQ(dialog.ControlText(IdChoice1 + 1) + dialog.ControlText(IdChoice1 + 2), "No");
    EXPECT_TRUE(dialog.IsControlEnabled(IdChoice1 + 1) && !dialog.IsControlEnabled(IdChoice1 + 2));
    EXPECT_FALSE(dialog.IsChecked(IdChoice1 + 7) || dialog.IsControlEnabled(IdOk));
    dialog.Click(IdSkip);  // no name, no choices: an empty question
    EXPECT_TRUE(dialog.IsControlVisible(IdQuestionText) && !dialog.IsControlEnabled(IdChoice1));
    dialog.Click(IdSkip);
    EXPECT_EQ(dialog.ControlText(IdQuestionText), "Caf\xC3\xA9?");  // Windows-1252 shown as UTF-8
}

// OK records the checked choice's answer, or puts up the "no answer" box and
// goes on once it is dismissed.
TEST(RunTest, RecordingTheCheckedChoice) {
    const std::string q =
        Question("Q", {"A", "B", "C", "D"},
                 Answer("1", "wizpts=1\n") + Answer("2", "wizpts=2\n") + Answer("3", "wizpts=3\n"));
    kinpath::Run run(LoadedScript(q + q + q + Question("Next", {"x"})));
    for (const int choice : {2, 3, 4}) {
        run.Apply(ChooseEvent(choice));
        run.Apply({EventKind::Ok});
    }
    ASSERT_TRUE(run.BoxWaiting());
    EXPECT_EQ(Box(run.State().boxes[0].box),
              "Unable to find the proper answer data for that answer / Error [OK] owned");
    EXPECT_EQ(run.QuestionIndex(), 2u);
    run.Apply(AnswerEvent(BoxResult::Ok));
    EXPECT_EQ(run.QuestionIndex(), 3u);
    EXPECT_EQ(run.Scores().AnsweredList(), (std::vector<std::uint32_t>{1, 5}));
    EXPECT_EQ(run.Scores().PointTotals()[SlotWizard], 5);
}

// Each case answers 1, 1 and skips (or skips everything, a choice checked each
// time), then reads the results layout and the pane.
TEST_F(QuestionFlowTest, TheEndInEveryRecapMode) {
    auto final = [](const char* recap) {
        return ThreeQuestions + "<FINAL>\nrecap=" + recap + "\n</FINAL>\n";
    };
    const std::string
        brief = Pane(Pick + Thanks),
        raceFirst = Pane(
            "It appears that the best race for you is Halfling|and the best class is Cleric!|" +
            Thanks);
    const std::string answered =
        FullReport("You said yes.|||",
                   std::regex_replace(ZeroClasses, std::regex("Bard: 0\\|"), "") + "Bard: -1|");
    struct Case {
        std::string script;
        bool answer;
        std::vector<BoxResult> replies;  // a recap question is asked when given
        std::string pane;
    } const cases[] = {
        {"", false, {}, FullReport("", ZeroClasses)},
        {ThreeQuestions, false, {}, FullReport("", ZeroClasses)},  // no FINAL block: recap
        {final("yes"), true, {}, answered},
        {final("no"), true, {}, brief},
        {"<SETTINGS>\npreference=raceoverclass\n</SETTINGS>\n" + final("no"), false, {}, raceFirst},
        {final("ask"), true, {BoxResult::Yes}, answered},
        {final("ask"), true, {BoxResult::No}, brief},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script.substr(c.script.size() > 20 ? c.script.size() - 20 : 0));
        AskingDialog d;
        d.yesNoAnswers.assign(c.replies.begin(), c.replies.end());
        WriteScript(c.script);
        ASSERT_TRUE(d.Start());
        for (int step = 0; !d.Scores().QuestionsFinished(); ++step) {
            d.Click(IdChoice1);
            d.Click(c.answer && step < 2 ? IdOk : IdSkip);
        }
        EXPECT_EQ(d.Scores().CurrentQuestion(), nullptr);
        for (int id = IdOk; id < 1066; ++id) {
            const bool shown = id <= IdSkip || id == IdTranscript || id == IdPrint || id == IdHtml;
            EXPECT_TRUE(d.IsControlVisible(id) == shown && !d.IsChecked(id)) << id;
        }
        EXPECT_FALSE(d.IsControlEnabled(IdOk) || d.IsControlEnabled(IdSkip));
        EXPECT_TRUE(d.IsControlEnabled(IdPrint) && d.IsControlEnabled(IdHtml));
        const Rect client = d.ClientRect();
        EXPECT_EQ(ResultsPaneRect(client),
                  (Rect{10, 10, client.Width() - 10, client.Height() - 45}));
        EXPECT_EQ(std::tuple(d.driver.Shown().layout, d.PaneText()),
                  std::tuple(Layout::Results, c.pane));
        // The verdict comes with the results, the pick described (its reasons are proved in
        // scoring/).
        const std::optional<Verdict>& verdict = d.driver.Shown().verdict;
        ASSERT_TRUE(verdict && !verdict->reasons.empty());
        EXPECT_EQ(verdict->races.size() + verdict->classes.size() + verdict->about.size(), 29u);
        EXPECT_TRUE(
            Has(c.pane, verdict->race + "\r\nand the best class is " + verdict->className + "!"));
        ASSERT_EQ(d.boxes.size(), c.replies.size());
        if (!c.replies.empty()) {
            EXPECT_EQ(Box(d.boxes[0]),
                      "Would you like to review the results? / Output results? [Yes/No] owned");
            EXPECT_TRUE(d.paneAtBox == Pane(Pick) && d.resultsLayoutAtBox);  // once the pick shows
        }
    }
}

// Two equal boxes in a row are two boxes: the screen changes when the first
// is answered, so a window draws the second.
TEST(RunTest, EqualBoxesInARowAreTwoBoxes) {
    const kinpath::Box box{BoxOwner::None, "Undefined symbol found, line 4", "ScriptError",
                           BoxButtons::Ok};
    kinpath::Run run(std::vector<kinpath::Box>{box, box});
    const Screen first = run.Render();
    run.Apply(AnswerEvent(BoxResult::Ok));
    EXPECT_TRUE(first.box == box && run.Render().box == box && first != run.Render());
    EXPECT_EQ(run.Apply(AnswerEvent(BoxResult::Ok)).effect, Effect::End);
}

// A run that keeps no pane text is the same run: every event is taken or
// refused alike, and every screen is the same but for the empty pane. And a
// run is its events: replayed from them, it is the same run.
TEST_F(QuestionFlowTest, ARunWithoutItsPaneIsTheSameRun) {
    const std::string scripts[] = {ReadFile(std::string(KINPATH_EXAMPLES_DIR) + "/script.txt"),
                                   ThreeQuestions + "<FINAL>\nrecap=ask\n</FINAL>\n"};
    std::mt19937 random(3);
    for (const std::string& script : scripts) {
        const auto document = LoadedScript(script);
        for (int round = 0; round < 10; ++round) {
            kinpath::Run kept(document), dropped(document, TranscriptKept::No);
            for (int step = 0; step < 200; ++step) {
                const Event events[] = {ChooseEvent(1 + static_cast<int>(random() % 9)),
                                        {EventKind::Ok},
                                        {EventKind::Skip},
                                        AnswerEvent(static_cast<BoxResult>(random() % 3))};
                const Event event = events[random() % 4];
                const Step a = kept.Apply(event), b = dropped.Apply(event);
                ASSERT_TRUE(a.accepted == b.accepted && a.effect == b.effect);
                Screen shown = kept.Render();
                EXPECT_FALSE(std::exchange(shown.pane, "").empty());
                ASSERT_EQ(dropped.Render(), shown) << step;
                ASSERT_EQ(dropped.BarTargets(), kept.BarTargets());
                ASSERT_TRUE(step % 10 || kinpath::Run::Replay(document, kept.Events()) == kept);
            }
            EXPECT_EQ(dropped.Events(), kept.Events());
        }
    }
}

}  // namespace

// A declared game speaks its own words from greeting to closing: the caption,
// a bar and label for each of its rows only (named as it names them), the
// pick in its words, its rows in the report; a game of one table names its
// best row alone.
TEST_F(QuestionFlowTest, ADeclaredGameSpeaksItsOwnWords) {
    const std::string game =
        "<GAME>\ntitle=Ember Coast\nfirst=ancestry\nsecond=calling\ngreeting=Ahoy!\n"
        "closing=Fair winds!\n</GAME>\n<RACE>\nname=Saltborn\nabout=Salt.\nkey=saltpts=\n</RACE>\n"
        "<RACE>\nname=Cindrel\nkey=cindpts=\n</RACE>\n";
    const std::string points = "cindpts=9\nsaltpts=5\n";
    ASSERT_TRUE(Start(game + "<CLASS>\nname=Corsair\nkey=corpts=\nwith=saltborn\n</CLASS>\n" +
                      Question("Storm?", {"Sail"}, Answer("1", points + "corpts=3\n"))));
    EXPECT_EQ(dialog.driver.Shown().caption, "Ember Coast");
    EXPECT_EQ(dialog.PaneText(), Pane("Ahoy!|"));
    for (int b = 0; b < BarCount; ++b) {
        const bool shown = b < 2 || b == RaceRowCount;
        EXPECT_EQ(dialog.IsControlVisible(IdFirstBar + b), shown) << b;
        EXPECT_EQ(dialog.IsControlVisible(IdFirstLabel + b), shown) << b;
    }
    EXPECT_EQ(
        dialog.ControlText(IdFirstLabel + 1) + dialog.ControlText(IdFirstLabel + RaceRowCount),
        "CindrelCorsair");
    dialog.Click(IdChoice1);
    dialog.Click(IdOk);
    // Cindrel leads but goes with no calling: class over race takes Corsair's.
    EXPECT_EQ(dialog.PaneText(),
              Pane("It appears that the best ancestry for you is Saltborn|and the best calling is "
                   "Corsair!| | |" +
                   Rule + "|                            Answer Analysis    |" + Rule + "||" + Rule +
                   "|                            Point Distribution    |" + Rule +
                   "|Cindrel: 9|Saltborn: 5| |Corsair: 3|  |Fair winds!|"));
    ASSERT_TRUE(dialog.driver.Shown().verdict);
    EXPECT_EQ(dialog.driver.Shown().verdict->words[1], "calling");
    // What the game says of its rows (Corsair nothing) and why, in the player's words.
    EXPECT_EQ(dialog.driver.Shown().verdict->about, std::vector<std::string>{"Saltborn: Salt."});
    EXPECT_EQ(dialog.driver.Shown().verdict->reasons[0], "You said \"Sail\": +3 Corsair.");

    // A game of no rows retitles the built-in one.
    ASSERT_TRUE(Start("<GAME>\ntitle=Retitled\n</GAME>\n" + ThreeQuestions));
    dialog.Click(IdSkip), dialog.Click(IdSkip), dialog.Click(IdSkip);
    EXPECT_EQ(dialog.driver.Shown().caption + dialog.PaneText().substr(0, 46),
              "RetitledIt appears that the best race for you is Dwarf");

    ASSERT_TRUE(Start(game + Question("Storm?", {"Sail"}, Answer("1", points))));  // one table
    dialog.Click(IdChoice1);
    dialog.Click(IdOk);
    EXPECT_EQ(dialog.PaneText().substr(0, 55),
              Pane("It appears that the best ancestry for you is Cindrel!|"));
    EXPECT_TRUE(Has(dialog.PaneText(), Pane("Saltborn: 5|  |Fair")));
    EXPECT_EQ(dialog.driver.Shown().verdict->reasons.back(),
              "Saltborn was the runner-up, 4 points behind Cindrel.");
}
