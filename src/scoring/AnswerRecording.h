// Turning a chosen answer into points.
#pragma once

#include "script/PointSlot.h"

namespace kinpath {

class AnswerBlock;
class QuestionBlock;

// The first answer of the question, in script order, whose type names choice
// (1 to 8); null when none does. Leaves the question's answer cursor on it.
const AnswerBlock* FindAnswer(QuestionBlock& question, int choice);

// Adds the answer's 31 point values into the totals (wrapping like 32-bit sums).
void AddAnswerPoints(PointValues& totals, const AnswerBlock& answer);

}  // namespace kinpath
