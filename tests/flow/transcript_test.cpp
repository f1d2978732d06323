#include <string>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "flow/Transcript.h"
#include "text/TextCodec.h"

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

TEST(TranscriptTest, NullAppendChangesNothingAndAClearedPaneIsOneEmptyLine) {
    HeadlessDialog d;
    AppendTranscriptLine(d, "one");
    AppendTranscriptLine(d, nullptr);
    EXPECT_EQ(d.PaneText(), "one\r\n");
    ClearTranscript(d);
    AppendTranscriptLine(d, nullptr);
    EXPECT_EQ(d.PaneText(), "");
    EXPECT_EQ(TranscriptLineCount(d), 1);
    EXPECT_TRUE(ReadTranscriptLine(d, 0).empty);
    EXPECT_EQ(ReadTranscriptLine(d, 0).text, "");
    AppendTranscriptLine(d, "");  // an empty text is still a line
    EXPECT_EQ(d.PaneText(), "\r\n");
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
    AppendTranscriptLine(d, "caf\xE9");                   // Windows-1252
    AppendTranscriptLine(d, "caf\xC3\xA9 \xE2\x82\xAC");  // already UTF-8
    AppendTranscriptLine(d, "\xFFgg");  // 0xFF is a character: only a line without text is empty
    EXPECT_EQ(ReadTranscriptLine(d, 0).text, "caf\xC3\xA9");
    EXPECT_EQ(ReadTranscriptLine(d, 1).text, "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_FALSE(ReadTranscriptLine(d, 2).empty);
    EXPECT_EQ(ReadTranscriptLine(d, 2).text, "\xC3\xBFgg");
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

// Pane text of `length` characters, ending with a line break.
std::string Filled(std::size_t length) { return std::string(length - 2, 'f') + "\r\n"; }

TEST(TranscriptTest, AppendThatWouldPassTheCapacityIsCutToEndExactlyAtIt) {
    const std::size_t cap = TranscriptCapacity;
    struct Case {
        std::string pane;
        std::string append;
        std::size_t length;  // after the append
        std::string tail;    // the pane's last bytes after it
    };
    const Case cases[] = {
        {Filled(cap - 5), "abc", cap, "abc\r\n"},  // fits exactly: kept whole
        {Filled(cap - 10), "0123456789ABCDEFGHIJ", cap, "01234567\r\n"},
        {Filled(cap), "more", cap, "f\r\n"},  // full: nothing is added
        {Filled(cap), "", cap, "f\r\n"},
        // Cuts fall on character boundaries: € is three bytes in UTF-8 and 0x80 in Windows-1252.
        {Filled(cap - 5), "ab\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", cap, "ab\xE2\x82\xAC\r\n"},
        {Filled(cap - 4), "\x80\x80\x80", cap, "\xE2\x82\xAC\xE2\x82\xAC\r\n"},
        // The last free character takes text without a break; a lone CR would be no break at all.
        {std::string(cap - 1, 'f'), "\xE2\x82\xAC-rest", cap, "f\xE2\x82\xAC"},
        {std::string(cap - 1, 'f'), "", cap - 1, "ff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pane.size() << " + '" << c.append << "'");
        HeadlessDialog d;
        d.SetPaneText(c.pane);
        AppendTranscriptLine(d, c.append.c_str());
        EXPECT_EQ(d.PaneLength(), c.length);
        const std::string text = d.PaneText();
        EXPECT_TRUE(IsValidUtf8(text));
        EXPECT_EQ(text.substr(text.size() - c.tail.size()), c.tail);
    }
}

TEST(TranscriptTest, ManyAppendsNeverPassTheCapacity) {
    HeadlessDialog d;
    std::string line(97, 'z');
    for (int i = 0; i < 600; ++i) {
        AppendTranscriptLine(d, line.c_str());
        ASSERT_LE(d.PaneLength(), TranscriptCapacity);
    }
    EXPECT_EQ(d.PaneLength(), TranscriptCapacity);
    EXPECT_EQ(d.PaneText().substr(d.PaneText().size() - 2), "\r\n");
}

}  // namespace
}  // namespace kinpath
