// Turning a chosen answer into points.
#pragma once

#include "script/PointSlot.h"

namespace kinpath {

struct AnswerBlock;
struct QuestionBlock;
class ScriptDocument;

// The first answer of the question, in script order, whose type names choice
// (1 to 8); null when none does.
const AnswerBlock* FindAnswer(const ScriptDocument& document, const QuestionBlock& question,
                              int choice);

// Adds an answer's 31 point values into the totals (wrapping like 32-bit sums).
void AddAnswerPoints(PointValues& totals, const PointValues& points);

}  // namespace kinpath
