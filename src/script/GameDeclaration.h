// A game declared in the script: its GAME, RACE, CLASS and TOTAL blocks
// before the first question, read into a Game line by line. The loader and
// the checker read with it, so both refuse the same lines with the same
// messages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "script/Game.h"
#include "script/PointSlot.h"
#include "script/ScriptDocument.h"
#include "script/ScriptKeys.h"
#include "script/ScriptReader.h"

namespace kinpath {

// The names the RACE and CLASS blocks give, in block order, read ahead: a
// with= or for= may name a row whose block comes later.
struct DeclaredNames {
    std::array<std::vector<std::string>, 2> rows;
};
// Of a script's text, up to its first question.
DeclaredNames ReadDeclaredNames(std::string_view bytes);

// Whether a key of a game's block adds to what it gave before (greeting=,
// with=, for=) rather than replacing it.
bool KeyAddsUp(ScriptTag block, std::size_t key);

// Builds the game from its blocks' lines in reading order. Each step says
// what it refuses, as the window says it, at the window's line `line`; the
// checker reads on after a refusal.
class GameDeclaration {
public:
    explicit GameDeclaration(DeclaredNames names) : names_(std::move(names)) {}

    std::optional<ScriptError> Open(ScriptTag block, std::int64_t line);
    // A line holding the block's key `key`, its value `value`.
    std::optional<ScriptError> Key(ScriptTag block, std::size_t key, std::string_view value,
                                   std::int64_t line);
    std::optional<ScriptError> Close(ScriptTag block, std::int64_t line);
    // The game, once its blocks are over.
    Game Finish();

private:
    // The block being read.
    struct Block {
        std::string name, key, about;
        int row = 0;             // its place in its table, or among the totals
        bool kept = false;       // within its table's capacity
        std::uint32_t rows = 0;  // of a TOTAL: the rows it counts for, a bit each
        bool forGiven = false;
        bool keyRefused = false;  // its key is no point key, or another block's
    };
    std::optional<ScriptError> Name(ScriptTag block, std::string_view value, std::int64_t line);
    std::optional<ScriptError> SetKey(std::string_view value, std::int64_t line);
    std::optional<ScriptError> Names(ScriptTag block, std::string_view value, std::int64_t line);

    DeclaredNames names_;
    Game game_;
    Block block_;
    std::array<int, 3> opened_{};  // RACE, CLASS and TOTAL blocks so far
    bool gameBlock_ = false;
    bool toldNoRace_ = false;
    // Which rows of the other table each row goes with, by table and row.
    std::array<std::array<std::uint16_t, SecondTableCapacity>, 2> partners_{};
    std::vector<std::uint32_t> totalRows_;  // by total: its rows, bit 16 * table + row
    std::vector<GameKey> keys_;             // in declaration order
};

// The keys an ANSWER block reads, and the slot each point key sets: the
// built-in game's, or a declared game's (type=, explanationtext=, then its
// keys) when it declares rows. Keeps views of the game's keys.
class AnswerKeyList {
public:
    AnswerKeyList();
    explicit AnswerKeyList(const Game& game);
    AnswerKeyList(const AnswerKeyList&) = delete;
    AnswerKeyList& operator=(const AnswerKeyList&) = delete;

    KeyList Keys() const { return keys_; }
    bool BuiltIn() const { return keys_.data() == AnswerKeys.data(); }
    // The slot of a point key (an index of Keys() from FirstPointKey on).
    PointSlot Slot(std::size_t key) const {
        return static_cast<PointSlot>(slots_[key - FirstPointKey]);
    }

private:
    std::vector<std::string_view> own_;
    KeyList keys_ = AnswerKeys;
    std::array<std::uint8_t, PointSlotCount> slots_{};
};

}  // namespace kinpath
