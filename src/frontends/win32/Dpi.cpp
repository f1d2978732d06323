#include "frontends/win32/Dpi.h"

#include "frontends/win32/MainWindow.h"
#include "frontends/win32/TextFitting.h"
#include "frontends/win32/Utf16.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath::win32 {

namespace {

// Calls of systems newer than the oldest one the program runs on, where there.
template <typename Function>
Function SystemCall(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int WindowDpi(HWND hwnd) {
    using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
    if (auto call = SystemCall<GetDpiForWindowCall>("GetDpiForWindow")) {
        if (const UINT dpi = call(hwnd)) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

void ScaleItself(HWND dialog) {
    using SetBehaviourCall = BOOL(WINAPI*)(HWND, int, int);
    if (auto call = SystemCall<SetBehaviourCall>("SetDialogDpiChangeBehavior"))
        call(dialog, 0x0003, 0x0003);  // DDC_DISABLE_ALL for mask and values
}

int QuestionMargin(int dpi) { return MulDiv(2, dpi, 96); }

void MainWindow::ChangeDpi(int newDpi, const RECT& suggested) {
    if (newDpi > 0 && newDpi != dpi_) {
        // Every control keeps its place and size in proportion, whichever
        // layout is on (and so does the pane's place on the other); the font
        // grows with them.
        const auto scaled = [&](const Rect& r) {
            const auto scale = [&](int v) { return MulDiv(v, newDpi, dpi_); };
            return Rect{scale(r.left), scale(r.top), scale(r.right), scale(r.bottom)};
        };
        for (const ControlTemplate& t : DialogControls)
            MoveControl(t.id, scaled(ControlRect(t.id)));
        questionsPane_ = scaled(questionsPane_);
        LOGFONTW face{};
        GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)), sizeof(face),
                   &face);
        face.lfHeight = MulDiv(face.lfHeight, newDpi, dpi_);
        HFONT font = CreateFontIndirectW(&face);
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        for (const ControlTemplate& t : DialogControls)
            SendMessageW(Control(t.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (scaledFont_) DeleteObject(scaledFont_);
        scaledFont_ = font;
        dpi_ = newDpi;
        tips_->SetQuestionMargin(QuestionMargin(dpi_));
        for (int id = IdChoice1; id <= IdQuestionText; ++id)
            tips_->Fit(id, Widen(driver_.Shown().controls[ControlIndex(id)].text));
        // The font's names need not grow as the labels did.
        FitLabels(hwnd_);
    }
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace kinpath::win32
