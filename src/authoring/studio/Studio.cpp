#include "authoring/studio/Studio.h"

#include <memory>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

#include "authoring/balance/BalanceReport.h"
#include "authoring/check/ScriptCheck.h"
#include "authoring/publish/Publish.h"
#include "script/ScriptDocument.h"
#include "text/TextCodec.h"
#include "window/WindowWords.h"

namespace kinpath::studio {

namespace {

using Json = nlohmann::ordered_json;

std::string Count(std::int64_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// The text between the first `open` after `after` and the next `close`.
std::string_view Between(std::string_view text, std::string_view after, char open, char close) {
    std::size_t at = text.find(after);
    if (at == std::string_view::npos) return {};
    at = text.find(open, at + after.size());
    const std::size_t end = at == std::string_view::npos ? at : text.find(close, at + 1);
    if (end == std::string_view::npos) return {};
    return text.substr(at, end - at + 1);
}

std::string_view Blanks() { return " \t"; }

// The line as a did-you-mean would have it; none when the checker suggests
// nothing this line alone can take (a key that belongs in another block).
std::optional<std::string> FixedLine(const CheckDiagnostic& diagnostic, std::string_view line) {
    const std::string_view text = diagnostic.text;
    const std::size_t first = line.find_first_not_of(Blanks());
    if (first == std::string_view::npos) return std::nullopt;
    const std::string indent(line.substr(0, first));
    if (diagnostic.kind == "unknown key") {
        const std::string_view meant = Between(text, ": did you mean ", '\'', '\'');
        const std::size_t equals = line.find('=');
        if (meant.size() < 3 || equals == std::string_view::npos ||
            text.find(", a key of ") != std::string_view::npos) {
            return std::nullopt;
        }
        return indent + std::string(meant.substr(1, meant.size() - 2)) +
               std::string(line.substr(equals + 1));
    }
    // A tag stands alone on its line, so the fix is the tag meant.
    std::string_view tag;
    if (diagnostic.kind == "unknown tag") {
        tag = Between(
            text,
            text.find("did you mean") != std::string_view::npos ? "did you mean" : ": read as", '<',
            '>');
    } else if (diagnostic.kind == "misspelt end tag" &&
               text.find("' does not end ") == std::string_view::npos) {
        tag = Between(text, " ends only at", '<', '>');
    } else if (diagnostic.kind == "lines outside any block" && line[first] == '<') {
        tag = Between(text, "(did you mean", '<', '>');
    }
    if (tag.empty()) return std::nullopt;
    return indent + std::string(tag);
}

// Where each line starts, the way the checker numbers them.
std::vector<std::size_t> LineStarts(std::string_view script) {
    std::vector<std::size_t> starts{0};
    for (std::size_t at = script.find('\n'); at != std::string_view::npos;
         at = script.find('\n', at + 1)) {
        starts.push_back(at + 1);
    }
    return starts;
}

std::string_view LineAt(std::string_view script, const std::vector<std::size_t>& starts,
                        std::int64_t number) {
    if (number < 1 || static_cast<std::size_t>(number) > starts.size()) return {};
    const std::size_t from = starts[static_cast<std::size_t>(number) - 1];
    std::string_view line = script.substr(from, script.find('\n', from) - from);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// The length of UTF-8 text as the page's script counts it, in UTF-16 code units.
int Utf16Length(std::string_view utf8) {
    int units = 0;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        units += (b & 0xC0) != 0x80;
        units += b >= 0xF0;
    }
    return units;
}

Json LineColours(std::string_view line) {
    Json spans = Json::array();
    const std::size_t first = line.find_first_not_of(Blanks());
    if (first == std::string_view::npos) return spans;
    const std::size_t last = line.find_last_not_of(Blanks());
    const int from = Utf16Length(line.substr(0, first));
    const auto span = [&](int at, std::string_view part, const char* kind) {
        spans.push_back(Json::array({at, Utf16Length(part), kind}));
    };
    const std::string_view body = line.substr(first, last - first + 1);
    if (body[0] == '#') {
        span(from, body, "comment");
    } else if (body[0] == '<') {
        span(from, body, "tag");
    } else if (const std::size_t equals = body.find('='); equals != std::string_view::npos) {
        const std::string_view key = body.substr(0, equals + 1);
        span(from, key, "key");
        if (equals + 1 < body.size()) {
            span(from + Utf16Length(key), body.substr(equals + 1), "value");
        }
    }
    return spans;
}

}  // namespace

std::string EditorText(std::string_view bytes) { return DisplayText(bytes); }

std::string DiagnosticsJson(std::string_view script) {
    const std::vector<std::size_t> starts = LineStarts(script);
    Json listed = Json::array();
    const CheckResult result = CheckScript(
        script,
        [&](const CheckDiagnostic& diagnostic) {
            Json item = {
                {"line", diagnostic.line},
                {"severity", diagnostic.severity == CheckSeverity::Error ? "error" : "warning"},
                {"text", diagnostic.text}};
            if (auto fix = FixedLine(diagnostic, LineAt(script, starts, diagnostic.line))) {
                item["fix"] = std::move(*fix);
            }
            listed.push_back(std::move(item));
        },
        {ListedPerKind});
    Json notes = Json::array();
    for (const CheckOmitted& omitted : result.omitted) {
        const bool error = omitted.severity == CheckSeverity::Error;
        notes.push_back(Count(omitted.count, error ? "more error" : "more warning") +
                        " of this kind (" + omitted.kind + "), up to line " +
                        std::to_string(omitted.lastLine) +
                        (omitted.count == 1 ? ", is not listed" : ", are not listed"));
    }
    const Json json = {
        {"errors", result.errors},
        {"warnings", result.warnings},
        {"questions", result.questions},
        {"summary", Count(result.questions, "question") + ", " + Count(result.errors, "error") +
                        ", " + Count(result.warnings, "warning")},
        {"diagnostics", std::move(listed)},
        {"notes", std::move(notes)}};
    // Texts quote the script, which need not be UTF-8: shown as the window shows them.
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string ColoursJson(std::string_view lines) {
    Json all = Json::array();
    std::size_t from = 0;
    for (;;) {
        const std::size_t end = lines.find('\n', from);
        all.push_back(LineColours(lines.substr(from, end - from)));
        if (end == std::string_view::npos) break;
        from = end + 1;
    }
    return all.dump();
}

std::string DraftTitle(std::string_view script) {
    const std::string title = PublishedTitle(script);
    return title.empty() ? DialogCaption : title;
}

std::optional<std::string> PublishDraft(std::string_view page, std::string_view script,
                                        std::string_view title) {
    if (CheckScript(script, [](const CheckDiagnostic&) {}, {1}).errors > 0) return std::nullopt;
    return PublishedPage(page, script, PublishedTitle(script, title));
}

std::string BalanceHtml(std::string_view script, const BalanceOptions& options,
                        const BalanceProgress& progress) {
    if (CheckScript(script, [](const CheckDiagnostic&) {}, {1}).errors > 0) return "";
    auto document = std::make_shared<ScriptDocument>();
    if (!LoadScriptText(*document, script).loaded) return "";
    BalanceOptions one = options;
    one.jobs = 1;
    const BalanceTally tally = SimulateBalance(document, one, progress);
    std::ostringstream out;
    WriteBalanceReport(ScriptFileName, *document, one, tally, BalanceFormat::Html, out);
    return out.str();
}

}  // namespace kinpath::studio
