#include "authoring/check/CheckRules.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "authoring/check/Suggest.h"
#include "scoring/BestPick.h"
#include "text/Ascii.h"
#include "text/TextCodec.h"
#include "window/WindowWords.h"

namespace kinpath::check {

namespace {

std::string Str(std::string_view text) { return std::string(text); }

std::string ChoiceTypes(int choice) {
    std::string text = std::to_string(choice);
    if (choice == 1) text += " or yes";
    if (choice == 2) text += " or no";
    return text;
}

// The types that reach the first `shown` choices.
std::string ShownTypes(int shown) {
    if (shown == 1) return "type 1 or yes";
    return "types 1 to " + std::to_string(shown) + ", yes or no";
}

constexpr std::array<std::string_view, CheckKindCount> KindNames{
    "script without a question",
    "line longer than the window reads",
    "zero byte in a line",
    "lines outside any block",
    "block given again",
    "preference value after a blank",
    "choice never shown",
    "choice text longer than its row",
    "question text longer than its box",
    "point value that is no plain number",
    "key inside a value",
    "key inside a longer word",
    "key given again",
    "block left open",
    "unknown key",
    "line without a key",
    "recap value",
    "misspelt end tag",
    "end tag of no open block",
    "unknown tag",
    "total past the 32-bit range",
    "question without a name",
    "question without choices",
    "choice without an answer",
    "answer without a type",
    "answer never reached",
    "answer without points",
    "game declaration refused",
    "game tag after the first question",
};

}  // namespace

std::string_view KindName(CheckKind kind) { return KindNames[static_cast<std::size_t>(kind)]; }

std::string Plain(std::string_view bytes) {
    constexpr std::size_t limit = 48;
    std::string text = VisibleControls(DisplayText(bytes));
    if (Utf8Length(text) > limit) {
        text.resize(Utf8PrefixBytes(text, limit));
        text += "...";
    }
    return text;
}

std::string Quote(std::string_view bytes) { return "\"" + Plain(bytes) + "\""; }

std::string StartTag(ScriptTag tag) { return "<" + Str(TagName(tag)) + ">"; }
std::string EndTag(ScriptTag tag) { return "</" + Str(TagName(tag)) + ">"; }

// --- Lines and blocks --------------------------------------------------------

std::string NoQuestionWarning() {
    return "the script has no " + Str(TagName(ScriptTag::Question)) +
           " block: the window goes straight to the results";
}

std::string CutLineWarning(std::size_t length, std::string_view rest) {
    const std::string count = std::to_string(length / PieceLength);
    const std::string later =
        ": the window's messages number the lines after it " + count + " higher than here";
    if (rest.empty() && length == PieceLength) {
        return "line of 511 characters: the window reads it whole, but counts an empty line "
               "after it" +
               later;
    }
    return "line of " + std::to_string(length) + " characters, more than the " +
           std::to_string(PieceLength) + " a line may hold: the window reads its first " +
           std::to_string(PieceLength) + " as this line and its rest, from " + Quote(rest) +
           " on, as the next line" + (length >= 2 * PieceLength ? "s" : "") + later;
}

std::string RestOfLongLine(std::uint32_t piece, std::string_view line) {
    return "the rest of this line from its character " +
           std::to_string(std::size_t(piece) * PieceLength + 1) + " on, " + Quote(line) +
           ", is read as a line of its own: ";
}

std::string ZeroByteWarning(std::string_view line) {
    return "zero byte in the line: the window reads only " + Quote(line) + " and drops the rest";
}

std::string IgnoredLinesWarning(std::int64_t count, std::int64_t last, const ScriptLine& line) {
    std::string text =
        count == 1 ? "line outside any block is ignored: " + Quote(line.text)
                   : std::to_string(count) + " lines outside any block (up to line " +
                         std::to_string(last) + ") are ignored, the first: " + Quote(line.text);
    if (line.IsStart(ScriptTag::Answer)) {
        text += " (an " + Str(TagName(ScriptTag::Answer)) + " block counts only inside a " +
                Str(TagName(ScriptTag::Question)) + " block)";
    } else if (const std::optional<TagShape> shape = ShapeOfTag(line.text); shape && !shape->end) {
        if (const auto meant =
                NearestTag(*shape, {ScriptTag::Settings, ScriptTag::Question, ScriptTag::Final})) {
            text += " (did you mean " + StartTag(*meant) +
                    "? a tag stands alone on its line, without blanks)";
        }
    }
    return text;
}

std::string SecondBlockWarning(ScriptTag tag, std::int64_t previous) {
    return "a second " + Str(TagName(tag)) + " block replaces the one of line " +
           std::to_string(previous) + " and everything it set";
}

std::string LateGameTagWarning(ScriptTag tag) {
    return StartTag(tag) +
           " after the first question is not read: a game is declared before the "
           "first question";
}

bool PreferenceHasBlank(std::string_view value) {
    const std::size_t word = std::min(value.find_first_not_of(" \t"), value.size());
    return word > 0 && SameText(value.substr(word), "classoverrace");
}

std::string PreferenceWarning(std::string_view value) {
    return "the value " + Quote(value) +
           " starts with a blank, so it is not classoverrace: the pick decides the race first";
}

std::string HiddenChoiceWarning(std::size_t number, std::string_view value) {
    return "choice " + std::to_string(number) + " " + Quote(value) +
           " is never shown: only the first " + std::to_string(ChoiceCount) + " choices are";
}

// A text shows one character for each letter of UTF-8, or else for each
// byte: at most one for each byte, so a short text needs no measuring, and a
// long one's letters are counted only until they pass the budget.
bool LongerThan(std::string_view value, std::size_t budget) {
    if (value.size() <= budget) return false;
    std::size_t letters = 0;
    for (const char c : value) {
        const bool startsLetter = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (startsLetter && ++letters > budget) return true;
    }
    return !IsValidUtf8(value);  // then each byte is a character
}

std::size_t ShownLength(std::string_view value) {
    return IsValidUtf8(value) ? Utf8Length(value) : value.size();
}

std::string CutChoiceWarning(std::size_t length, std::size_t number) {
    return "choice " + std::to_string(number) + " has " + std::to_string(length) +
           " characters: its row may not show it whole (" + std::to_string(ChoiceTextBudget) +
           " fit in the window's default font); the row then ends in \"\u2026\" and the choice's "
           "tooltip shows its whole text";
}

std::string CutQuestionWarning(std::size_t length) {
    return "the question text has " + std::to_string(length) +
           " characters: its box may not show it whole (" + std::to_string(QuestionTextBudget) +
           " fit in the window's default font); the last line the box shows then ends in "
           "\"\u2026\" and the question's tooltip shows its whole text";
}

std::optional<std::int64_t> OddPointValue(std::string_view value) {
    if (value.empty()) return std::nullopt;
    const std::int64_t read = ReadPointValue(value);
    // The white space atoi skips that a trimmed line can still hold.
    constexpr std::string_view leading = " \t\v\f";
    std::size_t at = 0;
    while (at < value.size() && leading.find(value[at]) != std::string_view::npos) ++at;
    if (at < value.size() && value[at] == '+') ++at;
    std::int64_t exact = 0;
    const char* end = value.data() + value.size();
    const auto [stop, ec] = std::from_chars(value.data() + at, end, exact);
    if (ec == std::errc() && stop == end && exact == read) return std::nullopt;
    return read;
}

std::string PointValueWarning(std::string_view key, std::string_view value, std::int64_t read) {
    return "the value " + Quote(value) + " of " + Str(key) + " is read as " + std::to_string(read);
}

// --- Key lines ---------------------------------------------------------------

const KeyHit* OtherKey(KeyList known, LineKey found, const std::vector<KeyHit>& hits) {
    const std::size_t size = known[found.key].size();
    const std::size_t pos = found.value - size;
    const KeyHit* other = nullptr;
    for (const KeyHit& hit : hits) {
        const bool insideWinner = hit.at >= pos && hit.at + known[hit.key].size() <= pos + size;
        if (!insideWinner && (other == nullptr || hit.at < other->at)) other = &hit;
    }
    return other;
}

std::string KeyInValueWarning(KeyList known, ScriptTag block, LineKey found, const KeyHit& other,
                              std::string_view line) {
    const std::string_view key = known[found.key];
    const std::size_t pos = found.value - key.size();
    const std::string_view otherKey = known[other.key];
    const std::string reading =
        "the line is read as " + Str(key) + " " + Quote(line.substr(found.value));
    if (other.at <= pos && other.at + otherKey.size() >= pos + key.size()) {
        return "key found inside a key: " + Str(otherKey) + " is no key of a " +
               Str(TagName(block)) + " block, but the " + Str(key) + " inside it is: " + reading;
    }
    if (other.at < pos) {
        return "key found inside a value: the line holds " + Str(otherKey) + " and then " +
               Str(key) + ", which is tested first: " + reading + " and sets no " + Str(otherKey);
    }
    return "key found inside a value: the " + Str(otherKey) + " in the value of " + Str(key) +
           " is not read as a key: " + reading;
}

std::optional<std::string_view> WordAroundKey(KeyList known, LineKey found, std::string_view line) {
    const std::size_t start = found.value - known[found.key].size();
    if (start == 0 || IsBlank(line[start - 1]) || line.find('=') + 1 != found.value) {
        return std::nullopt;
    }
    std::size_t word = start;
    while (word > 0 && !IsBlank(line[word - 1])) --word;
    return line.substr(word, found.value - word);
}

std::string KeyInWordWarning(std::string_view word, std::string_view key, std::string_view value,
                             bool builtIn) {
    return "key found inside a word: '" + Plain(word) + "' is no key, but the " + Str(key) +
           " it ends in is: the line is read as " + Str(key) + " " + Quote(value) +
           (builtIn ? HighElfNote(word) : "");
}

std::string HighElfNote(std::string_view word) {
    std::string folded;
    for (const char c : word) folded += FoldAscii(c);
    if (!folded.ends_with("highelfpts=")) return "";
    return " (High Elf has no key of its own: it gains only from goodpts=)";
}

std::string RepeatWarning(std::string_view key, std::int64_t earlier, std::string_view value,
                          bool isPoint) {
    const std::string before = std::to_string(earlier);
    if (isPoint) {
        return Str(key) + " given again: its value replaces the one of line " + before +
               " (points are set, not added)";
    }
    if (value.empty()) {
        return Str(key) + " given again with an empty value: it clears the one of line " + before;
    }
    return Str(key) + " given again: it replaces the one of line " + before;
}

// --- What a question does when it is answered ---------------------------------

// A type names at most one choice.
std::uint8_t ChoiceOfType(std::string_view type) {
    for (int choice = 1; choice <= ChoiceCount; ++choice) {
        if (TypeMatchesChoice(type, choice)) return static_cast<std::uint8_t>(choice);
    }
    return 0;
}

namespace {

std::string PastRangeWarning(bool high, const std::string& what, const std::string& keys,
                             std::int64_t value) {
    const auto wrapped = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return std::string("the ") + (high ? "highest " : "lowest ") + what + " a player can reach (" +
           keys + ") comes to " + std::to_string(value) +
           " with this answer: " + (high ? "past 2147483647" : "below -2147483648") +
           " it wraps around, to " + std::to_string(wrapped) + ", and the pick goes wrong";
}

// The line of the key that gives a reached answer most of a total or score.
std::int64_t KeyLineOf(const ReachedAnswer& answer, std::span<const std::uint8_t> slots) {
    std::int64_t line = answer.line;
    std::int64_t most = 0;
    for (const std::uint8_t slot : slots) {
        const std::int64_t size = std::abs(static_cast<std::int64_t>(answer.points[slot]));
        if (answer.keyLines[slot] != 0 && size > most) {
            most = size;
            line = answer.keyLines[slot];
        }
    }
    return line;
}

// Adds a question's options to what a player can reach, with a warning where
// a total, or a score that sums several, first passes the 32-bit range: at
// the key of the answer that takes it furthest. A score is not told of when
// one of its totals already was.
void WarnPastRange(const QuestionInfo& question, TotalsReach& totals, std::vector<Pending>& out) {
    if (!totals.builtIn) return;
    const auto gives = [](const ReachedAnswer& a) {
        return a.line != 0 &&
               std::any_of(a.points.begin(), a.points.end(), [](std::int32_t p) { return p != 0; });
    };
    const auto shown = question.reached.begin() + std::ptrdiff_t(question.choices.size());
    if (std::none_of(question.reached.begin(), shown, gives)) return;  // it adds nothing
    QuestionOptions options;
    for (std::size_t c = 0; c < question.choices.size(); ++c) {
        options.points[c + 1] = question.reached[c].points;
    }
    options.count = static_cast<int>(question.choices.size()) + 1;
    totals.reach.Add(options.All());
    for (int sum = 0; sum < PointSlotCount + RowCount; ++sum) {
        const bool isRow = sum >= PointSlotCount;
        const int row = sum - PointSlotCount;
        const Range now = isRow ? totals.reach.Score(row) : totals.reach.Total(sum);
        const bool pastHigh = now.high > INT32_MAX, pastLow = now.low < INT32_MIN;
        if (!pastHigh && !pastLow) continue;
        const auto own = static_cast<std::uint8_t>(sum);
        const Game& game = *totals.game;
        const std::span<const std::uint8_t> slots =
            isRow ? ScoreSlots(game, row) : std::span(&own, 1);
        for (const bool high : {true, false}) {
            const auto told = [&](int s) { return totals.told[std::size_t(2 * s + high)]; };
            if (!(high ? pastHigh : pastLow) || told(sum) ||
                (isRow && (slots.size() == 1 || std::any_of(slots.begin(), slots.end(), told))))
                continue;
            totals.told[std::size_t(2 * sum + high)] = true;
            const ReachedAnswer* furthest = nullptr;
            std::int64_t most = 0;
            for (auto answer = question.reached.begin(); answer != shown; ++answer) {
                std::int64_t value = 0;
                for (const int slot : slots) value += answer->points[std::size_t(slot)];
                if (answer->line != 0 && (high ? value > most : value < most)) {
                    most = value;
                    furthest = &*answer;
                }
            }
            const std::string what = std::string(isRow ? RowName(game, row) : SlotName(game, sum)) +
                                     (isRow ? " score" : " total");
            const std::string keys = isRow ? RowKeys(game, row) : std::string(SlotKey(game, sum));
            out.push_back({KeyLineOf(*furthest, slots), CheckSeverity::Warning,
                           CheckKind::PastRange,
                           PastRangeWarning(high, what, keys, high ? now.high : now.low)});
        }
    }
}

}  // namespace

Pending QuestionVerdict::Warning(std::int64_t line, CheckKind kind,
                                 const std::function<std::string()>& word) {
    return {line, CheckSeverity::Warning, kind, wanted_(kind) ? word() : std::string()};
}

void QuestionVerdict::Start(const QuestionInfo& question, TotalsReach& reach) {
    question_ = &question;
    front_.clear();
    nextFront_ = 0;
    takenBy_.fill(0);
    answer_.reset();
    WarnPastRange(question, reach, front_);
    if (question.name.empty()) {
        front_.push_back(Warning(question.line, CheckKind::NoName, [] {
            return "the question has no name= (no question text is shown)";
        }));
    }
    if (question.choices.empty()) {
        front_.push_back(Warning(question.line, CheckKind::NoChoices, [] {
            return "the question has no choices (text=): it can only be skipped";
        }));
    }
    nextAnswer_ = question.choices.empty() ? question.answers.size() : 0;
    const int shown = static_cast<int>(question.choices.size());
    for (int choice = 1; choice <= shown; ++choice) {
        if (question.reached[static_cast<std::size_t>(choice - 1)].line != 0) continue;
        const ChoiceInfo& info = question.choices[static_cast<std::size_t>(choice - 1)];
        front_.push_back(Warning(info.line, CheckKind::ChoiceWithoutAnswer, [&] {
            return "choice " + std::to_string(choice) + " " + Quote(info.text) +
                   " has no answer of type " + ChoiceTypes(choice) + ": choosing it shows \"" +
                   NoAnswerMessage + "\"";
        }));
    }
    std::stable_sort(front_.begin(), front_.end(),
                     [](const Pending& a, const Pending& b) { return a.line < b.line; });
}

// Answers are tried in order, and the first that matches a choice takes it.
std::optional<Pending> QuestionVerdict::JudgeAnswer(const AnswerInfo& answer) {
    const int shown = static_cast<int>(question_->choices.size());
    const std::int64_t line = answer.typeLine != 0 ? answer.typeLine : answer.line;
    const auto which = [&] { return "the answer of line " + std::to_string(answer.line); };
    const auto type = [&] {
        return Quote(
            std::string_view(question_->typeTexts).substr(answer.typeAt, answer.typeLength));
    };
    const int choice = answer.choice;
    if (answer.typeLength == 0) {
        return Warning(line, CheckKind::AnswerWithoutType,
                       [&] { return which() + " has no type=, so no choice reaches it"; });
    }
    if (choice == 0 || choice > shown) {
        return Warning(line, CheckKind::AnswerNeverReached, [&] {
            return which() + " is never reached: its type " + type() +
                   " matches none of the shown choices (" + ShownTypes(shown) + ")";
        });
    }
    if (takenBy_[choice] != 0) {
        return Warning(line, CheckKind::AnswerNeverReached, [&] {
            return which() + " is never reached: the answer of line " +
                   std::to_string(takenBy_[choice]) + " comes first for choice " +
                   std::to_string(choice) + " (type " + type() + ")";
        });
    }
    takenBy_[choice] = answer.line;
    if (answer.faulty) return std::nullopt;  // its errors say more
    // A choice that is meant to add nothing still needs its answer: a point
    // key set to 0 says so.
    if (answer.setsPoints) return std::nullopt;
    return Warning(answer.line, CheckKind::AnswerWithoutPoints, [&] {
        const ChoiceInfo& info = question_->choices[static_cast<std::size_t>(choice - 1)];
        return which() + " gives no points: choosing choice " + std::to_string(choice) + " " +
               Quote(info.text) +
               " adds nothing to any total (a point key set to 0 says that "
               "this is meant)";
    });
}

std::optional<Pending> QuestionVerdict::NextBefore(std::int64_t line) {
    if (question_ == nullptr) {
        return std::nullopt;
    }
    const auto& answers = question_->answers;
    while (!answer_ && nextAnswer_ < answers.size()) {
        answer_ = JudgeAnswer(answers[nextAnswer_++]);
    }
    const Pending* front = nextFront_ < front_.size() ? &front_[nextFront_] : nullptr;
    const bool answerFirst = answer_ && (front == nullptr || answer_->line < front->line);
    const Pending* next = answerFirst ? &*answer_ : front;
    if (next == nullptr || next->line >= line) {
        return std::nullopt;
    }
    Pending due = *next;
    if (answerFirst) {
        answer_.reset();
    } else {
        ++nextFront_;
    }
    return due;
}

}  // namespace kinpath::check
