// The native window's wiring, driven through its own messages: what each
// drawing call shows, which event each click and key becomes, real message
// boxes, the timer, the pane, DPI. The rules behind them are proved in tests/app/.
#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../WindowTestSupport.h"
#include "TestSupport.h"
#include "app/MainDialog.h"
#include "flow/BarAnimation.h"
#include "frontends/win32/MainWindow.h"
#include "frontends/win32/Pane.h"
#include "frontends/win32/TextFitting.h"
#include "frontends/win32/UserFolder.h"
#include "frontends/win32/Utf16.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

#include <oleacc.h>  // after the Windows headers they build on
#include <uxtheme.h>

namespace kinpath::testing {
namespace {

class TestWindow : public win32::MainWindow {
public:
    std::vector<std::wstring> opened;
    bool viewerStarts = true;
    // The right-click menu's item, " [off]" when grayed; chosen when menuChooses.
    std::wstring menuItem;
    bool menuChooses = false;

protected:
    UINT TrackMenu(HMENU menu, POINT) override {
        wchar_t text[64] = L"";
        GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
        const bool off = GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED;
        menuItem = text + std::wstring(off ? L" [off]" : L"");
        return menuChooses ? GetMenuItemID(menu, 0) : 0;
    }
    bool ShellOpen(const std::wstring& path) override {
        opened.push_back(path);
        return viewerStarts;
    }
};

// Every message box this thread shows, as "caption|text", with "|owned" when the
// window owns it. A thread timer, which also ticks inside the box's own loop,
// reads each box and presses Yes, or else OK; while a box that leaves the
// window usable is up, it may first click a control of the window.
std::vector<std::string> boxes;
HWND mainWindow = nullptr;
int clickUnderBox = 0;

BOOL CALLBACK AnswerBox(HWND box, LPARAM) {
    wchar_t name[16] = L"", caption[256] = L"", text[256] = L"";
    GetClassNameW(box, name, 16);
    if (box == mainWindow || std::wcscmp(name, L"#32770") != 0 || !IsWindowVisible(box))
        return TRUE;
    GetWindowTextW(box, caption, 256);
    GetDlgItemTextW(box, 0xFFFF, text, 256);  // the box's text
    const bool owned = mainWindow && GetWindow(box, GW_OWNER) == mainWindow;
    boxes.push_back(win32::Narrow(std::wstring(caption) + L"|" + text + (owned ? L"|owned" : L"")));
    if (clickUnderBox != 0 && !owned)
        SendMessageW(GetDlgItem(mainWindow, clickUnderBox), BM_CLICK, 0, 0);
    const int button = GetDlgItem(box, IDYES) ? IDYES : IDOK;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    return FALSE;
}

void CALLBACK LookForBoxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0);
}

class Win32WindowTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        boxes.clear();
        clickUnderBox = 0;
        boxTimer = SetTimer(nullptr, 0, 50, LookForBoxes);
    }
    void TearDown() override {
        KillTimer(nullptr, boxTimer);
        window.reset();
        ProgramTest::TearDown();
    }
    // Creates and starts the window as the program does, then handles what it posted.
    bool StartOn(const std::string& script) {
        if (!script.empty()) WriteScript(script);
        window = std::make_unique<TestWindow>();
        mainWindow = window->Handle();
        const bool loaded = window->Start();
        Pump();
        return loaded;
    }
    // Handles what is queued, then waits for more until the condition holds or
    // the time is up; whether it holds.
    bool Pump(int ms = 0, const std::function<bool()>& done = nullptr) {
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
        for (MSG msg;;) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) window->HandleMessage(msg);
            if ((done && done()) || GetTickCount64() >= end) return done && done();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
    HWND Item(int id) const { return GetDlgItem(window->Handle(), id); }
    // The menu's item a right click shows, chosen when the window's menuChooses.
    std::wstring RightClick() {
        SendMessageW(window->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Item(IdFirstLabel)),
                     -1);
        Pump();
        return window->menuItem;
    }
    void Click(int id) {
        SendMessageW(Item(id), BM_CLICK, 0, 0);
        Pump();
    }
    // A key pressed where the keyboard focus is, with Ctrl held or not.
    void Key(WPARAM key, bool ctrl = false, UINT message = WM_KEYDOWN) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        PostMessageW(GetFocus(), message, key, message == WM_SYSKEYDOWN ? 1 << 29 : 0);
        Pump();
        state[VK_CONTROL] = 0;
        SetKeyboardState(state);
    }
    void FocusOn(int id) {
        SendMessageW(window->Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
    }
    // What the window shows of a question: its text, the checked choices, OK
    // when enabled; and the Wizard's points in the run.
    std::string State() const {
        std::string s = Text(IdQuestionText) + " |";
        for (int k = 0; k < ChoiceButtonCount; ++k)
            if (Checked(IdChoice1 + k)) s += " " + std::to_string(k + 1);
        return s + (IsWindowEnabled(Item(IdOk)) ? " | OK | " : " | | ") + std::to_string(Wizard());
    }
    std::string Text(int id) const { return win32::Narrow(win32::WindowText(Item(id))); }
    // What a screen reader hears of the control (0: the window): "name | description".
    std::wstring Heard(int id) const {
        IAccessible* object = nullptr;
        if (FAILED(AccessibleObjectFromWindow(id ? Item(id) : window->Handle(), OBJID_CLIENT,
                                              __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&object))))
            return L"(nothing)";
        VARIANT self{}, state{};
        self.vt = VT_I4;
        BSTR name = nullptr, description = nullptr;
        object->get_accName(self, &name);
        object->get_accDescription(self, &description);
        object->get_accState(self, &state);
        std::wstring heard =
            std::wstring(name ? name : L"") + L" | " + (description ? description : L"");
        SysFreeString(name);
        SysFreeString(description);
        object->Release();
        return state.lVal & STATE_SYSTEM_INVISIBLE ? L"(hidden)" : heard;
    }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    int Wizard() const { return window->Driver().CurrentRun()->Scores().PointTotals()[SlotWizard]; }
    bool Ended() {
        return Pump(1000, [this] { return window->Driver().Ended(); });
    }
    // Dialog units to pixels as the dialog manager places a control: position
    // and size each rounded on their own.
    Rect DialogRect(int x, int y, int width, int height) const {
        RECT r{x, y, width, height};
        MapDialogRect(window->Handle(), &r);
        return {r.left, r.top, r.left + r.right, r.top + r.bottom};
    }

    UINT_PTR boxTimer = 0;
    std::unique_ptr<TestWindow> window;
};

TEST_F(Win32WindowTest, BuildsTheTemplateInOrderAndScalesWithTheMonitor) {
    ASSERT_TRUE(StartOn(Questionnaire(2)));
    HWND dialog = window->Handle();
    // The focus where the screen has it, which picks nothing; the pane, given
    // it, has no caret to blink.
    EXPECT_EQ(GetFocus(), Item(window->Driver().Shown().focus));
    EXPECT_FALSE(Checked(IdChoice1));
    FocusOn(IdTranscript);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(0, &gui);
    EXPECT_EQ(gui.hwndCaret, nullptr);
    EXPECT_EQ(win32::Narrow(win32::WindowText(dialog)), DialogCaption);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX),
              WS_MINIMIZEBOX);
    const Rect client = window->ClientRect();
    EXPECT_EQ(client, DialogRect(0, 0, DialogUnitsWidth, DialogUnitsHeight));
    RECT frame{};  // a client-sized box centred on the desktop, halves truncated
    GetWindowRect(dialog, &frame);
    const Rect desk = window->DesktopRect();
    EXPECT_EQ(frame.left, desk.Width() / 2 - client.right / 2);
    EXPECT_EQ(frame.top, desk.Height() / 2 - client.bottom / 2);
    // The controls in template order, which is the stacking and tab order.
    HWND child = GetWindow(dialog, GW_CHILD);
    const wchar_t* const classes[] = {
        L"Static", L"Button", L"Edit", L"Static", L"msctls_progress32", L"Button", L"Button"};
    for (const ControlTemplate& t : DialogControls) {
        SCOPED_TRACE(t.id);
        ASSERT_EQ(child, Item(t.id));
        wchar_t name[32] = L"";
        GetClassNameW(child, name, 32);
        EXPECT_EQ(_wcsicmp(name, classes[static_cast<int>(t.kind)]), 0);
        Rect placed = window->ControlRect(t.id);
        if (t.kind == ControlKind::Label) {  // may grow to show its whole name (below)
            // As wide as the room before the next column allows.
            EXPECT_LE(placed.right,
                      DialogRect(t.x < 267 ? 267 : DialogUnitsWidth, 0, 0, 0).left - 1);
            placed.right = std::min(placed.right, DialogRect(t.x, 0, t.width, 0).right);
        }
        EXPECT_EQ(DialogRect(t.x, t.y, t.width, t.height), placed);
        const LONG s = GetWindowLongW(child, GWL_STYLE);
        // Tab reaches the choices as a group, which the pane ends.
        EXPECT_EQ((s & WS_TABSTOP) != 0, t.kind >= ControlKind::DefaultButton ||
                                             t.kind == ControlKind::Pane || t.id == IdChoice1);
        EXPECT_EQ((s & WS_GROUP) != 0, t.kind == ControlKind::QuestionText ||
                                           t.kind == ControlKind::Label || t.id == IdChoice1 ||
                                           t.kind == ControlKind::Pane);
        if (t.kind >= ControlKind::DefaultButton) {  // underlines the letter Alt presses it with
            const std::string text = t.text, caption = win32::Narrow(win32::WindowText(child));
            const std::size_t key = text.find(AccessKey(t.id));
            EXPECT_EQ(caption, text.substr(0, key) + "&" + text.substr(key));
        }
        if (t.kind == ControlKind::Bar) {
            EXPECT_EQ(SendMessageW(child, PBM_GETBARCOLOR, 0, 0), RGB(255, 0, 0));
            EXPECT_EQ(GetWindowTheme(child), nullptr);  // which would ignore the colour
            EXPECT_EQ(SendMessageW(child, PBM_GETRANGE, FALSE, 0), 100);
        }
        if (t.kind == ControlKind::Pane) {  // wraps at its width
            EXPECT_EQ(s & (ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | WS_VSCROLL),
                      ES_MULTILINE | ES_READONLY | WS_VSCROLL);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
    // Moved to a monitor of twice the resolution, the window takes the place
    // the system suggests and every control and the font scale with it.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const auto fontHeight = [](HWND w) {
        LOGFONTW f{};
        GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof(f), &f);
        return std::abs(f.lfHeight);
    };
    const Rect ok = window->ControlRect(IdOk);
    const LONG font = fontHeight(Item(IdOk));
    GetWindowRect(dialog, &frame);
    RECT suggested{frame.left, frame.top, frame.left + 2 * (frame.right - frame.left),
                   frame.top + 2 * (frame.bottom - frame.top)};
    SendMessageW(dialog, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(2 * dpi, 2 * dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    GetWindowRect(dialog, &frame);
    EXPECT_TRUE(EqualRect(&frame, &suggested));
    EXPECT_EQ(window->ControlRect(IdOk),
              (Rect{2 * ok.left, 2 * ok.top, 2 * ok.right, 2 * ok.bottom}));
    EXPECT_EQ(fontHeight(Item(IdOk)), 2 * font);
    EXPECT_EQ(fontHeight(Item(IdChoice1)), 2 * font);
    // Every bar's name shows whole at each resolution.
    for (const int to : {dpi, 2 * dpi, dpi * 5 / 4, dpi * 3 / 2}) {
        SendMessageW(dialog, 0x02E0, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
        for (int id = IdFirstLabel; id < IdFirstLabel + BarCount; ++id)
            EXPECT_LE(win32::WindowDC(Item(id)).TextWidth(win32::WindowText(Item(id))),
                      window->ControlRect(id).Width())
                << id << " at " << to;
    }
}

// A script's game titles the window and names its bars, a long name wholly;
// those it lacks are hidden.
TEST_F(Win32WindowTest, AGameTitlesTheWindowAndNamesItsBars) {
    ASSERT_TRUE(
        StartOn("<GAME>\ntitle=Ember Coast\n</GAME>\n<RACE>\nname=Saltborn of the Deep\n"
                "</RACE>\n<QUESTION>\nname=Q\ntext=a\n</QUESTION>\n"));
    EXPECT_EQ(win32::Narrow(win32::WindowText(window->Handle())), "Ember Coast");
    EXPECT_EQ(Text(IdFirstLabel), "Saltborn of the Deep");
    // The name's width, which the label takes as far as the next column.
    const int text = win32::WindowDC(Item(IdFirstLabel)).TextWidth(L"Saltborn of the Deep");
    const Rect placed = window->ControlRect(IdFirstLabel);
    const int room =
        DialogRect(LabelLimit(DialogControls[ControlIndex(IdFirstLabel)]), 0, 0, 0).left;
    EXPECT_EQ(placed.Width(), std::min<int>(text, room - 1 - placed.left));
    EXPECT_FALSE(IsWindowVisible(Item(IdFirstBar + 1)));
}

TEST_F(Win32WindowTest, CutTextsEndInAnEllipsisAndShowWhollyInTheirTooltipsAndToReaders) {
    std::string question, choice = "Fight & fly";
    while (question.size() < 400) question += "Would you rather fight up close?\t";
    question += "Yes?";
    while (choice.size() < 150) choice += " and fight";
    StartOn("<QUESTION>\nname=" + question + "\ntext=Up & close\ntext=" + choice +
            "\n</QUESTION>\n");
    // The row shows a start of the text and "…", the tooltip all of it.
    const std::wstring row = win32::WindowText(Item(IdChoice1 + 1));
    ASSERT_EQ(row.back(), L'\u2026');
    EXPECT_EQ(row.substr(0, 12), L"Fight && fly");
    EXPECT_EQ(window->TipText(IdChoice1 + 1), win32::Widen(choice) + L"\nPress 2");
    EXPECT_EQ(Text(IdChoice1), "Up && close");
    EXPECT_EQ(window->TipText(IdChoice1), L"Press 1");
    EXPECT_EQ(window->TipText(IdQuestionText), win32::Widen(question));
    const std::wstring cut = win32::WindowText(Item(IdQuestionText));
    ASSERT_EQ(cut.back(), L'\u2026');
    EXPECT_EQ(win32::Widen(question).rfind(cut.substr(0, cut.size() - 1), 0), 0u);
    // A reader hears whole texts, the keys, the pane's and bars' names, where the player is.
    EXPECT_EQ(Heard(IdQuestionText), win32::Widen(question) + L" | ");
    EXPECT_EQ(Heard(IdChoice1 + 1), win32::Widen(choice) + L" | Press 2");
    EXPECT_EQ(Heard(IdChoice1 + 2), L"(hidden)");
    EXPECT_EQ(Heard(IdTranscript), L"Results | ");
    EXPECT_EQ(Heard(IdFirstBar), win32::Widen(Text(IdFirstLabel)) + L" | ");
    EXPECT_EQ(Heard(0), win32::WindowText(window->Handle()) + L" | Question 1 of 1");
    window->DrawControl(IdQuestionText, {"Short?"});
    EXPECT_EQ(Text(IdQuestionText), "Short?");
    EXPECT_EQ(window->TipText(IdQuestionText), L"");
}

TEST_F(Win32WindowTest, NoScriptShowsItsBoxThenEnds) {
    EXPECT_FALSE(StartOn(""));
    EXPECT_FALSE(IsWindowVisible(window->Handle()));  // the box alone: the window never opens
    EXPECT_EQ(boxes, std::vector<std::string>{"Error|Could not open script.txt|owned"});
    EXPECT_TRUE(Ended());
    EXPECT_FALSE(window->TimerTicking());
}

// Each click and key reaches the run as its event; the checks and the focus
// the screen holds are drawn, and the user's moves are reported.
TEST_F(Win32WindowTest, ClicksAndKeysReachTheRunAndTheScreenIsDrawn) {
    std::string script = Questionnaire(3, 8);
    StartOn(script);
    // A message of 0 is a click; WM_SYSKEYDOWN comes with Alt.
    struct Step {
        UINT message;
        WPARAM key;
        bool ctrl;
        const char* state;
    };
    for (const auto& [message, key, ctrl, state] : {
             Step{0, IdChoice1 + 1, false, "Question 1 | 2 | OK | 0"},
             Step{0, IdOk, false, "Question 2 | | | 2"},
             Step{WM_KEYDOWN, VK_NUMPAD1, false, "Question 2 | 1 | OK | 2"},
             // The focus stays on the first choice: the checks alone change.
             Step{WM_KEYDOWN, VK_RETURN, false, "Question 3 | | | 3"},
             Step{WM_KEYDOWN, VK_BACK, false, "Question 2 | 1 | OK | 2"},
             Step{WM_SYSKEYDOWN, 'O', false, "Question 3 | | | 3"},
             Step{WM_KEYDOWN, 'Z', true, "Question 2 | 1 | OK | 2"},
             Step{WM_SYSKEYDOWN, 'S', false, "Question 3 | | | 2"},
         }) {
        message ? Key(key, ctrl, message) : Click(static_cast<int>(key));
        EXPECT_EQ(State(), state) << key;
    }
    // Tab reaches the choices as one group; the arrows move within it.
    FocusOn(IdExit);
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(IdChoice1));
    Key(VK_DOWN);
    Key(VK_TAB);
    EXPECT_EQ(window->Driver().Shown().focus, IdTranscript);  // the user's move, reported
    // The digits press their choice wherever the focus is, and take the focus along.
    FocusOn(IdSkip);
    for (int k = 1; k <= ChoiceButtonCount; ++k) {
        Key('0' + k);
        EXPECT_TRUE(Checked(IdChoice1 + k - 1)) << k;
        EXPECT_EQ(GetFocus(), Item(IdChoice1 + k - 1)) << k;
    }
    // F5 and Ctrl+R read the script again.
    std::string first = "Question 1";
    for (const auto& [key, name] : {std::pair<WPARAM, const char*>(VK_F5, "Edited"),
                                    std::pair<WPARAM, const char*>('R', "Edited again")}) {
        WriteScript(script.replace(script.find(first), first.size(), name));
        first = name;
        Key(key, key == 'R');
        EXPECT_EQ(State(), std::string(name) + " | | | 0");
    }
    // Every box of a draft that no longer loads comes; a click on a choice
    // while its error stands is not taken, and shows no check.
    boxes.clear();
    clickUnderBox = IdChoice1 + 1;
    WriteScript("<QUESTION>\nwrong\n</QUESTION>\n");
    Key(VK_F5);
    EXPECT_EQ(boxes, (std::vector<std::string>{"ScriptError|Undefined symbol found, line 2",
                                               "Error|Could not open script.txt|owned"}));
    EXPECT_EQ(State(), "Edited again | | | 0");
    Key(VK_ESCAPE);
    EXPECT_TRUE(Ended());
    EXPECT_FALSE(window->TimerTicking() || IsWindowVisible(window->Handle()));
}

// The timer drives the bars, every tick drawn, and sleeps once they settle.
TEST_F(Win32WindowTest, BarsRiseOnTimerTicksAndTheTimerSleeps) {
    StartOn(Questionnaire(2));
    ASSERT_TRUE(Pump(3000, [this] { return !window->TimerTicking(); }));  // at rest from the start
    HWND wizard = Item(BarIdForSlot(SlotWizard));
    int peak = 0;
    Key('2');
    Key(VK_RETURN);
    EXPECT_TRUE(window->TimerTicking());
    Pump(3000, [&] {
        peak = std::max(peak, static_cast<int>(SendMessageW(wizard, PBM_GETPOS, 0, 0)));
        return !window->TimerTicking();
    });
    EXPECT_EQ(std::pair(peak, SendMessageW(wizard, PBM_GETPOS, 0, 0)), std::pair(12, LRESULT{2}));
}

TEST_F(Win32WindowTest, ResultsFillTheWindowBackRestoresItAndThePageOpens) {
    StartOn(Questionnaire(1, 2, "ask"));
    const Rect questionsPane = window->ControlRect(IdTranscript);
    EXPECT_EQ(RightClick(), L"Back\tBackspace [off]");  // Back, usable when the key is
    Click(IdChoice1);
    FocusOn(IdOk);
    Click(IdOk);
    EXPECT_EQ(boxes, std::vector<std::string>{
                         "Output results?|Would you like to review the results?|owned"});
    EXPECT_NE(window->Driver().Shown().pane.find("Answer Analysis"), std::string::npos);  // Yes
    EXPECT_EQ(GetFocus(), Item(IdTranscript));  // not left on the disabled OK
    const Rect client = window->ClientRect();
    EXPECT_EQ(window->ControlRect(IdTranscript),
              (Rect{10, 10, client.right - 10, client.bottom - 45}));
    for (int id : {IdQuestionText, IdChoice1, IdFirstBar, IdFirstLabel + BarCount - 1})
        EXPECT_FALSE(IsWindowVisible(Item(id))) << id;
    Click(IdHtml);
    window->viewerStarts = false;
    Click(IdHtml);
    ASSERT_EQ(window->opened, std::vector<std::wstring>(2, (Dir() / "Kinpath.html").wstring()));
    EXPECT_EQ(boxes.back(), "Error|Could not open Kinpath.html in a viewer. It was saved as:\n" +
                                win32::Narrow(window->opened[0]) + "|owned");
    window->menuChooses = true;
    EXPECT_EQ(RightClick(), L"Back\tBackspace");
    EXPECT_EQ(window->ControlRect(IdTranscript), questionsPane);
    EXPECT_TRUE(IsWindowVisible(Item(IdChoice1)) && Checked(IdChoice1));
}

using UserFolderTest = ProgramTest;

TEST_F(UserFolderTest, GetsAnEditableCopyOfTheSampleOnce) {
    namespace fs = std::filesystem;
    WriteScript("# sample");
    // An installed sample is read-only.
    fs::permissions("script.txt", fs::perms::owner_write, fs::perm_options::remove);
    const fs::path user = Dir() / "user";
    ASSERT_TRUE(win32::EnterUserFolder(user, Dir() / "script.txt"));
    EXPECT_TRUE(fs::equivalent(fs::current_path(), user));
    EXPECT_EQ(GetFileAttributesW(L"script.txt") & FILE_ATTRIBUTE_READONLY, 0u);
    std::ofstream("script.txt") << "# mine";
    ASSERT_TRUE(win32::EnterUserFolder(user, Dir() / "script.txt"));
    EXPECT_EQ(ReadFile("user/script.txt"), "# mine");
    fs::permissions(Dir() / "script.txt", fs::perms::owner_write, fs::perm_options::add);
}

// The pane reports the lines it wraps its text into, and again at a new width;
// the user's selection is reported before the next input, and the one the
// screen holds is drawn. It holds the whole transcript and shows its top.
TEST_F(Win32WindowTest, PaneReportsItsWrappedLinesAndTheUsersSelection) {
    StartOn(LongLineQuestionnaire());
    Click(IdChoice1);
    Click(IdOk);
    const std::size_t wide = WrappedLineCount(window->Driver().Shown());
    SetWindowPos(Item(IdTranscript), nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GT(WrappedLineCount(window->Driver().Shown()), wide);
    // Into the second line: its break counts two.
    const auto first =
        static_cast<std::uint32_t>(SendMessageW(Item(IdTranscript), EM_LINELENGTH, 0, 0));
    window->DrawSelection({1, first + 3});
    EXPECT_EQ(SendMessageW(Item(IdTranscript), EM_GETSEL, 0, 0), MAKELRESULT(1, first + 3));
    SendMessageW(Item(IdTranscript), EM_SETSEL, 2, first + 4);
    Key(VK_F1);
    EXPECT_EQ(window->Driver().Shown().selection, (PaneSelection{2, first + 4}));
    // The whole transcript fits, and a new text shows its first line.
    std::string whole;
    for (int i = 0; i < 511; ++i) whole += std::string(98, 'a') + "\r\n";
    whole += std::string(99, 'b');
    window->DrawPane(whole);
    EXPECT_EQ(Text(IdTranscript), whole);
    SendMessageW(Item(IdTranscript), WM_VSCROLL, SB_BOTTOM, 0);
    window->DrawPane(whole);
    EXPECT_EQ(SendMessageW(Item(IdTranscript), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

}  // namespace
}  // namespace kinpath::testing
