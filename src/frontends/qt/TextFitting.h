// Script texts in controls of a fixed size: a choice shows as much of its
// text as its row holds, and whatever is cut can be read in a tooltip.
#pragma once

#include <QString>

class QLabel;
class QRadioButton;

namespace kinpath::qt {

// Shows the choice's whole text, or its start ending in "…" when the row is
// too narrow; the tooltip names the key that picks it, and holds the whole text
// when it is cut.
void FitChoice(QRadioButton& choice, const QString& whole, int number);
// A question too long for its box gets its whole text as a tooltip.
void FitQuestion(QLabel& question);

}  // namespace kinpath::qt
