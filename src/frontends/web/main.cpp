// The page's entry points: the shell's script calls them for each event.
#include <emscripten/emscripten.h>
#include <sys/stat.h>

#include <memory>

#include "flow/Session.h"
#include "frontends/web/WebDialog.h"

namespace {

// One run of the questionnaire; "Start again" makes a new one.
struct Run {
    kinpath::Session session;
    kinpath::web::WebDialog dialog{session};
};

std::unique_ptr<Run> run;

}  // namespace

extern "C" {

// Starts a run on script.txt of the page's file system (written by the shell,
// or absent). The previous run, if any, is gone first.
EMSCRIPTEN_KEEPALIVE void KinpathStart() {
    run.reset();
    run = std::make_unique<Run>();
    run->dialog.Start();
}

EMSCRIPTEN_KEEPALIVE void KinpathPress(int id) {
    if (run) run->dialog.Press(id);
}

EMSCRIPTEN_KEEPALIVE void KinpathSend(int id) {
    if (run) run->dialog.Send(id);
}

EMSCRIPTEN_KEEPALIVE void KinpathTick() {
    if (run) run->dialog.Tick();
}

}  // extern "C"

int main() {
    // The page's file system starts with a mask that leaves new files without
    // any permission; the saved page is to be readable like on any system.
    ::umask(022);
    return 0;
}
