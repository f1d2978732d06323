// Text inside HTML: the characters that would be read as markup, written as
// the references that show them.
#pragma once

#include <string>
#include <string_view>

namespace kinpath {

// "&amp;", "&lt;", "&gt;" or "&quot;" for a markup character; empty for any other.
std::string_view HtmlReference(char32_t cp);
// UTF-8 text with every markup character replaced by its reference, fit for
// element content and double-quoted attribute values.
std::string HtmlEscaped(std::string_view utf8);

}  // namespace kinpath
