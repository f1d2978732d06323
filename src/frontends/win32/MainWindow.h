// The main window on the Win32 API: the dialog template's 69 controls in a
// dialog made from memory, realising the view on the window driver. All logic
// stays in the core; this class draws what the driver says and reports the
// window's messages to it as input.
#pragma once

#include "frontends/win32/Win32Api.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "app/WindowDriver.h"
#include "flow/Clock.h"
#include "script/ScriptLines.h"
#include "window/View.h"

namespace kinpath::win32 {

class Pane;
class TextTips;
struct Spoken;

class MainWindow : public View {
public:
    // Creates the dialog, hidden; Start shows it.
    MainWindow();
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Null when the window could not be made.
    HWND Handle() const { return hwnd_; }
    // The tooltip of the question or a choice.
    std::wstring TipText(int id) const;
    // Places the window, starts the run and shows the window with its first
    // question; whether the script loaded. A script that did not load shows
    // only its boxes, and the run then ends.
    bool Start(const std::string& scriptPath = ScriptFileName);
    // Handles messages until the run ends; its exit status.
    int Run();
    // One message as the run handles it: the keys every window shares, the
    // dialog keys (Tab, arrows), then the window procedures.
    void HandleMessage(MSG& msg);
    const WindowDriver& Driver() const { return driver_; }
    // Whether the bar timer actually ticks (it sleeps while no tick would show).
    bool TimerTicking() const { return ticking_; }

    // In pixels, relative to the dialog's client area.
    Rect ClientRect() const;
    Rect ControlRect(int id) const;
    Rect DesktopRect() const;

    // --- View
    void DrawCaption(std::string_view caption) override;
    void DrawLayout(Layout layout) override;
    void DrawControl(int id, const ControlView& control) override;
    void DrawPane(std::string_view text) override;
    void DrawSelection(PaneSelection selection) override;
    void DrawBar(int barId, std::int32_t position) override;
    void DrawChoiceTabStop(int id) override;
    void DrawFocus(int id) override;
    void DrawBox(const Box* box) override;
    void DrawEnd() override;
    void DrawProgress(int number, int count) override;

    bool OpenFile(const std::string& path) override;
    void AskPrint(bool selectionAvailable) override;
    void StartTicks(int intervalMs) override;
    void StopTicks() override;

protected:
    // Where the window meets the desktop; tests replace it. True when a viewer
    // was started.
    virtual bool ShellOpen(const std::wstring& path);
    // Opens the menu there until the user leaves it; the item chosen, or 0.
    virtual UINT TrackMenu(HMENU menu, POINT at);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    HWND Control(int id) const;
    // The control holding the keyboard focus; 0 for none of the template's.
    int FocusedControl() const;
    // Sets the program's icon and dresses the bars: red, 0 to 100, their theme
    // off so that they draw in that red.
    void DressControls();
    // The pane's selection, reported when it changed.
    void ReportSelection();
    // The right-click menu at that point of the screen (-1: from the keyboard).
    void ShowMenu(LPARAM at);
    // A click on a control, reported; a choice then shows the check the run gave it.
    void Click(int id);
    // The choices show the checks the run gave them.
    void DrawChecks();
    // One of the keys every window shares, reported; true when the run took it.
    bool SharedKey(const MSG& msg);
    // A focus the user moved (a click, Tab, the arrows), reported.
    void ReportFocus();
    bool FocusIsHere() const;
    void Focus(int id);
    // Shows the box the run waits on, modally, and reports its answer.
    void ShowWaitingBox();
    // The print dialog the driver asked for; the started printer, or null.
    std::unique_ptr<PrintSurface> RunPrintDialog(bool selectionAvailable);
    void SetControlText(int id, ControlKind kind, const std::string& text);
    void MoveControl(int id, const Rect& rect);
    // What a reader hears of the control (0: the window) beside what it draws.
    Spoken& SpokenOf(int id);
    // The window moved to a monitor of another resolution: everything scales
    // by newDpi / dpi_, and the window takes the place the system suggests.
    void ChangeDpi(int newDpi, const RECT& suggested);

    HWND hwnd_ = nullptr;
    std::unique_ptr<Pane> pane_;
    std::unique_ptr<TextTips> tips_;
    std::map<int, std::shared_ptr<Spoken>> spoken_;
    // The pane's place on the questions, while the results move it.
    Rect questionsPane_;
    HFONT scaledFont_ = nullptr;  // the dialog font after a resolution change
    int dpi_ = 96;
    bool ticking_ = false;
    bool boxPosted_ = false;
    bool boxShowing_ = false;
    // The window moves the focus itself: a choice that checks itself on
    // getting it is no click of the user's.
    bool focusing_ = false;
    int choiceTabStop_ = 0;
    bool com_ = false;
    SteadyClock clock_;
    WindowDriver driver_;
};

}  // namespace kinpath::win32
