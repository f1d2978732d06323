#include "frontends/qt/KeyPress.h"

#include <QKeyEvent>

namespace kinpath::qt {

KeyPress SharedKey(const QKeyEvent& event, int focused) {
    KeyPress press;
    press.ctrl = event.modifiers().testFlag(Qt::ControlModifier);
    press.alt = event.modifiers().testFlag(Qt::AltModifier);
    press.shift = event.modifiers().testFlag(Qt::ShiftModifier);
    press.focused = focused;
    const int key = event.key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        press.key = KeyName::Digit;
        press.character = static_cast<char>('0' + (key - Qt::Key_0));
    } else if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        press.key = KeyName::Letter;
        press.character = static_cast<char>('A' + (key - Qt::Key_A));
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        press.key = KeyName::Enter;
    } else if (key == Qt::Key_Escape) {
        press.key = KeyName::Escape;
    } else if (key == Qt::Key_Backspace) {
        press.key = KeyName::Backspace;
    } else if (key == Qt::Key_F5) {
        press.key = KeyName::F5;
    }
    return press;
}

}  // namespace kinpath::qt
