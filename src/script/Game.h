// A game's outcomes as data: two tables of rows (races and classes, or
// whatever the game calls them), which rows of one go with which of the
// other, the totals each row's score sums and the point keys answers set them
// with. The built-in game is scoring's (BuiltInGame); a script may declare
// its own before its first question.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "script/PointSlot.h"

namespace kinpath {

// Every front end shows every row: the desktop dialog has 13 bars for the
// first table and 14 for the second.
inline constexpr int FirstTableCapacity = 13;
inline constexpr int SecondTableCapacity = 14;
// Totals that count for several rows (the built-in game's evil, good, big
// race and small race), in the slots after the bars'.
inline constexpr int SharedTotalCapacity = PointSlotCount - BarSlotCount;

struct GameRow {
    std::string name;
    std::string about;  // one line that describes it, or empty
    // The totals its score sums: its own first (its bar's), then shared ones.
    std::uint8_t count = 1;
    std::array<std::uint8_t, 1 + SharedTotalCapacity> slots{};
    // The rows of the other table it goes with, a bit for each by its place.
    std::uint16_t partners = 0;
    friend bool operator==(const GameRow&, const GameRow&) = default;
};

// A point key and the total it sets ("tieflingpts=").
struct GameKey {
    std::string key;
    std::uint8_t slot = 0;
    friend bool operator==(const GameKey&, const GameKey&) = default;
};

struct Game {
    // Shown as the window's caption and the page's title; empty for the
    // program's own.
    std::string title;
    // What the game calls a row of each table, in lower case ("race").
    std::array<std::string, 2> words{"race", "class"};
    // The pane's lines before the first question and the report's last line;
    // empty for the program's own.
    std::vector<std::string> greeting;
    std::string closing;
    // The first table's rows stand at rows 0.., the second's at rows
    // FirstTableCapacity.. (as RowCount numbers them); a game of one table
    // has no second.
    std::array<std::vector<GameRow>, 2> tables;
    // The shared totals' names, slot BarSlotCount on, and what each stands
    // for in a few words (none for a declared game's).
    std::vector<std::string> shared;
    std::vector<std::string> sharedAbout;
    // The point keys in the order an answer's line is tested against them.
    std::vector<GameKey> keys;
    friend bool operator==(const Game&, const Game&) = default;
};

}  // namespace kinpath
