#include "authoring/ScriptCheck.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>
#include <ostream>
#include <span>
#include <string_view>
#include <utility>

#include "flow/QuestionFlow.h"
#include "script/PointSlot.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "text/TextCodec.h"

namespace kinpath {

namespace {

constexpr int ShownChoices = 8;
// Characters the window's default font (8-point sans-serif) shows whole in a
// choice row and in the question box for text in capitals; ordinary text fits
// a little more, text of wide letters only 30 and 216.
constexpr std::size_t ChoiceTextBudget = 50;
constexpr std::size_t QuestionTextBudget = 310;
// ReadScriptLine stores at most this many characters of one line.
constexpr std::size_t PieceLength = LineBufferSize - 1;

using KeyList = std::span<const std::string_view>;

constexpr std::array<std::string_view, 1> SettingsKeys{"preference="};
constexpr std::array<std::string_view, 1> FinalKeys{"recap="};
// explanationtext= is no QUESTION key, but the text= inside it makes a line a
// choice, so it counts as a key text there.
constexpr std::array<std::string_view, 4> QuestionKeys{
    "type=", "name=", "text=", "explanationtext="};
constexpr auto AnswerKeys = [] {
    std::array<std::string_view, 2 + AnswerPointKeys.size()> keys{"type=", "explanationtext="};
    for (std::size_t i = 0; i < AnswerPointKeys.size(); ++i) {
        keys[2 + i] = AnswerPointKeys[i].key;
    }
    return keys;
}();

// A script text as a message shows it: display text with its control
// characters made visible, quoted, long ones cut.
std::string Quote(std::string_view bytes) {
    constexpr std::size_t limit = 48;
    std::string text = VisibleControls(DisplayText(bytes));
    if (Utf8Length(text) > limit) {
        text.resize(Utf8PrefixBytes(text, limit));
        text += "...";
    }
    return "\"" + text + "\"";
}

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

bool ValidRecap(const char* value) {
    return SameText(value, "yes") || SameText(value, "no") || SameText(value, "ask");
}

constexpr std::size_t NoKey = SIZE_MAX;
constexpr const char* NoQuestionWarning =
    "the script has no QUESTION block: the window goes straight to the results";
// A question's diagnostics wait for its end, where its name is known; past
// this many the question is read a second time instead.
constexpr std::size_t WaitingLimit = 1024;

struct KeyHit {
    std::size_t key;  // index into the block's keys
    std::size_t pos;
};

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

// Line on which each key of a block was last given (0: not yet).
using KeyLines = std::array<std::int64_t, AnswerKeys.size()>;

struct QuestionInfo {
    std::int64_t line = 0;
    ScriptText name;
    bool failed = false;  // had an error: its contents are incomplete
    std::size_t choiceCount = 0;
    std::vector<ChoiceInfo> choices;  // the shown ones
    std::deque<AnswerInfo> answers;   // no copying as it grows
    std::string typeTexts;
    KeyLines keys{};
};

struct Pending {
    std::int64_t line;
    CheckSeverity severity;
    std::string text;
};

class Checker {
public:
    Checker(std::string bytes, const CheckSink& sink) : lines_(std::move(bytes)), sink_(sink) {}
    CheckResult Run();

private:
    enum class AnswerEnd { Done, Failed, Eof };
    // Where a diagnostic goes: out at once (outside questions, or once the
    // question's name is known), waiting for the question's end, or nowhere (a
    // question's first reading, when too many would wait).
    enum class Mode { Out, Wait, Silent };

    template <typename Take>
    void LookAhead(Take take);
    bool HasQuestion();
    bool Next();
    void Hold() { held_ = true; }
    bool AtBlockStart() const { return FindTag(line_, BlockTags) != nullptr; }

    void TopLevel();
    void WarnIgnoredLines();
    void SettingsOrFinal(const char* tag);
    void SkipBlock(const char* tag, std::int64_t start);
    void Question();
    void ReadQuestion();
    bool QuestionLine(QuestionInfo& question);
    bool Recover(QuestionInfo& question, bool inAnswer);
    AnswerEnd Answer(QuestionInfo& question);
    bool AnswerLine(ScriptText& type, std::int64_t& typeLine, KeyLines& seen);
    void StartVerdict();
    std::optional<Pending> AnswerVerdict(const AnswerInfo& answer);
    void VerdictBefore(std::int64_t line);

    std::size_t FindKeys(KeyList known, const char*& value);
    void CheckKeyLine(KeyList known, const char* block, std::size_t key, const char* value,
                      KeyLines& seen, bool isPoint);
    void WarnKeyInValue(KeyList known, const char* block, std::size_t winner, const char* value);
    void WarnRepeat(std::string_view key, std::int64_t& last, const char* value, bool isPoint);

    void Error(std::int64_t line, std::string text) {
        Report(CheckSeverity::Error, line, std::move(text));
    }
    void WarnIfCut(const char* value, std::size_t budget, const std::string& what);
    void Warn(std::int64_t line, std::string text) {
        Report(CheckSeverity::Warning, line, std::move(text));
    }
    void Report(CheckSeverity severity, std::int64_t line, std::string text);
    void Emit(CheckSeverity severity, std::int64_t line, std::string text);
    void EndOfFileError(const char* tag, std::int64_t start, const char* outcome);

    ScriptLines lines_;
    const CheckSink& sink_;
    char line_[LineBufferSize] = {};
    bool held_ = false;
    bool inCutLine_ = false;  // the last piece read filled the buffer
    std::vector<KeyHit> hits_;

    Mode mode_ = Mode::Out;
    std::string subject_;           // the block being read, for the diagnostics' text
    std::vector<Pending> waiting_;  // a question's, until its name is known
    bool rereading_ = false;        // the first reading has the question's answers
    bool noQuestionDue_ = false;
    CheckResult result_;
    int questions_ = 0;

    QuestionInfo question_;  // the question being read
    QuestionInfo judged_;    // the question read whole, whose verdict is given
    struct {
        std::vector<Pending> front;  // name, choices: at most 10, in line order
        std::size_t nextFront = 0;
        std::size_t nextAnswer = 0;
        std::array<std::int64_t, ShownChoices + 1> takenBy{};
        std::optional<Pending> answer;  // the next answer's warning, not yet given
    } verdict_;

    std::int64_t settingsLine_ = 0;
    std::int64_t finalLine_ = 0;
    std::int64_t answerLine_ = 0;
};

// Reads on without a word, handing each line the window would read (trimmed)
// to take until it returns false, then goes back to where it was.
template <typename Take>
void Checker::LookAhead(Take take) {
    const ScriptLines::Position start = lines_.Tell();
    char line[LineBufferSize];
    while (lines_.ReadScriptLine(line, LineBufferSize)) {
        TrimLine(line);
        if (line[0] != '\0' && line[0] != '#' && !take(line)) {
            break;
        }
    }
    lines_.Seek(start);
}

// Whether a QUESTION start tag stands on any line: every one of them starts a
// question, whatever comes before it. Without one, the warning that there is
// none belongs on line 1, before everything after it.
bool Checker::HasQuestion() {
    bool found = false;
    LookAhead([&](const char* line) {
        const TagEntry* tag = FindTag(line, BlockTags);
        found = tag != nullptr && tag->id == static_cast<int>(BlockTag::Question);
        return !found;
    });
    return found;
}

// The window's line protocol (trimmed, empty and comment lines skipped), plus
// a note of every line cut at the buffer's size or by a zero byte.
bool Checker::Next() {
    if (held_) {
        held_ = false;
        return true;
    }
    while (lines_.ReadScriptLine(line_, LineBufferSize)) {
        const std::size_t stored = lines_.LastLength();
        const bool full = stored == PieceLength;
        if (full && !inCutLine_) {
            Warn(lines_.CurrentLine,
                 "line of " + std::to_string(PieceLength) +
                     " or more characters: the window cuts it into pieces of " +
                     std::to_string(PieceLength) +
                     " and reads each further piece as a line of its own (from line " +
                     std::to_string(lines_.CurrentLine + 1) + " on, its line numbers run ahead)");
        }
        inCutLine_ = full;
        const bool zeroByte = std::strlen(line_) < stored;
        TrimLine(line_);
        if (zeroByte && line_[0] != '#') {
            Warn(lines_.CurrentLine, "zero byte in the line: the window reads only " +
                                         Quote(line_) + " and drops the rest");
        }
        if (line_[0] != '\0' && line_[0] != '#') {
            return true;
        }
    }
    return false;
}

CheckResult Checker::Run() {
    noQuestionDue_ = !HasQuestion();
    TopLevel();
    if (noQuestionDue_) {
        noQuestionDue_ = false;
        Emit(CheckSeverity::Warning, 1, NoQuestionWarning);
    }
    result_.questions = questions_;
    return std::move(result_);
}

void Checker::Report(CheckSeverity severity, std::int64_t line, std::string text) {
    if (mode_ == Mode::Silent) {
        return;
    }
    if (mode_ == Mode::Wait) {
        if (waiting_.size() == WaitingLimit) {
            mode_ = Mode::Silent;
            waiting_.clear();
        } else {
            waiting_.push_back({line, severity, std::move(text)});
        }
        return;
    }
    if (!subject_.empty()) {
        text = subject_ + ": " + text;
    }
    VerdictBefore(line);
    Emit(severity, line, std::move(text));
}

void Checker::Emit(CheckSeverity severity, std::int64_t line, std::string text) {
    if (noQuestionDue_ && line > 1) {
        noQuestionDue_ = false;
        Emit(CheckSeverity::Warning, 1, NoQuestionWarning);
    }
    (severity == CheckSeverity::Error ? result_.errors : result_.warnings) += 1;
    sink_({line, severity, std::move(text)});
}

// The window reports it on the line after the last, when the file ends with a
// line feed: the text says where it really is.
void Checker::EndOfFileError(const char* tag, std::int64_t start, const char* outcome) {
    Error(lines_.CurrentLine, std::string("at end of file, still inside the ") + tag +
                                  " block of line " + std::to_string(start) + " (no </" + tag +
                                  ">): " + outcome);
}

// --- Top level -------------------------------------------------------------

void Checker::TopLevel() {
    bool ignoring = false;
    while (Next()) {
        const TagEntry* tag = FindTag(line_, BlockTags);
        if (tag == nullptr) {
            if (!ignoring) WarnIgnoredLines();
            ignoring = true;
            continue;
        }
        ignoring = false;
        if (tag->id == static_cast<int>(BlockTag::Question)) {
            Question();
        } else {
            SettingsOrFinal(tag->name);
        }
    }
}

// One warning for each run of lines the window passes over between blocks, on
// its first line: how far the run goes is looked up first.
void Checker::WarnIgnoredLines() {
    std::int64_t count = 1;
    std::int64_t last = lines_.CurrentLine;
    LookAhead([&](const char* line) {
        if (FindTag(line, BlockTags) != nullptr) return false;
        ++count;
        last = lines_.CurrentLine;
        return true;
    });
    std::string text = count == 1
                           ? "line outside any block is ignored: " + Quote(line_)
                           : std::to_string(count) + " lines outside any block (up to line " +
                                 std::to_string(last) + ") are ignored, the first: " + Quote(line_);
    if (FindTag(line_, AnswerTags) != nullptr) {
        text += " (an ANSWER block counts only inside a QUESTION block)";
    }
    Warn(lines_.CurrentLine, std::move(text));
}

// --- SETTINGS and FINAL ----------------------------------------------------

void Checker::SettingsOrFinal(const char* tag) {
    const bool settings = std::strcmp(tag, "SETTINGS") == 0;
    const std::int64_t start = lines_.CurrentLine;
    subject_ = std::string(tag) + " block";
    std::int64_t& previous = settings ? settingsLine_ : finalLine_;
    if (previous != 0) {
        Warn(start, std::string("a second ") + tag + " block replaces the one of line " +
                        std::to_string(previous) + " and everything it set");
    }
    previous = start;
    const KeyList known = settings ? KeyList(SettingsKeys) : KeyList(FinalKeys);
    KeyLines seen{};
    bool failed = false;
    while (!failed && Next()) {
        if (IsEndTag(line_, tag)) {
            subject_.clear();
            return;
        }
        LowerKey(line_);
        const char* value = nullptr;
        if (FindKeys(known, value) == NoKey) {
            Error(lines_.CurrentLine, std::string("Undefined symbol found (no key of a ") + tag +
                                          " block in this line; its key is " + Str(known[0]) + ")");
            failed = true;
            break;
        }
        CheckKeyLine(known, tag, 0, value, seen, false);
        if (settings) {
            const char* word = value + std::strspn(value, " \t");
            if (word != value && SameText(word, "classoverrace")) {
                Warn(lines_.CurrentLine,
                     "the value " + Quote(value) +
                         " starts with a blank, so it is not classoverrace: the pick "
                         "decides the race first");
            }
        } else if (!ValidRecap(value)) {
            Error(
                lines_.CurrentLine,
                "Undefined symbol found (recap= must be yes, no or ask, not " + Quote(value) + ")");
            failed = true;
        }
    }
    if (failed) {
        SkipBlock(tag, start);
    } else {
        EndOfFileError(tag, start, "the window refuses the script");
    }
    subject_.clear();
}

// After an error: on to the block's end tag or the next block's start tag.
void Checker::SkipBlock(const char* tag, std::int64_t start) {
    for (;;) {
        if (AtBlockStart()) {
            Hold();
            return;
        }
        if (IsEndTag(line_, tag)) {
            return;
        }
        if (!Next()) {
            EndOfFileError(tag, start, "the window refuses the script");
            return;
        }
    }
}

// --- QUESTION ----------------------------------------------------------------

// A question's diagnostics name it, and its name= may come last; its verdict
// (choices without answer, answers never reached) goes between them by line.
void Checker::Question() {
    ++questions_;
    const ScriptLines::Position start = lines_.Tell();
    const bool cut = inCutLine_;
    mode_ = Mode::Wait;
    ReadQuestion();
    std::swap(question_, judged_);
    subject_ = "question " + std::to_string(questions_) +
               (judged_.name ? " " + Quote(*judged_.name) : " (no name)");
    StartVerdict();
    if (mode_ == Mode::Silent) {
        // Too many to wait: read it again, now that its name is known.
        lines_.Seek(start);
        inCutLine_ = cut;
        held_ = false;
        mode_ = Mode::Out;
        rereading_ = true;
        ReadQuestion();
        rereading_ = false;
    } else {
        mode_ = Mode::Out;
        for (Pending& pending : waiting_) {
            Report(pending.severity, pending.line, std::move(pending.text));
        }
        waiting_.clear();
    }
    VerdictBefore(INT64_MAX);
    subject_.clear();
}

void Checker::ReadQuestion() {
    QuestionInfo& question = question_;
    question.line = lines_.CurrentLine;
    question.name.reset();
    question.failed = false;
    question.choiceCount = 0;
    question.choices.clear();
    question.answers.clear();
    question.typeTexts.clear();
    question.keys.fill(0);
    bool open = true;
    while (open && Next()) {
        if (IsEndTag(line_, "QUESTION")) {
            return;
        }
        if (FindTag(line_, AnswerTags) != nullptr) {
            const AnswerEnd end = Answer(question);
            if (end == AnswerEnd::Eof) {
                question.failed = true;
                return;
            }
            if (end == AnswerEnd::Failed) open = Recover(question, true);
            continue;
        }
        LowerKey(line_);
        if (!QuestionLine(question)) open = Recover(question, false);
    }
    if (open) {
        question.failed = true;
        EndOfFileError("QUESTION", question.line, "the window refuses the script");
    }
}

bool Checker::QuestionLine(QuestionInfo& question) {
    const char* value = nullptr;
    const std::size_t key = FindKeys(QuestionKeys, value);
    if (key == NoKey) {
        if (FindKey(line_, "text") == nullptr) {
            Error(lines_.CurrentLine,
                  "Undefined symbol found (no key of a QUESTION block in this line: type=, "
                  "name=, text=)");
        } else {
            Error(lines_.CurrentLine, "invalid command (the line holds \"text\" but no text=)");
        }
        return false;
    }
    CheckKeyLine(QuestionKeys, "QUESTION", key, value, question.keys, false);
    if (key == 1) {
        AssignScriptText(question.name, value);
        WarnIfCut(value, QuestionTextBudget, "the question text");
    } else if (key == 2 && value[0] != '\0') {
        const std::size_t number = ++question.choiceCount;
        if (number > ShownChoices) {
            Warn(lines_.CurrentLine, "choice " + std::to_string(number) + " " + Quote(value) +
                                         " is never shown: only the first 8 choices are");
        } else {
            question.choices.push_back({value, lines_.CurrentLine});
            WarnIfCut(value, ChoiceTextBudget, "choice " + std::to_string(number));
        }
    }
    return true;
}

void Checker::WarnIfCut(const char* value, std::size_t budget, const std::string& what) {
    const std::size_t length = Utf8Length(DisplayText(value));
    if (length > budget) {
        Warn(lines_.CurrentLine,
             what + " has " + std::to_string(length) + " characters: the window may cut it (" +
                 std::to_string(budget) +
                 " fit in its default font; a cut text ends in \"\u2026\" and shows whole in its "
                 "tooltip)");
    }
}

// After an error inside a question: on to the next start tag (an ANSWER block
// goes on with this question), the end tag of the failed answer, or the end of
// the question. The failing line itself may already be such a tag. Returns
// whether the question goes on.
bool Checker::Recover(QuestionInfo& question, bool inAnswer) {
    question.failed = true;
    for (;;) {
        if (AtBlockStart()) {
            Hold();
            return false;
        }
        if (FindTag(line_, AnswerTags) != nullptr) {
            const AnswerEnd end = Answer(question);
            if (end == AnswerEnd::Done) return true;
            if (end == AnswerEnd::Eof) return false;
            inAnswer = true;
            continue;  // the line that failed may be a tag again
        }
        if (inAnswer && IsEndTag(line_, "ANSWER")) return true;
        if (IsEndTag(line_, "QUESTION")) return false;
        if (!Next()) break;
    }
    if (inAnswer) {
        EndOfFileError("ANSWER", answerLine_, "End of script expected");
    } else {
        EndOfFileError("QUESTION", question.line, "the window refuses the script");
    }
    return false;
}

// --- ANSWER ------------------------------------------------------------------

Checker::AnswerEnd Checker::Answer(QuestionInfo& question) {
    const std::int64_t start = lines_.CurrentLine;
    answerLine_ = start;
    ScriptText type;
    std::int64_t typeLine = 0;
    KeyLines seen{};
    while (Next()) {
        if (IsEndTag(line_, "ANSWER")) {
            if (rereading_) {
                return AnswerEnd::Done;  // the first reading has it
            }
            AnswerInfo answer{start, typeLine, question.typeTexts.size()};
            if (type) {
                answer.typeLength = static_cast<std::uint16_t>(type->size());
                question.typeTexts += *type;
            }
            for (int choice = 1; choice <= ShownChoices; ++choice) {
                if (TypeMatchesChoice(type, choice))
                    answer.choice = static_cast<std::uint8_t>(choice);
            }
            question.answers.push_back(answer);
            return AnswerEnd::Done;
        }
        LowerKey(line_);
        if (!AnswerLine(type, typeLine, seen)) {
            Error(
                lines_.CurrentLine,
                "Undefined symbol found (no key of an ANSWER block in this line), then End of script "
                "expected");
            return AnswerEnd::Failed;
        }
    }
    EndOfFileError("ANSWER", start, "End of script expected");
    return AnswerEnd::Eof;
}

bool Checker::AnswerLine(ScriptText& type, std::int64_t& typeLine, KeyLines& seen) {
    const char* value = nullptr;
    const std::size_t key = FindKeys(AnswerKeys, value);
    if (key == NoKey) {
        return false;
    }
    const bool isPoint = key >= 2;
    CheckKeyLine(AnswerKeys, "ANSWER", key, value, seen, isPoint);
    if (key == 0) {
        AssignScriptText(type, value);
        typeLine = lines_.CurrentLine;
    } else if (isPoint && value[0] != '\0') {
        if (const auto read = OddPointValue(value)) {
            Warn(lines_.CurrentLine, "the value " + Quote(value) + " of " + Str(AnswerKeys[key]) +
                                         " is read as " + std::to_string(*read));
        }
    }
    return true;
}

// --- What a question does when it is answered ---------------------------------

// The verdict on the question read whole: its own warnings and those of its
// choices now, those of its answers one by one as VerdictBefore needs them.
void Checker::StartVerdict() {
    const QuestionInfo& question = judged_;
    verdict_.front.clear();
    verdict_.nextFront = 0;
    verdict_.nextAnswer = question.answers.size();
    verdict_.takenBy.fill(0);
    verdict_.answer.reset();
    if (question.failed) {
        return;  // its lines were not all read: the rest would guess
    }
    auto& front = verdict_.front;
    if (!question.name) {
        front.push_back({question.line, CheckSeverity::Warning,
                         "the question has no name= (no question text is shown)"});
    }
    if (question.choices.empty()) {
        front.push_back({question.line, CheckSeverity::Warning,
                         "the question has no choices (text=): it can only be skipped"});
        return;
    }
    verdict_.nextAnswer = 0;
    const int shown = static_cast<int>(question.choices.size());
    for (int choice = 1; choice <= shown; ++choice) {
        const bool answered = std::any_of(question.answers.begin(), question.answers.end(),
                                          [&](const AnswerInfo& a) { return a.choice == choice; });
        if (!answered) {
            const ChoiceInfo& info = question.choices[static_cast<std::size_t>(choice - 1)];
            front.push_back({info.line, CheckSeverity::Warning,
                             "choice " + std::to_string(choice) + " " + Quote(info.text) +
                                 " has no answer of type " + ChoiceTypes(choice) +
                                 ": choosing it shows \"" + NoAnswerMessage + "\""});
        }
    }
}

// Answers are tried in order, and the first that matches a choice takes it.
std::optional<Pending> Checker::AnswerVerdict(const AnswerInfo& answer) {
    const int shown = static_cast<int>(judged_.choices.size());
    auto& takenBy = verdict_.takenBy;
    const std::int64_t line = answer.typeLine != 0 ? answer.typeLine : answer.line;
    const auto which = [&] { return "the answer of line " + std::to_string(answer.line); };
    const auto type = [&] {
        return Quote(std::string_view(judged_.typeTexts).substr(answer.typeAt, answer.typeLength));
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
    if (takenBy[choice] == 0) {
        takenBy[choice] = answer.line;
        return std::nullopt;
    }
    return Pending{line, CheckSeverity::Warning,
                   which() + " is never reached: the answer of line " +
                       std::to_string(takenBy[choice]) + " comes first for choice " +
                       std::to_string(choice) + " (type " + type() + ")"};
}

// Gives the verdict's warnings on lines before `line`, in line order.
void Checker::VerdictBefore(std::int64_t line) {
    const auto& answers = judged_.answers;
    for (;;) {
        while (!verdict_.answer && verdict_.nextAnswer < answers.size()) {
            verdict_.answer = AnswerVerdict(answers[verdict_.nextAnswer++]);
        }
        Pending* next = verdict_.nextFront < verdict_.front.size()
                            ? &verdict_.front[verdict_.nextFront]
                            : nullptr;
        const bool answerFirst = verdict_.answer && (!next || verdict_.answer->line < next->line);
        if (answerFirst) next = &*verdict_.answer;
        if (next == nullptr || next->line >= line) {
            return;
        }
        Emit(next->severity, next->line, subject_ + ": " + next->text);
        if (answerFirst) {
            verdict_.answer.reset();
        } else {
            ++verdict_.nextFront;
        }
    }
}

// --- Line-level warnings -------------------------------------------------------

// FindKey with each of the block's keys in turn, in one pass over the line:
// every key ends in "=", so keys stand only before an "=". Notes every key
// text in hits_, left to right; returns the first of known that the line holds
// and the value after its first occurrence, or NoKey.
std::size_t Checker::FindKeys(KeyList known, const char*& value) {
    hits_.clear();
    std::size_t best = NoKey;
    for (const char* equals = std::strchr(line_, '='); equals != nullptr;
         equals = std::strchr(equals + 1, '=')) {
        const auto end = static_cast<std::size_t>(equals - line_) + 1;
        for (std::size_t key = 0; key < known.size(); ++key) {
            const std::string_view text = known[key];
            if (text.size() <= end && line_[end - text.size()] == text[0] &&
                std::memcmp(line_ + end - text.size(), text.data(), text.size()) == 0) {
                hits_.push_back({key, end - text.size()});
                if (key < best) {
                    best = key;
                    value = line_ + end;
                }
            }
        }
    }
    return best;
}

void Checker::CheckKeyLine(KeyList known, const char* block, std::size_t key, const char* value,
                           KeyLines& seen, bool isPoint) {
    WarnKeyInValue(known, block, key, value);
    if (known[key] != "text=") {
        WarnRepeat(known[key], seen[key], value, isPoint);
    }
}

// The first key text of the block in the line that lost to the winning key,
// other than text inside the winning key itself (text= in explanationtext=).
void Checker::WarnKeyInValue(KeyList known, const char* block, std::size_t winner,
                             const char* value) {
    const std::string_view key = known[winner];
    const auto pos = static_cast<std::size_t>(value - line_) - key.size();
    const KeyHit* other = nullptr;
    for (const KeyHit& hit : hits_) {
        const bool insideWinner =
            hit.pos >= pos && hit.pos + known[hit.key].size() <= pos + key.size();
        if (!insideWinner && (other == nullptr || hit.pos < other->pos)) other = &hit;
    }
    if (other == nullptr) {
        return;
    }
    const std::string_view otherKey = known[other->key];
    const std::string reading = "the line is read as " + Str(key) + " " + Quote(value);
    if (other->pos <= pos && other->pos + otherKey.size() >= pos + key.size()) {
        Warn(lines_.CurrentLine, "key found inside a key: " + Str(otherKey) + " is no key of a " +
                                     block + " block, but the " + Str(key) +
                                     " inside it is: " + reading);
    } else if (other->pos < pos) {
        Warn(lines_.CurrentLine,
             "key found inside a value: the line holds " + Str(otherKey) + " and then " + Str(key) +
                 ", which is tested first: " + reading + " and sets no " + Str(otherKey));
    } else {
        Warn(lines_.CurrentLine, "key found inside a value: the " + Str(otherKey) +
                                     " in the value of " + Str(key) +
                                     " is not read as a key: " + reading);
    }
}

void Checker::WarnRepeat(std::string_view key, std::int64_t& last, const char* value,
                         bool isPoint) {
    if (isPoint && value[0] == '\0') {
        return;  // an empty point value changes nothing
    }
    if (last == 0) {
        last = lines_.CurrentLine;
        return;
    }
    const std::string earlier = std::to_string(last);
    last = lines_.CurrentLine;
    if (isPoint) {
        Warn(lines_.CurrentLine, Str(key) + " given again: its value replaces the one of line " +
                                     earlier + " (points are set, not added)");
    } else if (value[0] == '\0') {
        Warn(lines_.CurrentLine,
             Str(key) + " given again with an empty value: it clears the one of line " + earlier);
    } else {
        Warn(lines_.CurrentLine, Str(key) + " given again: it replaces the one of line " + earlier);
    }
}

bool ReadForAuthor(const std::string& path, std::string& bytes, std::ostream& err) {
    ScriptFileText file = ReadScriptFile(path);
    if (file.failure != ReadFailure::None) {
        err << path << ": error: cannot open (" << DescribeReadFailure(file) << ")\n";
        return false;
    }
    bytes = std::move(file.bytes);
    return true;
}

}  // namespace

void PrintDiagnostic(const std::string& name, const CheckDiagnostic& diagnostic,
                     std::ostream& out) {
    out << name << ':' << diagnostic.line
        << (diagnostic.severity == CheckSeverity::Error ? ": error: " : ": warning: ")
        << diagnostic.text << '\n';
}

// "NAME: N questions, N errors, N warnings" (without the warnings if asked).
void PrintSummary(const std::string& name, const CheckResult& result, std::ostream& out,
                  bool errorsOnly) {
    const auto count = [](int n, const char* word) {
        return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
    };
    out << name << ": " << count(result.questions, "question") << ", "
        << count(result.errors, "error");
    if (!errorsOnly) {
        out << ", " << count(result.warnings, "warning");
    }
    out << '\n';
}

CheckResult CheckScript(std::string bytes, const CheckSink& sink) {
    return Checker(std::move(bytes), sink).Run();
}

CheckResult CheckScript(std::string bytes) {
    std::vector<CheckDiagnostic> diagnostics;
    CheckResult result = CheckScript(std::move(bytes), [&](const CheckDiagnostic& diagnostic) {
        diagnostics.push_back(diagnostic);
    });
    result.diagnostics = std::move(diagnostics);
    return result;
}

bool ReadCheckedScript(const std::string& path, std::string& bytes, std::ostream& err) {
    if (!ReadForAuthor(path, bytes, err)) {
        return false;
    }
    const CheckResult check = CheckScript(bytes, [&](const CheckDiagnostic& diagnostic) {
        if (diagnostic.severity == CheckSeverity::Error) {
            PrintDiagnostic(path, diagnostic, err);
        }
    });
    if (check.errors > 0) {
        PrintSummary(path, check, err, true);
        return false;
    }
    return true;
}

int RunScriptCheck(const std::string& path, std::ostream& out, std::ostream& err) {
    std::string bytes;
    if (!ReadForAuthor(path, bytes, err)) {
        return 1;
    }
    const CheckResult result = CheckScript(
        std::move(bytes),
        [&](const CheckDiagnostic& diagnostic) { PrintDiagnostic(path, diagnostic, out); });
    PrintSummary(path, result, out, false);
    return result.errors == 0 ? 0 : 1;
}

}  // namespace kinpath
