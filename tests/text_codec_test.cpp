#include <gtest/gtest.h>

#include "script/TextCodec.h"

using namespace kinpath;

TEST(TextCodec, AcceptsWellFormedUtf8) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ascii\r\n"));
    EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9"));              // é
    EXPECT_TRUE(IsValidUtf8("\xE2\x82\xAC"));             // €
    EXPECT_TRUE(IsValidUtf8("\xED\x9F\xBF"));             // U+D7FF, just below the surrogates
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x90\x89"));         // U+1F409
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));         // U+10FFFF
    EXPECT_TRUE(IsValidUtf8(std::string_view("a\0b", 3)));
}

TEST(TextCodec, RejectsOverlongsSurrogatesAndTruncation) {
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));                // overlong NUL
    EXPECT_FALSE(IsValidUtf8("\xC1\xBF"));
    EXPECT_FALSE(IsValidUtf8("\xE0\x9F\xBF"));            // overlong 3-byte
    EXPECT_FALSE(IsValidUtf8("\xF0\x8F\xBF\xBF"));        // overlong 4-byte
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));            // U+D800
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));        // beyond U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xF5\x80\x80\x80"));
    EXPECT_FALSE(IsValidUtf8("\x80"));                    // lone continuation
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));                // cut short at the end
    EXPECT_FALSE(IsValidUtf8("\xE2\x82x"));
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));                 // Windows-1252 é
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
    EXPECT_EQ(Utf8PrefixBytes(text, 0), 0u);
    EXPECT_EQ(Utf8PrefixBytes(text, 1), 1u);
    EXPECT_EQ(Utf8PrefixBytes(text, 2), 3u);
    EXPECT_EQ(Utf8PrefixBytes(text, 3), 6u);
    EXPECT_EQ(Utf8PrefixBytes(text, 4), 10u);
    EXPECT_EQ(Utf8PrefixBytes(text, 5), text.size());
    EXPECT_EQ(Utf8PrefixBytes(text, 99), text.size());
}
