// Start-up, command dispatch and closing of the main dialog, shared by every
// front end. A front end creates its window, calls DialogInit, and then routes
// commands, close requests and timer ticks here from its message loop.
#pragma once

namespace kinpath {

class Dialog;

inline constexpr const char* DialogCaption = "Kinpath Race and Class chooser";

// What the program entry does before the dialog exists: zero PointTotals,
// BarShown and BarTarget.
void ResetCounters();
// Everything a fresh run starts from: counters, document, answers, tables, flow.
void ResetProgramState();

// The dialog's creation: load the script, greet or fail, post the first OK,
// set up the bars, start the timer, centre the window.
void DialogInit(Dialog& dialog);
void DialogCommand(Dialog& dialog, int id);
void DialogClose(Dialog& dialog);
void DialogTimer(Dialog& dialog, int timerId);
void CentreWindow(Dialog& dialog);

}  // namespace kinpath
