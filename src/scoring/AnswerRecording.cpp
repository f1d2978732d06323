#include "scoring/AnswerRecording.h"

#include <cstdio>

#include "flow/QuestionFlow.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "window/ControlIds.h"
#include "window/Dialog.h"

namespace kinpath {

int SelectedChoice(Dialog& dialog) {
    for (int k = 0; k < ChoiceCount; ++k) {
        if (dialog.IsChecked(IdChoice1 + k)) return k + 1;
    }
    return 0;
}

void RecordAnswer(Dialog& dialog) {
    const int choice = SelectedChoice(dialog);
    if (choice == 0) return;
    if (CurrentQuestion == nullptr) return;

    char number[12];
    std::snprintf(number, sizeof number, "%d", choice);
    // The first two choices of a yes/no question may be typed by their words.
    const char* alias = choice == 1 ? "yes" : choice == 2 ? "no" : nullptr;

    QuestionBlock& question = *CurrentQuestion;
    const AnswerBlock* match = nullptr;
    for (question.answerCursor = 0; question.answerCursor < question.answers.size();
         ++question.answerCursor) {
        const AnswerBlock* answer = question.answers[question.answerCursor].get();
        if (answer == nullptr) break;
        const char* type = answer->type ? answer->type->c_str() : nullptr;
        if (SameText(type, number) || (alias != nullptr && SameText(type, alias))) {
            match = answer;
            break;
        }
    }
    if (match == nullptr) {
        dialog.MessageBox(BoxOwner::Dialog, "Unable to find the proper answer data for that answer",
                          "Error", BoxButtons::Ok);
        return;
    }

    for (int k = 0; k < PointSlotCount; ++k) {
        PointTotals[k] = WrappingAdd(PointTotals[k], match->points[k]);
    }
    AnsweredList.push_back(match);
}

}  // namespace kinpath
