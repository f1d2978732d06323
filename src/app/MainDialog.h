// Start-up, command dispatch and closing of the main dialog, shared by every
// front end. A front end owns a Session and its window, calls DialogInit, and
// then routes commands, close requests and timer ticks here from its message
// loop.
#pragma once

namespace kinpath {

class Dialog;
class Session;

inline constexpr const char* DialogCaption = "Kinpath Race and Class chooser";
inline constexpr const char* NoScriptMessage = "Could not open script.txt";

// The dialog's creation: load the script (showing its errors), greet or fail,
// post the first OK, set up the bars, start the timer, centre the window.
// False when the script did not load (the window then closes itself).
bool DialogInit(Session& session, Dialog& dialog);
void DialogCommand(Session& session, Dialog& dialog, int id);
void DialogClose(Dialog& dialog);
void DialogTimer(Session& session, Dialog& dialog, int timerId);
void CentreWindow(Dialog& dialog);

}  // namespace kinpath
