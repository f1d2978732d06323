// Recording answers, stepping through the questions and the closing report:
// the questionnaire's rules, as changes of a run's state. Nothing here waits:
// a question to the player is a box put in the run's queue, and what follows
// its answer runs when the answer comes (ContinueAfterBox).
#pragma once

#include <deque>
#include <optional>
#include <string_view>

#include "flow/Session.h"
#include "flow/Transcript.h"
#include "scoring/BestPick.h"
#include "window/Screen.h"
#include "window/WindowWords.h"

namespace kinpath {

// What a box's answer lets go on.
enum class AfterBox : std::uint8_t {
    Nothing,       // it only told something
    NextQuestion,  // the step that the "no answer" box held up
    Recap,         // the report, full on Yes
    Close,         // the end of a run whose script did not load
    Leave,         // the end of the run on Yes (Run::AskBeforeLeaving)
};

struct WaitingBox {
    Box box;
    AfterBox then = AfterBox::Nothing;
    // Made by an event of the run (its answer is part of the run), not by a
    // notice from outside.
    bool ofRun = true;
};

// A run's whole state: what it scored and where it stands (the session), and
// what the window shows of it.
struct FlowState {
    Session session;
    Transcript transcript;
    int checked = 0;  // the checked choice, 1 to 8; 0 for none
    bool okEnabled = false;
    bool resultsLayout = false;
    bool loaded = true;  // false: the script was refused, only its boxes show
    bool ended = false;
    std::deque<WaitingBox> boxes{};
    std::uint32_t boxesAnswered = 0;
    std::optional<BestPick> pick{};  // the last one made
};

// Number 1 to 8 of the checked choice, 0 if none is checked.
int SelectedChoice(const FlowState& state);

enum class RecordOutcome { NothingChecked, Recorded, NoMatchingAnswer };
// Records the checked choice of the current question: adds its answer's points
// into the totals and appends it to the answered list, or puts up the "no
// answer" box.
RecordOutcome RecordAnswer(FlowState& state);

// The OK command: record, then the next question (once any box is answered).
void OkCommand(FlowState& state);
void NextQuestion(FlowState& state);
// The window's results face: question area and bars hidden, OK and Skip
// disabled, the pane enlarged, Print and HTML enabled.
void ShowResultsLayout(FlowState& state);
// Appends "It appears that the best race for you is ..." to the transcript.
void AnnounceBestPick(FlowState& state);
void WriteResults(FlowState& state);
// The closing report; with recap=ask it first puts up the question.
void WriteReport(FlowState& state);
// The report after the recap question: full or brief, then the thanks.
void FinishReport(FlowState& state, bool full);
// Takes the front box away with its answer and runs what it held up.
void ContinueAfterBox(FlowState& state, BoxResult answer);

}  // namespace kinpath
