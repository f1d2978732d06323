// The line reader against a byte-at-a-time model of its rules, the file
// reading around it, and the text helpers both block readers share. TrimLine
// is held to the parsers' own trimming in script_document_test.cpp.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "script/ScriptLines.h"
#include "text/PathText.h"

using namespace kinpath;
using namespace std::string_literals;

namespace {

// Every stored byte of each line (zero bytes included) and its number.
using Lines = std::vector<std::pair<std::string, std::int64_t>>;

// The rules, one byte at a time: at most size - 1 bytes a line, CR left out
// (it takes no room), LF ends a line, and the line that meets the end of the
// text is the last one.
Lines ModelLines(const std::string& text, std::size_t size) {
    Lines lines;
    std::size_t at = 0;
    for (bool atEnd = false; !atEnd;) {
        std::string stored;
        while (stored.size() < size - 1 && !(atEnd = at == text.size())) {
            const char c = text[at++];
            if (c == '\n') break;
            if (c != '\r') stored += c;
        }
        lines.emplace_back(stored, lines.size() + 1);
    }
    return lines;
}

Lines ReaderLines(const std::string& text, int size) {
    ScriptLines reader(text);
    Lines lines;
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1, 'U');
    while (reader.ReadScriptLine(buffer.data(), size)) {
        // Terminated, and nothing written past the buffer.
        EXPECT_TRUE(buffer[reader.LastLength()] == '\0' && buffer.back() == 'U');
        lines.emplace_back(std::string(buffer.data(), reader.LastLength()), reader.CurrentLine);
    }
    EXPECT_FALSE(reader.ReadScriptLine(buffer.data(), size));
    EXPECT_EQ(reader.CurrentLine, static_cast<std::int64_t>(lines.size()));  // no line, no count
    return lines;
}

// The same lines as views: where they stand in the text, unless a carriage
// return was dropped from them.
Lines ViewLines(const std::string& text) {
    ScriptLines reader(text);
    Lines lines;
    for (std::string_view line; reader.NextLine(line);) {
        const std::less_equal<const char*> before;
        EXPECT_EQ(before(text.data(), line.data()) &&
                      before(line.data() + line.size(), text.data() + text.size()),
                  !reader.LastCopied());
        lines.emplace_back(std::string(line), reader.CurrentLine);
    }
    return lines;
}

class ScriptFileTest : public kinpath::testing::ProgramTest {};

}  // namespace

TEST(ScriptLines, ReaderMatchesTheModel) {
    std::vector<std::string> texts{"", "\n", "\r", "a\nb\n", "a\r\nb", "ab\0cd\nx"s};
    // The edges of the 511 cut, with every kind of line end after them.
    for (std::size_t n : {510, 511, 512, 1022}) {
        for (const std::string& end : {""s, "\n"s, "\r\n"s, "\r"s, "\0\n"s}) {
            texts.push_back(std::string(n, 'x') + end);
            texts.push_back(std::string(n / 2, 'y') + std::string(n / 2, '\r') + "y" + end);
        }
    }
    // Random bytes; runs make long lines, blank lines and CR-only stretches.
    std::mt19937 random(20240611);
    const std::string alphabet = "ab \r\n\0\xEF\xBB\xBF"s;
    for (int round = 0; round <= 200; ++round) {
        std::string& text = texts.emplace_back();
        for (const std::size_t size = round == 200 ? 300000 : random() % 6000;
             text.size() < size;) {
            text.append(random() % 8 == 0 ? random() % 1200 : 1, alphabet[random() % 9]);
        }
    }
    for (const std::string& text : texts) {
        ASSERT_EQ(ReaderLines(text, 512), ModelLines(text, 512))
            << ::testing::PrintToString(text.substr(0, 80));
        ASSERT_EQ(ReaderLines(text, 4), ModelLines(text, 4));
        ASSERT_EQ(ViewLines(text), ModelLines(text, LineBufferSize));
    }
    ScriptLines lines(std::string_view("a"));
    char buffer[4];
    EXPECT_FALSE(lines.ReadScriptLine(nullptr, 4) || lines.ReadScriptLine(buffer, 0) ||
                 lines.CurrentLine);
}

TEST_F(ScriptFileTest, ReadsARegularFileWholeWithoutTheByteOrderMark) {
    // One byte-order mark at the very start is dropped.
    for (const std::string& file :
         {"\xEF\xBB\xBF<SETTINGS>\n"s, "\xEF\xBB\xBF"s, "\xEF\xBBx"s, "a\n\xEF\xBB\xBF"s,
          "\xEF\xBB\xBF\xEF\xBB\xBF"s, std::string(200000, '\0') + "z"}) {
        WriteScript(file);
        EXPECT_EQ(ReadScriptFile("script.txt").failure, ReadFailure::None);
        EXPECT_EQ(ReadScriptFile("script.txt").bytes,
                  file.substr(file.starts_with("\xEF\xBB\xBF") ? 3 : 0));
    }
    EXPECT_EQ(ReadScriptFile("missing.txt").failure, ReadFailure::CannotOpen);
    std::filesystem::create_directory(Dir() / "folder");
    EXPECT_EQ(ReadScriptFile("folder").failure, ReadFailure::NotRegularFile);
#ifdef _WIN32
    // A device would wait for input or give none.
    EXPECT_EQ(ReadScriptFile("NUL").failure, ReadFailure::NotRegularFile);
#else
    // A FIFO without a writer would block an ordinary open or read.
    ASSERT_EQ(::mkfifo((Dir() / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadScriptFile("fifo").failure, ReadFailure::NotRegularFile);
#endif
    // Names are UTF-8 on every system.
    const std::string folder = "Zo\xC3\xAB \xE6\x97\xA5\xF0\x9F\x98\x80";
    std::filesystem::create_directory(PathFromUtf8(folder));
    std::ofstream(PathFromUtf8(folder + "/script.txt")) << "<FINAL>";
    EXPECT_EQ(ReadScriptFile(folder + "/script.txt").bytes, "<FINAL>");
}

TEST(ScriptLines, KeysTextsAndTags) {
    // Keys are found exactly, after lowering up to the first "=".
    char line[LineBufferSize] = "NAME=What Type=?";
    LowerKey(line);
    EXPECT_STREQ(line, "name=What Type=?");
    char bare[LineBufferSize] = "TEXT \xC4Z";
    LowerKey(bare);
    EXPECT_STREQ(bare, "text \xC4z");  // non-ASCII bytes stay as they are
    EXPECT_EQ(FindKey(line, "type="), nullptr);
    EXPECT_STREQ(FindKey(line, "name="), "What Type=?");
    EXPECT_STREQ(FindKey("subtype=3", "type="), "3");
    EXPECT_STREQ(FindKey("type=", "type="), "");
    EXPECT_STREQ(FindKey("name= a type=c", "name="), " a type=c");
    EXPECT_EQ(FindKey("name =x", "name="), nullptr);
    EXPECT_EQ(FindKey(nullptr, "type="), nullptr);

    EXPECT_TRUE(SameText("ClassOverRace", "classoverrace") && SameText("", ""));
    // Windows-1252 letters do not fold; a prefix, a blank or no text differs.
    const char* const differ[][2] = {
        {"\xC4", "\xE4"}, {"[", "{"}, {"yes ", "yes"}, {"ye", "yes"}, {nullptr, "yes"}};
    for (const auto& [a, b] : differ) EXPECT_FALSE(SameText(a, b) || SameText(b, a)) << a;

    // Tags match the whole line in any case.
    EXPECT_EQ(FindTag("<SETTINGS>", BlockTags)->id, static_cast<int>(BlockTag::Settings));
    EXPECT_EQ(FindTag("<question>", BlockTags)->id, static_cast<int>(BlockTag::Question));
    EXPECT_EQ(FindTag("<Final>", BlockTags)->id, static_cast<int>(BlockTag::Final));
    EXPECT_STREQ(FindTag("<answer>", AnswerTags)->name, "ANSWER");
    EXPECT_TRUE(IsEndTag("</Answer>", "ANSWER"));
    for (const char* line :
         {"< QUESTION >", "<QUESTION> x", "<QUESTIO>", "<QUESTIONS>", "QUESTION>", "<ANSWER>",
          "</QUESTION>", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(FindTag(line, BlockTags), nullptr) << line;
    for (const char* line : {"</ANSWER >", "</ANSWE>", "</ANSWERS>", "<ANSWER>", "<\\ANSWER>",
                             static_cast<const char*>(nullptr)})
        EXPECT_FALSE(IsEndTag(line, "ANSWER")) << line;
}
