// What the balance report tells an author to do: why a race or class never
// comes up, and how to scale the points so that the bars show something.
#include <algorithm>
#include <limits>

#include "authoring/balance/BalanceReport.h"
#include "scoring/BestPick.h"
#include "script/ScriptDocument.h"

namespace kinpath {

namespace {

// Whether the game allows row `wider` with everything it allows row `row`
// with: the partners the pick looks for, of two races or of two classes.
bool AllowsAllOf(int wider, int row) {
    for (int partner = 0; partner < RowCount; ++partner) {
        if (GoTogether(BuiltInGame(), row, partner) && !GoTogether(BuiltInGame(), wider, partner))
            return false;
    }
    return true;
}

// A multiplier as advice gives it: "0.25", "5.3", "16".
std::string Factor(double factor) {
    return NumberText(ToDecimal(factor, factor < 1 ? 2 : factor < 10 ? 1 : 0));
}

std::string Near(double factor, std::int32_t race, std::int32_t cls) {
    return "the leaders then end near " + Factor(factor * race) + " (race) and " +
           Factor(factor * cls) + " (class)";
}

constexpr const char* EveryKey =
    "every point value, the leanings evilpts=, goodpts=, bigracepts= and smallracepts= too: "
    "every score then grows in the same proportion, so the recommendations stay as they are "
    "(apart from rounding to whole numbers)";

constexpr double Aimed = 80;  // fills most of a bar and leaves room to tell the leaders apart
constexpr std::int32_t EmptyBelow = 30;
constexpr std::int32_t BarTop = 100;

// Leaders that end nearly empty: one factor for all keys when one brings both
// leaders between 60 and 100, else one for races and one for classes.
std::string RaiseAdvice(std::int32_t race, std::int32_t cls, bool evilUsed) {
    std::string advice = "The leading bars end nearly empty: the leading race at a median of " +
                         NumberText(std::int64_t{race}) + " points and the leading class at " +
                         NumberText(std::int64_t{cls}) + ", of the 100 a bar shows. ";
    if (race <= 0 || cls <= 0) {
        return advice + "A bar that ends at 0 or below cannot be scaled up: give the " +
               (race <= 0 ? "race" : "class") +
               " keys points of their own (the leanings have no bar).";
    }
    const double low = std::max(60.0 / race, 60.0 / cls);
    const double high = std::min(double(BarTop) / race, double(BarTop) / cls);
    const double one = std::clamp(Aimed / std::max(race, cls), low, std::max(low, high));
    if (low <= high) {
        return advice + "Multiply " + EveryKey + "; by " + Factor(one) + ", " +
               Near(one, race, cls) + ".";
    }
    advice +=
        "Races and classes need different factors: multiply the race keys and goodpts=, "
        "bigracepts= and smallracepts= by " +
        Factor(Aimed / race) + ", and the class keys by " + Factor(Aimed / cls);
    if (!evilUsed) {
        return advice +
               ". The script gives no evilpts=, so races and classes are ranked apart "
               "and the recommendations stay as they are; both leaders then end near " +
               Factor(Aimed) + ".";
    }
    const double single = Aimed / std::max(race, cls);
    return advice +
           ". evilpts= counts for races (Dark Elf, Ogre, Troll) and classes "
           "(Necromancer, Shadow Knight) alike: whichever factor it takes moves those "
           "rows against the others and changes the recommendations. To keep them, "
           "multiply " +
           std::string(EveryKey) + "; by " + Factor(single) + ", " + Near(single, race, cls) + ".";
}

}  // namespace

namespace {

// The rows of the other kind that the game allows with `row`.
std::vector<int> Partners(int row) {
    std::vector<int> partners;
    const bool race = row < RaceRowCount;
    for (int other = race ? RaceRowCount : 0; other < (race ? RowCount : RaceRowCount); ++other) {
        if (GoTogether(BuiltInGame(), row, other)) partners.push_back(other);
    }
    return partners;
}

std::string Names(const std::vector<int>& rows) {
    std::string names;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        names += (i == 0                 ? ""
                  : i + 1 == rows.size() ? " and "
                                         : ", ") +
                 std::string(RowName(BuiltInGame(), rows[i]));
    }
    return names;
}

// A row decided second is taken only for a partner decided first: for each
// partner, a rival that goes with it too and always scores at least as much;
// none when one partner has no such rival.
std::string CoveredPartners(const ScriptDocument& document, const Reach& reach, int row) {
    const bool race = row < RaceRowCount;
    std::vector<std::pair<int, std::vector<int>>> rivals;  // rival, the partners it covers
    for (const int partner : Partners(row)) {
        int best = -1;
        for (int rival = race ? 0 : RaceRowCount; rival < (race ? RaceRowCount : RowCount);
             ++rival) {
            if (rival == row || !GoTogether(BuiltInGame(), rival, partner)) continue;
            if (CompareRows(document, row, rival).least >= 0 &&
                (best < 0 || reach.Score(rival).high > reach.Score(best).high))
                best = rival;
        }
        if (best < 0) return {};
        auto it = std::find_if(rivals.begin(), rivals.end(),
                               [best](const auto& r) { return r.first == best; });
        if (it == rivals.end()) it = rivals.insert(rivals.end(), {best, {}});
        it->second.push_back(partner);
    }
    std::string text = std::string("for every ") + (race ? "class" : "race") + " " +
                       std::string(RowName(BuiltInGame(), row)) + " goes with, a " +
                       (race ? "race" : "class") +
                       " that goes with it too scores at least as much on every way of answering "
                       "(on a tie the pick's own order decides): ";
    for (std::size_t i = 0; i < rivals.size(); ++i) {
        text += (i == 0 ? "" : "; ") + std::string(RowName(BuiltInGame(), rivals[i].first)) +
                " for " + Names(rivals[i].second);
    }
    return text;
}

// A row decided second whose highest score comes only with answers that put
// first a partner it does not go with.
std::string BlockedAtBest(const ScriptDocument& document, const Reach& reach, int row) {
    const bool race = row < RaceRowCount;
    const std::vector<int> partners = Partners(row);
    for (int other = race ? RaceRowCount : 0; other < (race ? RowCount : RaceRowCount); ++other) {
        if (std::find(partners.begin(), partners.end(), other) != partners.end()) continue;
        const bool ahead = std::all_of(partners.begin(), partners.end(), [&](int partner) {
            return CompareRows(document, partner, other, row).leastAtBest >= 0;
        });
        if (!ahead) continue;
        return "on every way of answering that gives " + std::string(RowName(BuiltInGame(), row)) +
               " its highest score, " + NumberText(reach.Score(row).high) + ", " +
               std::string(RowName(BuiltInGame(), other)) + " scores at least as much as every " +
               (race ? "class " : "race ") + std::string(RowName(BuiltInGame(), row)) +
               " goes with, and " + std::string(RowName(BuiltInGame(), row)) +
               " does not go with " + std::string(RowName(BuiltInGame(), other));
    }
    return {};
}

}  // namespace

std::string NeverRecommendedCause(const ScriptDocument& document, const Reach& reach,
                                  Preference preference, int row) {
    const bool race = row < RaceRowCount;
    const bool first = race == (preference == Preference::RaceOverClass);
    const std::string name(RowName(BuiltInGame(), row));
    const std::string best = NumberText(reach.Score(row).high);
    std::string cause;
    if (SlotKey(BuiltInGame(), ScoreSlots(BuiltInGame(), row)[0]).empty()) {
        cause = name + " has no key of its own and gains only from " + RowKeys(BuiltInGame(), row) +
                "; ";
    }
    int always = -1, atBest = -1;
    std::int64_t alwaysLead = -1, atBestLead = -1;
    for (int rival = race ? 0 : RaceRowCount; rival < (race ? RaceRowCount : RowCount); ++rival) {
        if (rival == row || (!first && !AllowsAllOf(rival, row))) continue;
        // The rival furthest ahead, and of those the one that reaches highest.
        const Rivalry rivalry = CompareRows(document, row, rival);
        const auto better = [&](std::int64_t lead, std::int64_t most, int current) {
            return lead > most ||
                   (lead == most && reach.Score(rival).high > reach.Score(current).high);
        };
        if (rivalry.least >= 0 && better(rivalry.least, alwaysLead, always))
            alwaysLead = rivalry.least, always = rival;
        if (rivalry.leastAtBest >= 0 && better(rivalry.leastAtBest, atBestLead, atBest))
            atBestLead = rivalry.leastAtBest, atBest = rival;
    }
    const std::string allows = first  ? ""
                               : race ? " and goes with every class " + name + " goes with"
                                      : " and is open to every race " + name + " is open to";
    if (always >= 0) {
        const std::string rival(RowName(BuiltInGame(), always));
        if (alwaysLead > 0) {
            return cause + rival + " always scores more than " + name + ", by at least " +
                   NumberText(alwaysLead) + allows;
        }
        return cause + rival + " scores at least as much as " + name +
               " on every way of answering" + allows + " (on a tie the pick's own order decides)";
    }
    if (!first) {
        for (const std::string& reason :
             {CoveredPartners(document, reach, row), BlockedAtBest(document, reach, row)}) {
            if (!reason.empty()) return cause + reason;
        }
    }
    if (atBest >= 0) {
        return cause + name + " can reach at most " + best + "; " +
               std::string(RowName(BuiltInGame(), atBest)) + " reaches at least " +
               NumberText(reach.Score(row).high + atBestLead) +
               " on every way of answering that gives " + name + " " + best + allows;
    }
    return cause + name + " can reach " + best + ", and no single " + (race ? "race" : "class") +
           " scores at least as much on every way of answering that gives it " + best +
           ": the runs drew no combination of answers that puts it first (they " +
           "skip no question unless --skip says so); more runs, a skip probability above 0, or "
           "more points for it may change that";
}

std::vector<std::string> ScaleAdvice(const BalanceTally& tally, const Reach& reach) {
    std::vector<std::string> advice;
    const std::int32_t race = tally.leadingRace.Percentile(50);
    const std::int32_t cls = tally.leadingClass.Percentile(50);
    if (race < EmptyBelow || cls < EmptyBelow) {
        advice.push_back(RaiseAdvice(race, cls, reach.Total(SlotEvil) != Range{}));
    }
    if (tally.AllBars().Percentile(50) > BarTop) {
        const std::int32_t high = std::max(race, cls);
        const bool beyond = high > TotalCounts::Highest;
        const double factor = Aimed / (beyond ? TotalCounts::Highest : high);
        advice.push_back(
            "Most bars stand full: more than half of the bar totals end above 100, the most a bar "
            "shows. Multiply " +
            std::string(EveryKey) + "; by " + (beyond ? "less than " : "") + Factor(factor) +
            ", the leaders then end near " + Factor(Aimed) + ".");
    }
    return advice;
}

}  // namespace kinpath
