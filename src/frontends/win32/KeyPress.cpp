#include "frontends/win32/KeyPress.h"

namespace kinpath::win32 {

std::optional<KeyPress> KeyPressOf(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return std::nullopt;
    KeyPress key;
    // A system key comes with Alt; AltGr holds Ctrl and Alt without one.
    key.alt = msg.message == WM_SYSKEYDOWN || GetKeyState(VK_MENU) < 0;
    key.ctrl = GetKeyState(VK_CONTROL) < 0;
    key.shift = GetKeyState(VK_SHIFT) < 0;
    const WPARAM vk = msg.wParam;
    if (vk >= '0' && vk <= '9') {
        key.key = KeyName::Digit;
        key.character = static_cast<char>(vk);
    } else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
        key.key = KeyName::Digit;
        key.character = static_cast<char>('0' + (vk - VK_NUMPAD0));
    } else if (vk >= 'A' && vk <= 'Z') {
        key.key = KeyName::Letter;
        key.character = static_cast<char>(vk);
    } else if (vk == VK_RETURN) {
        key.key = KeyName::Enter;
    } else if (vk == VK_ESCAPE) {
        key.key = KeyName::Escape;
    } else if (vk == VK_BACK) {
        key.key = KeyName::Backspace;
    } else if (vk == VK_F5) {
        key.key = KeyName::F5;
    }
    return key;
}

}  // namespace kinpath::win32
