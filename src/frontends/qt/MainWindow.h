// The main window on Qt 6 Widgets: the 69 controls of the dialog template,
// realising the window seam. All logic stays in the core; this class only
// turns seam calls into widget calls and widget events into core calls.
#pragma once

#include <QDialog>
#include <QFont>
#include <QString>
#include <QTimer>

#include <array>
#include <map>
#include <memory>
#include <vector>

#include "flow/BarAnimation.h"
#include "window/Dialog.h"
#include "window/DialogTemplate.h"

class QAbstractButton;
class QLabel;
class QMessageBox;
class QPlainTextEdit;
class QPrintDialog;
class QPrinter;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QUrl;

namespace kinpath {
class Session;
}

namespace kinpath::qt {

// Names the application so the desktop ties its window to the desktop entry
// and icon. Call right after the QApplication is made.
void NameApplication();

// Dialog-unit base units of a font: the average width of the 52 letters and the
// cell height, in pixels.
struct BaseUnits {
    int x = 0;
    int y = 0;
};
BaseUnits MeasureBaseUnits(const QFont& font);

// The dialog font: the desktop's sans-serif face at 8 points.
QFont DialogFont();

// The core asks for 1 ms bar ticks and a bar moves one step a tick. Ticks come
// no sooner than this, so a bar climbs at a pace the eye can follow and the
// window stays light on the processor.
inline constexpr int MinTimerIntervalMs = 15;

class MainWindow : public QDialog, public Dialog {
public:
    // The window shows and drives the given session, which must outlive it.
    explicit MainWindow(Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    BaseUnits Units() const { return units_; }
    // The widget of a control, or null.
    QWidget* ControlWidget(int id) const;
    // Whether a seam timer is actually ticking (it sleeps while no tick of the
    // bars would show).
    bool TimerTicking(int timerId) const;
    bool RunEnded() const { return ended_; }
    // Escape: the cancel command, which is Exit's.
    void reject() override;

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
    // The points where the window meets the user or the desktop; tests replace them.
    // Runs a prepared message box modally and returns the button pressed.
    virtual int RunMessageBox(QMessageBox& box);
    // Runs the print dialog; true when the user confirmed.
    virtual bool RunPrintDialogBox(QPrintDialog& dialog, QPrinter& printer);
    virtual void OpenUrl(const QUrl& url);
    // A quit request reached the front of the queue.
    virtual void EndRun(int exitCode);

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Control {
        ControlKind kind;
        QWidget* widget;  // a child of the window, which deletes it
        // The whole text of a bar or a choice: bars never show theirs, a choice
        // shows as much as its row holds.
        QString text;
    };
    struct SeamTimer {
        QTimer timer;
        bool running = false;  // started and not stopped through the seam
    };
    struct PaneLineInfo {
        int block;               // block number in the pane's document
        int start;               // first UTF-16 unit of the line within its block
        int length;              // UTF-16 units
        std::uint32_t position;  // pane position of the line's first character
    };

    void BuildControls();
    // One maker per control kind; BuildControls names and places what they make.
    QLabel* MakeLabel(const QString& text);
    QLabel* MakeQuestionText(const QString& text);
    QRadioButton* MakeChoice(int id, const QString& text);
    QPlainTextEdit* MakePane(const QString& text);
    QProgressBar* MakeBar(int id);
    QPushButton* MakeButton(int id, const QString& text, bool isDefault);
    // A click on the button sends its command.
    void DispatchOnClick(QAbstractButton* button, int id);
    // Shows the text of a choice or of the question as far as its control holds
    // it, and the whole text as its tooltip when it is cut.
    void FitText(int id, const Control& c);

    const Control* Find(int id) const;
    // Sends a command to the core, then wakes a sleeping bar timer if the bars
    // have something to show.
    void Dispatch(int id);
    void Tick(int timerId);
    // Moves the sleeping bars on by the ticks they slept through.
    void CatchUpBars();
    void WakeTimers();
    void ApplyBarMessage(int barId, BarMessage message, std::int32_t value);
    // Gives the pane its real width before it was ever shown, so that it wraps.
    void PreparePaneLayout() const;
    void IndexPaneLines() const;
    // The line of the pane's current layout, or null.
    const PaneLineInfo* PaneLineAt(int index) const;
    std::uint32_t PanePosition(int documentPosition) const;
    void ShowPaneFromTop();

    BaseUnits units_;
    std::map<int, Control> controls_;
    std::array<QRadioButton*, 8> choices_{};
    QPlainTextEdit* pane_ = nullptr;
    std::map<int, SeamTimer> timers_;
    BarTimerSleep barSleep_;
    Session& session_;
    bool ended_ = false;

    std::size_t paneLength_ = 0;
    mutable std::vector<PaneLineInfo> paneLines_;
    mutable bool paneLinesValid_ = false;
    mutable qreal paneLinesWidth_ = -1;
};

}  // namespace kinpath::qt
