#include "app/MainDialog.h"

#include "flow/BarAnimation.h"
#include "flow/QuestionFlow.h"
#include "flow/Transcript.h"
#include "scoring/AnswerRecording.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "window/ControlIds.h"
#include "window/Dialog.h"
#include "app/HtmlExport.h"
#include "app/PrintTranscript.h"

namespace kinpath {

void ResetCounters() {
    PointTotals.fill(0);
    BarShown.fill(0);
    BarTarget.fill(0);
}

void ResetProgramState() {
    ResetCounters();
    AnsweredList.clear();
    TheScriptDocument.Clear();
    ResetRankTables();
    ResetQuestionFlow();
}

void DialogInit(Dialog& dialog) {
    bool loaded = OpenScript(TheScriptDocument) != 0 && TheScriptDocument.Parse(nullptr) != -1;
    if (loaded) {
        AppendTranscriptLine(dialog, "Answer the questions.");
        AppendTranscriptLine(dialog, "Skip any that you don't want to answer.");
        AppendTranscriptLine(dialog, "At the end you will be given the answer!");
        // Posted, so the first question appears once the window is set up.
        dialog.PostCommand(IdOk);
    } else {
        dialog.MessageBox(BoxOwner::Dialog, "Could not open script.txt", "Error", BoxButtons::Ok);
        dialog.PostClose();
    }
    InitBars(dialog);
    dialog.StartTimer(IdBarTimer, BarTimerIntervalMs);
    CentreWindow(dialog);
}

void DialogCommand(Dialog& dialog, int id) {
    switch (id) {
        case IdOk:
            RecordAnswer(dialog);
            NextQuestion(dialog);
            break;
        case IdExit:
            dialog.PostQuit(0);
            dialog.StopTimer(IdBarTimer);
            break;
        case IdSkip:
            NextQuestion(dialog);
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

void DialogTimer(Dialog& dialog, int timerId) {
    if (timerId == IdBarTimer) AnimateBars(dialog);
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
