// The 27 progress bars following the point totals.
#pragma once

#include <cstdint>

namespace kinpath {

class Dialog;
struct Session;

// Bar identifier of a race or class slot (Necromancer and Monk are swapped).
int BarIdForSlot(int slot);

void InitBars(Dialog& dialog);
// One timer tick: every bar moves by at most one unit.
void AnimateBars(Session& session, Dialog& dialog);
void SetBarPosition(Dialog& dialog, int barIndex, std::int32_t position);
// True when no tick would move anything until a total rises.
bool BarsAtRest(const Session& session);

}  // namespace kinpath
