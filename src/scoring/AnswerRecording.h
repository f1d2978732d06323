// Turning the checked choice into points.
#pragma once

namespace kinpath {

class Dialog;

// Number 1 to 8 of the first checked choice button, 0 if none is checked.
int SelectedChoice(Dialog& dialog);

// Records the checked choice of CurrentQuestion: adds its answer's points into
// PointTotals and appends it to AnsweredList, or shows the "no answer" box.
void RecordAnswer(Dialog& dialog);

}  // namespace kinpath
