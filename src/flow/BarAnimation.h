// The 27 progress bars following the point totals.
#pragma once

#include <cstdint>

#include "flow/Clock.h"

namespace kinpath {

class Dialog;
class Session;

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

// A window's sleeping bar timer. Ticks that change nothing on screen need no
// wakeups until a total changes, which only a command can do: the timer stops
// after such a tick, and before the next command the bars move on by the ticks
// slept through.
class BarTimerSleep {
public:
    explicit BarTimerSleep(const Clock& clock) : clock_(clock) {}

    // After a tick of the running timer: true when it should stop now.
    bool SleepAfterTick(const Session& session);
    // Before a command: the bars catch up on the ticks of intervalMs slept
    // through so far (none while the timer runs).
    void CatchUp(Session& session, int intervalMs);
    // The timer was started again.
    void Wake() { asleep_ = false; }
    bool Asleep() const { return asleep_; }

private:
    const Clock& clock_;
    std::int64_t sinceMs_ = 0;
    std::int64_t ticksSkipped_ = 0;
    bool asleep_ = false;
};

}  // namespace kinpath
