// The process's standard streams and arguments as kinpath-cli needs them on
// every system: UTF-8 text with LF line ends going out byte for byte, and the
// arguments as UTF-8.
#pragma once

#include <string>
#include <vector>

namespace kinpath::term {

// Sets the console up for the program's output while it lives and puts it
// back as it was afterwards (also when Ctrl+C ends the program). Where the
// standard streams are bytes already, only a closed pipe is made an error the
// program reports instead of a signal that ends it.
class ConsoleSetup {
public:
    ConsoleSetup();
    ~ConsoleSetup();
    ConsoleSetup(const ConsoleSetup&) = delete;
    ConsoleSetup& operator=(const ConsoleSetup&) = delete;
};

// The arguments after the program's name, as UTF-8.
std::vector<std::string> CommandArguments(int argc, char** argv);
// The folder holding this program, as UTF-8; empty when it cannot be known.
std::string ProgramFolder();
// Whether standard input comes from a person at a terminal.
bool InputIsTerminal();
// Whether standard error is a terminal that takes the progress bar's escape
// sequences.
bool ErrorIsTerminal();

}  // namespace kinpath::term
