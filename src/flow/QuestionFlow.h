// Recording answers, stepping through the questions and the closing report.
#pragma once

#include <string_view>

namespace kinpath {

class Dialog;
class Session;

inline constexpr const char* NoAnswerMessage =
    "Unable to find the proper answer data for that answer";

// Number 1 to 8 of the first checked choice button, 0 if none is checked.
int SelectedChoice(Dialog& dialog);

enum class RecordOutcome { NothingChecked, Recorded, NoMatchingAnswer };
// Records the checked choice of the current question: adds its answer's points
// into the totals and appends it to the answered list, or shows the "no answer"
// box.
RecordOutcome RecordAnswer(Session& session, Dialog& dialog);

void NextQuestion(Session& session, Dialog& dialog);
void ResetChoices(Dialog& dialog);
// Text is script bytes (empty for none); shown as display text.
void ShowControlText(Dialog& dialog, int controlId, std::string_view text);
void ShowResultsLayout(Dialog& dialog);
// Appends "It appears that the best race for you is ..." to the transcript.
void AnnounceBestPick(Session& session, Dialog& dialog);
void WriteResults(Session& session, Dialog& dialog);
void WriteReport(Session& session, Dialog& dialog);

}  // namespace kinpath
