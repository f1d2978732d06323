#include "frontends/term/AuthorTools.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <thread>

#include "authoring/publish/Publish.h"
#include "frontends/term/BalanceCommand.h"
#include "frontends/term/CheckCommand.h"
#include "platform/Files.h"
#include "text/NumberText.h"
#include "text/TextCodec.h"

namespace kinpath::term {

int RunBalanceCommand(const CommandLine& line, std::ostream& out, std::ostream& err,
                      bool errIsTerminal) {
    return RunBalance(line.script, line.balance, line.format, out, err,
                      ProgressView(line.balance.runs, errIsTerminal, err));
}

int RunPublishCommand(const CommandLine& line, const std::vector<std::string>& pages,
                      std::ostream& out, std::ostream& err) {
    const std::string program = ProblemPrefix(Command::Publish);
    SystemFiles files;
    const PublishOutcome outcome = Publish(
        {line.script, line.output, pages, line.title}, files,
        [&](const CheckDiagnostic& diagnostic) { PrintDiagnostic(line.script, diagnostic, err); });
    const std::string output = TerminalText(outcome.output);
    switch (outcome.status) {
        case PublishStatus::Written:
            out << output << ": " << GroupedNumberText(outcome.bytes) << " bytes, "
                << outcome.check.questions
                << (outcome.check.questions == 1 ? " question" : " questions") << '\n';
            return 0;
        case PublishStatus::NameRefused:
            err << program << ": the page may not be written to " << output
                << " (the script itself, the page without a script, or the name of the saved "
                   "results): name another with -o\n";
            return 2;
        case PublishStatus::PageNotFound:
            err << program << ": " << WebPageFileName
                << " not found beside kinpath-cli or in ../share/kinpath\n";
            return 1;
        case PublishStatus::ScriptUnreadable:
            err << TerminalText(line.script) << ": error: cannot open ("
                << DescribeReadFailure(outcome.scriptFailure) << ")\n";
            return 1;
        case PublishStatus::ScriptHasErrors:
            PrintSummary(line.script, outcome.check, err, false);
            err << program << ": the script has errors: no page was written\n";
            return 1;
        case PublishStatus::NotThePage:
            err << program << ": " << TerminalText(outcome.page)
                << " is not the Kinpath page without a script\n";
            return 1;
        case PublishStatus::NotWritten:
            break;
    }
    err << program << ": could not write " << output << '\n';
    return 1;
}

}  // namespace kinpath::term
