#include "authoring/ScriptCheck.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstring>
#include <map>
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

struct KeyHit {
    std::string_view key;
    std::size_t pos = 0;
};

struct ChoiceInfo {
    std::string text;
    std::int64_t line = 0;
};

struct AnswerInfo {
    std::int64_t line = 0;
    std::int64_t typeLine = 0;
    ScriptText type;
};

// Line on which each key was last given in one block.
using KeyLines = std::map<std::string_view, std::int64_t>;

struct QuestionInfo {
    int number = 0;
    std::int64_t line = 0;
    ScriptText name;
    bool failed = false;  // had an error: its contents are incomplete
    std::vector<ChoiceInfo> choices;
    std::vector<AnswerInfo> answers;
    KeyLines keys;
};

struct Pending {
    std::int64_t line;
    CheckSeverity severity;
    int question;         // index into the questions, -1 for none
    std::string subject;  // used when there is no question
    std::string text;
};

class Checker {
public:
    explicit Checker(std::string bytes) : lines_(std::move(bytes)) {}
    CheckResult Run();

private:
    enum class AnswerEnd { Done, Failed, Eof };

    bool Next();
    void Hold() { held_ = true; }
    bool AtBlockStart() const { return FindTag(line_, BlockTags) != nullptr; }

    void TopLevel();
    void NoteIgnoredLine();
    void FlushIgnoredLines();
    void SettingsOrFinal(const char* tag);
    void SkipBlock(const char* tag, std::int64_t start);
    void Question();
    bool QuestionLine(QuestionInfo& question);
    bool Recover(QuestionInfo& question, bool inAnswer);
    AnswerEnd Answer(QuestionInfo& question);
    bool AnswerLine(AnswerInfo& answer, KeyLines& seen);
    void FinishQuestion(const QuestionInfo& question);
    void CheckChoices(const QuestionInfo& question);
    void CheckAnswers(const QuestionInfo& question);

    void CheckKeyLine(KeyList known, const char* block, std::string_view key, const char* value,
                      KeyLines& seen, bool isPoint);
    void WarnKeyInValue(KeyList known, const char* block, KeyHit winner, const char* value);
    void WarnRepeat(std::string_view key, const char* value, KeyLines& seen, bool isPoint);

    void Error(std::int64_t line, std::string text) {
        Report(CheckSeverity::Error, line, std::move(text));
    }
    void Warn(std::int64_t line, std::string text) {
        Report(CheckSeverity::Warning, line, std::move(text));
    }
    void Report(CheckSeverity severity, std::int64_t line, std::string text);
    void EndOfFileError(const char* tag, std::int64_t start, const char* outcome);
    std::string Subject(const Pending& pending) const;

    ScriptLines lines_;
    char line_[LineBufferSize] = {};
    bool held_ = false;
    bool inCutLine_ = false;  // the last piece read filled the buffer

    int question_ = -1;    // index of the question being read
    std::string subject_;  // the SETTINGS or FINAL block being read
    std::vector<QuestionInfo> questions_;
    std::int64_t settingsLine_ = 0;
    std::int64_t finalLine_ = 0;
    std::int64_t answerLine_ = 0;

    struct {
        int count = 0;
        std::int64_t first = 0;
        std::int64_t last = 0;
        std::string text;
    } ignored_;

    std::vector<Pending> pending_;
};

// The window's line protocol (trimmed, empty and comment lines skipped), plus
// a note of every line cut at the buffer's size.
bool Checker::Next() {
    if (held_) {
        held_ = false;
        return true;
    }
    while (lines_.ReadScriptLine(line_, LineBufferSize)) {
        const bool full = std::strlen(line_) == PieceLength;
        if (full && !inCutLine_) {
            Warn(lines_.CurrentLine,
                 "line of " + std::to_string(PieceLength) +
                     " or more characters: the window cuts it into pieces of " +
                     std::to_string(PieceLength) +
                     " and reads each further piece as a line of its own (from line " +
                     std::to_string(lines_.CurrentLine + 1) + " on, its line numbers run ahead)");
        }
        inCutLine_ = full;
        TrimLine(line_);
        if (line_[0] != '\0' && line_[0] != '#') {
            return true;
        }
    }
    return false;
}

CheckResult Checker::Run() {
    TopLevel();
    if (questions_.empty()) {
        Warn(1, "the script has no QUESTION block: the window goes straight to the results");
    }
    CheckResult result;
    result.questions = static_cast<int>(questions_.size());
    for (const Pending& pending : pending_) {
        std::string subject = Subject(pending);
        std::string text = subject.empty() ? pending.text : subject + ": " + pending.text;
        result.diagnostics.push_back({pending.line, pending.severity, std::move(text)});
        (pending.severity == CheckSeverity::Error ? result.errors : result.warnings) += 1;
    }
    std::stable_sort(
        result.diagnostics.begin(), result.diagnostics.end(),
        [](const CheckDiagnostic& a, const CheckDiagnostic& b) { return a.line < b.line; });
    return result;
}

std::string Checker::Subject(const Pending& pending) const {
    if (pending.question < 0) {
        return pending.subject;
    }
    const QuestionInfo& question = questions_[static_cast<std::size_t>(pending.question)];
    std::string subject = "question " + std::to_string(question.number);
    return subject + (question.name ? " " + Quote(*question.name) : " (no name)");
}

void Checker::Report(CheckSeverity severity, std::int64_t line, std::string text) {
    pending_.push_back({line, severity, question_, subject_, std::move(text)});
}

void Checker::EndOfFileError(const char* tag, std::int64_t start, const char* outcome) {
    Error(lines_.CurrentLine, std::string("end of file inside the ") + tag + " block of line " +
                                  std::to_string(start) + " (no </" + tag + ">): " + outcome);
}

// --- Top level -------------------------------------------------------------

void Checker::TopLevel() {
    while (Next()) {
        const TagEntry* tag = FindTag(line_, BlockTags);
        if (tag == nullptr) {
            NoteIgnoredLine();
            continue;
        }
        FlushIgnoredLines();
        if (tag->id == static_cast<int>(BlockTag::Question)) {
            Question();
        } else {
            SettingsOrFinal(tag->name);
        }
    }
    FlushIgnoredLines();
}

void Checker::NoteIgnoredLine() {
    if (ignored_.count++ == 0) {
        ignored_.first = lines_.CurrentLine;
        ignored_.text = line_;
    }
    ignored_.last = lines_.CurrentLine;
}

// One warning for each run of lines the window passes over between blocks.
void Checker::FlushIgnoredLines() {
    if (ignored_.count == 0) {
        return;
    }
    std::string text = ignored_.count == 1
                           ? "line outside any block is ignored: " + Quote(ignored_.text)
                           : std::to_string(ignored_.count) +
                                 " lines outside any block (up to line " +
                                 std::to_string(ignored_.last) +
                                 ") are ignored, the first: " + Quote(ignored_.text);
    if (FindTag(ignored_.text.c_str(), AnswerTags) != nullptr) {
        text += " (an ANSWER block counts only inside a QUESTION block)";
    }
    Warn(ignored_.first, std::move(text));
    ignored_ = {};
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
    const char* key = settings ? "preference=" : "recap=";
    KeyLines seen;
    bool failed = false;
    while (!failed && Next()) {
        if (IsEndTag(line_, tag)) {
            subject_.clear();
            return;
        }
        LowerKey(line_);
        const char* value = FindKey(line_, key);
        if (value == nullptr) {
            Error(lines_.CurrentLine, std::string("Undefined symbol found (no key of a ") + tag +
                                          " block in this line; its key is " + key + ")");
            failed = true;
            break;
        }
        CheckKeyLine(settings ? KeyList(SettingsKeys) : KeyList(FinalKeys), tag, key, value, seen,
                     false);
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

void Checker::Question() {
    questions_.push_back({});
    question_ = static_cast<int>(questions_.size()) - 1;
    QuestionInfo& question = questions_.back();
    question.number = question_ + 1;
    question.line = lines_.CurrentLine;
    bool open = true;
    while (open && Next()) {
        if (IsEndTag(line_, "QUESTION")) {
            FinishQuestion(question);
            question_ = -1;
            return;
        }
        if (FindTag(line_, AnswerTags) != nullptr) {
            const AnswerEnd end = Answer(question);
            if (end == AnswerEnd::Eof) {
                question_ = -1;
                return;
            }
            if (end == AnswerEnd::Failed) open = Recover(question, true);
            continue;
        }
        LowerKey(line_);
        if (!QuestionLine(question)) open = Recover(question, false);
    }
    if (open) {
        EndOfFileError("QUESTION", question.line, "the window refuses the script");
    }
    question_ = -1;
}

bool Checker::QuestionLine(QuestionInfo& question) {
    const KeyList known = QuestionKeys;
    if (const char* value = FindKey(line_, "type=")) {
        CheckKeyLine(known, "QUESTION", "type=", value, question.keys, false);
        return true;
    }
    if (const char* value = FindKey(line_, "name=")) {
        CheckKeyLine(known, "QUESTION", "name=", value, question.keys, false);
        AssignScriptText(question.name, value);
        return true;
    }
    if (FindKey(line_, "text") == nullptr) {
        Error(
            lines_.CurrentLine,
            "Undefined symbol found (no key of a QUESTION block in this line: type=, name=, text=)");
        return false;
    }
    const char* value = FindKey(line_, "text=");
    if (value == nullptr) {
        Error(lines_.CurrentLine, "invalid command (the line holds \"text\" but no text=)");
        return false;
    }
    CheckKeyLine(known, "QUESTION", "text=", value, question.keys, false);
    if (value[0] != '\0') {
        question.choices.push_back({value, lines_.CurrentLine});
        const std::size_t number = question.choices.size();
        if (number > ShownChoices) {
            Warn(lines_.CurrentLine, "choice " + std::to_string(number) + " " + Quote(value) +
                                         " is never shown: only the first 8 choices are");
        }
    }
    return true;
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
    AnswerInfo answer;
    answer.line = lines_.CurrentLine;
    answerLine_ = lines_.CurrentLine;
    KeyLines seen;
    while (Next()) {
        if (IsEndTag(line_, "ANSWER")) {
            question.answers.push_back(std::move(answer));
            return AnswerEnd::Done;
        }
        LowerKey(line_);
        if (!AnswerLine(answer, seen)) {
            Error(
                lines_.CurrentLine,
                "Undefined symbol found (no key of an ANSWER block in this line), then End of script "
                "expected");
            return AnswerEnd::Failed;
        }
    }
    EndOfFileError("ANSWER", answer.line, "End of script expected");
    return AnswerEnd::Eof;
}

bool Checker::AnswerLine(AnswerInfo& answer, KeyLines& seen) {
    const KeyList known = AnswerKeys;
    if (const char* value = FindKey(line_, "type=")) {
        CheckKeyLine(known, "ANSWER", "type=", value, seen, false);
        AssignScriptText(answer.type, value);
        answer.typeLine = lines_.CurrentLine;
        return true;
    }
    if (const char* value = FindKey(line_, "explanationtext=")) {
        CheckKeyLine(known, "ANSWER", "explanationtext=", value, seen, false);
        return true;
    }
    for (const PointKey& key : AnswerPointKeys) {
        if (const char* value = FindKey(line_, key.key)) {
            CheckKeyLine(known, "ANSWER", key.key, value, seen, true);
            if (value[0] != '\0') {
                if (const auto read = OddPointValue(value)) {
                    Warn(lines_.CurrentLine, "the value " + Quote(value) + " of " + key.key +
                                                 " is read as " + std::to_string(*read));
                }
            }
            return true;
        }
    }
    return false;
}

// --- What a question does when it is answered ---------------------------------

void Checker::FinishQuestion(const QuestionInfo& question) {
    if (question.failed) {
        return;  // its lines were not all read: the rest would guess
    }
    if (!question.name) {
        Warn(question.line, "the question has no name= (no question text is shown)");
    }
    if (question.choices.empty()) {
        Warn(question.line, "the question has no choices (text=): it can only be skipped");
        return;
    }
    CheckChoices(question);
    CheckAnswers(question);
}

void Checker::CheckChoices(const QuestionInfo& question) {
    const int shown = std::min<int>(ShownChoices, static_cast<int>(question.choices.size()));
    for (int choice = 1; choice <= shown; ++choice) {
        const bool answered =
            std::any_of(question.answers.begin(), question.answers.end(),
                        [&](const AnswerInfo& a) { return TypeMatchesChoice(a.type, choice); });
        if (!answered) {
            const ChoiceInfo& info = question.choices[static_cast<std::size_t>(choice - 1)];
            Warn(info.line, "choice " + std::to_string(choice) + " " + Quote(info.text) +
                                " has no answer of type " + ChoiceTypes(choice) +
                                ": choosing it shows \"" + NoAnswerMessage + "\"");
        }
    }
}

void Checker::CheckAnswers(const QuestionInfo& question) {
    const int shown = std::min<int>(ShownChoices, static_cast<int>(question.choices.size()));
    std::int64_t takenBy[ShownChoices + 1] = {};
    for (const AnswerInfo& answer : question.answers) {
        const std::int64_t line = answer.typeLine != 0 ? answer.typeLine : answer.line;
        std::vector<int> matched;
        for (int choice = 1; choice <= shown; ++choice) {
            if (TypeMatchesChoice(answer.type, choice)) matched.push_back(choice);
        }
        if (!answer.type) {
            Warn(line, "the answer of line " + std::to_string(answer.line) +
                           " has no type=, so no choice reaches it");
            continue;
        }
        if (matched.empty()) {
            Warn(line, "the answer of line " + std::to_string(answer.line) +
                           " is never reached: its type " + Quote(*answer.type) +
                           " matches none of the shown choices (" + ShownTypes(shown) + ")");
            continue;
        }
        bool reached = false;
        for (int choice : matched) {
            if (takenBy[choice] == 0) {
                takenBy[choice] = answer.line;
                reached = true;
            }
        }
        if (!reached) {
            Warn(line, "the answer of line " + std::to_string(answer.line) +
                           " is never reached: the answer of line " +
                           std::to_string(takenBy[matched[0]]) + " comes first for choice " +
                           std::to_string(matched[0]) + " (type " + Quote(*answer.type) + ")");
        }
    }
}

// --- Line-level warnings -------------------------------------------------------

void Checker::CheckKeyLine(KeyList known, const char* block, std::string_view key,
                           const char* value, KeyLines& seen, bool isPoint) {
    const auto pos = static_cast<std::size_t>(value - line_) - key.size();
    WarnKeyInValue(known, block, {key, pos}, value);
    if (key != "text=") {
        WarnRepeat(key, value, seen, isPoint);
    }
}

// The first key text of the block in the line that lost to the winning key,
// other than text inside the winning key itself (text= in explanationtext=).
void Checker::WarnKeyInValue(KeyList known, const char* block, KeyHit winner, const char* value) {
    std::optional<KeyHit> other;
    for (std::string_view key : known) {
        const std::string needle(key);
        for (const char* p = std::strstr(line_, needle.c_str()); p != nullptr;
             p = std::strstr(p + 1, needle.c_str())) {
            const auto pos = static_cast<std::size_t>(p - line_);
            const bool insideWinner =
                pos >= winner.pos && pos + key.size() <= winner.pos + winner.key.size();
            if (!insideWinner && (!other || pos < other->pos)) other = KeyHit{key, pos};
        }
    }
    if (!other) {
        return;
    }
    const std::string reading = "the line is read as " + Str(winner.key) + " " + Quote(value);
    if (other->pos <= winner.pos &&
        other->pos + other->key.size() >= winner.pos + winner.key.size()) {
        Warn(lines_.CurrentLine, "key found inside a key: " + Str(other->key) + " is no key of a " +
                                     block + " block, but the " + Str(winner.key) +
                                     " inside it is: " + reading);
    } else if (other->pos < winner.pos) {
        Warn(lines_.CurrentLine, "key found inside a value: the line holds " + Str(other->key) +
                                     " and then " + Str(winner.key) + ", which is tested first: " +
                                     reading + " and sets no " + Str(other->key));
    } else {
        Warn(lines_.CurrentLine, "key found inside a value: the " + Str(other->key) +
                                     " in the value of " + Str(winner.key) +
                                     " is not read as a key: " + reading);
    }
}

void Checker::WarnRepeat(std::string_view key, const char* value, KeyLines& seen, bool isPoint) {
    if (isPoint && value[0] == '\0') {
        return;  // an empty point value changes nothing
    }
    auto [it, first] = seen.try_emplace(key, lines_.CurrentLine);
    if (first) {
        return;
    }
    const std::string earlier = std::to_string(it->second);
    it->second = lines_.CurrentLine;
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

}  // namespace

CheckResult CheckScript(std::string bytes) { return Checker(std::move(bytes)).Run(); }

void PrintCheckResult(const std::string& name, const CheckResult& result, std::ostream& out,
                      bool errorsOnly) {
    for (const CheckDiagnostic& diagnostic : result.diagnostics) {
        const bool error = diagnostic.severity == CheckSeverity::Error;
        if (errorsOnly && !error) {
            continue;
        }
        out << name << ':' << diagnostic.line << (error ? ": error: " : ": warning: ")
            << diagnostic.text << '\n';
    }
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

namespace {

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

bool ReadCheckedScript(const std::string& path, std::string& bytes, std::ostream& err) {
    if (!ReadForAuthor(path, bytes, err)) {
        return false;
    }
    const CheckResult check = CheckScript(bytes);
    if (check.errors > 0) {
        PrintCheckResult(path, check, err, true);
        return false;
    }
    return true;
}

int RunScriptCheck(const std::string& path, std::ostream& out, std::ostream& err) {
    std::string bytes;
    if (!ReadForAuthor(path, bytes, err)) {
        return 1;
    }
    const CheckResult result = CheckScript(std::move(bytes));
    PrintCheckResult(path, result, out);
    return result.errors == 0 ? 0 : 1;
}

}  // namespace kinpath
