#include "frontends/term/Console.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>  // after windows.h, which it needs

#include <cstdio>

#include "text/PathText.h"
#else
#include <unistd.h>

#include <csignal>
#include <filesystem>
#endif

namespace kinpath::term {

#ifdef _WIN32

namespace {

// What the console was like before; put back at exit and on Ctrl+C.
struct SavedConsole {
    UINT outputCodePage = 0;
    UINT inputCodePage = 0;
    HANDLE error = INVALID_HANDLE_VALUE;
    DWORD errorMode = 0;
    bool errorModeChanged = false;
};
SavedConsole Saved;

bool IsConsole(HANDLE handle, DWORD* mode = nullptr) {
    DWORD ignored = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr &&
           GetConsoleMode(handle, mode != nullptr ? mode : &ignored) != 0;
}

void RestoreConsole() {
    if (Saved.outputCodePage != 0) SetConsoleOutputCP(Saved.outputCodePage);
    if (Saved.inputCodePage != 0) SetConsoleCP(Saved.inputCodePage);
    if (Saved.errorModeChanged) SetConsoleMode(Saved.error, Saved.errorMode);
}

BOOL WINAPI RestoreOnBreak(DWORD) {
    RestoreConsole();
    return FALSE;  // the default handling still ends the program
}

}  // namespace

ConsoleSetup::ConsoleSetup() {
    // The program's texts are UTF-8 and its line ends LF, as on other systems:
    // the console shows UTF-8, and no stream turns LF into CR LF.
    Saved.outputCodePage = GetConsoleOutputCP();
    Saved.inputCodePage = GetConsoleCP();
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // Input typed at a console stays in text mode, where Ctrl+Z ends it.
    if (!InputIsTerminal()) _setmode(_fileno(stdin), _O_BINARY);
    Saved.error = GetStdHandle(STD_ERROR_HANDLE);
    if (IsConsole(Saved.error, &Saved.errorMode)) {
        Saved.errorModeChanged =
            SetConsoleMode(Saved.error, Saved.errorMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
    }
    SetConsoleCtrlHandler(RestoreOnBreak, TRUE);
}

ConsoleSetup::~ConsoleSetup() {
    std::fflush(stdout);
    std::fflush(stderr);
    RestoreConsole();
    SetConsoleCtrlHandler(RestoreOnBreak, FALSE);
}

std::vector<std::string> CommandArguments(int, char**) {
    // The narrow arguments are in the ANSI code page, which cannot hold every
    // file name: the wide command line can.
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return args;
    for (int i = 1; i < count; ++i) {
        const std::wstring_view arg(wide[i]);
        args.push_back(Utf8FromUtf16(std::u16string(arg.begin(), arg.end())));
    }
    LocalFree(wide);
    return args;
}

std::string ProgramFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    const std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
    return Utf8FromUtf16(std::u16string(folder.begin(), folder.end()));
}

bool InputIsTerminal() { return IsConsole(GetStdHandle(STD_INPUT_HANDLE)); }

// Only a console that understood the request for escape sequences.
bool ErrorIsTerminal() { return Saved.errorModeChanged; }

#else

// Output to a pipe whose reader is gone (| head) fails like output to a full
// disk, and is reported, rather than ending the program without a word.
ConsoleSetup::ConsoleSetup() { std::signal(SIGPIPE, SIG_IGN); }
ConsoleSetup::~ConsoleSetup() = default;

std::vector<std::string> CommandArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string ProgramFolder() {
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : program.parent_path().string();
}

bool InputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }
bool ErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

#endif

}  // namespace kinpath::term
