// The bars held to a model of the animation: a bar below its total rises one
// unit a tick to ten past the total (stopping at 100), then sinks back to the
// total; a bar above its total sinks to it, or to empty. Monk's bar stands
// above Necromancer's while the slots count Necromancer first.
#include <algorithm>
#include <climits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "flow/BarAnimation.h"
#include "flow/Session.h"
#include "script/PointSlot.h"
#include "script/ScriptDocument.h"
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

// One question whose answers set the given points; answer n has type n.
std::shared_ptr<const ScriptDocument> Answers(
    const std::vector<std::vector<std::string>>& answers) {
    std::string script = "<QUESTION>\n";
    for (const auto& keys : answers) {
        script += "<ANSWER>\n";
        for (const std::string& key : keys) script += key + "\n";
        script += "</ANSWER>\n";
    }
    return kinpath::testing::LoadedScript(script + "</QUESTION>\n");
}

void Record(Session& s, std::size_t answer) {
    s.RecordPoints(s.Document().Answers(s.Document().Questions()[0])[answer]);
}

TEST_F(BarAnimationTest, TicksFollowTheModelOverRandomTotals) {
    std::mt19937 random(8);
    for (int run = 0; run < 30; ++run) {
        // One bar has a total at an end of the range, to catch overflow: the
        // first answer takes it there, the others leave it alone. High Elf has
        // no key: its total never moves.
        const int edge = run % BarSlotCount == SlotHighElf ? SlotHuman : run % BarSlotCount;
        const bool top = run % 2;
        const auto keyOf = [](int slot) {
            return std::string(std::find_if(AnswerPointKeys.begin(), AnswerPointKeys.end(),
                                            [slot](const PointKey& k) { return k.slot == slot; })
                                   ->key);
        };
        std::vector<std::vector<std::string>> answers{
            {keyOf(edge) + (top ? "2147483647" : "-2147483648")}};
        for (int n = 0; n < 40; ++n) {
            auto& keys = answers.emplace_back();
            for (int k = static_cast<int>(random() % 4); k >= 0; --k) {
                const int slot = static_cast<int>(random() % BarSlotCount);
                if (slot != edge && slot != SlotHighElf)
                    keys.push_back(keyOf(slot) +
                                   std::to_string(static_cast<int>(random() % 400) - 150));
            }
        }
        Session s(Answers(answers));
        BarState bars;
        std::vector<BarModel> model(27);
        model[edge].shown = bars.BarShown[edge] = top ? INT32_MAX - 3 : 3;
        Record(s, 0);
        for (int tick = 0; tick < 400; ++tick) {
            if (random() % 4 == 0) Record(s, 1 + random() % (answers.size() - 1));
            const PointValues& totals = s.PointTotals();
            if (random() % 8 == 0) {  // skipped ticks end where as many ticks would
                const int skip = static_cast<int>(random() % 300);
                SkipBarTicks(bars, totals, skip);
                for (int k = 0; k < skip * 27; ++k) model[k % 27].Step(totals[k % 27]);
            }
            const bool outOfSight = BarsOutOfSight(bars, totals);
            std::vector<BarModel> after = model;
            std::vector<bool> moved(27);
            for (int slot = 0; slot < 27; ++slot) moved[slot] = after[slot].Step(totals[slot]);
            // At rest exactly when a tick would change nothing.
            ASSERT_EQ(BarsAtRest(bars, totals), after == model)
                << "run " << run << " tick " << tick;
            model = after;

            const std::uint32_t movedBars = AnimateBars(bars, totals);
            std::vector<bool> posted(27);
            for (int b = 0; b < 27; ++b) {
                if ((movedBars & (1u << b)) == 0) continue;
                const int slot = SlotOfBar(b);
                ASSERT_TRUE(!outOfSight || bars.BarShown[slot] >= 100);  // out of sight: full
                posted[slot] = true;
            }
            for (int slot = 0; slot < 27; ++slot)
                ASSERT_EQ(bars.BarShown[slot], model[slot].shown) << "slot " << slot;
            ASSERT_EQ(posted, moved) << "run " << run << " tick " << tick;
        }
        // Settled at once, a bar stands where all its ticks would leave it.
        BarState settled = bars;
        SettleBars(settled, s.PointTotals());
        for (int n = 0; n < 5000 && !BarsAtRest(bars, s.PointTotals()); ++n)
            SkipBarTicks(bars, s.PointTotals(), 1000);
        ASSERT_EQ(settled.BarShown, bars.BarShown) << "run " << run;
        ASSERT_TRUE(BarsAtRest(settled, s.PointTotals()));
    }
}

// Through the real window: the bars start empty, every point key
// moves its bar, and no key reaches the High Elf slot.
TEST_F(BarAnimationTest, EveryKeyMovesItsBarButHighElfHasNoKey) {
    for (int slot = 0; slot < 31; ++slot)
        EXPECT_EQ(BarIdForSlot(slot), slot < 27 ? 1012 + SlotOfBar(slot) : 0);
    std::string answer = "<ANSWER>\ntype=1\n";
    for (const PointKey& key : AnswerPointKeys) answer += std::string(key.key) + "5\n";
    ASSERT_TRUE(Start("<QUESTION>\nname=All\ntext=Everything\n" + answer +
                      "</ANSWER>\n</QUESTION>\n<QUESTION>\nname=Wait\ntext=x\n</QUESTION>\n"));
    for (int k = 0; k < 27; ++k) EXPECT_EQ(dialog.BarPosition(1012 + k), 0) << k;
    dialog.Click(IdChoice1);
    dialog.Click(IdOk);
    for (int tick = 0; tick < 100 && dialog.TimerTicking(); ++tick) dialog.Tick();
    for (int slot = 0; slot < 27; ++slot) {
        EXPECT_EQ(dialog.BarPosition(BarIdForSlot(slot)), slot == SlotHighElf ? 0 : 5) << slot;
    }
}

}  // namespace
