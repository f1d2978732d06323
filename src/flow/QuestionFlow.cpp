#include "flow/QuestionFlow.h"

#include <string>

#include "flow/Transcript.h"
#include "scoring/BestPick.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "text/TextCodec.h"
#include "window/ControlIds.h"
#include "window/Dialog.h"

namespace kinpath {

QuestionBlock* CurrentQuestion = nullptr;
std::size_t QuestionCursor = 0;
std::int32_t QuestionsFinished = 0;

namespace {

constexpr const char* Rule =
    "-----------------------------------------------------------------------------";
constexpr const char* AnalysisBanner = "                            Answer Analysis    ";
constexpr const char* DistributionBanner = "                            Point Distribution    ";

enum RecapMode : std::int32_t { RecapYes = 0, RecapNo = 1, RecapAsk = 2 };

void FinishQuestions(Dialog& dialog) {
    ShowResultsLayout(dialog);
    WriteResults(dialog);
}

bool WantFullReport(Dialog& dialog) {
    const FinalBlock* finalBlock = TheScriptDocument.final.get();
    if (finalBlock == nullptr) return true;
    switch (finalBlock->RecapMode) {
        case RecapYes:
            return true;
        case RecapAsk:
            return dialog.MessageBox(BoxOwner::Dialog, "Would you like to review the results?",
                                     "Output results?", BoxButtons::YesNo) == BoxResult::Yes;
        default:
            return false;
    }
}

template <std::size_t N>
void AppendScoreRows(Dialog& dialog, const std::array<RankEntry, N>& rows) {
    for (const RankEntry& row : rows) {
        std::string line = row.name ? row.name : "";
        line += ": ";
        line += std::to_string(row.score);
        AppendTranscriptLine(dialog, line.c_str());
    }
}

}  // namespace

void ResetQuestionFlow() {
    CurrentQuestion = nullptr;
    QuestionCursor = 0;
    QuestionsFinished = 0;
}

void ResetChoices(Dialog& dialog) {
    dialog.ShowControl(IdQuestionText, false);
    for (int k = 0; k < ChoiceCount; ++k) {
        int id = IdChoice1 + k;
        dialog.EnableControl(id, false);
        dialog.SetControlText(id, "");
        dialog.SetChecked(id, false);
    }
    dialog.EnableControl(IdOk, false);
    dialog.Repaint();
}

void ShowControlText(Dialog& dialog, int controlId, const char* text) {
    if (!dialog.HasControl(controlId)) return;
    dialog.SetControlText(controlId, text ? DisplayText(text) : std::string());
    dialog.EnableControl(controlId, true);
    dialog.ShowControl(controlId, true);
    dialog.Repaint();
}

void NextQuestion(Dialog& dialog) {
    ResetChoices(dialog);
    if (QuestionsFinished) {
        FinishQuestions(dialog);
        return;
    }

    auto& questions = TheScriptDocument.questions;
    if (CurrentQuestion == nullptr) {
        QuestionCursor = 0;
    } else if (QuestionCursor < questions.size()) {
        ++QuestionCursor;
    }
    if (QuestionCursor >= questions.size() || !questions[QuestionCursor]) {
        CurrentQuestion = nullptr;
        QuestionsFinished = 1;
        FinishQuestions(dialog);
        return;
    }

    QuestionBlock& question = *questions[QuestionCursor];
    CurrentQuestion = &question;
    ShowControlText(dialog, IdQuestionText, question.name ? question.name->c_str() : nullptr);

    // The dialog has eight choice buttons; texts past the eighth are not offered.
    int shown = 0;
    for (question.choiceCursor = 0;
         question.choiceCursor < question.choices.size() && shown < ChoiceCount;
         ++question.choiceCursor, ++shown) {
        const std::string& text = question.choices[question.choiceCursor];
        if (text.empty()) break;
        ShowControlText(dialog, IdChoice1 + shown, text.c_str());
    }
}

void ShowResultsLayout(Dialog& dialog) {
    dialog.ShowControl(IdQuestionText, false);
    for (int k = 0; k < ChoiceCount; ++k) {
        dialog.ShowControl(IdChoice1 + k, false);
        dialog.SetChecked(IdChoice1 + k, false);
    }
    for (int k = 0; k < BarCount; ++k) dialog.ShowControl(IdFirstBar + k, false);
    for (int k = 0; k < BarCount; ++k) dialog.ShowControl(IdFirstLabel + k, false);
    dialog.EnableControl(IdOk, false);
    dialog.EnableControl(IdSkip, false);

    // A 10-pixel margin left, top and right; 45 at the bottom for the button row.
    Rect client = dialog.ClientRect();
    Rect pane;
    pane.left = 10;
    pane.top = 10;
    pane.right = pane.left + (client.Width() - 20);
    pane.bottom = pane.top + (client.Height() - 55);
    dialog.MoveControl(IdTranscript, pane);

    dialog.EnableControl(IdPrint, true);
    dialog.EnableControl(IdHtml, true);
    dialog.Repaint();
}

void WriteResults(Dialog& dialog) {
    ClearTranscript(dialog);
    AnnounceBestPick(dialog);
    WriteReport(dialog);
}

void WriteReport(Dialog& dialog) {
    if (WantFullReport(dialog)) {
        AppendTranscriptLine(dialog, " ");
        AppendTranscriptLine(dialog, " ");
        AppendTranscriptLine(dialog, Rule);
        AppendTranscriptLine(dialog, AnalysisBanner);
        AppendTranscriptLine(dialog, Rule);
        for (const AnswerBlock* answer : AnsweredList) {
            if (answer == nullptr) continue;
            AppendTranscriptLine(dialog,
                                 answer->explanation ? answer->explanation->c_str() : nullptr);
            AppendTranscriptLine(dialog, "");
        }
        AppendTranscriptLine(dialog, Rule);
        AppendTranscriptLine(dialog, DistributionBanner);
        AppendTranscriptLine(dialog, Rule);
        AppendScoreRows(dialog, RaceTable);
        AppendTranscriptLine(dialog, " ");
        AppendScoreRows(dialog, ClassTable);
    }
    AppendTranscriptLine(dialog, "  ");
    AppendTranscriptLine(dialog, "Thank you for using Kinpath!");
}

}  // namespace kinpath
