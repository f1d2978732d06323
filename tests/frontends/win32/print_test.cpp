// Printing from the real window through the real print dialog and the GDI
// surface, to a PostScript printer whose port is a file: where each page's
// rows were drawn is read back from the file's drawing commands.
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "frontends/win32/MainWindow.h"
#include "window/ControlIds.h"

#include <winspool.h>  // after the Windows headers it builds on

namespace kinpath::testing {
namespace {

const wchar_t* const PrinterName = L"Kinpath Test Printer";
const wchar_t* const DriverName = L"Wine PostScript Driver";
const wchar_t* const DriverFile = L"kinpath-test.ppd";
// Letter paper at 300 dots per inch.
const char* const PrinterDescription = R"ppd(*PPD-Adobe: "4.3"
*NickName: "Kinpath Test"
*DefaultResolution: 300dpi
*DefaultPageSize: Letter
*PageSize Letter: "<</PageSize[612 792]>>setpagedevice"
*ImageableArea Letter: "0 0 612 792"
*PaperDimension Letter: "612 792"
)ppd";

// Adds or removes a port of the local port monitor; a port named by a file
// path writes every job into that file.
bool LocalPort(const wchar_t* command, const std::wstring& port) {
    HANDLE monitor = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    if (!OpenPrinterW(const_cast<wchar_t*>(L",XcvMonitor Local Port"), &monitor, &access))
        return false;
    DWORD needed = 0, status = 0;
    const BOOL ok = XcvDataW(
        monitor, command, reinterpret_cast<BYTE*>(const_cast<wchar_t*>(port.c_str())),
        static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)), nullptr, 0, &needed, &status);
    ClosePrinter(monitor);
    return ok && (status == ERROR_SUCCESS || status == ERROR_ALREADY_EXISTS);
}

// Each printed page: where each row was drawn.
using Page = std::vector<std::pair<int, int>>;

// The print dialog this thread shows: pick Selection when asked, then OK.
bool printSelection = false;
bool selectionOffered = false;
int printDialogs = 0;
HWND mainWindow = nullptr;

BOOL CALLBACK PressPrint(HWND box, LPARAM) {
    wchar_t name[16] = L"";
    GetClassNameW(box, name, 16);
    if (box == mainWindow || std::wstring(name) != L"#32770" || !IsWindowVisible(box) ||
        !GetDlgItem(box, 0x420))
        return TRUE;  // not the print dialog: its "All" choice is 0x420, "Selection" 0x421
    ++printDialogs;
    selectionOffered = IsWindowEnabled(GetDlgItem(box, 0x421));
    if (printSelection) SendMessageW(GetDlgItem(box, 0x421), BM_CLICK, 0, 0);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    return FALSE;
}

void CALLBACK LookForPrintDialog(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), PressPrint, 0);
}

class Win32PrintTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        port = (Dir() / "printed.ps").wstring();
        ASSERT_TRUE(InstallPrinter());
        printDialogs = 0;
        timer = SetTimer(nullptr, 0, 50, LookForPrintDialog);
    }
    void TearDown() override {
        KillTimer(nullptr, timer);
        window.reset();
        HANDLE printer = nullptr;
        PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (OpenPrinterW(const_cast<wchar_t*>(PrinterName), &printer, &access)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
        LocalPort(L"DeletePort", port);
        DeletePrinterDriverW(nullptr, nullptr, const_cast<wchar_t*>(DriverName));
        ProgramTest::TearDown();
    }
    bool InstallPrinter() {
        wchar_t folder[MAX_PATH] = L"";
        DWORD size = 0;
        if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder),
                                        sizeof(folder), &size))
            return false;
        std::wstring description = std::wstring(folder) + L"\\" + DriverFile;
        std::ofstream(std::filesystem::path(description), std::ios::binary) << PrinterDescription;
        DRIVER_INFO_3W driver{};
        driver.cVersion = 3;
        driver.pName = const_cast<wchar_t*>(DriverName);
        driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
        driver.pDataFile = description.data();
        driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
        PRINTER_INFO_2W info{};
        info.pPrinterName = const_cast<wchar_t*>(PrinterName);
        info.pPortName = port.data();
        info.pDriverName = const_cast<wchar_t*>(DriverName);
        info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
        info.pDatatype = const_cast<wchar_t*>(L"RAW");
        info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        if (!LocalPort(L"AddPort", port) ||
            !AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
            return false;
        HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
        if (!printer) return false;
        ClosePrinter(printer);
        return SetDefaultPrinterW(PrinterName);
    }
    void Pump() {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) window->HandleMessage(msg);
    }
    // A button's command as its click sends it; a choice is checked first.
    void Command(int id) {
        const HWND button = GetDlgItem(window->Handle(), id);
        if (id >= IdChoice1 && id < IdChoice1 + 8)
            SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }
    void Press(int id) {
        Command(id);
        Pump();
    }
    // The sample questionnaire, each question answered with its first choice.
    void AnswerTheSample() {
        WriteScript(ReadFile(KINPATH_EXAMPLES_DIR "/script.txt"));
        window = std::make_unique<win32::MainWindow>();
        mainWindow = window->Handle();
        ASSERT_TRUE(window->Start());
        Pump();
        while (IsWindowEnabled(GetDlgItem(window->Handle(), IdSkip))) {
            Press(IdChoice1);
            Press(IdOk);
        }
        ASSERT_TRUE(IsWindowEnabled(GetDlgItem(window->Handle(), IdPrint)));
    }
    // Presses Print; the pages the file then holds. Each row's text is drawn
    // on a box of the background colour first, which starts at its top-left corner.
    std::vector<Page> Print(bool selection) {
        printSelection = selection;
        std::filesystem::remove(port);
        Command(IdPrint);
        EXPECT_EQ(printDialogs, 0);  // asked for, the dialog comes from the message loop
        Pump();
        EXPECT_EQ(printDialogs, 1);
        EXPECT_EQ(selectionOffered, selection);  // offered only with something selected
        printDialogs = 0;
        const std::string postscript = ReadFile("printed.ps");
        static const std::regex mark(R"((%%Page: \d+ \d+)|gsave\n(\d+) (\d+) moveto\n)");
        std::vector<Page> pages;
        for (std::sregex_iterator it(postscript.begin(), postscript.end(), mark), end; it != end;
             ++it) {
            if ((*it)[1].matched) {
                pages.emplace_back();
            } else if (!pages.empty()) {
                pages.back().emplace_back(std::stoi((*it)[2]), std::stoi((*it)[3]));
            }
        }
        return pages;
    }
    // Pane lines from..to - 1 on paper: 60 rows a page, 49 pixels apart from y 165, at x 127.
    static std::vector<Page> Expected(int from, int to) {
        std::vector<Page> pages;
        for (int i = from; i < to; ++i) {
            if ((i - from) % 60 == 0) pages.emplace_back();
            pages.back().emplace_back(127, 165 + (i - from) % 60 * 49);
        }
        return pages;
    }

    std::wstring port;
    UINT_PTR timer = 0;
    std::unique_ptr<win32::MainWindow> window;
};

TEST_F(Win32PrintTest, PrintsTheReportAndASelectionSixtyRowsAPage) {
    AnswerTheSample();
    const std::vector<PaneLine>& lines = window->Driver().Shown().paneLines;
    ASSERT_GT(lines.size(), 60u);  // two pages at least
    EXPECT_EQ(Print(false), Expected(0, static_cast<int>(lines.size())));
    // A selection from inside line 20 to the start of line 45: those lines
    // alone, from the first row.
    const HWND pane = GetDlgItem(window->Handle(), IdTranscript);
    SendMessageW(pane, EM_SETSEL, lines[20].start + 1, lines[45].start);
    EXPECT_EQ(Print(true), Expected(20, 45));
}

}  // namespace
}  // namespace kinpath::testing
