// The browser's history around a run, as arithmetic: one entry per step of
// the run, each marked with the run's token and its position among the tab's
// entries (a push one higher than the entry it was made on). An entry of the
// run stands for the step as far from the run's as its position is from the
// run's entry, whatever step it was written for (a step taken back by the
// driver rewrites only the entry it stands on). The run's base is the lowest
// step whose entry is known to be there and the run's; the entries below may
// be gone (dropped by a browser that keeps only so many) or another run's.
// Each rule takes where the browser's entry stands and where the run stands,
// and says what to do as a value; WebPage carries it out.
#pragma once

#include <optional>
#include <vector>

namespace kinpath::web {

// The browser's current entry: the step it stands for when it is one of the
// run's (none for another run's or the page's own), and the lowest step below
// it whose entries are the run's, one a step.
struct BrowserEntry {
    std::optional<int> depth;
    int base = 0;
};

struct HistoryStep {
    enum class Kind {
        Go,       // the browser goes by value entries (history.go)
        Push,     // a new entry for the step value
        Replace,  // the current entry becomes the one of the step value
    };
    Kind kind;
    int value;
    friend bool operator==(const HistoryStep&, const HistoryStep&) = default;
};

// The steps in order, and the run's base after them; a push the browser made
// no room for continues with Dropped.
struct HistoryPlan {
    std::vector<HistoryStep> steps;
    int base = 0;
    friend bool operator==(const HistoryPlan&, const HistoryPlan&) = default;
};

// The entry at position at, the run's (own) or not, as seen by the run that
// stands at step depth on the entry at position pos, with its base (below
// the run's first step, a step below 0, which the driver refuses).
BrowserEntry Locate(bool own, int at, int depth, int pos, int base);

// A resumed run (depth) takes its place among the browser's entries. The
// entry stays the run's when it is one of its own (a reload), and goes back
// to the one of the step the run resumed at (an edited draft); else it
// becomes the run's first (and the run needs a new token).
HistoryPlan Rejoin(BrowserEntry entry, int depth);

// An input moved the run from step before to depth; marked: the browser's
// entry already carries the run's token.
HistoryPlan Follow(int before, int depth, bool marked, int base);

// A push at step depth the browser made no room for: it dropped an entry,
// maybe one of the run's, and Back no longer trusts the entries below.
HistoryPlan Dropped(int depth);

// The page's Back: whether the browser goes back to the run's entry below
// (its Forward can then return), or the driver takes the step back itself.
bool BackByBrowser(BrowserEntry entry, int depth, int base);

// After the browser's Back or Forward (and the step the driver travelled to,
// if any): an entry the run cannot stand for (another run's, a step no
// longer there) becomes the entry of where the run is. Empty when it stands.
HistoryPlan Settle(BrowserEntry entry, int depth);

}  // namespace kinpath::web
