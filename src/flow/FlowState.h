// A run's whole state, as the machine (Run.h) keeps it and lets others read
// it; the rules that change it are the machine's own (QuestionFlow.h, private
// to this folder).
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "flow/Session.h"
#include "flow/Transcript.h"
#include "scoring/BestPick.h"
#include "window/Screen.h"

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
    friend bool operator==(const WaitingBox&, const WaitingBox&) = default;
};

// What it scored and where it stands (the session), and what the window
// shows of it.
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
    friend bool operator==(const FlowState&, const FlowState&) = default;
};

}  // namespace kinpath
