// One run of the questionnaire in a terminal.
#pragma once

#include <cstdio>
#include <string>

namespace kinpath::term {

// Runs the dialog on the script file (script.txt of the working directory
// unless another is named), reading commands from in until Exit or the end of
// input. Returns the exit status: 1 when the script could not be loaded, else
// 0. Whether out took the output is the caller's to check.
int RunSession(std::FILE* in, std::FILE* out, std::FILE* err, bool interactive,
               const std::string& scriptPath);

}  // namespace kinpath::term
