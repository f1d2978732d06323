// The questionnaire in the page: one run at a time, its input from the
// page's events, and what the browser keeps of it around the window driver:
// an entry of the browser's history for the questions and one for the
// results (BrowserHistory), and the run kept in the browser's local storage,
// so that a reload resumes it and a later visit offers to.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Keys.h"
#include "app/WindowDriver.h"
#include "frontends/web/BrowserHistory.h"
#include "frontends/web/WebView.h"

namespace kinpath::web {

// The script's name in the page's files.
inline constexpr const char* PageScript = "script.txt";

class WebPage {
public:
    WebPage();
    ~WebPage();
    WebPage(const WebPage&) = delete;
    WebPage& operator=(const WebPage&) = delete;

    // How a run starts: a visit (a reload goes on, a new visit is offered the
    // run kept, or opens on the page's opening), the run kept, or afresh.
    enum class StartMode { Visit, Continue, Fresh };
    // A new run on the page's script.txt (absent: the boxes of a missing file);
    // the run before it, if any, ends first. source names a draft (the script
    // served beside the page, or a file picked from the user's), empty for a
    // script published inside the page; opening: the page opens on its title.
    void Start(const std::string& source, StartMode mode, bool opening);
    // A click on a control (the choice's button, OK, Back ...); focused: the
    // control holding the keyboard focus, 0 for none.
    void Press(int id, int focused);
    // A key; whether the page handled it (the browser must not as well).
    bool Key(const KeyPress& key);
    // A button of the page's box, by its place.
    void Answer(int button, int focused);
    void Tick();
    // The browser's Back or Forward reached another entry of the page.
    void Travel();

    bool Running() const { return run_ != nullptr; }

private:
    struct Run;
    // Carries out an input, then draws what the page adds and keeps the
    // history and the stored run in step.
    // travelled: the browser's history already stands where the input
    // takes the run.
    template <typename F>
    void Handle(int focused, F input, bool travelled = false);
    void PressNow(int id);
    void GoBack();
    // Writes the run's entries of the browser's history as the plan says.
    void Carry(const HistoryPlan& plan);
    void Store();

    std::unique_ptr<Run> run_;
};

}  // namespace kinpath::web
