// What a screen reader hears of a control beyond what the control draws.
#pragma once

#include "frontends/win32/Win32Api.h"

#include <memory>
#include <string>

namespace kinpath::win32 {

struct Spoken {
    std::wstring name;  // the whole of a cut text, or a name where none shows; empty: its own
    std::wstring description;  // said after the name; empty: none
    bool hidden = false;       // shown but meaningless (a choice with no text): out of the way
};

// The control answers a reader with what spoken holds when it asks.
void Speak(HWND control, std::shared_ptr<const Spoken> spoken);

}  // namespace kinpath::win32
