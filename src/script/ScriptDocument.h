// The question script as a document of blocks, read-only once loaded: any
// number of sessions may read one document at the same time.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Memory.h"
#include "script/Game.h"
#include "script/PointSlot.h"
#include "script/ScriptLines.h"
#include "script/ScriptReader.h"

namespace kinpath {

// A text of the script, as the place of its bytes in the document's text
// (ScriptDocument::Text). Absent when the script gave no value or an empty one.
struct ScriptText {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;  // 0: absent
    explicit operator bool() const { return length != 0; }
};

// A question's answers or choices: a run of the document's lists.
struct BlockRange {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

enum class Preference { RaceOverClass, ClassOverRace };
enum class RecapMode { Yes, No, Ask };

struct SettingsBlock {
    Preference preference = Preference::ClassOverRace;
};

struct FinalBlock {
    RecapMode recap = RecapMode::Yes;
};

// A point value that an answer sets; the slots it does not set are 0.
struct PointEntry {
    std::int32_t value = 0;
    std::uint8_t slot = 0;
};

struct AnswerBlock {
    ScriptText type;  // which choice of its question the answer belongs to
    ScriptText explanation;
    BlockRange points;  // its PointEntry list, each slot at most once
};

struct QuestionBlock {
    ScriptText type;  // kept with the question, read by no one
    ScriptText name;
    BlockRange answers;
    BlockRange choices;  // each non-empty
};

// What makes a script fail to load: the first three in any script, the rest
// in the declaration of a game.
enum class ScriptMessage {
    UndefinedSymbol,
    InvalidCommand,
    EndOfScriptExpected,
    TooManyBlocks,  // of the block tag: a 14th RACE, a second GAME
    NeedsRace,      // a CLASS block without any RACE block
    MissingKey,     // the block tag lacks the key detail (name=)
    NamedTwice,     // detail: the name
    KeyEnding,      // a point key not ending in pts=
    KeyLetters,     // one with more than letters and digits before it
    KeyTwice,       // detail: the key
    NoSuchRow,      // detail: the name; tag: the table looked in (TOTAL: either)
    BlockLeftOpen,  // the file ends inside the block tag
};

struct ScriptError {
    ScriptMessage message;
    std::int64_t line;
    // What a game's message names: a name or a key as the script gives it,
    // and a block.
    std::string detail = {};
    ScriptTag tag = ScriptTag::Settings;
    friend bool operator==(const ScriptError&, const ScriptError&) = default;
};

// "Undefined symbol found, line 3" and the like: the one place these are worded.
std::string ScriptErrorText(const ScriptError& error);
// A game's message without its line ("No CLASS named Wardn"), for the checker.
std::string DeclarationErrorText(const ScriptError& error);
// The errors the window shows when a block refuses a line (`line`), or meets
// the end of the file (no line), at its line `number`: how the loader stops,
// for the checker to quote. Of an ANSWER block, its question's message too.
std::vector<ScriptError> Refusal(ScriptTag block, const ScriptLine* line, std::int64_t number);

// What loading a script came to: the errors are the ScriptError boxes to show,
// in order, before the load is refused.
struct LoadOutcome {
    bool loaded = false;
    std::vector<ScriptError> errors;
    // The script did not fit in memory: a failure with no script error to show.
    bool outOfMemory = false;
};

// The most script bytes a document holds: its texts are 32-bit places in the
// script and the few texts kept beside it.
inline constexpr std::size_t MaxScriptBytes = 0x7FFF'FFFF;

// A question offers a player at most its first eight choices.
inline constexpr int ChoiceCount = 8;

class ScriptDocument {
public:
    ScriptDocument() = default;
    ScriptDocument(const ScriptDocument&) = delete;
    ScriptDocument& operator=(const ScriptDocument&) = delete;
    ScriptDocument(ScriptDocument&&) = default;
    ScriptDocument& operator=(ScriptDocument&&) = default;

    // The last SETTINGS and FINAL blocks, or null when the script has none.
    const SettingsBlock* Settings() const { return settings_ ? &*settings_ : nullptr; }
    const FinalBlock* Final() const { return final_ ? &*final_ : nullptr; }
    // The game the script declares before its first question, or null when
    // it declares none (and plays the built-in one).
    const Game* DeclaredGame() const { return game_.get(); }
    // The questions in script order.
    std::span<const QuestionBlock> Questions() const { return questions_; }
    std::span<const AnswerBlock> Answers(const QuestionBlock& question) const {
        return std::span(answers_).subspan(question.answers.first, question.answers.count);
    }
    // Every question's answers, one question's after the other's.
    std::span<const AnswerBlock> AllAnswers() const { return answers_; }
    std::span<const ScriptText> Choices(const QuestionBlock& question) const {
        return std::span(choices_).subspan(question.choices.first, question.choices.count);
    }
    // The choices a player is offered: the first ChoiceCount.
    std::span<const ScriptText> OfferedChoices(const QuestionBlock& question) const {
        const auto choices = Choices(question);
        return choices.first(std::min<std::size_t>(choices.size(), ChoiceCount));
    }
    // The bytes of a text as the script gave them (empty when absent).
    std::string_view Text(ScriptText text) const;
    // An answer's 31 point values.
    PointValues Points(const AnswerBlock& answer) const;

private:
    friend class DocumentReader;

    // The script's bytes, which most texts point into; texts that a carriage
    // return split in the script are kept joined after them, in extra_.
    ScriptBytes source_;
    std::string extra_;
    // A list of a large script grows to megabytes.
    template <typename T>
    using List = std::vector<T, LargePageAllocator<T>>;

    std::shared_ptr<const Game> game_;
    std::optional<SettingsBlock> settings_;
    std::optional<FinalBlock> final_;
    List<QuestionBlock> questions_;
    List<AnswerBlock> answers_;
    List<ScriptText> choices_;
    List<PointEntry> points_;  // answers set few of their slots
};

// Reads the script file and parses it into the document (replacing what it
// held). When it fails, the document holds what was read up to the failing
// line.
LoadOutcome LoadScript(ScriptDocument& document, const std::string& path = ScriptFileName);
// The same on a file already read (ReadScriptFile).
LoadOutcome LoadScriptFile(ScriptDocument& document, ScriptFileText file);
// The same on a script's text already in memory (as ReadScriptFile gives it).
LoadOutcome LoadScriptText(ScriptDocument& document, ScriptBytes bytes);
// The same on a copy of bytes.
LoadOutcome LoadScriptText(ScriptDocument& document, std::string_view bytes);

// The number at the start of a point value, read as atoi reads it but clamped
// to the 32-bit range.
std::int32_t ReadPointValue(std::string_view value);
// Whether an answer's type names choice (1-based): its number, or "yes" and
// "no" for the first two. An empty (absent) type names none.
bool TypeMatchesChoice(std::string_view type, int choice);

}  // namespace kinpath
