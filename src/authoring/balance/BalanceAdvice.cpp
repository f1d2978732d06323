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
bool AllowsAllOf(const Game& game, int wider, int row) {
    for (int partner = 0; partner < RowCount; ++partner) {
        if (GoTogether(game, row, partner) && !GoTogether(game, wider, partner)) return false;
    }
    return true;
}

// A multiplier as advice gives it: "0.25", "5.3", "16".
std::string Factor(double factor) {
    return NumberText(ToDecimal(factor, factor < 1 ? 2 : factor < 10 ? 1 : 0));
}

std::string Near(const Game& game, double factor, std::int32_t race, std::int32_t cls) {
    return "the leaders then end near " + Factor(factor * race) + " (" + game.words[0] + ") and " +
           Factor(factor * cls) + " (" + game.words[1] + ")";
}

// The keys of the game's shared totals that count for rows of the first
// table only (second: the second only; both: for rows of both).
enum class Counts { First, Second, Both };
std::vector<int> SharedSlots(const Game& game, Counts counts) {
    std::vector<int> slots;
    for (int slot = BarSlotCount; slot < BarSlotCount + int(game.shared.size()); ++slot) {
        const bool first = !RowsCountingFor(game, slot, 0, RaceRowCount).empty();
        const bool second = !RowsCountingFor(game, slot, RaceRowCount, RowCount).empty();
        if (counts == Counts::Both ? first && second
                                   : first != second && first == (counts == Counts::First))
            slots.push_back(slot);
    }
    return slots;
}

std::vector<std::string> Keys(const Game& game, const std::vector<int>& slots) {
    std::vector<std::string> keys;
    for (const int slot : slots) {
        if (!SlotKey(game, slot).empty()) keys.emplace_back(SlotKey(game, slot));
    }
    return keys;
}

std::string EveryKey(const Game& game) {
    std::vector<int> shared;
    for (int slot = BarSlotCount; slot < BarSlotCount + int(game.shared.size()); ++slot)
        shared.push_back(slot);
    const std::vector<std::string> keys = Keys(game, shared);
    return "every point value" +
           (keys.empty() ? std::string() : ", the leanings " + Listed(keys, " and ") + " too") +
           ": every score then grows in the same proportion, so the recommendations stay as "
           "they are (apart from rounding to whole numbers)";
}

constexpr double Aimed = 80;  // fills most of a bar and leaves room to tell the leaders apart
constexpr std::int32_t EmptyBelow = 30;
constexpr std::int32_t BarTop = 100;

// The leader of a game of one table that ends nearly empty.
std::string RaiseOneAdvice(const Game& game, std::int32_t race) {
    const std::string advice = "The leading bar ends nearly empty: the leading " + game.words[0] +
                               " at a median of " + NumberText(std::int64_t{race}) +
                               " points, of the 100 a bar shows. ";
    if (race <= 0) {
        return advice + "A bar that ends at 0 or below cannot be scaled up: give the " +
               game.words[0] + " keys points of their own (the leanings have no bar).";
    }
    const double one = Aimed / race;
    return advice + "Multiply " + EveryKey(game) + "; by " + Factor(one) +
           ", the leader then ends near " + Factor(one * race) + ".";
}

// Races and classes scaled apart: the shared totals that count for both
// tables move the rows they count for against the others.
std::string ApartAdvice(const Game& game, const Reach& reach, std::int32_t race, std::int32_t cls) {
    const TableWords races = WordsOf(game, 0), classes = WordsOf(game, 1);
    const auto keys = [&](Counts counts) {
        const std::vector<std::string> listed = Keys(game, SharedSlots(game, counts));
        return listed.empty() ? std::string() : " and " + Listed(listed, " and ");
    };
    std::string advice = Capitalised(races.many) + " and " + classes.many +
                         " need different factors: multiply the " + races.one + " keys" +
                         keys(Counts::First) + " by " + Factor(Aimed / race) + ", and the " +
                         classes.one + " keys" + keys(Counts::Second) + " by " +
                         Factor(Aimed / cls);
    std::vector<int> used;
    for (const int slot : SharedSlots(game, Counts::Both))
        if (reach.Total(slot) != Range{}) used.push_back(slot);
    if (used.empty()) {
        const std::vector<std::string> both = Keys(game, SharedSlots(game, Counts::Both));
        return advice + ". " +
               (both.empty() ? "No leaning counts for both"
                             : "The script gives no " + Listed(both, " or ")) +
               ", so " + races.many + " and " + classes.many +
               " are ranked apart and the recommendations stay as they are; both leaders then "
               "end near " +
               Factor(Aimed) + ".";
    }
    for (std::size_t i = 0; i < used.size(); ++i) {
        advice += (i == 0 ? ". " : "; ") + std::string(SlotKey(game, used[i])) + " counts for " +
                  races.many + " (" +
                  Listed(RowsCountingFor(game, used[i], 0, RaceRowCount), ", ") + ") and " +
                  classes.many + " (" +
                  Listed(RowsCountingFor(game, used[i], RaceRowCount, RowCount), ", ") + ") alike";
    }
    const double single = Aimed / std::max(race, cls);
    return advice + ": whichever factor " + (used.size() == 1 ? "it takes" : "they take") +
           " moves those rows against the others and changes the recommendations. To keep them, "
           "multiply " +
           EveryKey(game) + "; by " + Factor(single) + ", " + Near(game, single, race, cls) + ".";
}

// Leaders that end nearly empty: one factor for all keys when one brings both
// leaders between 60 and 100, else one for races and one for classes.
std::string RaiseAdvice(const Game& game, const Reach& reach, std::int32_t race, std::int32_t cls) {
    if (OneTable(game)) return RaiseOneAdvice(game, race);
    const std::string advice = "The leading bars end nearly empty: the leading " + game.words[0] +
                               " at a median of " + NumberText(std::int64_t{race}) +
                               " points and the leading " + game.words[1] + " at " +
                               NumberText(std::int64_t{cls}) + ", of the 100 a bar shows. ";
    if (race <= 0 || cls <= 0) {
        return advice + "A bar that ends at 0 or below cannot be scaled up: give the " +
               game.words[race <= 0 ? 0 : 1] +
               " keys points of their own (the leanings have no bar).";
    }
    const double low = std::max(60.0 / race, 60.0 / cls);
    const double high = std::min(double(BarTop) / race, double(BarTop) / cls);
    const double one = std::clamp(Aimed / std::max(race, cls), low, std::max(low, high));
    if (low <= high) {
        return advice + "Multiply " + EveryKey(game) + "; by " + Factor(one) + ", " +
               Near(game, one, race, cls) + ".";
    }
    return advice + ApartAdvice(game, reach, race, cls);
}

}  // namespace

namespace {

// The rows of the other kind that the game allows with `row`.
std::vector<int> Partners(const Game& game, int row) {
    std::vector<int> partners;
    const bool race = row < RaceRowCount;
    for (int other = race ? RaceRowCount : 0; other < (race ? RowCount : RaceRowCount); ++other) {
        if (GoTogether(game, row, other)) partners.push_back(other);
    }
    return partners;
}

std::string Names(const Game& game, const std::vector<int>& rows) {
    std::vector<std::string> names;
    for (const int row : rows) names.emplace_back(RowName(game, row));
    return Listed(names, " and ");
}

// A row decided second is taken only for a partner decided first: for each
// partner, a rival that goes with it too and always scores at least as much;
// none when one partner has no such rival.
std::string CoveredPartners(const ScriptDocument& document, const Reach& reach, int row) {
    const Game& game = GameOf(document);
    const bool race = row < RaceRowCount;
    std::vector<std::pair<int, std::vector<int>>> rivals;  // rival, the partners it covers
    for (const int partner : Partners(game, row)) {
        int best = -1;
        for (int rival = race ? 0 : RaceRowCount; rival < (race ? RaceRowCount : RowCount);
             ++rival) {
            if (rival == row || !GoTogether(game, rival, partner)) continue;
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
    std::string text = "for every " + game.words[race ? 1 : 0] + " " +
                       std::string(RowName(game, row)) + " goes with, " +
                       WithArticle(game.words[race ? 0 : 1]) +
                       " that goes with it too scores at least as much on every way of answering "
                       "(on a tie the pick's own order decides): ";
    for (std::size_t i = 0; i < rivals.size(); ++i) {
        text += (i == 0 ? "" : "; ") + std::string(RowName(game, rivals[i].first)) + " for " +
                Names(game, rivals[i].second);
    }
    return text;
}

// A row decided second whose highest score comes only with answers that put
// first a partner it does not go with.
std::string BlockedAtBest(const ScriptDocument& document, const Reach& reach, int row) {
    const Game& game = GameOf(document);
    const bool race = row < RaceRowCount;
    const std::vector<int> partners = Partners(game, row);
    for (int other = race ? RaceRowCount : 0; other < (race ? RowCount : RaceRowCount); ++other) {
        if (!HasRow(game, other) ||
            std::find(partners.begin(), partners.end(), other) != partners.end())
            continue;
        const bool ahead = std::all_of(partners.begin(), partners.end(), [&](int partner) {
            return CompareRows(document, partner, other, row).leastAtBest >= 0;
        });
        if (!ahead) continue;
        const std::string name(RowName(game, row)), rival(RowName(game, other));
        return "on every way of answering that gives " + name + " its highest score, " +
               NumberText(reach.Score(row).high) + ", " + rival +
               " scores at least as much as every " + game.words[race ? 1 : 0] + " " + name +
               " goes with, and " + name + " does not go with " + rival;
    }
    return {};
}

}  // namespace

std::string NeverRecommendedCause(const ScriptDocument& document, const Reach& reach,
                                  Preference preference, int row) {
    const Game& game = GameOf(document);
    const bool race = row < RaceRowCount;
    // A game of one table decides its one row first.
    const bool first = OneTable(game) || race == (preference == Preference::RaceOverClass);
    const std::string name(RowName(game, row));
    const std::string best = NumberText(reach.Score(row).high);
    std::string cause;
    if (SlotKey(game, ScoreSlots(game, row)[0]).empty())
        cause = name + " has no key of its own and gains only from " + RowKeys(game, row) + "; ";
    int always = -1, atBest = -1;
    std::int64_t alwaysLead = -1, atBestLead = -1;
    for (int rival = race ? 0 : RaceRowCount; rival < (race ? RaceRowCount : RowCount); ++rival) {
        if (rival == row || !HasRow(game, rival) || (!first && !AllowsAllOf(game, rival, row)))
            continue;
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
    const std::string allows =
        first  ? ""
        : race ? " and goes with every " + game.words[1] + " " + name + " goes with"
               : " and is open to every " + game.words[0] + " " + name + " is open to";
    if (always >= 0) {
        const std::string rival(RowName(game, always));
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
               std::string(RowName(game, atBest)) + " reaches at least " +
               NumberText(reach.Score(row).high + atBestLead) +
               " on every way of answering that gives " + name + " " + best + allows;
    }
    return cause + name + " can reach " + best + ", and no single " + game.words[race ? 0 : 1] +
           " scores at least as much on every way of answering that gives it " + best +
           ": the runs drew no combination of answers that puts it first (they " +
           "skip no question unless --skip says so); more runs, a skip probability above 0, or "
           "more points for it may change that";
}

std::vector<std::string> ScaleAdvice(const Game& game, const BalanceTally& tally,
                                     const Reach& reach) {
    std::vector<std::string> advice;
    const std::int32_t race = tally.leadingRace.Percentile(50);
    // A game of one table has no second leader: the first stands for both.
    const std::int32_t cls = OneTable(game) ? race : tally.leadingClass.Percentile(50);
    if (race < EmptyBelow || cls < EmptyBelow)
        advice.push_back(RaiseAdvice(game, reach, race, cls));
    if (tally.AllBars(game).Percentile(50) > BarTop) {
        const std::int32_t high = std::max(race, cls);
        const bool beyond = high > TotalCounts::Highest;
        const double factor = Aimed / (beyond ? TotalCounts::Highest : high);
        advice.push_back(
            "Most bars stand full: more than half of the bar totals end above 100, the most a bar "
            "shows. Multiply " +
            EveryKey(game) + "; by " + (beyond ? "less than " : "") + Factor(factor) +
            (OneTable(game) ? ", the leader then ends near " : ", the leaders then end near ") +
            Factor(Aimed) + ".");
    }
    return advice;
}

}  // namespace kinpath
