#include "authoring/studio/Studio.h"

namespace kinpath::studio {

std::string DiagnosticsJson(std::string_view) {
    return R"({"errors":0,"warnings":0,"questions":0,"summary":"","diagnostics":[],"notes":[]})";
}

std::string ColoursJson(std::string_view) { return "[]"; }

std::string DraftTitle(std::string_view) { return ""; }

std::optional<std::string> PublishDraft(std::string_view, std::string_view, std::string_view) {
    return std::nullopt;
}

std::string BalanceHtml(std::string_view, const BalanceOptions&, const BalanceProgress&) {
    return "";
}

}  // namespace kinpath::studio
