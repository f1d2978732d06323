// Everything kinpath-cli does for its arguments, on streams it is given, so
// that tests can run it whole in their own process.
#pragma once

#include <cstdio>
#include <iosfwd>
#include <string>
#include <vector>

namespace kinpath::term {

struct ProgramStreams {
    // The questionnaire reads and writes these.
    std::FILE* in;
    std::FILE* out;
    std::FILE* err;
    // The other commands write these.
    std::ostream& textOut;
    std::ostream& textErr;
    bool inputIsTerminal = false;
    bool errorIsTerminal = false;
};

// Runs the command the arguments (UTF-8, after the program's name) ask for;
// --publish looks for the page without a script in each of pages in turn.
// The exit status: 2 for arguments that are refused, 1 when the command
// failed, also when its output could not be written ("kinpath-cli: could not
// write the output") or memory ran out ("kinpath-cli: out of memory"), else 0.
int RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& pages,
               const ProgramStreams& streams);

}  // namespace kinpath::term
