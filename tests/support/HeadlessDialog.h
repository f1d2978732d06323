// The window the tests drive: a view kept in memory on the real window
// driver, recording every message box, opened file and print job; Yes/No
// boxes answered from a queue.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/MemoryView.h"
#include "app/WindowDriver.h"
#include "flow/Session.h"
#include "script/ScriptLines.h"

namespace kinpath::testing {

using RecordedBox = Box;

// What a recorded printer saw, in order.
struct PrintEvent {
    enum class Kind { SetFont, StartDocument, StartPage, DrawText, EndPage, EndDocument } kind;
    std::string text;  // font face, document name or drawn text
    int x = 0;         // DrawText position; SetFont cell height in x
    int y = 0;
    friend bool operator==(const PrintEvent&, const PrintEvent&) = default;
};

struct PrintLog {
    std::vector<PrintEvent> events;
    bool released = false;
    bool selectionOffered = false;
};

// A clock the test moves by hand.
class TestClock : public Clock {
public:
    std::int64_t NowMs() const override { return now; }
    std::int64_t now = 0;
};

class HeadlessDialog : public MemoryView {
public:
    // Base units of the dialog font in pixels (see DialogUnitsToPixels); the
    // clock, when given, times the bar timer's sleep instead of the system's.
    explicit HeadlessDialog(const Clock* clock = nullptr, FileSystem* files = nullptr);

    // --- Driving it as a user would.
    bool Start(const std::string& scriptPath = ScriptFileName);
    // A click: only a usable control takes one.
    void Click(int id);
    // One tick of the bar timer when it ticks (it sleeps while no tick would show).
    void Tick();

    // --- What it shows.
    std::string ControlText(int id) const;
    bool IsControlEnabled(int id) const;
    bool IsControlVisible(int id) const;
    bool IsChecked(int id) const;
    const std::string& PaneText() const { return driver.Shown().pane; }
    std::int32_t BarPosition(int barId) const;
    // The control as shown; a control the window lacks is empty, disabled and hidden.
    const ControlView& Shown(int id) const;
    Rect ClientRect() const;
    const Session& Scores() const { return driver.CurrentRun()->Scores(); }
    bool TimerRunning() const { return driver.TimerRunning(); }
    bool TimerTicking() const { return driver.TimerTicking(); }
    bool Ended() const { return driver.Ended(); }
    int ticksStarted = 0;  // how often the platform timer was started

    // --- The view.
    void DrawBox(const Box* box) override;
    bool OpenFile(const std::string& path) override;
    void DrawSelection(PaneSelection selection) override { drawnSelection = selection; }
    // Answered at once unless printLater: then AnswerPrint answers it.
    void AskPrint(bool selectionAvailable) override;
    void AnswerPrint();
    // What the print dialog answers next (null: cancelled), its log a new job.
    std::unique_ptr<PrintSurface> Printer();
    void StartTicks(int) override { ++ticksStarted; }

    SteadyClock steadyClock;
    WindowDriver driver;

    std::vector<RecordedBox> boxes;
    std::deque<BoxResult> yesNoAnswers;  // empty: No
    std::vector<std::string> openedFiles;
    bool viewerStarts = true;  // what OpenFile answers

    // How the next print dialog answers.
    bool printLater = false;
    // A print dialog waits for AnswerPrint: whether it offers the selection.
    std::optional<bool> printAsked;
    bool printCancel = false;
    bool printSelection = false;
    int printDpiX = 300;
    int printDpiY = 300;
    int printFirstPage = 0;
    int printLastPage = 0;
    // The first step of this kind fails, as a printer that stops would.
    std::optional<PrintEvent::Kind> printFailsAt;
    std::vector<PrintLog> printJobs;  // one per dialog shown
    std::optional<PaneSelection> drawnSelection;
};

}  // namespace kinpath::testing
