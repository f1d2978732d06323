// The window seam: every piece of logic reaches the window only through this
// interface. Each front end realises it (the Qt and Win32 windows, the terminal,
// the web page, the tests), on the window driver of app/WindowDriver.h.
//
// Texts crossing the seam are UTF-8. Script texts are bytes in the core and are
// turned into display text (DisplayText) before they reach a control.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kinpath {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class BoxButtons { Ok, YesNo };
enum class BoxResult { Ok, Yes, No };
// Script errors are shown with no owner window; everything else is owned by the dialog.
enum class BoxOwner { None, Dialog };

// An opaque colour, 8 bits a channel.
struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

// Selection in pane positions: every character counts one, every line break
// two. The end is the position after the last selected character; both equal
// the caret's position when nothing is selected.
struct PaneSelection {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    friend bool operator==(const PaneSelection&, const PaneSelection&) = default;
};

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

class Dialog {
public:
    virtual ~Dialog() = default;

    // --- Controls by identifier. Operations on an identifier the dialog lacks do
    // nothing; queries on it answer empty, false or an empty rectangle.
    virtual bool HasControl(int id) const = 0;
    virtual void SetControlText(int id, std::string_view text) = 0;
    virtual std::string ControlText(int id) const = 0;
    virtual void EnableControl(int id, bool enabled) = 0;
    virtual bool IsControlEnabled(int id) const = 0;
    virtual void ShowControl(int id, bool visible) = 0;
    virtual bool IsControlVisible(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    virtual bool IsChecked(int id) const = 0;
    // Client area of the dialog in pixels (left and top are 0).
    virtual Rect ClientRect() const = 0;
    // A control's rectangle in client pixels.
    virtual Rect ControlRect(int id) const = 0;
    // Moves and resizes a control, keeping its stacking position.
    virtual void MoveControl(int id, const Rect& rect) = 0;
    // Repaints the dialog at once.
    virtual void Repaint() = 0;

    // --- The transcript pane. Text is UTF-8 with CR LF line breaks. Lengths and
    // positions count characters (code points), each line break as two.
    virtual std::size_t PaneLength() const = 0;
    virtual std::string PaneText() const = 0;
    // Replaces the whole text; the pane then shows its text from the first line.
    virtual void SetPaneText(std::string_view text) = 0;
    // Adds text at the end; the pane then shows its text from the first line,
    // exactly as if the whole text had been set anew.
    virtual void AppendPaneText(std::string_view text) = 0;
    // Displayed lines: wrapped pieces count as lines, the empty piece after a final
    // line break is a line, an empty pane is one line.
    virtual int PaneLineCount() const = 0;
    // A displayed line's whole text without its line break; empty when out of range.
    virtual std::string PaneLine(int index) const = 0;
    // Position of a displayed line's first character; the text's length when out of range.
    virtual std::uint32_t PaneLineStart(int index) const = 0;
    virtual void SelectAllPane() = 0;
    virtual PaneSelection PaneSelectionRange() const = 0;

    // --- Progress bars. Queued: applied later by the message loop, in the order
    // given. A position outside the range shows as the nearest end.
    virtual void SetBarColour(int barId, Colour colour) = 0;
    virtual void SetBarRange(int barId, int low, int high) = 0;
    virtual void SetBarPosition(int barId, std::int32_t position) = 0;

    // --- Modal message box; returns only when dismissed.
    virtual BoxResult MessageBox(BoxOwner owner, std::string_view text, std::string_view caption,
                                 BoxButtons buttons) = 0;

    // --- The repeating timer; each tick reaches DialogTimer(dialog, timerId).
    virtual void StartTimer(int timerId, int intervalMs) = 0;
    virtual void StopTimer(int timerId) = 0;

    // --- Posted requests, handled by the message loop after the current one:
    // a command reaches DialogCommand, a close request DialogClose, and a quit
    // request ends the run with the given exit status.
    virtual void PostCommand(int id) = 0;
    virtual void PostClose() = 0;
    virtual void PostQuit(int exitCode) = 0;

    // --- Placement: the desktop's rectangle and the window's top-left corner.
    virtual Rect DesktopRect() const = 0;
    virtual void MoveWindow(int x, int y) = 0;

    // --- Hands a saved file to the desktop's default viewer; false when none
    // could be started. The path is the system's own (text/PathText.h): bytes
    // where names are bytes, so a name that is not UTF-8 still opens.
    virtual bool OpenFile(const std::string& path) = 0;

    // --- Shows the print dialog. "Selection" is offered only when selectionAvailable.
    // Null when the user cancelled or no printer could be had.
    virtual std::unique_ptr<PrintSurface> RunPrintDialog(bool selectionAvailable) = 0;
};

}  // namespace kinpath
