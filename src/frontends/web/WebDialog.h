// The main dialog as a web page. The dialog's state lives in memory (one pane
// line per written line, as in the terminal), and every change is drawn into
// the page's controls by the shell's script (shell.html). The page's events
// come back here and go to the window driver; the bar timer is the page's
// interval timer, stopped whenever the driver puts it to sleep.
#pragma once

#include <map>
#include <string>

#include "app/MemoryDialog.h"

namespace kinpath::web {

class WebDialog : public MemoryDialog {
public:
    explicit WebDialog(Session& session);
    ~WebDialog() override;

    // --- Events from the page; each draws what changed before it returns.
    bool Start();
    // A click on a control, or its key (a digit, Enter).
    void Press(int id);
    // A command without a control: Escape's Exit.
    void Send(int id);
    void Tick();
    bool Ended() const { return QuitRequested(); }

    // --- The seam where the page differs from memory.
    void Repaint() override;
    void SelectAllPane() override;
    PaneSelection PaneSelectionRange() const override;
    BoxResult MessageBox(BoxOwner owner, std::string_view text, std::string_view caption,
                         BoxButtons buttons) override;
    bool OpenFile(const std::string& path) override;
    std::unique_ptr<PrintSurface> RunPrintDialog(bool selectionAvailable) override;

protected:
    void StartTicks(int intervalMs) override;
    void StopTicks() override;

private:
    // Handles what was posted. While a box is open only bar updates run: a
    // waiting command, close or quit runs once the box is answered.
    void RunPosted();
    // Draws every control, bar and pane change since the last call.
    void Draw();

    // What the page shows, as last drawn.
    std::map<int, Control> shown_;
    std::map<int, Bar> shownBars_;
    std::string shownPane_;
    bool boxOpen_ = false;
    bool endShown_ = false;
};

}  // namespace kinpath::web
