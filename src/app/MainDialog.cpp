#include "app/MainDialog.h"

#include "text/TextCodec.h"
#include "window/ControlIds.h"

namespace kinpath {

std::string NoScriptText(const std::string& scriptPath) {
    return "Could not open " + DisplayText(scriptPath);
}

std::vector<Box> LoadFailureBoxes(const LoadOutcome& outcome, const std::string& scriptPath) {
    std::vector<Box> boxes;
    // Script errors stand on their own: they have no owner window.
    for (const ScriptError& error : outcome.errors) {
        boxes.push_back(
            {BoxOwner::None, DisplayText(ScriptErrorText(error)), "ScriptError", BoxButtons::Ok});
    }
    boxes.push_back({BoxOwner::Dialog, NoScriptText(scriptPath), "Error", BoxButtons::Ok});
    return boxes;
}

Point CentreWindow(const Rect& desktop, const Rect& client) {
    // Each half is truncated on its own, and the client size stands in for the
    // window size, so the frame sits slightly right of and below the centre.
    return {(desktop.right - desktop.left) / 2 - (client.right - client.left) / 2,
            (desktop.bottom - desktop.top) / 2 - (client.bottom - client.top) / 2};
}

FocusPlace DecideFocus(const Screen& shown, const Screen& next, int chosen) {
    FocusPlace place;
    for (int id = IdChoice1; id < IdChoice1 + ChoiceButtonCount; ++id) {
        if (!next.Usable(id)) continue;
        if (next.Control(id)->checked) {
            place.choiceTabStop = id;
            break;
        }
        if (place.choiceTabStop == 0) place.choiceTabStop = id;
    }
    const int pane = next.Usable(IdTranscript) ? IdTranscript : 0;
    const bool newFace = next.layout != shown.layout || next.questionNumber != shown.questionNumber;
    if (chosen != 0 && next.Usable(chosen)) {
        place.focus = chosen;
    } else if (newFace && next.layout == Layout::Results) {
        place.focus = pane;
    } else if (newFace && place.choiceTabStop != 0) {
        place.focus = place.choiceTabStop;
    } else if (shown.focus == 0 || next.Usable(shown.focus)) {
        place.focus = shown.focus;
    } else {
        place.focus = pane;
    }
    return place;
}

}  // namespace kinpath
