// The 27 progress bars following the point totals.
#pragma once

#include <cstdint>

#include "flow/Clock.h"
#include "script/PointSlot.h"

namespace kinpath {

// What the animation keeps per slot: the position last given to the bar, and
// where it is going (0 idle, above 0 rising to that value, below 0 falling to
// the total or to 0).
struct BarState {
    PointValues BarShown{};
    PointValues BarTarget{};
};

// Bar identifier of a race or class slot (Necromancer and Monk are swapped);
// 0 for the leanings, which have no bar.
int BarIdForSlot(int slot);
// The slot a bar (by index from 0) shows.
int SlotForBarIndex(int barIndex);

// One timer tick: every bar moves by at most one unit. Bit b of the result is
// set when bar index b moved (to BarShown[SlotForBarIndex(b)]).
std::uint32_t AnimateBars(BarState& bars, const PointValues& totals);
// Moves the bars on as that many ticks would: for ticks that would change
// nothing on screen.
void SkipBarTicks(BarState& bars, const PointValues& totals, std::int64_t ticks);
// Every bar at rest where the totals leave it, as if it had had all the
// ticks it needed: for a run replayed at once.
void SettleBars(BarState& bars, const PointValues& totals);
// True when no tick would move anything until a total changes.
bool BarsAtRest(const BarState& bars, const PointValues& totals);
// True when no tick would change what a bar shows until a total changes: every
// bar rests, or shows full on its way between positions of 100 and more.
bool BarsOutOfSight(const BarState& bars, const PointValues& totals);

// A window's sleeping bar timer. Ticks that change nothing on screen need no
// wakeups until a total changes, which only an event can do: the timer stops
// after such a tick, and before the next event the bars move on by the ticks
// slept through.
class BarTimerSleep {
public:
    explicit BarTimerSleep(const Clock& clock) : clock_(clock) {}

    // After a tick of the running timer: true when it should stop now.
    bool SleepAfterTick(const BarState& bars, const PointValues& totals);
    // Before an event: the bars catch up on the ticks of intervalMs slept
    // through so far (none while the timer runs).
    void CatchUp(BarState& bars, const PointValues& totals, int intervalMs);
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
