#include "frontends/term/CheckCommand.h"

#include <ostream>
#include <utility>

#include "script/ScriptLines.h"
#include "text/TextCodec.h"

namespace kinpath {

namespace {

bool ReadForAuthor(const std::string& path, ScriptBytes& bytes, std::ostream& err) {
    ScriptFileText file = ReadScriptFile(path);
    if (file.failure != ReadFailure::None) {
        err << TerminalText(path) << ": error: cannot open (" << DescribeReadFailure(file) << ")\n";
        return false;
    }
    bytes = std::move(file.bytes);
    return true;
}

std::string Count(std::int64_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

void PrintDiagnostic(const std::string& name, const CheckDiagnostic& diagnostic,
                     std::ostream& out) {
    out << TerminalText(name) << ':' << diagnostic.line
        << (diagnostic.severity == CheckSeverity::Error ? ": error: " : ": warning: ")
        << diagnostic.text << '\n';
}

void PrintSummary(const std::string& name, const CheckResult& result, std::ostream& out,
                  bool errorsOnly) {
    for (const CheckOmitted& omitted : result.omitted) {
        const bool error = omitted.severity == CheckSeverity::Error;
        if (errorsOnly && !error) continue;
        out << TerminalText(name) << ':' << omitted.firstLine
            << ": note: " << Count(omitted.count, error ? "more error" : "more warning")
            << " of this kind (" << omitted.kind << "), up to line " << omitted.lastLine
            << (omitted.count == 1 ? ", is" : ", are") << " not listed (--check --all lists "
            << (omitted.count == 1 ? "it)\n" : "every one)\n");
    }
    out << TerminalText(name) << ": " << Count(result.questions, "question") << ", "
        << Count(result.errors, "error");
    if (!errorsOnly) {
        out << ", " << Count(result.warnings, "warning");
    }
    out << '\n';
}

bool ReadCheckedScript(const std::string& path, ScriptBytes& bytes, std::ostream& err) {
    if (!ReadForAuthor(path, bytes, err)) {
        return false;
    }
    const CheckResult check = CheckScript(bytes,
                                          [&](const CheckDiagnostic& diagnostic) {
                                              if (diagnostic.severity == CheckSeverity::Error) {
                                                  PrintDiagnostic(path, diagnostic, err);
                                              }
                                          },
                                          {ListedPerKind});
    if (check.errors > 0) {
        PrintSummary(path, check, err, true);
        return false;
    }
    return true;
}

int RunScriptCheck(const std::string& path, std::ostream& out, std::ostream& err, bool all) {
    ScriptBytes bytes;
    if (!ReadForAuthor(path, bytes, err)) {
        return 1;
    }
    const CheckResult result = CheckScript(
        bytes, [&](const CheckDiagnostic& diagnostic) { PrintDiagnostic(path, diagnostic, out); },
        {all ? 0 : ListedPerKind});
    PrintSummary(path, result, out, false);
    return result.errors == 0 ? 0 : 1;
}

}  // namespace kinpath
