// The bars held to a model of the animation: a bar below its total rises one
// unit a tick to ten past the total (stopping at 100), then sinks back to the
// total; a bar above its total sinks to it, or to empty. Monk's bar stands
// above Necromancer's while the slots count Necromancer first.
#include <climits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/MainDialog.h"
#include "flow/BarAnimation.h"
#include "script/PointSlot.h"
#include "window/ControlIds.h"

using namespace kinpath;

namespace {

struct BarModel {
    enum Phase { Idle, Rising, Falling } phase = Idle;
    std::int64_t shown = 0;
    std::int64_t peak = 0;
    bool operator==(const BarModel&) const = default;

    // One tick; whether the bar moved.
    bool Step(std::int32_t total) {
        if (phase == Idle && shown < total) {
            // The peak wraps like the totals; one at or below zero is no rise.
            peak = static_cast<std::int32_t>(static_cast<std::uint32_t>(total) + 10u);
            phase = peak > 0 ? Rising : peak < 0 ? Falling : Idle;
            return ++shown, true;
        }
        if (phase == Idle && shown > std::max(total, 0)) phase = Falling;
        if (phase == Rising && shown < 100 && shown != peak) return ++shown, true;
        if (phase == Falling && shown > std::max(total, 0)) return --shown, true;
        phase = phase == Rising && total <= shown ? Falling : Idle;
        return false;
    }
};

const auto SlotOfBar = [](int bar) { return bar == 18 ? 19 : bar == 19 ? 18 : bar; };

class BarAnimationTest : public kinpath::testing::ProgramTest {};

TEST_F(BarAnimationTest, TicksFollowTheModelOverRandomTotals) {
    std::mt19937 random(8);
    for (int run = 0; run < 30; ++run) {
        Session s;
        kinpath::testing::HeadlessDialog d{s};
        std::vector<BarModel> model(27);
        // One bar has a total at an end of the range, to catch overflow.
        const int edge = run % 27;
        const bool top = run % 2;
        model[edge].shown = s.BarShown[edge] = top ? INT32_MAX - 3 : 3;
        s.PointTotals[edge] = top ? INT32_MAX : INT32_MIN;
        for (int tick = 0; tick < 400; ++tick) {
            const int changed = static_cast<int>(random() % 27);
            if (random() % 4 == 0 && changed != edge)
                s.PointTotals[changed] = static_cast<std::int32_t>(random() % 400) - 150;
            if (random() % 8 == 0) {  // skipped ticks end where as many ticks would
                const int skip = static_cast<int>(random() % 300);
                SkipBarTicks(s, skip);
                for (int k = 0; k < skip * 27; ++k) model[k % 27].Step(s.PointTotals[k % 27]);
            }
            const bool outOfSight = BarsOutOfSight(s);
            std::vector<BarModel> after = model;
            std::vector<bool> moved(27);
            for (int slot = 0; slot < 27; ++slot)
                moved[slot] = after[slot].Step(s.PointTotals[slot]);
            // At rest exactly when a tick would change nothing.
            ASSERT_EQ(BarsAtRest(s), after == model) << "run " << run << " tick " << tick;
            model = after;

            AnimateBars(s, d);
            std::vector<bool> posted(27);
            for (const auto& p : d.PendingPosts()) {
                const int slot = SlotOfBar(p.id - 1012);
                using Kind = MemoryDialog::Posted::Kind;
                ASSERT_TRUE(p.kind == Kind::BarPosition && slot >= 0 && slot < 27);
                ASSERT_FALSE(posted[slot]);
                ASSERT_TRUE(!outOfSight || p.value >= 100);  // out of sight: the bar shows full
                posted[slot] = true;
                ASSERT_EQ(p.value, model[slot].shown) << "slot " << slot;
            }
            ASSERT_EQ(posted, moved) << "run " << run << " tick " << tick;
            d.DispatchPosted();
        }
    }
}

TEST_F(BarAnimationTest, InitBarsAndTheBarOfEachSlot) {
    InitBars(dialog);
    ASSERT_EQ(dialog.PendingPosts().size(), 3u * 27);
    dialog.DispatchPosted();
    for (int k = 0; k < 27; ++k) {
        const auto* bar = dialog.FindBar(1012 + k);
        EXPECT_TRUE(bar->colour == (Colour{255, 0, 0}) && bar->low == 0 && bar->high == 100 &&
                    bar->position == 0)
            << k;
    }
    for (int slot = 0; slot < 31; ++slot) {
        EXPECT_EQ(BarIdForSlot(slot), slot < 27 ? 1012 + SlotOfBar(slot) : 0);
    }
}

// Through the real window: every point key moves its bar, and no key reaches
// the High Elf slot.
TEST_F(BarAnimationTest, EveryKeyMovesItsBarButHighElfHasNoKey) {
    std::string answer = "<ANSWER>\ntype=1\n";
    for (const PointKey& key : AnswerPointKeys) answer += std::string(key.key) + "5\n";
    ASSERT_TRUE(Start("<QUESTION>\nname=All\ntext=Everything\n" + answer +
                      "</ANSWER>\n</QUESTION>\n<QUESTION>\nname=Wait\ntext=x\n</QUESTION>\n"));
    dialog.Click(IdChoice1);
    dialog.Click(IdOk);
    for (int tick = 0; tick < 100 && !BarsAtRest(session); ++tick) dialog.Tick();
    for (int slot = 0; slot < 27; ++slot) {
        EXPECT_EQ(dialog.FindBar(BarIdForSlot(slot))->position, slot == SlotHighElf ? 0 : 5)
            << slot;
    }
}

// Points taken away: a bar sinks one a tick to its new total, but not below empty.
TEST_F(BarAnimationTest, BarsSinkToALowerTotalButNotBelowEmpty) {
    session.BarShown[SlotWarrior] = 60, session.PointTotals[SlotWarrior] = 20;
    session.BarShown[SlotWizard] = 100, session.PointTotals[SlotWizard] = -2000;
    for (int tick = 1; tick <= 110; ++tick) {  // and then stays
        AnimateBars(session, dialog);
        dialog.DispatchPosted();
        ASSERT_TRUE(dialog.FindBar(BarIdForSlot(SlotWarrior))->position ==
                        std::max(60 - tick, 20) &&
                    dialog.FindBar(BarIdForSlot(SlotWizard))->position == std::max(100 - tick, 0))
            << tick;
    }
}

}  // namespace
