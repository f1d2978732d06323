// The window's right-click menu: Back, for players who use the mouse.
#include <string>

#include "app/SpokenWords.h"
#include "frontends/win32/MainWindow.h"
#include "frontends/win32/Utf16.h"

namespace kinpath::win32 {

namespace {

// Past every control's identifier.
constexpr UINT BackItem = 40001;

}  // namespace

void MainWindow::ShowMenu(LPARAM at) {
    // From the keyboard no point comes: the menu opens at the window's corner.
    POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) {
        point = {0, 0};
        ClientToScreen(hwnd_, &point);
    }
    HMENU menu = CreatePopupMenu();
    // The key that does the same stands beside it, as menus show one.
    const std::wstring back = Widen(std::string(BackCommand) + "\t" + BackKey);
    AppendMenuW(menu, MF_STRING | (driver_.Shown().canGoBack ? MF_ENABLED : MF_GRAYED), BackItem,
                back.c_str());
    const UINT chosen = TrackMenu(menu, point);
    DestroyMenu(menu);
    if (chosen == BackItem) driver_.Back();
}

UINT MainWindow::TrackMenu(HMENU menu, POINT at) {
    return static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                            at.x, at.y, 0, hwnd_, nullptr));
}

}  // namespace kinpath::win32
