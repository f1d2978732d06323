// The checker's reading: a handler of the script's block walk that diagnoses
// each line and reads on where the walk recovers after an error, and how many
// diagnostics of a kind go out.
// What each diagnostic says, and when there is one, is CheckRules' (and
// CheckErrors').
#include "authoring/check/ScriptCheck.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "authoring/check/CheckReport.h"
#include "authoring/check/CheckRules.h"
#include "authoring/check/Suggest.h"
#include "script/BlockWalker.h"
#include "script/GameDeclaration.h"
#include "script/ScriptDocument.h"
#include "script/ScriptKeys.h"
#include "script/ScriptReader.h"

namespace kinpath {

namespace {

using namespace check;

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

// A handler of the block walk that says what is wrong with each line and
// reads on where the walk recovers.
class Checker {
public:
    Checker(std::string_view bytes, const CheckSink& sink, const CheckOptions& options)
        : bytes_(bytes), walker_(bytes, *this), report_(sink, options) {}
    CheckResult Run();
    void WarnUnreachedRows();

private:
    friend class BlockWalker<Checker>;

    bool HasQuestion() const;
    void WarnCutLine();
    void WarnIgnoredLines();
    void StartReading();
    Then SettingsOrFinalLine(ScriptTag block, LineKey found);
    Then GameLine(ScriptTag block, LineKey found);
    // A game's step refused the line (or the end of the file).
    void ReportDeclaration(const std::optional<ScriptError>& error, bool atEnd = false);
    GameDeclaration& Declaration() {
        if (!declaration_) declaration_.emplace(ReadDeclaredNames(bytes_));
        return *declaration_;
    }
    void QuestionLine(QuestionInfo& question, LineKey found);
    void AnswerLine(AnswerState& answer, LineKey found);
    void EndAnswer(QuestionInfo& question, const AnswerState& answer);
    Then KeylessLine(ScriptTag block, KeyList known, LineKey found, std::int64_t opened);
    void CheckKeyLine(KeyList known, ScriptTag block, LineKey found, KeyLines& seen, bool isPoint);
    // The line the block being read opened at.
    std::int64_t Opened(ScriptTag block) const {
        if (block == ScriptTag::Answer) return answer_.line;
        return block == ScriptTag::Question ? question_->line : blockLine_;
    }
    // The block and the QUESTION around it were left open at this line (or,
    // with atEnd, at the end of the file).
    void ReportUnclosed(ScriptTag block, std::int64_t question, bool atEnd);

    // The walk's hooks.
    void Read(const ScriptLine& line);
    void Outside();
    bool Open(ScriptTag block);
    Then Key(ScriptTag block, LineKey found);
    Then Keyless(ScriptTag block, LineKey found);
    bool Cut(ScriptTag block);
    bool EndOfFile(ScriptTag block);
    bool Close(ScriptTag block);
    bool CloseQuestion();
    std::vector<KeyHit>* Hits() { return &hits_; }
    bool EndDeclaration();

    bool Wanted(CheckKind kind) const { return report_.Wanted(kind); }
    // A diagnostic of the line just read (or, at the end of the file, of its
    // last line), worded by word only when it goes out.
    template <typename Word>
    void Report(CheckKind kind, CheckSeverity severity, Word word, bool atEnd = false);
    template <typename Word>
    void Warn(CheckKind kind, Word word) {
        Report(kind, CheckSeverity::Warning, word);
    }

    std::string_view bytes_;
    BlockWalker<Checker> walker_;
    const ScriptLine& line_ = walker_.Line();
    CheckReport report_;
    std::vector<KeyHit> hits_;
    bool ignoring_ = false;   // in a run of lines outside any block
    bool rereading_ = false;  // the first reading has the question's answers
    int questions_ = 0;

    // The question being read, and the one read whole whose verdict is given:
    // they trade places, so that neither is copied.
    std::array<QuestionInfo, 2> questionInfos_;
    QuestionInfo* question_ = &questionInfos_[0];
    QuestionInfo* judged_ = &questionInfos_[1];
    std::int64_t questionLine_ = 0;
    AnswerState answer_;
    TotalsReach reach_;

    // The SETTINGS or FINAL block being read.
    std::int64_t blockLine_ = 0;
    KeyLines seen_{};
    std::int64_t settingsLine_ = 0;
    std::int64_t finalLine_ = 0;
    bool atEnd_ = false;  // the file ended inside the block

    // The game the script declares, and the keys its answers read.
    std::optional<GameDeclaration> declaration_;
    Game game_;
    std::optional<AnswerKeyList> answerKeys_{std::in_place};
};

// Every line the window reads, with a note of every line cut at the buffer's
// size or by a zero byte.
void Checker::Read(const ScriptLine& line) {
    if (line.piece == 0 && line.Cut()) WarnCutLine();
    if (line.zeroByte && !line.text.starts_with('#')) {
        Warn(CheckKind::ZeroByte, [&] { return ZeroByteWarning(line.text); });
    }
}

// Whether a QUESTION start tag stands on any line: every one of them starts a
// question, whatever comes before it. Without one, the warning that there is
// none belongs on line 1, before everything after it.
bool Checker::HasQuestion() const {
    ScriptReader ahead = walker_.Reader();
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
    ScriptReader ahead = walker_.Reader();
    std::size_t length = line_.stored.size();
    std::string rest;
    ScriptLine piece;
    for (bool cut = true; cut && ahead.Next(piece); cut = piece.Cut()) {
        if (length == PieceLength) {
            rest.assign(piece.stored.substr(0, piece.stored.find('\0')));
        }
        length += piece.stored.size();
    }
    Warn(CheckKind::CutLine, [&] { return CutLineWarning(length, rest); });
}

CheckResult Checker::Run() {
    if (!HasQuestion()) report_.NoQuestionDue();
    walker_.Walk();
    WarnUnreachedRows();
    return report_.Finish(questions_);
}

// Said at the end, once every answer is read: which of a declared game's rows
// no answer can raise.
void Checker::WarnUnreachedRows() {
    if (reach_.game != &game_) return;
    std::vector<std::string> names;
    for (int row = 0; row < RowCount; ++row) {
        if (HasRow(game_, row) && reach_.reach.Score(row).high <= 0)
            names.emplace_back(RowName(game_, row));
    }
    if (names.empty()) return;
    Report(
        CheckKind::UnreachedRow, CheckSeverity::Warning,
        [&] { return UnreachedRowsWarning(names); }, true);
}

template <typename Word>
void Checker::Report(CheckKind kind, CheckSeverity severity, Word word, bool atEnd) {
    const std::int64_t line = atEnd ? std::max<std::int64_t>(line_.fileLine, 1) : line_.fileLine;
    const std::int64_t windowLine = severity == CheckSeverity::Error ? walker_.Number() : 0;
    report_.Report(kind, severity, line, windowLine, [&] {
        // One on the rest of a cut line says so.
        if (atEnd || line_.piece == 0) return word();
        return RestOfLongLine(line_.piece, line_.text) + word();
    });
}

// --- Top level -------------------------------------------------------------

// One warning for each run of lines the window passes over between blocks, on
// its first line: how far the run goes is looked up first.
void Checker::Outside() {
    if (!std::exchange(ignoring_, true)) WarnIgnoredLines();
    if (line_.kind == ScriptLine::Kind::StartTag && IsGameTag(line_.tag)) {
        Warn(CheckKind::LateGameTag, [&] { return LateGameTagWarning(line_.tag); });
    }
}

void Checker::WarnIgnoredLines() {
    if (!Wanted(CheckKind::IgnoredLines)) {
        Warn(CheckKind::IgnoredLines, [] { return std::string(); });  // counted only
        return;
    }
    std::int64_t count = 1;
    std::int64_t last = line_.fileLine;
    ScriptReader ahead = walker_.Reader();
    ScriptLine line;
    while (ahead.Next(line)) {
        if (line.kind == ScriptLine::Kind::Skipped) continue;
        if (line.kind == ScriptLine::Kind::StartTag && line.tag != ScriptTag::Answer &&
            (walker_.Declaring() || !IsGameTag(line.tag))) {
            break;
        }
        count += line.fileLine != last;
        last = line.fileLine;
    }
    Warn(CheckKind::IgnoredLines, [&] { return IgnoredLinesWarning(count, last, line_); });
}

// --- Blocks ------------------------------------------------------------------

// A question's diagnostics name it, and its name= may come last; its verdict
// (choices without answer, answers never reached) goes between them by line.
bool Checker::Open(ScriptTag block) {
    ignoring_ = false;
    if (block == ScriptTag::Answer) {
        answer_ = AnswerState();
        answer_.line = line_.fileLine;
        return true;
    }
    if (block == ScriptTag::Question) {
        ++questions_;
        questionLine_ = line_.fileLine;
        report_.StartQuestion(questions_);
        StartReading();
        return true;
    }
    report_.SetSubject(std::string(TagName(block)) + " block");
    blockLine_ = line_.fileLine;
    seen_.fill(0);
    atEnd_ = false;
    if (IsGameTag(block)) {
        ReportDeclaration(Declaration().Open(block, walker_.Number()));
        return true;
    }
    std::int64_t& previous = block == ScriptTag::Settings ? settingsLine_ : finalLine_;
    if (previous != 0) {
        Warn(CheckKind::SecondBlock, [&] { return SecondBlockWarning(block, previous); });
    }
    previous = blockLine_;
    return true;
}

void Checker::StartReading() {
    QuestionInfo& question = *question_;
    question.line = questionLine_;
    question.name.clear();
    question.choiceCount = 0;
    question.choices.clear();
    question.answers.clear();
    question.typeTexts.clear();
    question.keys.fill(0);
    for (ReachedAnswer& reached : question.reached) {
        if (reached.line != 0) reached = {};
    }
}

Then Checker::Key(ScriptTag block, LineKey found) {
    if (block == ScriptTag::Question) {
        QuestionLine(*question_, found);
    } else if (block == ScriptTag::Answer) {
        AnswerLine(answer_, found);
    } else if (IsGameTag(block)) {
        return GameLine(block, found);
    } else {
        return SettingsOrFinalLine(block, found);
    }
    return Then::ReadOn;
}

Then Checker::Keyless(ScriptTag block, LineKey found) {
    KeyList known = walker_.Keys(block);
    if (block == ScriptTag::Question) known = known.first(QuestionTextKey + 1);
    if (block == ScriptTag::Answer) answer_.faulty = true;
    return KeylessLine(block, known, found, Opened(block));
}

// A block's start tag before the block's end tag (and in an ANSWER, an
// <ANSWER> or a </QUESTION>).
bool Checker::Cut(ScriptTag block) {
    const bool question = block == ScriptTag::Answer && walker_.IsBlockStart();
    if (block == ScriptTag::Answer) answer_.faulty = true;
    ReportUnclosed(block, question ? question_->line : 0, false);
    return true;
}

bool Checker::EndOfFile(ScriptTag block) {
    if (block == ScriptTag::Answer) answer_.faulty = true;
    atEnd_ = true;
    ReportUnclosed(block, block == ScriptTag::Answer ? question_->line : 0, true);
    return true;
}

void Checker::ReportUnclosed(ScriptTag block, std::int64_t question, bool atEnd) {
    Report(
        CheckKind::UnclosedBlock, CheckSeverity::Error,
        [&] {
            const std::string_view next = atEnd ? std::string_view() : line_.text;
            return UnclosedError(block, Opened(block), question, next) +
                   (atEnd ? WindowSaysAtEnd(block, walker_.Number()) : WindowSays(block, line_));
        },
        atEnd);
}

bool Checker::Close(ScriptTag block) {
    if (block == ScriptTag::Answer) {
        EndAnswer(*question_, answer_);
        return true;
    }
    if (IsGameTag(block)) ReportDeclaration(Declaration().Close(block, walker_.Number()), atEnd_);
    report_.SetSubject("");
    return true;
}

// From here on a declared game's answers read its keys.
bool Checker::EndDeclaration() {
    if (!declaration_) return true;
    game_ = declaration_->Finish();
    answerKeys_.emplace(game_);
    walker_.SetAnswerKeys(answerKeys_->Keys());
    // Scores sum the game's own totals (a game of no rows plays the built-in ones).
    if (game_.tables[0].empty()) return true;
    reach_.game = &game_;
    reach_.reach = Reach(game_);
    return true;
}

// After its first reading a question is judged; when too many of its
// diagnostics would wait, it is read again, now that its name is known.
bool Checker::CloseQuestion() {
    if (std::exchange(rereading_, false)) {
        report_.EndQuestion();
        return false;
    }
    std::swap(question_, judged_);
    if (report_.EndQuestionReading(*judged_, reach_)) {
        report_.EndQuestion();
        return false;
    }
    rereading_ = true;
    StartReading();
    return true;
}

// --- SETTINGS and FINAL ----------------------------------------------------

Then Checker::SettingsOrFinalLine(ScriptTag block, LineKey found) {
    CheckKeyLine(BlockKeys(block), block, found, seen_, false);
    const std::string_view value = line_.text.substr(found.value);
    if (block == ScriptTag::Settings && PreferenceHasBlank(value)) {
        Warn(CheckKind::PreferenceBlank, [&] { return PreferenceWarning(value); });
    } else if (block == ScriptTag::Final && !IsRecap(value)) {
        Report(CheckKind::RecapValue, CheckSeverity::Error,
               [&] { return RecapError(value) + WindowSays(block, line_); });
    }
    return Then::ReadOn;
}

// --- A game's blocks ----------------------------------------------------------

Then Checker::GameLine(ScriptTag block, LineKey found) {
    CheckKeyLine(walker_.Keys(block), block, found, seen_, false);
    const std::string_view value = line_.text.substr(found.value);
    ReportDeclaration(Declaration().Key(block, found.key, value, walker_.Number()));
    return Then::ReadOn;
}

void Checker::ReportDeclaration(const std::optional<ScriptError>& error, bool atEnd) {
    if (!error) return;
    Report(
        CheckKind::GameRefused, CheckSeverity::Error, [&] { return DeclarationError(*error); },
        atEnd);
}

// A line of the block that holds none of its keys: an error worded by what
// the line looks like. A line shaped like an end tag is taken for the block's
// own, and one shaped like <ANSWER> in a question for that.
Then Checker::KeylessLine(ScriptTag block, KeyList known, LineKey found, std::int64_t opened) {
    const auto error = [&](CheckKind kind, auto word) {
        Report(kind, CheckSeverity::Error, [&] { return word() + WindowSays(block, line_); });
    };
    const auto noKey = [&] {
        error(NoKeyKind(found), [&] {
            return NoKeyError(block, known, line_.text, answerKeys_->Keys(),
                              reach_.game == &game_ ? game_ : BuiltInGame());
        });
        return Then::ReadOn;
    };
    // Most such lines are no tag: they are told apart first, and cheaply.
    if (line_.text.front() != '<') return noKey();
    const std::optional<TagShape> shape = ShapeOfTag(line_.text);
    if (!shape) return noKey();
    if (shape->end) {
        if (block == ScriptTag::Question && shape->name == TagName(ScriptTag::Answer)) {
            error(CheckKind::StrayEndTag, [&] { return StrayEndError(line_.text); });
            return Then::ReadOn;
        }
        error(CheckKind::MisspeltEndTag,
              [&] { return MisspeltEndError(line_.text, block, opened); });
        return Then::EndBlock;
    }
    std::optional<ScriptTag> meant;
    if (block == ScriptTag::Question) meant = NearestTag(*shape, {ScriptTag::Answer});
    error(CheckKind::UnknownTag, [&] { return UnknownTagError(line_.text, block, meant); });
    return meant ? Then::StartAnswer : Then::ReadOn;
}

// --- QUESTION ----------------------------------------------------------------

void Checker::QuestionLine(QuestionInfo& question, LineKey found) {
    CheckKeyLine(QuestionKeys, ScriptTag::Question, found, question.keys, false);
    const std::string_view value = line_.text.substr(found.value);
    if (found.key == QuestionNameKey) {
        question.name = value;
        if (LongerThan(value, QuestionTextBudget)) {
            Warn(CheckKind::CutQuestion, [&] { return CutQuestionWarning(ShownLength(value)); });
        }
    } else if (found.key == QuestionTextKey && !value.empty()) {
        const std::size_t number = ++question.choiceCount;
        if (number > ChoiceCount) {
            Warn(CheckKind::HiddenChoice, [&] { return HiddenChoiceWarning(number, value); });
        } else {
            question.choices.push_back({std::string(value), line_.fileLine});
            if (LongerThan(value, ChoiceTextBudget)) {
                Warn(CheckKind::CutChoice,
                     [&] { return CutChoiceWarning(ShownLength(value), number); });
            }
        }
    }
}

// --- ANSWER ------------------------------------------------------------------

// The line's key, and what it sets in the answer.
void Checker::AnswerLine(AnswerState& answer, LineKey found) {
    const bool isPoint = found.key >= FirstPointKey;
    const KeyList keys = answerKeys_->Keys();
    CheckKeyLine(keys, ScriptTag::Answer, found, answer.seen, isPoint);
    const std::string_view value = line_.text.substr(found.value);
    if (found.key == AnswerTypeKey) {
        answer.type = value;  // an empty value leaves no type
        answer.typeLine = line_.fileLine;
    } else if (isPoint) {
        if (const auto read = OddPointValue(value)) {
            Warn(CheckKind::PointValue,
                 [&] { return PointValueWarning(keys[found.key], value, *read); });
        }
        if (!value.empty()) {  // an empty value leaves the points as they were
            const PointSlot slot = answerKeys_->Slot(found.key);
            answer.points[slot] = ReadPointValue(value);
            answer.keyLines[slot] = line_.fileLine;
            answer.setsPoints = true;
        }
    }
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
        Warn(CheckKind::KeyInWord, [&] {
            return KeyInWordWarning(*word, known[found.key], value, answerKeys_->BuiltIn());
        });
    }
    // Choices add up, and so do a game's lists; an empty point value changes nothing.
    if (found.key == QuestionTextKey && block == ScriptTag::Question) return;
    if (IsGameTag(block) && KeyAddsUp(block, found.key)) return;
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
