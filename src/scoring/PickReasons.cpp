#include "scoring/PickReasons.h"

#include <span>

#include "scoring/RowNames.h"
#include "script/ScriptDocument.h"

namespace kinpath {

namespace {

// "A", "A and B", "A, B and C".
std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

// The lines of one explanation, in the game's names and words.
struct Reasons {
    const Game& game;
    std::vector<std::string> lines;

    std::string Name(int row) const { return std::string(RowName(game, row)); }
    std::string Scored(const RankEntry& row) const {
        return Name(row.row) + " " + std::to_string(row.score);
    }
    // The game's name for a pair: race first.
    std::string Pair(int race, int cls) const {
        return "the game has no " + Name(race) + " " + Name(cls);
    }
    // What a shared total counts for, as "27 for good".
    std::string For(int slot) const {
        static constexpr const char* Leanings[] = {"evil", "good", "a big race", "a small race"};
        const auto shared = static_cast<std::size_t>(slot - BarSlotCount);
        return &game == &BuiltInGame() ? Leanings[shared] : game.shared[shared];
    }
    void Tie(std::span<const RankEntry> rows, std::size_t at, const std::string& what);
    void PassedOver(std::span<const RankEntry> rows, int taken, int first, bool rowsAreRaces);
    void Leanings(const PointValues& totals, int row, std::int32_t score);
    void Partner(std::span<const RankEntry> otherRows, int first, int second);
};

// "Wizard, Shadow Knight and Bard tied at 66 ..." for the rows that share the
// score of rows[at], when there are several and the choice fell among them.
void Reasons::Tie(std::span<const RankEntry> rows, std::size_t at, const std::string& what) {
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
void Reasons::PassedOver(std::span<const RankEntry> rows, int taken, int first, bool rowsAreRaces) {
    for (const RankEntry& row : rows) {
        if (row.row == taken) break;
        lines.push_back(Scored(row) + ": " +
                        (rowsAreRaces ? Pair(row.row, first) : Pair(first, row.row)) + ".");
    }
}

// "Erudite scores 72: 45 of its own and 27 for good." when shared totals count.
void Reasons::Leanings(const PointValues& totals, int row, std::int32_t score) {
    const std::span<const std::uint8_t> slots = ScoreSlots(game, row);
    std::string parts;
    for (std::size_t i = 1; i < slots.size(); ++i) {
        const std::int32_t value = totals[slots[i]];
        if (value == 0) continue;
        parts += " and " + std::to_string(value) + " for " + For(slots[i]);
    }
    if (parts.empty()) return;
    lines.push_back(Name(row) + " scores " + std::to_string(score) + ": " +
                    std::to_string(totals[slots[0]]) + " of its own" + parts + ".");
}

// Tied rows that go with the first choice as well: the order settled it.
void Reasons::Partner(std::span<const RankEntry> otherRows, int first, int second) {
    for (std::size_t i = 0; i < otherRows.size(); ++i) {
        if (otherRows[i].row != second) continue;
        std::vector<std::string> tied{Name(second)};
        for (std::size_t j = i + 1; j < otherRows.size(); ++j) {
            if (otherRows[j].score == otherRows[i].score &&
                GoTogether(game, first, otherRows[j].row))
                tied.push_back(Name(otherRows[j].row));
        }
        if (tied.size() > 1) {
            lines.push_back(Listed(tied) + " tied at " + std::to_string(otherRows[i].score) +
                            (tied.size() == 2 ? " and both go with " : " and all go with ") +
                            Name(first) +
                            "; the ranking, which keeps its own order among equal scores, put " +
                            tied.front() + " first.");
        }
        return;
    }
}

}  // namespace

std::vector<std::string> ExplainPick(const Game& game, const std::array<std::string, 2>& words,
                                     const PointValues& totals, const RaceRows& races,
                                     const ClassRows& classes, Preference preference,
                                     const BestPick& pick) {
    Reasons why{game, {}};
    const std::string& race = words[0];
    const std::string& cls = words[1];
    if (classes.count == 0) {  // a game of one table: its best row
        why.Tie(races, 0, race);
        why.Leanings(totals, races[0].row, races[0].score);
        return why.lines;
    }
    const bool classFirst = preference == Preference::ClassOverRace;
    const std::span<const RankEntry> firstRows =
        classFirst ? std::span<const RankEntry>(classes) : std::span<const RankEntry>(races);
    const std::span<const RankEntry> otherRows =
        classFirst ? std::span<const RankEntry>(races) : std::span<const RankEntry>(classes);
    const int first = firstRows[0].row;
    why.lines.push_back("The best " + (classFirst ? cls : race) +
                        " is chosen first, then the best " + (classFirst ? race : cls) +
                        " that goes with it.");
    why.Tie(firstRows, 0, classFirst ? cls : race);
    if (pick == BestPick{}) {
        why.lines.push_back(why.Scored(firstRows[0]) + ": no " + (classFirst ? race : cls) +
                            " in the game goes with " + why.Name(first) + ", so there is no pick.");
        return why.lines;
    }
    const int raceRow = pick.race, classRow = RaceRowCount + pick.cls;
    const int second = classFirst ? raceRow : classRow;
    why.PassedOver(otherRows, second, first, classFirst);
    why.Partner(otherRows, first, second);
    for (const RankEntry& entry : races) {
        if (entry.row == raceRow) why.Leanings(totals, raceRow, entry.score);
    }
    for (const RankEntry& entry : classes) {
        if (entry.row == classRow) why.Leanings(totals, classRow, entry.score);
    }
    return why.lines;
}

}  // namespace kinpath
