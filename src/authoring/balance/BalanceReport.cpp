#include "authoring/balance/BalanceReport.h"

#include <algorithm>
#include <cmath>

#include "scoring/AnswerRecording.h"
#include "scoring/BestPick.h"
#include "script/ScriptDocument.h"
#include "text/TextCodec.h"
#include "window/WindowWords.h"

namespace kinpath {

ReportCell::ReportCell(std::string_view text) : value_(VisibleControls(DisplayText(text))) {}

std::string ReportCell::Text() const {
    return std::visit(
        [](const auto& value) {
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
                return value;
            } else {
                return NumberText(value);
            }
        },
        value_);
}

ReportCell TotalCell(std::int32_t total) {
    if (total < TotalCounts::Lowest)
        return "below " + NumberText(std::int64_t{TotalCounts::Lowest});
    if (total > TotalCounts::Highest)
        return "above " + NumberText(std::int64_t{TotalCounts::Highest});
    return total;
}

EndCounts EndsOf(const TotalCounts& bar) {
    EndCounts ends{};
    for (std::size_t i = 0; i < bar.counts.size(); ++i) {
        const int total = TotalCounts::Lowest - 1 + int(i);
        ends[std::size_t(total < 0 ? 0 : std::min(EndBins - 1, 1 + total / 10))] += bar.counts[i];
    }
    return ends;
}

namespace {

// A count's share of all, in percent with two decimals.
Decimal Share(std::uint64_t count, std::uint64_t of) {
    return ToDecimal(of == 0 ? 0.0 : 100.0 * static_cast<double>(count) / static_cast<double>(of),
                     2);
}

std::uint64_t Recommended(const BalanceTally& tally, int row) {
    return row < RaceRowCount ? tally.races[std::size_t(row)]
                              : tally.classes[std::size_t(row - RaceRowCount)];
}

ReportTable NewTable(std::string id, std::string title, std::string heading, std::string summary) {
    return {std::move(id), std::move(title), {}, {}, {}, std::move(heading), std::move(summary)};
}

// The races or the classes the game has (rows as in RowCount), most recommended first.
std::vector<int> ByRecommended(const Game& game, const BalanceTally& tally, bool races) {
    std::vector<int> rows;
    for (int row = races ? 0 : RaceRowCount; row < (races ? RaceRowCount : RowCount); ++row)
        if (HasRow(game, row)) rows.push_back(row);
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        return Recommended(tally, a) != Recommended(tally, b)
                   ? Recommended(tally, a) > Recommended(tally, b)
                   : RowName(game, a) < RowName(game, b);
    });
    return rows;
}

// The title of a range of EndCounts: "<0", "0-9" ... "90-99", "100+".
std::string EndTitle(int bin) {
    if (bin == 0) return "<0";
    if (bin == EndBins - 1) return NumberText(std::int64_t{10 * (bin - 1)}) + "+";
    return NumberText(std::int64_t{10 * (bin - 1)}) + "-" + NumberText(std::int64_t{10 * bin - 1});
}

constexpr const char* ExactReach =
    "over every way of answering: any shown choice of each question, or skipping it. Exact, "
    "from the script: each question adds its own least and most whatever the others add.";

// The races or the classes, most recommended first.
ReportTable RowsTable(const Game& game, const BalanceTally& tally, bool races, const Reach& reach) {
    const bool raceFirst = tally.preference == Preference::RaceOverClass;
    const TableWords own = WordsOf(game, races ? 0 : 1), other = WordsOf(game, races ? 1 : 0);
    ReportTable table = NewTable(races ? "races" : "classes", Capitalised(own.many),
                                 "How often each " + own.one + " is recommended",
                                 "Out of all the runs, how many ended by recommending each " +
                                     own.one + ", and where its bar stood at the end.");
    table.columns = {{"name", Capitalised(own.one), false},
                     {"recommended", "Recommended"},
                     {"share", "Share %"},
                     {"median", "Median"},
                     {"percentile_90", "90th pct."},
                     {"passed_over", "Led, not picked"},
                     {"lowest", "Lowest"},
                     {"highest", "Highest"},
                     {"lowest_score", "Lowest score"},
                     {"highest_score", "Highest score"}};
    const std::string& kind = own.many;
    // A game of one table passes no row over: its pick is its best row.
    const std::string ledNotPicked =
        OneTable(game)
            ? ""
            : "Led, not picked: runs in which its bar ended highest of the " + kind +
                  " (or level with the highest), yet the pick went past it because " +
                  (races == raceFirst ? "nothing goes with it (the " + kind + " are chosen first)"
                   : races            ? "it does not go with the " + other.one + " chosen first"
                                      : "it is not open to the " + other.one + " chosen first") +
                  ". ";
    if (OneTable(game)) table.columns.erase(table.columns.begin() + 5);
    table.note =
        "Recommended: runs that ended with it. Median and 90th pct.: its bar at the end "
        "of a run (a bar shows 0 to 100 points). " +
        ledNotPicked +
        "Lowest and highest: its own total (its bar's points) and its score (with the "
        "leanings that count for it, as the pick ranks the " +
        kind + ") " + ExactReach;
    for (const int row : ByRecommended(game, tally, races)) {
        const TotalCounts& bar = tally.bars[std::size_t(ScoreSlots(game, row)[0])];
        const Range total = reach.Total(ScoreSlots(game, row)[0]);
        const Range score = reach.Score(row);
        auto& cells = table.rows.emplace_back(std::vector<ReportCell>{
            RowName(game, row), Recommended(tally, row), Share(Recommended(tally, row), tally.runs),
            TotalCell(bar.Percentile(50)), TotalCell(bar.Percentile(90)),
            tally.passedOver[std::size_t(row)], total.low, total.high, score.low, score.high});
        if (OneTable(game)) cells.erase(cells.begin() + 5);
    }
    return table;
}

// Counts up to the most shared totals a game may have.
constexpr const char* CountWords[] = {"no", "one", "two", "three", "four"};

ReportTable LeaningsTable(const Game& game, const Reach& reach) {
    const std::size_t count = game.shared.size();
    const std::string rows = OneTable(game)
                                 ? WordsOf(game, 0).many
                                 : WordsOf(game, 0).many + " and " + WordsOf(game, 1).many;
    ReportTable table =
        NewTable("leanings", "Leanings",
                 count == 1 ? "What the leaning counts for"
                            : std::string("What the ") + CountWords[count] + " leanings count for",
                 Capitalised(Listed(game.shared, " and ")) +
                     (count == 1 ? " has no bar: its points count for the "
                                 : " have no bar: their points count for the ") +
                     rows + " listed.");
    table.columns = {{"leaning", "Leaning", false},
                     {"key", "Key", false},
                     {"counts_for", "Counts for", false},
                     {"lowest", "Lowest"},
                     {"highest", "Highest"}};
    table.note = std::string(
                     "The leanings have no bar; each counts for the scores of the rows "
                     "it names. Lowest and highest: its total ") +
                 ExactReach;
    for (int slot = BarSlotCount; slot < BarSlotCount + int(count); ++slot) {
        table.rows.push_back({SlotName(game, slot), SlotKey(game, slot),
                              Listed(RowsCountingFor(game, slot, 0, RowCount), ", "),
                              reach.Total(slot).low, reach.Total(slot).high});
    }
    return table;
}

ReportTable PairsTable(const Game& game, const BalanceTally& tally) {
    const TableWords race = WordsOf(game, 0), cls = WordsOf(game, 1);
    ReportTable table =
        NewTable("pairs", "Pairs recommended",
                 "Which " + race.one + " and " + cls.one + " are recommended together",
                 "Every pair that some run ended with, most often first.");
    table.columns = {{"race", Capitalised(race.one), false},
                     {"class", Capitalised(cls.one), false},
                     {"recommended", "Recommended"},
                     {"share", "Share %"}};
    struct Pair {
        int race, cls;
        std::uint64_t count;
    };
    std::vector<Pair> pairs;
    for (int r = 0; r <= RaceRowCount; ++r) {
        for (int c = 0; c <= ClassRowCount; ++c) {
            const std::uint64_t count = tally.pairs[std::size_t(r)][std::size_t(c)];
            if (count > 0) pairs.push_back({r, c, count});
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const Pair& a, const Pair& b) { return a.count > b.count; });
    for (const Pair& pair : pairs) {
        table.rows.push_back({RaceName(game, pair.race), ClassName(game, pair.cls), pair.count,
                              Share(pair.count, tally.runs)});
    }
    return table;
}

ReportTable NeverTable(const ScriptDocument& document, const BalanceTally& tally,
                       const Reach& reach) {
    const Game& game = GameOf(document);
    const std::string rows = OneTable(game)
                                 ? WordsOf(game, 0).many
                                 : WordsOf(game, 0).many + " and " + WordsOf(game, 1).many;
    ReportTable table =
        NewTable("never", "Never recommended", Capitalised(rows) + " that no run recommended",
                 "Each one no run ended with, and what in the script keeps it out.");
    table.columns = {{"name", "Name", false},
                     {"kind", "Kind", false},
                     {"highest_score", "Highest score"},
                     {"cause", "Why", false}};
    table.note =
        "Why, as far as the script's exact reach tells: every statement holds for "
        "every way of answering, not only for the runs made.";
    for (int row = 0; row < RowCount; ++row) {
        if (!HasRow(game, row) || Recommended(tally, row) != 0) continue;
        table.rows.push_back({RowName(game, row), game.words[row < RaceRowCount ? 0 : 1],
                              reach.Score(row).high,
                              NeverRecommendedCause(document, reach, tally.preference, row)});
    }
    return table;
}

// An answer that runs chose: where it stands, and how the shares of what the
// runs that chose it recommended differ from all runs', in points.
struct AnswerEffect {
    int question, choice;
    std::string text;
    std::uint64_t runs = 0;
    std::array<double, OutcomeCount> change{};
    int most = 0, next = 0;  // the outcomes that change most, by size
};

std::string_view OutcomeName(const Game& game, int outcome) {
    return outcome <= RaceRowCount ? RaceName(game, outcome)
                                   : ClassName(game, outcome - RaceRowCount - 1);
}

// Whether a run of the game can end with an outcome: a row it has, or
// "Unknown" when it has two tables.
bool CanEndWith(const Game& game, int outcome) {
    const int row = outcome <= RaceRowCount ? outcome : outcome - 1;
    const bool unknown = outcome == RaceRowCount || outcome == OutcomeCount - 1;
    return unknown ? !OneTable(game) : HasRow(game, row);
}

// The answers that move the recommendations most, by their largest change:
// only those are kept, however many answers the script has.
std::vector<AnswerEffect> AnswerEffects(const ScriptDocument& document, const BalanceTally& tally) {
    std::vector<AnswerEffect> effects;
    const auto size = [](const AnswerEffect& e) { return std::abs(e.change[std::size_t(e.most)]); };
    const auto questions = document.Questions();
    const std::size_t answers = document.AllAnswers().size();
    // A tally made without per-answer counts (or for another script) has none to show.
    if (tally.answers.size() != std::size_t(OutcomeCount) * answers) return effects;
    for (std::size_t q = 0; q < questions.size(); ++q) {
        const auto choices = document.OfferedChoices(questions[q]);
        for (int choice = 1; choice <= int(choices.size()); ++choice) {
            const AnswerBlock* answer = FindAnswer(document, questions[q], choice);
            if (answer == nullptr) continue;
            const std::size_t at = std::size_t(answer - document.AllAnswers().data());
            const auto count = [&](int o) { return tally.answers[std::size_t(o) * answers + at]; };
            AnswerEffect effect{int(q) + 1, choice, {}};
            for (int o = 0; o <= RaceRowCount; ++o) effect.runs += count(o);
            if (effect.runs == 0) continue;
            for (int o = 0; o < OutcomeCount; ++o) {
                if (!CanEndWith(GameOf(document), o)) continue;
                const std::uint64_t all = o <= RaceRowCount
                                              ? tally.races[std::size_t(o)]
                                              : tally.classes[std::size_t(o - RaceRowCount - 1)];
                effect.change[std::size_t(o)] = 100.0 * (double(count(o)) / double(effect.runs) -
                                                         double(all) / double(tally.runs));
                const double change = std::abs(effect.change[std::size_t(o)]);
                if (change > std::abs(effect.change[std::size_t(effect.most)])) {
                    effect.next = effect.most;
                    effect.most = o;
                } else if (o != effect.most &&
                           (effect.next == effect.most ||
                            change > std::abs(effect.change[std::size_t(effect.next)]))) {
                    effect.next = o;
                }
            }
            const auto place = std::upper_bound(
                effects.begin(), effects.end(), effect,
                [&](const AnswerEffect& a, const AnswerEffect& b) { return size(a) > size(b); });
            if (std::size_t(place - effects.begin()) >= ListedAnswers) continue;
            effect.text = document.Text(choices[std::size_t(choice - 1)]);
            effects.insert(place, std::move(effect));
            if (effects.size() > ListedAnswers) effects.pop_back();
        }
    }
    return effects;
}

ReportTable AnswersTable(const ScriptDocument& document, const BalanceTally& tally) {
    const Game& game = GameOf(document);
    const TableWords race = WordsOf(game, 0), cls = WordsOf(game, 1);
    const bool one = OneTable(game);
    ReportTable table =
        NewTable("answers", "Answers that move the recommendations most",
                 "Which answers change the recommendation most",
                 "How much more or less often " +
                     (one ? "each " + race.one : WithArticle(race.one) + " or " + cls.one) +
                     " is recommended when a player picks the answer.");
    table.columns = {{"question", "Question"},  {"choice", "Choice"},
                     {"runs", "Runs"},          {"moves_most", "Moves most", false},
                     {"change", "Change"},      {"moves_next", "Then", false},
                     {"next_change", "Change"}, {"text", "Choice text", false}};
    table.note = "For each answer the runs chose (the " + NumberText(std::uint64_t{ListedAnswers}) +
                 " that move most): how much more or less often each " +
                 (one ? race.one : race.one + " and " + cls.one) +
                 " is "
                 "recommended in the runs that chose it than in all runs, in percentage points; "
                 "the two largest changes. Changes below about 100/sqrt(runs) points are within "
                 "chance.";
    for (const AnswerEffect& effect : AnswerEffects(document, tally)) {
        table.rows.push_back(
            {effect.question, effect.choice, effect.runs, OutcomeName(game, effect.most),
             ToDecimal(effect.change[std::size_t(effect.most)], 2), OutcomeName(game, effect.next),
             ToDecimal(effect.change[std::size_t(effect.next)], 2), effect.text});
    }
    return table;
}

// Where each bar ends, in the steps of ten a player sees.
ReportTable BarTotalsTable(const Game& game, const BalanceTally& tally) {
    ReportTable table = NewTable(
        "bar_totals", "Where each bar ends", "How full each bar is at the end",
        "For each " +
            (OneTable(game) ? WordsOf(game, 0).one : game.words[0] + " and " + game.words[1]) +
            ": how many runs left its bar at each height, in steps of ten points.");
    table.note =
        "Runs whose bar ended in each range of points: below 0 the bar is empty, from "
        "100 on it is full.";
    table.columns = {{"bar", "Bar", false}, {"below_0", EndTitle(0)}};
    for (int bin = 1; bin < EndBins; ++bin)
        table.columns.push_back(
            {"from_" + NumberText(std::int64_t{10 * (bin - 1)}), EndTitle(bin)});
    for (int row = 0; row < RowCount; ++row) {
        if (!HasRow(game, row)) continue;
        auto& cells = table.rows.emplace_back();
        cells.emplace_back(RowName(game, row));
        for (const std::uint64_t count : EndsOf(tally.bars[std::size_t(ScoreSlots(game, row)[0])]))
            cells.emplace_back(count);
    }
    return table;
}

ReportTable LeadersTable(const Game& game, const BalanceTally& tally) {
    ReportTable table =
        NewTable("leaders", "The leading bars", "How full the longest bars get",
                 "Half of the runs end at or below the median, nine in ten at or below the 90th "
                 "percentile.");
    const bool one = OneTable(game);
    const std::string bars =
        "all " + NumberText(std::uint64_t{game.tables[0].size() + game.tables[1].size()}) + " bars";
    table.note = "At the end of a run: the highest " + game.words[0] + " bar" +
                 (one ? "" : " and the highest " + game.words[1] + " bar") +
                 " (the leanings not counted, as the bars show them), and " + bars + " together.";
    table.columns = {{"bars", "Bars", false}, {"median", "Median"}, {"percentile_90", "90th pct."}};
    const TotalCounts all = tally.AllBars(game);
    std::vector<std::pair<std::string, const TotalCounts*>> rows = {
        {"Leading " + game.words[0], &tally.leadingRace}};
    if (!one) rows.emplace_back("Leading " + game.words[1], &tally.leadingClass);
    rows.emplace_back(Capitalised(bars), &all);
    for (const auto& [title, counts] : rows) {
        table.rows.push_back(
            {title, TotalCell(counts->Percentile(50)), TotalCell(counts->Percentile(90))});
    }
    return table;
}

// The page's charts, from the tallies.
// The places of a table's rows, then "Unknown" (the table's capacity) when
// some run ended with it.
std::vector<int> PairPlaces(const Game& game, int table, bool unknown) {
    std::vector<int> places;
    for (int i = 0; i < int(game.tables[std::size_t(table)].size()); ++i) places.push_back(i);
    if (unknown) places.push_back(table == 0 ? RaceRowCount : ClassRowCount);
    return places;
}

// The page's charts, from the tallies; a game of one table has no classes and no pairs.
ReportCharts ChartsOf(const Game& game, const BalanceTally& tally) {
    ReportCharts charts;
    for (const bool races : {true, false}) {
        for (const int row : ByRecommended(game, tally, races)) {
            (races ? charts.races : charts.classes)
                .push_back(
                    {std::string(RowName(game, row)), Share(Recommended(tally, row), tally.runs)});
        }
    }
    for (int row = 0; row < RowCount; ++row) {
        if (!HasRow(game, row)) continue;
        charts.ends.emplace_back(RowName(game, row),
                                 EndsOf(tally.bars[std::size_t(ScoreSlots(game, row)[0])]));
    }
    for (int bin = 0; bin < EndBins; ++bin) charts.endTitles[std::size_t(bin)] = EndTitle(bin);
    if (OneTable(game)) return charts;
    charts.unknown = tally.races[std::size_t(UnknownRace)] > 0;
    const std::vector<int> classes = PairPlaces(game, 1, charts.unknown);
    for (const int c : classes) charts.pairClasses.emplace_back(ClassName(game, c));
    for (const int r : PairPlaces(game, 0, charts.unknown)) {
        charts.pairRaces.emplace_back(RaceName(game, r));
        auto& runs = charts.pairRuns.emplace_back();
        auto& allowed = charts.pairAllowed.emplace_back();
        for (const int c : classes) {
            runs.push_back(tally.pairs[std::size_t(r)][std::size_t(c)]);
            allowed.push_back(GoTogether(game, r, RaceRowCount + c));
        }
    }
    return charts;
}

}  // namespace

const ReportTable* BalanceReport::Table(const std::string& id) const {
    for (const ReportTable& table : tables) {
        if (table.id == id) return &table;
    }
    return nullptr;
}

BalanceReport BuildBalanceReport(const std::string& name, const ScriptDocument& document,
                                 const BalanceOptions& options, const BalanceTally& tally) {
    const Game& game = GameOf(document);
    const std::string& race = game.words[0];
    const std::string& cls = game.words[1];
    BalanceReport report;
    report.script = ReportCell(name).Text();
    report.words = game.words;
    const bool classFirst = tally.preference == Preference::ClassOverRace;
    std::string preference =
        OneTable(game)
            ? "none that matters: the game has one table, its best " + race + " is picked"
        : classFirst ? cls + " over " + race + " (the best " + cls + " first, then the best " +
                           race + " that allows it)"
                     : race + " over " + cls + " (the best " + race + " first, then the best " +
                           cls + " open to it)";
    if (!tally.preferenceFromScript) preference += "; the script has no SETTINGS block";
    report.facts = {
        {"script", "Script", name},
        {"runs", "Random runs", tally.runs},
        {"seed", "Seed", options.seed},
        {"skip_probability", "Skip probability", options.skipProbability},
        {"preference", "Preference", preference},
        {"questions", "Questions", tally.questions},
        {"questions_without_choices", "Questions without choices (always skipped)",
         tally.questionsWithoutChoices},
        {"choices_drawn", "Choices drawn", tally.answered + tally.unmatched},
        {"choices_without_answer",
         std::string("Choices without an answer (\"") + NoAnswerMessage + "\")", tally.unmatched},
    };
    // A game of one table always names its best row.
    if (!OneTable(game)) {
        report.facts.push_back(
            {"unknown",
             "Runs that found no " + race + " and " + cls + " that go together (\"Unknown\")",
             tally.races[std::size_t(UnknownRace)]});
    }
    if (tally.runs == 0) return report;
    const Reach reach = ReachOf(document);
    report.tables.push_back(RowsTable(game, tally, true, reach));
    if (!OneTable(game)) report.tables.push_back(RowsTable(game, tally, false, reach));
    if (!game.shared.empty()) report.tables.push_back(LeaningsTable(game, reach));
    if (!OneTable(game)) report.tables.push_back(PairsTable(game, tally));
    report.tables.push_back(NeverTable(document, tally, reach));
    report.tables.push_back(AnswersTable(document, tally));
    report.tables.push_back(BarTotalsTable(game, tally));
    report.tables.push_back(LeadersTable(game, tally));
    report.advice = ScaleAdvice(game, tally, reach);
    report.charts = ChartsOf(game, tally);
    return report;
}

void WriteBalanceReport(const std::string& name, const ScriptDocument& document,
                        const BalanceOptions& options, const BalanceTally& tally,
                        BalanceFormat format, std::ostream& out) {
    const BalanceReport report = BuildBalanceReport(name, document, options, tally);
    switch (format) {
        case BalanceFormat::Text:
            return WriteReportText(report, out);
        case BalanceFormat::Csv:
            return WriteReportCsv(report, out);
        case BalanceFormat::Json:
            return WriteReportJson(report, out);
        case BalanceFormat::Html:
            return WriteReportHtml(report, out);
    }
}

}  // namespace kinpath
