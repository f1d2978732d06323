// The dialog's font and the units the template counts in.
#pragma once

#include <QFont>
#include <QSize>

namespace kinpath::qt {

// Dialog-unit base units of a font: the average width of the 52 letters and the
// cell height, in pixels.
struct BaseUnits {
    int x = 0;
    int y = 0;
};
BaseUnits MeasureBaseUnits(const QFont& font);

// The dialog font: the desktop's sans-serif face at 8 points, or smaller when
// the dialog would not fit a screen area of the given size (an empty size fits all).
QFont DialogFont(QSize room = {});
// The dialog's client size in the font.
QSize DialogSize(const QFont& font);

}  // namespace kinpath::qt
