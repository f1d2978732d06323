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

#include "authoring/ScriptCheck.h"
#include "script/ScriptKeys.h"
#include "script/ScriptLines.h"

namespace kinpath::check {

inline constexpr int ShownChoices = 8;
// ReadScriptLine stores at most this many characters of one line.
inline constexpr std::size_t PieceLength = LineBufferSize - 1;
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
};

// A script text as a message shows it: display text with its control
// characters made visible, quoted, long ones cut.
std::string Quote(std::string_view bytes);

// --- Lines and blocks --------------------------------------------------------

std::string CutLineWarning(std::int64_t line);
std::string ZeroByteWarning(const char* line);
// A run of `count` lines outside any block, from `line` up to line `last`.
std::string IgnoredLinesWarning(std::int64_t count, std::int64_t last, const char* line);
std::string EndOfFileError(const char* tag, std::int64_t start, const char* outcome);
std::string SecondBlockWarning(const char* tag, std::int64_t previous);
std::string NoSettingsKeyError(const char* tag, std::string_view key);
std::optional<std::string> PreferenceWarning(const char* value);
std::optional<std::string> RecapError(const char* value);
std::string NoQuestionKeyError(bool holdsText);
std::string NoAnswerKeyError();
std::string HiddenChoiceWarning(std::size_t number, const char* value);
// `what` has more characters than the window shows whole.
std::optional<std::string> CutTextWarning(const char* value, std::size_t budget,
                                          const std::string& what);
std::optional<std::string> PointValueWarning(std::string_view key, const char* value);

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

struct QuestionInfo {
    std::int64_t line = 0;
    std::string name;     // empty: none
    bool failed = false;  // had an error: its contents are incomplete
    std::size_t choiceCount = 0;
    std::vector<ChoiceInfo> choices;  // the shown ones
    std::deque<AnswerInfo> answers;   // no copying as it grows
    std::string typeTexts;
    KeyLines keys{};
};

// The choice (1 to 8) that an answer's type names, or 0.
std::uint8_t ChoiceOfType(std::string_view type);

// The verdict on a question read whole: choices without an answer, answers
// no choice reaches. Handed out in line order, as the reading needs them; the
// answers' are judged one by one, so that a question of many answers takes
// little room.
class QuestionVerdict {
public:
    void Start(const QuestionInfo& question);
    // The next warning on a line before `line`, if any.
    std::optional<Pending> NextBefore(std::int64_t line);

private:
    std::optional<Pending> JudgeAnswer(const AnswerInfo& answer);

    const QuestionInfo* question_ = nullptr;
    std::vector<Pending> front_;  // name, choices: at most 10, in line order
    std::size_t nextFront_ = 0;
    std::size_t nextAnswer_ = 0;
    std::array<std::int64_t, ShownChoices + 1> takenBy_{};
    std::optional<Pending> answer_;  // the next answer's warning, not yet given
};

}  // namespace kinpath::check
