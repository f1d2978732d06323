#include "authoring/CheckRules.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

#include "flow/QuestionFlow.h"
#include "script/ScriptDocument.h"
#include "text/TextCodec.h"

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

// How a point value is read when it is not a plain number; none when it is.
std::optional<std::int64_t> OddPointValue(const char* value) {
    const std::int64_t read = ReadPointValue(value);
    const char* p = value;
    while (*p == ' ' || *p == '\t' || *p == '\v' || *p == '\f') ++p;
    if (*p == '+') ++p;
    const char* end = p + std::strlen(p);
    std::int64_t exact = 0;
    const auto [stop, ec] = std::from_chars(p, end, exact);
    if (ec == std::errc() && stop == end && exact == read) return std::nullopt;
    return read;
}

}  // namespace

std::string Quote(std::string_view bytes) {
    constexpr std::size_t limit = 48;
    std::string text = VisibleControls(DisplayText(bytes));
    if (Utf8Length(text) > limit) {
        text.resize(Utf8PrefixBytes(text, limit));
        text += "...";
    }
    return "\"" + text + "\"";
}

// --- Lines and blocks --------------------------------------------------------

std::string CutLineWarning(std::int64_t line) {
    return "line of " + std::to_string(PieceLength) +
           " or more characters: the window cuts it into pieces of " + std::to_string(PieceLength) +
           " and reads each further piece as a line of its own (from line " +
           std::to_string(line + 1) + " on, its line numbers run ahead)";
}

std::string ZeroByteWarning(const char* line) {
    return "zero byte in the line: the window reads only " + Quote(line) + " and drops the rest";
}

std::string IgnoredLinesWarning(std::int64_t count, std::int64_t last, const char* line) {
    std::string text = count == 1
                           ? "line outside any block is ignored: " + Quote(line)
                           : std::to_string(count) + " lines outside any block (up to line " +
                                 std::to_string(last) + ") are ignored, the first: " + Quote(line);
    if (FindTag(line, AnswerTags) != nullptr) {
        text += " (an ANSWER block counts only inside a QUESTION block)";
    }
    return text;
}

// The window reports it on the line after the last, when the file ends with a
// line feed: the text says where it really is.
std::string EndOfFileError(const char* tag, std::int64_t start, const char* outcome) {
    return std::string("at end of file, still inside the ") + tag + " block of line " +
           std::to_string(start) + " (no </" + tag + ">): " + outcome;
}

std::string SecondBlockWarning(const char* tag, std::int64_t previous) {
    return std::string("a second ") + tag + " block replaces the one of line " +
           std::to_string(previous) + " and everything it set";
}

std::string NoSettingsKeyError(const char* tag, std::string_view key) {
    return std::string("Undefined symbol found (no key of a ") + tag +
           " block in this line; its key is " + Str(key) + ")";
}

std::optional<std::string> PreferenceWarning(const char* value) {
    const char* word = value + std::strspn(value, " \t");
    if (word == value || !SameText(word, "classoverrace")) return std::nullopt;
    return "the value " + Quote(value) +
           " starts with a blank, so it is not classoverrace: the pick decides the race first";
}

std::optional<std::string> RecapError(const char* value) {
    if (SameText(value, "yes") || SameText(value, "no") || SameText(value, "ask")) {
        return std::nullopt;
    }
    return "Undefined symbol found (recap= must be yes, no or ask, not " + Quote(value) + ")";
}

std::string NoQuestionKeyError(bool holdsText) {
    return holdsText ? "invalid command (the line holds \"text\" but no text=)"
                     : "Undefined symbol found (no key of a QUESTION block in this line: type=, "
                       "name=, text=)";
}

std::string NoAnswerKeyError() {
    return "Undefined symbol found (no key of an ANSWER block in this line), then End of script "
           "expected";
}

std::string HiddenChoiceWarning(std::size_t number, const char* value) {
    return "choice " + std::to_string(number) + " " + Quote(value) +
           " is never shown: only the first 8 choices are";
}

std::optional<std::string> CutTextWarning(const char* value, std::size_t budget,
                                          const std::string& what) {
    const std::size_t length = Utf8Length(DisplayText(value));
    if (length <= budget) return std::nullopt;
    return what + " has " + std::to_string(length) + " characters: the window may cut it (" +
           std::to_string(budget) +
           " fit in its default font; a cut text ends in \"\u2026\" and shows whole in its "
           "tooltip)";
}

std::optional<std::string> PointValueWarning(std::string_view key, const char* value) {
    if (value[0] == '\0') return std::nullopt;
    const auto read = OddPointValue(value);
    if (!read) return std::nullopt;
    return "the value " + Quote(value) + " of " + Str(key) + " is read as " + std::to_string(*read);
}

// --- Key lines ---------------------------------------------------------------

std::optional<std::string> KeyInValueWarning(KeyList known, const char* block, LineKey found,
                                             const std::vector<KeyHit>& hits, const char* line) {
    const std::string_view key = known[found.key];
    const std::size_t pos = found.value - key.size();
    const KeyHit* other = nullptr;
    for (const KeyHit& hit : hits) {
        const bool insideWinner =
            hit.at >= pos && hit.at + known[hit.key].size() <= pos + key.size();
        if (!insideWinner && (other == nullptr || hit.at < other->at)) other = &hit;
    }
    if (other == nullptr) {
        return std::nullopt;
    }
    const std::string_view otherKey = known[other->key];
    const std::string reading = "the line is read as " + Str(key) + " " + Quote(line + found.value);
    if (other->at <= pos && other->at + otherKey.size() >= pos + key.size()) {
        return "key found inside a key: " + Str(otherKey) + " is no key of a " + block +
               " block, but the " + Str(key) + " inside it is: " + reading;
    }
    if (other->at < pos) {
        return "key found inside a value: the line holds " + Str(otherKey) + " and then " +
               Str(key) + ", which is tested first: " + reading + " and sets no " + Str(otherKey);
    }
    return "key found inside a value: the " + Str(otherKey) + " in the value of " + Str(key) +
           " is not read as a key: " + reading;
}

std::optional<std::string> RepeatWarning(std::string_view key, std::int64_t& last,
                                         std::int64_t line, const char* value, bool isPoint) {
    if (isPoint && value[0] == '\0') {
        return std::nullopt;  // an empty point value changes nothing
    }
    const std::int64_t earlier = std::exchange(last, line);
    if (earlier == 0) {
        return std::nullopt;
    }
    const std::string before = std::to_string(earlier);
    if (isPoint) {
        return Str(key) + " given again: its value replaces the one of line " + before +
               " (points are set, not added)";
    }
    if (value[0] == '\0') {
        return Str(key) + " given again with an empty value: it clears the one of line " + before;
    }
    return Str(key) + " given again: it replaces the one of line " + before;
}

// --- What a question does when it is answered ---------------------------------

std::uint8_t ChoiceOfType(std::string_view type) {
    std::uint8_t found = 0;
    for (int choice = 1; choice <= ShownChoices; ++choice) {
        if (TypeMatchesChoice(type, choice)) found = static_cast<std::uint8_t>(choice);
    }
    return found;
}

void QuestionVerdict::Start(const QuestionInfo& question) {
    question_ = &question;
    front_.clear();
    nextFront_ = 0;
    nextAnswer_ = question.answers.size();
    takenBy_.fill(0);
    answer_.reset();
    if (question.failed) {
        return;  // its lines were not all read: the rest would guess
    }
    if (question.name.empty()) {
        front_.push_back({question.line, CheckSeverity::Warning,
                          "the question has no name= (no question text is shown)"});
    }
    if (question.choices.empty()) {
        front_.push_back({question.line, CheckSeverity::Warning,
                          "the question has no choices (text=): it can only be skipped"});
        return;
    }
    nextAnswer_ = 0;
    const int shown = static_cast<int>(question.choices.size());
    for (int choice = 1; choice <= shown; ++choice) {
        const bool answered = std::any_of(question.answers.begin(), question.answers.end(),
                                          [&](const AnswerInfo& a) { return a.choice == choice; });
        if (!answered) {
            const ChoiceInfo& info = question.choices[static_cast<std::size_t>(choice - 1)];
            front_.push_back({info.line, CheckSeverity::Warning,
                              "choice " + std::to_string(choice) + " " + Quote(info.text) +
                                  " has no answer of type " + ChoiceTypes(choice) +
                                  ": choosing it shows \"" + NoAnswerMessage + "\""});
        }
    }
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
        return Pending{line, CheckSeverity::Warning,
                       which() + " has no type=, so no choice reaches it"};
    }
    if (choice == 0 || choice > shown) {
        return Pending{line, CheckSeverity::Warning,
                       which() + " is never reached: its type " + type() +
                           " matches none of the shown choices (" + ShownTypes(shown) + ")"};
    }
    if (takenBy_[choice] == 0) {
        takenBy_[choice] = answer.line;
        return std::nullopt;
    }
    return Pending{line, CheckSeverity::Warning,
                   which() + " is never reached: the answer of line " +
                       std::to_string(takenBy_[choice]) + " comes first for choice " +
                       std::to_string(choice) + " (type " + type() + ")"};
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
