#include "frontends/term/Program.h"

#include <algorithm>
#include <new>
#include <ostream>
#include <thread>

#include "frontends/term/AuthorTools.h"
#include "frontends/term/CheckCommand.h"
#include "frontends/term/CommandLine.h"
#include "frontends/term/TerminalRun.h"
#include "frontends/term/TerminalView.h"

namespace kinpath::term {

namespace {

int Run(const std::vector<std::string>& args, const std::vector<std::string>& pages,
        const ProgramStreams& streams) {
    BalanceOptions defaults;
    defaults.jobs = std::max(1u, std::thread::hardware_concurrency());
    const CommandLine line = ParseCommandLine(args, defaults);
    if (!line.problem.empty()) {
        streams.textErr << ProblemPrefix(line.command) << ": " << line.problem << '\n'
                        << UsageText();
        return 2;
    }
    switch (line.command) {
        case Command::Help:
            streams.textOut << HelpText();
            return 0;
        case Command::Check:
            return RunScriptCheck(line.script, streams.textOut, streams.textErr, line.all);
        case Command::Balance:
            return RunBalanceCommand(line, streams.textOut, streams.textErr,
                                     streams.errorIsTerminal);
        case Command::Publish:
            return RunPublishCommand(line, pages, streams.textOut, streams.textErr);
        case Command::Questionnaire:
            break;
    }
    // Any script file, an author's draft as much as a player's script.txt.
    return RunSession(streams.in, streams.out, streams.err, streams.inputIsTerminal, line.script);
}

}  // namespace

int RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& pages,
               const ProgramStreams& streams) {
    int status = 1;
    try {
        status = Run(args, pages, streams);
    } catch (const std::bad_alloc&) {
        // Whatever ran out, the command ends with a message, not an abort.
        streams.textErr.flush();
        std::fprintf(streams.err, "%s: out of memory\n", ProgramName);
        std::fflush(streams.err);
        return 1;
    }
    // Output that did not arrive (a full disk, a closed standard output)
    // makes the run fail, whatever the command found.
    streams.textOut.flush();
    if (std::fflush(streams.out) == 0 && !std::ferror(streams.out) && streams.textOut)
        return status;
    streams.textErr.flush();
    std::fprintf(streams.err, "%s: could not write the output\n", ProgramName);
    return status == 0 ? 1 : status;
}

}  // namespace kinpath::term
