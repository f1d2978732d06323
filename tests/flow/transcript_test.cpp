// The results pane's text: lines appended as display text, held to a model
// of the cut at the pane's capacity, and read back.
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "flow/Transcript.h"
#include "text/TextCodec.h"

using namespace kinpath;

namespace {

class TranscriptTest : public ::testing::Test {
protected:
    // The pane as the window shows it, kept in step with the transcript.
    kinpath::testing::HeadlessDialog dialog;
    Transcript transcript;
    void Show() { dialog.DrawPane(transcript.Text()); }
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
            Show();
            ASSERT_EQ(dialog.PaneLength(), transcript.Length());  // the pane counts alike
        }
    }
}

TEST_F(TranscriptTest, LinesAreWrittenAndReadBack) {
    AppendTranscriptLine(transcript, "A");
    AppendTranscriptLine(transcript, "");  // an empty text is still a line
    Show();
    EXPECT_EQ(dialog.PaneText(), "A\r\n\r\n");
    EXPECT_EQ(TranscriptLineCount(dialog), 3);  // the empty piece after the last break counts
    for (int index : {-1, 0, 1, 2, 3})
        EXPECT_EQ(ReadTranscriptLine(dialog, index).empty, index != 0);
    ClearTranscript(transcript);
    Show();
    EXPECT_EQ(TranscriptLineCount(dialog), 1);

    AppendTranscriptLine(transcript, "\xFFgg");  // only a line without text is empty
    // A line reads back whole, however long.
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "\xC3\xA9";
    AppendTranscriptLine(transcript, wide.c_str());
    Show();
    EXPECT_EQ(ReadTranscriptLine(dialog, 0).text, "\xC3\xBFgg");
    EXPECT_FALSE(ReadTranscriptLine(dialog, 0).empty);
    EXPECT_EQ(ReadTranscriptLine(dialog, 1).text, wide);
}

}  // namespace
