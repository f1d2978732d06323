// The keys every window shares, as the window's messages bring them.
#pragma once

#include "frontends/win32/Win32Api.h"

#include <optional>

#include "app/Keys.h"

namespace kinpath::win32 {

// The key of a key message, named as the core names the keys every window
// shares; none for other messages.
std::optional<KeyPress> KeyPressOf(const MSG& msg);

}  // namespace kinpath::win32
