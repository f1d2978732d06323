#include "flow/QuestionFlow.h"

#include <string>

#include "flow/Session.h"
#include "flow/Transcript.h"
#include "scoring/AnswerRecording.h"
#include "scoring/BestPick.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "text/TextCodec.h"
#include "window/ControlIds.h"
#include "window/Dialog.h"

namespace kinpath {

namespace {

constexpr const char* Rule =
    "-----------------------------------------------------------------------------";
constexpr const char* AnalysisBanner = "                            Answer Analysis    ";
constexpr const char* DistributionBanner = "                            Point Distribution    ";

void FinishQuestions(Session& session, Dialog& dialog) {
    ShowResultsLayout(dialog);
    WriteResults(session, dialog);
}

bool WantFullReport(const Session& session, Dialog& dialog) {
    const FinalBlock* finalBlock = session.Document.final.get();
    if (finalBlock == nullptr) return true;
    switch (finalBlock->recap) {
        case RecapMode::Yes:
            return true;
        case RecapMode::Ask:
            return dialog.MessageBox(BoxOwner::Dialog, "Would you like to review the results?",
                                     "Output results?", BoxButtons::YesNo) == BoxResult::Yes;
        case RecapMode::No:
            break;
    }
    return false;
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

int SelectedChoice(Dialog& dialog) {
    for (int k = 0; k < ChoiceCount; ++k) {
        if (dialog.IsChecked(IdChoice1 + k)) {
            return k + 1;
        }
    }
    return 0;
}

RecordOutcome RecordAnswer(Session& session, Dialog& dialog) {
    const int choice = SelectedChoice(dialog);
    if (choice == 0 || session.CurrentQuestion == nullptr) {
        return RecordOutcome::NothingChecked;
    }
    const AnswerBlock* answer = FindAnswer(*session.CurrentQuestion, choice);
    if (answer == nullptr) {
        dialog.MessageBox(BoxOwner::Dialog, NoAnswerMessage, "Error", BoxButtons::Ok);
        return RecordOutcome::NoMatchingAnswer;
    }
    AddAnswerPoints(session.PointTotals, *answer);
    session.AnsweredList.push_back(answer);
    return RecordOutcome::Recorded;
}

void NextQuestion(Session& session, Dialog& dialog) {
    ResetChoices(dialog);
    if (session.QuestionsFinished) {
        FinishQuestions(session, dialog);
        return;
    }

    const auto& questions = session.Document.questions;
    std::size_t& cursor = session.QuestionCursor;
    if (session.CurrentQuestion == nullptr) {
        cursor = 0;
    } else if (cursor < questions.size()) {
        ++cursor;
    }
    if (cursor >= questions.size() || !questions[cursor]) {
        session.CurrentQuestion = nullptr;
        session.QuestionsFinished = true;
        FinishQuestions(session, dialog);
        return;
    }

    QuestionBlock& question = *questions[cursor];
    session.CurrentQuestion = &question;
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

void AnnounceBestPick(Session& session, Dialog& dialog) {
    const SettingsBlock* settings = session.Document.settings.get();
    const BestPick pick =
        PickBestRaceAndClass(session.PointTotals, session.RaceTable, session.ClassTable,
                             settings ? settings->preference : Preference::ClassOverRace);
    const std::string sentence = std::string("It appears that the best race for you is ") +
                                 pick.race + "\r\nand the best class is " + pick.className + "!";
    AppendTranscriptLine(dialog, sentence.c_str());
}

void WriteResults(Session& session, Dialog& dialog) {
    ClearTranscript(dialog);
    AnnounceBestPick(session, dialog);
    WriteReport(session, dialog);
}

void WriteReport(Session& session, Dialog& dialog) {
    if (WantFullReport(session, dialog)) {
        AppendTranscriptLine(dialog, " ");
        AppendTranscriptLine(dialog, " ");
        AppendTranscriptLine(dialog, Rule);
        AppendTranscriptLine(dialog, AnalysisBanner);
        AppendTranscriptLine(dialog, Rule);
        for (const AnswerBlock* answer : session.AnsweredList) {
            if (answer == nullptr) continue;
            AppendTranscriptLine(dialog,
                                 answer->explanation ? answer->explanation->c_str() : nullptr);
            AppendTranscriptLine(dialog, "");
        }
        AppendTranscriptLine(dialog, Rule);
        AppendTranscriptLine(dialog, DistributionBanner);
        AppendTranscriptLine(dialog, Rule);
        AppendScoreRows(dialog, session.RaceTable);
        AppendTranscriptLine(dialog, " ");
        AppendScoreRows(dialog, session.ClassTable);
    }
    AppendTranscriptLine(dialog, "  ");
    AppendTranscriptLine(dialog, "Thank you for using Kinpath!");
}

}  // namespace kinpath
