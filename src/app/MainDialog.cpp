#include "app/MainDialog.h"

#include <memory>
#include <string>
#include <utility>

#include "app/HtmlExport.h"
#include "app/PrintTranscript.h"
#include "flow/BarAnimation.h"
#include "flow/QuestionFlow.h"
#include "flow/Session.h"
#include "flow/Transcript.h"
#include "script/ScriptDocument.h"
#include "text/TextCodec.h"
#include "window/ControlIds.h"
#include "window/Dialog.h"

namespace kinpath {

void ShowLoadFailure(Dialog& dialog, const LoadOutcome& outcome, const std::string& scriptPath) {
    // Script errors stand on their own: they have no owner window.
    for (const ScriptError& error : outcome.errors) {
        dialog.MessageBox(BoxOwner::None, DisplayText(ScriptErrorText(error)), "ScriptError",
                          BoxButtons::Ok);
    }
    dialog.MessageBox(BoxOwner::Dialog, NoScriptText(scriptPath), "Error", BoxButtons::Ok);
}

std::string NoScriptText(const std::string& scriptPath) {
    return "Could not open " + DisplayText(scriptPath);
}

void BeginRun(Session& session, Dialog& dialog, std::shared_ptr<const ScriptDocument> document) {
    session.StartRun(std::move(document));
    ClearTranscript(dialog);
    AppendTranscriptLine(dialog, "Answer the questions.");
    AppendTranscriptLine(dialog, "Skip any that you don't want to answer.");
    AppendTranscriptLine(dialog, "At the end you will be given the answer!");
    // Posted, so the first question appears once the window is set up.
    dialog.PostCommand(IdOk);
    InitBars(dialog);
    dialog.StartTimer(IdBarTimer, BarTimerIntervalMs);
}

bool DialogInit(Session& session, Dialog& dialog, const std::string& scriptPath) {
    auto document = std::make_shared<ScriptDocument>();
    const LoadOutcome outcome = LoadScript(*document, scriptPath);
    if (outcome.loaded) {
        BeginRun(session, dialog, std::move(document));
    } else {
        session.StartRun(std::move(document));
        ShowLoadFailure(dialog, outcome, scriptPath);
        dialog.PostClose();
        InitBars(dialog);
        dialog.StartTimer(IdBarTimer, BarTimerIntervalMs);
    }
    CentreWindow(dialog);
    return outcome.loaded;
}

void DialogCommand(Session& session, Dialog& dialog, int id) {
    switch (id) {
        case IdOk:
            RecordAnswer(session, dialog);
            NextQuestion(session, dialog);
            break;
        case IdExit:
            dialog.PostQuit(0);
            dialog.StopTimer(IdBarTimer);
            break;
        case IdSkip:
            NextQuestion(session, dialog);
            break;
        case IdPrint:
            PrintTranscript(dialog);
            break;
        case IdHtml:
            ExportHtml(dialog);
            break;
        default:
            if (id >= IdChoice1 && id < IdChoice1 + ChoiceButtonCount)
                dialog.EnableControl(IdOk, true);
            break;
    }
}

void DialogClose(Dialog& dialog) {
    dialog.StopTimer(IdBarTimer);
    dialog.PostQuit(0);
}

void DialogTimer(Session& session, Dialog& dialog, int timerId) {
    if (timerId == IdBarTimer) AnimateBars(session, dialog);
}

void CentreWindow(Dialog& dialog) {
    Rect desktop = dialog.DesktopRect();
    Rect client = dialog.ClientRect();
    // Each half is truncated on its own, and the client size stands in for the
    // window size, so the frame sits slightly right of and below the centre.
    int x = (desktop.right - desktop.left) / 2 - (client.right - client.left) / 2;
    int y = (desktop.bottom - desktop.top) / 2 - (client.bottom - client.top) / 2;
    dialog.MoveWindow(x, y);
}

int ChoiceTabStop(const Dialog& dialog) {
    int stop = 0;
    for (int id = IdChoice1; id < IdChoice1 + ChoiceButtonCount; ++id) {
        if (!dialog.IsControlEnabled(id) || !dialog.IsControlVisible(id)) continue;
        if (dialog.IsChecked(id)) return id;
        if (stop == 0) stop = id;
    }
    return stop;
}

}  // namespace kinpath
