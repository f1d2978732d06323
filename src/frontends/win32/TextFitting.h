// Texts in controls of a fixed size: labels grow to show whole names, a choice
// shows as much of its text as its row holds, and whatever is cut can be read
// in a tooltip.
#pragma once

#include "frontends/win32/Win32Api.h"

#include <map>
#include <string>
#include <string_view>

namespace kinpath::win32 {

// A window's device context with the window's font selected, both given back
// when it goes.
class WindowDC {
public:
    explicit WindowDC(HWND window);
    ~WindowDC();
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC Get() const { return dc_; }
    // The width of a text in the window's font, in pixels.
    int TextWidth(std::wstring_view text) const;

private:
    HWND window_;
    HDC dc_;
    HGDIOBJ previousFont_;
};

// The question's room for its text: its client area less the margin.
RECT QuestionRoom(HWND question, int margin);
// The flags the question's text is laid out with, measured and drawn alike.
inline constexpr UINT QuestionTextFlags = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;

// The question's window procedure (a subclass whose data is the TextTips):
// its text keeps a margin from the border, as the static control alone would not.
LRESULT CALLBACK QuestionProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data);

// Widens the dialog's labels whose names its font draws wider than the
// template gives them, up to the next column of controls.
void FitLabels(HWND dialog);

// The tooltips of the question and the choices.
class TextTips {
public:
    // The tooltip window belongs to the dialog and goes with it.
    explicit TextTips(HWND dialog);
    TextTips(const TextTips&) = delete;
    TextTips& operator=(const TextTips&) = delete;

    // Shows the control's whole text, or as much as it holds ending in "…"
    // (a choice on its row, the question on its last visible line); a cut
    // text is whole in the tooltip, and a choice's tooltip names the key that
    // picks it.
    void Fit(int id, std::wstring_view whole);
    std::wstring Tip(int id) const;
    // The space between the question's border and its text, in pixels.
    void SetQuestionMargin(int pixels) { questionMargin_ = pixels; }
    int QuestionMargin() const { return questionMargin_; }

private:
    void SetTip(HWND control, std::wstring tip);

    HWND dialog_;
    HWND tips_ = nullptr;
    int questionMargin_ = 2;
};

}  // namespace kinpath::win32
