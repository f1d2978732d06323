// The words and placements of the main dialog that every front end shares:
// its caption, the boxes of a script that does not load, where the window
// stands and where the keyboard focus goes.
#pragma once

#include <string>
#include <vector>

#include "script/ScriptDocument.h"
#include "window/Screen.h"
#include "window/WindowWords.h"

namespace kinpath {

// The box when a script does not load: NoScriptMessage for script.txt, and
// the same words naming any other file.
std::string NoScriptText(const std::string& scriptPath);
// A script that did not load: its errors, with no owner window, then the
// window's refusal.
std::vector<Box> LoadFailureBoxes(const LoadOutcome& outcome, const std::string& scriptPath);

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};
// Where the window's top-left corner goes so that a box of the client's size
// stands in the middle of the desktop.
Point CentreWindow(const Rect& desktop, const Rect& client);

// The choice Tab reaches: the choices are one group in the tab order, entered
// at the checked choice or else the first usable one. 0 when none is usable.
int ChoiceTabStop(const Screen& screen);
// Where the keyboard focus goes once the screen changed: where it is while
// that control is usable, else the pane (so that the next Enter or Space
// never presses a button the user did not pick), else nowhere (0).
int FocusAfterChange(const Screen& screen, int focused);

}  // namespace kinpath
