#include "scoring/BestPick.h"

#include <utility>

#include "script/ScriptDocument.h"

namespace kinpath {

namespace {

std::int32_t RowScore(const GameRow& row, const PointValues& totals) {
    std::int32_t sum = 0;
    for (int i = 0; i < row.count; ++i) sum = WrappingAdd(sum, totals[row.slots[std::size_t(i)]]);
    return sum;
}

// Orders rows lo..hi. Ties end where this exact procedure puts them, and the
// pick depends on that, so it must not be replaced by another sort.
void SortRun(RankEntry* rows, int lo, int hi) {
    const int size = hi - lo + 1;
    if (size <= 8) {
        // Move the lowest row (the earliest of equally low ones) to the end.
        for (int last = hi; last > lo; --last) {
            int lowest = lo;
            for (int p = lo + 1; p <= last; ++p) {
                if (CompareScores(rows[p], rows[lowest]) == 1) lowest = p;
            }
            if (lowest != last) std::swap(rows[lowest], rows[last]);
        }
        return;
    }

    std::swap(rows[lo + size / 2], rows[lo]);
    int up = lo;
    int down = hi + 1;
    for (;;) {
        do {
            ++up;
        } while (up <= hi && CompareScores(rows[up], rows[lo]) <= 0);
        do {
            --down;
        } while (down > lo && CompareScores(rows[down], rows[lo]) >= 0);
        if (down < up) break;
        std::swap(rows[up], rows[down]);
    }
    std::swap(rows[lo], rows[down]);

    if (down - 1 - lo >= 1) SortRun(rows, lo, down - 1);
    if (hi - up >= 1) SortRun(rows, up, hi);
}

// The first of `rows` that goes with `row`, or -1: a row of the other table,
// by its place there, as the row's partners say.
int FirstPartner(const Game& game, int row, const RankEntry* rows, int count) {
    const std::uint16_t partners = RowOf(game, row).partners;
    const int other = row < RaceRowCount ? RaceRowCount : 0;  // where the other table starts
    for (int i = 0; i < count; ++i) {
        const int place = rows[i].row - other;
        // A row of the first's own table never goes with it.
        if (place >= 0 && place < (other == 0 ? RaceRowCount : ClassRowCount) &&
            (partners >> place & 1u) != 0)
            return rows[i].row;
    }
    return -1;
}

}  // namespace

std::span<const std::uint8_t> ScoreSlots(const Game& game, int row) {
    const GameRow& entry = RowOf(game, row);
    return {entry.slots.data(), entry.count};
}

void ScoreRows(const Game& game, const PointValues& totals, RaceRows& races, ClassRows& classes) {
    // By each row's number: a previous pick may have reordered them.
    for (RankEntry& row : races) row.score = RowScore(RowOf(game, row.row), totals);
    for (RankEntry& row : classes) row.score = RowScore(RowOf(game, row.row), totals);
}

int CompareScores(const RankEntry& a, const RankEntry& b) {
    if (a.score > b.score) return -1;
    if (a.score < b.score) return 1;
    return 0;
}

void SortByScore(RankEntry* rows, int count) {
    if (rows == nullptr || count < 2) return;
    SortRun(rows, 0, count - 1);
}

BestPick PickBestRaceAndClass(const Game& game, const PointValues& totals, RaceRows& races,
                              ClassRows& classes, Preference preference) {
    ScoreRows(game, totals, races, classes);
    SortByScore(classes.data(), classes.count);
    SortByScore(races.data(), races.count);
    if (classes.count == 0) return {races[0].row, ClassRowCount};
    if (preference == Preference::RaceOverClass) {
        const int race = races[0].row;
        const int cls = FirstPartner(game, race, classes.data(), classes.count);
        if (cls < 0) {
            return {};
        }
        return {race, cls - RaceRowCount};
    }
    const int cls = classes[0].row;
    const int race = FirstPartner(game, cls, races.data(), races.count);
    if (race < 0) {
        return {};
    }
    return {race, cls - RaceRowCount};
}

}  // namespace kinpath
