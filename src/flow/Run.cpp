#include "flow/Run.h"

#include <string_view>
#include <utility>

#include "flow/QuestionFlow.h"
#include "flow/RunLog.h"
#include "scoring/PickReasons.h"
#include "scoring/RowNames.h"
#include "script/ScriptDocument.h"
#include "text/TextCodec.h"
#include "window/ControlIds.h"
#include "window/WindowWords.h"

namespace kinpath {

static_assert(ChoiceCount == ChoiceButtonCount, "one button for every choice a question offers");

std::optional<Event> EventOfControl(int id) {
    if (id >= IdChoice1 && id < IdChoice1 + ChoiceButtonCount)
        return ChooseEvent(id - IdChoice1 + 1);
    switch (id) {
        case IdOk:
            return Event{EventKind::Ok};
        case IdSkip:
            return Event{EventKind::Skip};
        case IdPrint:
            return Event{EventKind::Print};
        case IdHtml:
            return Event{EventKind::Html};
        case IdExit:
            return Event{EventKind::Exit};
        default:
            return std::nullopt;
    }
}

// The session starts on the document itself: a default one would make an
// empty document first, which the balance report's many runs notice.
Run::Run(std::shared_ptr<const ScriptDocument> document, TranscriptKept kept)
    : state_{.session = Session(std::move(document)), .transcript = Transcript(kept)} {
    // Room for a choice and its OK on every question, as most runs go.
    events_.reserve(2 * state_.session.Document().Questions().size());
    const std::vector<std::string>& greeting = state_.session.Texts().greeting;
    if (greeting.empty()) {
        AppendTranscriptLine(state_.transcript, "Answer the questions.");
        AppendTranscriptLine(state_.transcript, "Skip any that you don't want to answer.");
        AppendTranscriptLine(state_.transcript, "At the end you will be given the answer!");
    }
    for (const std::string& line : greeting) AppendTranscriptLine(state_.transcript, line);
    // The OK the window sends itself once set up: it records nothing and
    // shows the first question.
    OkCommand(state_);
}

Run::Run(std::vector<Box> refusal) {
    state_.loaded = false;
    for (Box& box : refusal) state_.boxes.push_back({std::move(box), AfterBox::Nothing, true});
    if (state_.boxes.empty()) {
        state_.ended = true;
    } else {
        state_.boxes.back().then = AfterBox::Close;
    }
}

std::optional<std::size_t> Run::QuestionIndex() const {
    if (state_.session.CurrentQuestion() == nullptr) return std::nullopt;
    return state_.session.QuestionCursor();
}

Step Run::Apply(const Event& event) {
    if (state_.ended) return {};
    if (!state_.boxes.empty()) {
        // A box is modal: only its answer gets through.
        if (event.kind != EventKind::Answer) return {};
        if (state_.boxes.front().ofRun) Record(event);
        ContinueAfterBox(state_, static_cast<BoxResult>(event.value));
        return {true, state_.ended ? Effect::End : Effect::None};
    }
    return Dispatch(event);
}

Step Run::Dispatch(const Event& event) {
    const bool asking = state_.loaded && !state_.resultsLayout;
    const bool results = state_.loaded && state_.resultsLayout;
    switch (event.kind) {
        case EventKind::Choose: {
            const QuestionBlock* question = state_.session.CurrentQuestion();
            if (!asking || question == nullptr || event.value < 1 ||
                static_cast<std::size_t>(event.value) >
                    state_.session.Document().OfferedChoices(*question).size())
                return {};
            state_.checked = event.value;
            state_.okEnabled = true;
            Record(event);
            return {true};
        }
        case EventKind::Ok:
            if (!asking || !state_.okEnabled) return {};
            Record(event);
            OkCommand(state_);
            return {true};
        case EventKind::Skip:
            if (!asking) return {};
            Record(event);
            NextQuestion(state_);
            return {true};
        case EventKind::Print:
            return {results, results ? Effect::Print : Effect::None};
        case EventKind::Html:
            return {results, results ? Effect::SaveHtml : Effect::None};
        case EventKind::Exit:
            if (asking && askBeforeLeaving_) {
                const Box leave{BoxOwner::Dialog, LeaveQuestion, "Kinpath", BoxButtons::LeaveStay};
                state_.boxes.push_back({leave, AfterBox::Leave, false});
                return {true};
            }
            state_.ended = true;
            return {true, Effect::End};
        case EventKind::Answer:
            break;
    }
    return {};
}

void Run::Record(const Event& event) {
    // Choosing again before OK replaces the choice: only the last one counts.
    if (event.kind == EventKind::Choose && !events_.empty() &&
        events_.back().kind == EventKind::Choose) {
        events_.back() = event;
        return;
    }
    events_.push_back(event);
}

void Run::Notify(Box box) {
    if (state_.ended) return;
    state_.boxes.push_back({std::move(box), AfterBox::Nothing, false});
}

std::optional<std::size_t> Run::LastStep() const {
    for (std::size_t i = events_.size(); i-- > 0;) {
        if (IsStep(events_[i])) return i;
    }
    return std::nullopt;
}

bool Run::CanGoBack() const { return LastStep().has_value(); }

std::vector<Event> Run::EventsBeforeLastStep() const {
    const std::optional<std::size_t> last = LastStep();
    if (!last) return events_;
    return {events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(*last)};
}

Run Run::Replay(std::shared_ptr<const ScriptDocument> document, std::span<const Event> events,
                std::size_t stopAt) {
    Run run(std::move(document));
    for (const Event& event : events) {
        const std::optional<std::size_t> at = run.QuestionIndex();
        if ((at && *at >= stopAt) || !run.Apply(event).accepted) break;
    }
    return run;
}

namespace {

bool SameText(const ScriptDocument& a, ScriptText ta, const ScriptDocument& b, ScriptText tb) {
    return a.Text(ta) == b.Text(tb);
}

bool SameQuestion(const ScriptDocument& a, const QuestionBlock& qa, const ScriptDocument& b,
                  const QuestionBlock& qb) {
    if (!SameText(a, qa.name, b, qb.name)) return false;
    const auto choicesA = a.Choices(qa), choicesB = b.Choices(qb);
    if (choicesA.size() != choicesB.size()) return false;
    for (std::size_t i = 0; i < choicesA.size(); ++i) {
        if (!SameText(a, choicesA[i], b, choicesB[i])) return false;
    }
    const auto answersA = a.Answers(qa), answersB = b.Answers(qb);
    if (answersA.size() != answersB.size()) return false;
    for (std::size_t i = 0; i < answersA.size(); ++i) {
        if (!SameText(a, answersA[i].type, b, answersB[i].type) ||
            !SameText(a, answersA[i].explanation, b, answersB[i].explanation) ||
            a.Points(answersA[i]) != b.Points(answersB[i]))
            return false;
    }
    return true;
}

}  // namespace

std::size_t FirstChangedQuestion(const ScriptDocument& before, const ScriptDocument& now) {
    const auto a = before.Questions(), b = now.Questions();
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && SameQuestion(before, a[i], now, b[i])) ++i;
    return i;
}

namespace {

// FNV-1a over lengths and bytes, so that no two lists of texts read alike.
class Fingerprint {
public:
    void Number(std::uint64_t n) {
        for (int i = 0; i < 8; ++i) Byte(static_cast<unsigned char>(n >> (8 * i)));
    }
    void Text(std::string_view text) {
        Number(text.size());
        for (const char c : text) Byte(static_cast<unsigned char>(c));
    }
    std::uint64_t Value() const { return hash_; }

private:
    void Byte(unsigned char b) { hash_ = (hash_ ^ b) * 1099511628211u; }
    std::uint64_t hash_ = 14695981039346656037u;
};

std::uint64_t QuestionFingerprint(const ScriptDocument& document, const QuestionBlock& question) {
    Fingerprint f;
    f.Text(document.Text(question.name));
    const auto choices = document.Choices(question);
    f.Number(choices.size());
    for (const ScriptText choice : choices) f.Text(document.Text(choice));
    const auto answers = document.Answers(question);
    f.Number(answers.size());
    for (const AnswerBlock& answer : answers) {
        f.Text(document.Text(answer.type));
        f.Text(document.Text(answer.explanation));
        for (const std::int32_t value : document.Points(answer))
            f.Number(static_cast<std::uint32_t>(value));
    }
    return f.Value();
}

}  // namespace

std::vector<std::uint64_t> QuestionFingerprints(const ScriptDocument& document) {
    std::vector<std::uint64_t> prints;
    for (const QuestionBlock& question : document.Questions())
        prints.push_back(QuestionFingerprint(document, question));
    return prints;
}

std::size_t FirstChangedQuestion(std::span<const std::uint64_t> before, const ScriptDocument& now) {
    const auto questions = now.Questions();
    std::size_t i = 0;
    while (i < before.size() && i < questions.size() &&
           before[i] == QuestionFingerprint(now, questions[i]))
        ++i;
    return i;
}

namespace {

// A game of one table names no class.
Verdict MakeVerdict(const Session& session, const BestPick& pick) {
    const Game& game = session.PlayedGame();
    Verdict verdict{std::string(RaceName(game, pick.race)),
                    game.tables[1].empty() ? "" : std::string(ClassName(game, pick.cls)),
                    session.Texts().words,
                    {},
                    {},
                    {},
                    {}};
    // "Unknown" is no row; a game of one table has no class.
    for (const int row : {pick.race < RaceRowCount ? pick.race : -1,
                          pick.cls < ClassRowCount ? RaceRowCount + pick.cls : -1}) {
        if (HasRow(game, row) && !RowOf(game, row).about.empty())
            verdict.about.push_back(DisplayText(RowName(game, row)) + ": " +
                                    DisplayText(RowOf(game, row).about));
    }
    for (const RankEntry& row : session.RaceTable())
        verdict.races.push_back({std::string(RowName(game, row.row)), row.score});
    for (const RankEntry& row : session.ClassTable())
        verdict.classes.push_back({std::string(RowName(game, row.row)), row.score});
    const SettingsBlock* settings = session.Document().Settings();
    verdict.reasons = ExplainPick(
        game, session.Texts().words, AnsweringOf(session.Document(), session.AnsweredList()),
        session.RaceTable(), session.ClassTable(),
        settings ? settings->preference : Preference::ClassOverRace, pick);
    return verdict;
}

// A declared game's rows name their bars; the bars of rows it lacks are not drawn.
void LabelBars(Screen& screen, const ScriptDocument& document) {
    const Game* game = document.DeclaredGame();
    if (game == nullptr || game->tables[0].empty()) return;
    for (int b = 0; b < BarCount; ++b) {
        ControlView& label = *screen.Control(IdFirstLabel + b);
        const bool shown = HasRow(*game, b);
        label.text = shown ? std::string(RowName(*game, b)) : "";
        label.visible = shown;
        screen.Control(IdFirstBar + b)->visible = shown;
    }
}

}  // namespace

Screen Run::Render() const {
    Screen screen = TemplateScreen();
    const FlowState& s = state_;
    if (!s.boxes.empty()) screen.box = s.boxes.front().box;
    screen.boxesAnswered = s.boxesAnswered;
    screen.ended = s.ended;
    // A refused script leaves the window as the template made it.
    if (!s.loaded) return screen;

    screen.pane = s.transcript.Text();
    if (!s.session.Texts().title.empty()) screen.caption = s.session.Texts().title;
    screen.tableWords = s.session.Texts().words;
    if (s.session.ClassTable().count == 0) screen.tableWords[1].clear();
    screen.questionCount = static_cast<int>(s.session.Document().Questions().size());
    ControlView& ok = *screen.Control(IdOk);
    ControlView& question = *screen.Control(IdQuestionText);
    if (s.resultsLayout) {
        screen.layout = Layout::Results;
        question.visible = false;
        for (int k = 0; k < ChoiceButtonCount; ++k) {
            ControlView& choice = *screen.Control(IdChoice1 + k);
            choice = {"", false, false, false};
        }
        for (int k = 0; k < BarCount; ++k) {
            screen.Control(IdFirstBar + k)->visible = false;
            screen.Control(IdFirstLabel + k)->visible = false;
        }
        ok.enabled = false;
        screen.Control(IdSkip)->enabled = false;
        screen.Control(IdPrint)->enabled = true;
        screen.Control(IdHtml)->enabled = true;
        if (s.pick) screen.verdict = MakeVerdict(s.session, *s.pick);
        return screen;
    }

    ok.enabled = s.okEnabled;
    const QuestionBlock* current = s.session.CurrentQuestion();
    const ScriptDocument& document = s.session.Document();
    question.text = current ? DisplayText(document.Text(current->name)) : "";
    question.visible = current != nullptr;
    const auto offered =
        current ? document.OfferedChoices(*current) : std::span<const ScriptText>{};
    for (int k = 0; k < ChoiceButtonCount; ++k) {
        ControlView& choice = *screen.Control(IdChoice1 + k);
        const auto n = static_cast<std::size_t>(k);
        // A choice the question does not fill shows as an empty, disabled button.
        choice.text = n < offered.size() ? DisplayText(document.Text(offered[n])) : "";
        choice.enabled = n < offered.size();
        choice.checked = s.checked == k + 1;
    }
    if (current) screen.questionNumber = static_cast<int>(s.session.QuestionCursor()) + 1;
    LabelBars(screen, document);
    return screen;
}

}  // namespace kinpath
