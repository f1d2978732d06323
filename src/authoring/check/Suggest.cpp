#include "authoring/check/Suggest.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "scoring/Reach.h"
#include "text/Ascii.h"

namespace kinpath::check {

namespace {

// How far off a word may be and still be taken for a misspelling: a short
// one only by one edit, where two would make it another word altogether.
int Tolerance(std::string_view word) { return word.size() <= 5 ? 1 : 2; }

// The fewest letters a key cut short keeps: fewer would fit too many keys.
constexpr std::size_t MinimumStem = 3;

// Words a new author writes for a key, too far off to be taken for a
// misspelling of it: the question's text as question=, a choice as choice=.
constexpr std::pair<std::string_view, std::string_view> Misreadings[] = {
    {"question=", "name="},
    {"choice=", "text="},
};

// "warrior" in "warriorpts=": the point key of the game's row or shared
// total whose name (without blanks) starts with it, when it has three letters
// or more.
std::optional<std::string_view> KeyOfName(std::string_view written, KeyList keys,
                                          const Game& game) {
    constexpr std::string_view ending = "pts=";
    if (!written.ends_with(ending) || written.size() < ending.size() + 3) return std::nullopt;
    const std::string_view stem = written.substr(0, written.size() - ending.size());
    for (const GameKey& key : game.keys) {
        std::string name;
        for (const char c : SlotName(game, key.slot))
            if (c != ' ') name += FoldAscii(c);
        const auto known = std::find(keys.begin(), keys.end(), key.key);
        if (name.starts_with(stem) && known != keys.end()) return *known;
    }
    return std::nullopt;
}

}  // namespace

int EditDistance(std::string_view a, std::string_view b) {
    // Optimal string alignment over three rows of the table.
    std::vector<int> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
    std::iota(previous.begin(), previous.end(), 0);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const int change = a[i - 1] == b[j - 1] ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                current[j] = std::min(current[j], before[j - 2] + 1);
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[b.size()];
}

std::vector<std::string_view> NearestKeys(std::string_view written, KeyList keys,
                                          const Game& game) {
    std::vector<std::string_view> nearest;
    for (const auto& [word, key] : Misreadings) {
        if (written == word && std::find(keys.begin(), keys.end(), key) != keys.end()) return {key};
    }
    // A key cut short is the likeliest slip, however far off it then is.
    const std::string_view stem = written.substr(0, written.size() - 1);
    if (stem.size() >= MinimumStem) {
        for (const std::string_view key : keys) {
            if (key.starts_with(stem) && key.size() > written.size() && nearest.size() < 3) {
                nearest.push_back(key);
            }
        }
        if (!nearest.empty()) return nearest;
    }
    int best = Tolerance(written) + 1;
    for (const std::string_view key : keys) {
        const int distance = EditDistance(written, key);
        if (distance < best) {
            best = distance;
            nearest.clear();
        }
        if (distance == best && nearest.size() < 3) nearest.push_back(key);
    }
    if (nearest.empty()) {
        if (const auto named = KeyOfName(written, keys, game)) nearest.push_back(*named);
    }
    return nearest;
}

std::string KeyChoices(const std::vector<std::string_view>& keys) {
    std::string text;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0) text += i + 1 == keys.size() ? " or " : ", ";
        text += "'" + std::string(keys[i]) + "'";
    }
    return text;
}

std::optional<TagShape> ShapeOfTag(std::string_view line) {
    if (line.size() < 3 || line.front() != '<' || line.back() != '>') return std::nullopt;
    TagShape shape;
    std::string_view inner = line.substr(1, line.size() - 2);
    while (!inner.empty() && IsBlank(inner.front())) inner.remove_prefix(1);
    if (!inner.empty() && inner.front() == '/') {
        shape.end = true;
        inner.remove_prefix(1);
    }
    for (const char c : inner) {
        if (c == '<' || c == '>' || c == '=') return std::nullopt;
        if (!IsBlank(c)) shape.name += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    if (shape.name.empty()) return std::nullopt;
    return shape;
}

std::optional<ScriptTag> NearestTag(const TagShape& shape, std::initializer_list<ScriptTag> tags) {
    std::optional<ScriptTag> nearest;
    int best = Tolerance(shape.name) + 1;
    for (const ScriptTag tag : tags) {
        const int distance = EditDistance(shape.name, TagName(tag));
        if (distance < best) {
            best = distance;
            nearest = tag;
        }
    }
    return nearest;
}

}  // namespace kinpath::check
