// The main window on the Win32 API: the dialog template's 69 controls in a
// dialog made from memory, realising the window seam on the window driver. All
// logic stays in the core; this class turns seam calls into window messages
// and window messages into driver calls.
#pragma once

#include "frontends/win32/Win32Api.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "app/WindowDriver.h"
#include "flow/Clock.h"
#include "script/ScriptLines.h"
#include "window/Dialog.h"

namespace kinpath {
class Session;
}

namespace kinpath::win32 {

class Pane;
class TextTips;

class MainWindow : public Dialog, private WindowTimer {
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
    bool Start(const std::string& scriptPath = ScriptFileName);
    // Handles messages until a quit request; the exit status it carried.
    int Run();
    // One message as the run handles it: the digit keys, the dialog keys
    // (Tab, Enter, Escape), then the window procedures.
    void HandleMessage(MSG& msg);
    bool RunEnded() const { return driver_.Ended(); }
    int ExitCode() const { return driver_.ExitCode(); }
    // Whether the bar timer actually ticks (it sleeps while no tick would show).
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

protected:
    // Where the window meets the desktop; tests replace it. True when a viewer
    // was started.
    virtual bool ShellOpen(const std::wstring& path);

private:
    // The bar timer: a window timer of the dialog's.
    void StartTicks(int intervalMs) override;
    void StopTicks() override;

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PaneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR subclassId, DWORD_PTR data);
    static LRESULT CALLBACK QuestionProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR subclassId, DWORD_PTR data);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    HWND Control(int id) const;
    // Sets the program's icon and turns the bars' theme off, so they draw red.
    void DressControls();
    // The digit keys 1 to 8 press their choice; true when the key was one.
    bool ChoiceKey(const MSG& msg);
    // Alt+O, S, P, H and X press OK, Skip, Print, HTML and Exit.
    bool ButtonKey(const MSG& msg);
    // F5 or Ctrl+R: the questionnaire again, from the script file as it is now.
    bool RestartKey(const MSG& msg);
    // Tab reaches the choices as one group, at the checked choice or else the
    // first usable one (a choice unchecked loses its tab stop).
    void UpdateChoiceTabStop();
    // A control about to be disabled or hidden hands the keyboard focus to the
    // pane, so that Enter and Space never reach a button the user did not pick.
    void MoveFocusOffControl(HWND control);
    // The window moved to a monitor of another resolution: everything scales
    // by newDpi / dpi_, and the window takes the place the system suggests.
    void ChangeDpi(int newDpi, const RECT& suggested);
    // Posts a bar message to a bar of the template.
    void PostToBar(int barId, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    std::unique_ptr<Pane> pane_;
    std::unique_ptr<TextTips> tips_;
    std::map<int, std::wstring> wholeTexts_;  // of the question and the choices, as set
    HFONT scaledFont_ = nullptr;              // the dialog font after a resolution change
    int dpi_ = 96;
    bool ticking_ = false;
    SteadyClock clock_;
    WindowDriver driver_;
};

}  // namespace kinpath::win32
