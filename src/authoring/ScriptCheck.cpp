// The checker's reading: the line walk as the window reads, recovery after an
// error, and the order of the diagnostics. What each diagnostic says, and
// when there is one, is CheckRules'.
#include "authoring/ScriptCheck.h"

#include <cstdint>
#include <cstring>
#include <ostream>
#include <utility>

#include "authoring/CheckRules.h"
#include "script/ScriptDocument.h"
#include "script/ScriptKeys.h"
#include "script/ScriptLines.h"

namespace kinpath {

namespace {

using namespace check;

// A question's diagnostics wait for its end, where its name is known; past
// this many the question is read a second time instead.
constexpr std::size_t WaitingLimit = 1024;

class Checker {
public:
    Checker(std::string bytes, const CheckSink& sink)
        : bytes_(std::move(bytes)), lines_(bytes_), sink_(sink) {}
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
    LineKey KeyOf(KeyList known) {
        hits_.clear();
        return FindLineKey(known, line_, &hits_);
    }

    void TopLevel();
    void WarnIgnoredLines();
    void SettingsOrFinal(const char* tag);
    void SkipBlock(const char* tag, std::int64_t start);
    void Question();
    void ReadQuestion();
    bool QuestionLine(QuestionInfo& question);
    bool Recover(QuestionInfo& question, bool inAnswer);
    AnswerEnd Answer(QuestionInfo& question);
    bool AnswerLine(std::string& type, std::int64_t& typeLine, KeyLines& seen);
    void CheckKeyLine(KeyList known, const char* block, LineKey found, KeyLines& seen,
                      bool isPoint);
    void VerdictBefore(std::int64_t line);

    void Error(std::int64_t line, std::string text) {
        Report(CheckSeverity::Error, line, std::move(text));
    }
    void Warn(std::int64_t line, std::string text) {
        Report(CheckSeverity::Warning, line, std::move(text));
    }
    void WarnIf(std::optional<std::string> text) {
        if (text) Warn(lines_.CurrentLine, std::move(*text));
    }
    void Report(CheckSeverity severity, std::int64_t line, std::string text);
    void Emit(CheckSeverity severity, std::int64_t line, std::string text);
    void EndOfFile(const char* tag, std::int64_t start, const char* outcome) {
        Error(lines_.CurrentLine, EndOfFileError(tag, start, outcome));
    }

    const std::string bytes_;
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
    QuestionVerdict verdict_;

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
            Warn(lines_.CurrentLine, CutLineWarning(lines_.CurrentLine));
        }
        inCutLine_ = full;
        const bool zeroByte = std::strlen(line_) < stored;
        TrimLine(line_);
        if (zeroByte && line_[0] != '#') {
            Warn(lines_.CurrentLine, ZeroByteWarning(line_));
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

// Gives the verdict's warnings on lines before `line`, in line order.
void Checker::VerdictBefore(std::int64_t line) {
    while (std::optional<Pending> due = verdict_.NextBefore(line)) {
        Emit(due->severity, due->line, subject_ + ": " + due->text);
    }
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
    Warn(lines_.CurrentLine, IgnoredLinesWarning(count, last, line_));
}

// --- SETTINGS and FINAL ----------------------------------------------------

void Checker::SettingsOrFinal(const char* tag) {
    const bool settings = std::strcmp(tag, "SETTINGS") == 0;
    const std::int64_t start = lines_.CurrentLine;
    subject_ = std::string(tag) + " block";
    std::int64_t& previous = settings ? settingsLine_ : finalLine_;
    if (previous != 0) {
        Warn(start, SecondBlockWarning(tag, previous));
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
        const LineKey found = KeyOf(known);
        if (found.key == NoKey) {
            Error(lines_.CurrentLine, NoSettingsKeyError(tag, known[0]));
            failed = true;
            break;
        }
        CheckKeyLine(known, tag, found, seen, false);
        const char* value = line_ + found.value;
        if (settings) {
            WarnIf(PreferenceWarning(value));
        } else if (std::optional<std::string> error = RecapError(value)) {
            Error(lines_.CurrentLine, std::move(*error));
            failed = true;
        }
    }
    if (failed) {
        SkipBlock(tag, start);
    } else {
        EndOfFile(tag, start, "the window refuses the script");
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
            EndOfFile(tag, start, "the window refuses the script");
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
    subject_ = "question " + std::to_string(questions_);
    if (judged_.name.empty()) {
        subject_ += " (no name)";
    } else {
        subject_ += ' ';
        subject_ += Quote(judged_.name);
    }
    verdict_.Start(judged_);
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
    question.name.clear();
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
        EndOfFile("QUESTION", question.line, "the window refuses the script");
    }
}

bool Checker::QuestionLine(QuestionInfo& question) {
    const LineKey found = KeyOf(QuestionKeys);
    if (found.key == NoKey) {
        Error(lines_.CurrentLine, NoQuestionKeyError(FindKey(line_, "text") != nullptr));
        return false;
    }
    CheckKeyLine(QuestionKeys, "QUESTION", found, question.keys, false);
    const char* value = line_ + found.value;
    if (found.key == QuestionNameKey) {
        question.name = value;
        WarnIf(CutTextWarning(value, QuestionTextBudget, "the question text"));
    } else if (found.key == QuestionTextKey && value[0] != '\0') {
        const std::size_t number = ++question.choiceCount;
        if (number > ShownChoices) {
            Warn(lines_.CurrentLine, HiddenChoiceWarning(number, value));
        } else {
            question.choices.push_back({value, lines_.CurrentLine});
            WarnIf(CutTextWarning(value, ChoiceTextBudget, "choice " + std::to_string(number)));
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
        EndOfFile("ANSWER", answerLine_, "End of script expected");
    } else {
        EndOfFile("QUESTION", question.line, "the window refuses the script");
    }
    return false;
}

// --- ANSWER ------------------------------------------------------------------

Checker::AnswerEnd Checker::Answer(QuestionInfo& question) {
    const std::int64_t start = lines_.CurrentLine;
    answerLine_ = start;
    std::string type;
    std::int64_t typeLine = 0;
    KeyLines seen{};
    while (Next()) {
        if (IsEndTag(line_, "ANSWER")) {
            if (rereading_) {
                return AnswerEnd::Done;  // the first reading has it
            }
            AnswerInfo answer{start, typeLine, question.typeTexts.size()};
            answer.typeLength = static_cast<std::uint16_t>(type.size());
            answer.choice = ChoiceOfType(type);
            question.typeTexts += type;
            question.answers.push_back(answer);
            return AnswerEnd::Done;
        }
        LowerKey(line_);
        if (!AnswerLine(type, typeLine, seen)) {
            Error(lines_.CurrentLine, NoAnswerKeyError());
            return AnswerEnd::Failed;
        }
    }
    EndOfFile("ANSWER", start, "End of script expected");
    return AnswerEnd::Eof;
}

bool Checker::AnswerLine(std::string& type, std::int64_t& typeLine, KeyLines& seen) {
    const LineKey found = KeyOf(AnswerKeys);
    if (found.key == NoKey) {
        return false;
    }
    const bool isPoint = found.key >= FirstPointKey;
    CheckKeyLine(AnswerKeys, "ANSWER", found, seen, isPoint);
    const char* value = line_ + found.value;
    if (found.key == AnswerTypeKey) {
        type = value;  // an empty value leaves no type
        typeLine = lines_.CurrentLine;
    } else if (isPoint) {
        WarnIf(PointValueWarning(AnswerKeys[found.key], value));
    }
    return true;
}

void Checker::CheckKeyLine(KeyList known, const char* block, LineKey found, KeyLines& seen,
                           bool isPoint) {
    WarnIf(KeyInValueWarning(known, block, found, hits_, line_));
    if (known[found.key] != "text=") {
        WarnIf(RepeatWarning(known[found.key], seen[found.key], lines_.CurrentLine,
                             line_ + found.value, isPoint));
    }
}

// --- Output ------------------------------------------------------------------

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
