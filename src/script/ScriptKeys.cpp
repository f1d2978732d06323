#include "script/ScriptKeys.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "text/Ascii.h"

namespace kinpath {

namespace {

// A key is lower-case letters and one "=" at its end: the one-pass search
// relies on it.
constexpr bool EndsInOneEquals(KeyList keys) {
    return std::all_of(keys.begin(), keys.end(), [](std::string_view key) {
        return key.size() > 1 && key.back() == '=' &&
               std::all_of(key.begin(), key.end() - 1, [](char c) { return c >= 'a' && c <= 'z'; });
    });
}
static_assert(EndsInOneEquals(SettingsKeys) && EndsInOneEquals(FinalKeys) &&
              EndsInOneEquals(QuestionKeys) && EndsInOneEquals(AnswerKeys) &&
              EndsInOneEquals(GameKeys) && EndsInOneEquals(RowBlockKeys) &&
              EndsInOneEquals(TotalKeys));

// The four characters before a key's "=", as one number. Every key has that
// many; a line's four before an "=" lead to the few keys ending in them.
constexpr std::size_t TailLength = 4;
constexpr std::uint32_t Pack(char a, char b, char c, char d) {
    return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
           std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}
constexpr std::uint32_t Tail(const char* end) {
    return Pack(*(end - 4), *(end - 3), *(end - 2), *(end - 1));
}
// Setting the case bit of the characters of a key part: a key's letters are
// lower case, and only a letter becomes one of them so.
constexpr std::uint32_t FoldedAll = 0x20202020;
constexpr bool LongEnough(KeyList keys) {
    return std::all_of(keys.begin(), keys.end(),
                       [](std::string_view key) { return key.size() > TailLength; });
}
static_assert(LongEnough(SettingsKeys) && LongEnough(FinalKeys) && LongEnough(QuestionKeys) &&
              LongEnough(AnswerKeys));

constexpr std::size_t Buckets = 64;
constexpr std::size_t BucketOf(std::uint32_t tail) { return (tail * 0x9E3779B1u) >> 26; }

// A block's keys by their tails: in each bucket the keys whose tails fall
// there, in test order (each entry is a key's index + 1; 0 ends the chain).
struct KeyIndex {
    std::array<std::uint32_t, AnswerKeys.size()> tails{};
    std::array<std::uint8_t, Buckets> first{};
    std::array<std::uint8_t, AnswerKeys.size()> next{};
};

template <std::size_t N>
constexpr KeyIndex IndexOf(const std::array<std::string_view, N>& keys) {
    static_assert(N <= AnswerKeys.size());
    KeyIndex index;
    for (std::size_t k = N; k > 0; --k) {  // from the last, so that chains run in test order
        const std::uint32_t tail = Tail(keys[k - 1].data() + keys[k - 1].size() - 1);
        index.tails[k - 1] = tail;
        index.next[k - 1] = index.first[BucketOf(tail)];
        index.first[BucketOf(tail)] = static_cast<std::uint8_t>(k);
    }
    return index;
}
constexpr KeyIndex SettingsIndex = IndexOf(SettingsKeys);
constexpr KeyIndex FinalIndex = IndexOf(FinalKeys);
constexpr KeyIndex QuestionIndex = IndexOf(QuestionKeys);
constexpr KeyIndex AnswerIndex = IndexOf(AnswerKeys);

// The index of a block's own list (or of the start of one), if keys is one.
const KeyIndex* IndexFor(KeyList keys) {
    if (keys.data() == AnswerKeys.data()) return &AnswerIndex;
    if (keys.data() == QuestionKeys.data()) return &QuestionIndex;
    if (keys.data() == SettingsKeys.data()) return &SettingsIndex;
    if (keys.data() == FinalKeys.data()) return &FinalIndex;
    return nullptr;
}

// Whether key stands in line ending at end, the part before the line's first
// "=" (at first) compared with its letters lowered. Its last `matched`
// characters are known to agree. Keys are lower-case letters before their
// "=": setting the case bit of a character makes only a letter one of them
// (a game's keys hold digits too: those are compared as written).
bool KeyEndsAt(std::string_view line, std::size_t end, std::string_view key, std::size_t first,
               std::size_t matched) {
    if (key.size() > end) return false;
    const std::size_t start = end - key.size();
    for (std::size_t i = 0; i + matched < key.size(); ++i) {
        const char written = line[start + i];
        const char c = start + i < first ? static_cast<char>(written | 0x20) : written;
        if (c != key[i]) return false;
        // A game's keys hold digits, which lowering leaves as they are.
        if (key[i] <= '9' && written != key[i]) return false;
    }
    return true;
}

// The keys standing before the "=" that ends at end, in test order, up to
// (not including) key `tried`: each handed to take until it returns false.
template <typename Take>
void KeysAt(KeyList keys, const KeyIndex* index, std::string_view line, std::size_t end,
            std::size_t first, std::size_t tried, Take take) {
    if (index == nullptr) {
        for (std::size_t k = 0; k < tried; ++k) {
            if (KeyEndsAt(line, end, keys[k], first, 1) && !take(k)) return;
        }
        return;
    }
    if (end <= TailLength) return;  // too near the start for any key
    std::uint32_t tail = Tail(line.data() + end - 1);
    if (end - 1 <= first) {
        tail |= FoldedAll;  // the whole tail stands before the first "="
    } else if (end - 1 - TailLength < first) {
        std::array<char, TailLength> fold{};
        for (std::size_t i = 0; end - 1 - TailLength + i < first; ++i) fold[i] = 0x20;
        tail |= Pack(fold[0], fold[1], fold[2], fold[3]);
    }
    for (std::size_t entry = index->first[BucketOf(tail)]; entry != 0 && entry <= tried;
         entry = index->next[entry - 1]) {
        const std::size_t k = entry - 1;
        if (index->tails[k] == tail && KeyEndsAt(line, end, keys[k], first, TailLength + 1) &&
            !take(k)) {
            return;
        }
    }
}

}  // namespace

LineKey FindLineKey(KeyList keys, std::string_view line, std::vector<KeyHit>* hits) {
    LineKey found;
    const KeyIndex* index = IndexFor(keys);
    const auto equalsFrom = [&](std::size_t from) {
        // Most lines are short: a call to search a few bytes costs more than it saves.
        if (line.size() - std::min(from, line.size()) <= 16) {
            while (from < line.size() && line[from] != '=') ++from;
            return std::min(from, line.size());
        }
        const void* at = std::memchr(line.data() + from, '=', line.size() - from);
        return at != nullptr ? static_cast<std::size_t>(static_cast<const char*>(at) - line.data())
                             : line.size();
    };
    const std::size_t first = equalsFrom(0);
    for (std::size_t equals = first; equals < line.size(); equals = equalsFrom(equals + 1)) {
        const std::size_t end = equals + 1;
        // Without hits to note, only keys tested before the one found matter.
        const std::size_t tried = hits != nullptr ? keys.size() : std::min(found.key, keys.size());
        KeysAt(keys, index, line, end, first, tried, [&](std::size_t k) {
            if (k < found.key) found = {k, end};
            if (hits == nullptr) return false;  // the keys after it lose to it
            hits->push_back({k, end - keys[k].size()});
            return true;
        });
        if (found.key == 0 && hits == nullptr) break;
    }
    if (found.key == NoKey && first < line.size()) found.value = first + 1;
    return found;
}

}  // namespace kinpath
