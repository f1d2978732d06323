#include "scoring/AnswerRecording.h"

#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"

namespace kinpath {

const AnswerBlock* FindAnswer(const ScriptDocument& document, const QuestionBlock& question,
                              int choice) {
    for (const AnswerBlock& answer : document.Answers(question)) {
        if (TypeMatchesChoice(document.Text(answer.type), choice)) {
            return &answer;
        }
    }
    return nullptr;
}

void AddAnswerPoints(PointValues& totals, const PointValues& points) {
    for (int k = 0; k < PointSlotCount; ++k) {
        totals[k] = WrappingAdd(totals[k], points[k]);
    }
}

}  // namespace kinpath
