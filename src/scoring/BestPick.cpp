#include "scoring/BestPick.h"

#include <cstring>
#include <string>
#include <utility>

#include "scoring/RowNames.h"
#include "script/ScriptDocument.h"

namespace kinpath {

namespace {

// Which totals make up each row's score. The leanings count for the rows they
// describe: evil, good, big race, small race. Rows in their initial order.
struct ScoreRule {
    const char* name;
    int count;
    PointSlot slots[3];
};

const ScoreRule ScoreRules[RaceRowCount + ClassRowCount] = {
    {"Barbarian", 3, {SlotBarbarian, SlotGood, SlotBigRace}},
    {"Dark Elf", 2, {SlotDarkElf, SlotEvil}},
    {"Dwarf", 3, {SlotDwarf, SlotGood, SlotSmallRace}},
    {"Erudite", 2, {SlotErudite, SlotGood}},
    {"Gnome", 3, {SlotGnome, SlotGood, SlotSmallRace}},
    {"Half Elf", 3, {SlotHalfElf, SlotGood, SlotSmallRace}},
    {"Halfling", 2, {SlotHalfling, SlotGood}},
    {"High Elf", 2, {SlotHighElf, SlotGood}},
    {"Human", 2, {SlotHuman, SlotGood}},
    {"Iksar", 1, {SlotIksar}},
    {"Ogre", 3, {SlotOgre, SlotEvil, SlotBigRace}},
    {"Troll", 3, {SlotTroll, SlotEvil, SlotBigRace}},
    {"Wood Elf", 2, {SlotWoodElf, SlotGood}},
    {"Bard", 1, {SlotBard}},
    {"Cleric", 1, {SlotCleric}},
    {"Druid", 1, {SlotDruid}},
    {"Enchanter", 1, {SlotEnchanter}},
    {"Magician", 1, {SlotMagician}},
    {"Monk", 1, {SlotMonk}},
    {"Necromancer", 2, {SlotNecromancer, SlotEvil}},
    {"Paladin", 1, {SlotPaladin}},
    {"Ranger", 1, {SlotRanger}},
    {"Rogue", 1, {SlotRogue}},
    {"Shadow Knight", 2, {SlotShadowKnight, SlotEvil}},
    {"Shaman", 1, {SlotShaman}},
    {"Warrior", 1, {SlotWarrior}},
    {"Wizard", 1, {SlotWizard}},
};

// Rows are scored by name because a previous pick may have reordered them.
std::int32_t RowScore(const PointValues& totals, const char* name) {
    for (const ScoreRule& rule : ScoreRules) {
        if (std::strcmp(rule.name, name) != 0) continue;
        std::int32_t sum = 0;
        for (int i = 0; i < rule.count; ++i) sum = WrappingAdd(sum, totals[rule.slots[i]]);
        return sum;
    }
    return 0;
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

// The first row of `rows` that lists `name`, or null.
const char* FirstRowListing(const char* name, const RankEntry* rows, int count) {
    for (int i = 0; i < count; ++i) {
        if (const char* found = FindPartner(name, rows[i])) return found;
    }
    return nullptr;
}

}  // namespace

std::span<const PointSlot> ScoreSlots(int row) {
    const ScoreRule& rule = ScoreRules[row];
    return {rule.slots, static_cast<std::size_t>(rule.count)};
}

void ScoreRows(const PointValues& totals, RaceRows& races, ClassRows& classes) {
    for (RankEntry& row : races) {
        row.score = RowScore(totals, row.name);
    }
    for (RankEntry& row : classes) {
        row.score = RowScore(totals, row.name);
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
        const char* race = races[0].name;
        const char* className = FirstRowListing(race, classes.data(), ClassRowCount);
        if (className == nullptr) {
            return {UnknownName, UnknownName};
        }
        return {race, className};
    }
    const char* className = classes[0].name;
    const char* race = FirstRowListing(className, races.data(), RaceRowCount);
    if (race == nullptr) {
        return {UnknownName, UnknownName};
    }
    return {race, className};
}

}  // namespace kinpath
