#include <gtest/gtest.h>

#include <random>

#include "flow/RunLog.h"

namespace kinpath {
namespace {

// A browser's Back and Forward over a run's steps, each input one move.
struct Travels {
    std::vector<Event> events, timeline;
    void Input(const Event& e) {
        events.push_back(e);
        KeepTimeline(timeline, events);
    }
    bool Go(int depth) {
        const auto target = EventsToTravel(events, timeline, depth);
        if (!target) return false;
        events = *target;
        KeepTimeline(timeline, events);
        return true;
    }
    int Depth() const { return StepCount(events); }
};

TEST(RunLog, BackThenForwardComesBackUntilTheRunTakesAStepOfItsOwn) {
    std::mt19937 random(11);
    for (int round = 0; round < 500; ++round) {
        Travels t;
        for (int n = 1 + random() % 8; n > 0; --n) {
            for (int c = random() % 3; c > 0; --c) t.Input(ChooseEvent(1 + random() % 8));
            if (random() % 5 == 0) t.Input(AnswerEvent(BoxResult::Yes));
            t.Input({random() % 3 == 0 ? EventKind::Skip : EventKind::Ok});
        }
        const std::vector<Event> furthest = t.events;
        const int steps = t.Depth();
        EXPECT_FALSE(t.Go(steps + 1)) << "nothing ahead of the furthest step";
        const int back = random() % (steps + 1);
        for (int k = 0; k < back; ++k) ASSERT_TRUE(t.Go(t.Depth() - 1));
        ASSERT_EQ(t.Depth(), steps - back);
        ASSERT_EQ(t.events, EventsAtDepth(furthest, steps - back));
        if (back > 0 && random() % 2 == 0) {
            // Another choice alone keeps the way forward; another step ends it.
            t.Input(ChooseEvent(9));
            EXPECT_TRUE(t.Go(steps)) << round;
            EXPECT_EQ(t.events, furthest);
            ASSERT_TRUE(t.Go(steps - back));
            t.Input(ChooseEvent(9));
            t.Input({EventKind::Ok});
            EXPECT_FALSE(t.Go(t.Depth() + 1)) << round;
            continue;
        }
        for (int k = 0; k < back; ++k) ASSERT_TRUE(t.Go(t.Depth() + 1));
        EXPECT_EQ(t.events, furthest);
        EXPECT_FALSE(t.Go(-1));
        EXPECT_EQ(EventsOfLetters(EventLetters(furthest)), furthest);
    }
    EXPECT_EQ(EventLetters(std::vector<Event>{
                  ChooseEvent(3), {EventKind::Ok}, AnswerEvent(BoxResult::No), {EventKind::Skip}}),
              "3ons");
    for (const char* damaged : {"3o?", "0", "o s", "x"}) EXPECT_FALSE(EventsOfLetters(damaged));
}

}  // namespace
}  // namespace kinpath
