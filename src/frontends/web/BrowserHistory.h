// The browser's history around a run, as rules: the run has at most two
// entries, one for its questions and, once it reaches them, one for its
// results, so that leaving the page takes two presses of the browser's Back
// at most. The page's Back steps back among the questions without an entry
// of its own; on the results it goes by the browser to the questions' entry,
// so that the browser's Forward brings the results again. Each rule takes
// where the browser's entry stands and where the run stands, and says what
// to do as a value; WebPage carries it out.
#pragma once

#include <vector>

namespace kinpath::web {

// Where a run stands: among its questions, or at its results after depth steps.
struct RunPlace {
    bool results = false;
    int depth = 0;
    friend bool operator==(const RunPlace&, const RunPlace&) = default;
};

// The browser's current entry: one of the run's (own) and the place it was
// written for, or another's (another run's, the page's before any run).
struct BrowserEntry {
    bool own = false;
    RunPlace place;
};

struct HistoryStep {
    enum class Kind {
        Back,     // to the entry before (the run's questions' one)
        Push,     // a new entry after the current one, for place
        Replace,  // the current entry rewritten for place
    };
    Kind kind = Kind::Replace;
    RunPlace place;
    friend bool operator==(const HistoryStep&, const HistoryStep&) = default;
};
using HistoryPlan = std::vector<HistoryStep>;

// The entries that make the browser stand where the run stands (after a
// start, a reload, an input or the browser's travel): none when it does;
// the results' entry after the questions' one; back from the results' entry
// to the questions' one before it; else the current entry rewritten.
HistoryPlan Place(BrowserEntry entry, RunPlace run);

// The page's Back: whether the browser goes back to the questions' entry
// (its Forward can then return to the results), rather than the run taking
// its step back at once.
bool BackByBrowser(BrowserEntry entry, RunPlace run);

// What the run does when the browser's Back or Forward reached an entry.
enum class TravelMove {
    Stay,
    StepBack,   // the questions' entry, from the results: their last step taken back
    ToResults,  // the results' entry: the run goes forward to its step again
};
TravelMove TravelFor(BrowserEntry entry, RunPlace run);

}  // namespace kinpath::web
