// The one window driver every front end builds on. It holds the run (the
// questionnaire machine of flow/Run.h), feeds it the window's input as
// events, draws what changed on the view, carries out the effects (saving,
// printing, ending), animates the bars and paces their timer, sleeping while
// no tick would show. A front end creates the controls, realises the view
// (window/View.h) and reports its input here.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/Keys.h"
#include "flow/BarAnimation.h"
#include "flow/Clock.h"
#include "flow/Run.h"
#include "window/View.h"

namespace kinpath {

class FileSystem;

// The core asks for 1 ms bar ticks and a bar moves one step a tick. Ticks come
// no sooner than this, so a bar climbs at a pace the eye can follow and the
// window stays light on the processor.
inline constexpr int MinTimerIntervalMs = 15;

class WindowDriver {
public:
    // The view and the clock must outlive the driver; files, when given, are
    // where the results page is saved instead of the system's.
    WindowDriver(View& view, const Clock& clock, FileSystem* files = nullptr);
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;
    ~WindowDriver();

    // The window's start-up: loads the script and shows its first question,
    // or the boxes that say why it did not load (the run then ends once they
    // are answered). Whether the script loaded.
    bool Start(const std::string& scriptPath);
    // The same for a script loaded already, which did not load: its boxes.
    void Refuse(const std::string& scriptPath, const LoadOutcome& outcome);
    // A run of a document already loaded, resumed from its events (as far as
    // they apply) at once: the bars stand where the answers leave them.
    void Resume(std::shared_ptr<const ScriptDocument> document, const std::string& scriptPath,
                std::span<const Event> events);
    // A run resumed from answers given on another version of the script (a
    // page reloaded on an edited draft), replayed up to its first changed
    // question, as Restart does. kept: the answers a replay before could not
    // give (Kept()), given back while the run still stands where it left them.
    void Reload(std::shared_ptr<const ScriptDocument> document, const std::string& scriptPath,
                GivenAnswers given, std::optional<GivenAnswers> kept = std::nullopt);

    // A click on a control, or its key; an event. The step it gave: not
    // accepted when the window does not allow it now, nor while an earlier
    // input is still being drawn (it is then carried out right after).
    Step Press(int id);
    Step Feed(const Event& event);
    // The answer to the box the view was last given.
    void Answer(BoxResult answer);
    // The pane's lines as the window laid them out (wrapped at its width): a
    // window that wraps reports them after drawing the pane or the layout and
    // whenever its width changes. Taken at any time, even while drawing.
    void PaneLaidOut(std::vector<PaneLine> lines);
    // The user selected that much of the pane (or moved its caret there).
    void Selected(PaneSelection selection);
    // The answer to the print dialog the view was asked for: the started
    // printer, or null when the user cancelled or no printer could be had.
    void Printed(std::unique_ptr<PrintSurface> surface);
    // The window's close box: Exit.
    void Close();
    // The user moved the keyboard focus (a click, Tab) to that control; 0 for
    // none of the window's. The driver keeps it there while the control is
    // usable.
    void Focused(int id);
    // One of the keys every window shares (app/Keys.h), carried out; what was
    // decided, so that the window can focus a choice a digit pressed.
    KeyDecision Key(const KeyPress& key);
    // A tick of the platform timer.
    void Tick();
    // Takes back the last answer or skip: the run replayed without it, at
    // once. False when there is none (or a box waits).
    bool Back();
    bool CanGoBack() const;
    // --- The run's log (flow/RunLog.h), for a window with a history of its
    // own (the page's Back and Forward in the browser).
    // Goes to the run as it stood at that step depth (0: before the first
    // step), back along the run or forward along the steps taken back since
    // the last new step, replayed at once as Back does. False when there is
    // no such step or the run stands there already.
    bool TravelTo(int depth);
    // The furthest run since the last new step: the events the steps taken
    // back came from.
    const std::vector<Event>& Timeline() const { return timeline_; }
    // A timeline kept from before (a page reloaded on the same script), as
    // far as the run still stands on it.
    void ResumeTimeline(std::vector<Event> timeline);
    // The steps taken back are kept to go forward to, in this run and every
    // run after it; without, travel only goes back.
    void KeepStepsTakenBack() { keepsTimeline_ = true; }
    // Exit among the questions asks first (Run::AskBeforeLeaving), in this
    // run and every run after it.
    void AskBeforeLeaving();

    // Reads the script file again and replays the answers given so far on it,
    // as far as its questions and choices still allow; a box says where it
    // stopped when that was before the last answer. A file that no longer
    // loads shows its errors and changes nothing else: false then.
    bool Restart();

    // What the view shows now.
    const Screen& Shown() const { return shown_; }
    const Run* CurrentRun() const { return run_ ? &*run_ : nullptr; }
    const BarState& Bars() const { return bars_; }
    // The answers the last replay on a shortened script could not give, with
    // the script they were given on, while the run stands where it left them.
    const std::optional<GivenAnswers>& Kept() const { return earlier_; }
    bool Ended() const { return shown_.ended; }
    // The bar timer runs from the start to the end of a run (it may sleep).
    bool TimerRunning() const { return running_; }
    // The platform timer is ticking: running and awake.
    bool TimerTicking() const { return ticking_; }
    int TimerIntervalMs() const { return intervalMs_; }

private:
    // Runs f, then whatever input arrived meanwhile (an answer given while a
    // box was being drawn), one after the other.
    template <typename F>
    void Exclusive(F f);
    Step Process(const Event& event);
    // Input waits its turn while an earlier one is being drawn or the print
    // dialog is open.
    bool InputWaits() const { return busy_ || asking_; }
    // A new run's script: the document its events are given on, and the
    // file F5 reads again; nothing kept from an earlier replay.
    void Adopt(std::shared_ptr<const ScriptDocument> document, const std::string& scriptPath);
    void Begin(Run run);
    // The document's run replayed from events short of question stopAt, with
    // the box that says where it stopped when it stopped early.
    Run Replayed(std::span<const Event> events, std::size_t stopAt) const;
    void Carry(Effect effect);
    // What the screen holds beyond the template's controls, drawn where it
    // differs from the one before: the verdict, and Back and Forward as the
    // run and its timeline allow (the timeline kept up first).
    void DrawExtras(const Screen& before);
    // Draws what changed since the last update and keeps the timer going;
    // chosen: the choice the input pressed, which takes the focus.
    void Update(int chosen = 0);
    void KeepBarsMoving();
    void StartTicking();
    void StopTimer();

    View& view_;
    FileSystem* files_;
    BarTimerSleep sleep_;
    std::shared_ptr<const ScriptDocument> document_;
    std::string scriptPath_;
    std::optional<Run> run_;
    BarState bars_;
    Screen shown_;
    std::deque<Event> pending_;
    std::optional<GivenAnswers> earlier_;
    std::vector<Event> timeline_;
    bool asksBeforeLeaving_ = false;
    bool keepsTimeline_ = false;
    bool busy_ = false;
    // The print dialog was asked for and not answered yet.
    bool asking_ = false;
    bool running_ = false;
    bool ticking_ = false;
    int intervalMs_ = MinTimerIntervalMs;
};

}  // namespace kinpath
