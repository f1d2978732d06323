// The checker's errors: what makes the window refuse a script, said in plain
// words with what was probably meant, and the window's own message after it.
#include <algorithm>
#include <span>

#include "authoring/check/CheckRules.h"
#include "authoring/check/Suggest.h"
#include "text/Ascii.h"
#include "text/TextCodec.h"
#include "window/WindowWords.h"

namespace kinpath::check {

namespace {

std::string Str(std::string_view text) { return std::string(text); }

std::string Block(ScriptTag block) {
    return (block == ScriptTag::Answer ? "an " : "a ") + Str(TagName(block)) + " block";
}

std::string WindowText(const std::vector<ScriptError>& errors) {
    if (errors.empty()) return " (the window says only \"" + Str(NoScriptMessage) + "\")";
    std::string text = " (the window says";
    for (std::size_t i = 0; i < errors.size(); ++i) {
        text += (i == 0 ? " \"" : ", then \"") +
                VisibleControls(DisplayText(ScriptErrorText(errors[i]))) + "\"";
    }
    return text + ")";
}

// The other block whose keys hold `key`, or the nearest to it.
std::optional<ScriptTag> OtherBlockOf(std::string_view key, ScriptTag block, KeyList answerKeys,
                                      std::vector<std::string_view>& nearest) {
    // Every block's keys, for a key written in the wrong block.
    const std::pair<ScriptTag, KeyList> BlockKeys[] = {
        {ScriptTag::Settings, SettingsKeys},
        {ScriptTag::Question, KeyList(QuestionKeys).first(QuestionTextKey + 1)},
        {ScriptTag::Answer, answerKeys},
        {ScriptTag::Final, FinalKeys}};
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
    std::string word;   // the word alone, lowered, with its "="
    bool blank = false;
};

WrittenKey KeyBeforeEquals(std::string_view line) {
    const std::size_t equals = line.find('=');
    std::size_t end = equals;
    while (end > 0 && IsBlank(line[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && !IsBlank(line[start - 1])) --start;
    WrittenKey key{Plain(line.substr(start, equals + 1 - start)), "", end < equals};
    for (const char c : line.substr(start, end - start)) key.word += FoldAscii(c);
    key.word += '=';
    return key;
}

}  // namespace

std::string WindowSays(ScriptTag block, const ScriptLine& line) {
    return WindowText(Refusal(block, &line, line.number));
}

std::string WindowSaysAtEnd(ScriptTag block, std::int64_t windowLine) {
    return WindowText(Refusal(block, nullptr, windowLine));
}

CheckKind NoKeyKind(LineKey found) {
    return found.value != 0 ? CheckKind::UnknownKey : CheckKind::NoKey;
}

std::string NoKeyError(ScriptTag block, KeyList known, std::string_view line, KeyList answerKeys,
                       const Game& game) {
    if (line.find('=') == std::string_view::npos) {
        if (block == ScriptTag::Question && HoldsChoiceWord(line)) {
            return "the line holds \"text\" but no text=: a choice is written text=, then its "
                   "text";
        }
        return "the line holds no key of " + Block(block) + ": " + Quote(line);
    }
    const WrittenKey key = KeyBeforeEquals(line);
    std::string error = "unknown key '" + key.shown + "'";
    // The keys nearest to a High Elf word are other races'.
    const bool builtIn = answerKeys.data() == AnswerKeys.data();
    if (builtIn && !key.blank && !HighElfNote(key.word).empty()) {
        return error + HighElfNote(key.word);
    }
    std::vector<std::string_view> nearest = NearestKeys(key.word, known, game);
    std::vector<std::string_view> elsewhere;
    const std::optional<ScriptTag> other =
        key.blank || !nearest.empty() ? std::nullopt
                                      : OtherBlockOf(key.word, block, answerKeys, elsewhere);
    if (other && elsewhere.empty()) {
        error += ": it is a key of " + Block(*other) + ", not of " + Block(block);
    } else if (other) {
        error += ": did you mean " + KeyChoices(elsewhere) + ", a key of " + Block(*other) + "?";
    } else if (!nearest.empty()) {
        error += ": did you mean " + KeyChoices(nearest) + "?";
    }
    return error + (key.blank ? " (no blank may stand before the =)" : "");
}

bool IsRecap(std::string_view value) {
    return SameText(value, "yes") || SameText(value, "no") || SameText(value, "ask");
}

std::string RecapError(std::string_view value) {
    return "recap= must be yes, no or ask, not " + Quote(value);
}

std::string UnclosedError(ScriptTag tag, std::int64_t opened, std::int64_t question,
                          std::string_view next) {
    std::string error = "the " + Str(TagName(tag)) + " block opened at line " +
                        std::to_string(opened) + " has no " + EndTag(tag);
    if (question != 0) {
        error += ", nor the " + Str(TagName(ScriptTag::Question)) + " block opened at line " +
                 std::to_string(question) + " a " + EndTag(ScriptTag::Question);
    }
    if (next.empty()) {
        return error +
               (question != 0 ? ": the file ends inside them" : ": the file ends inside it");
    }
    return error + (question != 0 ? ", " : " ") + "before this " + Str(next);
}

std::string MisspeltEndError(std::string_view line, ScriptTag tag, std::int64_t opened) {
    const std::optional<TagShape> shape = ShapeOfTag(line);
    const std::string ends = ": the " + Str(TagName(tag)) + " block opened at line " +
                             std::to_string(opened) + " ends only at " + EndTag(tag);
    if (shape && shape->name == TagName(tag)) {
        return "end tag '" + Plain(line) + "' holds blanks, which a tag line may not" + ends;
    }
    // A game's tags are blocks' only among a game's blocks.
    const std::span<const std::string_view> all(TagNames);
    const auto names = IsGameTag(tag) ? all : all.first(4);
    if (shape && std::find(names.begin(), names.end(), shape->name) != names.end()) {
        return "'" + Plain(line) + "' does not end " + Block(tag) + ends;
    }
    return "misspelt end tag '" + Plain(line) + "'" + ends;
}

std::string StrayEndError(std::string_view line) {
    return "'" + Plain(line) + "' ends no block: no " + Str(TagName(ScriptTag::Answer)) +
           " block is open here";
}

std::string DeclarationError(const ScriptError& error) {
    ScriptError shown = error;
    shown.detail = Plain(error.detail);
    return DeclarationErrorText(shown) + WindowText({error});
}

std::string UnknownTagError(std::string_view line, ScriptTag block,
                            std::optional<ScriptTag> meant) {
    if (meant) {
        const std::optional<TagShape> shape = ShapeOfTag(line);
        if (shape && shape->name == TagName(*meant)) {
            return "tag '" + Plain(line) + "' holds blanks, which a tag line may not: read as " +
                   StartTag(*meant) + " here, but the window does not read it so";
        }
        return "misspelt tag '" + Plain(line) + "': did you mean " + StartTag(*meant) + "?";
    }
    const std::string ends = block == ScriptTag::Question
                                 ? StartTag(ScriptTag::Answer) + " and " + EndTag(block)
                                 : EndTag(block);
    return "'" + Plain(line) + "' is no tag of " + Block(block) + " (it takes " + ends + ")";
}

}  // namespace kinpath::check
