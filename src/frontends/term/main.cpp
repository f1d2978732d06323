// kinpath-cli: the questionnaire in a terminal, and the author tools.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "authoring/publish/Publish.h"
#include "frontends/term/Console.h"
#include "frontends/term/Program.h"
#include "platform/Files.h"
#include "text/PathText.h"

int main(int argc, char** argv) {
    kinpath::term::ConsoleSetup console;
    // Output past a file size limit fails like output to a full disk.
    kinpath::FailWritesPastSizeLimit();
    // The page without a script lies beside the program, or where an
    // installation puts shared files.
    const std::filesystem::path folder = kinpath::PathFromUtf8(kinpath::term::ProgramFolder());
    std::vector<std::string> pages;
    for (const std::filesystem::path& page :
         {folder / kinpath::WebPageFileName,
          folder / ".." / "share" / "kinpath" / kinpath::WebPageFileName}) {
        pages.push_back(kinpath::Utf8FromPath(page));
    }
    return kinpath::term::RunProgram(
        kinpath::term::CommandArguments(argc, argv), pages,
        {stdin, stdout, stderr, std::cout, std::cerr, kinpath::term::InputIsTerminal(),
         kinpath::term::ErrorIsTerminal()});
}
