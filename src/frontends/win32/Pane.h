// The transcript pane on a read-only multi-line edit control: it reports its
// lines as it wraps them, and tells the user's selection in pane positions.
#pragma once

#include "frontends/win32/Win32Api.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "window/Screen.h"

namespace kinpath::win32 {

class Pane {
public:
    // The dialog's edit control; its lines go to laidOut each time it lays
    // them out anew (a new text, width or font).
    Pane(HWND edit, std::function<void(std::vector<PaneLine>)> laidOut);
    ~Pane();
    Pane(const Pane&) = delete;
    Pane& operator=(const Pane&) = delete;

    HWND Handle() const { return edit_; }
    // Replaces the text; the pane then shows its first line.
    void SetText(std::string_view text);
    std::vector<PaneLine> Lines() const;
    PaneSelection Selection() const;
    // Selects that much of the text, highlighted.
    void Select(PaneSelection selection);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR subclassId, DWORD_PTR data);
    // The text as the edit control holds it.
    std::wstring Units() const;

    HWND edit_;
    std::function<void(std::vector<PaneLine>)> laidOut_;
};

// A window's text as it holds it.
std::wstring WindowText(HWND hwnd);

}  // namespace kinpath::win32
