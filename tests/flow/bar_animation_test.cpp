#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "flow/BarAnimation.h"
#include "scoring/RankTables.h"
#include "window/ControlIds.h"
#include "app/MainDialog.h"

namespace kinpath {
namespace {

using testing::HeadlessDialog;

class BarAnimationTest : public testing::ProgramTest {
protected:
    // One tick; returns the slot's BarShown after it and checks the bar agrees.
    std::int32_t Tick(int slot) {
        AnimateBars(d);
        d.DispatchPosted();
        EXPECT_EQ(d.FindBar(BarIdForSlot(slot))->position, BarShown[slot]);
        return BarShown[slot];
    }
    // Ticks until nothing would move; returns every BarShown on the way.
    std::vector<std::int32_t> RunToRest(int slot, int limit = 1000) {
        std::vector<std::int32_t> trace;
        while (!BarsAtRest() && static_cast<int>(trace.size()) < limit) trace.push_back(Tick(slot));
        EXPECT_TRUE(BarsAtRest());
        return trace;
    }
    HeadlessDialog d;
};

TEST_F(BarAnimationTest, InitBarsPostsColourRangeAndPositionPerBar) {
    InitBars(d);
    const auto& posted = d.PendingPosts();
    ASSERT_EQ(posted.size(), 81u);
    for (int k = 0; k < BarCount; ++k) {
        SCOPED_TRACE(k);
        const BarMessage messages[] = {BarMessage::SetBarColor, BarMessage::SetRange, BarMessage::SetPos};
        const std::int32_t values[] = {255, 100 << 16, 0};
        for (int m = 0; m < 3; ++m) {
            EXPECT_EQ(posted[3 * k + m].id, IdFirstBar + k);
            EXPECT_EQ(posted[3 * k + m].message, messages[m]);
            EXPECT_EQ(posted[3 * k + m].value, values[m]);
        }
    }
    d.DispatchPosted();
    EXPECT_EQ(d.FindBar(1038)->colour, 255);
    EXPECT_EQ(d.FindBar(1038)->range, 100 << 16);
}

TEST_F(BarAnimationTest, TotalOfFiveGivesTheTwentySevenTickBounce) {
    PointTotals[SlotWizard] = 5;
    std::vector<std::int32_t> expected;
    for (int v = 1; v <= 15; ++v) expected.push_back(v);
    expected.push_back(15);
    for (int v = 14; v >= 5; --v) expected.push_back(v);
    expected.push_back(5);

    for (std::size_t tick = 0; tick < expected.size(); ++tick) {
        AnimateBars(d);
        bool moves = tick != 15 && tick != 26;  // ticks 16 and 27 end a rise or fall
        EXPECT_EQ(d.PendingPosts().size(), moves ? 1u : 0u) << "tick " << tick + 1;
        d.DispatchPosted();
        EXPECT_EQ(BarShown[SlotWizard], expected[tick]) << "tick " << tick + 1;
        EXPECT_EQ(BarsAtRest(), tick == 26) << "tick " << tick + 1;
    }
    EXPECT_EQ(d.FindBar(1038)->position, 5);
    EXPECT_EQ(BarTarget[SlotWizard], 0);
}

TEST_F(BarAnimationTest, OvershootStopsAtOneHundred) {
    PointTotals[SlotTroll] = 95;
    std::vector<std::int32_t> trace = RunToRest(SlotTroll);
    EXPECT_EQ(*std::max_element(trace.begin(), trace.end()), 100);
    EXPECT_EQ(trace.size(), 107u);  // 100 up, 1 turn, 5 down, 1 settle
    EXPECT_EQ(BarShown[SlotTroll], 95);
}

TEST_F(BarAnimationTest, TotalAboveOneHundredCreepsUpWithoutFalling) {
    PointTotals[SlotOgre] = 105;
    std::vector<std::int32_t> trace = RunToRest(SlotOgre);
    ASSERT_GE(trace.size(), 110u);
    EXPECT_TRUE(std::is_sorted(trace.begin(), trace.end()));  // never falls
    // 100 in 100 ticks, then one unit every second tick.
    EXPECT_EQ(std::vector<std::int32_t>(trace.begin() + 99, trace.begin() + 110),
              (std::vector<std::int32_t>{100, 100, 101, 101, 102, 102, 103, 103, 104, 104, 105}));
    EXPECT_EQ(trace.back(), 105);
    EXPECT_EQ(BarTarget[SlotOgre], 0);
}

TEST_F(BarAnimationTest, RiseDuringAFallEndsTheFallAndBouncesAgain) {
    PointTotals[SlotDruid] = 5;
    for (int tick = 0; tick < 19; ++tick) Tick(SlotDruid);
    ASSERT_EQ(BarShown[SlotDruid], 12);
    ASSERT_LT(BarTarget[SlotDruid], 0);

    PointTotals[SlotDruid] = 15;
    EXPECT_EQ(Tick(SlotDruid), 12);  // the fall ends, nothing moves
    EXPECT_EQ(BarTarget[SlotDruid], 0);
    EXPECT_EQ(Tick(SlotDruid), 13);
    std::vector<std::int32_t> trace = RunToRest(SlotDruid);
    EXPECT_EQ(*std::max_element(trace.begin(), trace.end()), 25);
    EXPECT_EQ(BarShown[SlotDruid], 15);
}

TEST_F(BarAnimationTest, DropDuringARiseFinishesTheRiseThenFallsBelowZero) {
    PointTotals[SlotRogue] = 5;
    for (int tick = 0; tick < 5; ++tick) Tick(SlotRogue);
    PointTotals[SlotRogue] = -3;
    std::vector<std::int32_t> trace = RunToRest(SlotRogue);
    EXPECT_EQ(*std::max_element(trace.begin(), trace.end()), 15);
    EXPECT_EQ(BarShown[SlotRogue], -3);
    EXPECT_EQ(d.FindBar(BarIdForSlot(SlotRogue))->position, -3);
}

TEST_F(BarAnimationTest, DropWhileAtRestMovesNothing) {
    PointTotals[SlotHuman] = 20;
    RunToRest(SlotHuman);
    PointTotals[SlotHuman] = 15;
    PointTotals[SlotGnome] = -4;  // a non-positive total never starts a rise
    EXPECT_TRUE(BarsAtRest());
    for (int tick = 0; tick < 50; ++tick) AnimateBars(d);
    EXPECT_TRUE(d.PendingPosts().empty());
    EXPECT_EQ(BarShown[SlotHuman], 20);
}

TEST_F(BarAnimationTest, DeepNegativeTotalsClimbWithoutOvershoot) {
    // Target 0: one unit per tick.
    BarShown[SlotCleric] = -20;
    PointTotals[SlotCleric] = -10;
    std::vector<std::int32_t> trace = RunToRest(SlotCleric);
    EXPECT_EQ(std::vector<std::int32_t>(trace.begin(), trace.begin() + 10),
              (std::vector<std::int32_t>{-19, -18, -17, -16, -15, -14, -13, -12, -11, -10}));
    EXPECT_EQ(BarShown[SlotCleric], -10);

    // Target below 0: one unit every second tick.
    BarShown[SlotBard] = -20;
    PointTotals[SlotBard] = -15;
    trace = RunToRest(SlotBard);
    EXPECT_EQ(std::vector<std::int32_t>(trace.begin(), trace.begin() + 4),
              (std::vector<std::int32_t>{-19, -19, -18, -18}));
    EXPECT_EQ(*std::max_element(trace.begin(), trace.end()), -15);
    EXPECT_EQ(BarShown[SlotBard], -15);
}

TEST_F(BarAnimationTest, ExtremeTotalsAreSafe) {
    // The rise's target wraps like the totals, so the bar creeps from the start.
    PointTotals[SlotEnchanter] = INT32_MAX;
    for (int tick = 0; tick < 300; ++tick) Tick(SlotEnchanter);
    EXPECT_EQ(BarShown[SlotEnchanter], 150);
    PointTotals[SlotEnchanter] = BarShown[SlotEnchanter] = BarTarget[SlotEnchanter] = 0;

    BarShown[SlotMagician] = INT32_MAX - 1;
    BarTarget[SlotMagician] = 0;
    PointTotals[SlotMagician] = INT32_MAX;
    RunToRest(SlotMagician);
    EXPECT_EQ(BarShown[SlotMagician], INT32_MAX);

    BarShown[SlotMagician] = INT32_MIN + 1;
    BarTarget[SlotMagician] = -1;
    PointTotals[SlotMagician] = INT32_MIN;
    RunToRest(SlotMagician);
    EXPECT_EQ(BarShown[SlotMagician], INT32_MIN);
}

TEST_F(BarAnimationTest, MonkAndNecromancerDriveTheirOwnBars) {
    InitBars(d);
    PointTotals[SlotMonk] = 3;
    RunToRest(SlotMonk);
    EXPECT_EQ(d.FindBar(1030)->position, 3);
    EXPECT_EQ(d.FindBar(1031)->position, 0);
    EXPECT_EQ(BarIdForSlot(SlotMonk), 1030);

    PointTotals[SlotNecromancer] = 7;
    RunToRest(SlotNecromancer);
    EXPECT_EQ(d.FindBar(1031)->position, 7);
    EXPECT_EQ(d.FindBar(1030)->position, 3);
}

TEST_F(BarAnimationTest, EveryKeyMovesItsBarButHighElfNeverMoves) {
    std::string answer = "<ANSWER>\ntype=1\n";
    for (const PointKey& key : AnswerPointKeys) answer += std::string(key.key) + "5\n";
    WriteScript("<QUESTION>\nname=All\ntext=Everything\n" + answer + "</ANSWER>\n</QUESTION>\n"
                "<QUESTION>\nname=Wait\ntext=x\n</QUESTION>\n");
    DialogInit(d);
    d.DispatchPosted();
    d.Click(IdChoice1);
    d.Click(IdOk);
    for (int tick = 0; tick < 100 && !BarsAtRest(); ++tick) d.Tick();
    ASSERT_TRUE(BarsAtRest());
    for (int slot = 0; slot < BarSlotCount; ++slot) {
        int expected = slot == SlotHighElf ? 0 : 5;
        EXPECT_EQ(d.FindBar(BarIdForSlot(slot))->position, expected) << slot;
    }
}

}  // namespace
}  // namespace kinpath
