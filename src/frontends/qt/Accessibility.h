// The window as a screen reader meets it: the choices in a group the question
// names, and only controls a reader can say something of (shown, and usable
// or named: no empty choice left disabled, no hidden label).
#pragma once

#include <QString>

namespace kinpath::qt {

// The object name of the group that holds the choices.
inline QString ChoiceGroupName() { return QStringLiteral("choices"); }

// Has the window and the choices' group tell readers only of those controls;
// once, before any window is made.
void ServeAccessibility();

}  // namespace kinpath::qt
