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
// Shows a bar's name whole, the label grown up to right (in pixels) when it
// needs the room, or its start ending in "…" and whole in its tooltip.
void FitLabel(QLabel& label, const QString& whole, int right);
// Shows the question's whole text, or as much as its box holds with the last
// line ending in "…"; a cut question is whole in its tooltip.
void FitQuestion(QLabel& question, const QString& whole);

}  // namespace kinpath::qt
