// The window driver: the bar timer's pace, its sleep while no tick would show,
// the ticks it catches up on before a command, and the end of the run.
#include <string>

#include "TestSupport.h"
#include "flow/BarAnimation.h"
#include "script/PointSlot.h"
#include "window/ControlIds.h"

namespace kinpath::testing {
namespace {

struct FakeClock : Clock {
    std::int64_t now = 1000;
    std::int64_t NowMs() const override { return now; }
};

class WindowDriverTest : public ProgramTest {
protected:
    // The window runs on the fake clock; the reference bars tick by hand, every
    // tick, as a timer that never sleeps would.
    void SetUp() override {
        ProgramTest::SetUp();
        WriteScript(
            "<QUESTION>\nname=Far\ntext=Up\n<ANSWER>\ntype=1\nwizpts=150\n</ANSWER>\n</QUESTION>\n"
            "<QUESTION>\nname=Near\ntext=Same\ntext=Down\n<ANSWER>\ntype=1\n</ANSWER>\n"
            "<ANSWER>\ntype=2\nwizpts=-120\n</ANSWER>\n</QUESTION>\n");
        ASSERT_TRUE(window.Start());
        ASSERT_TRUE(reference.Start());
        window.DispatchPosted();
        reference.DispatchPosted();
    }
    void Answer(MemoryDialog& d, int choice) {
        d.Click(IdChoice1 + choice - 1);
        d.Click(IdOk);
    }
    void ReferenceTicks(int ticks) {
        for (int t = 0; t < ticks; ++t) AnimateBars(referenceSession, reference);
    }
    void ExpectSameBars() {
        EXPECT_EQ(windowSession.Bars().BarShown, referenceSession.Bars().BarShown);
        EXPECT_EQ(windowSession.Bars().BarTarget, referenceSession.Bars().BarTarget);
    }

    FakeClock clock;
    Session windowSession, referenceSession;
    HeadlessDialog window{windowSession, 6, 13, &clock};
    HeadlessDialog reference{referenceSession};
};

TEST_F(WindowDriverTest, SleepingBarsCatchUpOnTheTicksTheyMissed) {
    // 1 ms is asked for; ticks come no sooner than every 15 ms.
    EXPECT_EQ(window.Driver().TimerIntervalMs(), 15);
    Answer(window, 1);
    Answer(reference, 1);
    // Past 100 the Wizard bar shows full on its way to 150: the timer sleeps.
    int ticks = 0;
    for (; window.TimerTicking() && ticks < 1000; ++ticks) window.Tick();
    ReferenceTicks(ticks);
    ExpectSameBars();
    ASSERT_GE(windowSession.Bars().BarShown[SlotWizard], 100);
    ASSERT_LT(windowSession.Bars().BarShown[SlotWizard], 150);

    // A command after 7.2 ticks of sleep finds the bars 7 ticks on; after 5 more,
    // 5 more: only ticks not yet caught up on count.
    for (int slept : {7, 5, 60}) {
        clock.now += slept * 15 + 3;
        window.Command(IdChoice1);
        ReferenceTicks(slept);
        ExpectSameBars();
        EXPECT_FALSE(window.TimerTicking());
    }
    // Points taken away bring the bar back into sight: the timer wakes.
    Answer(window, 2);
    EXPECT_TRUE(window.TimerTicking());
}

TEST_F(WindowDriverTest, TheRunEndsOnceAndNothingReachesTheCoreAfter) {
    window.Command(IdExit);
    EXPECT_FALSE(window.TimerTicking());
    EXPECT_FALSE(window.DispatchPosted());
    EXPECT_TRUE(window.QuitRequested());
    EXPECT_EQ(window.ExitCode(), 0);
    window.Click(IdChoice1);
    window.Command(IdOk);
    window.Tick();
    EXPECT_EQ(windowSession.CurrentQuestion(), &windowSession.Document().Questions()[0]);
    EXPECT_EQ(windowSession.AnsweredList().size(), 0u);
}

}  // namespace
}  // namespace kinpath::testing
