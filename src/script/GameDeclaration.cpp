#include "script/GameDeclaration.h"

#include <algorithm>

#include "script/BlockWalker.h"
#include "text/Ascii.h"

namespace kinpath {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) c = FoldAscii(c);
    return lowered;
}

// Which table a block's rows are in (TOTAL: the totals, 2).
int TableOf(ScriptTag block) {
    return block == ScriptTag::Race ? 0 : block == ScriptTag::Class ? 1 : 2;
}
constexpr std::array<int, 3> Capacity{FirstTableCapacity, SecondTableCapacity, SharedTotalCapacity};
constexpr std::array<ScriptTag, 2> TableTags{ScriptTag::Race, ScriptTag::Class};

// The place of a name among names (in any case), or -1.
int Find(const std::vector<std::string>& names, std::string_view name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (SameText(names[i], name)) return static_cast<int>(i);
    }
    return -1;
}

// Hands each name of a comma-separated list to take, blanks around it trimmed
// and empty ones left out, until take refuses one.
template <typename Take>
std::optional<ScriptError> EachName(std::string_view list, Take take) {
    while (true) {
        const std::size_t comma = std::min(list.find(','), list.size());
        if (const std::string_view name = Trimmed(list.substr(0, comma)); !name.empty()) {
            if (auto error = take(name)) return error;
        }
        if (comma == list.size()) return std::nullopt;
        list.remove_prefix(comma + 1);
    }
}

// A handler of the block walk that only notes the names of the rows, and
// stops at the first question.
class NameReader {
public:
    explicit NameReader(std::string_view bytes) : walker_(bytes, *this) {}
    DeclaredNames Read() {
        walker_.Walk();
        return std::move(names_);
    }

private:
    friend class BlockWalker<NameReader>;
    void Read(const ScriptLine&) {}
    void Outside() {}
    bool Open(ScriptTag block) {
        table_ = TableOf(block);
        if (IsGameTag(block) && table_ < 2) names_.rows[std::size_t(table_)].emplace_back();
        return true;
    }
    Then Key(ScriptTag block, LineKey key) {
        if ((block == ScriptTag::Race || block == ScriptTag::Class) && key.key == RowNameKey) {
            names_.rows[std::size_t(table_)].back() =
                Trimmed(walker_.Line().text.substr(key.value));
        }
        return Then::ReadOn;
    }
    Then Keyless(ScriptTag, LineKey) { return Then::ReadOn; }
    bool Cut(ScriptTag) { return true; }
    bool EndOfFile(ScriptTag) { return true; }
    bool Close(ScriptTag) { return true; }
    bool CloseQuestion() { return false; }
    std::vector<KeyHit>* Hits() { return nullptr; }
    bool EndDeclaration() { return false; }

    BlockWalker<NameReader> walker_;
    DeclaredNames names_;
    int table_ = 2;
};

}  // namespace

DeclaredNames ReadDeclaredNames(std::string_view bytes) { return NameReader(bytes).Read(); }

bool KeyAddsUp(ScriptTag block, std::size_t key) {
    switch (block) {
        case ScriptTag::Game:
            return key == GameGreetingKey;
        case ScriptTag::Race:
        case ScriptTag::Class:
            return key == RowWithKey;
        case ScriptTag::Total:
            return key == TotalForKey;
        default:
            return false;
    }
}

std::optional<ScriptError> GameDeclaration::Open(ScriptTag block, std::int64_t line) {
    block_ = Block();
    if (block == ScriptTag::Game) {
        if (std::exchange(gameBlock_, true)) {
            return ScriptError{ScriptMessage::TooManyBlocks, line, {}, block};
        }
        return std::nullopt;
    }
    const int table = TableOf(block);
    block_.row = opened_[std::size_t(table)]++;
    block_.kept = block_.row < Capacity[std::size_t(table)];
    if (block == ScriptTag::Class && names_.rows[0].empty() && !std::exchange(toldNoRace_, true)) {
        return ScriptError{ScriptMessage::NeedsRace, line};
    }
    if (!block_.kept) return ScriptError{ScriptMessage::TooManyBlocks, line, {}, block};
    return std::nullopt;
}

std::optional<ScriptError> GameDeclaration::Key(ScriptTag block, std::size_t key,
                                                std::string_view value, std::int64_t line) {
    if (block == ScriptTag::Game) {
        if (key == GameGreetingKey) {
            game_.greeting.emplace_back(value);
        } else if (key == GameClosingKey) {
            game_.closing = value;
        } else if (key == GameTitleKey) {
            game_.title = value;
        } else if (const std::string word = Lowered(Trimmed(value)); !word.empty()) {
            game_.words[key - GameFirstKey] = word;
        }
        return std::nullopt;
    }
    if (block == ScriptTag::Total) {
        if (key == TotalNameKey) return Name(block, value, line);
        return key == TotalPointKey ? SetKey(value, line) : Names(block, value, line);
    }
    if (key == RowAboutKey) {
        block_.about = value;
        return std::nullopt;
    }
    if (key == RowNameKey) return Name(block, value, line);
    return key == RowPointKey ? SetKey(value, line) : Names(block, value, line);
}

// A name is given once, among the rows and the totals alike.
std::optional<ScriptError> GameDeclaration::Name(ScriptTag, std::string_view value,
                                                 std::int64_t line) {
    block_.name = Trimmed(value);
    const auto given = [&](const std::string& name) {
        return !name.empty() && SameText(name, block_.name);
    };
    for (const auto& table : game_.tables) {
        if (std::any_of(table.begin(), table.end(),
                        [&](const GameRow& r) { return given(r.name); }))
            return ScriptError{ScriptMessage::NamedTwice, line, block_.name};
    }
    if (std::any_of(game_.shared.begin(), game_.shared.end(), given)) {
        return ScriptError{ScriptMessage::NamedTwice, line, block_.name};
    }
    return std::nullopt;
}

std::optional<ScriptError> GameDeclaration::SetKey(std::string_view value, std::int64_t line) {
    block_.key = Lowered(Trimmed(value));
    block_.keyRefused = true;
    const std::string_view key = block_.key;
    if (!key.ends_with(PointKeyEnding)) return ScriptError{ScriptMessage::KeyEnding, line};
    const std::string_view stem = key.substr(0, key.size() - 4);
    if (stem.empty() || !std::all_of(stem.begin(), stem.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        })) {
        return ScriptError{ScriptMessage::KeyLetters, line};
    }
    if (std::any_of(keys_.begin(), keys_.end(), [&](const GameKey& k) { return k.key == key; })) {
        return ScriptError{ScriptMessage::KeyTwice, line, block_.key};
    }
    block_.keyRefused = false;
    return std::nullopt;
}

// with= names rows of the other table (or any, every one), for= rows of
// either: found among every row declared, before this block or after it.
std::optional<ScriptError> GameDeclaration::Names(ScriptTag block, std::string_view value,
                                                  std::int64_t line) {
    const int table = TableOf(block);
    if (table == 2) {
        return EachName(value, [&](std::string_view name) -> std::optional<ScriptError> {
            for (int t = 0; t < 2; ++t) {
                const int row = Find(names_.rows[std::size_t(t)], name);
                if (row < 0) continue;
                if (row < Capacity[std::size_t(t)]) block_.rows |= 1u << (16 * t + row);
                block_.forGiven = true;
                return std::nullopt;
            }
            return ScriptError{ScriptMessage::NoSuchRow, line, std::string(name), block};
        });
    }
    const std::size_t other = std::size_t(1 - table);
    const auto pair = [&](int row) {
        if (!block_.kept || row >= Capacity[other]) return;
        partners_[std::size_t(table)][std::size_t(block_.row)] |= std::uint16_t(1u << row);
        partners_[other][std::size_t(row)] |= std::uint16_t(1u << block_.row);
    };
    return EachName(value, [&](std::string_view name) -> std::optional<ScriptError> {
        if (SameText(name, "any")) {
            for (std::size_t row = 0; row < names_.rows[other].size(); ++row) pair(int(row));
            return std::nullopt;
        }
        const int row = Find(names_.rows[other], name);
        if (row < 0)
            return ScriptError{ScriptMessage::NoSuchRow, line, std::string(name), TableTags[other]};
        pair(row);
        return std::nullopt;
    });
}

// A block without a name (a TOTAL also without its key and rows) is
// refused at its end; what it gave is kept all the same, for a reader that
// reads on.
std::optional<ScriptError> GameDeclaration::Close(ScriptTag block, std::int64_t line) {
    if (block == ScriptTag::Game) return std::nullopt;
    const int table = TableOf(block);
    std::optional<ScriptError> error;
    const auto lacks = [&](const char* key) {
        return ScriptError{ScriptMessage::MissingKey, line, key, block};
    };
    if (block_.name.empty()) {
        error = lacks("name=");
    } else if (table == 2 && block_.key.empty()) {
        error = lacks("key=");
    } else if (table == 2 && !block_.forGiven) {
        error = lacks("for=");
    }
    if (!block_.kept) return error;
    const std::size_t row = std::size_t(block_.row);
    std::uint8_t slot = 0;
    if (table == 2) {
        slot = static_cast<std::uint8_t>(BarSlotCount + block_.row);
        if (game_.shared.size() <= row) game_.shared.resize(row + 1);
        if (totalRows_.size() <= row) totalRows_.resize(row + 1);
        game_.shared[row] = block_.name;
        totalRows_[row] = block_.rows;
    } else {
        slot = static_cast<std::uint8_t>(table == 0 ? row : FirstTableCapacity + row);
        auto& rows = game_.tables[std::size_t(table)];
        if (rows.size() <= row) rows.resize(row + 1);
        rows[row].name = block_.name;
        rows[row].about = block_.about;
        rows[row].slots[0] = slot;
    }
    if (!block_.key.empty() && !block_.keyRefused) keys_.push_back({block_.key, slot});
    return error;
}

// Partners and totals are set once every row is known: a pair or a total
// may name a row declared after it.
Game GameDeclaration::Finish() {
    for (std::size_t t = 0; t < 2; ++t) {
        auto& rows = game_.tables[t];
        const auto others = game_.tables[1 - t].size();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            rows[r].partners = std::uint16_t(partners_[t][r] & ((1u << others) - 1));
        }
    }
    for (std::size_t k = 0; k < totalRows_.size(); ++k) {
        for (std::size_t t = 0; t < 2; ++t) {
            auto& rows = game_.tables[t];
            for (std::size_t r = 0; r < rows.size(); ++r) {
                if ((totalRows_[k] >> (16 * t + r) & 1u) == 0) continue;
                rows[r].slots[rows[r].count++] = static_cast<std::uint8_t>(BarSlotCount + k);
            }
        }
    }
    // A line holding a key and a longer one ending in it belongs to the longer.
    std::stable_sort(keys_.begin(), keys_.end(), [](const GameKey& a, const GameKey& b) {
        return a.key.size() > b.key.size();
    });
    game_.keys = std::move(keys_);
    return std::move(game_);
}

AnswerKeyList::AnswerKeyList() {
    for (std::size_t k = 0; k < AnswerPointKeys.size(); ++k) slots_[k] = AnswerPointKeys[k].slot;
}

AnswerKeyList::AnswerKeyList(const Game& game) : AnswerKeyList() {
    if (game.tables[0].empty()) return;  // a game that only retitles the built-in one
    own_ = {AnswerKeys[AnswerTypeKey], AnswerKeys[AnswerExplanationKey]};
    for (std::size_t k = 0; k < game.keys.size(); ++k) {
        own_.push_back(game.keys[k].key);
        slots_[k] = game.keys[k].slot;
    }
    keys_ = own_;
}

}  // namespace kinpath
