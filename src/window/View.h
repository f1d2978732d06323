// The edge between the core and a platform: drawing what the screen says, and
// the few things only a platform can do (a box and the print dialog answered
// later, printing, opening a page, a timer). Each front end realises
// it (the Qt and Win32 windows, the terminal, the web page, the tests); the
// window driver (app/WindowDriver.h) is its only caller.
//
// Texts crossing the edge are UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "window/Screen.h"

namespace kinpath {

// A started printer: what the print dialog hands back when the user confirmed.
// Destroying it releases the printer and everything selected into it.
class PrintSurface {
public:
    virtual ~PrintSurface() = default;
    // The user chose to print only the pane's selection.
    virtual bool SelectionOnly() const = 0;
    // Page range chosen in the dialog, 1-based and inclusive; 0, 0 means every page.
    virtual int FirstPage() const = 0;
    virtual int LastPage() const = 0;
    virtual int DotsPerInchX() const = 0;
    virtual int DotsPerInchY() const = 0;
    // Font by face name and cell height in device pixels, used for all later text.
    virtual void SetFont(std::string_view face, int cellHeight) = 0;
    // Each step answers false when the printer failed; after a failure the
    // job is abandoned, and destroying the surface cleans up.
    virtual bool StartDocument(std::string_view name) = 0;
    virtual bool StartPage() = 0;
    // Draws UTF-8 text with the top of its cell at (x, y) in device pixels.
    virtual void DrawText(int x, int y, std::string_view text) = 0;
    virtual bool EndPage() = 0;
    virtual bool EndDocument() = 0;
};

class View {
public:
    virtual ~View() = default;

    // --- Drawing. The driver calls each only with a change, in this order
    // within one update: caption, table words, layout, controls, pane, bars, tab stop,
    // focus, progress, verdict, steps, box, end.
    // The caption a script's game gives the window (Screen::caption); a
    // window without one need not draw it.
    virtual void DrawCaption(std::string_view /*caption*/) {}
    // Screen::tableWords; a window that does not head its bars need not draw them.
    virtual void DrawTableWords(const std::array<std::string, 2>& /*words*/) {}
    virtual void DrawLayout(Layout layout) = 0;
    virtual void DrawControl(int id, const ControlView& control) = 0;
    // The pane's whole text, CR LF line breaks; the pane then shows its first line.
    virtual void DrawPane(std::string_view text) = 0;
    // What the pane shows selected (the whole text, before it is printed).
    virtual void DrawSelection(PaneSelection /*selection*/) {}
    // Outside BarLow..BarHigh a bar shows the nearest end.
    virtual void DrawBar(int barId, std::int32_t position) = 0;
    // The box waiting for an answer, or null once none waits. The answer
    // comes back later, through WindowDriver::Answer.
    virtual void DrawBox(const Box* box) = 0;
    // The choice Tab reaches (Screen::choiceTabStop), then the control to
    // hold the keyboard focus (Screen::focus; 0: leave it where it is). A
    // window without a keyboard need not draw them.
    virtual void DrawChoiceTabStop(int /*id*/) {}
    virtual void DrawFocus(int /*id*/) {}
    // Where the player is (Screen::questionNumber); a window need not show it.
    virtual void DrawProgress(int /*number*/, int /*count*/) {}
    // The pick and why (Screen::verdict), or null once there is none; and
    // whether the run can go back and forward (Screen::canGoBack,
    // canGoForward). A window that shows neither need not draw them.
    virtual void DrawVerdict(const Verdict* /*verdict*/) {}
    virtual void DrawSteps(bool /*back*/, bool /*forward*/) {}
    // The run is over; the program may end (it always ends well).
    virtual void DrawEnd() = 0;

    // --- What only the platform can do.
    // Hands a saved file to the desktop's default viewer; false when none
    // could be started. The path is the system's own (text/PathText.h).
    virtual bool OpenFile(const std::string& path) = 0;
    // Asks for the print dialog; "Selection" is offered only when
    // selectionAvailable. The answer comes back later, through
    // WindowDriver::Printed; input meanwhile waits, as it does for a box.
    virtual void AskPrint(bool selectionAvailable) = 0;
    // The bar timer: each tick reaches WindowDriver::Tick.
    virtual void StartTicks(int intervalMs) = 0;
    virtual void StopTicks() = 0;
};

}  // namespace kinpath
