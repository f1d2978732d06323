// The transcript pane on a read-only multi-line edit control, and the view's
// reading of it: displayed lines and pane positions.
#pragma once

#include "frontends/win32/Win32Api.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "window/View.h"

namespace kinpath::win32 {

class Pane {
public:
    // The dialog's edit control.
    explicit Pane(HWND edit);
    Pane(const Pane&) = delete;
    Pane& operator=(const Pane&) = delete;

    HWND Handle() const { return edit_; }
    // Replaces the text; the pane then shows its first line.
    void SetText(std::string_view text);
    int LineCount() const;
    std::string Line(int index) const;
    std::uint32_t LineStart(int index) const;
    void SelectAll();
    PaneSelection Selection() const;

private:
    // The text as the edit control holds it.
    std::wstring Units() const;

    HWND edit_;
};

// A window's text as it holds it.
std::wstring WindowText(HWND hwnd);

}  // namespace kinpath::win32
