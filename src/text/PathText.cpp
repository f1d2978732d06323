#include "text/PathText.h"

#include <type_traits>

#include "text/TextCodec.h"

namespace kinpath {

namespace {

constexpr bool IsLeadSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsTrailSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Where paths are wide they are UTF-16 (Windows); elsewhere they are bytes.
constexpr bool WidePaths = std::is_same_v<std::filesystem::path::value_type, wchar_t>;

}  // namespace

std::string Utf8FromUtf16(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (IsLeadSurrogate(cp) && i + 1 < utf16.size() && IsTrailSurrogate(utf16[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::u16string Utf16FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::string shortest;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t start = i;
        char32_t cp = NextCodePoint(utf8, i);
        // Only the shortest form of a code point counts: an overlong "/" must
        // not sneak into a file name.
        shortest.clear();
        AppendUtf8(shortest, cp);
        if (cp > 0x10FFFF || utf8.substr(start, i - start) != shortest) {
            cp = ReplacementCharacter;
            i = start + 1;
        }
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    if constexpr (WidePaths) {
        const std::u16string wide = Utf16FromUtf8(utf8);
        return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
    } else {
        return std::filesystem::path(std::string(utf8));
    }
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    if constexpr (WidePaths) {
        const auto& wide = path.native();
        return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
    } else {
        return std::string(path.native().begin(), path.native().end());
    }
}

}  // namespace kinpath
