// The two commands for script authors: --check and --balance.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kinpath::term {

// `--check [FILE]`: args are what follows --check. Exit status 0 when the
// script has no error, 1 when it has or cannot be read, 2 for wrong arguments.
int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// `--balance [FILE] [--runs N] [--seed S] [--skip P] [--jobs N] [--format F]`:
// args are what follows --balance. Exit status 0 with the report, 1 when the
// script does not load, 2 for wrong arguments. A long run says on err how
// long it takes; when err is a terminal a progress bar shows there while the
// runs go.
int RunBalanceCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      bool errIsTerminal);

// `--publish [SCRIPT] [-o FILE]`: args are what follows --publish; the page
// without a script is looked for in each of pageCandidates in turn. Exit
// status 0 when the page was written, 1 when not, 2 for wrong arguments.
int RunPublishCommand(const std::vector<std::string>& args,
                      const std::vector<std::string>& pageCandidates, std::ostream& out,
                      std::ostream& err);

}  // namespace kinpath::term
