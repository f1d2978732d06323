// The dialog's start-up, the commands it takes and its placement.
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "app/MainDialog.h"
#include "app/SpokenWords.h"
#include "flow/Transcript.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath::testing {
namespace {

std::string Question(const std::string& name, const std::string& answer) {
    return "<QUESTION>\nname=" + name + "\ntext=Yes\ntext=No\n<ANSWER>\ntype=1\n" + answer +
           "</ANSWER>\n</QUESTION>\n";
}

using MainDialogTest = ProgramTest;

// The dialog's published size, 482 x 540 pixels at base units 6 x 13; no two
// of its controls, nor its timer, share an identifier.
TEST_F(MainDialogTest, TemplateHasItsSizeAndDistinctIdentifiers) {
    EXPECT_EQ(dialog.ClientRect(), (Rect{0, 0, 482, 540}));
    std::set<int> ids{IdBarTimer};
    for (const ControlTemplate& t : DialogControls) EXPECT_TRUE(ids.insert(t.id).second) << t.id;
}

TEST_F(MainDialogTest, LoadedScriptGreetsShowsTheFirstQuestionAndTakesCommands) {
    WriteScript(Question("First?", "warpts=5\n") + Question("Second?", ""));
    ASSERT_TRUE(dialog.Start());
    EXPECT_EQ(dialog.PaneText(),
              "Answer the questions.\r\nSkip any that you don't want to answer.\r\n"
              "At the end you will be given the answer!\r\n");
    EXPECT_TRUE(dialog.boxes.empty() && dialog.TimerRunning());
    // The first question comes with the window: no placeholder is ever shown.
    EXPECT_EQ(dialog.ControlText(IdQuestionText), "First?");
    EXPECT_EQ(ProgressText(dialog.driver.Shown().questionNumber, 2), "Question 1 of 2");

    // Only a choice the question offers enables OK.
    dialog.driver.Press(1008);
    dialog.driver.Press(1007);
    EXPECT_FALSE(dialog.IsControlEnabled(IdOk));
    dialog.driver.Press(IdOk);  // disabled: nothing happens
    EXPECT_EQ(dialog.ControlText(IdQuestionText), "First?");
    dialog.Click(IdChoice1);
    EXPECT_TRUE(dialog.IsControlEnabled(IdOk));
    dialog.Click(IdOk);
    EXPECT_EQ(dialog.ControlText(IdQuestionText), "Second?");
    EXPECT_TRUE(dialog.TimerTicking());  // the Warrior bar has somewhere to go
    dialog.driver.Press(IdPrint);        // not before the results
    EXPECT_TRUE(dialog.printJobs.empty());
    dialog.Click(IdSkip);
    dialog.Click(IdPrint);  // the results are shown
    EXPECT_EQ(ProgressText(dialog.driver.Shown().questionNumber, 2), "");
    EXPECT_EQ(dialog.printJobs.size(), 1u);

    dialog.Click(IdExit);
    EXPECT_TRUE(dialog.Ended() && !dialog.TimerRunning());
}

// Script errors, in order, have no owner window; the refusal belongs to the
// dialog, and the window closes once it is answered.
TEST_F(MainDialogTest, RefusedScriptShowsItsErrorsThenClosesTheWindow) {
    const Box refusal{BoxOwner::Dialog, NoScriptMessage, "Error", BoxButtons::Ok};
    for (const char* script : {"<QUESTION>\n<ANSWER>\n# note\nwrong\n</ANSWER>\n</QUESTION>\n",
                               static_cast<const char*>(nullptr)}) {
        std::filesystem::remove(Dir() / "script.txt");
        if (script) WriteScript(script);
        HeadlessDialog d;
        EXPECT_FALSE(d.Start());
        EXPECT_EQ(d.boxes,
                  (script ? std::vector<Box>{{BoxOwner::None, "Undefined symbol found, line 4",
                                              "ScriptError", BoxButtons::Ok},
                                             {BoxOwner::None, "End of script expected, line 4",
                                              "ScriptError", BoxButtons::Ok},
                                             refusal}
                          : std::vector<Box>{refusal}));
        EXPECT_EQ(d.PaneText(), "");  // no greeting promises questions that never come
        EXPECT_EQ(d.ControlText(IdQuestionText), "Static");  // the window as the template made it
        EXPECT_TRUE(d.Ended() && !d.TimerRunning());
    }
}

// Each half is truncated on its own: with odd client sizes the window sits a
// pixel right of and below where the halved difference would put it.
TEST_F(MainDialogTest, CentreWindowHalvesDesktopAndClientApart) {
    EXPECT_EQ(CentreWindow({0, 0, 1024, 768}, {0, 0, 301, 201}), (Point{512 - 150, 384 - 100}));
    EXPECT_EQ(CentreWindow({0, 0, 1023, 768}, {0, 0, 480, 200}), (Point{271, 284}));
}

// Where the focus goes, over the faces of a run: a pressed choice takes it, a
// new question puts it on its tab stop (the checked choice, else the first),
// the results on the pane; else it stays while usable and goes to the pane,
// never where Enter or Tab could not use it.
TEST_F(MainDialogTest, FocusGoesWhereTheNextKeyIsMeant) {
    WriteScript(Question("First?", "warpts=5\n") + Question("Second?", ""));
    ASSERT_TRUE(dialog.Start());
    std::vector<Screen> faces{dialog.driver.Shown()};
    for (int id : {IdChoice1 + 1, IdOk, IdSkip}) {
        dialog.Click(id);
        faces.push_back(dialog.driver.Shown());
    }
    const Screen &first = faces[0], &chosen = faces[1], &second = faces[2], &results = faces[3];
    EXPECT_EQ(std::tuple(first.focus, first.choiceTabStop), std::tuple(IdChoice1, IdChoice1));
    EXPECT_EQ(std::tuple(chosen.focus, chosen.choiceTabStop),
              std::tuple(IdChoice1 + 1, IdChoice1 + 1));
    EXPECT_EQ(std::tuple(results.focus, results.choiceTabStop), std::tuple(IdTranscript, 0));
    const auto decide = [](Screen from, int focus, const Screen& to, int pressed = 0) {
        from.focus = focus;
        return DecideFocus(from, to, pressed).focus;
    };
    for (int focus : {IdOk, IdChoice1 + 1, IdSkip, IdExit, 0})
        EXPECT_EQ(decide(chosen, focus, second), IdChoice1) << focus;
    EXPECT_EQ(decide(second, IdSkip, second), IdSkip);
    EXPECT_EQ(decide(second, 0, second), 0);
    EXPECT_EQ(decide(second, IdOk, second), IdTranscript);           // OK waits for a choice
    EXPECT_EQ(decide(first, IdSkip, first, IdChoice1 + 2), IdSkip);  // no third choice
    EXPECT_EQ(decide(second, IdExit, results), IdTranscript);
    EXPECT_EQ(decide(results, IdPrint, results), IdPrint);
    for (Screen focused : faces)
        for (const Screen& to : faces)
            for (const ControlTemplate& t : DialogControls)
                for (int pressed : {0, IdChoice1 + 1}) {
                    focused.focus = t.id;
                    const FocusPlace place = DecideFocus(focused, to, pressed);
                    EXPECT_TRUE(place.focus == 0 || to.Usable(place.focus)) << t.id;
                    EXPECT_TRUE(place.choiceTabStop == 0 || to.Usable(place.choiceTabStop));
                }
}

}  // namespace
}  // namespace kinpath::testing
