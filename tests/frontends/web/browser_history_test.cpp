#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "frontends/web/BrowserHistory.h"

namespace kinpath::web {
namespace {

// A tab's history as the browser keeps it (a few entries at most, the oldest
// dropped) and a page on it that carries out the plans as WebPage does, over
// a run that only counts its steps (top: the furthest the driver goes forward).
struct Tab {
    struct Entry {
        int token, depth, pos;
    };
    // Another page's entry (going back to it leaves the page), then this one's.
    std::vector<Entry> entries{{-1, -1, 0}, {0, -1, 0}};
    std::size_t at = 1;
    int token = 1, pos = 0, depth = 0, top = 0, base = 0;
    bool marked = false;

    BrowserEntry Current() const {
        return Locate(entries[at].token == token, entries[at].pos, depth, pos, base);
    }
    void Carry(const HistoryPlan& plan) {
        base = plan.base;
        for (const HistoryStep& step : plan.steps) {
            const std::size_t before = entries.size();
            if (step.kind == HistoryStep::Kind::Go) {
                ASSERT_LT(at + step.value, entries.size());  // wraps below the first
                pos += step.value;
                Travel(at + step.value);
            } else if (step.kind == HistoryStep::Kind::Replace) {
                entries[at] = {token, step.value, pos};
            } else {
                entries.resize(++at);
                entries.push_back({token, step.value, ++pos});
                if (entries.size() > 6) entries.erase(entries.begin()), --at;
                if (entries.size() <= before) Carry(Dropped(step.value));
            }
        }
        marked = marked || !plan.steps.empty();
    }
    void Input(int to) {
        top = to > depth ? to : top;
        Carry(Follow(std::exchange(depth, to), to, marked, base));
    }
    // The browser's Back or Forward reached the entry to.
    void Travel(std::size_t to) {
        ASSERT_GE(entries[at = to].token, 0) << "the page was left";
        const BrowserEntry entry = Current();
        if (entry.depth >= 0 && *entry.depth <= top) depth = *entry.depth;  // as the driver can
        pos = entries[at].pos;
        Carry(Settle(entry, depth));
    }
    // A reload resumes the run at step resumed (another than before: a draft
    // edited, or made whole again).
    void Reload(int resumed) {
        const BrowserEntry entry = Current();
        token += entry.depth ? 0 : 1;
        top = resumed == depth ? top : resumed;
        depth = resumed;
        Carry(Rejoin(entry, resumed));
    }
};

// Wherever the run goes by the page's controls, the browser's Back and
// Forward and reloads, with entries dropped (the oldest, or those ahead of a
// new step) and runs started again in the tab: the page's Back takes one step
// and never leaves the page, the browser's Back and Forward take one step
// when they reach an entry of the run, Forward gives back the step the
// browser's Back took, and the entries below the run's, down to its base,
// are the run's.
TEST(BrowserHistory, EachBackAndForwardIsOneStepOfTheRun) {
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        Tab tab;
        for (int move = 0, took = -1; move < 60; ++move) {
            const int op = random() % 8, before = tab.depth, last = std::exchange(took, -1);
            const std::size_t from = tab.at;
            if (op < 2) tab.Input(before + 1);
            if (op == 2 && before > 0) {
                BackByBrowser(tab.Current(), before, tab.base) ? tab.Travel(tab.at - 1)
                                                               : tab.Input(before - 1);
                ASSERT_EQ(tab.depth, before - 1);
            }
            if (op == 3 && tab.at > 0 && tab.entries[tab.at - 1].token >= 0) {
                const bool run = tab.entries[tab.at - 1].token == tab.token;
                tab.Travel(tab.at - 1);
                ASSERT_EQ(tab.depth, run && before > 0 ? before - 1 : before);
            }
            if (op == 4 && tab.at + 1 < tab.entries.size()) {
                const bool run = tab.entries[tab.at + 1].token == tab.token;
                tab.Travel(tab.at + 1);
                ASSERT_EQ(tab.depth, run && before < tab.top ? before + 1 : before);
                ASSERT_TRUE(last < 0 || tab.depth == last) << round;
            }
            if (op == 5) tab = {tab.entries, tab.at, tab.token + 1, tab.entries[tab.at].pos};
            if (op == 6) tab.Reload(random() % (before + 3));
            const std::size_t to = random() % tab.entries.size();  // the browser's list
            if (op == 7 && tab.entries[to].token >= 0) tab.Travel(to);
            if ((op == 2 || op == 3) && tab.at < from && tab.depth < before) took = before;
            if (!tab.marked) continue;
            ASSERT_TRUE(tab.base <= tab.depth && tab.depth - tab.base <= static_cast<int>(tab.at));
            for (int k = 0; k <= tab.depth - tab.base; ++k) {
                const Tab::Entry& e = tab.entries[tab.at - k];
                ASSERT_TRUE(e.token == tab.token && e.pos == tab.pos - k) << round;
            }
        }
    }
}

}  // namespace
}  // namespace kinpath::web
