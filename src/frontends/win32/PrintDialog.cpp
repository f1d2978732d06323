// The print dialog, the system's own.
#include "frontends/win32/GdiPrintSurface.h"
#include "frontends/win32/MainWindow.h"

#include <commdlg.h>  // after the Windows headers it builds on

namespace kinpath::win32 {

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
