// One run of the questionnaire in a terminal.
#pragma once

#include <cstdio>

namespace kinpath::term {

// Runs the dialog on script.txt of the working directory, reading commands
// from in until Exit or the end of input. Returns the exit status: 1 when the
// script could not be loaded, else 0. Whether out took the output is the
// caller's to check.
int RunSession(std::FILE* in, std::FILE* out, std::FILE* err, bool interactive);

}  // namespace kinpath::term
