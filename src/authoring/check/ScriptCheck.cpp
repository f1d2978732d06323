// The checker's reading: the script's lines from its one reader, recovery
// after an error, the order of the diagnostics and how many of a kind go out.
// What each diagnostic says, and when there is one, is CheckRules' (and
// CheckErrors').
#include "authoring/check/ScriptCheck.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "authoring/check/CheckReport.h"
#include "authoring/check/CheckRules.h"
#include "authoring/check/Suggest.h"
#include "script/ScriptDocument.h"
#include "script/ScriptKeys.h"
#include "script/ScriptReader.h"

namespace kinpath {

namespace {

using namespace check;

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
    bool setsPoints = false;  // a point key with a value, even 0
    bool faulty = false;
};

class Checker {
public:
    Checker(std::string_view bytes, const CheckSink& sink, const CheckOptions& options)
        : reader_(bytes), report_(sink, options) {}
    CheckResult Run();

private:
    bool Next();
    void Hold() { held_ = true; }
    // The current line's key among known, noting every key text it holds.
    LineKey KeyOf(KeyList known) {
        hits_.clear();
        return FindLineKey(known, line_.text, &hits_);
    }
    bool IsBlockStart() const {
        return line_.kind == ScriptLine::Kind::StartTag && line_.tag != ScriptTag::Answer;
    }
    bool HasQuestion();
    void WarnCutLine();

    void TopLevel();
    void WarnIgnoredLines();
    void SettingsOrFinal(ScriptTag tag);
    void Question();
    void ReadQuestion(std::int64_t opened);
    void QuestionLine(QuestionInfo& question, LineKey found);
    bool Answer(QuestionInfo& question);
    LineKey AnswerLine(AnswerState& answer);
    void EndAnswer(QuestionInfo& question, const AnswerState& answer);
    Keyless KeylessLine(ScriptTag block, KeyList known, LineKey found, std::int64_t opened);
    void CheckKeyLine(KeyList known, ScriptTag block, LineKey found, KeyLines& seen, bool isPoint);

    bool Wanted(CheckKind kind) const { return report_.Wanted(kind); }
    // A diagnostic of the line just read (or, at the end of the file, of its
    // last line), worded by word only when it goes out.
    template <typename Word>
    void Report(CheckKind kind, CheckSeverity severity, Word word, bool atEnd = false);
    template <typename Word>
    void Warn(CheckKind kind, Word word) {
        Report(kind, CheckSeverity::Warning, word);
    }

    ScriptReader reader_;
    CheckReport report_;
    ScriptLine line_;
    std::string copied_;  // the text of a line whose bytes are the reader's
    bool held_ = false;
    std::vector<KeyHit> hits_;
    bool rereading_ = false;  // the first reading has the question's answers
    int questions_ = 0;

    // The question being read, and the one read whole whose verdict is given:
    // they trade places, so that neither is copied.
    std::array<QuestionInfo, 2> questionInfos_;
    QuestionInfo* question_ = &questionInfos_[0];
    QuestionInfo* judged_ = &questionInfos_[1];
    TotalsReach reach_;

    std::int64_t settingsLine_ = 0;
    std::int64_t finalLine_ = 0;
};

// The window's lines (empty and comment lines skipped), with a note of every
// line cut at the buffer's size or by a zero byte.
bool Checker::Next() {
    if (held_) {
        held_ = false;
        return true;
    }
    while (reader_.Next(line_)) {
        if (line_.copied) {
            // The reader's own bytes: keep them while it reads ahead.
            copied_.assign(line_.text);
            line_.text = copied_;
        }
        if (line_.piece == 0 && line_.Cut()) WarnCutLine();
        if (line_.zeroByte && !line_.text.starts_with('#')) {
            Warn(CheckKind::ZeroByte, [&] { return ZeroByteWarning(line_.text); });
        }
        if (line_.kind != ScriptLine::Kind::Skipped) return true;
    }
    return false;
}

// Whether a QUESTION start tag stands on any line: every one of them starts a
// question, whatever comes before it. Without one, the warning that there is
// none belongs on line 1, before everything after it.
bool Checker::HasQuestion() {
    ScriptReader ahead = reader_;
    ScriptLine line;
    while (ahead.Next(line)) {
        if (line.IsStart(ScriptTag::Question)) return true;
    }
    return false;
}

// On a line's first piece: how long the whole line is, and where its rest starts.
void Checker::WarnCutLine() {
    if (!Wanted(CheckKind::CutLine)) {
        Warn(CheckKind::CutLine, [] { return std::string(); });  // counted only
        return;
    }
    const ScriptReader::Position start = reader_.Tell();
    std::size_t length = line_.stored.size();
    std::string rest;
    ScriptLine piece;
    for (bool cut = true; cut && reader_.Next(piece); cut = piece.Cut()) {
        if (length == PieceLength) {
            rest.assign(piece.stored.substr(0, piece.stored.find('\0')));
        }
        length += piece.stored.size();
    }
    reader_.Seek(start);
    Warn(CheckKind::CutLine, [&] { return CutLineWarning(length, rest); });
}

CheckResult Checker::Run() {
    if (!HasQuestion()) report_.NoQuestionDue();
    TopLevel();
    return report_.Finish(questions_);
}

template <typename Word>
void Checker::Report(CheckKind kind, CheckSeverity severity, Word word, bool atEnd) {
    const std::int64_t line = atEnd ? std::max<std::int64_t>(line_.fileLine, 1) : line_.fileLine;
    const std::int64_t windowLine = severity == CheckSeverity::Error ? reader_.Number() : 0;
    report_.Report(kind, severity, line, windowLine, [&] {
        // One on the rest of a cut line says so.
        if (atEnd || line_.piece == 0) return word();
        return RestOfLongLine(line_.piece, line_.text) + word();
    });
}

// --- Top level -------------------------------------------------------------

void Checker::TopLevel() {
    bool ignoring = false;
    while (Next()) {
        if (!IsBlockStart()) {
            if (!ignoring) WarnIgnoredLines();
            ignoring = true;
            continue;
        }
        ignoring = false;
        if (line_.tag == ScriptTag::Question) {
            Question();
        } else {
            SettingsOrFinal(line_.tag);
        }
    }
}

// One warning for each run of lines the window passes over between blocks, on
// its first line: how far the run goes is looked up first.
void Checker::WarnIgnoredLines() {
    if (!Wanted(CheckKind::IgnoredLines)) {
        Warn(CheckKind::IgnoredLines, [] { return std::string(); });  // counted only
        return;
    }
    std::int64_t count = 1;
    std::int64_t last = line_.fileLine;
    ScriptReader ahead = reader_;
    ScriptLine line;
    while (ahead.Next(line)) {
        if (line.kind == ScriptLine::Kind::Skipped) continue;
        if (line.kind == ScriptLine::Kind::StartTag && line.tag != ScriptTag::Answer) break;
        count += line.fileLine != last;
        last = line.fileLine;
    }
    Warn(CheckKind::IgnoredLines, [&] { return IgnoredLinesWarning(count, last, line_); });
}

// --- SETTINGS and FINAL ----------------------------------------------------

void Checker::SettingsOrFinal(ScriptTag tag) {
    const bool settings = tag == ScriptTag::Settings;
    const std::int64_t start = line_.fileLine;
    report_.SetSubject(std::string(TagName(tag)) + " block");
    std::int64_t& previous = settings ? settingsLine_ : finalLine_;
    if (previous != 0) {
        Warn(CheckKind::SecondBlock, [&] { return SecondBlockWarning(tag, previous); });
    }
    previous = start;
    const KeyList known = settings ? KeyList(SettingsKeys) : KeyList(FinalKeys);
    KeyLines seen{};
    bool open = true;
    while (open && Next()) {
        if (line_.IsEnd(tag)) {
            report_.SetSubject("");
            return;
        }
        if (IsBlockStart()) {
            Report(CheckKind::UnclosedBlock, CheckSeverity::Error, [&] {
                return UnclosedError(tag, start, 0, line_.text) + WindowSays(tag, line_);
            });
            Hold();
            report_.SetSubject("");
            return;
        }
        const LineKey found = KeyOf(known);
        if (found.key == NoKey) {
            open = KeylessLine(tag, known, found, start) != Keyless::EndsBlock;
            continue;
        }
        CheckKeyLine(known, tag, found, seen, false);
        const std::string_view value = line_.text.substr(found.value);
        if (settings && PreferenceHasBlank(value)) {
            Warn(CheckKind::PreferenceBlank, [&] { return PreferenceWarning(value); });
        } else if (!settings && !IsRecap(value)) {
            Report(CheckKind::RecapValue, CheckSeverity::Error,
                   [&] { return RecapError(value) + WindowSays(tag, line_); });
        }
    }
    if (open) {
        Report(
            CheckKind::UnclosedBlock, CheckSeverity::Error,
            [&] {
                return UnclosedError(tag, start, 0, "") + WindowSaysAtEnd(tag, reader_.Number());
            },
            true);
    }
    report_.SetSubject("");
}

// A line of the block that holds none of its keys: an error worded by what
// the line looks like. A line shaped like an end tag is taken for the block's
// own, and one shaped like <ANSWER> in a question for that.
Keyless Checker::KeylessLine(ScriptTag block, KeyList known, LineKey found, std::int64_t opened) {
    const auto error = [&](CheckKind kind, auto word) {
        Report(kind, CheckSeverity::Error, [&] { return word() + WindowSays(block, line_); });
    };
    const auto noKey = [&] {
        error(NoKeyKind(found), [&] { return NoKeyError(block, known, line_.text); });
        return Keyless::ReadOn;
    };
    // Most such lines are no tag: they are told apart first, and cheaply.
    if (line_.text.front() != '<') return noKey();
    const std::optional<TagShape> shape = ShapeOfTag(line_.text);
    if (!shape) return noKey();
    if (shape->end) {
        if (block == ScriptTag::Question && shape->name == TagName(ScriptTag::Answer)) {
            error(CheckKind::StrayEndTag, [&] { return StrayEndError(line_.text); });
            return Keyless::ReadOn;
        }
        error(CheckKind::MisspeltEndTag,
              [&] { return MisspeltEndError(line_.text, block, opened); });
        return Keyless::EndsBlock;
    }
    std::optional<ScriptTag> meant;
    if (block == ScriptTag::Question) meant = NearestTag(*shape, {ScriptTag::Answer});
    error(CheckKind::UnknownTag, [&] { return UnknownTagError(line_.text, block, meant); });
    return meant ? Keyless::StartsAnswer : Keyless::ReadOn;
}

// --- QUESTION ----------------------------------------------------------------

// A question's diagnostics name it, and its name= may come last; its verdict
// (choices without answer, answers never reached) goes between them by line.
void Checker::Question() {
    ++questions_;
    const ScriptReader::Position start = reader_.Tell();
    const std::int64_t opened = line_.fileLine;
    report_.StartQuestion(questions_);
    ReadQuestion(opened);
    std::swap(question_, judged_);
    if (!report_.EndQuestionReading(*judged_, reach_)) {
        // Too many to wait: read it again, now that its name is known.
        reader_.Seek(start);
        held_ = false;
        rereading_ = true;
        ReadQuestion(opened);
        rereading_ = false;
    }
    report_.EndQuestion();
}

void Checker::ReadQuestion(std::int64_t opened) {
    QuestionInfo& question = *question_;
    question.line = opened;
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
        if (line_.IsTag()) {  // tags are tested first, as the window does
            if (line_.IsEnd(ScriptTag::Question)) return;
            if (line_.IsStart(ScriptTag::Answer)) {
                if (!Answer(question)) return;
                continue;
            }
            if (IsBlockStart()) {
                Report(CheckKind::UnclosedBlock, CheckSeverity::Error, [&] {
                    return UnclosedError(ScriptTag::Question, question.line, 0, line_.text) +
                           WindowSays(ScriptTag::Question, line_);
                });
                Hold();
                return;
            }
        }
        const LineKey found = KeyOf(QuestionKeys);
        if (found.key != NoKey) {
            QuestionLine(question, found);
            continue;
        }
        const Keyless keyless =
            KeylessLine(ScriptTag::Question, KeyList(QuestionKeys).first(QuestionTextKey + 1),
                        found, question.line);
        if (keyless == Keyless::EndsBlock) return;
        if (keyless == Keyless::StartsAnswer && !Answer(question)) return;
    }
    Report(
        CheckKind::UnclosedBlock, CheckSeverity::Error,
        [&] {
            return UnclosedError(ScriptTag::Question, question.line, 0, "") +
                   WindowSaysAtEnd(ScriptTag::Question, reader_.Number());
        },
        true);
}

void Checker::QuestionLine(QuestionInfo& question, LineKey found) {
    CheckKeyLine(QuestionKeys, ScriptTag::Question, found, question.keys, false);
    const std::string_view value = line_.text.substr(found.value);
    if (found.key == QuestionNameKey) {
        question.name = value;
        if (const auto length = CutTextLength(value, QuestionTextBudget)) {
            Warn(CheckKind::CutQuestion, [&] { return CutQuestionWarning(*length); });
        }
    } else if (found.key == QuestionTextKey && !value.empty()) {
        const std::size_t number = ++question.choiceCount;
        if (number > ChoiceCount) {
            Warn(CheckKind::HiddenChoice, [&] { return HiddenChoiceWarning(number, value); });
        } else {
            question.choices.push_back({std::string(value), line_.fileLine});
            if (const auto length = CutTextLength(value, ChoiceTextBudget)) {
                Warn(CheckKind::CutChoice, [&] { return CutChoiceWarning(*length, number); });
            }
        }
    }
}

// --- ANSWER ------------------------------------------------------------------

// Reads an answer to its end tag; a start tag, a </QUESTION> or the end of the
// file ends it too, after an error. Returns whether the question goes on.
bool Checker::Answer(QuestionInfo& question) {
    AnswerState answer;
    answer.line = line_.fileLine;
    while (Next()) {
        if (line_.IsEnd(ScriptTag::Answer)) {
            EndAnswer(question, answer);
            return true;
        }
        const bool nested = line_.IsStart(ScriptTag::Answer);
        const bool questionEnds = line_.IsEnd(ScriptTag::Question);
        const bool blockStarts = IsBlockStart();
        if (nested || questionEnds || blockStarts) {
            Report(CheckKind::UnclosedBlock, CheckSeverity::Error, [&] {
                return UnclosedError(ScriptTag::Answer, answer.line,
                                     blockStarts ? question.line : 0, line_.text) +
                       WindowSays(ScriptTag::Answer, line_);
            });
            answer.faulty = true;
            EndAnswer(question, answer);
            if (!questionEnds) Hold();
            return nested;
        }
        if (const LineKey found = AnswerLine(answer); found.key == NoKey) {
            answer.faulty = true;
            if (KeylessLine(ScriptTag::Answer, AnswerKeys, found, answer.line) ==
                Keyless::EndsBlock) {
                EndAnswer(question, answer);
                return true;
            }
        }
    }
    Report(
        CheckKind::UnclosedBlock, CheckSeverity::Error,
        [&] {
            return UnclosedError(ScriptTag::Answer, answer.line, question.line, "") +
                   WindowSaysAtEnd(ScriptTag::Answer, reader_.Number());
        },
        true);
    answer.faulty = true;
    EndAnswer(question, answer);
    return false;
}

// The line's key, and what it sets in the answer.
LineKey Checker::AnswerLine(AnswerState& answer) {
    const LineKey found = KeyOf(AnswerKeys);
    if (found.key == NoKey) {
        return found;
    }
    const bool isPoint = found.key >= FirstPointKey;
    CheckKeyLine(AnswerKeys, ScriptTag::Answer, found, answer.seen, isPoint);
    const std::string_view value = line_.text.substr(found.value);
    if (found.key == AnswerTypeKey) {
        answer.type = value;  // an empty value leaves no type
        answer.typeLine = line_.fileLine;
    } else if (isPoint) {
        if (const auto read = OddPointValue(value)) {
            Warn(CheckKind::PointValue,
                 [&] { return PointValueWarning(AnswerKeys[found.key], value, *read); });
        }
        if (!value.empty()) {  // an empty value leaves the points as they were
            const PointSlot slot = AnswerPointKeys[found.key - FirstPointKey].slot;
            answer.points[slot] = ReadPointValue(value);
            answer.keyLines[slot] = line_.fileLine;
            answer.setsPoints = true;
        }
    }
    return found;
}

void Checker::EndAnswer(QuestionInfo& question, const AnswerState& answer) {
    if (rereading_) {
        return;  // the first reading has it
    }
    AnswerInfo info{answer.line, answer.typeLine, question.typeTexts.size()};
    info.typeLength = static_cast<std::uint16_t>(answer.type.size());
    info.choice = ChoiceOfType(answer.type);
    info.setsPoints = answer.setsPoints;
    info.faulty = answer.faulty;
    question.typeTexts += answer.type;
    question.answers.push_back(info);
    if (info.choice != 0 && question.reached[info.choice - 1u].line == 0) {
        question.reached[info.choice - 1u] = {answer.line, answer.points, answer.keyLines};
    }
}

void Checker::CheckKeyLine(KeyList known, ScriptTag block, LineKey found, KeyLines& seen,
                           bool isPoint) {
    const std::string_view value = line_.text.substr(found.value);
    if (const KeyHit* other = OtherKey(known, found, hits_)) {
        Warn(CheckKind::KeyInValue,
             [&] { return KeyInValueWarning(known, block, found, *other, line_.text); });
    } else if (const auto word = WordAroundKey(known, found, line_.text)) {
        Warn(CheckKind::KeyInWord,
             [&] { return KeyInWordWarning(*word, known[found.key], value); });
    }
    // Choices add up; an empty point value changes nothing.
    if (found.key == QuestionTextKey && block == ScriptTag::Question) return;
    if (isPoint && value.empty()) return;
    const std::int64_t earlier = std::exchange(seen[found.key], line_.fileLine);
    if (earlier != 0) {
        Warn(CheckKind::KeyRepeated,
             [&] { return RepeatWarning(known[found.key], earlier, value, isPoint); });
    }
}

}  // namespace

CheckResult CheckScript(std::string_view bytes, const CheckSink& sink,
                        const CheckOptions& options) {
    return Checker(bytes, sink, options).Run();
}

CheckResult CheckScript(std::string_view bytes, const CheckOptions& options) {
    std::vector<CheckDiagnostic> diagnostics;
    CheckResult result = CheckScript(
        bytes, [&](const CheckDiagnostic& diagnostic) { diagnostics.push_back(diagnostic); },
        options);
    result.diagnostics = std::move(diagnostics);
    return result;
}

}  // namespace kinpath
