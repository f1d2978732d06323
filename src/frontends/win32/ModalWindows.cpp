// The windows the run waits on, the system's own: its boxes and the print dialog.
#include "frontends/win32/GdiPrintSurface.h"
#include "frontends/win32/MainWindow.h"
#include "frontends/win32/Utf16.h"

#include <commdlg.h>  // after the Windows headers it builds on

namespace kinpath::win32 {

void MainWindow::ShowWaitingBox() {
    boxPosted_ = false;
    const std::optional<Box>& waiting = driver_.Shown().box;
    // One box at a time: the next is shown once this one is answered.
    if (!waiting || boxShowing_) return;
    const Box box = *waiting;
    boxShowing_ = true;
    const UINT type = box.buttons == BoxButtons::YesNo ? MB_YESNO : MB_OK;
    const int answer = MessageBoxW(box.owner == BoxOwner::Dialog ? hwnd_ : nullptr,
                                   Widen(box.text).c_str(), Widen(box.caption).c_str(), type);
    boxShowing_ = false;
    BoxResult result = box.buttons == BoxButtons::YesNo ? BoxResult::No : BoxResult::Ok;
    if (answer == IDYES) result = BoxResult::Yes;
    driver_.Answer(result);
}

std::unique_ptr<PrintSurface> MainWindow::RunPrintDialog(bool selectionAvailable) {
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
