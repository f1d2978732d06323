// The results pane's text: lines appended as display text, held to a model
// of the cut at the pane's capacity, and its unwrapped lines.
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "flow/Transcript.h"
#include "text/TextCodec.h"

using namespace kinpath;

namespace {

class TranscriptTest : public ::testing::Test {
protected:
    Transcript transcript;
};

constexpr std::size_t PaneCapacity = 51199;  // characters

// What an append adds to a pane holding `used` characters: the display text
// and CR LF; cut on a character boundary to end the line exactly at the
// capacity; with one character left, text without a break.
std::string ReferenceAppend(std::size_t used, const std::string& text) {
    const std::string shown = DisplayText(text);
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if ((static_cast<unsigned char>(shown[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    auto first = [&](std::size_t n) {
        return shown.substr(0, n < starts.size() ? starts[n] : shown.size());
    };
    if (used >= PaneCapacity) return "";
    const std::size_t room = PaneCapacity - used;
    if (starts.size() + 2 <= room) return shown + "\r\n";
    return room >= 2 ? first(room - 2) + "\r\n" : first(room);
}

TEST_F(TranscriptTest, AppendsNearTheCapacityMatchTheReference) {
    // UTF-8 pieces, and Windows-1252 bytes that turn a whole text into that code page.
    const char* const pieces[] = {"a",    " ",   "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x99\x82",
                                  "\x80", "\xE9"};
    std::mt19937 random(2);
    for (int round = 0; round < 400; ++round) {
        const std::size_t wide = random() % 20;
        const std::size_t length = PaneCapacity - random() % 70;
        std::string pane(length - 2 - wide, 'f');
        for (std::size_t i = 0; i < wide; ++i) pane += "\xC3\xA9";
        ClearTranscript(transcript);
        transcript.Append(pane + "\r\n");
        for (int step = 0; step < 6; ++step) {
            std::string text;
            for (std::size_t n = random() % 40; n > 0; --n)
                text += pieces[random() % (random() % 3 ? 5 : 7)];
            const std::string expected =
                transcript.Text() + ReferenceAppend(transcript.Length(), text);
            AppendTranscriptLine(transcript, text.c_str());
            ASSERT_EQ(transcript.Text(), expected) << "round " << round;
            ASSERT_LE(transcript.Length(), PaneCapacity);
            ASSERT_TRUE(IsValidUtf8(transcript.Text()));
            AppendTranscriptLine(transcript, nullptr);
            ASSERT_EQ(transcript.Text(), expected);
            ASSERT_EQ(Utf8Length(transcript.Text()), transcript.Length());
        }
    }
}

// The pane's text split at each CR LF; a line starts two characters past the
// end of the one before.
std::vector<PaneLine> ReferenceLines(const std::string& text) {
    std::vector<PaneLine> lines;
    std::uint32_t start = 0;
    for (std::size_t begin = 0;;) {
        const std::size_t end = text.find("\r\n", begin);
        lines.push_back({text.substr(begin, end - begin), start});
        if (end == std::string::npos) return lines;
        start += static_cast<std::uint32_t>(Utf8Length(lines.back().text)) + 2;
        begin = end + 2;
    }
}

TEST(UnwrappedLinesTest, EachWrittenLineIsOneLine) {
    const char* const pieces[] = {"a", "\r\n", "\r", "\n", "\xC3\xA9", "\xF0\x9F\x99\x82", "\t"};
    std::mt19937 random(3);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (std::size_t n = random() % 12; n > 0; --n) text += pieces[random() % 7];
        ASSERT_EQ(UnwrappedLines(text), ReferenceLines(text)) << round;
    }
    EXPECT_EQ(UnwrappedLines(""), (std::vector<PaneLine>{{"", 0}}));  // an empty pane: one line
}

}  // namespace
