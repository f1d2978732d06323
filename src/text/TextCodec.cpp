#include "text/TextCodec.h"

#include <cstdint>
#include <iterator>

namespace kinpath {

namespace {

// Windows-1252 bytes 0x80 to 0x9F. The five bytes the code page leaves
// undefined keep their own numbers as C1 control characters.
// clang-format off
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        return;
    }
    static constexpr unsigned char LeadBits[] = {0, 0xC0, 0xE0, 0xF0};
    const int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    out.push_back(static_cast<char>(LeadBits[extra] | (cp >> (6 * extra))));
    for (int k = extra - 1; k >= 0; --k) {
        out.push_back(static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F)));
    }
}

char32_t Cp1252CodePoint(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : byte;
}

int Cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<int>(cp);
    }
    for (std::size_t i = 0; i < std::size(Cp1252High); ++i) {
        if (Cp1252High[i] == cp) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) {
        return lead;
    }
    std::size_t extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return 0xFFFD;
    }
    if (i + extra > text.size()) {
        return 0xFFFD;
    }
    for (std::size_t k = 0; k < extra; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if (!IsContinuation(next)) {
            return 0xFFFD;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    i += extra;
    return cp;
}

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        // Bounds of the second byte exclude overlong forms, surrogates and
        // anything past U+10FFFF.
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0) low = 0xA0;
            if (b == 0xED) high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0) low = 0x90;
            if (b == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (n - i < length) {
            return false;
        }
        if (p[i + 1] < low || p[i + 1] > high) {
            return false;
        }
        for (std::size_t k = 2; k < length; ++k) {
            if (!IsContinuation(p[i + k])) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::string DisplayText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out.push_back(c);
        } else {
            AppendUtf8(out, Cp1252CodePoint(b));
        }
    }
    return out;
}

std::size_t Utf8Length(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8) {
        if (!IsContinuation(static_cast<unsigned char>(c))) {
            ++count;
        }
    }
    return count;
}

std::size_t Utf8PrefixBytes(std::string_view utf8, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (!IsContinuation(static_cast<unsigned char>(utf8[i]))) {
            if (seen == count) {
                return i;
            }
            ++seen;
        }
    }
    return utf8.size();
}

std::string ReplaceHiddenControls(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t start = i;
        const char32_t cp = NextCodePoint(utf8, i);
        if (IsHiddenControl(cp)) {
            AppendUtf8(out, ReplacementCharacter);
        } else {
            out.append(utf8.substr(start, i - start));
        }
    }
    return out;
}

std::string VisibleControls(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t start = i;
        char32_t cp = NextCodePoint(utf8, i);
        // A terminal reading bytes takes a stray 0x80 to 0x9F as a C1 control.
        if (i - start == 1) cp = static_cast<unsigned char>(utf8[start]);
        if (!IsHiddenControl(cp) && !IsLayoutControl(cp)) {
            out.append(utf8.substr(start, i - start));
        } else if (cp < 0x80) {
            out += '^';
            out += static_cast<char>(cp ^ 0x40);
        } else {
            // "<U+%04X>", written out: printf would bring its float formatting
            // into every program.
            std::string digits;
            for (unsigned n = static_cast<unsigned>(cp); n != 0 || digits.size() < 4; n >>= 4)
                digits.insert(digits.begin(), "0123456789ABCDEF"[n & 15]);
            out += "<U+" + digits + ">";
        }
    }
    return out;
}

std::string TerminalText(std::string_view bytes) { return VisibleControls(DisplayText(bytes)); }

}  // namespace kinpath
