#include "scoring/BestPick.h"

#include <utility>

#include "script/ScriptDocument.h"

namespace kinpath {

namespace {

// Which totals make up each row's score. The leanings count for the rows they
// describe: evil, good, big race, small race. Rows as in RowCount, each led by
// its own total.
struct ScoreRule {
    int count;
    PointSlot slots[3];
};

const ScoreRule ScoreRules[RaceRowCount + ClassRowCount] = {
    {3, {SlotBarbarian, SlotGood, SlotBigRace}},
    {2, {SlotDarkElf, SlotEvil}},
    {3, {SlotDwarf, SlotGood, SlotSmallRace}},
    {2, {SlotErudite, SlotGood}},
    {3, {SlotGnome, SlotGood, SlotSmallRace}},
    {3, {SlotHalfElf, SlotGood, SlotSmallRace}},
    {2, {SlotHalfling, SlotGood}},
    {2, {SlotHighElf, SlotGood}},
    {2, {SlotHuman, SlotGood}},
    {1, {SlotIksar}},
    {3, {SlotOgre, SlotEvil, SlotBigRace}},
    {3, {SlotTroll, SlotEvil, SlotBigRace}},
    {2, {SlotWoodElf, SlotGood}},
    {1, {SlotBard}},
    {1, {SlotCleric}},
    {1, {SlotDruid}},
    {1, {SlotEnchanter}},
    {1, {SlotMagician}},
    {1, {SlotMonk}},
    {2, {SlotNecromancer, SlotEvil}},
    {1, {SlotPaladin}},
    {1, {SlotRanger}},
    {1, {SlotRogue}},
    {2, {SlotShadowKnight, SlotEvil}},
    {1, {SlotShaman}},
    {1, {SlotWarrior}},
    {1, {SlotWizard}},
};

std::int32_t RowScore(const PointValues& totals, int row) {
    std::int32_t sum = 0;
    for (const PointSlot slot : ScoreSlots(row)) sum = WrappingAdd(sum, totals[slot]);
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

// The first of `rows` that goes with `row`, or -1.
int FirstPartner(int row, const RankEntry* rows, int count) {
    for (int i = 0; i < count; ++i) {
        if (GoTogether(row, rows[i].row)) return rows[i].row;
    }
    return -1;
}

}  // namespace

std::span<const PointSlot> ScoreSlots(int row) {
    const ScoreRule& rule = ScoreRules[row];
    return {rule.slots, static_cast<std::size_t>(rule.count)};
}

void ScoreRows(const PointValues& totals, RaceRows& races, ClassRows& classes) {
    // By each row's number: a previous pick may have reordered them.
    for (RankEntry& row : races) {
        row.score = RowScore(totals, row.row);
    }
    for (RankEntry& row : classes) {
        row.score = RowScore(totals, row.row);
    }
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

BestPick PickBestRaceAndClass(const PointValues& totals, RaceRows& races, ClassRows& classes,
                              Preference preference) {
    ScoreRows(totals, races, classes);
    SortByScore(classes.data(), ClassRowCount);
    SortByScore(races.data(), RaceRowCount);
    if (preference == Preference::RaceOverClass) {
        const int race = races[0].row;
        const int cls = FirstPartner(race, classes.data(), ClassRowCount);
        if (cls < 0) {
            return {};
        }
        return {race, cls - RaceRowCount};
    }
    const int cls = classes[0].row;
    const int race = FirstPartner(cls, races.data(), RaceRowCount);
    if (race < 0) {
        return {};
    }
    return {race, cls - RaceRowCount};
}

}  // namespace kinpath
