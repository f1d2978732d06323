// The script checker's rules: what is an error or a warning and how each is
// worded. The reading (ScriptCheck.cpp) walks the lines as the window does,
// gathers the facts these rules judge and puts the diagnostics in line order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/Reach.h"
#include "authoring/ScriptCheck.h"
#include "script/ScriptKeys.h"
#include "script/ScriptLines.h"
#include "script/ScriptReader.h"

namespace kinpath::check {

inline constexpr int ShownChoices = 8;
// Characters the window's default font (8-point sans-serif) shows whole in a
// choice row and in the question box for text in capitals; ordinary text fits
// a little more, text of wide letters only 30 and 216.
inline constexpr std::size_t ChoiceTextBudget = 50;
inline constexpr std::size_t QuestionTextBudget = 310;

inline constexpr const char* NoQuestionWarning =
    "the script has no QUESTION block: the window goes straight to the results";

// A diagnostic whose place in line order is not yet due.
struct Pending {
    std::int64_t line;
    CheckSeverity severity;
    std::string text;
    std::int64_t windowLine = 0;
};

// A script text as a message shows it: display text with its control
// characters made visible, quoted, long ones cut.
std::string Quote(std::string_view bytes);
// The same without the quotes.
std::string Plain(std::string_view bytes);

// The blocks lines stand in.
enum class Block { Settings, Question, Answer, Final };

// --- Lines and blocks --------------------------------------------------------

// A line of `length` characters, more than a line may hold: `rest` is the
// start of what the window reads as the next line.
std::string CutLineWarning(std::size_t length, const char* rest);
// Before a diagnostic on a further piece of such a line (`line`, as the
// window reads it).
std::string RestOfLongLine(int piece, const char* line);
std::string ZeroByteWarning(const char* line);
// A run of `count` lines outside any block, from `line` up to line `last`.
std::string IgnoredLinesWarning(std::int64_t count, std::int64_t last, const char* line);
std::string SecondBlockWarning(const char* tag, std::int64_t previous);
std::optional<std::string> PreferenceWarning(const char* value);
std::string HiddenChoiceWarning(std::size_t number, const char* value);
// The choice or the question text is longer than the window shows whole.
std::optional<std::string> CutChoiceWarning(const char* value, std::size_t number);
std::optional<std::string> CutQuestionWarning(const char* value);
std::optional<std::string> PointValueWarning(std::string_view key, const char* value);

// --- Errors: what makes the window refuse the script --------------------------

// What the window shows for a line of the block it refuses (`line` lowered):
// " (the window says \"Undefined symbol found, line 12\")" and the like.
std::string WindowSays(Block block, const char* line, std::int64_t windowLine);
// The same for the end of the file inside a block (inside an ANSWER or not).
std::string WindowSaysAtEnd(bool inAnswer, std::int64_t windowLine);
// A line of the block that holds none of `known` (`line` lowered, `written`
// as written): what is wrong with it, and the nearest key when one is near.
std::string NoKeyError(Block block, KeyList known, const char* line, const char* written);
std::optional<std::string> RecapError(const char* value);
// A block (inside the QUESTION of line `question`, or 0) that has no end tag
// before `next`, a start or end tag; an empty `next`: the end of the file.
std::string UnclosedError(std::string_view tag, std::int64_t opened, std::int64_t question,
                          std::string_view next);
// An end tag that is not the block's own, taken for it.
std::string MisspeltEndError(const char* line, std::string_view tag, std::int64_t opened);
std::string StrayEndError(const char* line);
// A line shaped like a start tag: taken for `meant` when that is given.
std::string UnknownTagError(const char* line, Block block, std::string_view meant);

// --- Key lines ---------------------------------------------------------------

// Line on which each key of a block was last given (0: not yet).
using KeyLines = std::array<std::int64_t, AnswerKeys.size()>;

// A key text of the block that the line holds besides the winning key, other
// than one inside the winning key itself (text= in explanationtext=).
std::optional<std::string> KeyInValueWarning(KeyList known, const char* block, LineKey found,
                                             const std::vector<KeyHit>& hits, const char* line);
// A key given again in its block; notes the line in last.
std::optional<std::string> RepeatWarning(std::string_view key, std::int64_t& last,
                                         std::int64_t line, const char* value, bool isPoint);

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
    std::array<ReachedAnswer, ShownChoices> reached{};  // by choice; an answer is read whole
};

// What a player can reach so far, and which totals and scores were already
// said to pass the 32-bit range (each is said once, where it first does).
struct TotalsReach {
    Reach reach;
    std::array<bool, 2 * (PointSlotCount + RowCount)> told{};
};

// The choice (1 to 8) that an answer's type names, or 0.
std::uint8_t ChoiceOfType(std::string_view type);

// The verdict on a question read whole: choices without an answer, answers
// no choice reaches. Handed out in line order, as the reading needs them; the
// answers' are judged one by one, so that a question of many answers takes
// little room.
class QuestionVerdict {
public:
    // Also warns where an answer lets a total or score pass the 32-bit range
    // (the exact range of each is kept in reach).
    void Start(const QuestionInfo& question, TotalsReach& reach);
    // The next warning on a line before `line`, if any.
    std::optional<Pending> NextBefore(std::int64_t line);

private:
    std::optional<Pending> JudgeAnswer(const AnswerInfo& answer);

    const QuestionInfo* question_ = nullptr;
    std::vector<Pending> front_;  // name, choices, totals past the range: in line order
    std::size_t nextFront_ = 0;
    std::size_t nextAnswer_ = 0;
    std::array<std::int64_t, ShownChoices + 1> takenBy_{};
    std::optional<Pending> answer_;  // the next answer's warning, not yet given
};

}  // namespace kinpath::check
