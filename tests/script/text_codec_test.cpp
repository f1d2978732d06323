#include <string>
#include <string_view>
#include <utility>

#include <gtest/gtest.h>

#include "text/TextCodec.h"

using namespace kinpath;

TEST(TextCodec, Utf8Validity) {
    const std::string_view valid[] = {
        "", "plain ascii\r\n", "caf\xC3\xA9", "\xE2\x82\xAC",
        "\xED\x9F\xBF",      // U+D7FF, just below the surrogates
        "\xF0\x9F\x90\x89", "\xF4\x8F\xBF\xBF",  // U+1F409, U+10FFFF
        std::string_view("a\0b", 3),
    };
    const std::string_view invalid[] = {
        "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",  // overlong
        "\xED\xA0\x80",                                       // U+D800
        "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",              // beyond U+10FFFF
        "\x80", "\xE2\x82", "\xE2\x82x",                       // lone continuation, cut short
        "caf\xE9",                                              // Windows-1252 é
    };
    for (std::string_view s : valid) EXPECT_TRUE(IsValidUtf8(s)) << ::testing::PrintToString(std::string(s));
    for (std::string_view s : invalid) EXPECT_FALSE(IsValidUtf8(s)) << ::testing::PrintToString(std::string(s));
}

TEST(TextCodec, DisplayTextKeepsUtf8AndDecodesWindows1252) {
    EXPECT_EQ(DisplayText("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(DisplayText("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(DisplayText("\x80 \x93q\x94 \x9F \xA0\xFF"),
              "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC5\xB8 \xC2\xA0\xC3\xBF");
    // The undefined bytes become the C1 control characters of the same number.
    EXPECT_EQ(DisplayText("\x81\x8D\x8F\x90\x9D"),
              "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    // One bad byte makes the whole text Windows-1252, valid sequences included.
    EXPECT_EQ(DisplayText("\xC3\xA9\xE9"), "\xC3\x83\xC2\xA9\xC3\xA9");
    EXPECT_TRUE(IsValidUtf8(DisplayText("\xC0\x80\xFE\xFF\x81")));
}

TEST(TextCodec, LengthsCountCodePoints) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x90\x89z";  // a é € 🐉 z
    EXPECT_EQ(Utf8Length(""), 0u);
    EXPECT_EQ(Utf8Length(text), 5u);
    const std::pair<std::size_t, std::size_t> prefixes[] = {{0, 0}, {1, 1}, {2, 3}, {3, 6}, {4, 10}, {5, 11}, {99, 11}};
    for (const auto& [characters, bytes] : prefixes) EXPECT_EQ(Utf8PrefixBytes(text, characters), bytes) << characters;
}
