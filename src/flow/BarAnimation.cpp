#include "flow/BarAnimation.h"

#include "flow/Session.h"
#include "scoring/RankTables.h"
#include "window/ControlIds.h"
#include "window/Dialog.h"

namespace kinpath {

namespace {

constexpr std::int32_t BarColourRed = 255;
constexpr std::int32_t BarRange = 100 << 16;  // minimum 0, maximum 100
constexpr std::int32_t BarTop = 100;
constexpr std::int32_t Overshoot = 10;

// On the dialog the Monk bar stands above the Necromancer bar, while the slots
// count Necromancer first.
int SlotForBarIndex(int barIndex) {
    if (barIndex == SlotNecromancer) return SlotMonk;
    if (barIndex == SlotMonk) return SlotNecromancer;
    return barIndex;
}

}  // namespace

int BarIdForSlot(int slot) {
    if (slot < 0 || slot >= BarSlotCount) return 0;  // the leanings have no bar
    return IdFirstBar + SlotForBarIndex(slot);
}

void InitBars(Dialog& dialog) {
    for (int id = IdFirstBar; id < IdFirstBar + BarCount; ++id) {
        dialog.PostBarMessage(id, BarMessage::SetBarColor, BarColourRed);
        dialog.PostBarMessage(id, BarMessage::SetRange, BarRange);
        dialog.PostBarMessage(id, BarMessage::SetPos, 0);
    }
}

void SetBarPosition(Dialog& dialog, int barIndex, std::int32_t position) {
    if (barIndex < 0 || barIndex >= BarCount) return;
    dialog.PostBarMessage(IdFirstBar + barIndex, BarMessage::SetPos, position);
}

void AnimateBars(Session& session, Dialog& dialog) {
    for (int barIndex = 0; barIndex < BarCount; ++barIndex) {
        int slot = SlotForBarIndex(barIndex);
        std::int32_t& target = session.BarTarget[slot];
        std::int32_t& shown = session.BarShown[slot];
        const std::int32_t total = session.PointTotals[slot];

        if (target == 0) {
            if (shown < total) {  // so shown + 1 cannot overflow
                ++shown;
                // Wraps like the totals themselves: a huge total gives a
                // negative target, which the fall branch ends at once.
                target = WrappingAdd(total, Overshoot);
                SetBarPosition(dialog, barIndex, shown);
            }
        } else if (target > 0) {
            if (shown < BarTop && shown != target) {
                ++shown;
                SetBarPosition(dialog, barIndex, shown);
            } else {
                target = total > shown ? 0 : -1;
            }
        } else {
            if (shown > total) {  // so shown - 1 cannot overflow
                --shown;
                SetBarPosition(dialog, barIndex, shown);
            } else {
                target = 0;
            }
        }
    }
}

bool BarsAtRest(const Session& session) {
    for (int slot = 0; slot < BarSlotCount; ++slot) {
        if (session.BarTarget[slot] != 0 || session.BarShown[slot] < session.PointTotals[slot])
            return false;
    }
    return true;
}

}  // namespace kinpath
