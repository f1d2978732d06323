// Stepping through the questions and the closing report.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kinpath {

class Dialog;
class QuestionBlock;

extern QuestionBlock* CurrentQuestion;
extern std::size_t QuestionCursor;
extern std::int32_t QuestionsFinished;

void NextQuestion(Dialog& dialog);
void ResetChoices(Dialog& dialog);
// Text is script bytes (null for none); shown as display text.
void ShowControlText(Dialog& dialog, int controlId, const char* text);
void ShowResultsLayout(Dialog& dialog);
void WriteResults(Dialog& dialog);
void WriteReport(Dialog& dialog);

// Back to the state before the first step (tests and simulations).
void ResetQuestionFlow();

}  // namespace kinpath
