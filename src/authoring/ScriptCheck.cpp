// The checker's reading: the line walk as the window reads, recovery after an
// error, and the order of the diagnostics. What each diagnostic says, and
// when there is one, is CheckRules' (and CheckErrors').
#include "authoring/ScriptCheck.h"

#include <cstdint>
#include <cstring>
#include <ostream>
#include <utility>

#include "authoring/CheckRules.h"
#include "authoring/Suggest.h"
#include "script/ScriptDocument.h"
#include "script/ScriptKeys.h"
#include "script/ScriptLines.h"

namespace kinpath {

namespace {

using namespace check;

// A question's diagnostics wait for its end, where its name is known; past
// this many the question is read a second time instead.
constexpr std::size_t WaitingLimit = 1024;

// What a line that holds no key does to the reading, besides its error.
enum class Keyless { ReadOn, EndsBlock, StartsAnswer };

// An answer being read.
struct AnswerState {
    std::int64_t line = 0;
    std::string type;
    std::int64_t typeLine = 0;
    KeyLines seen{};
    PointValues points{};
    std::array<std::int64_t, PointSlotCount> keyLines{};
};

class Checker {
public:
    Checker(std::string bytes, const CheckSink& sink)
        : bytes_(std::move(bytes)), lines_(bytes_), sink_(sink) {}
    CheckResult Run();

private:
    // Where a diagnostic goes: out at once (outside questions, or once the
    // question's name is known), waiting for the question's end, or nowhere (a
    // question's first reading, when too many would wait).
    enum class Mode { Out, Wait, Silent };
    // Where the reading stands, in the window's lines and the file's.
    struct Place {
        ScriptLines::Position at;
        std::int64_t fileLine;
        int piece;
        bool cut;
    };

    Place Tell() const { return {lines_.Tell(), fileLine_, piece_, inCutLine_}; }
    void Seek(const Place& place) {
        lines_.Seek(place.at);
        fileLine_ = place.fileLine;
        piece_ = place.piece;
        inCutLine_ = place.cut;
    }
    bool ReadPiece(char* into);
    template <typename Take>
    void LookAhead(Take take);
    bool HasQuestion();
    bool Next();
    void WarnCutLine();
    void Hold() { held_ = true; }
    LineKey KeyOf(KeyList known) {
        hits_.clear();
        return FindLineKey(known, line_, &hits_);
    }

    void TopLevel();
    void WarnIgnoredLines();
    void SettingsOrFinal(const char* tag);
    void Question();
    void ReadQuestion();
    void QuestionLine(QuestionInfo& question, LineKey found);
    bool Answer(QuestionInfo& question);
    bool AnswerLine(AnswerState& answer);
    void EndAnswer(QuestionInfo& question, const AnswerState& answer);
    Keyless KeylessLine(Block block, KeyList known, std::string_view tag, std::int64_t opened);
    void CheckKeyLine(KeyList known, const char* block, LineKey found, KeyLines& seen,
                      bool isPoint);
    void VerdictBefore(std::int64_t line);

    // Diagnostics on the line just read; one on the rest of a cut line says so.
    std::string OnThisLine(std::string text) const {
        return piece_ > 0 ? RestOfLongLine(piece_, written_) + text : text;
    }
    void ErrorHere(std::string text, const std::string& window) {
        Report(CheckSeverity::Error, fileLine_, lines_.CurrentLine, OnThisLine(text) + window);
    }
    void WarnHere(std::string text) {
        Report(CheckSeverity::Warning, fileLine_, 0, OnThisLine(std::move(text)));
    }
    void WarnIf(std::optional<std::string> text) {
        if (text) WarnHere(std::move(*text));
    }
    // At the end of the file, on its last line.
    void ErrorAtEnd(const std::string& text, const std::string& window) {
        Report(CheckSeverity::Error, std::max<std::int64_t>(fileLine_, 1), lines_.CurrentLine,
               text + window);
    }
    void Report(CheckSeverity severity, std::int64_t line, std::int64_t windowLine,
                std::string text);
    void Emit(CheckSeverity severity, std::int64_t line, std::int64_t windowLine, std::string text);
    const std::string& Subject();

    const std::string bytes_;
    ScriptLines lines_;
    const CheckSink& sink_;
    char line_[LineBufferSize] = {};     // trimmed, its key part lowered once looked at
    char written_[LineBufferSize] = {};  // trimmed, as written
    bool held_ = false;
    std::int64_t fileLine_ = 0;  // the line as an editor counts it
    int piece_ = 0;              // which piece of a cut line (0: its start)
    bool inCutLine_ = false;     // the last piece read filled the buffer
    std::vector<KeyHit> hits_;

    Mode mode_ = Mode::Out;
    std::string subject_;                      // the block being read, for the diagnostics' text
    const QuestionInfo* subjectOf_ = nullptr;  // a question's, worded when first needed
    std::vector<Pending> waiting_;             // a question's, until its name is known
    bool rereading_ = false;                   // the first reading has the question's answers
    bool noQuestionDue_ = false;
    CheckResult result_;
    int questions_ = 0;

    // The question being read, and the one read whole whose verdict is given:
    // they trade places, so that neither is copied.
    std::array<QuestionInfo, 2> questionInfos_;
    QuestionInfo* question_ = &questionInfos_[0];
    QuestionInfo* judged_ = &questionInfos_[1];
    QuestionVerdict verdict_;
    TotalsReach reach_;

    std::int64_t settingsLine_ = 0;
    std::int64_t finalLine_ = 0;
};

// The window's next line as ReadScriptLine gives it, counting the file's
// lines: a cut line's further pieces are the same line of the file, and the
// empty line the window reads after a final line feed is none.
bool Checker::ReadPiece(char* into) {
    const bool atEnd = lines_.Tell().offset == bytes_.size();
    if (!lines_.ReadScriptLine(into, LineBufferSize)) return false;
    if (inCutLine_) {
        ++piece_;
    } else {
        piece_ = 0;
        if (!atEnd) ++fileLine_;
    }
    inCutLine_ = lines_.LastLength() == PieceLength;
    return true;
}

// Reads on without a word, handing each line the window would read (trimmed)
// to take until it returns false, then goes back to where it was.
template <typename Take>
void Checker::LookAhead(Take take) {
    const Place start = Tell();
    char line[LineBufferSize];
    while (ReadPiece(line)) {
        TrimLine(line);
        if (line[0] != '\0' && line[0] != '#' && !take(line)) {
            break;
        }
    }
    Seek(start);
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
    while (ReadPiece(line_)) {
        const std::size_t stored = lines_.LastLength();
        if (piece_ == 0 && stored == PieceLength) WarnCutLine();
        const bool zeroByte = std::strlen(line_) < stored;
        TrimLine(line_);
        std::strcpy(written_, line_);
        if (zeroByte && line_[0] != '#') {
            WarnHere(ZeroByteWarning(line_));
        }
        if (line_[0] != '\0' && line_[0] != '#') {
            return true;
        }
    }
    return false;
}

// On a line's first piece: how long the whole line is, and where its rest starts.
void Checker::WarnCutLine() {
    const Place start = Tell();
    std::size_t length = lines_.LastLength();
    char rest[LineBufferSize] = {};
    char piece[LineBufferSize];
    while (inCutLine_ && ReadPiece(piece)) {
        if (length == PieceLength) std::memcpy(rest, piece, sizeof rest);
        length += lines_.LastLength();
    }
    Seek(start);
    WarnHere(CutLineWarning(length, rest));
}

CheckResult Checker::Run() {
    noQuestionDue_ = !HasQuestion();
    TopLevel();
    if (noQuestionDue_) {
        noQuestionDue_ = false;
        Emit(CheckSeverity::Warning, 1, 0, NoQuestionWarning);
    }
    result_.questions = questions_;
    return std::move(result_);
}

void Checker::Report(CheckSeverity severity, std::int64_t line, std::int64_t windowLine,
                     std::string text) {
    if (mode_ == Mode::Silent) {
        return;
    }
    if (mode_ == Mode::Wait) {
        if (waiting_.size() == WaitingLimit) {
            mode_ = Mode::Silent;
            waiting_.clear();
        } else {
            waiting_.push_back({line, severity, std::move(text), windowLine});
        }
        return;
    }
    if (!Subject().empty()) {
        text = subject_ + ": " + text;
    }
    VerdictBefore(line);
    Emit(severity, line, windowLine, std::move(text));
}

void Checker::Emit(CheckSeverity severity, std::int64_t line, std::int64_t windowLine,
                   std::string text) {
    if (noQuestionDue_ && line > 1) {
        noQuestionDue_ = false;
        Emit(CheckSeverity::Warning, 1, 0, NoQuestionWarning);
    }
    (severity == CheckSeverity::Error ? result_.errors : result_.warnings) += 1;
    sink_({line, severity, std::move(text), windowLine});
}

// Most questions have no diagnostic: theirs is worded only for the first.
const std::string& Checker::Subject() {
    if (subjectOf_ != nullptr && subject_.empty()) {
        subject_ = "question " + std::to_string(questions_);
        if (subjectOf_->name.empty()) {
            subject_ += " (no name)";
        } else {
            subject_ += ' ';
            subject_ += Quote(subjectOf_->name);
        }
    }
    return subject_;
}

// Gives the verdict's warnings on lines before `line`, in line order.
void Checker::VerdictBefore(std::int64_t line) {
    while (std::optional<Pending> due = verdict_.NextBefore(line)) {
        Emit(due->severity, due->line, 0, Subject() + ": " + due->text);
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
    std::int64_t last = fileLine_;
    LookAhead([&](const char* line) {
        if (FindTag(line, BlockTags) != nullptr) return false;
        count += fileLine_ != last;
        last = fileLine_;
        return true;
    });
    WarnHere(IgnoredLinesWarning(count, last, written_));
}

// --- SETTINGS and FINAL ----------------------------------------------------

void Checker::SettingsOrFinal(const char* tag) {
    const bool settings = std::strcmp(tag, "SETTINGS") == 0;
    const Block block = settings ? Block::Settings : Block::Final;
    const std::int64_t start = fileLine_;
    subject_ = std::string(tag) + " block";
    std::int64_t& previous = settings ? settingsLine_ : finalLine_;
    if (previous != 0) {
        WarnHere(SecondBlockWarning(tag, previous));
    }
    previous = start;
    const KeyList known = settings ? KeyList(SettingsKeys) : KeyList(FinalKeys);
    KeyLines seen{};
    bool open = true;
    while (open && Next()) {
        if (IsEndTag(line_, tag)) {
            subject_.clear();
            return;
        }
        if (line_[0] == '<' && FindTag(line_, BlockTags) != nullptr) {
            ErrorHere(UnclosedError(tag, start, 0, written_),
                      WindowSays(block, line_, lines_.CurrentLine));
            Hold();
            subject_.clear();
            return;
        }
        LowerKey(line_);
        const LineKey found = KeyOf(known);
        if (found.key == NoKey) {
            open = KeylessLine(block, known, tag, start) != Keyless::EndsBlock;
            continue;
        }
        CheckKeyLine(known, tag, found, seen, false);
        const char* value = line_ + found.value;
        if (settings) {
            WarnIf(PreferenceWarning(value));
        } else if (std::optional<std::string> error = RecapError(value)) {
            ErrorHere(std::move(*error), WindowSays(block, line_, lines_.CurrentLine));
        }
    }
    if (open)
        ErrorAtEnd(UnclosedError(tag, start, 0, ""), WindowSaysAtEnd(false, lines_.CurrentLine));
    subject_.clear();
}

// A line of the block that holds none of its keys: an error worded by what
// the line looks like. A line shaped like an end tag is taken for the block's
// own, and one shaped like <ANSWER> in a question for that.
Keyless Checker::KeylessLine(Block block, KeyList known, std::string_view tag,
                             std::int64_t opened) {
    const std::string window = WindowSays(block, line_, lines_.CurrentLine);
    const std::optional<TagShape> shape = ShapeOfTag(written_);
    if (!shape) {
        ErrorHere(NoKeyError(block, known, line_, written_), window);
        return Keyless::ReadOn;
    }
    if (shape->end) {
        if (block == Block::Question && shape->name == "ANSWER") {
            ErrorHere(StrayEndError(written_), window);
            return Keyless::ReadOn;
        }
        ErrorHere(MisspeltEndError(written_, tag, opened), window);
        return Keyless::EndsBlock;
    }
    std::string_view meant;
    if (block == Block::Question) meant = NearestTag(*shape, {"ANSWER"}).value_or("");
    ErrorHere(UnknownTagError(written_, block, meant), window);
    return meant.empty() ? Keyless::ReadOn : Keyless::StartsAnswer;
}

// --- QUESTION ----------------------------------------------------------------

// A question's diagnostics name it, and its name= may come last; its verdict
// (choices without answer, answers never reached) goes between them by line.
void Checker::Question() {
    ++questions_;
    const Place start = Tell();
    mode_ = Mode::Wait;
    ReadQuestion();
    std::swap(question_, judged_);
    subjectOf_ = judged_;
    verdict_.Start(*judged_, reach_);
    if (mode_ == Mode::Silent) {
        // Too many to wait: read it again, now that its name is known.
        Seek(start);
        held_ = false;
        mode_ = Mode::Out;
        rereading_ = true;
        ReadQuestion();
        rereading_ = false;
    } else {
        mode_ = Mode::Out;
        for (Pending& pending : waiting_) {
            Report(pending.severity, pending.line, pending.windowLine, std::move(pending.text));
        }
        waiting_.clear();
    }
    VerdictBefore(INT64_MAX);
    subjectOf_ = nullptr;
    subject_.clear();
}

void Checker::ReadQuestion() {
    QuestionInfo& question = *question_;
    question.line = fileLine_;
    question.name.clear();
    question.choiceCount = 0;
    question.choices.clear();
    question.answers.clear();
    question.typeTexts.clear();
    question.keys.fill(0);
    for (ReachedAnswer& reached : question.reached) {
        if (reached.line != 0) reached = {};
    }
    while (Next()) {
        if (line_[0] == '<') {  // tags are tested first, as the window does
            if (IsEndTag(line_, "QUESTION")) return;
            if (FindTag(line_, AnswerTags) != nullptr) {
                if (!Answer(question)) return;
                continue;
            }
            if (FindTag(line_, BlockTags) != nullptr) {
                ErrorHere(UnclosedError("QUESTION", question.line, 0, written_),
                          WindowSays(Block::Question, line_, lines_.CurrentLine));
                Hold();
                return;
            }
        }
        LowerKey(line_);
        const LineKey found = KeyOf(QuestionKeys);
        if (found.key != NoKey) {
            QuestionLine(question, found);
            continue;
        }
        const Keyless keyless =
            KeylessLine(Block::Question, KeyList(QuestionKeys).first(3), "QUESTION", question.line);
        if (keyless == Keyless::EndsBlock) return;
        if (keyless == Keyless::StartsAnswer && !Answer(question)) return;
    }
    ErrorAtEnd(UnclosedError("QUESTION", question.line, 0, ""),
               WindowSaysAtEnd(false, lines_.CurrentLine));
}

void Checker::QuestionLine(QuestionInfo& question, LineKey found) {
    CheckKeyLine(QuestionKeys, "QUESTION", found, question.keys, false);
    const char* value = line_ + found.value;
    if (found.key == QuestionNameKey) {
        question.name = value;
        WarnIf(CutQuestionWarning(value));
    } else if (found.key == QuestionTextKey && value[0] != '\0') {
        const std::size_t number = ++question.choiceCount;
        if (number > ShownChoices) {
            WarnHere(HiddenChoiceWarning(number, value));
        } else {
            question.choices.push_back({value, fileLine_});
            WarnIf(CutChoiceWarning(value, number));
        }
    }
}

// --- ANSWER ------------------------------------------------------------------

// Reads an answer to its end tag; a start tag, a </QUESTION> or the end of the
// file ends it too, after an error. Returns whether the question goes on.
bool Checker::Answer(QuestionInfo& question) {
    AnswerState answer;
    answer.line = fileLine_;
    while (Next()) {
        if (IsEndTag(line_, "ANSWER")) {
            EndAnswer(question, answer);
            return true;
        }
        const bool tag = line_[0] == '<';
        const bool nested = tag && FindTag(line_, AnswerTags) != nullptr;
        const bool questionEnds = tag && IsEndTag(line_, "QUESTION");
        const bool blockStarts = tag && FindTag(line_, BlockTags) != nullptr;
        if (nested || questionEnds || blockStarts) {
            ErrorHere(
                UnclosedError("ANSWER", answer.line, blockStarts ? question.line : 0, written_),
                WindowSays(Block::Answer, line_, lines_.CurrentLine));
            EndAnswer(question, answer);
            if (!questionEnds) Hold();
            return nested;
        }
        LowerKey(line_);
        if (!AnswerLine(answer) &&
            KeylessLine(Block::Answer, AnswerKeys, "ANSWER", answer.line) == Keyless::EndsBlock) {
            EndAnswer(question, answer);
            return true;
        }
    }
    ErrorAtEnd(UnclosedError("ANSWER", answer.line, question.line, ""),
               WindowSaysAtEnd(true, lines_.CurrentLine));
    EndAnswer(question, answer);
    return false;
}

bool Checker::AnswerLine(AnswerState& answer) {
    const LineKey found = KeyOf(AnswerKeys);
    if (found.key == NoKey) {
        return false;
    }
    const bool isPoint = found.key >= FirstPointKey;
    CheckKeyLine(AnswerKeys, "ANSWER", found, answer.seen, isPoint);
    const char* value = line_ + found.value;
    if (found.key == AnswerTypeKey) {
        answer.type = value;  // an empty value leaves no type
        answer.typeLine = fileLine_;
    } else if (isPoint) {
        WarnIf(PointValueWarning(AnswerKeys[found.key], value));
        if (value[0] != '\0') {  // an empty value leaves the points as they were
            const PointSlot slot = AnswerPointKeys[found.key - FirstPointKey].slot;
            answer.points[slot] = ReadPointValue(value);
            answer.keyLines[slot] = fileLine_;
        }
    }
    return true;
}

void Checker::EndAnswer(QuestionInfo& question, const AnswerState& answer) {
    if (rereading_) {
        return;  // the first reading has it
    }
    AnswerInfo info{answer.line, answer.typeLine, question.typeTexts.size()};
    info.typeLength = static_cast<std::uint16_t>(answer.type.size());
    info.choice = ChoiceOfType(answer.type);
    question.typeTexts += answer.type;
    question.answers.push_back(info);
    if (info.choice != 0 && question.reached[info.choice - 1u].line == 0) {
        question.reached[info.choice - 1u] = {answer.line, answer.points, answer.keyLines};
    }
}

void Checker::CheckKeyLine(KeyList known, const char* block, LineKey found, KeyLines& seen,
                           bool isPoint) {
    WarnIf(KeyInValueWarning(known, block, found, hits_, line_));
    if (known[found.key] != "text=") {
        WarnIf(RepeatWarning(known[found.key], seen[found.key], fileLine_, line_ + found.value,
                             isPoint));
    }
}

}  // namespace

CheckResult CheckScript(std::string bytes, const CheckSink& sink) {
    return Checker(std::move(bytes), sink).Run();
}

}  // namespace kinpath
