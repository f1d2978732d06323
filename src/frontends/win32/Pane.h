// The transcript pane on a read-only multi-line edit control, and the seam's
// view of it: displayed lines and pane positions.
#pragma once

#include "frontends/win32/Win32Api.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "window/Dialog.h"

namespace kinpath::win32 {

class Pane {
public:
    // The dialog's edit control; the dialog receives the message that hands
    // added text to the control (FlushMessage).
    Pane(HWND dialog, HWND edit);
    Pane(const Pane&) = delete;
    Pane& operator=(const Pane&) = delete;

    // Text added to the pane is due in the control.
    static constexpr UINT FlushMessage = WM_APP + 2;

    HWND Handle() const { return edit_; }
    std::size_t Length() const { return length_; }
    std::string Text() const;
    // Replaces or extends the text; either way the pane then shows its first line.
    void SetText(std::string_view text);
    void Append(std::string_view text);
    int LineCount() const;
    std::string Line(int index) const;
    std::uint32_t LineStart(int index) const;
    void SelectAll();
    PaneSelection Selection() const;
    // Hands the text added since to the control.
    void Flush() const;

private:
    // The text as the edit control holds it.
    std::wstring Units() const;
    void ShowFromTop() const;

    HWND dialog_;
    HWND edit_;
    mutable std::wstring pending_;  // added, not yet in the control
    std::size_t length_ = 0;
};

// A window's text as it holds it.
std::wstring WindowText(HWND hwnd);

}  // namespace kinpath::win32
