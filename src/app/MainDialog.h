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

struct FocusPlace {
    int focus = 0;
    int choiceTabStop = 0;
    friend bool operator==(const FocusPlace&, const FocusPlace&) = default;
};
// Where the keyboard focus and the choices' tab stop go on the screen next,
// coming from the screen shown (its focus where the user or the last
// decision put it); chosen: the choice the input just pressed, 0 for none.
// Tab reaches the choices as one group, entered at the checked choice or else
// the first usable one. A choice pressed (a digit, a click) takes the focus;
// a new question puts it on its tab stop and the results on the pane; else
// it stays while its control is usable, and goes to the pane when not, so
// that the next Enter or Space never presses a button the user did not pick.
FocusPlace DecideFocus(const Screen& shown, const Screen& next, int chosen);

}  // namespace kinpath
