// The Win32 headers as this front end uses them: the W calls, and none of the
// macros that would rename the view's own members.
#pragma once

#include <windows.h>

#include <commctrl.h>

#undef MessageBox
#undef DrawText
