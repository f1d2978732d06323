#include "frontends/win32/MainWindow.h"

#include <objbase.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <vector>

#include "app/MainDialog.h"
#include "app/SpokenWords.h"
#include "frontends/win32/Accessible.h"
#include "frontends/win32/DialogResource.h"
#include "frontends/win32/Dpi.h"
#include "frontends/win32/KeyPress.h"
#include "frontends/win32/Pane.h"
#include "frontends/win32/ResourceIds.h"
#include "frontends/win32/TextFitting.h"
#include "frontends/win32/Utf16.h"
#include "text/PathText.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath::win32 {

namespace {

// The run waits on a box or the print dialog: shown from the message loop,
// never inside a draw.
constexpr UINT BoxMessage = WM_APP + 1;
constexpr UINT PrintMessage = WM_APP + 2;
#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

bool IsChoiceId(int id) { return id >= IdChoice1 && id < IdChoice1 + ChoiceButtonCount; }

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

MainWindow::MainWindow() : driver_(*this, clock_) {
    // Screen readers are answered through COM, on this thread.
    com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const std::vector<std::uint16_t> dialog = BuildDialogTemplate();
    // Modeless, so that the run's loop is ours and tests can drive the window;
    // WM_INITDIALOG records the handle.
    CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                               reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), nullptr,
                               DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return;
    // The lines the pane lays out are the screen's.
    pane_ = std::make_unique<Pane>(Control(IdTranscript), [this](std::vector<PaneLine> lines) {
        if (lines != driver_.Shown().paneLines) driver_.PaneLaidOut(std::move(lines));
    });
    SpokenOf(IdTranscript).name = Widen(PaneName);
    questionsPane_ = ControlRect(IdTranscript);
    dpi_ = WindowDpi(hwnd_);
    tips_ = std::make_unique<TextTips>(hwnd_);
    tips_->SetQuestionMargin(QuestionMargin(dpi_));
    SetWindowSubclass(Control(IdQuestionText), QuestionProc, 0,
                      reinterpret_cast<DWORD_PTR>(tips_.get()));
    ScaleItself(hwnd_);
    DressControls();
    FitLabels(hwnd_);
}

void MainWindow::DressControls() {
    // A themed bar draws in the theme's colour and ignores the red it is given.
    // A class list that names no class turns the theme off (a blank, since
    // some systems take an empty list for the default one).
    // The bar may change its frame with the theme: have the new frame laid out.
    for (int id = IdFirstBar; id < IdFirstBar + BarCount; ++id) {
        HWND bar = Control(id);
        SetWindowTheme(bar, L" ", L" ");
        SetWindowPos(bar, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(bar, PBM_SETBARCOLOR, 0, RGB(BarColour.red, BarColour.green, BarColour.blue));
        SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(BarLow), BarHigh);
        // Named for readers by its label, as a game's own names rename it.
        SpokenOf(id).name = WindowText(Control(id - IdFirstBar + IdFirstLabel));
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
    if (com_) CoUninitialize();
}

bool MainWindow::Start(const std::string& scriptPath) {
    if (!hwnd_) return false;
    const Point corner = CentreWindow(DesktopRect(), ClientRect());
    SetWindowPos(hwnd_, nullptr, corner.x, corner.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const bool loaded = driver_.Start(scriptPath);
    // A script that did not load gets its boxes alone: the window never opens.
    if (!loaded) return false;
    ShowWindow(hwnd_, SW_SHOW);
    // Shown, the dialog gave its first tab stop the focus; it goes where the
    // screen says.
    DrawFocus(driver_.Shown().focus);
    return true;
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
    return 0;
}

void MainWindow::HandleMessage(MSG& msg) {
    if (!SharedKey(msg) && !(hwnd_ && IsDialogMessageW(hwnd_, &msg))) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ReportFocus();
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
            // A click. A radio button's double click is the same choice again,
            // and the pane's notifications are no input.
            if (HIWORD(wParam) == BN_CLICKED && !focusing_) Click(LOWORD(wParam));
            return TRUE;
        case WM_TIMER:
            if (wParam == static_cast<WPARAM>(IdBarTimer)) driver_.Tick();
            return TRUE;
        case WM_CLOSE:
            // The window never closes by itself: the run ends, as Exit ends it.
            ReportSelection();
            driver_.Close();
            return TRUE;
        case BoxMessage:
            ShowWaitingBox();
            return TRUE;
        case PrintMessage:
            driver_.Printed(RunPrintDialog(wParam != 0));
            return TRUE;
        case WM_CONTEXTMENU:
            ShowMenu(lParam);
            return TRUE;
        case WM_DPICHANGED:
            ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        default:
            return FALSE;
    }
}

HWND MainWindow::Control(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }

int MainWindow::FocusedControl() const {
    HWND focus = GetFocus();
    if (!hwnd_ || !focus || GetParent(focus) != hwnd_) return 0;
    const int id = GetDlgCtrlID(focus);
    return ControlIndex(id) < 0 ? 0 : id;
}

bool MainWindow::FocusIsHere() const {
    HWND focus = GetFocus();
    return hwnd_ && focus && (focus == hwnd_ || IsChild(hwnd_, focus));
}

void MainWindow::Focus(int id) {
    // Through the dialog manager, so that OK becomes the default button again.
    if (HWND c = Control(id)) SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE);
}

void MainWindow::DrawChecks() {
    for (int c = IdChoice1; c < IdChoice1 + ChoiceButtonCount; ++c) {
        const bool checked = driver_.Shown().controls[ControlIndex(c)].checked;
        SendMessageW(Control(c), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    // Setting a radio button's check sets or clears its tab stop as well.
    DrawChoiceTabStop(choiceTabStop_);
}

// --- Input

void MainWindow::ReportSelection() {
    // The edit control tells no one of the selection the user makes: it is
    // read before any input that may act on it.
    if (!pane_) return;
    const PaneSelection selection = pane_->Selection();
    if (selection != driver_.Shown().selection) driver_.Selected(selection);
}

void MainWindow::Click(int id) {
    ReportSelection();  // Print prints it
    driver_.Press(id);
    // A radio button checks itself when clicked; the run may not have taken the click.
    if (IsChoiceId(id)) DrawChecks();
}

void MainWindow::ReportFocus() {
    // Focus in another window (a box, another program) is no move within this one.
    if (FocusIsHere() && FocusedControl() != driver_.Shown().focus) {
        ReportSelection();
        driver_.Focused(FocusedControl());
    }
}

bool MainWindow::SharedKey(const MSG& msg) {
    if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
    std::optional<KeyPress> key = KeyPressOf(msg);
    if (!key) return false;
    key->focused = FocusedControl();
    ReportSelection();  // the key may act on it
    return driver_.Key(*key).handled;
}

// --- Drawing

void MainWindow::DrawCaption(std::string_view caption) {
    SetWindowTextW(hwnd_, Widen(caption).c_str());
}

void MainWindow::DrawLayout(Layout layout) {
    // The results give the pane the window above the button row; the
    // questions give it back its place.
    if (layout == Layout::Results) {
        questionsPane_ = ControlRect(IdTranscript);
        MoveControl(IdTranscript, ResultsPaneRect(ClientRect()));
    } else {
        MoveControl(IdTranscript, questionsPane_);
    }
}

void MainWindow::DrawControl(int id, const ControlView& control) {
    const int index = ControlIndex(id);
    HWND c = Control(id);
    if (index < 0 || !c) return;
    // The driver draws a control only when it changed.
    const ControlKind kind = DialogControls[static_cast<std::size_t>(index)].kind;
    SetControlText(id, kind, control.text);
    if (kind == ControlKind::Choice) {
        SendMessageW(c, BM_SETCHECK, control.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        DrawChoiceTabStop(choiceTabStop_);  // the check took the tab stop along
    }
    EnableWindow(c, control.enabled);
    ShowWindow(c, control.visible ? SW_SHOWNA : SW_HIDE);
    // A choice the question does not use is only a circle, of no use to hear.
    if (kind == ControlKind::Choice) SpokenOf(id).hidden = !control.enabled && control.text.empty();
}

void MainWindow::DrawChoiceTabStop(int id) {
    // The arrow keys move within the choices; Tab enters them at this one.
    choiceTabStop_ = id;
    for (int c = IdChoice1; c < IdChoice1 + ChoiceButtonCount; ++c) {
        const LONG style = GetWindowLongW(Control(c), GWL_STYLE);
        SetWindowLongW(Control(c), GWL_STYLE, c == id ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
}

void MainWindow::DrawFocus(int id) {
    // A control disabled with the focus keeps it, but no key reaches it any
    // more; one hidden takes it along, leaving it nowhere. The focus goes
    // where the screen says once the window is shown and holds it, never
    // out of another window (a box, another program).
    if (!hwnd_ || !IsWindowVisible(hwnd_) || (GetFocus() && !FocusIsHere())) return;
    // An automatic radio button checks itself when it gets the focus; only
    // the player's click or key chooses, so it shows the screen's check again.
    focusing_ = true;
    Focus(id);
    focusing_ = false;
    if (IsChoiceId(id)) DrawChecks();
}

void MainWindow::SetControlText(int id, ControlKind kind, const std::string& text) {
    switch (kind) {
        case ControlKind::QuestionText:
        case ControlKind::Choice:
            // As much as the control holds; the whole text in its tooltip and to a reader.
            tips_->Fit(id, Widen(text));
            SpokenOf(id).name = Widen(text);
            if (kind == ControlKind::Choice)
                SpokenOf(id).description = Widen(ChoiceKeyText(id - IdChoice1 + 1));
            break;
        case ControlKind::DefaultButton:
        case ControlKind::Button:
            SetWindowTextW(Control(id), Widen(MarkedCaption(text, id)).c_str());
            break;
        case ControlKind::Label:  // a game's own name may need more room; it names its bar
            SetWindowTextW(Control(id), Widen(text).c_str());
            FitLabels(hwnd_);
            SpokenOf(id - IdFirstLabel + IdFirstBar).name = Widen(text);
            break;
        case ControlKind::Pane:  // its text is drawn by DrawPane
        case ControlKind::Bar:
            break;
    }
}

void MainWindow::DrawPane(std::string_view text) {
    if (pane_) pane_->SetText(text);
}

void MainWindow::DrawSelection(PaneSelection selection) {
    if (pane_) pane_->Select(selection);
}

void MainWindow::DrawBar(int barId, std::int32_t position) {
    // Posted, so that the bars take their places in the order given, after
    // the input that moved them.
    const int index = ControlIndex(barId);
    if (index < 0 || DialogControls[static_cast<std::size_t>(index)].kind != ControlKind::Bar)
        return;
    if (HWND bar = Control(barId))
        PostMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(static_cast<INT_PTR>(position)), 0);
}

void MainWindow::DrawBox(const Box* box) {
    if (!box || !hwnd_ || boxPosted_) return;
    boxPosted_ = PostMessageW(hwnd_, BoxMessage, 0, 0) != 0;
}

void MainWindow::AskPrint(bool selectionAvailable) {
    if (hwnd_) PostMessageW(hwnd_, PrintMessage, selectionAvailable ? 1 : 0, 0);
}

void MainWindow::DrawEnd() {
    // The run's loop sees the end and returns; the window goes with its owner.
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

// --- Places

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

Rect MainWindow::DesktopRect() const {
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    return ToRect(r);
}

// --- The timer

void MainWindow::StartTicks(int intervalMs) {
    ticking_ = hwnd_ && SetTimer(hwnd_, IdBarTimer, static_cast<UINT>(intervalMs), nullptr) != 0;
}

void MainWindow::StopTicks() {
    if (hwnd_) KillTimer(hwnd_, IdBarTimer);
    ticking_ = false;
}

// --- The desktop

bool MainWindow::OpenFile(const std::string& path) {
    // A path's UTF-8 keeps what a Windows file name may hold and UTF-16 may not.
    return ShellOpen(PathFromUtf8(path).wstring());
}

bool MainWindow::ShellOpen(const std::wstring& path) {
    // Values above 32 tell success.
    return reinterpret_cast<INT_PTR>(
               ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace kinpath::win32
