#include "frontends/win32/MainWindow.h"

#include <commdlg.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "app/MainDialog.h"
#include "frontends/win32/DialogResource.h"
#include "frontends/win32/GdiPrintSurface.h"
#include "frontends/win32/Pane.h"
#include "frontends/win32/ResourceIds.h"
#include "frontends/win32/TextFitting.h"
#include "frontends/win32/Utf16.h"
#include "text/PathText.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath::win32 {

namespace {

// A quit request that has reached the front of the queue; wParam is the exit status.
constexpr UINT QuitMessage = WM_APP + 1;
static_assert(QuitMessage != Pane::FlushMessage);
#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

// The question's text stands this far inside its border, in pixels at 96 dots
// an inch, as in the Linux window.
constexpr int QuestionMarginAt96Dpi = 2;

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

// The virtual key of an ASCII letter: its capital.
WPARAM LetterKey(char letter) {
    return static_cast<WPARAM>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
}

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Calls of systems newer than the oldest one the program runs on, where there.
template <typename Function>
Function SystemCall(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

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

}  // namespace

MainWindow::MainWindow(Session& session) : driver_(session, *this, *this, clock_) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const std::vector<std::uint16_t> dialog = BuildDialogTemplate();
    // Modeless, so that the run's loop is ours and tests can drive the window;
    // WM_INITDIALOG records the handle.
    CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                               reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), nullptr,
                               DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return;
    pane_ = std::make_unique<Pane>(hwnd_, Control(IdTranscript));
    SetWindowSubclass(pane_->Handle(), PaneProc, 0, 0);
    dpi_ = WindowDpi(hwnd_);
    tips_ = std::make_unique<TextTips>(hwnd_);
    tips_->SetQuestionMargin(MulDiv(QuestionMarginAt96Dpi, dpi_, 96));
    SetWindowSubclass(Control(IdQuestionText), QuestionProc, 0,
                      reinterpret_cast<DWORD_PTR>(tips_.get()));
    // The window scales itself when it moves to a monitor of another resolution.
    using SetBehaviourCall = BOOL(WINAPI*)(HWND, int, int);
    if (auto call = SystemCall<SetBehaviourCall>("SetDialogDpiChangeBehavior"))
        call(hwnd_, 0x0003, 0x0003);  // DDC_DISABLE_ALL for mask and values
    DressControls();
    FitLabels(hwnd_);
}

void MainWindow::DressControls() {
    // A themed bar draws in the theme's colour and ignores the red it is given.
    // A class list that names no class turns the theme off (a blank, since
    // some systems take an empty list for the default one).
    // The bar may change its frame with the theme: have the new frame laid out.
    for (int id = IdFirstBar; id < IdFirstBar + BarCount; ++id) {
        SetWindowTheme(Control(id), L" ", L" ");
        SetWindowPos(Control(id), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The program's icon on the task bar and in the task switcher.
    for (auto [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}) {
        const int size = GetSystemMetrics(metric);
        if (HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(KINPATH_ICON),
                                     IMAGE_ICON, size, size, LR_SHARED))
            SendMessageW(hwnd_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
}

std::wstring MainWindow::TipText(int id) const { return tips_ ? tips_->Tip(id) : std::wstring(); }

MainWindow::~MainWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
    if (scaledFont_) DeleteObject(scaledFont_);
}

bool MainWindow::Start(const std::string& scriptPath) {
    if (!hwnd_) return false;
    const bool loaded = driver_.Start(scriptPath);
    ShowWindow(hwnd_, SW_SHOW);
    return loaded;
}

int MainWindow::Run() {
    if (!hwnd_) return 1;
    MSG msg;
    while (!driver_.Ended()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return 1;
        if (got == 0) return static_cast<int>(msg.wParam);
        HandleMessage(msg);
    }
    return driver_.ExitCode();
}

void MainWindow::HandleMessage(MSG& msg) {
    if (ChoiceKey(msg) || ButtonKey(msg) || RestartKey(msg)) return;
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
            if (lParam != 0 && reinterpret_cast<HWND>(lParam) == pane_->Handle()) return TRUE;
            driver_.Command(LOWORD(wParam));
            return TRUE;
        case WM_TIMER:
            if (wParam == static_cast<WPARAM>(IdBarTimer)) driver_.Tick();
            return TRUE;
        case WM_CLOSE:
            // The window never closes by itself: the core stops the timer and asks to quit.
            driver_.Close();
            return TRUE;
        case Pane::FlushMessage:
            pane_->Flush();
            return TRUE;
        case QuitMessage:
            driver_.Quit(static_cast<int>(wParam));
            return TRUE;
        case WM_DPICHANGED:
            ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
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

LRESULT CALLBACK MainWindow::QuestionProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR data) {
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

void MainWindow::ChangeDpi(int newDpi, const RECT& suggested) {
    if (newDpi > 0 && newDpi != dpi_) {
        // Every control keeps its place and size in proportion, whichever
        // layout is on; the font grows with them.
        for (const ControlTemplate& t : DialogControls) {
            const Rect r = ControlRect(t.id);
            const auto scale = [&](int v) { return MulDiv(v, newDpi, dpi_); };
            MoveControl(t.id, {scale(r.left), scale(r.top), scale(r.right), scale(r.bottom)});
        }
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
        tips_->SetQuestionMargin(MulDiv(QuestionMarginAt96Dpi, dpi_, 96));
        for (const auto& [id, whole] : wholeTexts_) tips_->Fit(id, whole);
    }
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND MainWindow::Control(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }

bool MainWindow::ChoiceKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || !hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)))
        return false;
    int k = 0;
    if (msg.wParam >= '1' && msg.wParam < '1' + ChoiceButtonCount) {
        k = static_cast<int>(msg.wParam - '0');
    } else if (msg.wParam >= VK_NUMPAD1 && msg.wParam < VK_NUMPAD1 + ChoiceButtonCount) {
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
    // Alt and the access key marked in its caption press a button.
    for (const ControlTemplate& t : DialogControls) {
        const char key = AccessKey(t.id);
        if (key == 0 || msg.wParam != LetterKey(key)) continue;
        HWND button = Control(t.id);
        if (IsWindowEnabled(button) && IsWindowVisible(button)) {
            SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
            SendMessageW(button, BM_CLICK, 0, 0);
        }
        return true;
    }
    return false;
}

void MainWindow::UpdateChoiceTabStop() {
    const int stop = ChoiceTabStop(*this);
    for (int id = IdChoice1; id < IdChoice1 + ChoiceButtonCount; ++id) {
        HWND c = Control(id);
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        SetWindowLongW(c, GWL_STYLE, id == stop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
}

bool MainWindow::RestartKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || !hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)))
        return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (!(msg.wParam == VK_F5 && !control) && !(msg.wParam == 'R' && control)) return false;
    driver_.Restart();
    return true;
}

void MainWindow::MoveFocusOffControl(HWND control) {
    HWND pane = pane_->Handle();
    if (!pane || control == pane || GetFocus() != control || !IsControlVisible(IdTranscript))
        return;
    // Through the dialog manager, so that OK becomes the default button again.
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pane), TRUE);
}

// --- Controls

bool MainWindow::HasControl(int id) const { return Control(id) != nullptr; }

void MainWindow::SetControlText(int id, std::string_view text) {
    HWND c = Control(id);
    if (!c) return;
    if (id == IdTranscript) {
        SetPaneText(text);
    } else if (IsChoiceId(id) || id == IdQuestionText) {
        wholeTexts_[id] = Widen(text);
        if (id == IdQuestionText) SetWindowTextW(c, wholeTexts_[id].c_str());
        tips_->Fit(id, wholeTexts_[id]);
    } else {
        SetWindowTextW(c,
                       Widen(IsButtonId(id) ? MarkedCaption(text, id) : std::string(text)).c_str());
    }
}

std::string MainWindow::ControlText(int id) const {
    HWND c = Control(id);
    if (!c) return {};
    if (id == IdTranscript) return PaneText();
    if (auto whole = wholeTexts_.find(id); whole != wholeTexts_.end()) return Narrow(whole->second);
    const std::string text = Narrow(WindowText(c));
    return IsButtonId(id) ? UnmarkedCaption(text) : text;
}

void MainWindow::EnableControl(int id, bool enabled) {
    HWND c = Control(id);
    if (!c) return;
    if (!enabled) MoveFocusOffControl(c);
    EnableWindow(c, enabled);
    if (IsChoiceId(id)) UpdateChoiceTabStop();
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
    if (IsChoiceId(id)) UpdateChoiceTabStop();
}

bool MainWindow::IsControlVisible(int id) const {
    // The control's own state, whether or not the window is shown yet.
    HWND c = Control(id);
    return c && (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) != 0;
}

void MainWindow::SetChecked(int id, bool checked) {
    if (!IsChoiceId(id)) return;
    SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    UpdateChoiceTabStop();
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
    if (pane_) pane_->Flush();
    // The controls are windows of their own: paint them too, now.
    if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// --- The pane

std::size_t MainWindow::PaneLength() const { return pane_ ? pane_->Length() : 0; }
std::string MainWindow::PaneText() const { return pane_ ? pane_->Text() : std::string(); }
void MainWindow::SetPaneText(std::string_view text) {
    if (pane_) pane_->SetText(text);
}
void MainWindow::AppendPaneText(std::string_view text) {
    if (pane_) pane_->Append(text);
}
int MainWindow::PaneLineCount() const { return pane_ ? pane_->LineCount() : 1; }
std::string MainWindow::PaneLine(int index) const {
    return pane_ ? pane_->Line(index) : std::string();
}
std::uint32_t MainWindow::PaneLineStart(int index) const {
    return pane_ ? pane_->LineStart(index) : 0;
}
void MainWindow::SelectAllPane() {
    if (pane_) pane_->SelectAll();
}
PaneSelection MainWindow::PaneSelectionRange() const {
    return pane_ ? pane_->Selection() : PaneSelection{};
}

// --- Bars: posted, so they apply in the order given, after the command.

void MainWindow::PostToBar(int barId, UINT message, WPARAM wParam, LPARAM lParam) {
    if (KindOf(barId) != ControlKind::Bar) return;
    if (HWND bar = Control(barId)) PostMessageW(bar, message, wParam, lParam);
}

void MainWindow::SetBarColour(int barId, Colour colour) {
    PostToBar(barId, PBM_SETBARCOLOR, 0, RGB(colour.red, colour.green, colour.blue));
}

void MainWindow::SetBarRange(int barId, int low, int high) {
    PostToBar(barId, PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
}

void MainWindow::SetBarPosition(int barId, std::int32_t position) {
    PostToBar(barId, PBM_SETPOS, static_cast<WPARAM>(static_cast<INT_PTR>(position)), 0);
}

// --- Message boxes

BoxResult MainWindow::MessageBox(BoxOwner owner, std::string_view text, std::string_view caption,
                                 BoxButtons buttons) {
    driver_.KeepBarsMoving();
    const UINT type = buttons == BoxButtons::YesNo ? MB_YESNO : MB_OK;
    const int answer = MessageBoxW(owner == BoxOwner::Dialog ? hwnd_ : nullptr, Widen(text).c_str(),
                                   Widen(caption).c_str(), type);
    if (answer == IDYES) return BoxResult::Yes;
    if (answer == IDNO) return BoxResult::No;
    return buttons == BoxButtons::YesNo ? BoxResult::No : BoxResult::Ok;
}

// --- The timer and posted requests

void MainWindow::StartTimer(int timerId, int intervalMs) {
    if (hwnd_) driver_.StartTimer(timerId, intervalMs);
}

void MainWindow::StopTimer(int timerId) { driver_.StopTimer(timerId); }

void MainWindow::StartTicks(int intervalMs) {
    ticking_ = SetTimer(hwnd_, IdBarTimer, static_cast<UINT>(intervalMs), nullptr) != 0;
}

void MainWindow::StopTicks() {
    KillTimer(hwnd_, IdBarTimer);
    ticking_ = false;
}

bool MainWindow::TimerTicking(int timerId) const { return timerId == IdBarTimer && ticking_; }

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
    driver_.KeepBarsMoving();
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
