// The keys every window shares, decided once: a digit chooses, Enter presses
// the focused button or OK, Escape leaves, Alt and a caption's marked letter
// press its button, F5 or Ctrl+R reads the script again, Backspace or Ctrl+Z
// goes back. A front end names the key; every other key stays its toolkit's.
#pragma once

#include "window/Screen.h"

namespace kinpath {

enum class KeyName : std::uint8_t { Other, Digit, Letter, Enter, Escape, Backspace, F5 };

struct KeyPress {
    KeyName key = KeyName::Other;
    char character = 0;  // the digit ('0' to '9') or the letter of Digit and Letter
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    int focused = 0;  // the control holding the focus; 0 for none
};

enum class KeyAction : std::uint8_t {
    None,     // nothing happens
    Press,    // the control id is pressed, as a click would (a choice also takes the focus)
    Restart,  // the script again, as it is now, keeping the answers (WindowDriver::Restart)
    Back,     // the last answer or skip taken back (WindowDriver::Back)
};

struct KeyDecision {
    KeyAction action = KeyAction::None;
    int id = 0;
    // The key was one of these: the toolkit should not handle it as well.
    bool handled = false;
};

KeyDecision DecideKey(const Screen& screen, const KeyPress& key);

}  // namespace kinpath
