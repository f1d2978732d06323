// Printing from the real window through the real print dialog and the GDI
// surface, to a PostScript printer whose port is a file: the pages are read
// back from the file (rows from its drawing commands, text through
// Ghostscript's text device).
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "frontends/win32/MainWindow.h"
#include "frontends/win32/Utf16.h"
#include "window/ControlIds.h"

#include <winspool.h>  // after the Windows headers it builds on

namespace kinpath::testing {
namespace {

const wchar_t* const PrinterName = L"Kinpath Test Printer";
const wchar_t* const DriverName = L"Wine PostScript Driver";
const wchar_t* const DriverFile = L"kinpath-test.ppd";
// Letter paper at 300 dots per inch: rows 49 pixels apart from y 165, at x 127.
const char* const PrinterDescription = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*LanguageEncoding: ISOLatin1
*LanguageVersion: English
*ModelName: "Kinpath Test"
*NickName: "Kinpath Test"
*PCFileName: "KINPATH.PPD"
*LanguageLevel: "2"
*ColorDevice: False
*DefaultResolution: 300dpi
*TTRasterizer: Type42
*OpenUI *PageSize: PickOne
*DefaultPageSize: Letter
*PageSize Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: Letter
*ImageableArea Letter: "0 0 612 792"
*DefaultPaperDimension: Letter
*PaperDimension Letter: "612 792"
*DefaultFont: Helvetica
*Font Helvetica: Standard "(001.006)" Standard ROM
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

std::string UnixPath(const std::filesystem::path& path) {
    using Call = char*(CDECL*)(const wchar_t*);
    const auto call = reinterpret_cast<Call>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = call ? call(path.c_str()) : nullptr;
    std::string result = unix ? unix : "";
    if (unix) HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Whitespace runs as one space, none at the ends: the text device lays words
// out by their positions. It names a drawn space a no-break one and a hyphen
// a soft one, after their glyphs.
std::string Squeezed(const std::string& text) {
    std::string out;
    bool gap = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (text.compare(i, 2, "\xC2\xA0") == 0 || text.compare(i, 2, "\xC2\xAD") == 0)
            c = text[++i] == '\xA0' ? ' ' : '-';
        if (c == ' ' || c == '\t' || c == '\r') {
            gap = !out.empty();
            continue;
        }
        if (gap) out += ' ';
        out += c;
        gap = false;
    }
    return out;
}

// One printed page: where each row was drawn, and its visible text lines.
struct Page {
    std::vector<std::pair<int, int>> rows;
    std::vector<std::string> text;
};

// The print dialog this thread shows: pick Selection when asked, then OK.
bool printSelection = false;
int printDialogs = 0;
HWND mainWindow = nullptr;

BOOL CALLBACK PressPrint(HWND box, LPARAM) {
    wchar_t name[16] = L"";
    GetClassNameW(box, name, 16);
    if (box == mainWindow || std::wstring(name) != L"#32770" || !IsWindowVisible(box) ||
        !GetDlgItem(box, 0x420))
        return TRUE;  // not the print dialog: its "All" choice is 0x420, "Selection" 0x421
    ++printDialogs;
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
    void Press(int id) {
        const HWND button = GetDlgItem(window->Handle(), id);
        if (id >= IdChoice1 && id < IdChoice1 + 8)
            SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        Pump();
    }
    // The sample questionnaire, each question answered with its first choice.
    void AnswerTheSample() {
        std::ifstream in(std::filesystem::path(KINPATH_EXAMPLES_DIR) / "script.txt",
                         std::ios::binary);
        std::ostringstream script;
        script << in.rdbuf();
        WriteScript(script.str());
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
    // Presses Print; the pages the file then holds.
    std::vector<Page> Print(bool selection) {
        printSelection = selection;
        std::filesystem::remove(port);
        Press(IdPrint);
        EXPECT_EQ(printDialogs, 1);
        printDialogs = 0;
        std::ifstream in(std::filesystem::path(port), std::ios::binary);
        std::ostringstream file;
        file << in.rdbuf();
        return Pages(file.str(), ReadText());
    }
    // Ghostscript's text of each page of the file, run as a Unix program.
    std::vector<std::vector<std::string>> ReadText() {
        const std::string dir = UnixPath(Dir());
        std::wstring command = win32::Widen(
            "Z:\\bin\\sh -c \"gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite '-sOutputFile=" +
            dir + "/page-%d.txt' '" + dir + "/printed.ps' >/dev/null 2>&1; echo $? >'" + dir +
            "/gs.tmp'; mv '" + dir + "/gs.tmp' '" + dir + "/gs.done'\"");
        for (const auto& entry : std::filesystem::directory_iterator(Dir()))
            if (entry.path().extension() == ".txt" || entry.path().extension() == ".done")
                std::filesystem::remove(entry.path());
        STARTUPINFOW start{};
        start.cb = sizeof(start);
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &start, &process));
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        // A Unix process cannot be waited for from here: its last step is the rename.
        for (int i = 0; i < 600 && !std::filesystem::exists(Dir() / "gs.done"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(ReadFile("gs.done"), "0\n") << "gs (package ghostscript) failed";
        std::vector<std::vector<std::string>> pages;
        for (int p = 1; std::filesystem::exists(Dir() / ("page-" + std::to_string(p) + ".txt"));
             ++p) {
            std::istringstream page(ReadFile("page-" + std::to_string(p) + ".txt"));
            pages.emplace_back();
            for (std::string line; std::getline(page, line);)
                if (!Squeezed(line).empty()) pages.back().push_back(Squeezed(line));
        }
        return pages;
    }
    // Each row's text is drawn on a box of the background colour first, which
    // the file starts at the row's top-left corner.
    static std::vector<Page> Pages(const std::string& postscript,
                                   std::vector<std::vector<std::string>> text) {
        static const std::regex mark(R"((%%Page: \d+ \d+)|gsave\n(\d+) (\d+) moveto\n)");
        std::vector<Page> pages;
        for (std::sregex_iterator it(postscript.begin(), postscript.end(), mark), end; it != end;
             ++it) {
            if ((*it)[1].matched) {
                pages.emplace_back();
                if (pages.size() <= text.size()) pages.back().text = text[pages.size() - 1];
            } else if (!pages.empty()) {
                pages.back().rows.emplace_back(std::stoi((*it)[2]), std::stoi((*it)[3]));
            }
        }
        EXPECT_EQ(pages.size(), text.size());
        return pages;
    }
    // What the pane lines from..to - 1 must look like on paper.
    void ExpectPages(const std::vector<Page>& pages, int from, int to) const {
        ASSERT_EQ(pages.size(), static_cast<std::size_t>((to - from + 59) / 60));
        for (std::size_t p = 0; p < pages.size(); ++p) {
            SCOPED_TRACE("page " + std::to_string(p + 1));
            const int first = from + static_cast<int>(p) * 60;
            std::vector<std::pair<int, int>> rows;
            std::vector<std::string> text;
            for (int i = first; i < std::min(to, first + 60); ++i) {
                rows.emplace_back(127, 165 + (i - first) * 49);
                if (const std::string line = Squeezed(window->PaneLine(i)); !line.empty())
                    text.push_back(line);
            }
            EXPECT_EQ(pages[p].rows, rows);
            EXPECT_EQ(pages[p].text, text);
        }
    }

    std::wstring port;
    UINT_PTR timer = 0;
    std::unique_ptr<win32::MainWindow> window;
};

TEST_F(Win32PrintTest, PrintsTheReportAndASelectionSixtyRowsAPage) {
    AnswerTheSample();
    const int lines = window->PaneLineCount();
    ASSERT_GT(lines, 60);  // two pages at least
    ExpectPages(Print(false), 0, lines);
    // A selection from inside line 20 to the start of line 45: those lines
    // alone, from the first row.
    const HWND pane = GetDlgItem(window->Handle(), IdTranscript);
    SendMessageW(pane, EM_SETSEL, window->PaneLineStart(20) + 1, window->PaneLineStart(45));
    ExpectPages(Print(true), 20, 45);
}

}  // namespace
}  // namespace kinpath::testing
