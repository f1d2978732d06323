// The main window on Qt 6 Widgets: the 69 controls of the dialog template,
// realising the window seam on the window driver. All logic stays in the core;
// this class only turns seam calls into widget calls and widget events into
// driver calls.
#pragma once

#include <QDialog>
#include <QFont>
#include <QString>
#include <QTimer>

#include <array>
#include <map>
#include <memory>

#include "app/WindowDriver.h"
#include "flow/Clock.h"
#include "script/ScriptLines.h"
#include "window/Dialog.h"
#include "window/DialogTemplate.h"

class QAbstractButton;
class QLabel;
class QMessageBox;
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

class Pane;

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

// The dialog font: the desktop's sans-serif face at 8 points, or smaller when
// the dialog would not fit a screen area of the given size (an empty size fits all).
QFont DialogFont(QSize room = {});
// The dialog's client size in the font.
QSize DialogSize(const QFont& font);

class MainWindow : public QDialog, public Dialog, private WindowTimer {
public:
    // The window shows and drives the given session, which must outlive it.
    explicit MainWindow(Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The dialog's start-up (loading the script); whether it loaded.
    bool Start(const std::string& scriptPath = ScriptFileName);
    BaseUnits Units() const { return units_; }
    // The widget of a control, or null.
    QWidget* ControlWidget(int id) const;
    // Whether the bar timer actually ticks (it sleeps while no tick would show).
    bool TimerTicking(int timerId) const;
    bool RunEnded() const { return driver_.Ended(); }
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
    // The points where the window meets the user or the desktop; tests replace them.
    // Runs a prepared message box modally and returns the button pressed.
    virtual int RunMessageBox(QMessageBox& box);
    // Runs the print dialog; true when the user confirmed.
    virtual bool RunPrintDialogBox(QPrintDialog& dialog, QPrinter& printer);
    // True when a viewer was started.
    virtual bool OpenUrl(const QUrl& url);
    // A quit request reached the front of the queue.
    virtual void EndRun(int exitCode);

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The bar timer.
    void StartTicks(int intervalMs) override;
    void StopTicks() override;

    void BuildControls();
    // One maker per control kind; BuildControls names and places what they make.
    QLabel* MakeLabel(const QString& text);
    QLabel* MakeQuestionText(const QString& text);
    QRadioButton* MakeChoice(int id, const QString& text);
    Pane* MakePane();
    QProgressBar* MakeBar(int id);
    QPushButton* MakeButton(int id, const QString& text, bool isDefault);
    // A click on the button sends its command.
    void DispatchOnClick(QAbstractButton* button, int id);
    // Runs f later, from the event loop, in the order posted.
    template <typename F>
    void Post(F f);

    QRadioButton* Choice(int id) const;
    QProgressBar* Bar(int id) const;
    // Tab reaches the choices as one group, at the checked choice or else the
    // first usable one; the arrow keys move within it.
    void UpdateChoiceTabStop();
    // Keeps the window inside the screen's available area, title bar first.
    QPoint PlaceOnScreen(QPoint wanted) const;

    BaseUnits units_;
    std::map<int, QWidget*> controls_;  // children of the window, which deletes them
    QLabel* question_ = nullptr;
    std::array<QRadioButton*, 8> choices_{};
    std::array<QString, 8> choiceTexts_;  // whole texts; a row may show less
    QString questionText_;                // whole; the box may show less
    std::map<int, QString> hiddenTexts_;  // of the bars, which never show theirs
    Pane* pane_ = nullptr;
    QTimer timer_;
    SteadyClock clock_;
    WindowDriver driver_;
};

}  // namespace kinpath::qt
