// The one window driver every front end builds on. It runs a session in a
// window: the start-up, the order in which commands, close requests, quit
// requests and timer ticks reach the core, and the bar timer's pace and its
// sleep while no tick would show. A front end creates the controls, realises
// the seam (window/Dialog.h), gives the driver a timer, and forwards its
// events here.
#pragma once

#include <string>
#include <vector>

#include "flow/BarAnimation.h"
#include "flow/Clock.h"
#include "window/Dialog.h"

namespace kinpath {

class Session;

// The core asks for 1 ms bar ticks and a bar moves one step a tick. Ticks come
// no sooner than this, so a bar climbs at a pace the eye can follow and the
// window stays light on the processor.
inline constexpr int MinTimerIntervalMs = 15;

// The platform's repeating timer: each tick reaches WindowDriver::Tick.
class WindowTimer {
public:
    virtual ~WindowTimer() = default;
    // Starts the timer, or restarts it with this interval.
    virtual void StartTicks(int intervalMs) = 0;
    virtual void StopTicks() = 0;
};

class WindowDriver {
public:
    // The session, the dialog, the timer and the clock must outlive the driver.
    WindowDriver(Session& session, Dialog& dialog, WindowTimer& timer, const Clock& clock);
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;

    // The dialog's start-up: loads the script (showing its errors), greets or
    // fails, posts the first OK, starts the bars. Whether the script loaded.
    bool Start(const std::string& scriptPath);
    // A click, a key or a posted command with this identifier.
    void Command(int id);
    // The close box, or a posted close request.
    void Close();
    // A tick of the platform timer.
    void Tick();
    // Starts the questionnaire again from the script file as it is now, in a
    // window as it was before the first question (an author's edit-and-retry).
    // A file that no longer loads shows its errors and changes nothing else;
    // false then.
    bool Restart();
    // A posted quit request reached the front of the queue: the run ends.
    void Quit(int exitCode);

    // The seam's timer requests (Dialog::StartTimer and StopTimer) land here.
    void StartTimer(int timerId, int intervalMs);
    void StopTimer(int timerId);
    // A modal box or dialog is about to open: the bars keep moving while it is.
    void KeepBarsMoving();

    bool Ended() const { return ended_; }
    int ExitCode() const { return exitCode_; }
    // The bar timer was started and not stopped (it may be asleep).
    bool TimerRunning() const { return running_; }
    // The platform timer is ticking: running and awake.
    bool TimerTicking() const { return ticking_; }
    int TimerIntervalMs() const { return intervalMs_; }

private:
    // A control as the window showed it before the first question.
    struct ControlState {
        int id;
        std::string text;
        bool enabled;
        bool visible;
        Rect rect;
    };

    void StartTicking();

    Session& session_;
    Dialog& dialog_;
    WindowTimer& timer_;
    BarTimerSleep sleep_;
    std::string scriptPath_;
    std::vector<ControlState> initialControls_;
    int intervalMs_ = MinTimerIntervalMs;
    bool running_ = false;
    bool ticking_ = false;
    bool ended_ = false;
    int exitCode_ = 0;
};

}  // namespace kinpath
