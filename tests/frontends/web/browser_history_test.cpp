#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "frontends/web/BrowserHistory.h"

namespace kinpath::web {
namespace {

// A tab's history (another page's entry first) and a page on it that carries
// out the rules as WebPage does, over a run of four questions that only
// counts its steps (top: the furthest it went since its last new step).
struct Tab {
    struct Entry {
        bool own;
        RunPlace place;
    };
    std::vector<Entry> entries{{false, {}}, {false, {}}};
    std::size_t at = 1;
    RunPlace run;
    int top = 0;

    BrowserEntry Current() const { return {entries[at].own, entries[at].place}; }
    void Carry(const HistoryPlan& plan) {
        for (const HistoryStep& step : plan) {
            if (step.kind == HistoryStep::Kind::Back) return Travel(at - 1);
            if (step.kind == HistoryStep::Kind::Push) entries.resize(++at + 1);
            entries[at] = {true, step.place};
        }
    }
    void To(int depth) {
        run = {depth == 4, depth};
        if (depth > top || run.results) top = depth;
    }
    void Answer() {
        if (run.results) return;
        To(run.depth + 1);
        top = run.depth;
        Carry(Place(Current(), run));
    }
    void PageBack() {
        if (BackByBrowser(Current(), run)) return Travel(at - 1);
        if (run.depth > 0) To(run.depth - 1);
        Carry(Place(Current(), run));
    }
    // The browser's Back or Forward reached the entry to.
    void Travel(std::size_t to) {
        ASSERT_GT(at = to, 0u) << "the page was left";
        const BrowserEntry entry = Current();
        const TravelMove move = TravelFor(entry, run);
        if (move == TravelMove::StepBack) To(run.depth - 1);
        if (move == TravelMove::ToResults && entry.place.depth <= top) To(entry.place.depth);
        Carry(Place(Current(), run));
    }
};

// Wherever the run goes by the page's controls, the browser's Back and
// Forward and reloads: the browser stands on the run's entry for where the
// run is, the page has two entries at most (leaving it takes two presses of
// the browser's Back), the page's Back takes one step and never leaves, and
// the browser's Back from the results takes their last step back, which its
// Forward gives again.
TEST(BrowserHistory, TwoEntriesAtMostAndForwardReturnsToTheResults) {
    std::mt19937 random(5);
    for (int round = 0; round < 2000; ++round) {
        Tab tab;
        tab.To(static_cast<int>(random() % 5));  // a run kept, resumed anywhere
        tab.Carry(Place(tab.Current(), tab.run));
        for (int move = 0; move < 40; ++move) {
            const int op = random() % 6;
            const RunPlace before = tab.run;
            if (op < 2) tab.Answer();
            if (op == 2) {
                tab.PageBack();
                ASSERT_EQ(tab.run.depth, before.depth > 0 ? before.depth - 1 : 0);
            }
            if (op == 3 && tab.at > 1) {
                tab.Travel(tab.at - 1);
                ASSERT_EQ(tab.run.depth, before.results ? before.depth - 1 : before.depth);
                if (before.results) {
                    tab.Travel(tab.at + 1);
                    ASSERT_EQ(tab.run, before);
                }
            }
            if (op == 4) tab.Carry(Place(tab.Current(), tab.run));  // a reload
            if (op == 5) {  // a draft reloaded after an edit: the run resumes elsewhere
                tab.To(static_cast<int>(random() % 5));
                tab.Carry(Place(tab.Current(), tab.run));
            }
            const BrowserEntry now = tab.Current();
            ASSERT_TRUE(now.own && now.place.results == tab.run.results) << round;
            ASSERT_TRUE(!now.place.results || now.place.depth == tab.run.depth);
            ASSERT_LE(tab.entries.size(), 3u);
        }
    }
}

}  // namespace
}  // namespace kinpath::web
