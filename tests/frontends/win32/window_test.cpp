// The native window, driven through its own messages: clicks, keys, the bars,
// the pane, the results layout, real message boxes, Back and the preview that
// keeps its place.
#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/MainDialog.h"
#include "flow/BarAnimation.h"
#include "frontends/win32/MainWindow.h"
#include "frontends/win32/Pane.h"
#include "frontends/win32/UserFolder.h"
#include "frontends/win32/Utf16.h"
#include "text/TextCodec.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

#include <uxtheme.h>  // after the Windows headers it builds on

namespace kinpath::testing {
namespace {

// Questions "Question N" of `choices` choices; choice K adds K Wizard points.
std::string Questionnaire(int questions, int choices = 2) {
    std::string body, s;
    for (int k = 1; k <= choices; ++k) body += "text=Answer " + std::to_string(k) + "\n";
    for (int k = 1; k <= choices; ++k)
        body += "<ANSWER>\ntype=" + std::to_string(k) + "\nwizpts=" + std::to_string(k) +
                "\nexplanationtext=You chose it.\n</ANSWER>\n";
    for (int q = 1; q <= questions; ++q)
        s += "<QUESTION>\nname=Question " + std::to_string(q) + "\n" + body + "</QUESTION>\n";
    return s + "<FINAL>\nrecap=yes\n</FINAL>\n";
}

class TestWindow : public win32::MainWindow {
public:
    std::vector<std::wstring> opened;
    bool viewerStarts = true;

protected:
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
    void Click(int id) {
        SendMessageW(Item(id), BM_CLICK, 0, 0);
        Pump();
    }
    // A key pressed where the keyboard focus is.
    void Key(WPARAM key) {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
        Pump();
    }
    // The same with Ctrl held.
    void CtrlKey(WPARAM key) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = 0x80;
        SetKeyboardState(state);
        Key(key);
        state[VK_CONTROL] = 0;
        SetKeyboardState(state);
    }
    // What a control shows.
    std::string Text(int id) const { return win32::Narrow(win32::WindowText(Item(id))); }
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
    bool BarTimerSleeps() {
        return Pump(3000, [this] { return !window->TimerTicking(); });
    }
    // Saves the results page; its bytes.
    std::string SavedPage() {
        Click(IdHtml);
        return ReadFile("Kinpath.html");
    }

    UINT_PTR boxTimer = 0;
    std::unique_ptr<TestWindow> window;
};

TEST_F(Win32WindowTest, BuildsTheTemplateInOrderCentredWithRedBars) {
    ASSERT_TRUE(StartOn(Questionnaire(2)));
    HWND dialog = window->Handle();
    EXPECT_EQ(Text(IdQuestionText), "Question 1");
    EXPECT_EQ(window->PaneLine(0), "Answer the questions.");
    EXPECT_TRUE(boxes.empty());
    // The focus where the screen has it, which picks nothing; the pane, given
    // it, has no caret to blink and its text is not selected.
    EXPECT_EQ(GetFocus(), Item(window->Driver().Shown().focus));
    EXPECT_FALSE(Checked(IdChoice1));
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IdTranscript)), TRUE);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(0, &gui);
    EXPECT_EQ(gui.hwndCaret, nullptr);
    EXPECT_EQ(window->PaneSelectionRange().end, 0u);
    wchar_t caption[64] = L"";
    GetWindowTextW(dialog, caption, 64);
    EXPECT_EQ(win32::Narrow(caption), DialogCaption);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX),
              WS_MINIMIZEBOX);
    const Rect client = window->ClientRect();
    EXPECT_EQ(client, DialogRect(0, 0, DialogUnitsWidth, DialogUnitsHeight));
    // A client-sized box centred on the desktop, halves truncated.
    RECT frame{};
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
        if (t.kind == ControlKind::Label) {  // may grow to show its whole name
            RECT text{};
            HDC dc = GetDC(child);
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(child, WM_GETFONT, 0, 0)));
            DrawTextW(dc, win32::Widen(t.text).c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
            ReleaseDC(child, dc);
            // Whole, or as wide as the room before the next column allows.
            const int room = DialogRect(t.x < 267 ? 267 : DialogUnitsWidth, 0, 0, 0).left - 1;
            EXPECT_TRUE(placed.Width() >= text.right || placed.right == room);
            EXPECT_LE(placed.right, room);
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
        // A button's caption underlines the letter Alt presses it with.
        if (t.kind >= ControlKind::DefaultButton) {
            wchar_t caption[16] = L"";
            GetWindowTextW(child, caption, 16);
            const std::string text = t.text;
            const std::size_t key = text.find(AccessKey(t.id));
            EXPECT_EQ(win32::Narrow(caption), text.substr(0, key) + "&" + text.substr(key));
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
}

// Moved to a monitor of twice the resolution, the window takes the place the
// system suggests and every control and the font scale with it.
TEST_F(Win32WindowTest, ScalesWithTheMonitorsResolution) {
    ASSERT_TRUE(StartOn(Questionnaire(1)));
    HWND dialog = window->Handle();
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const auto fontHeight = [](HWND w) {
        LOGFONTW face{};
        GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof(face),
                   &face);
        return std::abs(face.lfHeight);
    };
    const Rect ok = window->ControlRect(IdOk);
    const LONG font = fontHeight(Item(IdOk));
    RECT frame{};
    GetWindowRect(dialog, &frame);
    RECT suggested{frame.left, frame.top, frame.left + 2 * (frame.right - frame.left),
                   frame.top + 2 * (frame.bottom - frame.top)};
    SendMessageW(dialog, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(2 * dpi, 2 * dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(dialog, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    EXPECT_EQ(window->ControlRect(IdOk),
              (Rect{2 * ok.left, 2 * ok.top, 2 * ok.right, 2 * ok.bottom}));
    EXPECT_EQ(fontHeight(Item(IdOk)), 2 * font);
    EXPECT_EQ(fontHeight(Item(IdChoice1)), 2 * font);
}

TEST_F(Win32WindowTest, CutTextsEndInAnEllipsisAndShowWhollyInTheirTooltips) {
    std::string question, choice = "Fight & fly";
    while (question.size() < 400) question += "Would you rather fight up close?\t";
    question += "Yes?";
    while (choice.size() < 150) choice += " and fight";
    StartOn("<QUESTION>\nname=" + question + "\ntext=Up & close\ntext=" + choice +
            "\n</QUESTION>\n");
    // The screen holds the whole text; the row shows a start of it and "…".
    const Screen& screen = window->Driver().Shown();
    EXPECT_EQ(screen.Control(IdChoice1 + 1)->text, choice);
    wchar_t shown[256] = L"";
    GetWindowTextW(Item(IdChoice1 + 1), shown, 256);
    const std::wstring row(shown), whole = win32::Widen(choice);
    ASSERT_EQ(row.back(), L'\u2026');
    EXPECT_EQ(row.substr(0, 12), L"Fight && fly");
    EXPECT_LT(row.size(), whole.size());
    EXPECT_EQ(window->TipText(IdChoice1 + 1), whole + L"\nPress 2");
    EXPECT_EQ(Text(IdChoice1), "Up && close");
    EXPECT_EQ(window->TipText(IdChoice1), L"Press 1");
    EXPECT_EQ(window->TipText(IdQuestionText), win32::Widen(question));
    // The question's last visible line ends in "…".
    const std::wstring cut = win32::WindowText(Item(IdQuestionText));
    ASSERT_EQ(cut.back(), L'\u2026');
    EXPECT_EQ(win32::Widen(question).rfind(cut.substr(0, cut.size() - 1), 0), 0u);
    EXPECT_EQ(screen.Control(IdQuestionText)->text, question);
    // Its text keeps a margin from the border: the edge columns stay blank,
    // and ink starts right after them.
    HWND box = Item(IdQuestionText);
    UpdateWindow(box);
    HDC dc = GetDC(box);
    const COLORREF paper = GetPixel(dc, 0, 0);
    bool blankEdge = true, ink = false;
    for (int y = 0; y < 14; ++y) {
        blankEdge = blankEdge && GetPixel(dc, 0, y) == paper && GetPixel(dc, 1, y) == paper;
        for (int x = 2; x < 8; ++x) ink = ink || GetPixel(dc, x, y) != paper;
    }
    ReleaseDC(box, dc);
    EXPECT_TRUE(blankEdge && ink);
    window->DrawControl(IdQuestionText, {"Short?"});
    EXPECT_EQ(Text(IdQuestionText), "Short?");
    EXPECT_EQ(window->TipText(IdQuestionText), L"");
}

TEST_F(Win32WindowTest, NoScriptShowsItsBoxThenEnds) {
    window = std::make_unique<TestWindow>();
    mainWindow = window->Handle();
    EXPECT_FALSE(window->Start());
    EXPECT_FALSE(IsWindowVisible(window->Handle()));  // the box alone: the window never opens
    Pump();
    EXPECT_EQ(boxes, std::vector<std::string>{"Error|Could not open script.txt|owned"});
    EXPECT_TRUE(Ended());
    EXPECT_EQ(window->Driver().ExitCode(), 0);
    EXPECT_FALSE(window->TimerTicking());
}

TEST_F(Win32WindowTest, ClicksDigitKeysEnterAndEscape) {
    StartOn(Questionnaire(4, 8));
    Click(IdChoice1 + 1);
    EXPECT_TRUE(IsWindowEnabled(Item(IdOk)));
    Click(IdOk);
    EXPECT_EQ(Wizard(), 2);
    EXPECT_FALSE(Checked(IdChoice1 + 1));
    EXPECT_FALSE(IsWindowEnabled(Item(IdOk)));
    Click(IdChoice1);
    Click(IdSkip);  // records nothing
    EXPECT_EQ(Text(IdQuestionText), "Question 3");
    // Tab reaches the choices as one group; the arrows move within it.
    SendMessageW(window->Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IdExit)), TRUE);
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(IdChoice1));
    Key(VK_DOWN);
    EXPECT_EQ(GetFocus(), Item(IdChoice1 + 1));
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(IdTranscript));
    EXPECT_EQ(window->Driver().Shown().focus, IdTranscript);  // the user's move, reported
    // The digits press their choice wherever the focus is, and take the focus
    // along, so that Enter presses OK rather than the button that had it.
    SendMessageW(window->Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IdSkip)), TRUE);
    for (int k = 1; k <= ChoiceButtonCount; ++k) {
        Key('0' + k);
        EXPECT_TRUE(Checked(IdChoice1 + k - 1)) << k;
        EXPECT_EQ(GetFocus(), Item(IdChoice1 + k - 1)) << k;
    }
    EXPECT_EQ(SendMessageW(Item(IdSkip), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, 0);
    Key(VK_NUMPAD3);
    for (int k = 1; k <= ChoiceButtonCount; ++k) EXPECT_EQ(Checked(IdChoice1 + k - 1), k == 3);
    Key(VK_RETURN);
    EXPECT_EQ(Wizard(), 5);
    // Alt and a caption's letter: OK is disabled, so Alt+O does nothing; Alt+S skips.
    for (WPARAM letter : {'O', 'S'}) {
        PostMessageW(GetFocus(), WM_SYSKEYDOWN, letter, 1 << 29);
        Pump();
    }
    EXPECT_EQ(Wizard(), 5);
    EXPECT_TRUE(IsWindowEnabled(Item(IdHtml)));
    // F5 reads the script as it is now; its first question changed, so the
    // questions start again, and a box says so.
    WriteScript("<QUESTION>\nname=Edited\ntext=One\n</QUESTION>\n");
    Key(VK_F5);
    EXPECT_EQ(Text(IdQuestionText), "Edited");
    EXPECT_EQ(boxes, std::vector<std::string>{
                         "Kinpath|script.txt was read again.\r\nIt has changed from question 1 "
                         "on, so the questions start again.|owned"});
    EXPECT_TRUE(IsWindowVisible(Item(IdChoice1)) && !IsWindowEnabled(Item(IdHtml)));
    Key(VK_ESCAPE);
    EXPECT_TRUE(Ended());
    EXPECT_FALSE(window->TimerTicking());
    EXPECT_FALSE(IsWindowVisible(window->Handle()));
}

// Backspace and Ctrl+Z take back the last answer or skip, also from the
// results, and the page saved after any such wandering is that of a straight
// run with the same answers.
TEST_F(Win32WindowTest, BackspaceAndCtrlZTakeAnswersBack) {
    StartOn(Questionnaire(3));
    const Rect questionsPane = window->ControlRect(IdTranscript);
    Key('2');
    Key(VK_RETURN);
    Key('1');
    Key(VK_RETURN);
    EXPECT_EQ(Text(IdQuestionText), "Question 3");
    EXPECT_EQ(Wizard(), 3);
    Key(VK_BACK);  // to question 2, its answer still picked
    EXPECT_EQ(Text(IdQuestionText), "Question 2");
    EXPECT_EQ(Wizard(), 2);
    EXPECT_TRUE(Checked(IdChoice1) && IsWindowEnabled(Item(IdOk)));
    CtrlKey('Z');  // and to question 1
    EXPECT_EQ(Text(IdQuestionText), "Question 1");
    EXPECT_EQ(Wizard(), 0);
    EXPECT_TRUE(Checked(IdChoice1 + 1));
    EXPECT_FALSE(Checked(IdChoice1));
    Key(VK_BACK);  // before the first answer there is nothing to take back
    EXPECT_EQ(Text(IdQuestionText), "Question 1");
    for (WPARAM digit : {'1', '1', '2'}) {
        Key(digit);
        Key(VK_RETURN);
    }
    ASSERT_TRUE(IsWindowEnabled(Item(IdHtml)));
    // From the results the questions come back as they were.
    Key(VK_BACK);
    EXPECT_EQ(Text(IdQuestionText), "Question 3");
    EXPECT_EQ(window->ControlRect(IdTranscript), questionsPane);
    for (int id : {IdQuestionText, IdChoice1, IdFirstBar, IdFirstLabel})
        EXPECT_TRUE(IsWindowVisible(Item(id))) << id;
    EXPECT_FALSE(IsWindowEnabled(Item(IdHtml)));
    EXPECT_TRUE(Checked(IdChoice1 + 1));
    Key(VK_RETURN);
    const std::string wandered = SavedPage();

    StartOn(Questionnaire(3));
    for (int choice : {1, 1, 2}) {
        Click(IdChoice1 + choice - 1);
        Click(IdOk);
    }
    EXPECT_EQ(SavedPage(), wandered);
    EXPECT_TRUE(boxes.empty());
}

// F5 or Ctrl+R replays the answers given so far on the file as it is now, up
// to its first changed question, and a box says where it stopped.
TEST_F(Win32WindowTest, ThePreviewKeepsTheAnswersBeforeTheFirstChange) {
    std::string script = Questionnaire(4);
    StartOn(script);
    for (WPARAM digit : {'2', '1', '2'}) {
        Key(digit);
        Key(VK_RETURN);
    }
    CtrlKey('R');  // unchanged: every answer kept, silently
    EXPECT_EQ(Text(IdQuestionText), "Question 4");
    EXPECT_EQ(Wizard(), 5);
    EXPECT_TRUE(boxes.empty());
    script.replace(script.find("name=Question 3"), 15, "name=Question Three");
    WriteScript(script);
    Key(VK_F5);
    EXPECT_EQ(Text(IdQuestionText), "Question Three");
    EXPECT_EQ(Wizard(), 3);
    EXPECT_EQ(boxes, std::vector<std::string>{
                         "Kinpath|script.txt was read again.\r\nIt has changed from question 3 "
                         "on: your answers before it were kept.|owned"});
    // The bars stand where the kept answers leave them, at once.
    EXPECT_EQ(SendMessageW(Item(BarIdForSlot(SlotWizard)), PBM_GETPOS, 0, 0), 3);
    // A draft that no longer loads says why and leaves the run as it was; a
    // click on a choice while its error stands is not taken.
    boxes.clear();
    clickUnderBox = IdChoice1 + 1;
    WriteScript("<QUESTION>\nwrong\n</QUESTION>\n");
    Key(VK_F5);
    EXPECT_EQ(boxes, (std::vector<std::string>{"ScriptError|Undefined symbol found, line 2",
                                               "Error|Could not open script.txt|owned"}));
    EXPECT_EQ(Text(IdQuestionText), "Question Three");
    EXPECT_FALSE(Checked(IdChoice1 + 1) || IsWindowEnabled(Item(IdOk)));
    EXPECT_FALSE(window->Driver().Ended());
}

TEST_F(Win32WindowTest, BarsRiseSettleSleepAndCatchUp) {
    const std::string q =
        "<QUESTION>\nname=Q\ntext=a\ntext=b\n<ANSWER>\ntype=1\nwizpts=2\n</ANSWER>\n"
        "<ANSWER>\ntype=2\nwizpts=640\n</ANSWER>\n</QUESTION>\n";
    StartOn(q + q + q);
    ASSERT_TRUE(BarTimerSleeps());  // at rest from the start
    HWND wizard = Item(BarIdForSlot(SlotWizard));
    int peak = 0;
    Click(IdChoice1);
    Click(IdOk);
    EXPECT_TRUE(window->TimerTicking());
    Pump(3000, [&] {
        peak = std::max(peak, static_cast<int>(SendMessageW(wizard, PBM_GETPOS, 0, 0)));
        return !window->TimerTicking();
    });
    EXPECT_EQ(peak, 12);  // the overshoot, then back to the total
    EXPECT_EQ(SendMessageW(wizard, PBM_GETPOS, 0, 0), 2);
    // Full on its way to 642, the bar lets the timer sleep; the next command
    // moves it on by the ticks slept through.
    Click(IdChoice1 + 1);
    Click(IdOk);
    ASSERT_TRUE(BarTimerSleeps());
    EXPECT_EQ(SendMessageW(wizard, PBM_GETPOS, 0, 0), 100);
    const int asleep = window->Driver().Bars().BarShown[SlotWizard];
    Sleep(300);  // 20 ticks of 15 ms: 10 units
    Click(IdChoice1);
    EXPECT_GE(window->Driver().Bars().BarShown[SlotWizard], asleep + 9);
}

TEST_F(Win32WindowTest, ResultsAskFillTheWindowAndSaveThePage) {
    std::string script = Questionnaire(1);
    script.replace(script.find("recap=yes"), 9, "recap=ask");
    StartOn(script);
    Click(IdChoice1);
    SendMessageW(window->Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IdOk)), TRUE);
    Click(IdOk);
    EXPECT_EQ(boxes, std::vector<std::string>{
                         "Output results?|Would you like to review the results?|owned"});
    EXPECT_EQ(GetFocus(), Item(IdTranscript));  // not left on the disabled OK
    const Rect client = window->ClientRect();
    EXPECT_EQ(window->ControlRect(IdTranscript),
              (Rect{10, 10, client.right - 10, client.bottom - 45}));
    for (int id : {IdQuestionText, IdChoice1, IdFirstBar, IdFirstLabel + BarCount - 1})
        EXPECT_FALSE(IsWindowVisible(Item(id))) << id;
    for (int id : {IdOk, IdSkip, IdPrint, IdHtml})
        EXPECT_EQ(IsWindowEnabled(Item(id)) != 0, id == IdPrint || id == IdHtml) << id;
    EXPECT_EQ(window->PaneLine(0).rfind("It appears that the best race for you is ", 0), 0u);
    EXPECT_NE(window->Driver().Shown().pane.find("Answer Analysis"), std::string::npos);  // Yes
    Click(IdHtml);
    ASSERT_EQ(window->opened.size(), 1u);
    EXPECT_EQ(window->opened[0], (Dir() / "Kinpath.html").wstring());
    // One file line and one "<br>" per displayed pane line.
    const std::string page = ReadFile("Kinpath.html");
    EXPECT_EQ(page.rfind("<html>\r\n", 0), 0u);
    int breaks = 0;
    for (std::size_t at = 0; (at = page.find("\r\n<br>\r\n", at)) != std::string::npos; ++at)
        ++breaks;
    EXPECT_EQ(breaks, window->PaneLineCount());
    // A viewer that cannot be started gets a box naming the page.
    window->viewerStarts = false;
    Click(IdHtml);
    EXPECT_EQ(boxes.back(), "Error|Could not open Kinpath.html in a viewer. It was saved as:\n" +
                                win32::Narrow(window->opened.back()) + "|owned");
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

TEST_F(Win32WindowTest, PaneWrapsCountsCharactersHoldsTheWholeTranscriptAndShowsItsTop) {
    StartOn(Questionnaire(1));
    // A character beyond 16 bits takes one position; a lone LF breaks the line.
    std::string text = "\xF0\x9F\x90\x89 x\nnext\r\n";
    for (int i = 0; i < 40; ++i) text += "word" + std::to_string(i) + " ";
    text += "end\r\n";
    window->DrawPane(text);
    EXPECT_EQ(window->PaneLine(0), "\xF0\x9F\x90\x89 x");
    EXPECT_EQ(window->PaneLineStart(1), 5u);
    // The displayed lines put back together give the text: the control wrapped it.
    std::string joined = window->PaneLine(0);
    const int lines = window->PaneLineCount();
    EXPECT_GT(lines, 5);
    for (int i = 1; i <= lines; ++i) {
        const auto gap = window->PaneLineStart(i) - window->PaneLineStart(i - 1) -
                         Utf8Length(window->PaneLine(i - 1));
        joined += (gap == 2 ? "\r\n" : gap == 0 ? "" : "<gap>") + window->PaneLine(i);
    }
    std::string expected = text;
    expected.replace(expected.find('\n'), 1, "\r\n");
    EXPECT_EQ(joined, expected);
    SendMessageW(Item(IdTranscript), EM_SETSEL, 3, 4);  // the "x"
    EXPECT_EQ(window->PaneSelectionRange().start, 2u);
    EXPECT_EQ(window->PaneSelectionRange().end, 3u);
    window->SelectAllPane();
    EXPECT_EQ(window->PaneSelectionRange().end, Utf8Length(expected));
    // The whole transcript fits, and a new text shows its first line.
    std::string whole;
    for (int i = 0; i < 511; ++i) whole += std::string(98, 'a') + "\r\n";
    whole += std::string(99, 'b');
    window->DrawPane(whole);
    window->SelectAllPane();
    EXPECT_EQ(window->PaneSelectionRange().end, 51199u);
    EXPECT_EQ(Text(IdTranscript), whole);  // all of it in the control
    SendMessageW(Item(IdTranscript), WM_VSCROLL, SB_BOTTOM, 0);
    window->DrawPane(whole);
    EXPECT_EQ(SendMessageW(Item(IdTranscript), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

}  // namespace
}  // namespace kinpath::testing
