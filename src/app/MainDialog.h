// Start-up, command dispatch and closing of the main dialog, shared by every
// front end. A front end reaches them through its WindowDriver
// (app/WindowDriver.h), which also paces the bar timer.
#pragma once

#include <memory>
#include <string>

#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"

namespace kinpath {

class Dialog;
class Session;

inline constexpr const char* DialogCaption = "Kinpath Race and Class chooser";
inline constexpr const char* NoScriptMessage = "Could not open script.txt";
// The box when a script does not load: NoScriptMessage for script.txt, and
// the same words naming any other file.
std::string NoScriptText(const std::string& scriptPath);

// The dialog's creation: load the script (showing its errors), greet or fail,
// post the first OK, set up the bars, start the timer, centre the window.
// False when the script did not load (the window then closes itself).
bool DialogInit(Session& session, Dialog& dialog, const std::string& scriptPath = ScriptFileName);
// A script that did not load: its errors, then the window's refusal.
void ShowLoadFailure(Dialog& dialog, const LoadOutcome& outcome, const std::string& scriptPath);
// A run on a loaded document: an empty pane, the greeting, the first OK
// posted, the bars set up and their timer started.
void BeginRun(Session& session, Dialog& dialog, std::shared_ptr<const ScriptDocument> document);
void DialogCommand(Session& session, Dialog& dialog, int id);
void DialogClose(Dialog& dialog);
void DialogTimer(Session& session, Dialog& dialog, int timerId);
void CentreWindow(Dialog& dialog);
// The choice Tab reaches: the choices are one group in the tab order, entered
// at the checked choice or else the first usable one. 0 when none is usable.
int ChoiceTabStop(const Dialog& dialog);

}  // namespace kinpath
