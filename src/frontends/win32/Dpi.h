// The window on monitors of different resolutions.
#pragma once

#include "frontends/win32/Win32Api.h"

namespace kinpath::win32 {

// The resolution of the monitor the window is on, in dots an inch.
int WindowDpi(HWND hwnd);
// The dialog scales itself when it moves to a monitor of another resolution,
// where the system would otherwise do it.
void ScaleItself(HWND dialog);
// The question's text stands this far inside its border, in pixels: 2 at 96
// dots an inch, as in the Linux window.
int QuestionMargin(int dpi);

}  // namespace kinpath::win32
