#include <string>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "flow/Transcript.h"
#include "script/TextCodec.h"

namespace kinpath {
namespace {

using testing::HeadlessDialog;

TEST(TranscriptTest, AppendAddsLineBreakAndTheEmptyPieceBehindIt) {
    HeadlessDialog d;
    AppendTranscriptLine(d, "A");
    EXPECT_EQ(d.PaneText(), "A\r\n");
    EXPECT_EQ(TranscriptLineCount(d), 2);
    EXPECT_EQ(ReadTranscriptLine(d, 0).text, "A");
    EXPECT_FALSE(ReadTranscriptLine(d, 0).empty);
    EXPECT_TRUE(ReadTranscriptLine(d, 1).empty);
}

TEST(TranscriptTest, NullTextLeavesThePaneAsItWas) {
    HeadlessDialog d;
    AppendTranscriptLine(d, "one");
    AppendTranscriptLine(d, nullptr);
    EXPECT_EQ(d.PaneText(), "one\r\n");
    ClearTranscript(d);
    AppendTranscriptLine(d, nullptr);
    EXPECT_EQ(d.PaneText(), "");
    AppendTranscriptLine(d, "");  // an empty text is still a line
    EXPECT_EQ(d.PaneText(), "\r\n");
}

TEST(TranscriptTest, ClearedPaneIsOneEmptyLine) {
    HeadlessDialog d;
    AppendTranscriptLine(d, "gone");
    ClearTranscript(d);
    EXPECT_EQ(d.PaneText(), "");
    EXPECT_EQ(TranscriptLineCount(d), 1);
    EXPECT_TRUE(ReadTranscriptLine(d, 0).empty);
    EXPECT_EQ(ReadTranscriptLine(d, 0).text, "");
}

TEST(TranscriptTest, GreetingAndPickSentenceLines) {
    HeadlessDialog d;
    AppendTranscriptLine(d, "Answer the questions.");
    AppendTranscriptLine(d, "Skip any that you don't want to answer.");
    AppendTranscriptLine(d, "At the end you will be given the answer!");
    EXPECT_EQ(TranscriptLineCount(d), 4);
    EXPECT_EQ(ReadTranscriptLine(d, 2).text, "At the end you will be given the answer!");

    ClearTranscript(d);
    AppendTranscriptLine(d, "It appears that the best race for you is Human\r\nand the best class is Warrior!");
    EXPECT_EQ(TranscriptLineCount(d), 3);
    EXPECT_EQ(ReadTranscriptLine(d, 0).text, "It appears that the best race for you is Human");
    EXPECT_EQ(ReadTranscriptLine(d, 1).text, "and the best class is Warrior!");
}

TEST(TranscriptTest, ScriptBytesAreShownAsDisplayText) {
    HeadlessDialog d;
    AppendTranscriptLine(d, "caf\xE9");              // Windows-1252
    AppendTranscriptLine(d, "caf\xC3\xA9 \xE2\x82\xAC");  // already UTF-8
    EXPECT_EQ(ReadTranscriptLine(d, 0).text, "caf\xC3\xA9");
    EXPECT_EQ(ReadTranscriptLine(d, 1).text, "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(TranscriptTest, LineBeginningWithYDiaeresisIsNotEmpty) {
    // Byte 0xFF is a real character; only a line without text reads as empty.
    HeadlessDialog d;
    AppendTranscriptLine(d, "\xFFgg");
    TranscriptLine line = ReadTranscriptLine(d, 0);
    EXPECT_FALSE(line.empty);
    EXPECT_EQ(line.text, "\xC3\xBFgg");
}

TEST(TranscriptTest, LongLinesReadBackAsTheirFirst255Characters) {
    HeadlessDialog d;
    AppendTranscriptLine(d, std::string(300, 'x').c_str());
    EXPECT_EQ(ReadTranscriptLine(d, 0).text, std::string(255, 'x'));

    // The limit counts characters, not bytes.
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "\xC3\xA9";
    ClearTranscript(d);
    AppendTranscriptLine(d, wide.c_str());
    std::string text = ReadTranscriptLine(d, 0).text;
    EXPECT_EQ(Utf8Length(text), 255u);
    EXPECT_EQ(text, wide.substr(0, 510));
}

TEST(TranscriptTest, IndexOutsideTheLinesIsAnEmptyLine) {
    HeadlessDialog d;
    AppendTranscriptLine(d, "only");
    for (int index : {2, 3, 1000, -1}) {
        TranscriptLine line = ReadTranscriptLine(d, index);
        EXPECT_TRUE(line.empty) << index;
        EXPECT_EQ(line.text, "") << index;
    }
}

TEST(TranscriptTest, SelectionPositionsCountLineBreaksAsTwo) {
    HeadlessDialog d;
    AppendTranscriptLine(d, "AB");
    AppendTranscriptLine(d, "CD");
    d.SetPaneSelection(4, 6);
    TranscriptSelection s = ReadTranscriptSelection(d);
    EXPECT_EQ(s.start, 4u);
    EXPECT_EQ(s.end, 6u);

    SelectAllTranscript(d);
    s = ReadTranscriptSelection(d);
    EXPECT_EQ(s.start, 0u);
    EXPECT_EQ(s.end, 8u);
}

class TranscriptCapacityTest : public ::testing::Test {
protected:
    // A pane holding `length` characters, ending with a line break.
    void FillTo(std::size_t length) {
        std::string text(length - 2, 'f');
        text += "\r\n";
        d.SetPaneText(text);
        ASSERT_EQ(d.PaneLength(), length);
    }
    std::string Tail(std::size_t bytes) const {
        std::string text = d.PaneText();
        return text.substr(text.size() - bytes);
    }
    HeadlessDialog d;
};

TEST_F(TranscriptCapacityTest, LineThatFitsExactlyIsKeptWhole) {
    FillTo(TranscriptCapacity - 5);
    AppendTranscriptLine(d, "abc");
    EXPECT_EQ(d.PaneLength(), TranscriptCapacity);
    EXPECT_EQ(Tail(5), "abc\r\n");
}

TEST_F(TranscriptCapacityTest, LongerLineIsCutToEndExactlyAtTheLimit) {
    FillTo(TranscriptCapacity - 10);
    AppendTranscriptLine(d, "0123456789ABCDEFGHIJ");
    EXPECT_EQ(d.PaneLength(), TranscriptCapacity);
    EXPECT_EQ(Tail(10), "01234567\r\n");

    // Full: further lines add nothing.
    std::string before = d.PaneText();
    AppendTranscriptLine(d, "more");
    AppendTranscriptLine(d, "");
    EXPECT_EQ(d.PaneText(), before);
}

TEST_F(TranscriptCapacityTest, CutFallsOnACharacterBoundary) {
    // Each euro sign is one character of three bytes.
    FillTo(TranscriptCapacity - 5);
    AppendTranscriptLine(d, "ab\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC");
    EXPECT_EQ(d.PaneLength(), TranscriptCapacity);
    EXPECT_TRUE(IsValidUtf8(d.PaneText()));
    EXPECT_EQ(Tail(7), "ab\xE2\x82\xAC\r\n");

    // The same from Windows-1252 bytes, where 0x80 is the euro sign.
    FillTo(TranscriptCapacity - 4);
    AppendTranscriptLine(d, "\x80\x80\x80");
    EXPECT_EQ(d.PaneLength(), TranscriptCapacity);
    EXPECT_EQ(Tail(8), "\xE2\x82\xAC\xE2\x82\xAC\r\n");
}

TEST_F(TranscriptCapacityTest, LastFreeCharacterTakesTextWithoutABreak) {
    d.SetPaneText(std::string(TranscriptCapacity - 1, 'f'));
    AppendTranscriptLine(d, "\xE2\x82\xAC-rest");
    EXPECT_EQ(d.PaneLength(), TranscriptCapacity);
    EXPECT_EQ(Tail(3), "\xE2\x82\xAC");

    d.SetPaneText(std::string(TranscriptCapacity - 1, 'f'));
    AppendTranscriptLine(d, "");  // a lone CR would be no line break at all
    EXPECT_EQ(d.PaneLength(), TranscriptCapacity - 1);
}

TEST_F(TranscriptCapacityTest, ManyAppendsNeverPassTheLimit) {
    std::string line(97, 'z');
    for (int i = 0; i < 600; ++i) {
        AppendTranscriptLine(d, line.c_str());
        ASSERT_LE(d.PaneLength(), TranscriptCapacity);
    }
    EXPECT_EQ(d.PaneLength(), TranscriptCapacity);
    EXPECT_EQ(Tail(2), "\r\n");
}

}  // namespace
}  // namespace kinpath
