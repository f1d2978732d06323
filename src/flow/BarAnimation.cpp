#include "flow/BarAnimation.h"

#include <algorithm>
#include <chrono>

#include "scoring/RankTables.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath {

namespace {

constexpr std::int32_t BarTop = BarHigh;
constexpr std::int32_t Overshoot = 10;

// The lowest position a bar sinks to: it shows no less than empty.
std::int32_t Floor(std::int32_t total) { return std::max(total, 0); }

bool BarAtRest(std::int32_t shown, std::int32_t target, std::int32_t total) {
    return target == 0 && shown >= total && shown <= Floor(total);
}

// One tick of one bar; whether it moved.
bool StepBar(std::int32_t& shown, std::int32_t& target, std::int32_t total) {
    if (target == 0) {
        if (shown < total) {  // so shown + 1 cannot overflow
            ++shown;
            // Wraps like the totals themselves: a huge total gives a
            // negative target, which the fall branch ends at once.
            target = WrappingAdd(total, Overshoot);
            return true;
        }
        if (shown > Floor(total)) {  // points taken away: sink as after an overshoot
            --shown;
            target = -1;
            return true;
        }
    } else if (target > 0) {
        if (shown < BarTop && shown != target) {
            ++shown;
            return true;
        }
        target = total > shown ? 0 : -1;
    } else {
        if (shown > Floor(total)) {  // down to the total, or to empty
            --shown;
            return true;
        }
        target = 0;
    }
    return false;
}

}  // namespace

int SlotForBarIndex(int barIndex) {
    if (barIndex == SlotNecromancer) return SlotMonk;
    if (barIndex == SlotMonk) return SlotNecromancer;
    return barIndex;
}

// On the dialog the Monk bar stands above the Necromancer bar, while the slots
// count Necromancer first.
int BarIdForSlot(int slot) {
    if (slot < 0 || slot >= BarSlotCount) return 0;  // the leanings have no bar
    return IdFirstBar + SlotForBarIndex(slot);
}

std::uint32_t AnimateBars(BarState& bars, const PointValues& totals) {
    std::uint32_t moved = 0;
    for (int barIndex = 0; barIndex < BarCount; ++barIndex) {
        const int slot = SlotForBarIndex(barIndex);
        if (StepBar(bars.BarShown[slot], bars.BarTarget[slot], totals[slot]))
            moved |= 1u << barIndex;
    }
    return moved;
}

void SkipBarTicks(BarState& bars, const PointValues& totals, std::int64_t ticks) {
    for (int slot = 0; slot < BarSlotCount; ++slot) {
        std::int32_t& target = bars.BarTarget[slot];
        std::int32_t& shown = bars.BarShown[slot];
        const std::int32_t total = totals[slot];
        for (std::int64_t left = ticks; left > 0 && !BarAtRest(shown, target, total);) {
            // Long runs in one go: a sinking bar loses one a tick, a bar past the
            // top (where it has no room to overshoot) gains one every second tick.
            std::int64_t run = 1;
            if (target < 0 && shown > Floor(total)) {
                run = std::min<std::int64_t>(left, shown - Floor(total));
                shown = static_cast<std::int32_t>(shown - run);
            } else if (target == 0 && shown >= BarTop && std::int64_t{total} - shown > 1 &&
                       left > 1) {
                const std::int64_t units = std::min<std::int64_t>(left / 2, total - shown - 1);
                shown = static_cast<std::int32_t>(shown + units);
                run = 2 * units;
            } else {
                StepBar(shown, target, total);
            }
            left -= run;
        }
    }
}

void SettleBars(BarState& bars, const PointValues& totals) {
    // However a bar moved, it comes to rest on its total, or on empty below it.
    for (int slot = 0; slot < BarSlotCount; ++slot) {
        bars.BarShown[slot] = Floor(totals[slot]);
        bars.BarTarget[slot] = 0;
    }
}

bool BarsAtRest(const BarState& bars, const PointValues& totals) {
    for (int slot = 0; slot < BarSlotCount; ++slot) {
        if (!BarAtRest(bars.BarShown[slot], bars.BarTarget[slot], totals[slot])) return false;
    }
    return true;
}

bool BarsOutOfSight(const BarState& bars, const PointValues& totals) {
    for (int slot = 0; slot < BarSlotCount; ++slot) {
        const std::int32_t shown = bars.BarShown[slot];
        const std::int32_t total = totals[slot];
        // Full and heading for a total past the top: every position it passes shows full.
        if (!(shown >= BarTop && total >= BarTop) && !BarAtRest(shown, bars.BarTarget[slot], total))
            return false;
    }
    return true;
}

bool BarTimerSleep::SleepAfterTick(const BarState& bars, const PointValues& totals) {
    if (asleep_ || !BarsOutOfSight(bars, totals)) return false;
    asleep_ = true;
    sinceMs_ = clock_.NowMs();
    ticksSkipped_ = 0;
    return true;
}

void BarTimerSleep::CatchUp(BarState& bars, const PointValues& totals, int intervalMs) {
    if (!asleep_ || intervalMs <= 0) return;
    const std::int64_t ticks = std::max<std::int64_t>(clock_.NowMs() - sinceMs_, 0) / intervalMs;
    SkipBarTicks(bars, totals, ticks - ticksSkipped_);
    ticksSkipped_ = ticks;
}

std::int64_t SteadyClock::NowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace kinpath
