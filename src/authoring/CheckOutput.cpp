// What --check and the other author tools print of a check.
#include <ostream>
#include <utility>

#include "authoring/ScriptCheck.h"
#include "script/ScriptLines.h"
#include "text/TextCodec.h"

namespace kinpath {

namespace {

bool ReadForAuthor(const std::string& path, std::string& bytes, std::ostream& err) {
    ScriptFileText file = ReadScriptFile(path);
    if (file.failure != ReadFailure::None) {
        err << TerminalText(path) << ": error: cannot open (" << DescribeReadFailure(file) << ")\n";
        return false;
    }
    bytes = std::move(file.bytes);
    return true;
}

}  // namespace

void PrintDiagnostic(const std::string& name, const CheckDiagnostic& diagnostic,
                     std::ostream& out) {
    out << TerminalText(name) << ':' << diagnostic.line
        << (diagnostic.severity == CheckSeverity::Error ? ": error: " : ": warning: ")
        << diagnostic.text << '\n';
}

// "NAME: N questions, N errors, N warnings" (without the warnings if asked).
void PrintSummary(const std::string& name, const CheckResult& result, std::ostream& out,
                  bool errorsOnly) {
    const auto count = [](int n, const char* word) {
        return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
    };
    out << TerminalText(name) << ": " << count(result.questions, "question") << ", "
        << count(result.errors, "error");
    if (!errorsOnly) {
        out << ", " << count(result.warnings, "warning");
    }
    out << '\n';
}

CheckResult CheckScript(std::string bytes) {
    std::vector<CheckDiagnostic> diagnostics;
    CheckResult result = CheckScript(std::move(bytes), [&](const CheckDiagnostic& diagnostic) {
        diagnostics.push_back(diagnostic);
    });
    result.diagnostics = std::move(diagnostics);
    return result;
}

bool ReadCheckedScript(const std::string& path, std::string& bytes, std::ostream& err) {
    if (!ReadForAuthor(path, bytes, err)) {
        return false;
    }
    const CheckResult check = CheckScript(bytes, [&](const CheckDiagnostic& diagnostic) {
        if (diagnostic.severity == CheckSeverity::Error) {
            PrintDiagnostic(path, diagnostic, err);
        }
    });
    if (check.errors > 0) {
        PrintSummary(path, check, err, true);
        return false;
    }
    return true;
}

int RunScriptCheck(const std::string& path, std::ostream& out, std::ostream& err) {
    std::string bytes;
    if (!ReadForAuthor(path, bytes, err)) {
        return 1;
    }
    const CheckResult result = CheckScript(
        std::move(bytes),
        [&](const CheckDiagnostic& diagnostic) { PrintDiagnostic(path, diagnostic, out); });
    PrintSummary(path, result, out, false);
    return result.errors == 0 ? 0 : 1;
}

}  // namespace kinpath
