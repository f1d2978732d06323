// Script texts are bytes: valid UTF-8 is read as UTF-8, anything else as
// Windows-1252, the code page the scripts were written in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kinpath {

bool IsValidUtf8(std::string_view bytes);
// The text as UTF-8 for display.
std::string DisplayText(std::string_view bytes);
// The code point a Windows-1252 byte shows. The five bytes the code page leaves
// undefined keep their own numbers as C1 control characters.
char32_t Cp1252CodePoint(unsigned char byte);
// The Windows-1252 byte that shows code point cp, or -1 when there is none.
int Cp1252Byte(char32_t cp);
// Decodes one code point of UTF-8 at text[i], advancing i. A malformed byte
// yields U+FFFD on its own, so nothing is ever read past the end.
char32_t NextCodePoint(std::string_view text, std::size_t& i);
// Appends the UTF-8 bytes of cp (up to U+1FFFFF; surrogates as three bytes).
void AppendUtf8(std::string& out, char32_t cp);

// Number of code points in valid UTF-8.
std::size_t Utf8Length(std::string_view utf8);
// Byte length of the first `count` code points of valid UTF-8.
std::size_t Utf8PrefixBytes(std::string_view utf8, std::size_t count);

inline constexpr char32_t ReplacementCharacter = 0xFFFD;
// A control character that script text is never shown with: it would garble the
// page, the print or the terminal. Every C0 and C1 control and DELETE, except the
// tab, which shows as a blank.
constexpr bool IsHiddenControl(char32_t cp) {
    return (cp < 0x20 && cp != '\t') || (cp >= 0x7F && cp <= 0x9F);
}
// The UTF-8 text with each hidden control replaced by U+FFFD.
std::string ReplaceHiddenControls(std::string_view utf8);
// A character that reorders or breaks the text around it on a terminal: the
// bidirectional marks, embeddings, overrides and isolates, and the line and
// paragraph separators U+2028 and U+2029.
constexpr bool IsLayoutControl(char32_t cp) {
    return cp == 0x061C || cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069) || cp == 0x2028 || cp == 0x2029;
}
// The text with every hidden control and layout control made visible, so that
// none reaches a terminal: C0 controls and DEL in caret notation (ESC as ^[,
// DEL as ^?), C1 controls as <U+0080> to <U+009F>, layout controls as <U+202E>
// and the like. A byte that is not UTF-8 counts as the Latin-1 character of
// its value.
std::string VisibleControls(std::string_view utf8);
// A name or any other bytes for a terminal: as DisplayText reads them, with
// every control made visible.
std::string TerminalText(std::string_view bytes);

}  // namespace kinpath
