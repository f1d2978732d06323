// What an author probably meant: the valid keys and tags nearest to a
// misspelt one. The window knows nothing of this; only the checker suggests.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scoring/RankTables.h"
#include "script/ScriptKeys.h"
#include "script/ScriptReader.h"

namespace kinpath::check {

// Edits (a letter added, dropped, changed, or two neighbours swapped) that
// turn a into b.
int EditDistance(std::string_view a, std::string_view b);

// The keys of `keys` nearest to `written` (a lowered word ending in "="),
// closest first and at most three; none when every key is too far off to be
// what was meant. A word that a key starts with is that key cut short
// ("explanation=" means explanationtext=); a point key may also be named by
// its race or class ("warriorpts=" means warpts=); a few words stand for a
// key ("question=" means name=, "choice=" text=).
// A point key is named by the game's rows and shared totals.
std::vector<std::string_view> NearestKeys(std::string_view written, KeyList keys,
                                          const Game& game = BuiltInGame());

// "'rogpts='", "'welfpts=' or 'helfpts='": the keys for "did you mean ...?".
std::string KeyChoices(const std::vector<std::string_view>& keys);

// A line shaped like a tag: "<" or "</", a name, ">", blanks allowed.
struct TagShape {
    bool end = false;
    std::string name;  // in capitals, without blanks
};
std::optional<TagShape> ShapeOfTag(std::string_view line);

// The tag of `tags` that `shape` is a misspelling of, if one is near.
std::optional<ScriptTag> NearestTag(const TagShape& shape, std::initializer_list<ScriptTag> tags);

}  // namespace kinpath::check
