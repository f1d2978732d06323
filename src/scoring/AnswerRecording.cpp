#include "scoring/AnswerRecording.h"

#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"

namespace kinpath {

const AnswerBlock* FindAnswer(QuestionBlock& question, int choice) {
    for (question.answerCursor = 0; question.answerCursor < question.answers.size();
         ++question.answerCursor) {
        const AnswerBlock* answer = question.answers[question.answerCursor].get();
        if (answer != nullptr && TypeMatchesChoice(answer->type, choice)) {
            return answer;
        }
    }
    return nullptr;
}

void AddAnswerPoints(PointValues& totals, const AnswerBlock& answer) {
    for (int k = 0; k < PointSlotCount; ++k) {
        totals[k] = WrappingAdd(totals[k], answer.points[k]);
    }
}

}  // namespace kinpath
