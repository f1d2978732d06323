#include "scoring/PickReasons.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "scoring/AnswerRecording.h"
#include "scoring/RowNames.h"
#include "script/ScriptDocument.h"
#include "text/TextCodec.h"

namespace kinpath {

namespace {

// A longer quote is cut at a word: a line of "Why" is read at a glance.
constexpr std::size_t QuoteLength = 50;

std::string Quoted(std::string_view text) {
    std::string quote = "\"";  // appended, not concatenated: one compiler warns falsely there
    if (text.size() <= QuoteLength) return quote.append(text) + "\"";
    std::size_t cut = text.rfind(' ', QuoteLength);
    if (cut == std::string_view::npos || cut == 0) {
        cut = QuoteLength;  // one long word: not inside a UTF-8 character
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    }
    while (cut > 1 && std::string_view(",;:").find(text[cut - 1]) != std::string_view::npos) --cut;
    return quote.append(text.substr(0, cut)) + "...\"";
}

// What the player chose for the answer at `at` of the document's answers: the
// choice's words, or yes or no (and an empty choice by its number) to the
// question.
std::string Said(const ScriptDocument& document, std::uint32_t at) {
    // The questions' answers follow one another: the question is found by
    // halving, so a long script's results do not walk it once per answer.
    const auto questions = document.Questions();
    const auto owner = std::partition_point(
        questions.begin(), questions.end(),
        [at](const QuestionBlock& q) { return q.answers.first + q.answers.count <= at; });
    if (owner == questions.end()) return {};
    const QuestionBlock& question = *owner;
    const std::string_view type = document.Text(document.AllAnswers()[at].type);
    const auto choices = document.OfferedChoices(question);
    for (std::size_t c = 1; c <= choices.size(); ++c) {
        if (!TypeMatchesChoice(type, int(c))) continue;
        const std::string_view text = document.Text(choices[c - 1]);
        const std::string_view asked = document.Text(question.name);
        if (SameText(text, "yes") || SameText(text, "no"))
            return (SameText(text, "yes") ? "yes" : "no") + std::string(" to ") + Quoted(asked);
        if (text.empty()) return "choice " + std::to_string(c) + " of " + Quoted(asked);
        return Quoted(text);
    }
    return {};  // not reached: a recorded answer is one its question's choice names
}

// A line of pieces, without a string made for each step.
std::string Cat(std::initializer_list<std::string_view> pieces) {
    std::string line;
    for (const std::string_view piece : pieces) line += piece;
    return line;
}

std::string Signed(std::int64_t n) {
    std::string sign = n > 0 ? "+" : "";
    return sign.append(std::to_string(n));
}

// "3 races", "1 class".
std::string Counted(std::size_t n, const std::string& word) {
    return Cat({std::to_string(n), " ", n == 1 ? word : PluralOf(word)});
}

bool CountsFor(const Game& game, int row, int slot) {
    if (!HasRow(game, row)) return false;
    const auto slots = ScoreSlots(game, row);
    return std::find(slots.begin(), slots.end(), slot) != slots.end();
}

// What the answers gave to the totals of some slots: the biggest three
// givers (the earlier of equals first) in the direction asked, and the whole.
struct Shares {
    std::array<const SaidAnswer*, 3> answer{};
    std::array<std::int64_t, 3> gave{};
    std::size_t count = 0;
    std::int64_t whole = 0;
};

// The lines of one explanation, in the game's names and words.
struct Story {
    const Game& game;
    const std::array<std::string, 2>& words;
    const Answering& answering;
    std::vector<std::string> lines;

    std::string_view Name(int row) const { return RowName(game, row); }
    const std::string& Word(int row) const { return words[row < RaceRowCount ? 0 : 1]; }
    Shares Most(std::span<const std::uint8_t> slots, int sign) const;
    void Answers(int row);
    void Standing(std::span<const RankEntry> rows, int taken, int with);
    void PassedOver(std::span<const RankEntry> rows, int taken, int with);
    std::string Members(int slot) const;
    void Shared(int race, int cls);
};

// The answers that gave most of what the totals in slots sum, in the
// direction of sign: the biggest first (the earlier of equals), two when
// there are, and a third when two give no more than half.
Shares Story::Most(std::span<const std::uint8_t> slots, int sign) const {
    Shares most;
    for (const SaidAnswer& answer : answering.said) {
        std::int64_t gave = 0;
        for (const std::uint8_t slot : slots) gave += answer.points[slot];
        if (gave * sign <= 0) continue;
        most.whole += gave;
        std::size_t at = std::min<std::size_t>(most.count, 2);
        if (most.count == 3 && most.gave[2] * sign >= gave * sign) continue;
        for (; at > 0 && most.gave[at - 1] * sign < gave * sign; --at) {
            most.gave[at] = most.gave[at - 1], most.answer[at] = most.answer[at - 1];
        }
        most.gave[at] = gave, most.answer[at] = &answer;
        most.count = std::min<std::size_t>(most.count + 1, 3);
    }
    if (most.count == 3 && (most.gave[0] + most.gave[1]) * sign * 2 > most.whole * sign) {
        most.count = 2, most.gave[2] = 0;
    }
    return most;
}

// `You said "Short and sturdy": +18 Dwarf; yes to "...": +9 Dwarf.`
void Story::Answers(int row) {
    const Shares most = Most(ScoreSlots(game, row), 1);
    if (most.count == 0) return;
    std::string line = "You said ";
    for (std::size_t i = 0; i < most.count; ++i) {
        line += Cat(
            {i > 0 ? "; " : "", most.answer[i]->said, ": ", Signed(most.gave[i]), " ", Name(row)});
    }
    lines.push_back(line + ".");
}

// The runner-up to the row taken, or the rows tied with it; among those that
// go with the row `with` when the other table was decided first (-1: none).
void Story::Standing(std::span<const RankEntry> rows, int taken, int with) {
    std::size_t at = 0;
    while (at < rows.size() && rows[at].row != taken) ++at;
    if (at == rows.size()) return;
    const std::int32_t score = rows[at].score;
    std::vector<std::string> tied{std::string(Name(taken))};
    const RankEntry* next = nullptr;
    for (std::size_t i = at + 1; i < rows.size(); ++i) {
        if (with >= 0 && !GoTogether(game, with, rows[i].row)) continue;
        if (rows[i].score == score) {
            tied.emplace_back(Name(rows[i].row));
        } else if (next == nullptr) {
            next = &rows[i];
        }
    }
    const std::string among =
        with < 0 ? "" : Cat({" among the ", PluralOf(Word(taken)), " open to ", Name(with)});
    if (tied.size() > 1) {
        const std::string more = std::to_string(tied.size() - 1);
        lines.push_back(
            Cat({tied.size() > 4 ? Cat({tied[0], " and ", more, " other ", PluralOf(Word(taken))})
                                 : Listed(tied, " and "),
                 " fit you equally", among, " (", std::to_string(score),
                 " each); the game's order put ", tied[0], " first."}));
    } else if (next != nullptr) {
        const std::int64_t gap = std::int64_t(score) - next->score;
        lines.push_back(
            Cat({Name(next->row), " was the runner-up", among, ", ", std::to_string(gap),
                 gap == 1 ? " point" : " points", " behind ", Name(taken), "."}));
    }
}

// The rows ranked above the one taken, which the game does not pair with
// the row `with`: said once, in one line.
void Story::PassedOver(std::span<const RankEntry> rows, int taken, int with) {
    std::vector<std::string> above;
    std::int32_t score = 0;
    for (const RankEntry& row : rows) {
        score = row.score;
        if (row.row == taken) break;
        above.push_back(Cat({Name(row.row), " (", std::to_string(row.score), ")"}));
    }
    const std::size_t count = above.size();
    if (count == 0) return;
    if (count > 3) above.resize(3), above.push_back(std::to_string(count - 3) + " more");
    lines.push_back(
        Cat({Listed(above, " and "), " ranked above ", Name(taken), " (", std::to_string(score),
             ") but ", count == 1 ? "does" : "do", " not go with ", Name(with), " in this game."}));
}

// The rows a shared total counts for: named when few, else counted.
std::string Story::Members(int slot) const {
    std::vector<std::string> names, parts;
    std::array<std::size_t, 2> counts{};
    for (int row = 0; row < RowCount; ++row) {
        if (!CountsFor(game, row, slot)) continue;
        names.emplace_back(Name(row));
        ++counts[row < RaceRowCount ? 0 : 1];
    }
    for (std::size_t t = 0; t < 2; ++t) {
        if (counts[t] > 0) parts.push_back(Counted(counts[t], words[t]));
    }
    return Listed(names.size() <= 5 ? names : parts, " and ");
}

// What each shared total that counts for the picked rows stands for, and
// the answers that fed it.
void Story::Shared(int race, int cls) {
    PointValues totals{};
    for (const SaidAnswer& answer : answering.said) AddAnswerPoints(totals, answer.points);
    for (std::size_t k = 0; k < game.shared.size(); ++k) {
        const int slot = BarSlotCount + int(k);
        if (totals[slot] == 0 || !(CountsFor(game, race, slot) || CountsFor(game, cls, slot)))
            continue;
        const std::uint8_t one[] = {std::uint8_t(slot)};
        const Shares most = Most(one, totals[slot] > 0 ? 1 : -1);
        std::vector<std::string> fed;
        for (std::size_t i = 0; i < most.count; ++i)
            fed.push_back(Cat({most.answer[i]->said, " (", Signed(most.gave[i]), ")"}));
        lines.push_back(Cat(
            {"\"", game.shared[k], "\"",
             k < game.sharedAbout.size() ? Cat({" stands for ", game.sharedAbout[k], " and"}) : "",
             " counts for ", Members(slot), ": your answers gave it ", std::to_string(totals[slot]),
             most.gave[0] + most.gave[1] + most.gave[2] == totals[slot] ? ", from "
                                                                        : ", most from ",
             Listed(fed, " and "), "."}));
    }
}

}  // namespace

Answering AnsweringOf(const ScriptDocument& document, std::span<const std::uint32_t> answered) {
    Answering answering{{}, document.Questions().size()};
    for (const std::uint32_t at : answered)
        answering.said.push_back({Said(document, at), document.Points(document.AllAnswers()[at])});
    return answering;
}

std::vector<std::string> ExplainPick(const Game& game, const std::array<std::string, 2>& words,
                                     const Answering& answering, const RaceRows& races,
                                     const ClassRows& classes, Preference preference,
                                     const BestPick& pick) {
    Story why{game, words, answering, {}};
    const bool oneTable = classes.count == 0;
    const std::size_t given = answering.said.size();
    if (given == 0) {
        why.lines.push_back(Cat(
            {answering.asked == 0 ? "There were no questions" : "You skipped every question",
             ", so nothing sets one ", words[0], oneTable ? "" : " or ", oneTable ? "" : words[1],
             " above another: the pick follows the game's own order."}));
    } else if (given * 4 < answering.asked) {
        why.lines.push_back(
            Cat({"You answered ", std::to_string(given), " of ", std::to_string(answering.asked),
                 " questions: too few for this pick to mean much."}));
    }
    if (given > 0 && oneTable) {
        why.Answers(pick.race);
        why.Standing(races, pick.race, -1);
        why.Shared(pick.race, -1);
    } else if (given > 0) {
        const bool classFirst = preference == Preference::ClassOverRace;
        const std::span<const RankEntry> firstRows =
            classFirst ? std::span<const RankEntry>(classes) : std::span<const RankEntry>(races);
        const std::span<const RankEntry> otherRows =
            classFirst ? std::span<const RankEntry>(races) : std::span<const RankEntry>(classes);
        const int first = firstRows[0].row;
        why.Answers(first);
        why.Standing(firstRows, first, -1);
        if (pick == BestPick{}) {
            why.lines.push_back(Cat({"No ", words[classFirst ? 0 : 1], " in the game goes with ",
                                     why.Name(first), ", so there is no pick."}));
        } else {
            const int second = classFirst ? pick.race : RaceRowCount + pick.cls;
            why.Answers(second);
            why.PassedOver(otherRows, second, first);
            why.Standing(otherRows, second, first);
            why.Shared(pick.race, RaceRowCount + pick.cls);
        }
    }
    // The script's words may be in its own code page.
    for (std::string& line : why.lines) line = DisplayText(line);
    return why.lines;
}

}  // namespace kinpath
