#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"

using namespace kinpath;
using namespace std::string_literals;

namespace {

struct Line {
    std::string text;  // up to the first zero byte, as every later step sees it
    int number;        // CurrentLine after delivery
    std::size_t stored;
};

class ScriptLinesTest : public kinpath::testing::ProgramTest {
protected:
    // Every line ReadScriptLine delivers from the given file bytes.
    std::vector<Line> ReadAll(const std::string& bytes) {
        WriteScript(bytes);
        ScriptDocument document;
        EXPECT_EQ(OpenScript(document), 1);
        std::vector<Line> lines;
        char buffer[LineBufferSize];
        std::memset(buffer, 0x55, sizeof buffer);  // a missing terminator shows up
        while (ReadScriptLine(document.file, buffer, LineBufferSize) == 1) {
            std::size_t stored = std::strlen(buffer);
            EXPECT_LT(stored, static_cast<std::size_t>(LineBufferSize));
            lines.push_back({buffer, CurrentLine, stored});
        }
        const int last = CurrentLine;
        EXPECT_EQ(ReadScriptLine(document.file, buffer, LineBufferSize), 0);
        EXPECT_EQ(CurrentLine, last);  // no line, no count
        return lines;
    }

    static std::vector<std::string> Texts(const std::vector<Line>& lines) {
        std::vector<std::string> texts;
        for (const auto& line : lines) texts.push_back(line.text);
        return texts;
    }
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(ScriptLinesTest, LineEndings) {
    EXPECT_EQ(Texts(ReadAll("a\nb\n")), (Strings{"a", "b", ""}));
    EXPECT_EQ(Texts(ReadAll("a\r\nb\r\n")), (Strings{"a", "b", ""}));
    EXPECT_EQ(Texts(ReadAll("a\rb\nc")), (Strings{"ab", "c"}));  // no final LF: no extra line
    EXPECT_EQ(Texts(ReadAll("")), (Strings{""}));
    const auto counted = ReadAll("x\ny\n");
    EXPECT_EQ(counted.back().number, 3);
    // A file of carriage returns only is one empty line.
    EXPECT_EQ(Texts(ReadAll(std::string(100000, '\r'))), (Strings{""}));
}

TEST_F(ScriptLinesTest, LongLinesSplitAt511) {
    const auto l510 = ReadAll(std::string(510, 'a') + "\nz");
    ASSERT_EQ(l510.size(), 2u);
    EXPECT_EQ(l510[0].stored, 510u);
    EXPECT_EQ(l510[1].number, 2);

    const auto l511 = ReadAll(std::string(511, 'a') + "\r\nz");
    ASSERT_EQ(l511.size(), 3u);
    EXPECT_EQ(l511[0].stored, 511u);
    EXPECT_EQ(l511[1].text, "");
    EXPECT_EQ(l511[2].text, "z");
    EXPECT_EQ(l511[2].number, 3);

    const auto l600 = ReadAll(std::string(600, 'b') + "\n</FINAL>");
    ASSERT_EQ(l600.size(), 3u);
    EXPECT_EQ(l600[0].stored, 511u);
    EXPECT_EQ(l600[1].stored, 89u);
    EXPECT_EQ(l600[2].text, "</FINAL>");

    const auto huge = ReadAll(std::string(1 << 20, 'c'));
    EXPECT_EQ(huge.size(), (1u << 20) / 511 + 1);
}

TEST_F(ScriptLinesTest, ZeroByteEndsTheLineText) {
    const auto lines = ReadAll("ab\0cd\nnext\n"s);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "ab");
    EXPECT_EQ(lines[1].text, "next");
    EXPECT_EQ(lines[1].number, 2);
}

TEST_F(ScriptLinesTest, ByteOrderMarkIsNotPartOfLineOne) {
    EXPECT_EQ(Texts(ReadAll("\xEF\xBB\xBF<SETTINGS>\n")), (Strings{"<SETTINGS>", ""}));
    EXPECT_EQ(Texts(ReadAll("\xEF\xBB\xBF")), (Strings{""}));
    EXPECT_EQ(Texts(ReadAll("\xEF\xBBx")), (Strings{"\xEF\xBBx"}));
    EXPECT_EQ(Texts(ReadAll("a\n\xEF\xBB\xBF")), (Strings{"a", "\xEF\xBB\xBF"}));
}

TEST_F(ScriptLinesTest, OpenAndClose) {
    ScriptDocument document;
    EXPECT_EQ(OpenScript(document), 0);  // no script.txt
    EXPECT_EQ(document.file, nullptr);

    std::filesystem::create_directory(Dir() / "script.txt");
    EXPECT_EQ(OpenScript(document), 0);
    std::filesystem::remove(Dir() / "script.txt");

    char buffer[LineBufferSize] = {};
    EXPECT_EQ(ReadScriptLine(nullptr, buffer, LineBufferSize), 0);

    WriteScript("a\nb\n");
    ASSERT_EQ(OpenScript(document), 1);
    ReadScriptLine(document.file, buffer, LineBufferSize);
    ReadScriptLine(document.file, buffer, LineBufferSize);
    EXPECT_EQ(CurrentLine, 2);
    ASSERT_EQ(OpenScript(document), 1);  // reopening starts again at line 1
    EXPECT_EQ(CurrentLine, 0);
    ReadScriptLine(document.file, buffer, LineBufferSize);
    EXPECT_STREQ(buffer, "a");
    CloseScript(document);
    EXPECT_EQ(document.file, nullptr);
    EXPECT_EQ(CurrentLine, 0);
}

TEST_F(ScriptLinesTest, UnreadableScriptDoesNotOpen) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    WriteScript("<FINAL>\n");
    std::filesystem::permissions(Dir() / "script.txt", std::filesystem::perms::none);
    ScriptDocument document;
    EXPECT_EQ(OpenScript(document), 0);
}

TEST(ScriptLines, TrimLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"   <QUESTION>\t", "<QUESTION>"},
        {" \t \t", ""},
        {"", ""},
        {"a b\t c", "a b\t c"},
        {"  # note", "# note"},
        {"x = y  ", "x = y"},
        {"\v x \f", "\v x \f"},  // only blanks and tabs are trimmed
    };
    for (const auto& [in, out] : cases) {
        char line[LineBufferSize] = {};
        std::strcpy(line, in);
        TrimLine(line);
        EXPECT_STREQ(line, out) << "from '" << in << "'";
    }
    TrimLine(nullptr);
}

TEST(ScriptLines, LowerKeyOnlyBeforeTheFirstEquals) {
    char line[LineBufferSize] = "Name=What Type=?";
    LowerKey(line);
    EXPECT_STREQ(line, "name=What Type=?");
    EXPECT_EQ(FindKey(line, "type="), nullptr);
    EXPECT_STREQ(FindKey(line, "name="), "What Type=?");

    char bare[LineBufferSize] = "TEXT \xC4Z";
    LowerKey(bare);
    EXPECT_STREQ(bare, "text \xC4z");  // non-ASCII bytes are left as they are
}

TEST(ScriptLines, FindKeyAnywhereAndExact) {
    EXPECT_STREQ(FindKey("subtype=3", "type="), "3");
    EXPECT_STREQ(FindKey("answer type=2", "type="), "2");
    EXPECT_STREQ(FindKey("type=", "type="), "");
    EXPECT_STREQ(FindKey("name= a # b type=c", "name="), " a # b type=c");
    EXPECT_EQ(FindKey("name =x", "name="), nullptr);
    EXPECT_EQ(FindKey("Type=x", "type="), nullptr);
    EXPECT_EQ(FindKey(nullptr, "type="), nullptr);
}

TEST(ScriptLines, SameTextFoldsAsciiOnly) {
    EXPECT_EQ(SameText("ClassOverRace", "classoverrace"), 1);
    EXPECT_EQ(SameText("yes ", "yes"), 0);
    EXPECT_EQ(SameText("ye", "yes"), 0);
    EXPECT_EQ(SameText("", ""), 1);
    EXPECT_EQ(SameText("\xC4", "\xE4"), 0);  // Ä and ä in Windows-1252 differ
    EXPECT_EQ(SameText("[", "{"), 0);
    EXPECT_EQ(SameText(nullptr, "yes"), 0);
    EXPECT_EQ(SameText("yes", nullptr), 0);
}

TEST(ScriptLines, TagsMatchTheWholeLine) {
    const TagEntry* tag = FindTag("<question>", BlockTags);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->id, 1);
    EXPECT_EQ(FindTag("<Final>", BlockTags)->id, 2);
    EXPECT_EQ(FindTag("<SETTINGS>", BlockTags)->id, 0);
    EXPECT_EQ(FindTag("< QUESTION >", BlockTags), nullptr);
    EXPECT_EQ(FindTag("<QUESTION> x", BlockTags), nullptr);
    EXPECT_EQ(FindTag("<ANSWER>", BlockTags), nullptr);
    EXPECT_EQ(FindTag("<Answer>", AnswerTags)->id, 0);
    EXPECT_EQ(FindTag(nullptr, BlockTags), nullptr);

    EXPECT_EQ(IsEndTag("</answer>", "ANSWER"), 1);
    EXPECT_EQ(IsEndTag("</ANSWER >", "ANSWER"), 0);
    EXPECT_EQ(IsEndTag("<ANSWER>", "ANSWER"), 0);
    EXPECT_EQ(IsEndTag(nullptr, "ANSWER"), 0);
}

TEST(ScriptLines, ReportScriptErrorShowsAnOwnerlessOkBox) {
    ReportScriptError("dropped, line %d", 1);  // no view: nothing happens
    kinpath::testing::HeadlessDialog dialog;
    ScriptErrorView = &dialog;
    ReportScriptError("Undefined symbol found, line %d", 12);
    ReportScriptError("%s", std::string(400, 'x').c_str());
    ScriptErrorView = nullptr;
    ASSERT_EQ(dialog.boxes.size(), 2u);
    EXPECT_EQ(dialog.boxes[0].owner, BoxOwner::None);
    EXPECT_EQ(dialog.boxes[0].caption, "ScriptError");
    EXPECT_EQ(dialog.boxes[0].text, "Undefined symbol found, line 12");
    EXPECT_EQ(dialog.boxes[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(dialog.boxes[1].text, std::string(259, 'x'));
}
