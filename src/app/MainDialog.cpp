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

int ChoiceTabStop(const Screen& screen) {
    int stop = 0;
    for (int id = IdChoice1; id < IdChoice1 + ChoiceButtonCount; ++id) {
        if (!screen.Usable(id)) continue;
        if (screen.Control(id)->checked) return id;
        if (stop == 0) stop = id;
    }
    return stop;
}

int FocusAfterChange(const Screen& screen, int focused) {
    if (focused != 0 && screen.Usable(focused)) return focused;
    return screen.Control(IdTranscript)->visible ? IdTranscript : 0;
}

}  // namespace kinpath
