#include "app/WindowDriver.h"

#include <algorithm>
#include <utility>

#include "app/HtmlExport.h"
#include "app/MainDialog.h"
#include "app/PrintTranscript.h"
#include "flow/RunLog.h"
#include "platform/Files.h"
#include "script/ScriptDocument.h"
#include "text/TextCodec.h"
#include "window/ControlIds.h"

namespace kinpath {

namespace {

// The box after a replay that stopped short of the answers given: on a
// question, or on the results when the script now ends before them.
Box PreviewStopped(const std::string& scriptPath, int question, bool onResults) {
    std::string text = DisplayText(scriptPath) + " was read again.\r\n";
    if (onResults) {
        text += question == 0 ? "It has no questions now, so the results are empty."
                              : "It now ends after question " + std::to_string(question) +
                                    ": the results count your answers up to it.";
        text +=
            "\r\nYour other answers were kept: they come back when it is read again with "
            "its questions.";
    } else {
        text += question <= 1 ? "It has changed from question 1 on, so the questions start again."
                              : "It has changed from question " + std::to_string(question) +
                                    " on: your answers before it were kept.";
    }
    return {BoxOwner::Dialog, text, "Kinpath", BoxButtons::Ok};
}

}  // namespace

WindowDriver::WindowDriver(View& view, const Clock& clock, FileSystem* files)
    : view_(view), files_(files), sleep_(clock), shown_(TemplateScreen()) {}

WindowDriver::~WindowDriver() = default;

template <typename F>
void WindowDriver::Exclusive(F f) {
    if (busy_) return;
    busy_ = true;
    f();
    while (!pending_.empty() && run_) {
        const Event next = pending_.front();
        pending_.pop_front();
        Process(next);
    }
    pending_.clear();
    busy_ = false;
}

bool WindowDriver::Start(const std::string& scriptPath) {
    auto document = std::make_shared<ScriptDocument>();
    const LoadOutcome outcome = LoadScript(*document, scriptPath);
    if (!outcome.loaded) {
        Refuse(scriptPath, outcome);
        return false;
    }
    Resume(std::move(document), scriptPath, {});
    return true;
}

void WindowDriver::Refuse(const std::string& scriptPath, const LoadOutcome& outcome) {
    Adopt(std::make_shared<ScriptDocument>(), scriptPath);
    Exclusive([&] { Begin(Run(LoadFailureBoxes(outcome, scriptPath))); });
}

void WindowDriver::Resume(std::shared_ptr<const ScriptDocument> document,
                          const std::string& scriptPath, std::span<const Event> events) {
    Adopt(std::move(document), scriptPath);
    Exclusive([&] { Begin(Replayed(events, SIZE_MAX)); });
}

void WindowDriver::Reload(std::shared_ptr<const ScriptDocument> document,
                          const std::string& scriptPath, GivenAnswers given,
                          std::optional<GivenAnswers> kept) {
    // While the run stands where a replay that stopped short left it, the
    // answers it could not replay are still the player's: a script cut short
    // for a moment (an editor writing it) gives them all back once whole.
    const bool keeping = kept && given.events.size() == kept->replayed &&
                         kept->replayed <= kept->events.size() &&
                         std::equal(given.events.begin(), given.events.end(), kept->events.begin());
    GivenAnswers from = keeping ? std::move(*kept) : std::move(given);
    const std::size_t stopAt = FirstChangedQuestion(from.fingerprints, *document);
    Adopt(std::move(document), scriptPath);
    Exclusive([&] {
        Begin(Replayed(from.events, stopAt));
        from.replayed = run_->Events().size();
        if (from.replayed < from.events.size()) earlier_ = std::move(from);
    });
}

void WindowDriver::Adopt(std::shared_ptr<const ScriptDocument> document,
                         const std::string& scriptPath) {
    scriptPath_ = scriptPath;
    document_ = std::move(document);
    earlier_.reset();
    timeline_.clear();
    running_ = true;
}

Run WindowDriver::Replayed(std::span<const Event> events, std::size_t stopAt) const {
    Run next = Run::Replay(document_, events, stopAt);
    const bool stopped = next.Events().size() < events.size();
    const std::optional<std::size_t> at = next.QuestionIndex();
    if (stopped && at) {
        next.Notify(PreviewStopped(scriptPath_, static_cast<int>(*at) + 1, false));
    } else if (stopped && next.State().resultsLayout) {
        const std::size_t count = document_->Questions().size();
        next.Notify(PreviewStopped(scriptPath_, static_cast<int>(count), true));
    }
    return next;
}

void WindowDriver::Begin(Run run) {
    run_ = std::move(run);
    run_->AskBeforeLeaving(asksBeforeLeaving_);
    // A run replayed at once shows no motion for what it replayed.
    SettleBars(bars_, run_->BarTargets());
    Update();
}

Step WindowDriver::Press(int id) {
    const std::optional<Event> event = EventOfControl(id);
    return event ? Feed(*event) : Step{};
}

Step WindowDriver::Feed(const Event& event) {
    if (!run_ || Ended()) return {};
    if (busy_) {
        pending_.push_back(event);
        return {};
    }
    Step step;
    Exclusive([&] { step = Process(event); });
    return step;
}

void WindowDriver::Answer(BoxResult answer) { Feed(AnswerEvent(answer)); }

void WindowDriver::Close() { Feed({EventKind::Exit}); }

void WindowDriver::Focused(int id) {
    // The focus the driver draws comes back here while it draws: not the
    // user's; and while a box waits, the focus comes back where it was.
    if (!run_ || busy_ || Ended() || shown_.box) return;
    const int focus = ControlIndex(id) >= 0 ? id : 0;
    if (focus == shown_.focus) return;
    // Nothing else changed: the screen stays, and so do the bars and their timer.
    shown_.focus = focus;
    const FocusPlace place = DecideFocus(shown_, shown_, 0);
    if (place.focus != focus) {
        shown_.focus = place.focus;
        view_.DrawFocus(place.focus);
    }
}

KeyDecision WindowDriver::Key(const KeyPress& key) {
    const KeyDecision decision = DecideKey(shown_, key);
    switch (decision.action) {
        case KeyAction::Press:
            Press(decision.id);
            break;
        case KeyAction::Restart:
            Restart();
            break;
        case KeyAction::Back:
            Back();
            break;
        case KeyAction::None:
            break;
    }
    return decision;
}

Step WindowDriver::Process(const Event& event) {
    if (Ended()) return {};
    // A sleeping timer missed ticks that changed nothing on screen; the bars
    // move on by them before the event can change a total.
    if (running_) sleep_.CatchUp(bars_, run_->BarTargets(), intervalMs_);
    const Step step = run_->Apply(event);
    if (!step.accepted) return step;
    Update(event.kind == EventKind::Choose ? IdChoice1 + event.value - 1 : 0);
    Carry(step.effect);
    return step;
}

void WindowDriver::Carry(Effect effect) {
    std::optional<Box> notice;
    if (effect == Effect::SaveHtml) {
        notice = (files_ ? ExportHtml(view_, *files_) : ExportHtml(view_)).notice;
    } else if (effect == Effect::Print) {
        notice = PrintTranscript(view_);
    }
    if (notice) {
        run_->Notify(std::move(*notice));
        Update();
    }
}

bool WindowDriver::CanGoBack() const {
    // The run's own end: the screen may not show it yet.
    return run_ && !run_->Ended() && !run_->BoxWaiting() && run_->CanGoBack();
}

bool WindowDriver::Back() {
    if (!CanGoBack()) return false;
    Exclusive([&] { Begin(Run::Replay(document_, run_->EventsBeforeLastStep())); });
    return true;
}

bool WindowDriver::Restart() {
    if (!run_ || Ended() || run_->BoxWaiting() || !run_->State().loaded || busy_) return false;
    auto document = std::make_shared<ScriptDocument>();
    const LoadOutcome outcome = LoadScript(*document, scriptPath_);
    if (!outcome.loaded) {
        Exclusive([&] {
            for (Box& box : LoadFailureBoxes(outcome, scriptPath_)) run_->Notify(std::move(box));
            Update();
        });
        return false;
    }
    Reload(std::move(document), scriptPath_, {run_->Events(), QuestionFingerprints(*document_), 0},
           earlier_);
    return true;
}

void WindowDriver::Update(int chosen) {
    Screen next = run_->Render();
    for (int b = 0; b < BarCount; ++b) next.bars[b] = bars_.BarShown[SlotForBarIndex(b)];
    const FocusPlace focus = DecideFocus(shown_, next, chosen);
    next.focus = focus.focus;
    next.choiceTabStop = focus.choiceTabStop;

    if (next.layout != shown_.layout) view_.DrawLayout(next.layout);
    for (std::size_t i = 0; i < next.controls.size(); ++i) {
        if (next.controls[i] != shown_.controls[i])
            view_.DrawControl(DialogControls[i].id, next.controls[i]);
    }
    if (next.pane != shown_.pane) view_.DrawPane(next.pane);
    for (int b = 0; b < BarCount; ++b) {
        if (next.bars[b] != shown_.bars[b]) view_.DrawBar(IdFirstBar + b, next.bars[b]);
    }
    if (next.choiceTabStop != shown_.choiceTabStop) view_.DrawChoiceTabStop(next.choiceTabStop);
    if (next.focus != shown_.focus) view_.DrawFocus(next.focus);
    if (next.questionNumber != shown_.questionNumber || next.questionCount != shown_.questionCount)
        view_.DrawProgress(next.questionNumber, next.questionCount);
    DrawExtras(next);
    const bool boxChanged = next.box != shown_.box || next.boxesAnswered != shown_.boxesAnswered;
    const bool ending = next.ended && !shown_.ended;
    shown_ = std::move(next);
    // Drawn last, from the screen as it now stands: a view that answers a box
    // at once, or ends the program, sees everything else already drawn.
    if (boxChanged) view_.DrawBox(shown_.box ? &*shown_.box : nullptr);
    if (ending) {
        StopTimer();
        view_.DrawEnd(ExitCode());
    } else {
        KeepBarsMoving();
    }
}

void WindowDriver::DrawExtras(Screen& next) {
    // Kept only where asked: it compares the whole run at every event.
    if (keepsTimeline_) kinpath::KeepTimeline(timeline_, run_->Events());
    if (next.verdict != shown_.verdict) view_.DrawVerdict(next.verdict ? &*next.verdict : nullptr);
    next.canGoBack = CanGoBack();
    next.canGoForward =
        keepsTimeline_ && !run_->Ended() && StepCount(timeline_) > StepCount(run_->Events());
    if (next.canGoBack != shown_.canGoBack || next.canGoForward != shown_.canGoForward)
        view_.DrawSteps(next.canGoBack, next.canGoForward);
}

bool WindowDriver::TravelTo(int depth) {
    if (!run_ || Ended() || busy_ || depth == StepCount(run_->Events())) return false;
    const std::optional<std::vector<Event>> target =
        EventsToTravel(run_->Events(), timeline_, depth);
    if (!target) return false;
    Exclusive([&] { Begin(Run::Replay(document_, *target)); });
    return true;
}

void WindowDriver::ResumeTimeline(std::vector<Event> timeline) {
    timeline_ = std::move(timeline);
    if (run_) Exclusive([&] { Update(); });
}

void WindowDriver::AskBeforeLeaving() {
    asksBeforeLeaving_ = true;
    if (run_) run_->AskBeforeLeaving(true);
}

void WindowDriver::Tick() {
    if (Ended() || !run_) return;
    if (!ticking_) return;  // a late tick of a timer put to sleep
    const PointValues& totals = run_->BarTargets();
    const std::uint32_t moved = AnimateBars(bars_, totals);
    for (int b = 0; b < BarCount; ++b) {
        if ((moved & (1u << b)) == 0) continue;
        shown_.bars[b] = bars_.BarShown[SlotForBarIndex(b)];
        view_.DrawBar(IdFirstBar + b, shown_.bars[b]);
    }
    if (ticking_ && sleep_.SleepAfterTick(bars_, totals)) {
        ticking_ = false;
        view_.StopTicks();
    }
}

void WindowDriver::KeepBarsMoving() {
    if (running_ && !ticking_ && !BarsOutOfSight(bars_, run_->BarTargets())) StartTicking();
}

void WindowDriver::StartTicking() {
    intervalMs_ = std::max(BarTimerIntervalMs, MinTimerIntervalMs);
    ticking_ = true;
    sleep_.Wake();
    view_.StartTicks(intervalMs_);
}

void WindowDriver::StopTimer() {
    running_ = false;
    if (ticking_) view_.StopTicks();
    ticking_ = false;
}

}  // namespace kinpath
