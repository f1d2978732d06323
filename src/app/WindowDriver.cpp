#include "app/WindowDriver.h"

#include <algorithm>
#include <utility>

#include "app/HtmlExport.h"
#include "app/MainDialog.h"
#include "app/PrintTranscript.h"
#include "flow/RunLog.h"
#include "flow/Transcript.h"
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
    : view_(view), files_(files), sleep_(clock), shown_(TemplateScreen()) {
    shown_.paneLines = UnwrappedLines(shown_.pane);
}

WindowDriver::~WindowDriver() = default;

template <typename F>
void WindowDriver::Exclusive(F f) {
    if (busy_) return;
    busy_ = true;
    f();
    // Input that came while the print dialog is asked waits for its answer.
    while (!pending_.empty() && run_ && !asking_) {
        const Event next = pending_.front();
        pending_.pop_front();
        Process(next);
    }
    if (!asking_) pending_.clear();
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
    // A print dialog asked for the run before is answered for nobody.
    if (std::exchange(asking_, false)) pending_.clear();
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
    if (InputWaits()) {
        pending_.push_back(event);
        return {};
    }
    Step step;
    Exclusive([&] { step = Process(event); });
    return step;
}

void WindowDriver::Answer(BoxResult answer) { Feed(AnswerEvent(answer)); }

void WindowDriver::PaneLaidOut(std::vector<PaneLine> lines) { shown_.paneLines = std::move(lines); }

void WindowDriver::Selected(PaneSelection selection) { shown_.selection = selection; }

void WindowDriver::Printed(std::unique_ptr<PrintSurface> surface) {
    if (!std::exchange(asking_, false)) return;
    const auto print = [&] {
        if (std::optional<Box> notice = PrintTranscript(std::move(surface), shown_, view_)) {
            run_->Notify(std::move(*notice));
            Update();
        }
    };
    // Answered at once, from inside AskPrint, the print is part of the input
    // that asked; answered later, it is input of its own.
    if (busy_) {
        print();
    } else {
        Exclusive(print);
    }
}

void WindowDriver::Close() { Feed({EventKind::Exit}); }

void WindowDriver::Focused(int id) {
    // The focus the driver draws comes back here while it draws: not the
    // user's; and while a box waits, the focus comes back where it was.
    if (!run_ || InputWaits() || Ended() || shown_.box) return;
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
        notice = (files_ ? ExportHtml(shown_, view_, *files_) : ExportHtml(shown_, view_)).notice;
    } else if (effect == Effect::Print) {
        asking_ = true;
        view_.AskPrint(shown_.selection.end != shown_.selection.start);
    }
    if (notice) {
        run_->Notify(std::move(*notice));
        Update();
    }
}

bool WindowDriver::CanGoBack() const {
    // The run's own end: the screen may not show it yet.
    return run_ && !run_->Ended() && !asking_ && !run_->BoxWaiting() && run_->CanGoBack();
}

bool WindowDriver::Back() {
    if (!CanGoBack()) return false;
    Exclusive([&] { Begin(Run::Replay(document_, run_->EventsBeforeLastStep())); });
    return true;
}

bool WindowDriver::Restart() {
    if (!run_ || Ended() || run_->BoxWaiting() || !run_->State().loaded || InputWaits())
        return false;
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
    const bool paneChanged = next.pane != shown_.pane;
    if (paneChanged) {
        next.paneLines = UnwrappedLines(next.pane);
    } else {
        next.paneLines = std::move(shown_.paneLines);
        next.selection = shown_.selection;
    }

    // The new screen stands before it is drawn: a view reads it while
    // drawing, and what it reports meanwhile (its laid-out lines) lands in it.
    const Screen before = std::exchange(shown_, std::move(next));
    if (shown_.caption != before.caption) view_.DrawCaption(shown_.caption);
    if (shown_.tableWords != before.tableWords) view_.DrawTableWords(shown_.tableWords);
    if (shown_.layout != before.layout) view_.DrawLayout(shown_.layout);
    for (std::size_t i = 0; i < shown_.controls.size(); ++i) {
        if (shown_.controls[i] != before.controls[i])
            view_.DrawControl(DialogControls[i].id, shown_.controls[i]);
    }
    if (paneChanged) view_.DrawPane(shown_.pane);
    for (int b = 0; b < BarCount; ++b) {
        if (shown_.bars[b] != before.bars[b]) view_.DrawBar(IdFirstBar + b, shown_.bars[b]);
    }
    if (shown_.choiceTabStop != before.choiceTabStop) view_.DrawChoiceTabStop(shown_.choiceTabStop);
    if (shown_.focus != before.focus) view_.DrawFocus(shown_.focus);
    if (shown_.questionNumber != before.questionNumber ||
        shown_.questionCount != before.questionCount)
        view_.DrawProgress(shown_.questionNumber, shown_.questionCount);
    DrawExtras(before);
    // Drawn last: a view that answers a box at once, or ends the program,
    // sees everything else already drawn.
    if (shown_.box != before.box || shown_.boxesAnswered != before.boxesAnswered)
        view_.DrawBox(shown_.box ? &*shown_.box : nullptr);
    if (shown_.ended && !before.ended) {
        StopTimer();
        view_.DrawEnd();
    } else {
        KeepBarsMoving();
    }
}

void WindowDriver::DrawExtras(const Screen& before) {
    // Kept only where asked: it compares the whole run at every event.
    if (keepsTimeline_) kinpath::KeepTimeline(timeline_, run_->Events());
    if (shown_.verdict != before.verdict)
        view_.DrawVerdict(shown_.verdict ? &*shown_.verdict : nullptr);
    shown_.canGoBack = CanGoBack();
    shown_.canGoForward =
        keepsTimeline_ && !run_->Ended() && StepCount(timeline_) > StepCount(run_->Events());
    if (shown_.canGoBack != before.canGoBack || shown_.canGoForward != before.canGoForward)
        view_.DrawSteps(shown_.canGoBack, shown_.canGoForward);
}

bool WindowDriver::TravelTo(int depth) {
    if (!run_ || Ended() || depth == StepCount(run_->Events())) return false;
    // Unlike a press, travel is refused rather than kept for later.
    if (InputWaits()) return false;
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
