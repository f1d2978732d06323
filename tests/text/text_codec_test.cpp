// UTF-8 and Windows-1252 against a plain encoder: every shortest-form scalar
// value is valid and decodes back; every other sequence is not UTF-8. Numbers
// as text and text for HTML.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "text/HtmlText.h"
#include "text/NumberText.h"
#include "text/PathText.h"
#include "text/TextCodec.h"

using namespace kinpath;

namespace {

std::string Encode(char32_t cp) {
    if (cp < 0x80) return std::string(1, static_cast<char>(cp));
    const int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    std::string out(1, static_cast<char>((0xFF << (7 - extra)) | (cp >> (6 * extra))));
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
    return out;
}

// Whether the bytes are ASCII and shortest-form characters no higher than
// U+10FFFF and outside the surrogates.
bool WellFormed(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead >= 0x80 && lead < 0xC0) || lead >= 0xF8 || bytes.size() - i < length)
            return false;
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF ||
            Encode(cp) != bytes.substr(i, length))
            return false;
        i += length;
    }
    return true;
}

}  // namespace

TEST(TextCodec, Utf8ValidityMatchesTheShortestFormRule) {
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        for (unsigned second = 0; second <= 0xFF; ++second) {
            for (const char* tail : {"", "\x80", "\xBF\xBF", "\x80\x80\x80", "A"}) {
                const std::string bytes = std::string{char(lead), char(second)} + tail;
                EXPECT_EQ(IsValidUtf8(bytes), WellFormed(bytes)) << ::testing::PrintToString(bytes);
            }
        }
        EXPECT_FALSE(IsValidUtf8(std::string(1, char(lead))));  // cut short
    }
    EXPECT_TRUE(IsValidUtf8(std::string("a\0b\x7F", 4)));
}

TEST(TextCodec, DecodesBackAndCountsCodePoints) {
    std::mt19937 random(99);
    const std::vector<char32_t> edges{0,      0x7F,   0x80,   0x7FF,   0x800,
                                      0xD7FF, 0xE000, 0xFFFF, 0x10000, 0x10FFFF};
    for (int round = 0; round < 300; ++round) {
        std::vector<char32_t> cps;
        std::string text;
        std::u16string utf16;
        for (int n = static_cast<int>(random() % 12); n > 0; --n) {
            char32_t cp = random() % 3 == 0 ? edges[random() % edges.size()]
                                            : random() % (0x110000 >> (random() % 12));
            if (cp >= 0xD800 && cp <= 0xDFFF) cp = 'z';
            cps.push_back(cp);
            text += Encode(cp);
            if (cp >= 0x10000) utf16 += char16_t(0xD800 + ((cp - 0x10000) >> 10));
            utf16 += char16_t(cp >= 0x10000 ? 0xDC00 + (cp & 0x3FF) : cp);
        }
        ASSERT_TRUE(IsValidUtf8(text));
        EXPECT_EQ(Utf8FromUtf16(utf16), text);
        EXPECT_EQ(Utf16FromUtf8(text), utf16);
        EXPECT_EQ(Utf8FromPath(PathFromUtf8(text)), text);
        EXPECT_EQ(DisplayText(text), text);
        EXPECT_EQ(Utf8Length(text), cps.size());
        std::size_t at = 0;
        for (std::size_t k = 0; k < cps.size(); ++k) {
            EXPECT_EQ(Utf8PrefixBytes(text, k), at);
            EXPECT_EQ(NextCodePoint(text, at), cps[k]);
        }
        EXPECT_EQ(at, text.size());
        EXPECT_EQ(Utf8PrefixBytes(text, cps.size() + 3), text.size());
    }
    // A malformed byte decodes as U+FFFD on its own.
    for (const std::string bad : {"\x80", "\xFF", "\xE2\x82", "\xE2\x82x", "\xF0\x9F\x90"}) {
        std::size_t at = 0;
        EXPECT_EQ(NextCodePoint(bad, at), 0xFFFDu) << ::testing::PrintToString(bad);
        EXPECT_EQ(at, 1u);
    }
    // A Windows file name's lone surrogates survive the way through UTF-8;
    // overlong forms and bytes that are no UTF-8 become U+FFFD each.
    const std::u16string lone =
        u"\xDC00"
        u"a\xD800\xD800\xDFFF\xDBFF";
    EXPECT_EQ(Utf16FromUtf8(Utf8FromUtf16(lone)), lone);
    EXPECT_EQ(Utf16FromUtf8("\xC0\xAF.\xF4\x90\x80\x80\xE9"),
              std::u16string(u"\xFFFD\xFFFD.") + std::u16string(5, u'\xFFFD'));
}

TEST(TextCodec, Windows1252) {
    // 0x80 to 0x9F as the code page defines them; the five bytes it leaves
    // undefined stay the C1 controls of their own numbers. Every other byte is
    // its own code point.
    const char32_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
                               0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (unsigned b = 0; b <= 0xFF; ++b) {
        const char32_t cp = b >= 0x80 && b < 0xA0 ? high[b - 0x80] : b;
        EXPECT_EQ(Cp1252CodePoint(static_cast<unsigned char>(b)), cp) << b;
        EXPECT_EQ(Cp1252Byte(cp), static_cast<int>(b));
        EXPECT_EQ(DisplayText(std::string(1, char(b))), Encode(cp));
    }
    for (char32_t none : {0x80u, 0x9Fu, 0x100u, 0x2000u, 0xFFFDu, 0x1F409u})
        EXPECT_EQ(Cp1252Byte(none), -1);
    EXPECT_EQ(DisplayText("caf\xE9 \x80 \x93q\x94 \x9F \x8A\x9A"),
              "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC5\xB8 \xC5\xA0\xC5\xA1");
    // One bad byte makes the whole text Windows-1252, valid sequences included.
    EXPECT_EQ(DisplayText("\xC3\xA9\xE9"), "\xC3\x83\xC2\xA9\xC3\xA9");
}

// Numbers are written as printf writes them, -0 aside, and fractions read
// back as the same double; each decimal's double prints as its digits.
TEST(NumberText, DecimalsAsPrintfAndFractionsThatReadBack) {
    std::mt19937_64 random(7);
    for (int round = 0; round < 2000; ++round) {
        const double value =
            std::ldexp(double(random() % 2000001) - 1000000.0, -int(random() % 30));
        const int places = int(random() % 4);
        char printed[64];
        std::snprintf(printed, sizeof printed, "%.*f", places, value);
        const Decimal decimal = ToDecimal(value, places);
        const std::string text = NumberText(decimal);
        EXPECT_EQ(text, std::string(printed).starts_with("-") && decimal.scaled == 0
                            ? std::string(printed + 1)
                            : std::string(printed));
        std::snprintf(printed, sizeof printed, "%.*f", places, DecimalValue(decimal));
        EXPECT_EQ(text, printed) << value;
        const std::string shortest = NumberText(value);
        EXPECT_EQ(std::strtod(shortest.c_str(), nullptr), value);
        std::snprintf(printed, sizeof printed, "%g", value);
        if (std::strtod(printed, nullptr) == value) {
            EXPECT_EQ(shortest, printed);
        }
    }
    EXPECT_EQ(NumberText(ToDecimal(0.125, 2)), "0.12");  // printf's own rounding of the exact value
    EXPECT_EQ(NumberText(0.1), "0.1");
    EXPECT_EQ(NumberText(std::int64_t{-5}) + NumberText(std::uint64_t{18446744073709551615u}),
              "-518446744073709551615");
}

// Only the markup characters become references; everything else stays.
TEST(HtmlText, MarkupCharactersBecomeReferencesAndNothingElseChanges) {
    EXPECT_EQ(HtmlEscaped("a<b>&\"c'\xC3\xA9&amp;\t\n"),
              "a&lt;b&gt;&amp;&quot;c'\xC3\xA9&amp;amp;\t\n");
    EXPECT_EQ(HtmlReference(U'\u2039'), "");
}
