#include "scoring/PickReasons.h"

#include <span>

#include "scoring/RowNames.h"
#include "script/ScriptDocument.h"

namespace kinpath {

namespace {

std::string Name(int row) { return std::string(RowName(row)); }

// "A", "A and B", "A, B and C".
std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

std::string Scored(const RankEntry& row) { return Name(row.row) + " " + std::to_string(row.score); }

// The game's name for a pair: race first.
std::string Pair(int race, int cls) { return "the game has no " + Name(race) + " " + Name(cls); }

// "Wizard, Shadow Knight and Bard tied at 66 ..." for the rows that share the
// score of rows[at], when there are several and the choice fell among them.
void ExplainTie(std::span<const RankEntry> rows, std::size_t at, const char* what,
                std::vector<std::string>& lines) {
    std::vector<std::string> tied;
    for (const RankEntry& row : rows) {
        if (row.score == rows[at].score) tied.push_back(Name(row.row));
    }
    if (tied.size() < 2) return;
    lines.push_back(Listed(tied) + " tied at " + std::to_string(rows[at].score) + " for the best " +
                    what + "; the ranking, which keeps its own order among equal scores, put " +
                    tied.front() + " first.");
}

// The rows walked over before the partner was found: each named with its
// score and the pair the game lacks.
void ExplainPassedOver(std::span<const RankEntry> rows, int taken, int first, bool rowsAreRaces,
                       std::vector<std::string>& lines) {
    for (const RankEntry& row : rows) {
        if (row.row == taken) break;
        lines.push_back(Scored(row) + ": " +
                        (rowsAreRaces ? Pair(row.row, first) : Pair(first, row.row)) + ".");
    }
}

// "Erudite scores 72: 45 of its own and 27 for good." when leanings count.
void ExplainLeanings(const PointValues& totals, int row, std::int32_t score,
                     std::vector<std::string>& lines) {
    static constexpr const char* Leanings[] = {"evil", "good", "a big race", "a small race"};
    const std::span<const PointSlot> slots = ScoreSlots(row);
    std::string parts;
    for (std::size_t i = 1; i < slots.size(); ++i) {
        const std::int32_t value = totals[slots[i]];
        if (value == 0) continue;
        parts += " and " + std::to_string(value) + " for " + Leanings[slots[i] - SlotEvil];
    }
    if (parts.empty()) return;
    lines.push_back(Name(row) + " scores " + std::to_string(score) + ": " +
                    std::to_string(totals[slots[0]]) + " of its own" + parts + ".");
}

}  // namespace

std::vector<std::string> ExplainPick(const PointValues& totals, const RaceRows& races,
                                     const ClassRows& classes, Preference preference,
                                     const BestPick& pick) {
    std::vector<std::string> lines;
    const bool classFirst = preference == Preference::ClassOverRace;
    const std::span<const RankEntry> firstRows =
        classFirst ? std::span<const RankEntry>(classes) : std::span<const RankEntry>(races);
    const std::span<const RankEntry> otherRows =
        classFirst ? std::span<const RankEntry>(races) : std::span<const RankEntry>(classes);
    const int first = firstRows[0].row;
    lines.push_back(std::string("The best ") + (classFirst ? "class" : "race") +
                    " is chosen first, then the best " + (classFirst ? "race" : "class") +
                    " that goes with it.");
    ExplainTie(firstRows, 0, classFirst ? "class" : "race", lines);
    if (pick == BestPick{}) {
        lines.push_back(Scored(firstRows[0]) + ": no " + (classFirst ? "race" : "class") +
                        " in the game goes with " + Name(first) + ", so there is no pick.");
        return lines;
    }
    const int race = pick.race, cls = RaceRowCount + pick.cls;
    const int second = classFirst ? race : cls;
    ExplainPassedOver(otherRows, second, first, classFirst, lines);
    for (std::size_t i = 0; i < otherRows.size(); ++i) {
        if (otherRows[i].row != second) continue;
        // Tied rows that go with the first choice as well: the order settled it.
        std::vector<std::string> tied{Name(second)};
        for (std::size_t j = i + 1; j < otherRows.size(); ++j) {
            if (otherRows[j].score == otherRows[i].score && GoTogether(first, otherRows[j].row))
                tied.push_back(Name(otherRows[j].row));
        }
        if (tied.size() > 1) {
            lines.push_back(Listed(tied) + " tied at " + std::to_string(otherRows[i].score) +
                            (tied.size() == 2 ? " and both go with " : " and all go with ") +
                            Name(first) +
                            "; the ranking, which keeps its own order among equal scores, put " +
                            tied.front() + " first.");
        }
        break;
    }
    for (const RankEntry& entry : races) {
        if (entry.row == race) ExplainLeanings(totals, race, entry.score, lines);
    }
    for (const RankEntry& entry : classes) {
        if (entry.row == cls) ExplainLeanings(totals, cls, entry.score, lines);
    }
    return lines;
}

}  // namespace kinpath
