// The Windows program: the dialog runs until the user leaves it.
#include <filesystem>
#include <string>
#include <string_view>

#include "frontends/win32/MainWindow.h"
#include "frontends/win32/UserFolder.h"
#include "script/ScriptLines.h"
#include "text/PathText.h"

#include <shellapi.h>  // after the Windows headers they build on
#include <shlobj.h>

namespace {

// The Start-menu entry passes --user-folder: each user answers in
// Documents\Kinpath, with a copy of the sample questionnaire beside the program.
// Whatever fails leaves the program where it was started.
void EnterDocumentsFolder() {
    PWSTR documents = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_CREATE, nullptr, &documents)))
        return;
    const std::filesystem::path folder = std::filesystem::path(documents) / L"Kinpath";
    CoTaskMemFree(documents);
    std::wstring program(32768, L'\0');
    program.resize(GetModuleFileNameW(nullptr, program.data(), 32768));
    kinpath::win32::EnterUserFolder(folder,
                                    std::filesystem::path(program).parent_path() / L"script.txt");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // kinpath.exe [--user-folder | FILE]: the Start-menu entry's start, or any
    // script file (default script.txt in the working folder).
    std::string script = kinpath::ScriptFileName;
    int argc = 0;
    if (PWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        if (argc == 2 && std::wstring_view(argv[1]) == L"--user-folder") {
            EnterDocumentsFolder();
        } else if (argc == 2) {
            script = kinpath::Utf8FromPath(std::filesystem::path(argv[1]));
        }
        LocalFree(argv);
    }
    kinpath::win32::MainWindow window;
    if (!window.Handle()) return 1;
    window.Start(script);
    return window.Run();
}
