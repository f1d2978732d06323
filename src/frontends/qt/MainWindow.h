// The main window on Qt 6 Widgets: the 69 controls of the dialog template,
// realising the view on the window driver. All logic stays in the core; this
// class only draws what the driver says and reports the user's clicks, keys
// and answers to it.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <array>
#include <map>
#include <memory>

#include "app/WindowDriver.h"
#include "flow/Clock.h"
#include "frontends/qt/DialogFont.h"
#include "script/ScriptLines.h"
#include "window/DialogTemplate.h"
#include "window/View.h"

class QAbstractButton;
class QIcon;
class QLabel;
class QMenu;
class QMessageBox;
class QPrintDialog;
class QPrinter;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QUrl;

namespace kinpath::qt {

class Pane;

// Names the application so the desktop ties its window to the desktop entry
// and icon. Call right after the QApplication is made.
void NameApplication();
// The pictures the desktop entry installs, built into the program.
QIcon ProgramIcon();

class MainWindow : public QDialog, public View {
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Centres the window and starts the run: the first question, or the boxes
    // that say why the script did not load (the run ends once they are
    // answered). Whether it loaded.
    bool Start(const std::string& scriptPath = ScriptFileName);
    BaseUnits Units() const { return units_; }
    // The widget of a control, or null.
    QWidget* ControlWidget(int id) const;
    const WindowDriver& Driver() const { return driver_; }
    // Whether the bar timer actually ticks (it sleeps while no tick would show).
    bool TimerTicking() const { return timer_.isActive(); }
    // Moves the window there, kept inside the screen's available area, title bar first.
    void MoveWindow(QPoint wanted);

    // What the controls show: a choice's or the question's whole text, also
    // when the control shows only its start.
    std::string ControlText(int id) const;
    bool IsControlEnabled(int id) const;
    bool IsControlVisible(int id) const;
    bool IsChecked(int id) const;

    // Escape and the like: the cancel command, which is Exit's.
    void reject() override;

    // --- Drawing
    void DrawCaption(std::string_view caption) override;
    void DrawLayout(Layout layout) override;
    void DrawControl(int id, const ControlView& control) override;
    void DrawPane(std::string_view text) override;
    void DrawSelection(PaneSelection selection) override;
    void DrawBar(int barId, std::int32_t position) override;
    void DrawChoiceTabStop(int id) override;
    void DrawFocus(int id) override;
    void DrawProgress(int number, int count) override;
    void DrawBox(const Box* box) override;
    void DrawEnd() override;

    // --- The platform
    bool OpenFile(const std::string& path) override;
    void AskPrint(bool selectionAvailable) override;
    void StartTicks(int intervalMs) override;
    void StopTicks() override;

protected:
    // The points where the window meets the user or the desktop; tests replace them.
    // Shows a prepared message box modally, without waiting: its finished
    // signal carries the answer.
    virtual void ShowBox(QMessageBox& box);
    // Runs the print dialog; true when the user confirmed.
    virtual bool RunPrintDialogBox(QPrintDialog& dialog, QPrinter& printer);
    // True when a viewer was started.
    virtual bool OpenUrl(const QUrl& url);
    // The run is over.
    virtual void EndRun(int exitCode);
    // Opens the menu there until the user leaves it.
    virtual void RunMenu(QMenu& menu, QPoint at);

    // The keys every window shares, before the control holding the focus or a
    // button's Alt letter takes them; the focus the user moves, reported.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    // Where the template places a control, in pixels of the window.
    QRect TemplateRect(const ControlTemplate& t) const;
    // One maker per control kind; BuildControls names and places what they make.
    QLabel* MakeLabel(const QString& text);
    QLabel* MakeQuestionText(const QString& text);
    QRadioButton* MakeChoice(int id, const QString& text);
    Pane* MakePane();
    QProgressBar* MakeBar();
    QPushButton* MakeButton(int id, const QString& text, bool isDefault);
    // A bar's name, on its label and for readers.
    void DrawLabel(int id, const QString& text);
    // A right click's menu, with Back added, opened there.
    void ShowMenu(QMenu& menu, QPoint at);
    // A click reaches the driver as a press of the control.
    void PressOnClick(QAbstractButton* button, int id);
    // The print dialog the driver asked for; the started printer, or null.
    std::unique_ptr<PrintSurface> RunPrintDialog(bool selectionAvailable);

    QRadioButton* Choice(int id) const;
    QProgressBar* Bar(int id) const;
    // The control holding the keyboard focus; 0 for none.
    int FocusedControl() const;
    // A choice shows checked what the screen says, and only that.
    void DrawChecked(QRadioButton& choice, bool checked);
    // Keeps the window inside the screen's available area, title bar first.
    QPoint PlaceOnScreen(QPoint wanted) const;

    BaseUnits units_;
    std::map<int, QWidget*> controls_;  // children of the window, which deletes them
    QLabel* question_ = nullptr;
    QWidget* choiceGroup_ = nullptr;
    std::array<QRadioButton*, ChoiceButtonCount> choices_{};
    Pane* pane_ = nullptr;
    QPointer<QMessageBox> box_;  // the box waiting for its answer
    QTimer timer_;
    SteadyClock clock_;
    WindowDriver driver_;
};

}  // namespace kinpath::qt
