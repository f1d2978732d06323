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
// Moves the bars on as that many ticks would, posting nothing: for ticks that
// would change nothing on screen.
void SkipBarTicks(Session& session, std::int64_t ticks);
// True when no tick would move anything until a total changes.
bool BarsAtRest(const Session& session);
// True when no tick would change what a bar shows until a total changes: every
// bar rests, or shows full on its way between positions of 100 and more.
bool BarsOutOfSight(const Session& session);

}  // namespace kinpath
