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
    const FinalBlock* finalBlock = session.Document().Final();
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
        AppendTranscriptLine(dialog, line);
    }
}

}  // namespace

void ResetChoices(Dialog& dialog) {
    dialog.ShowControl(IdQuestionText, false);
    for (int k = 0; k < ChoiceButtonCount; ++k) {
        int id = IdChoice1 + k;
        dialog.EnableControl(id, false);
        dialog.SetControlText(id, "");
        dialog.SetChecked(id, false);
    }
    dialog.EnableControl(IdOk, false);
    dialog.Repaint();
}

void ShowControlText(Dialog& dialog, int controlId, std::string_view text) {
    if (!dialog.HasControl(controlId)) return;
    dialog.SetControlText(controlId, DisplayText(text));
    dialog.EnableControl(controlId, true);
    dialog.ShowControl(controlId, true);
    dialog.Repaint();
}

int SelectedChoice(Dialog& dialog) {
    for (int k = 0; k < ChoiceButtonCount; ++k) {
        if (dialog.IsChecked(IdChoice1 + k)) {
            return k + 1;
        }
    }
    return 0;
}

RecordOutcome RecordAnswer(Session& session, Dialog& dialog) {
    const int choice = SelectedChoice(dialog);
    if (choice == 0 || session.CurrentQuestion() == nullptr) {
        return RecordOutcome::NothingChecked;
    }
    const AnswerBlock* answer = FindAnswer(session.Document(), *session.CurrentQuestion(), choice);
    if (answer == nullptr) {
        dialog.MessageBox(BoxOwner::Dialog, NoAnswerMessage, "Error", BoxButtons::Ok);
        return RecordOutcome::NoMatchingAnswer;
    }
    session.RecordPoints(*answer);
    return RecordOutcome::Recorded;
}

void NextQuestion(Session& session, Dialog& dialog) {
    ResetChoices(dialog);
    const QuestionBlock* question = session.StepToNextQuestion();
    if (question == nullptr) {
        FinishQuestions(session, dialog);
        return;
    }
    const ScriptDocument& document = session.Document();
    ShowControlText(dialog, IdQuestionText, document.Text(question->name));

    // The dialog has eight choice buttons; texts past the eighth are not offered.
    const auto choices = document.OfferedChoices(*question);
    for (std::size_t k = 0; k < choices.size(); ++k) {
        ShowControlText(dialog, IdChoice1 + static_cast<int>(k), document.Text(choices[k]));
    }
}

void ShowResultsLayout(Dialog& dialog) {
    dialog.ShowControl(IdQuestionText, false);
    for (int k = 0; k < ChoiceButtonCount; ++k) {
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
    const SettingsBlock* settings = session.Document().Settings();
    const BestPick pick =
        session.PickBest(settings ? settings->preference : Preference::ClassOverRace);
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
        for (const AnswerBlock* answer : session.AnsweredList()) {
            // An answer without an explanation leaves only the empty line.
            if (answer->explanation) {
                AppendTranscriptLine(dialog, session.Document().Text(answer->explanation));
            }
            AppendTranscriptLine(dialog, "");
        }
        AppendTranscriptLine(dialog, Rule);
        AppendTranscriptLine(dialog, DistributionBanner);
        AppendTranscriptLine(dialog, Rule);
        AppendScoreRows(dialog, session.RaceTable());
        AppendTranscriptLine(dialog, " ");
        AppendScoreRows(dialog, session.ClassTable());
    }
    AppendTranscriptLine(dialog, "  ");
    AppendTranscriptLine(dialog, "Thank you for using Kinpath!");
}

}  // namespace kinpath
