#include "app/MainDialog.h"

#include <memory>
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

bool DialogInit(Session& session, Dialog& dialog, const std::string& scriptPath) {
    auto document = std::make_shared<ScriptDocument>();
    const LoadOutcome outcome = LoadScript(*document, scriptPath);
    session.StartRun(std::move(document));
    for (const ScriptError& error : outcome.errors) {
        // Script errors stand on their own: they have no owner window.
        dialog.MessageBox(BoxOwner::None, DisplayText(ScriptErrorText(error)), "ScriptError",
                          BoxButtons::Ok);
    }
    if (outcome.loaded) {
        AppendTranscriptLine(dialog, "Answer the questions.");
        AppendTranscriptLine(dialog, "Skip any that you don't want to answer.");
        AppendTranscriptLine(dialog, "At the end you will be given the answer!");
        // Posted, so the first question appears once the window is set up.
        dialog.PostCommand(IdOk);
    } else {
        dialog.MessageBox(BoxOwner::Dialog, NoScriptMessage, "Error", BoxButtons::Ok);
        dialog.PostClose();
    }
    InitBars(dialog);
    dialog.StartTimer(IdBarTimer, BarTimerIntervalMs);
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
            if (id >= IdChoice1 && id < IdChoice1 + ChoiceCount) dialog.EnableControl(IdOk, true);
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

}  // namespace kinpath
