#include "frontends/web/BrowserHistory.h"

#include <algorithm>

namespace kinpath::web {

using Kind = HistoryStep::Kind;

BrowserEntry Locate(bool own, int at, int depth, int pos, int base) {
    if (!own) return {};
    const int step = depth + at - pos;
    // Past the entry after the run's, the entries between are not known.
    return {step, step >= base && step <= depth + 1 ? base : step};
}

HistoryPlan Rejoin(BrowserEntry entry, int depth) {
    // The entries from base up are the run's: the browser goes back to the
    // step only where it still has that step's entry.
    const int from = entry.depth ? entry.base : depth;
    HistoryPlan plan{{}, std::min(from, depth)};
    const int at = entry.depth.value_or(-1);
    if (at > depth && depth >= from) {
        plan.steps.push_back({Kind::Go, depth - at});
    } else if (entry.depth && at < depth) {
        // The run resumed past the entry the browser stands on (a draft made
        // whole again): the steps between get entries of their own.
        for (int step = at + 1; step <= depth; ++step) plan.steps.push_back({Kind::Push, step});
    } else {
        plan.steps.push_back({Kind::Replace, depth});
    }
    return plan;
}

HistoryPlan Follow(int before, int depth, bool marked, int base) {
    if (depth == before) return {{}, base};
    // One step on is an entry of its own; any other move relabels the entry.
    if (depth != before + 1) return {{{Kind::Replace, depth}}, std::min(base, depth)};
    HistoryPlan plan{{}, base};
    if (!marked) plan.steps.push_back({Kind::Replace, before});
    plan.steps.push_back({Kind::Push, depth});
    return plan;
}

HistoryPlan Dropped(int depth) { return {{{Kind::Replace, depth}}, depth}; }

bool BackByBrowser(BrowserEntry entry, int depth, int base) {
    return depth > base && entry.depth == depth;
}

HistoryPlan Settle(BrowserEntry entry, int depth) {
    if (entry.depth == depth) return {{}, entry.base};
    // Rewritten, the entry starts the run's entries afresh.
    return {{{Kind::Replace, depth}}, depth};
}

}  // namespace kinpath::web
