// The commands for script authors that print more than the checker's lines:
// --balance and --publish.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "frontends/term/CommandLine.h"

namespace kinpath::term {

// `--balance [FILE] [--runs N] [--seed S] [--skip P] [--jobs N] [--format F]`.
// Exit status 0 with the report, 1 when the script does not load. A long run
// says on err how long it takes; when err is a terminal a progress bar shows
// there while the runs go.
int RunBalanceCommand(const CommandLine& line, std::ostream& out, std::ostream& err,
                      bool errIsTerminal);

// `--publish [SCRIPT] [-o FILE] [--title TEXT]`: the page without a script is
// looked for in each of pages in turn. The script's errors and warnings go to
// err as --check prints them; the page's name and size to out. Exit status 0
// when the page was written, 1 when not, 2 for an output name that is not
// allowed.
int RunPublishCommand(const CommandLine& line, const std::vector<std::string>& pages,
                      std::ostream& out, std::ostream& err);

}  // namespace kinpath::term
