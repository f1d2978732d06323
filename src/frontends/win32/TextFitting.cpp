#include "frontends/win32/TextFitting.h"

#include <algorithm>
#include <functional>

#include "app/SpokenWords.h"
#include "app/TextFit.h"

#include "frontends/win32/Pane.h"
#include "frontends/win32/Utf16.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath::win32 {

namespace {

Rect ControlRect(HWND dialog, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

// The core's cut of a text, with this window's measure of what fits.
std::wstring Cut(std::wstring_view text, const std::function<bool(std::wstring_view)>& fits) {
    const std::u16string cut =
        CutToFit(std::u16string(text.begin(), text.end()),
                 [&fits](std::u16string_view t) { return fits(std::wstring(t.begin(), t.end())); });
    return std::wstring(cut.begin(), cut.end());
}

// Where the controls at that x (in dialog units) stand now, in pixels, or
// the client area's right edge: after a change of resolution the dialog's
// own units still measure the font it was made with.
int EdgeAt(HWND dialog, int units) {
    for (const ControlTemplate& other : DialogControls) {
        if (other.x == units) return ControlRect(dialog, GetDlgItem(dialog, other.id)).left;
    }
    RECT client{};
    GetClientRect(dialog, &client);
    return client.right;
}

}  // namespace

WindowDC::WindowDC(HWND window)
    : window_(window),
      dc_(GetDC(window)),
      previousFont_(
          SelectObject(dc_, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)))) {}

WindowDC::~WindowDC() {
    SelectObject(dc_, previousFont_);
    ReleaseDC(window_, dc_);
}

int WindowDC::TextWidth(std::wstring_view text) const {
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
}

void FitLabels(HWND dialog) {
    for (const ControlTemplate& t : DialogControls) {
        if (t.kind != ControlKind::Label) continue;
        // A wider font, or a game's longer name, still shows whole where
        // there is room; measured in the label's own font.
        HWND label = GetDlgItem(dialog, t.id);
        const Rect r = ControlRect(dialog, label);
        const int width = std::min<int>(WindowDC(label).TextWidth(WindowText(label)),
                                        EdgeAt(dialog, LabelLimit(t)) - 1 - r.left);
        if (width > r.Width())
            SetWindowPos(label, nullptr, 0, 0, width, r.Height(),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

TextTips::TextTips(HWND dialog) : dialog_(dialog) {
    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!tips_) return;
    // Wide enough for a long choice, broken into lines rather than off screen.
    SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, 400);
    for (int id = IdQuestionText; id >= IdChoice1; --id) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog_;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog_, id));
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void TextTips::Fit(int id, std::wstring_view whole) {
    HWND c = GetDlgItem(dialog_, id);
    const WindowDC dc(c);
    std::wstring tip;
    if (id == IdQuestionText) {
        const RECT room = QuestionRoom(c, questionMargin_);
        const std::wstring shown = Cut(whole, [&](std::wstring_view text) {
            RECT need = room;
            DrawTextW(dc.Get(), text.data(), static_cast<int>(text.size()), &need,
                      DT_CALCRECT | QuestionTextFlags);
            return need.bottom <= room.bottom;
        });
        if (shown != whole) tip = whole;
        SetWindowTextW(c, shown.c_str());
        InvalidateRect(c, nullptr, TRUE);
    } else {
        const int room = ControlRect(dialog_, c).Width() - GetSystemMetrics(SM_CXMENUCHECK) - 6;
        const std::wstring shown =
            Cut(whole, [&](std::wstring_view text) { return dc.TextWidth(text) <= room; });
        if (shown != whole) tip = std::wstring(whole) + L"\n";
        tip += Widen(ChoiceKeyText(id - IdChoice1 + 1));
        SetWindowTextW(c, Widen(MarkedCaption(Narrow(shown), id)).c_str());
    }
    SetTip(c, std::move(tip));
}

void TextTips::SetTip(HWND control, std::wstring tip) {
    if (!tips_) return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = dialog_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = tip.data();
    SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring TextTips::Tip(int id) const {
    if (!tips_) return {};
    std::wstring text(1024, L'\0');
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = dialog_;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog_, id));
    tool.lpszText = text.data();
    SendMessageW(tips_, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    text.resize(wcslen(text.c_str()));
    return text;
}

RECT QuestionRoom(HWND question, int margin) {
    RECT room{};
    GetClientRect(question, &room);
    InflateRect(&room, -margin, -margin);
    return room;
}

LRESULT CALLBACK QuestionProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data) {
    if (message != WM_PAINT) return DefSubclassProc(hwnd, message, wParam, lParam);
    // The text keeps a margin from the border, as the static control alone would not.
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    HWND dialog = GetParent(hwnd);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    RECT client{};
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    const std::wstring text = WindowText(hwnd);
    RECT room = QuestionRoom(hwnd, reinterpret_cast<const TextTips*>(data)->QuestionMargin());
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &room, QuestionTextFlags);
    SelectObject(dc, font);
    EndPaint(hwnd, &paint);
    return 0;
}

}  // namespace kinpath::win32
