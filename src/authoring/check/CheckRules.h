// The script checker's rules: what is an error or a warning and how each is
// worded. The reading (ScriptCheck.cpp) walks the lines with the script's
// reader, gathers the facts these rules judge and puts the diagnostics in
// line order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/check/ScriptCheck.h"
#include "scoring/Reach.h"
#include "script/ScriptDocument.h"
#include "script/ScriptKeys.h"
#include "script/ScriptReader.h"

namespace kinpath::check {

// Characters the window's default font (8-point sans-serif) shows whole in a
// choice row and in the question box for text in capitals; ordinary text fits
// a little more, text of wide letters only 30 and 216.
inline constexpr std::size_t ChoiceTextBudget = 50;
inline constexpr std::size_t QuestionTextBudget = 310;

// What a diagnostic is about: past CheckOptions::perKind of one kind, the
// rest are counted without being worded.
enum class CheckKind : std::uint8_t {
    NoQuestion,
    CutLine,
    ZeroByte,
    IgnoredLines,
    SecondBlock,
    PreferenceBlank,
    HiddenChoice,
    CutChoice,
    CutQuestion,
    PointValue,
    KeyInValue,
    KeyInWord,
    KeyRepeated,
    UnclosedBlock,
    UnknownKey,
    NoKey,
    RecapValue,
    MisspeltEndTag,
    StrayEndTag,
    UnknownTag,
    PastRange,
    NoName,
    NoChoices,
    ChoiceWithoutAnswer,
    AnswerWithoutType,
    AnswerNeverReached,
    AnswerWithoutPoints,
    GameRefused,
    LateGameTag,
    UnreachedRow,
};
inline constexpr std::size_t CheckKindCount = 30;
// "unknown key": a kind as a summary names it.
std::string_view KindName(CheckKind kind);

// A diagnostic whose place in line order is not yet due.
struct Pending {
    std::int64_t line;
    CheckSeverity severity;
    CheckKind kind;
    std::string text;
    std::int64_t windowLine = 0;
};

// A script text as a message shows it: display text with its control
// characters made visible, quoted, long ones cut.
std::string Quote(std::string_view bytes);
// The same without the quotes.
std::string Plain(std::string_view bytes);
// "<QUESTION>", "</ANSWER>".
std::string StartTag(ScriptTag tag);
std::string EndTag(ScriptTag tag);

// --- Lines and blocks --------------------------------------------------------

std::string NoQuestionWarning();
// A line of `length` characters, more than a line may hold: `rest` is the
// start of what the window reads as the next line.
std::string CutLineWarning(std::size_t length, std::string_view rest);
// Before a diagnostic on a further piece of such a line (`line`, as the
// window reads it).
std::string RestOfLongLine(std::uint32_t piece, std::string_view line);
std::string ZeroByteWarning(std::string_view line);
// A run of `count` lines outside any block, from `line` up to line `last`.
std::string IgnoredLinesWarning(std::int64_t count, std::int64_t last, const ScriptLine& line);
std::string SecondBlockWarning(ScriptTag tag, std::int64_t previous);
// A game's start tag where no game is declared any more.
std::string LateGameTagWarning(ScriptTag tag);
// Rows of a declared game that no answer gives a point, by name.
std::string UnreachedRowsWarning(const std::vector<std::string>& names);
bool PreferenceHasBlank(std::string_view value);
std::string PreferenceWarning(std::string_view value);
std::string HiddenChoiceWarning(std::size_t number, std::string_view value);
// Whether a choice or question text shows more characters than budget, which
// the window may cut: measured only as far as the budget.
bool LongerThan(std::string_view value, std::size_t budget);
// How many characters a text shows, for the warning that it is cut.
std::size_t ShownLength(std::string_view value);
std::string CutChoiceWarning(std::size_t length, std::size_t number);
std::string CutQuestionWarning(std::size_t length);
// How a point value is read when it is not a plain number; none when it is.
std::optional<std::int64_t> OddPointValue(std::string_view value);
std::string PointValueWarning(std::string_view key, std::string_view value, std::int64_t read);

// --- Errors: what makes the window refuse the script --------------------------

// What the window shows for a line of the block it refuses, in its own words:
// " (the window says \"Undefined symbol found, line 12\")" and the like.
std::string WindowSays(ScriptTag block, const ScriptLine& line);
// The same for the end of the file inside a block, the window's count then
// being windowLine.
std::string WindowSaysAtEnd(ScriptTag block, std::int64_t windowLine);
// The kind of error of a line of the block that holds none of its keys, and
// what is wrong with it, with the nearest key when one is near.
// An ANSWER block's keys are answerKeys (a declared game's, or the built-in).
CheckKind NoKeyKind(LineKey found);
std::string NoKeyError(ScriptTag block, KeyList known, std::string_view line, KeyList answerKeys,
                       const Game& game);
bool IsRecap(std::string_view value);
std::string RecapError(std::string_view value);
// A block (inside the QUESTION of line `question`, or 0) that has no end tag
// before `next`, a start or end tag; an empty `next`: the end of the file.
std::string UnclosedError(ScriptTag tag, std::int64_t opened, std::int64_t question,
                          std::string_view next);
// An end tag that is not the block's own, taken for it.
std::string MisspeltEndError(std::string_view line, ScriptTag tag, std::int64_t opened);
std::string StrayEndError(std::string_view line);
// A line shaped like a start tag: taken for `meant` when that is given.
std::string UnknownTagError(std::string_view line, ScriptTag block, std::optional<ScriptTag> meant);
// What a game's declaration refuses, with the window's message.
std::string DeclarationError(const ScriptError& error);

// --- Key lines ---------------------------------------------------------------

// Line on which each key of a block was last given (0: not yet): an ANSWER
// of a declared game has a key for every slot.
using KeyLines = std::array<std::int64_t, 2 + PointSlotCount>;
static_assert(AnswerKeys.size() <= 2 + PointSlotCount);

// A key text of the block that the line holds besides the winning key, other
// than one inside the winning key itself (text= in explanationtext=).
const KeyHit* OtherKey(KeyList known, LineKey found, const std::vector<KeyHit>& hits);
std::string KeyInValueWarning(KeyList known, ScriptTag block, LineKey found, const KeyHit& other,
                              std::string_view line);
// The word before a line's first "=" that is no key but ends in the key
// found (`highelfpts=` ends in helfpts=), if it is so.
std::optional<std::string_view> WordAroundKey(KeyList known, LineKey found, std::string_view line);
// builtIn: the script plays the built-in game, and the note on High Elf fits.
std::string KeyInWordWarning(std::string_view word, std::string_view key, std::string_view value,
                             bool builtIn);
// " (High Elf has no key of its own...)" after a word meant for High Elf.
std::string HighElfNote(std::string_view word);
// A key given again in its block (`earlier`: the line it was given on).
std::string RepeatWarning(std::string_view key, std::int64_t earlier, std::string_view value,
                          bool isPoint);

// --- What a question does when it is answered ---------------------------------

struct ChoiceInfo {
    std::string text;
    std::int64_t line = 0;
};

// An answer as its verdict needs it. The type's text is kept in the
// question's typeTexts: a question may hold a great many answers.
struct AnswerInfo {
    std::int64_t line = 0;
    std::int64_t typeLine = 0;
    std::size_t typeAt = 0;
    std::uint16_t typeLength = 0;  // 0: no type (a type is never empty)
    std::uint8_t choice = 0;       // the one of choices 1 to 8 its type names, or 0
    bool setsPoints = false;       // it gives a point key a value, if only 0
    bool faulty = false;           // it holds an error of its own
};

// The answer that a choice reaches: its points, and the line of each key.
struct ReachedAnswer {
    std::int64_t line = 0;  // 0: none
    PointValues points{};
    std::array<std::int64_t, PointSlotCount> keyLines{};
};

struct QuestionInfo {
    std::int64_t line = 0;
    std::string name;  // empty: none
    std::size_t choiceCount = 0;
    std::vector<ChoiceInfo> choices;  // the shown ones
    std::deque<AnswerInfo> answers;   // no copying as it grows
    std::string typeTexts;
    KeyLines keys{};
    std::array<ReachedAnswer, ChoiceCount> reached{};  // by choice; an answer is read whole
};

// What a player can reach so far, and which totals and scores were already
// said to pass the 32-bit range (each is said once, where it first does).
struct TotalsReach {
    const Game* game = &BuiltInGame();
    Reach reach{*game};
    std::array<bool, 2 * (PointSlotCount + RowCount)> told{};
};

// The choice (1 to 8) that an answer's type names, or 0.
std::uint8_t ChoiceOfType(std::string_view type);

// Whether diagnostics of a kind are still handed out (else only counted).
using KindWanted = std::function<bool(CheckKind)>;

// The verdict on a question read whole: choices without an answer, answers
// no choice reaches. Handed out in line order, as the reading needs them; the
// answers' are judged one by one, so that a question of many answers takes
// little room. A kind no longer wanted is not worded (its text stays empty).
class QuestionVerdict {
public:
    explicit QuestionVerdict(KindWanted wanted) : wanted_(std::move(wanted)) {}
    // Also warns where an answer lets a total or score pass the 32-bit range
    // (the exact range of each is kept in reach).
    void Start(const QuestionInfo& question, TotalsReach& reach);
    // The next warning on a line before `line`, if any.
    std::optional<Pending> NextBefore(std::int64_t line);

private:
    std::optional<Pending> JudgeAnswer(const AnswerInfo& answer);
    Pending Warning(std::int64_t line, CheckKind kind, const std::function<std::string()>& word);

    KindWanted wanted_;
    const QuestionInfo* question_ = nullptr;
    std::vector<Pending> front_;  // name, choices, totals past the range: in line order
    std::size_t nextFront_ = 0;
    std::size_t nextAnswer_ = 0;
    std::array<std::int64_t, ChoiceCount + 1> takenBy_{};
    std::optional<Pending> answer_;  // the next answer's warning, not yet given
};

}  // namespace kinpath::check
