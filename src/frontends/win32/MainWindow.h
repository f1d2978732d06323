// The main window on the Win32 API: the dialog template's 69 controls in a
// dialog made from memory, realising the window seam. All logic stays in the
// core; this class turns seam calls into window messages and window messages
// into core calls.
#pragma once

#include "frontends/win32/Win32Api.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "flow/BarAnimation.h"
#include "window/Dialog.h"

namespace kinpath {
class Session;
}

namespace kinpath::win32 {

// The core asks for 1 ms bar ticks and a bar moves one step a tick. Ticks come
// no sooner than this, so a bar climbs at a pace the eye can follow and the
// window stays light on the processor.
inline constexpr int MinTimerIntervalMs = 15;

class MainWindow : public Dialog {
public:
    // Creates the dialog, hidden; Start shows it. The session must outlive it.
    explicit MainWindow(Session& session);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Null when the window could not be made.
    HWND Handle() const { return hwnd_; }
    // The tooltip of the question or a choice.
    std::wstring TipText(int id) const;
    // The dialog's start-up, then the window appears; whether the script loaded.
    bool Start();
    // Handles messages until a quit request; the exit status it carried.
    int Run();
    // One message as the run handles it: the digit keys, the dialog keys
    // (Tab, Enter, Escape), then the window procedures.
    void HandleMessage(MSG& msg);
    bool RunEnded() const { return ended_; }
    int ExitCode() const { return exitCode_; }
    // Whether a seam timer is actually ticking (it sleeps while no tick of the
    // bars would show).
    bool TimerTicking(int timerId) const;

    // --- Dialog
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

    void PostBarMessage(int barId, BarMessage message, std::int32_t value) override;
    BoxResult MessageBox(BoxOwner owner, std::string_view text, std::string_view caption,
                         BoxButtons buttons) override;
    void StartTimer(int timerId, int intervalMs) override;
    void StopTimer(int timerId) override;
    void PostCommand(int id) override;
    void PostClose() override;
    void PostQuit(int exitCode) override;
    Rect DesktopRect() const override;
    void MoveWindow(int x, int y) override;
    void OpenFile(const std::string& path) override;
    std::unique_ptr<PrintSurface> RunPrintDialog(bool selectionAvailable) override;

protected:
    // Where the window meets the desktop; tests replace it.
    virtual void ShellOpen(const std::wstring& path);

private:
    struct SeamTimer {
        UINT intervalMs = 0;
        bool running = false;  // started and not stopped through the seam
        bool ticking = false;  // a window timer is set
    };

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PaneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR subclassId, DWORD_PTR data);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    HWND Control(int id) const;
    // Widens labels whose names the dialog font draws wider than the template.
    void FitLabels();
    // Tooltips for the question and the choices, which may show only part of their text.
    void MakeTips();
    // Shows a choice's text as far as its row holds it, ending in an ellipsis
    // when cut, and puts the whole text of a cut choice or question in its tooltip.
    void FitText(int id);
    // Sends a command to the core, then wakes a sleeping bar timer if the bars
    // have something to show.
    void Dispatch(int id);
    // The digit keys 1 to 8 press their choice; true when the key was one.
    bool ChoiceKey(const MSG& msg);
    // Alt+O, S, P, H and X press OK, Skip, Print, HTML and Exit.
    bool ButtonKey(const MSG& msg);
    // A control about to be disabled or hidden hands the keyboard focus to the
    // pane, so that Enter and Space never reach a button the user did not pick.
    void MoveFocusOffControl(HWND control);
    void Tick(int timerId);
    void SetWindowTimer(int timerId, SeamTimer& t);
    // Moves the sleeping bars on by the ticks they slept through.
    void CatchUpBars();
    void WakeTimers();
    // Hands the text added since to the pane.
    void FlushPane() const;
    // The pane's text as the edit control holds it.
    std::wstring PaneUnits() const;
    void ShowPaneFromTop() const;

    Session& session_;
    HWND hwnd_ = nullptr;
    HWND pane_ = nullptr;
    HWND tips_ = nullptr;
    std::map<int, std::wstring> wholeTexts_;  // of the question and the choices, as set
    mutable std::wstring pendingPane_;        // added, not yet in the control
    std::size_t paneLength_ = 0;
    std::map<int, SeamTimer> timers_;
    BarTimerSleep barSleep_;
    bool ended_ = false;
    int exitCode_ = 0;
};

}  // namespace kinpath::win32
