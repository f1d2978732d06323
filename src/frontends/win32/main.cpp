// The Windows program: the dialog runs until the user leaves it.
#include "app/MainDialog.h"
#include "flow/Session.h"
#include "frontends/win32/MainWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    kinpath::Session session;
    kinpath::win32::MainWindow window(session);
    if (!window.Handle()) return 1;
    window.Start();
    return window.Run();
}
