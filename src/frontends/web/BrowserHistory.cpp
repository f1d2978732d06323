#include "frontends/web/BrowserHistory.h"

namespace kinpath::web {

namespace {

// The questions' entry stands for the run wherever it is among them.
bool StandsFor(BrowserEntry entry, RunPlace run) {
    return entry.own && entry.place.results == run.results &&
           (!run.results || entry.place.depth == run.depth);
}

}  // namespace

HistoryPlan Place(BrowserEntry entry, RunPlace run) {
    using enum HistoryStep::Kind;
    if (StandsFor(entry, run)) return {};
    // The questions' entry stands before the results' one.
    if (!run.results && entry.own && entry.place.results) return {{Back, {}}};
    if (!run.results || (entry.own && entry.place.results)) return {{Replace, run}};
    // The results' entry follows the questions' one, made first when the
    // browser stands on none of the run's.
    if (entry.own) return {{Push, run}};
    return {{Replace, {false, 0}}, {Push, run}};
}

bool BackByBrowser(BrowserEntry entry, RunPlace run) {
    return run.results && StandsFor(entry, run);
}

TravelMove TravelFor(BrowserEntry entry, RunPlace run) {
    if (!entry.own || entry.place.results == run.results) return TravelMove::Stay;
    return run.results ? TravelMove::StepBack : TravelMove::ToResults;
}

}  // namespace kinpath::web
