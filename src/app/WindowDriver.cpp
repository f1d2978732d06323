#include "app/WindowDriver.h"

#include <algorithm>

#include "app/MainDialog.h"
#include "window/ControlIds.h"

namespace kinpath {

WindowDriver::WindowDriver(Session& session, Dialog& dialog, WindowTimer& timer, const Clock& clock)
    : session_(session), dialog_(dialog), timer_(timer), sleep_(clock) {}

bool WindowDriver::Start(const std::string& scriptPath) {
    return DialogInit(session_, dialog_, scriptPath);
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
