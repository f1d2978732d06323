// The checker's errors: what makes the window refuse a script, said in plain
// words with what was probably meant, and the window's own message after it.
#include <algorithm>
#include <cstring>

#include "authoring/CheckRules.h"
#include "authoring/Suggest.h"
#include "script/ScriptDocument.h"
#include "text/Ascii.h"

namespace kinpath::check {

namespace {

constexpr const char* BlockNames[] = {"SETTINGS", "QUESTION", "ANSWER", "FINAL"};

std::string BlockName(Block block) { return BlockNames[static_cast<int>(block)]; }

std::string Article(Block block) { return block == Block::Answer ? "an " : "a "; }

std::string WindowText(const std::vector<ScriptError>& errors) {
    std::string text = " (the window says";
    for (std::size_t i = 0; i < errors.size(); ++i) {
        text += (i == 0 ? " \"" : ", then \"") + ScriptErrorText(errors[i]) + "\"";
    }
    return text + ")";
}

// Every block's keys, for a key written in the wrong block.
const std::pair<Block, KeyList> BlockKeys[] = {{Block::Settings, SettingsKeys},
                                               {Block::Question, KeyList(QuestionKeys).first(3)},
                                               {Block::Answer, AnswerKeys},
                                               {Block::Final, FinalKeys}};

// The other block whose keys hold `key`, or the nearest to it.
std::optional<Block> OtherBlockOf(std::string_view key, Block block,
                                  std::vector<std::string_view>& nearest) {
    for (const auto& [other, keys] : BlockKeys) {
        if (other != block && std::find(keys.begin(), keys.end(), key) != keys.end()) return other;
    }
    for (const auto& [other, keys] : BlockKeys) {
        if (other == block) continue;
        nearest = NearestKeys(key, keys);
        if (!nearest.empty()) return other;
    }
    return std::nullopt;
}

// The word before the first "=" of a line, as the key the author meant to
// write: "rogpt=" in "rogpt=20", "name =" (with its blank) in "name =x".
struct WrittenKey {
    std::string shown;  // as written, up to its "=", made visible
    std::string word;   // the lowered word alone with its "="
    bool blank = false;
};

WrittenKey KeyBeforeEquals(std::string_view lowered, std::string_view written) {
    const std::size_t equals = lowered.find('=');
    std::size_t end = equals;
    while (end > 0 && IsBlank(lowered[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && !IsBlank(lowered[start - 1])) --start;
    return {Plain(written.substr(start, equals + 1 - start)),
            std::string(lowered.substr(start, end - start)) + "=", end < equals};
}

}  // namespace

std::string WindowSays(Block block, const char* line, std::int64_t windowLine) {
    if (block == Block::Answer) {
        return WindowText({{ScriptMessage::UndefinedSymbol, windowLine},
                           {ScriptMessage::EndOfScriptExpected, windowLine}});
    }
    const bool invalid = block == Block::Question && FindKey(line, "text") != nullptr;
    return WindowText(
        {{invalid ? ScriptMessage::InvalidCommand : ScriptMessage::UndefinedSymbol, windowLine}});
}

std::string WindowSaysAtEnd(bool inAnswer, std::int64_t windowLine) {
    if (inAnswer) return WindowText({{ScriptMessage::EndOfScriptExpected, windowLine}});
    return " (the window says only \"Could not open script.txt\")";
}

std::string NoKeyError(Block block, KeyList known, const char* line, const char* written) {
    const std::string_view text = line;
    if (text.find('=') == std::string_view::npos) {
        if (block == Block::Question && FindKey(line, "text") != nullptr) {
            return "the line holds \"text\" but no text=: a choice is written text=, then its "
                   "text";
        }
        return "the line holds no key of " + Article(block) + BlockName(block) +
               " block: " + Quote(written);
    }
    const WrittenKey key = KeyBeforeEquals(text, written);
    std::string error = "unknown key '" + key.shown + "'";
    std::vector<std::string_view> nearest = NearestKeys(key.word, known);
    std::vector<std::string_view> elsewhere;
    const std::optional<Block> other =
        key.blank || !nearest.empty() ? std::nullopt : OtherBlockOf(key.word, block, elsewhere);
    if (other && elsewhere.empty()) {
        error += ": it is a key of " + Article(*other) + BlockName(*other) + " block, not of " +
                 Article(block) + BlockName(block) + " block";
    } else if (other) {
        error += ": did you mean " + KeyChoices(elsewhere) + ", a key of " + Article(*other) +
                 BlockName(*other) + " block?";
    } else if (!nearest.empty()) {
        error += ": did you mean " + KeyChoices(nearest) + "?";
    }
    if (key.blank) {
        error += " (no blank may stand before the =)";
    } else if (key.word == "highelfpts=") {
        error += " (High Elf has no key of its own: it gains only from goodpts=)";
    }
    return error;
}

std::optional<std::string> RecapError(const char* value) {
    if (SameText(value, "yes") || SameText(value, "no") || SameText(value, "ask")) {
        return std::nullopt;
    }
    return "recap= must be yes, no or ask, not " + Quote(value);
}

std::string UnclosedError(std::string_view tag, std::int64_t opened, std::int64_t question,
                          std::string_view next) {
    std::string error = "the " + std::string(tag) + " block opened at line " +
                        std::to_string(opened) + " has no </" + std::string(tag) + ">";
    if (question != 0) {
        error += ", nor the QUESTION block opened at line " + std::to_string(question) +
                 " a </QUESTION>";
    }
    if (next.empty()) {
        return error +
               (question != 0 ? ": the file ends inside them" : ": the file ends inside it");
    }
    return error + (question != 0 ? ", " : " ") + "before this " + std::string(next);
}

std::string MisspeltEndError(const char* line, std::string_view tag, std::int64_t opened) {
    const std::optional<TagShape> shape = ShapeOfTag(line);
    const std::string end = "</" + std::string(tag) + ">";
    const std::string ends = ": the " + std::string(tag) + " block opened at line " +
                             std::to_string(opened) + " ends only at " + end;
    if (shape && shape->name == tag) {
        return "end tag '" + Plain(line) + "' holds blanks, which a tag line may not" + ends;
    }
    if (shape && std::find(std::begin(BlockNames), std::end(BlockNames), shape->name) !=
                     std::end(BlockNames)) {
        return "'" + Plain(line) + "' does not end " + (tag == "ANSWER" ? "an " : "a ") +
               std::string(tag) + " block" + ends;
    }
    return "misspelt end tag '" + Plain(line) + "'" + ends;
}

std::string StrayEndError(const char* line) {
    return "'" + Plain(line) + "' ends no block: no ANSWER block is open here";
}

std::string UnknownTagError(const char* line, Block block, std::string_view meant) {
    if (!meant.empty()) {
        const std::optional<TagShape> shape = ShapeOfTag(line);
        const std::string tag = "<" + std::string(meant) + ">";
        if (shape && shape->name == meant) {
            return "tag '" + Plain(line) + "' holds blanks, which a tag line may not: read as " +
                   tag + " here, but the window does not read it so";
        }
        return "misspelt tag '" + Plain(line) + "': did you mean " + tag + "?";
    }
    const std::string ends =
        block == Block::Question ? "<ANSWER> and </QUESTION>" : "</" + BlockName(block) + ">";
    return "'" + Plain(line) + "' is no tag of " + Article(block) + BlockName(block) +
           " block (it takes " + ends + ")";
}

}  // namespace kinpath::check
