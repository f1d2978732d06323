// The keys of each block and the one rule that finds a line's key, for the
// loader and the checker alike: a new key is taught here (or in
// AnswerPointKeys) and nowhere else.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "script/PointSlot.h"

namespace kinpath {

using KeyList = std::span<const std::string_view>;

// Each block's keys in the order a line is tested against them: of the keys a
// line holds, the one listed first wins.
inline constexpr std::array<std::string_view, 1> SettingsKeys{"preference="};
inline constexpr std::array<std::string_view, 1> FinalKeys{"recap="};
// explanationtext= is no QUESTION key, but the text= inside it makes a line a
// choice; listed after text=, it never wins and the checker can name it.
inline constexpr std::array<std::string_view, 4> QuestionKeys{
    "type=", "name=", "text=", "explanationtext="};
enum QuestionKey : std::size_t { QuestionTypeKey, QuestionNameKey, QuestionTextKey };
// type=, explanationtext=, then the point keys in AnswerPointKeys' order.
inline constexpr auto AnswerKeys = [] {
    std::array<std::string_view, 2 + AnswerPointKeys.size()> keys{"type=", "explanationtext="};
    for (std::size_t i = 0; i < AnswerPointKeys.size(); ++i) keys[2 + i] = AnswerPointKeys[i].key;
    return keys;
}();
enum AnswerKey : std::size_t { AnswerTypeKey, AnswerExplanationKey, FirstPointKey };

// The blocks that declare a game. Keys of free text come first, so that a
// text holding another key's word stays that text.
inline constexpr std::array<std::string_view, 5> GameKeys{
    "greeting=", "closing=", "title=", "first=", "second="};
enum GameBlockKey : std::size_t { GameGreetingKey, GameClosingKey, GameTitleKey, GameFirstKey };
// Of a RACE block and of a CLASS block alike.
inline constexpr std::array<std::string_view, 4> RowBlockKeys{"about=", "name=", "key=", "with="};
enum RowKey : std::size_t { RowAboutKey, RowNameKey, RowPointKey, RowWithKey };
inline constexpr std::array<std::string_view, 3> TotalKeys{"name=", "key=", "for="};
enum TotalKey : std::size_t { TotalNameKey, TotalPointKey, TotalForKey };

inline constexpr std::size_t NoKey = SIZE_MAX;

// The key a line belongs to: an index into its block's keys and where the
// key's value starts in the line; NoKey when it holds none, with value past
// its first "=" (0 when it has none).
struct LineKey {
    std::size_t key = NoKey;
    std::size_t value = 0;
};

// A key text standing in a line.
struct KeyHit {
    std::size_t key;  // index into the block's keys
    std::size_t at;   // where its first character stands
};

// The key of a line as written: the same as lowering its key part (up to
// its first "=") and trying FindKey with each of keys in turn, the first
// found winning with the value after its first occurrence. Every key ends in
// "=", so a key stands only before an "=": each "=" is looked at once. When
// hits is given, it receives every key text of keys the line holds, by its
// "=" from left to right, and at one "=" in test order.
LineKey FindLineKey(KeyList keys, std::string_view line, std::vector<KeyHit>* hits = nullptr);

}  // namespace kinpath
