#include "authoring/Publish.h"

#include <filesystem>
#include <ostream>

#include "app/HtmlExport.h"
#include "authoring/check/ScriptCheck.h"
#include "platform/Files.h"
#include "script/ScriptLines.h"
#include "text/PathText.h"

namespace kinpath {

namespace {

constexpr std::string_view ProgramName = "kinpath-cli --publish";

// Where the page keeps its script, and the part of its policy that lets a
// page without a script fetch script.txt from its own site.
constexpr std::string_view ScriptSlot =
    "<script type=\"application/octet-stream\" id=\"kinpath-script\"></script>";
constexpr std::string_view ScriptSlotOpen =
    "<script type=\"application/octet-stream\" id=\"kinpath-script\">";
constexpr std::string_view OwnSiteFetch = "; connect-src 'self'\">";

bool OccursOnce(std::string_view text, std::string_view piece) {
    const std::size_t first = text.find(piece);
    return first != text.npos && text.find(piece, first + 1) == text.npos;
}

// Base64 holds no character that could end the script element around it.
std::string Base64(std::string_view bytes) {
    static constexpr char Digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            out += k <= n ? Digits[(group >> (18 - 6 * k)) & 63] : '=';
        }
    }
    return out;
}

std::string Replaced(std::string text, std::string_view piece, std::string_view by) {
    return text.replace(text.find(piece), piece.size(), by);
}

// A number with thousands separators: 312,345.
std::string Grouped(std::uintmax_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace

std::optional<std::string> PublishedPage(std::string_view page, std::string_view scriptBytes) {
    if (!OccursOnce(page, ScriptSlot) || !OccursOnce(page, OwnSiteFetch)) return std::nullopt;
    std::string published = Replaced(std::string(page), OwnSiteFetch, "\">");
    return Replaced(std::move(published), ScriptSlot,
                    std::string(ScriptSlotOpen) + Base64(scriptBytes) + "</script>");
}

std::string PublishedPageName(const std::string& scriptPath) {
    return Utf8FromPath(PathFromUtf8(scriptPath).replace_extension(".html"));
}

int RunPublish(const PublishRequest& request, std::ostream& out, std::ostream& err) {
    namespace fs = std::filesystem;
    const std::string output =
        request.output.empty() ? PublishedPageName(request.script) : request.output;
    const fs::path outputPath = PathFromUtf8(output);
    // The saved results take that name in the same folder; the script must
    // survive its own publishing.
    std::error_code ec;
    if (SameText(Utf8FromPath(outputPath.filename()).c_str(), HtmlFileName) ||
        fs::equivalent(outputPath, PathFromUtf8(request.script), ec)) {
        err << ProgramName << ": the page may not be written to " << output
            << " (the script itself, or the name of the saved results): name another with -o\n";
        return 2;
    }
    const ScriptFileText script = ReadScriptFile(request.script);
    if (script.failure != ReadFailure::None) {
        err << request.script << ": error: cannot open (" << DescribeReadFailure(script) << ")\n";
        return 1;
    }
    const CheckResult check = CheckScript(script.bytes, [&](const CheckDiagnostic& diagnostic) {
        err << request.script << ':' << diagnostic.line
            << (diagnostic.severity == CheckSeverity::Error ? ": error: " : ": warning: ")
            << diagnostic.text << '\n';
    });
    if (check.errors > 0) {
        const auto count = [](int n, const char* word) {
            return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
        };
        err << request.script << ": " << count(check.questions, "question") << ", "
            << count(check.errors, "error") << ", " << count(check.warnings, "warning") << '\n';
        err << ProgramName << ": the script has errors: no page was written\n";
        return 1;
    }
    const ScriptFileText page = ReadScriptFile(request.page);
    const std::optional<std::string> published =
        page.failure == ReadFailure::None ? PublishedPage(page.bytes, script.bytes) : std::nullopt;
    if (!published) {
        err << ProgramName << ": " << request.page << " is not the Kinpath page without a script\n";
        return 1;
    }
    SystemFiles files;
    if (!WriteHtmlFile(files, Utf8FromPath(fs::absolute(outputPath, ec)), *published)) {
        err << ProgramName << ": could not write " << output << '\n';
        return 1;
    }
    out << output << ": " << Grouped(published->size()) << " bytes, " << check.questions
        << (check.questions == 1 ? " question" : " questions") << '\n';
    return 0;
}

}  // namespace kinpath
