#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "frontends/web/BrowserHistory.h"

namespace kinpath::web {
namespace {

// A tab's history as the browser keeps it (a few entries at most, the oldest
// dropped) and a page on it that carries out the plans as WebPage does, over
// a run that only counts its steps.
struct Tab {
    struct Entry {
        int token, depth, base;
    };
    // Another page's entry (going back to it leaves the page), then this one's.
    std::vector<Entry> entries{{-1, -1, 0}, {0, -1, 0}};
    std::size_t at = 1;
    int token = 1, depth = 0, base = 0;
    bool marked = false;

    BrowserEntry Current() const {
        const Entry& e = entries[at];
        return e.token == token ? BrowserEntry{e.depth, e.base} : BrowserEntry{};
    }
    void Carry(const HistoryPlan& plan) {
        base = plan.base;
        for (const HistoryStep& step : plan.steps) {
            const std::size_t before = entries.size();
            if (step.kind == HistoryStep::Kind::Go) {
                ASSERT_LT(at + step.value, entries.size());  // wraps below the first
                Travel(at + step.value);
            } else if (step.kind == HistoryStep::Kind::Replace) {
                entries[at] = {token, step.value, base};
            } else {
                entries.resize(++at);
                entries.push_back({token, step.value, base});
                if (entries.size() > 6) entries.erase(entries.begin()), --at;
                if (entries.size() <= before) Carry(Dropped(step.value));
            }
        }
        marked = marked || !plan.steps.empty();
    }
    void Input(int to) { Carry(Follow(std::exchange(depth, to), to, marked, base)); }
    // The browser's Back or Forward reached the entry to.
    void Travel(std::size_t to) {
        const Entry e = entries[at = to];
        ASSERT_GE(e.token, 0) << "the page was left";
        if (e.token == token) depth = e.depth;
        Carry(Settle(Current(), depth, base));
    }
};

// Wherever the run goes by the page's controls and the browser's Back and
// Forward, with entries dropped (the oldest, or those ahead of a new step)
// and runs started again in the tab, the page stands on the entry of the
// run's step and the entries below it down to the base stand for the steps
// before, one a step: the page's Back goes a step back by the browser and
// never leaves the page. A walk ends where the page's Back, at the base, goes
// by the driver, which relabels the entry.
TEST(BrowserHistory, TheRunsEntriesStandForItsStepsWhereverItGoes) {
    std::mt19937 random(5);
    for (int round = 0; round < 400; ++round) {
        Tab tab;
        bool byDriver = false;
        for (int move = 0; move < 60 && !byDriver; ++move) {
            const int op = random() % 6, before = tab.depth;
            if (op < 2) tab.Input(before + 1);
            if (op == 2 && before > 0) {
                byDriver = !BackByBrowser(tab.Current(), before, tab.base);
                byDriver ? tab.Input(before - 1) : tab.Travel(tab.at - 1);
                ASSERT_EQ(tab.depth, before - 1);
            }
            if (op == 3 && tab.at > 0 && tab.entries[tab.at - 1].token >= 0) tab.Travel(tab.at - 1);
            if (op == 4 && tab.at + 1 < tab.entries.size()) tab.Travel(tab.at + 1);
            if (op == 5) tab = {tab.entries, tab.at, tab.token + 1};  // Start again
            if (!tab.marked) continue;
            ASSERT_TRUE(tab.base <= tab.depth && tab.depth - tab.base <= static_cast<int>(tab.at));
            for (int k = 0; k <= tab.depth - tab.base; ++k) {
                const Tab::Entry& e = tab.entries[tab.at - k];
                ASSERT_TRUE(e.token == tab.token && e.depth == tab.depth - k) << round;
            }
        }
    }
}

// A reload on the run's entry of step at, with its entries from base up:
// wherever the draft now lets the run resume (before it, edited; after it,
// made whole again), the page stands on that step's entry, and the entries
// below it down to the base stand for the steps before, one a step.
TEST(BrowserHistory, AReloadedDraftStandsOnTheEntryOfItsStep) {
    for (int base = 0; base < 4; ++base) {
        for (int at = base; at < 4; ++at) {
            for (int resumed = 0; resumed < 7; ++resumed) {
                Tab tab{{{-1, -1, 0}}, 0, 1, resumed, base, true};
                for (int step = base; step <= at; ++step) tab.entries.push_back({1, step, base});
                tab.at = tab.entries.size() - 1;
                tab.Carry(Rejoin(tab.Current(), resumed));
                ASSERT_TRUE(tab.depth == resumed && tab.base <= resumed);
                for (int k = 0; k <= resumed - tab.base; ++k) {
                    const Tab::Entry& e = tab.entries.at(tab.at - k);
                    ASSERT_TRUE(e.token == 1 && e.depth == resumed - k) << at << ", " << resumed;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kinpath::web
