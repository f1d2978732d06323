#include "text/HtmlText.h"

namespace kinpath {

std::string_view HtmlReference(char32_t cp) {
    switch (cp) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        default:
            return {};
    }
}

std::string HtmlEscaped(std::string_view utf8) {
    std::string html;
    html.reserve(utf8.size());
    // The markup characters are ASCII, so bytes can be looked at one by one.
    for (const char c : utf8) {
        const std::string_view reference = HtmlReference(static_cast<unsigned char>(c));
        if (reference.empty()) {
            html += c;
        } else {
            html += reference;
        }
    }
    return html;
}

}  // namespace kinpath
