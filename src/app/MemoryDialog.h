// A dialog kept entirely in memory: the control states, an unwrapped pane (each
// written line is one displayed line), bar positions and a queue of posted
// requests, run by the window driver like every window. The terminal front end
// and the tests build on it.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app/WindowDriver.h"
#include "script/ScriptLines.h"
#include "window/Dialog.h"
#include "window/DialogTemplate.h"

namespace kinpath {

class Session;

class MemoryDialog : public Dialog, private WindowTimer {
public:
    struct Control {
        ControlKind kind = ControlKind::Label;
        std::string text;
        bool enabled = true;
        bool visible = true;
        bool checked = false;
        Rect rect;
        friend bool operator==(const Control&, const Control&) = default;
    };
    struct Bar {
        std::int32_t position = 0;
        Colour colour;
        int low = 0;  // a bar's default range, 0..100
        int high = 100;
        friend bool operator==(const Bar&, const Bar&) = default;
    };
    struct Posted {
        enum class Kind { Command, Close, Quit, BarColour, BarRange, BarPosition } kind;
        int id = 0;              // command identifier, exit status or bar identifier
        std::int32_t value = 0;  // a bar's position, or the low end of its range
        int high = 0;
        Colour colour;
    };

    // Commands, close requests and ticks go to the session through the window
    // driver. Base units of the dialog font in pixels (see DialogUnitsToPixels);
    // the clock, when given, times the bar timer's sleep instead of the system's.
    explicit MemoryDialog(Session& session, int baseUnitX = 6, int baseUnitY = 13,
                          const Clock* clock = nullptr);

    bool HasControl(int id) const override;
    void SetControlText(int id, std::string_view text) override;
    std::string ControlText(int id) const override;
    void EnableControl(int id, bool enabled) override;
    bool IsControlEnabled(int id) const override;
    void ShowControl(int id, bool visible) override;
    bool IsControlVisible(int id) const override;
    void SetChecked(int id, bool checked) override;
    bool IsChecked(int id) const override;
    Rect ClientRect() const override;
    Rect ControlRect(int id) const override;
    void MoveControl(int id, const Rect& rect) override;
    void Repaint() override;

    std::size_t PaneLength() const override;
    std::string PaneText() const override;
    void SetPaneText(std::string_view text) override;
    void AppendPaneText(std::string_view text) override;
    int PaneLineCount() const override;
    std::string PaneLine(int index) const override;
    std::uint32_t PaneLineStart(int index) const override;
    void SelectAllPane() override;
    PaneSelection PaneSelectionRange() const override;

    void SetBarColour(int barId, Colour colour) override;
    void SetBarRange(int barId, int low, int high) override;
    void SetBarPosition(int barId, std::int32_t position) override;
    BoxResult MessageBox(BoxOwner owner, std::string_view text, std::string_view caption,
                         BoxButtons buttons) override;
    void StartTimer(int timerId, int intervalMs) override;
    void StopTimer(int timerId) override;
    void PostCommand(int id) override;
    void PostClose() override;
    void PostQuit(int exitCode) override;
    Rect DesktopRect() const override;
    void MoveWindow(int x, int y) override;
    bool OpenFile(const std::string& path) override;
    std::unique_ptr<PrintSurface> RunPrintDialog(bool selectionAvailable) override;

    // --- Driving the dialog as a message loop would.
    // The window's start-up (WindowDriver::Start); whether the script loaded.
    bool Start(const std::string& scriptPath = ScriptFileName);
    // Handles posted requests in order, also those posted meanwhile, until none
    // is left or a quit request arrived. Returns false once quit was requested.
    bool DispatchPosted();
    // One tick of the bar timer when it ticks (it sleeps while no tick would
    // show), then the bar updates it posted.
    void Tick();
    // A click on a control: checks a choice (unchecking the others) and sends
    // the control's command.
    void Click(int id);
    // A command as a key or the program would send it.
    void Command(int id) { driver_.Command(id); }

    // --- State for inspection.
    void SetPaneSelection(std::uint32_t start, std::uint32_t end);
    const Control* FindControl(int id) const;
    const Bar* FindBar(int id) const;
    bool TimerRunning(int timerId) const;
    bool TimerTicking() const { return driver_.TimerTicking(); }
    const WindowDriver& Driver() const { return driver_; }
    Session& OwnSession() const { return session_; }
    bool QuitRequested() const { return driver_.Ended(); }
    int ExitCode() const { return driver_.ExitCode(); }
    const std::deque<Posted>& PendingPosts() const { return posted_; }
    int WindowX() const { return windowX_; }
    int WindowY() const { return windowY_; }

protected:
    Control* MutableControl(int id);
    WindowDriver& OwnDriver() { return driver_; }
    // The bar timer: ticks are whatever Tick() is called for while it runs. A
    // window that keeps its state here starts a real timer instead.
    void StartTicks(int) override {}
    void StopTicks() override {}

private:
    void IndexLines() const;

    Session& session_;
    SteadyClock steadyClock_;
    WindowDriver driver_;
    std::map<int, Control> controls_;
    std::map<int, Bar> bars_;
    Rect client_;
    std::string pane_;
    std::size_t paneLength_ = 0;  // in code points
    PaneSelection selection_;
    mutable bool linesValid_ = false;
    mutable std::vector<std::size_t> lineBytes_;     // byte offset of each line
    mutable std::vector<std::uint32_t> lineStarts_;  // position of each line
    std::deque<Posted> posted_;
    int windowX_ = 0;
    int windowY_ = 0;
};

}  // namespace kinpath
