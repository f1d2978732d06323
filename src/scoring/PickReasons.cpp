#include "scoring/PickReasons.h"

#include <cstring>
#include <span>

#include "script/ScriptDocument.h"

namespace kinpath {

namespace {

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// "A", "A and B", "A, B and C".
std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

std::string Scored(const RankEntry& row) {
    return std::string(row.name) + " " + std::to_string(row.score);
}

// The game's name for a pair: race first.
std::string Pair(const char* race, const char* className) {
    return std::string("the game has no ") + race + " " + className;
}

// "Wizard, Shadow Knight and Bard tied at 66 ..." for the rows that share the
// score of rows[at], when there are several and the choice fell among them.
void ExplainTie(std::span<const RankEntry> rows, std::size_t at, const char* what,
                std::vector<std::string>& lines) {
    std::vector<std::string> tied;
    for (const RankEntry& row : rows) {
        if (row.score == rows[at].score) tied.emplace_back(row.name);
    }
    if (tied.size() < 2) return;
    lines.push_back(Listed(tied) + " tied at " + std::to_string(rows[at].score) + " for the best " +
                    what + "; the ranking, which keeps its own order among equal scores, put " +
                    tied.front() + " first.");
}

// The rows walked over before the partner was found: each named with its
// score and the pair the game lacks.
void ExplainPassedOver(std::span<const RankEntry> rows, const char* taken, const char* first,
                       bool rowsAreRaces, std::vector<std::string>& lines) {
    for (const RankEntry& row : rows) {
        if (Same(row.name, taken)) break;
        lines.push_back(Scored(row) + ": " +
                        (rowsAreRaces ? Pair(row.name, first) : Pair(first, row.name)) + ".");
    }
}

// "Erudite scores 72: 45 of its own and 27 for good." when leanings count.
void ExplainLeanings(const PointValues& totals, int row, const char* name, std::int32_t score,
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
    lines.push_back(std::string(name) + " scores " + std::to_string(score) + ": " +
                    std::to_string(totals[slots[0]]) + " of its own" + parts + ".");
}

int InitialRow(const char* name) {
    for (int i = 0; i < RaceRowCount; ++i) {
        if (Same(InitialRaceTable[static_cast<std::size_t>(i)].name, name)) return i;
    }
    for (int i = 0; i < ClassRowCount; ++i) {
        if (Same(InitialClassTable[static_cast<std::size_t>(i)].name, name))
            return RaceRowCount + i;
    }
    return -1;
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
    const char* first = firstRows[0].name;
    lines.push_back(std::string("The best ") + (classFirst ? "class" : "race") +
                    " is chosen first, then the best " + (classFirst ? "race" : "class") +
                    " that goes with it.");
    ExplainTie(firstRows, 0, classFirst ? "class" : "race", lines);
    if (Same(pick.race, "Unknown") && Same(pick.className, "Unknown")) {
        lines.push_back(Scored(firstRows[0]) + ": no " + (classFirst ? "race" : "class") +
                        " in the game goes with " + first + ", so there is no pick.");
        return lines;
    }
    const char* second = classFirst ? pick.race : pick.className;
    ExplainPassedOver(otherRows, second, first, classFirst, lines);
    for (std::size_t i = 0; i < otherRows.size(); ++i) {
        if (!Same(otherRows[i].name, second)) continue;
        // Tied rows that go with the first choice as well: the order settled it.
        std::vector<std::string> tied{otherRows[i].name};
        for (std::size_t j = i + 1; j < otherRows.size(); ++j) {
            if (otherRows[j].score == otherRows[i].score && FindPartner(first, otherRows[j]))
                tied.emplace_back(otherRows[j].name);
        }
        if (tied.size() > 1) {
            lines.push_back(Listed(tied) + " tied at " + std::to_string(otherRows[i].score) +
                            (tied.size() == 2 ? " and both go with " : " and all go with ") +
                            first +
                            "; the ranking, which keeps its own order among equal scores, put " +
                            tied.front() + " first.");
        }
        break;
    }
    for (const char* name : {pick.race, pick.className}) {
        const int row = InitialRow(name);
        if (row < 0) continue;
        const auto& rows = row < RaceRowCount ? std::span<const RankEntry>(races)
                                              : std::span<const RankEntry>(classes);
        for (const RankEntry& entry : rows) {
            if (Same(entry.name, name)) ExplainLeanings(totals, row, name, entry.score, lines);
        }
    }
    return lines;
}

}  // namespace kinpath
