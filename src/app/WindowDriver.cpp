#include "app/WindowDriver.h"

#include <algorithm>
#include <memory>

#include "app/MainDialog.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath {

WindowDriver::WindowDriver(Session& session, Dialog& dialog, WindowTimer& timer, const Clock& clock)
    : session_(session), dialog_(dialog), timer_(timer), sleep_(clock) {}

bool WindowDriver::Start(const std::string& scriptPath) {
    scriptPath_ = scriptPath;
    initialControls_.clear();
    for (const ControlTemplate& t : DialogControls) {
        initialControls_.push_back({t.id, dialog_.ControlText(t.id), dialog_.IsControlEnabled(t.id),
                                    dialog_.IsControlVisible(t.id), dialog_.ControlRect(t.id)});
    }
    return DialogInit(session_, dialog_, scriptPath);
}

bool WindowDriver::Restart() {
    if (ended_ || initialControls_.empty()) return false;
    auto document = std::make_shared<ScriptDocument>();
    const LoadOutcome outcome = LoadScript(*document, scriptPath_);
    if (!outcome.loaded) {
        KeepBarsMoving();
        ShowLoadFailure(dialog_, outcome, scriptPath_);
        return false;
    }
    StopTimer(IdBarTimer);
    for (const ControlState& c : initialControls_) {
        if (c.id != IdTranscript) dialog_.SetControlText(c.id, c.text);
        dialog_.SetChecked(c.id, false);
        dialog_.EnableControl(c.id, c.enabled);
        dialog_.ShowControl(c.id, c.visible);
        dialog_.MoveControl(c.id, c.rect);
    }
    BeginRun(session_, dialog_, std::move(document));
    dialog_.Repaint();
    return true;
}

void WindowDriver::Command(int id) {
    if (ended_) return;
    // A sleeping timer missed ticks that changed nothing on screen; the bars
    // move on by them before the command can change a total.
    if (running_) sleep_.CatchUp(session_, intervalMs_);
    DialogCommand(session_, dialog_, id);
    KeepBarsMoving();
}

void WindowDriver::Close() {
    if (!ended_) DialogClose(dialog_);
}

void WindowDriver::Tick() {
    if (ended_ || !ticking_) return;
    DialogTimer(session_, dialog_, IdBarTimer);
    if (ticking_ && sleep_.SleepAfterTick(session_)) {
        ticking_ = false;
        timer_.StopTicks();
    }
}

void WindowDriver::Quit(int exitCode) {
    if (ended_) return;
    ended_ = true;
    exitCode_ = exitCode;
    running_ = false;
    if (ticking_) timer_.StopTicks();
    ticking_ = false;
}

void WindowDriver::StartTimer(int timerId, int intervalMs) {
    if (timerId != IdBarTimer || ended_) return;
    intervalMs_ = std::max(intervalMs, MinTimerIntervalMs);
    running_ = true;
    StartTicking();
}

void WindowDriver::StopTimer(int timerId) {
    if (timerId != IdBarTimer) return;
    running_ = false;
    ticking_ = false;
    timer_.StopTicks();
}

void WindowDriver::KeepBarsMoving() {
    if (running_ && !ticking_ && !BarsOutOfSight(session_)) StartTicking();
}

void WindowDriver::StartTicking() {
    ticking_ = true;
    sleep_.Wake();
    timer_.StartTicks(intervalMs_);
}

}  // namespace kinpath
