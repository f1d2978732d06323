#include "frontends/win32/MainWindow.h"

#include <commdlg.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "app/MainDialog.h"
#include "flow/BarAnimation.h"
#include "flow/Session.h"
#include "frontends/win32/DialogResource.h"
#include "frontends/win32/GdiPrintSurface.h"
#include "frontends/win32/ResourceIds.h"
#include "frontends/win32/Utf16.h"
#include "text/PathText.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath::win32 {

namespace {

// A quit request that has reached the front of the queue; wParam is the exit status.
constexpr UINT QuitMessage = WM_APP + 1;
// Text added to the pane is due in the control.
constexpr UINT FlushPaneMessage = WM_APP + 2;

// Room for the longest transcript even when every character takes two UTF-16
// units (the control's default stops at 32,767).
constexpr WPARAM PaneUnitLimit = 1 << 20;

bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Pane text as the edit control holds it: CR LF is the seam's line break, and
// a lone CR or LF breaks the line as well.
std::wstring PaneUnitsFromSeam(std::string_view text) {
    const std::wstring in = Widen(text);
    std::wstring out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        const wchar_t c = in[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < in.size() && in[i + 1] == L'\n') ++i;
            out += L"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

// A button shows "&" as itself only when written doubled.
std::wstring ButtonCaption(std::wstring_view text) {
    std::wstring caption;
    for (wchar_t c : text) {
        caption += c;
        if (c == L'&') caption += L'&';
    }
    return caption;
}

std::string ButtonText(const std::wstring& caption) {
    std::wstring text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        text += caption[i];
        if (caption[i] == L'&' && i + 1 < caption.size() && caption[i + 1] == L'&') ++i;
    }
    return Narrow(text);
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The kind of the template's control with that identifier.
std::optional<ControlKind> KindOf(int id) {
    for (const ControlTemplate& t : DialogControls)
        if (t.id == id) return t.kind;
    return std::nullopt;
}

bool IsButtonId(int id) {
    const auto kind = KindOf(id);
    return kind == ControlKind::Choice || kind == ControlKind::DefaultButton ||
           kind == ControlKind::Button;
}

bool IsChoiceId(int id) { return KindOf(id) == ControlKind::Choice; }

// Pane position of a place in the control's text.
std::uint32_t PanePosition(const std::wstring& units, std::size_t unitIndex) {
    // The control counts UTF-16 units, the seam characters: a surrogate pair is one.
    unitIndex = std::min(unitIndex, units.size());
    const auto end = units.begin() + static_cast<std::ptrdiff_t>(unitIndex);
    return static_cast<std::uint32_t>(
        unitIndex - static_cast<std::size_t>(std::count_if(units.begin(), end, IsLowSurrogate)));
}

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

MainWindow::MainWindow(Session& session) : session_(session) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const std::vector<std::uint16_t> dialog = BuildDialogTemplate();
    // Modeless, so that the run's loop is ours and tests can drive the window;
    // WM_INITDIALOG records the handle.
    CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                               reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), nullptr,
                               DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return;
    pane_ = Control(IdTranscript);
    SendMessageW(pane_, EM_SETLIMITTEXT, PaneUnitLimit, 0);
    SetWindowSubclass(pane_, PaneProc, 0, 0);
    // A themed bar draws in the theme's colour and ignores the red it is given.
    // A class list that names no class turns the theme off (a blank, since
    // some systems take an empty list for the default one).
    // The bar may change its frame with the theme: have the new frame laid out.
    for (int id = IdFirstBar; id < IdFirstBar + BarCount; ++id) {
        SetWindowTheme(Control(id), L" ", L" ");
        SetWindowPos(Control(id), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FitLabels();
    MakeTips();
    // The program's icon on the task bar and in the task switcher.
    for (auto [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}) {
        const int size = GetSystemMetrics(metric);
        if (HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(KINPATH_ICON),
                                     IMAGE_ICON, size, size, LR_SHARED))
            SendMessageW(hwnd_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
}

void MainWindow::FitLabels() {
    HDC dc = GetDC(hwnd_);
    const HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
    for (const ControlTemplate& t : DialogControls) {
        if (t.kind != ControlKind::Label) continue;
        // The label may grow up to the next column of labels and bars (or the
        // dialog's edge), so that a wider dialog font still shows whole names.
        int limit = DialogUnitsWidth;
        for (const ControlTemplate& other : DialogControls) {
            if ((other.kind == ControlKind::Label || other.kind == ControlKind::Bar) &&
                other.x > t.x)
                limit = std::min(limit, other.x);
        }
        RECT edge{limit, 0, 0, 0};
        MapDialogRect(hwnd_, &edge);
        const std::wstring text = Widen(t.text);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        const Rect r = ControlRect(t.id);
        const int width = std::min<int>(size.cx, edge.left - 1 - r.left);
        if (width > r.Width()) MoveControl(t.id, {r.left, r.top, r.left + width, r.bottom});
    }
    SelectObject(dc, oldFont);
    ReleaseDC(hwnd_, dc);
}

void MainWindow::MakeTips() {
    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    if (!tips_) return;
    // Wide enough for a long choice, broken into lines rather than off screen.
    SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, 400);
    for (int id = IdQuestionText; id >= IdChoice1; --id) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(Control(id));
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

std::wstring MainWindow::TipText(int id) const {
    if (!tips_) return {};
    std::wstring text(1024, L'\0');
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(id));
    tool.lpszText = text.data();
    SendMessageW(tips_, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    text.resize(wcslen(text.c_str()));
    return text;
}

void MainWindow::FitText(int id) {
    HWND c = Control(id);
    const std::wstring& whole = wholeTexts_[id];
    HDC dc = GetDC(c);
    const HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(c, WM_GETFONT, 0, 0)));
    const auto width = [dc](std::wstring_view text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    std::wstring tip;
    if (id == IdQuestionText) {
        // A question too long for its box: the whole text in the tooltip.
        RECT room{};
        GetClientRect(c, &room);
        RECT need = room;
        DrawTextW(dc, whole.c_str(), static_cast<int>(whole.size()), &need,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
        if (need.bottom > room.bottom) tip = whole;
    } else {
        // A choice too long for its row ends in an ellipsis; the whole text is
        // in the tooltip, with the key that chooses it.
        const int room = ControlRect(id).Width() - GetSystemMetrics(SM_CXMENUCHECK) - 6;
        std::wstring shown = whole;
        if (width(whole) > room) {
            std::size_t fits = 0;  // the longest start that fits with the ellipsis
            for (std::size_t n = 1; n <= whole.size(); ++n) {
                if (n < whole.size() && IsLowSurrogate(whole[n])) continue;
                if (width(whole.substr(0, n) + L"\u2026") > room) break;
                fits = n;
            }
            shown = whole.substr(0, fits) + L"\u2026";
            tip = whole + L"\n";
        }
        tip += L"Press " + std::to_wstring(id - IdChoice1 + 1);
        SetWindowTextW(c, ButtonCaption(shown).c_str());
    }
    SelectObject(dc, oldFont);
    ReleaseDC(c, dc);
    if (!tips_) return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(c);
    tool.lpszText = tip.data();
    SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

MainWindow::~MainWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

bool MainWindow::Start() {
    if (!hwnd_) return false;
    const bool loaded = DialogInit(session_, *this);
    ShowWindow(hwnd_, SW_SHOW);
    return loaded;
}

int MainWindow::Run() {
    if (!hwnd_) return 1;
    MSG msg;
    while (!ended_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return 1;
        if (got == 0) return static_cast<int>(msg.wParam);
        HandleMessage(msg);
    }
    return exitCode_;
}

void MainWindow::HandleMessage(MSG& msg) {
    if (ChoiceKey(msg) || ButtonKey(msg)) return;
    if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

INT_PTR CALLBACK MainWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<MainWindow*>(lParam)->hwnd_ = hwnd;
        // No focus yet: the window is still hidden. Shown, it is activated and
        // its first tab stop takes the focus.
        return FALSE;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return self ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // The pane's notifications come while the core is changing its
            // text: they are no commands.
            if (lParam != 0 && reinterpret_cast<HWND>(lParam) == pane_) return TRUE;
            Dispatch(LOWORD(wParam));
            return TRUE;
        case WM_TIMER:
            Tick(static_cast<int>(wParam));
            return TRUE;
        case WM_CLOSE:
            // The window never closes by itself: the core stops the timer and asks to quit.
            if (!ended_) DialogClose(*this);
            return TRUE;
        case FlushPaneMessage:
            if (pane_) FlushPane();
            return TRUE;
        case QuitMessage:
            if (!ended_) {
                ended_ = true;
                exitCode_ = static_cast<int>(wParam);
                for (auto& [id, t] : timers_) {
                    KillTimer(hwnd_, static_cast<UINT_PTR>(id));
                    t.ticking = false;
                }
            }
            return TRUE;
        default:
            return FALSE;
    }
}

LRESULT CALLBACK MainWindow::PaneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR) {
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    // The pane is read-only and needs no caret; a blinking one would wake the
    // idle program twice a second.
    if (message == WM_SETFOCUS) DestroyCaret();
    // Nor does the focus select its whole text, as the dialog manager would each
    // time the window is activated: the selection is the user's, for printing.
    if (message == WM_GETDLGCODE) return result & ~DLGC_HASSETSEL;
    return result;
}

HWND MainWindow::Control(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }

void MainWindow::Dispatch(int id) {
    if (ended_) return;
    CatchUpBars();
    DialogCommand(session_, *this, id);
    WakeTimers();
}

bool MainWindow::ChoiceKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || !hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)))
        return false;
    int k = 0;
    if (msg.wParam >= '1' && msg.wParam < '1' + ChoiceCount) {
        k = static_cast<int>(msg.wParam - '0');
    } else if (msg.wParam >= VK_NUMPAD1 && msg.wParam < VK_NUMPAD1 + ChoiceCount) {
        k = static_cast<int>(msg.wParam - VK_NUMPAD0);
    } else {
        return false;
    }
    if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)
        return false;
    HWND choice = Control(IdChoice1 + k - 1);
    if (IsWindowEnabled(choice) && IsControlVisible(IdChoice1 + k - 1)) {
        // As a mouse click would: focus (so Enter then presses OK), check, command.
        SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(choice), TRUE);
        SendMessageW(choice, BM_CLICK, 0, 0);
    }
    return true;
}

bool MainWindow::ButtonKey(const MSG& msg) {
    if (msg.message != WM_SYSKEYDOWN || !hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)))
        return false;
    // Alt and a letter of its caption press a button; the captions stay unmarked.
    static constexpr std::pair<WPARAM, int> Keys[] = {
        {'O', IdOk}, {'S', IdSkip}, {'P', IdPrint}, {'H', IdHtml}, {'X', IdExit}};
    for (const auto& [key, id] : Keys) {
        if (msg.wParam != key) continue;
        HWND button = Control(id);
        if (IsWindowEnabled(button) && IsWindowVisible(button)) {
            SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
            SendMessageW(button, BM_CLICK, 0, 0);
        }
        return true;
    }
    return false;
}

void MainWindow::MoveFocusOffControl(HWND control) {
    if (!pane_ || control == pane_ || GetFocus() != control || !IsControlVisible(IdTranscript))
        return;
    // Through the dialog manager, so that OK becomes the default button again.
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pane_), TRUE);
}

// --- Controls

bool MainWindow::HasControl(int id) const { return Control(id) != nullptr; }

void MainWindow::SetControlText(int id, std::string_view text) {
    HWND c = Control(id);
    if (!c) return;
    if (c == pane_) {
        SetPaneText(text);
    } else {
        SetWindowTextW(c, (IsButtonId(id) ? ButtonCaption(Widen(text)) : Widen(text)).c_str());
    }
    if (IsChoiceId(id) || id == IdQuestionText) {
        wholeTexts_[id] = Widen(text);
        FitText(id);
    }
}

std::string MainWindow::ControlText(int id) const {
    HWND c = Control(id);
    if (!c) return {};
    if (c == pane_) return PaneText();
    if (auto whole = wholeTexts_.find(id); whole != wholeTexts_.end()) return Narrow(whole->second);
    const std::wstring text = WindowText(c);
    return IsButtonId(id) ? ButtonText(text) : Narrow(text);
}

void MainWindow::EnableControl(int id, bool enabled) {
    HWND c = Control(id);
    if (!c) return;
    if (!enabled) MoveFocusOffControl(c);
    EnableWindow(c, enabled);
}

bool MainWindow::IsControlEnabled(int id) const {
    HWND c = Control(id);
    return c && IsWindowEnabled(c);
}

void MainWindow::ShowControl(int id, bool visible) {
    HWND c = Control(id);
    if (!c) return;
    if (!visible) MoveFocusOffControl(c);
    ShowWindow(c, visible ? SW_SHOWNA : SW_HIDE);
}

bool MainWindow::IsControlVisible(int id) const {
    // The control's own state, whether or not the window is shown yet.
    HWND c = Control(id);
    return c && (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) != 0;
}

void MainWindow::SetChecked(int id, bool checked) {
    if (IsChoiceId(id))
        SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool MainWindow::IsChecked(int id) const {
    return IsChoiceId(id) && SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

Rect MainWindow::ClientRect() const {
    RECT r{};
    if (hwnd_) GetClientRect(hwnd_, &r);
    return ToRect(r);
}

Rect MainWindow::ControlRect(int id) const {
    HWND c = Control(id);
    RECT r{};
    if (!c) return {};
    GetWindowRect(c, &r);
    MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return ToRect(r);
}

void MainWindow::MoveControl(int id, const Rect& rect) {
    if (HWND c = Control(id))
        SetWindowPos(c, nullptr, rect.left, rect.top, std::max(0, rect.Width()),
                     std::max(0, rect.Height()), SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::Repaint() {
    if (pane_) FlushPane();
    // The controls are windows of their own: paint them too, now.
    if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// --- The pane

void MainWindow::FlushPane() const {
    if (pendingPane_.empty()) return;
    // At the end of the text: the pane takes it without laying out what it has.
    const int end = GetWindowTextLengthW(pane_);
    SendMessageW(pane_, EM_SETSEL, end, end);
    SendMessageW(pane_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pendingPane_.c_str()));
    pendingPane_.clear();
    ShowPaneFromTop();
}

std::wstring MainWindow::PaneUnits() const {
    if (!pane_) return {};
    FlushPane();
    return WindowText(pane_);
}

std::size_t MainWindow::PaneLength() const { return paneLength_; }

std::string MainWindow::PaneText() const { return Narrow(PaneUnits()); }

void MainWindow::ShowPaneFromTop() const {
    SendMessageW(pane_, EM_SETSEL, 0, 0);
    SendMessageW(pane_, WM_VSCROLL, SB_TOP, 0);
}

void MainWindow::SetPaneText(std::string_view text) {
    if (!pane_) return;
    const std::wstring units = PaneUnitsFromSeam(text);
    pendingPane_.clear();
    SetWindowTextW(pane_, units.c_str());
    paneLength_ = PanePosition(units, units.size());
    ShowPaneFromTop();
}

void MainWindow::AppendPaneText(std::string_view text) {
    if (!pane_ || text.empty()) return;
    // Lines added one by one during a command reach the control together,
    // before anything reads the pane or the window is painted: each addition
    // scrolls the pane, which on some systems costs a redraw of the window.
    if (pendingPane_.empty()) PostMessageW(hwnd_, FlushPaneMessage, 0, 0);
    const std::wstring units = PaneUnitsFromSeam(text);
    pendingPane_ += units;
    paneLength_ += PanePosition(units, units.size());
}

int MainWindow::PaneLineCount() const {
    if (!pane_) return 1;
    FlushPane();
    return static_cast<int>(SendMessageW(pane_, EM_GETLINECOUNT, 0, 0));
}

std::string MainWindow::PaneLine(int index) const {
    if (index < 0 || index >= PaneLineCount()) return {};
    const LRESULT start = SendMessageW(pane_, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    const auto length =
        static_cast<std::size_t>(SendMessageW(pane_, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
    if (length == 0) return {};
    // The buffer's first unit tells the control its size.
    std::vector<wchar_t> buffer(length + 1, L'\0');
    buffer[0] = static_cast<wchar_t>(std::min<std::size_t>(buffer.size(), 0xFFFF));
    const auto copied = static_cast<std::size_t>(SendMessageW(
        pane_, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data())));
    return Narrow(std::wstring_view(buffer.data(), std::min(copied, length)));
}

std::uint32_t MainWindow::PaneLineStart(int index) const {
    const std::wstring units = PaneUnits();
    if (index < 0 || index >= PaneLineCount()) return PanePosition(units, units.size());
    const LRESULT start = SendMessageW(pane_, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    return PanePosition(units, start < 0 ? units.size() : static_cast<std::size_t>(start));
}

void MainWindow::SelectAllPane() {
    if (!pane_) return;
    FlushPane();
    SendMessageW(pane_, EM_SETSEL, 0, -1);
}

PaneSelection MainWindow::PaneSelectionRange() const {
    if (!pane_) return {};
    FlushPane();
    DWORD start = 0, end = 0;
    SendMessageW(pane_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    const std::wstring units = PaneUnits();
    return {PanePosition(units, start), PanePosition(units, end)};
}

// --- Bars

void MainWindow::PostBarMessage(int barId, BarMessage message, std::int32_t value) {
    if (KindOf(barId) != ControlKind::Bar) return;
    HWND bar = Control(barId);
    if (!bar) return;
    switch (message) {
        case BarMessage::SetBarColor:  // 0x00BBGGRR, as a COLORREF
            PostMessageW(bar, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(static_cast<DWORD>(value)));
            break;
        case BarMessage::SetRange:  // low 16 bits minimum, high 16 bits maximum
            PostMessageW(bar, PBM_SETRANGE, 0, static_cast<LPARAM>(static_cast<DWORD>(value)));
            break;
        case BarMessage::SetPos:
            PostMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(static_cast<INT_PTR>(value)), 0);
            break;
    }
}

// --- Message boxes

BoxResult MainWindow::MessageBox(BoxOwner owner, std::string_view text, std::string_view caption,
                                 BoxButtons buttons) {
    // The bars keep moving while a box is open.
    WakeTimers();
    const UINT type = buttons == BoxButtons::YesNo ? MB_YESNO : MB_OK;
    const int answer = MessageBoxW(owner == BoxOwner::Dialog ? hwnd_ : nullptr, Widen(text).c_str(),
                                   Widen(caption).c_str(), type);
    if (answer == IDYES) return BoxResult::Yes;
    if (answer == IDNO) return BoxResult::No;
    return buttons == BoxButtons::YesNo ? BoxResult::No : BoxResult::Ok;
}

// --- Timers

void MainWindow::SetWindowTimer(int timerId, SeamTimer& t) {
    t.ticking = SetTimer(hwnd_, static_cast<UINT_PTR>(timerId), t.intervalMs, nullptr) != 0;
    if (timerId == IdBarTimer) barSleep_.Wake();
}

void MainWindow::StartTimer(int timerId, int intervalMs) {
    if (!hwnd_ || ended_) return;
    SeamTimer& t = timers_[timerId];
    t.intervalMs = static_cast<UINT>(std::max(intervalMs, MinTimerIntervalMs));
    t.running = true;
    SetWindowTimer(timerId, t);
}

void MainWindow::StopTimer(int timerId) {
    auto it = timers_.find(timerId);
    if (it == timers_.end()) return;
    it->second.running = false;
    it->second.ticking = false;
    KillTimer(hwnd_, static_cast<UINT_PTR>(timerId));
}

void MainWindow::Tick(int timerId) {
    if (ended_) return;
    DialogTimer(session_, *this, timerId);
    auto it = timers_.find(timerId);
    if (it != timers_.end() && it->second.ticking && timerId == IdBarTimer &&
        barSleep_.SleepAfterTick(session_)) {
        KillTimer(hwnd_, static_cast<UINT_PTR>(timerId));
        it->second.ticking = false;
    }
}

void MainWindow::CatchUpBars() {
    auto it = timers_.find(IdBarTimer);
    if (it != timers_.end() && it->second.running)
        barSleep_.CatchUp(session_, static_cast<int>(it->second.intervalMs));
}

void MainWindow::WakeTimers() {
    for (auto& [id, t] : timers_) {
        if (!t.running || t.ticking) continue;
        if (id == IdBarTimer && BarsOutOfSight(session_)) continue;
        SetWindowTimer(id, t);
    }
}

bool MainWindow::TimerTicking(int timerId) const {
    auto it = timers_.find(timerId);
    return it != timers_.end() && it->second.ticking;
}

// --- Posted requests

void MainWindow::PostCommand(int id) {
    if (hwnd_) PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void MainWindow::PostClose() {
    if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void MainWindow::PostQuit(int exitCode) {
    if (hwnd_) PostMessageW(hwnd_, QuitMessage, static_cast<WPARAM>(exitCode), 0);
}

// --- Placement and the desktop

Rect MainWindow::DesktopRect() const {
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    return ToRect(r);
}

void MainWindow::MoveWindow(int x, int y) {
    if (hwnd_) SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MainWindow::OpenFile(const std::string& path) {
    // A path's UTF-8 keeps what a Windows file name may hold and UTF-16 may not.
    return ShellOpen(PathFromUtf8(path).wstring());
}

bool MainWindow::ShellOpen(const std::wstring& path) {
    // Values above 32 tell success.
    return reinterpret_cast<INT_PTR>(
               ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

// --- Printing

std::unique_ptr<PrintSurface> MainWindow::RunPrintDialog(bool selectionAvailable) {
    WakeTimers();
    PRINTDLGW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = hwnd_;
    // The driver makes the copies the user asks for; pages may be chosen by number.
    request.Flags =
        PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE | (selectionAvailable ? 0 : PD_NOSELECTION);
    request.nFromPage = 1;
    request.nToPage = 1;
    request.nMinPage = 1;
    request.nMaxPage = 0xFFFF;
    request.nCopies = 1;
    const BOOL confirmed = PrintDlgW(&request);
    if (request.hDevMode) GlobalFree(request.hDevMode);
    if (request.hDevNames) GlobalFree(request.hDevNames);
    if (!confirmed || !request.hDC) {
        if (request.hDC) DeleteDC(request.hDC);
        return nullptr;
    }
    const bool pages = (request.Flags & PD_PAGENUMS) != 0;
    return std::make_unique<GdiPrintSurface>(request.hDC, (request.Flags & PD_SELECTION) != 0,
                                             pages ? request.nFromPage : 0,
                                             pages ? request.nToPage : 0);
}

}  // namespace kinpath::win32
