// The window driver: the bar timer's pace, its sleep while no tick would show,
// the ticks it catches up on before an event, the end of the run, and the
// features a run kept as a value brings: Back, travel along its log, resuming,
// and a preview that keeps its place when the script changes.
#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/HtmlExport.h"
#include "app/Keys.h"
#include "flow/BarAnimation.h"
#include "flow/RunLog.h"
#include "script/PointSlot.h"
#include "window/ControlIds.h"

namespace kinpath::testing {
namespace {

using WindowDriverTest = ProgramTest;

// One step of a player: a choice and OK, or Skip (0).
void Step(HeadlessDialog& d, int choice) {
    if (choice == 0) return d.Click(IdSkip);
    d.Click(IdChoice1 + choice - 1);
    d.Click(IdOk);
}

// Question n, whose first answer gives the Wizard that many points.
std::string Question(int n, int points = 1) {
    return "<QUESTION>\nname=Q" + std::to_string(n) +
           "\ntext=a\ntext=b\n<ANSWER>\ntype=1\nwizpts=" + std::to_string(points) +
           "\n</ANSWER>\n<ANSWER>\ntype=2\n</ANSWER>\n</QUESTION>\n";
}

TEST_F(WindowDriverTest, SleepingBarsCatchUpOnTheTicksTheyMissed) {
    WriteScript(
        "<QUESTION>\nname=Far\ntext=Up\n<ANSWER>\ntype=1\nwizpts=150\n</ANSWER>\n</QUESTION>\n"
        "<QUESTION>\nname=Near\ntext=Same\ntext=Down\n<ANSWER>\ntype=1\n</ANSWER>\n"
        "<ANSWER>\ntype=2\nwizpts=-120\n</ANSWER>\n</QUESTION>\n");
    TestClock clock;
    clock.now = 1000;
    HeadlessDialog window(&clock);
    ASSERT_TRUE(window.Start());
    // At rest nothing ticks; 1 ms is asked for, and ticks come no sooner than every 15 ms.
    EXPECT_TRUE(!window.TimerTicking() && window.ticksStarted == 0);
    Step(window, 1);
    EXPECT_EQ(window.driver.TimerIntervalMs(), 15);
    // The reference bars tick by hand, every tick, as a timer that never sleeps would.
    BarState reference;
    const PointValues& totals = window.Scores().PointTotals();
    const auto referenceTicks = [&](int ticks) {
        for (int t = 0; t < ticks; ++t) AnimateBars(reference, totals);
    };
    // Past 100 the Wizard bar shows full on its way to 150: the timer sleeps.
    int ticks = 0;
    for (; window.TimerTicking() && ticks < 1000; ++ticks) window.Tick();
    referenceTicks(ticks);
    EXPECT_EQ(window.driver.Bars().BarShown, reference.BarShown);
    ASSERT_GE(window.driver.Bars().BarShown[SlotWizard], 100);
    ASSERT_LT(window.driver.Bars().BarShown[SlotWizard], 150);

    // A late tick of the stopped timer changes nothing. An event after 7.2
    // ticks of sleep finds the bars 7 ticks on; after 5 more, 5 more: only
    // ticks not yet caught up on count.
    window.Tick();
    for (int slept : {7, 5, 60}) {
        clock.now += slept * 15 + 3;
        window.Click(IdChoice1);
        referenceTicks(slept);
        EXPECT_EQ(window.driver.Bars().BarShown, reference.BarShown);
        EXPECT_EQ(window.driver.Bars().BarTarget, reference.BarTarget);
        EXPECT_FALSE(window.TimerTicking());
    }
    // Points taken away bring the bar back into sight: the timer wakes.
    Step(window, 2);
    EXPECT_TRUE(window.TimerTicking());
}

TEST_F(WindowDriverTest, TheRunEndsOnceAndNothingReachesItAfter) {
    ASSERT_TRUE(Start(Question(1)));
    dialog.driver.Close();
    EXPECT_TRUE(dialog.Ended() && !dialog.TimerTicking() && !dialog.TimerRunning());
    Step(dialog, 1);
    dialog.driver.Feed({EventKind::Ok});
    dialog.Tick();
    EXPECT_FALSE(dialog.driver.Back());
    EXPECT_EQ(session().AnsweredList().size(), 0u);
}

TEST_F(WindowDriverTest, APrintAnsweredLaterPrintsTheSamePagesAndInputWaitsForIt) {
    ASSERT_TRUE(Start(Question(1) + Question(2)));
    Step(dialog, 1);
    Step(dialog, 0);
    dialog.Click(IdPrint);  // answered at once, from inside the asking; nothing selected
    dialog.driver.Selected({3, 9});
    dialog.printSelection = true;
    dialog.printFailsAt = PrintEvent::Kind::EndDocument;  // at its last step
    dialog.Click(IdPrint);
    const auto& jobs = dialog.printJobs;
    EXPECT_TRUE(!jobs.at(0).selectionOffered && jobs.at(1).selectionOffered);
    EXPECT_EQ(jobs.at(1).events.size(), 6u);  // the one line the selection touches
    EXPECT_EQ(dialog.boxes.at(0).text, "Could not print the results");

    dialog.printLater = true;
    dialog.printFailsAt.reset();
    dialog.Click(IdPrint);
    ASSERT_TRUE(dialog.printAsked.has_value());
    dialog.Click(IdPrint);  // waits for the dialog's answer, and so do Exit and Back
    dialog.driver.Close();
    EXPECT_FALSE(dialog.Ended() || dialog.driver.Back() || dialog.driver.TravelTo(0));
    dialog.AnswerPrint();  // the second Print asks in its turn, Exit still waits
    EXPECT_TRUE(dialog.printAsked.has_value() && !dialog.Ended());
    dialog.AnswerPrint();
    EXPECT_TRUE(jobs.at(3).events == jobs[1].events && jobs[2].events == jobs[1].events);
    EXPECT_TRUE(dialog.Ended());
    dialog.AnswerPrint();  // an answer nobody asked for prints nothing
    EXPECT_TRUE(jobs.back().events.empty());
}

// A script of random questions: some with answers for every choice, some with
// gaps (the "no answer" box), with or without a recap question at the end.
std::string RandomScript(std::mt19937& random) {
    const auto n = [](auto v) { return std::to_string(v); };
    std::string script;
    for (int q = 0, questions = 1 + static_cast<int>(random() % 6); q < questions; ++q) {
        script += "<QUESTION>\nname=Q" + n(q) + "\n";
        const int choices = static_cast<int>(random() % 4);
        for (int c = 1; c <= choices; ++c) script += "text=c" + n(c) + "\n";
        for (int c = 1; c <= choices; ++c)
            if (random() % 5 != 0)
                script += "<ANSWER>\ntype=" + n(c) + "\nexplanationtext=q" + n(q) + "c" + n(c) +
                          "\nwizpts=" + n(static_cast<int>(random() % 40) - 10) +
                          "\nbarbpts=" + n(random() % 30) + "\n</ANSWER>\n";
        script += "</QUESTION>\n";
    }
    if (random() % 2) script += "<FINAL>\nrecap=ask\n</FINAL>\n";
    return script;
}

TEST_F(WindowDriverTest, BackThenAnsweringAgainSavesThePageOfAStraightRun) {
    std::mt19937 random(24);
    const std::string sample = ReadFile(std::string(KINPATH_EXAMPLES_DIR) + "/script.txt");
    for (int round = 0; round < 60; ++round) {
        WriteScript(round < 10 ? sample : RandomScript(random));
        HeadlessDialog wandering, straight;
        for (HeadlessDialog* d : {&wandering, &straight}) d->yesNoAnswers.assign(8, BoxResult::Yes);
        ASSERT_TRUE(wandering.Start() && straight.Start());
        // The player's answers so far, each kept until taken back.
        std::vector<int> answers;
        for (int move = 0; move < 400 && !wandering.Scores().QuestionsFinished(); ++move) {
            const Session& at = wandering.Scores();
            const auto usable = at.Document().OfferedChoices(*at.CurrentQuestion()).size();
            if (!answers.empty() && random() % 3 == 0) {
                ASSERT_TRUE(wandering.driver.Back());
                answers.pop_back();
                // Back is instant: the bars stand still where the answers leave them.
                EXPECT_TRUE(BarsAtRest(wandering.driver.Bars(), wandering.Scores().PointTotals()));
                continue;
            }
            answers.push_back(static_cast<int>(random() % (usable + 1)));
            Step(wandering, answers.back());
        }
        for (const int choice : answers) Step(straight, choice);
        ASSERT_TRUE(wandering.Scores().QuestionsFinished() && straight.Scores().QuestionsFinished())
            << round;
        EXPECT_EQ(BuildHtmlPage(wandering.driver.Shown()), BuildHtmlPage(straight.driver.Shown()))
            << round;
        // Back from the results goes to the last question, its answer still checked.
        if (!answers.empty() && answers.back() != 0) {
            ASSERT_TRUE(wandering.driver.Back());
            EXPECT_EQ(wandering.driver.Shown().layout, Layout::Questions);
            EXPECT_TRUE(wandering.IsChecked(IdChoice1 + answers.back() - 1));
            EXPECT_TRUE(wandering.IsControlEnabled(IdOk));
        }
    }
}

// The log's rules are flow/RunLog's: the driver keeps the timeline up, says
// on the screen where Back and Forward reach, and travels there by replaying.
TEST_F(WindowDriverTest, TheScreenSaysWhereBackAndForwardReachAndTravelGoesThere) {
    ASSERT_TRUE(Start(Question(1) + Question(2) + Question(3) + Question(4)));
    dialog.driver.KeepStepsTakenBack();
    const Screen& s = dialog.driver.Shown();
    const auto events = [&] { return dialog.driver.CurrentRun()->Events(); };
    EXPECT_FALSE(s.canGoBack || s.canGoForward);
    for (int choice : {1, 2, 0}) Step(dialog, choice);
    const std::vector<Event> furthest = events();
    EXPECT_FALSE(dialog.driver.TravelTo(3) || dialog.driver.TravelTo(4) ||
                 dialog.driver.TravelTo(-1));
    ASSERT_TRUE(dialog.driver.TravelTo(1));
    EXPECT_EQ(events(), EventsAtDepth(furthest, 1));
    EXPECT_TRUE(s.canGoBack && s.canGoForward && dialog.IsChecked(IdChoice1 + 1));
    ASSERT_TRUE(dialog.driver.TravelTo(3));
    EXPECT_TRUE(events() == furthest && !s.canGoForward);
    ASSERT_TRUE(dialog.driver.Back() && s.canGoForward);
    // A step of its own ends the way forward; a new run (F5) starts a log of its own.
    Step(dialog, 1);
    EXPECT_TRUE(!s.canGoForward && dialog.driver.Timeline() == events());
    ASSERT_TRUE(dialog.driver.TravelTo(0) && s.canGoForward && dialog.driver.Restart());
    EXPECT_FALSE(s.canGoForward);
    // A timeline kept from before (a page reloaded) is the run's again.
    dialog.driver.ResumeTimeline(furthest);
    ASSERT_TRUE(s.canGoForward && dialog.driver.TravelTo(3));
    EXPECT_EQ(events(), furthest);
}

TEST_F(WindowDriverTest, LeavingAsksFirstAmongTheQuestionsWhereTheWindowWantsIt) {
    ASSERT_TRUE(Start(Question(1) + Question(2)));
    dialog.driver.AskBeforeLeaving();
    Step(dialog, 1);
    const std::vector<Event> events = dialog.driver.CurrentRun()->Events();
    dialog.Click(IdExit);  // answered No: Stay, and neither answer is part of the run
    const Box leave{BoxOwner::Dialog, LeaveQuestion, "Kinpath", BoxButtons::LeaveStay};
    EXPECT_EQ(dialog.boxes, std::vector<RecordedBox>{leave});
    EXPECT_TRUE(!dialog.Ended() && dialog.driver.CurrentRun()->Events() == events);
    // The runs Back replays ask too; Leave ends the run. On the results Exit ends at once.
    ASSERT_TRUE(dialog.driver.Back());
    dialog.yesNoAnswers = {BoxResult::Yes};
    dialog.Click(IdExit);
    EXPECT_TRUE(dialog.boxes.size() == 2 && dialog.Ended());
    ASSERT_TRUE(Start(Question(1)));
    dialog.driver.AskBeforeLeaving();
    Step(dialog, 0);
    dialog.Click(IdExit);
    EXPECT_TRUE(dialog.Ended() && dialog.boxes.size() == 2);
}

TEST_F(WindowDriverTest, ARunResumesFromItsEvents) {
    ASSERT_TRUE(Start(ReadFile(std::string(KINPATH_EXAMPLES_DIR) + "/script.txt")));
    for (int choice : {1, 2, 0, 3, 1}) Step(dialog, choice);
    HeadlessDialog resumed;
    const auto document = LoadedScript(ReadFile("script.txt"));
    resumed.driver.Resume(document, ScriptFileName, dialog.driver.CurrentRun()->Events());
    // Events kept from another version stop at the first one that no longer applies.
    HeadlessDialog stale;
    const std::vector<Event> foreign{ChooseEvent(8), {EventKind::Ok}, ChooseEvent(1)};
    stale.driver.Resume(document, ScriptFileName, foreign);
    EXPECT_TRUE(stale.driver.CurrentRun()->Events().empty());
    // The same screen but for the bars, which the straight run still animates;
    // the resumed bars stand at once where the answers leave them.
    Screen mine = dialog.driver.Shown(), theirs = resumed.driver.Shown();
    mine.bars = theirs.bars = {};
    EXPECT_EQ(mine, theirs);
    EXPECT_TRUE(BarsAtRest(resumed.driver.Bars(), dialog.Scores().PointTotals()));
    EXPECT_EQ(resumed.driver.CurrentRun()->Events(), dialog.driver.CurrentRun()->Events());
}

TEST_F(WindowDriverTest, RestartKeepsTheAnswersUpToTheFirstChangedQuestion) {
    // F5 on this script: whether it loaded, the question shown (empty at the
    // results), the Wizard's points and the boxes it brought.
    const auto restart = [&](const std::string& script) {
        WriteScript(script);
        dialog.boxes.clear();
        const bool loaded = dialog.driver.Restart();
        std::string boxes;
        for (const RecordedBox& box : dialog.boxes) boxes += box.text + "|";
        const bool results = dialog.driver.Shown().layout == Layout::Results;
        return std::tuple(loaded, results ? "" : dialog.ControlText(IdQuestionText),
                          session().PointTotals()[SlotWizard], boxes);
    };
    std::string script;
    for (int n = 1; n <= 5; ++n) script += Question(n);
    ASSERT_TRUE(Start(script));
    for (int n = 1; n <= 4; ++n) Step(dialog, 1);
    // Nothing changed: every answer is kept, silently.
    EXPECT_EQ(restart(script), std::tuple(true, "Q5", 4, ""));
    // Cut short for a moment (an editor writing it): the results of what is
    // left, a box that says so, and every answer back once the file is whole.
    const std::string again = "script.txt was read again.\r\nIt ";
    const auto cut = [&](const char* why) {
        return again + why +
               "\r\nYour other answers were kept: they come back when it is read again "
               "with its questions.|";
    };
    EXPECT_EQ(restart(""),
              std::tuple(true, "", 0, cut("has no questions now, so the results are empty.")));
    EXPECT_EQ(
        restart(Question(1) + Question(2)),
        std::tuple(true, "", 2,
                   cut("now ends after question 2: the results count your answers up to it.")));
    EXPECT_EQ(restart(script), std::tuple(true, "Q5", 4, ""));
    // Question 3 changed: answers to 1 and 2 are kept, and a box says so.
    EXPECT_EQ(
        restart(Question(1) + Question(2) + Question(3, 9) + Question(4) + Question(5)),
        std::tuple(true, "Q3", 2,
                   again + "has changed from question 3 on: your answers before it were kept.|"));
    EXPECT_TRUE(BarsAtRest(dialog.driver.Bars(), session().PointTotals()));
    // A draft that no longer loads shows why and leaves the run as it was.
    EXPECT_EQ(
        restart("<QUESTION>\nwrong\n</QUESTION>\n"),
        std::tuple(false, "Q3", 2, "Undefined symbol found, line 2|Could not open script.txt|"));
    EXPECT_FALSE(dialog.Ended());
}

// A run resumed on an edited script it no longer has (a page reloaded after
// an edit) stops where F5 would: the fingerprints kept of the old version find
// the same first changed question as the old document itself.
TEST_F(WindowDriverTest, AResumedRunStopsWhereTheFingerprintsSayTheScriptChanged) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const std::string before = RandomScript(random);
        std::string after = before;
        // One edit of a name, choice, type, explanation or point value, or none.
        static const char* const Keys[] = {"name=Q",  "text=c",  "type=", "explanationtext=q",
                                           "wizpts=", "barbpts="};
        const std::string key = Keys[random() % 6];
        std::vector<std::size_t> places;
        for (std::size_t at = after.find(key); at != after.npos; at = after.find(key, at + 1))
            places.push_back(at + key.size());
        if (!places.empty() && random() % 4 != 0)
            after.insert(places[random() % places.size()], key == "type=" ? "x" : "7");
        const auto old = LoadedScript(before), now = LoadedScript(after);
        ASSERT_EQ(FirstChangedQuestion(QuestionFingerprints(*old), *now),
                  FirstChangedQuestion(*old, *now))
            << before << "\n---\n"
            << after;
    }

    ASSERT_TRUE(Start(Question(1) + Question(2) + Question(3)));
    for (int n = 1; n <= 3; ++n) Step(dialog, 1);
    const std::vector<std::uint64_t> kept = QuestionFingerprints(session().Document());
    const auto edited = LoadedScript(Question(1) + Question(2, 5) + Question(3));
    HeadlessDialog reloaded;
    reloaded.driver.Reload(edited, ScriptFileName, {dialog.driver.CurrentRun()->Events(), kept});
    EXPECT_EQ(std::tuple(reloaded.ControlText(IdQuestionText),
                         reloaded.Scores().PointTotals()[SlotWizard], reloaded.boxes.size()),
              std::tuple("Q2", 1, 1u));
}

TEST_F(WindowDriverTest, TheSharedKeysAreDecidedOnce) {
    ASSERT_TRUE(Start("<QUESTION>\nname=Q\ntext=a\ntext=b\n</QUESTION>\n"));
    const Screen& screen = dialog.driver.Shown();
    const auto decide = [&](KeyName key, char c = 0, bool ctrl = false, bool alt = false,
                            int focused = 0) {
        const KeyDecision d = DecideKey(screen, {key, c, ctrl, alt, false, focused});
        return std::tuple(d.action, d.id, d.handled);
    };
    using A = KeyAction;
    EXPECT_EQ(decide(KeyName::Digit, '2'), std::tuple(A::Press, IdChoice1 + 1, true));
    EXPECT_EQ(decide(KeyName::Digit, '3'), std::tuple(A::None, IdChoice1 + 2, true));  // unused
    EXPECT_EQ(decide(KeyName::Digit, '9'), std::tuple(A::None, 0, false));
    EXPECT_EQ(decide(KeyName::Digit, '1', true), std::tuple(A::None, 0, false));
    // Enter: the focused button, else OK (disabled until a choice is made).
    EXPECT_EQ(decide(KeyName::Enter, 0, false, false, IdSkip), std::tuple(A::Press, IdSkip, true));
    EXPECT_EQ(decide(KeyName::Enter, 0, false, false, IdChoice1), std::tuple(A::None, IdOk, true));
    EXPECT_EQ(decide(KeyName::Escape), std::tuple(A::Press, IdExit, true));
    EXPECT_EQ(decide(KeyName::Letter, 'S', false, true), std::tuple(A::Press, IdSkip, true));
    EXPECT_EQ(decide(KeyName::Letter, 'x', false, true), std::tuple(A::Press, IdExit, true));
    EXPECT_EQ(decide(KeyName::Letter, 'p', false, true), std::tuple(A::None, IdPrint, true));
    // A letter without Ctrl or Alt is the toolkit's: a plain Z or R takes nothing back.
    for (char c = 'A'; c <= 'Z'; ++c)
        EXPECT_EQ(decide(KeyName::Letter, c), std::tuple(A::None, 0, false)) << c;
    EXPECT_EQ(decide(KeyName::F5), std::tuple(A::Restart, 0, true));
    EXPECT_EQ(decide(KeyName::Letter, 'r', true), std::tuple(A::Restart, 0, true));
    EXPECT_EQ(decide(KeyName::Backspace), std::tuple(A::Back, 0, true));
    EXPECT_EQ(decide(KeyName::Letter, 'Z', true), std::tuple(A::Back, 0, true));

    // Carried out: a digit chooses, Enter confirms, Backspace takes it back.
    dialog.driver.Key({KeyName::Digit, '2'});
    dialog.driver.Key({KeyName::Enter, 0, false, false, false, IdChoice1 + 1});
    EXPECT_TRUE(session().QuestionsFinished());
    dialog.driver.Key({KeyName::Backspace});
    EXPECT_TRUE(dialog.IsChecked(IdChoice1 + 1) && !session().QuestionsFinished());
    // While a box waits, the window takes no key.
    Screen boxed = screen;
    boxed.box = Box{};
    EXPECT_EQ(DecideKey(boxed, {KeyName::Escape}).action, A::None);
}

}  // namespace
}  // namespace kinpath::testing
