// A dialog kept entirely in memory: the control states, an unwrapped pane (each
// written line is one displayed line), bar positions and a queue of posted
// requests. The terminal front end and the tests build on it.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "window/Dialog.h"
#include "window/DialogTemplate.h"

namespace kinpath {

class Session;

class MemoryDialog : public Dialog {
public:
    struct Control {
        ControlKind kind = ControlKind::Label;
        std::string text;
        bool enabled = true;
        bool visible = true;
        bool checked = false;
        Rect rect;
    };
    struct Bar {
        std::int32_t position = 0;
        std::int32_t colour = 0;
        std::int32_t range = 100 << 16;  // a bar's default range, 0..100
    };
    struct Posted {
        enum class Kind { Command, Close, Quit, Bar } kind;
        int id = 0;  // command identifier, exit status or bar identifier
        BarMessage message = BarMessage::SetPos;
        std::int32_t value = 0;
    };

    // Commands, close requests and ticks go to the session's dialog logic.
    // Base units of the dialog font in pixels (see DialogUnitsToPixels).
    explicit MemoryDialog(Session& session, int baseUnitX = 6, int baseUnitY = 13);

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

    // --- Driving the dialog as a message loop would.
    // Handles posted requests in order, also those posted meanwhile, until none
    // is left or a quit request arrived. Returns false once quit was requested.
    bool DispatchPosted();
    // One tick of every running timer, then the bar messages it posted.
    void Tick();
    // A click on a control: checks a choice (unchecking the others) and sends
    // the control's command.
    void Click(int id);

    // --- State for inspection.
    void SetPaneSelection(std::uint32_t start, std::uint32_t end);
    const Control* FindControl(int id) const;
    const Bar* FindBar(int id) const;
    bool TimerRunning(int timerId) const { return timers_.count(timerId) != 0; }
    Session& OwnSession() const { return session_; }
    bool QuitRequested() const { return quit_; }
    int ExitCode() const { return exitCode_; }
    const std::deque<Posted>& PendingPosts() const { return posted_; }
    int WindowX() const { return windowX_; }
    int WindowY() const { return windowY_; }
    int RepaintCount() const { return repaints_; }

protected:
    Control* MutableControl(int id);

private:
    void IndexLines() const;

    Session& session_;
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
    std::set<int> timers_;
    bool quit_ = false;
    int exitCode_ = 0;
    int windowX_ = 0;
    int windowY_ = 0;
    int repaints_ = 0;
};

}  // namespace kinpath
