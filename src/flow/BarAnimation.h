// The 27 progress bars following PointTotals.
#pragma once

#include "script/PointSlot.h"

namespace kinpath {

class Dialog;

// Position last given to each slot's bar, and each slot's animation state
// (0 idle, above 0 rising to that value, below 0 falling back to the total).
extern PointValues BarShown;
extern PointValues BarTarget;

// Bar identifier of a race or class slot (Necromancer and Monk are swapped).
int BarIdForSlot(int slot);

void InitBars(Dialog& dialog);
void AnimateBars(Dialog& dialog);
void SetBarPosition(Dialog& dialog, int barIndex, std::int32_t position);
// True when no tick would move anything until a total rises.
bool BarsAtRest();

}  // namespace kinpath
