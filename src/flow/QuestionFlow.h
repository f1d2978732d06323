// Recording answers, stepping through the questions and the closing report:
// the questionnaire's rules, as changes of a run's state. Private to flow/:
// everything else goes through Run, which alone applies them. Nothing here
// waits: a question to the player is a box put in the run's queue, and what
// follows its answer runs when the answer comes (ContinueAfterBox).
#pragma once

#include "flow/FlowState.h"
#include "window/Screen.h"

namespace kinpath {

// The OK command: records the checked choice of the current question (adds
// its answer's points into the totals and appends it to the answered list),
// then the next question; a choice without an answer puts up the "no answer"
// box, and the step waits for it.
void OkCommand(FlowState& state);
// The next question, or the results after the last.
void NextQuestion(FlowState& state);
// Takes the front box away with its answer and runs what it held up.
void ContinueAfterBox(FlowState& state, BoxResult answer);

}  // namespace kinpath
