// The line reader against a byte-at-a-time model of its rules, the file
// reading around it, and the text helpers both block readers share. TrimLine
// is held to the parsers' own trimming in script_document_test.cpp.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "script/ScriptDocument.h"
#include "script/ScriptKeys.h"
#include "script/ScriptLines.h"
#include "script/ScriptReader.h"
#include "text/Ascii.h"

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

// The same lines from the script's reader, as views: where they stand in the
// text, unless a carriage return was dropped from them.
Lines ViewLines(const std::string& text) {
    ScriptReader reader(text);
    Lines lines;
    for (ScriptLine line; reader.Next(line);) {
        const std::less_equal<const char*> before;
        EXPECT_EQ(before(text.data(), line.stored.data()) &&
                      before(line.stored.data() + line.stored.size(), text.data() + text.size()),
                  !line.copied);
        lines.emplace_back(std::string(line.stored), line.number);
    }
    return lines;
}

// What the reader says of each line, by the line rules' own operations: the
// piece trimmed (TrimLine), its tag (FindTag, IsEndTag), which line of the
// file it is, and its key in each block, as FindKey finds it once lowered.
std::vector<std::string> ModelItems(const std::string& text) {
    ScriptLines lines(text);
    std::vector<std::string> items;
    std::int64_t feeds = 0;
    std::uint32_t piece = 0;
    bool continues = false;
    char line[LineBufferSize];
    for (auto at = lines.Tell(); lines.ReadScriptLine(line, LineBufferSize); at = lines.Tell()) {
        const std::size_t stored = lines.LastLength();
        piece = continues ? piece + 1 : 0;
        // The empty line after a final line feed is no line of the file.
        const std::int64_t fileLine = feeds + (continues || at.offset != text.size() ? 1 : 0);
        feeds += std::count(text.begin() + std::ptrdiff_t(at.offset),
                            text.begin() + std::ptrdiff_t(lines.Tell().offset), '\n');
        continues = stored == PieceLength;
        const bool zero = std::strlen(line) < stored;
        TrimLine(line);
        std::string kind = "text";
        if (line[0] == '\0' || line[0] == '#') kind = "skipped";
        if (const TagEntry* tag = FindTag(line, BlockTags)) kind = "<" + std::string(tag->name);
        if (FindTag(line, AnswerTags) != nullptr) kind = "<ANSWER";
        for (const std::string_view name : TagNames)
            if (IsEndTag(line, std::string(name).c_str())) kind = "</" + std::string(name);
        std::string keys;
        LowerKey(line);
        for (const KeyList list : {KeyList(SettingsKeys), KeyList(FinalKeys), KeyList(QuestionKeys),
                                   KeyList(AnswerKeys)}) {
            std::size_t k = 0;
            while (k < list.size() && FindKey(line, std::string(list[k]).c_str()) == nullptr) ++k;
            const char* value =
                k < list.size() ? FindKey(line, std::string(list[k]).c_str()) : line;
            keys += " " + std::to_string(k) + "@" + std::to_string(value - line);
        }
        items.push_back(std::to_string(lines.CurrentLine) + " " + std::to_string(fileLine) + "." +
                        std::to_string(piece) + " " + kind + (zero ? " zero" : "") + " [" +
                        std::string(line) + "]" + keys +
                        (FindKey(line, "text") != nullptr ? " text" : ""));
    }
    return items;
}

// The same from the reader, its key part left as written; read once more
// from the place it stood at after `again` lines, it gives the same lines.
std::vector<std::string> ReaderItems(const std::string& text, std::size_t again) {
    const auto describe = [](const ScriptLine& line) {
        std::string kind = "text";
        if (line.kind == ScriptLine::Kind::Skipped) kind = "skipped";
        if (line.kind == ScriptLine::Kind::StartTag) kind = "<" + std::string(TagName(line.tag));
        if (line.kind == ScriptLine::Kind::EndTag) kind = "</" + std::string(TagName(line.tag));
        std::string lowered(line.text);
        const std::size_t equals = std::min(lowered.find('='), lowered.size());
        for (std::size_t i = 0; i < equals; ++i) lowered[i] = FoldAscii(lowered[i]);
        std::string keys;
        for (const KeyList list : {KeyList(SettingsKeys), KeyList(FinalKeys), KeyList(QuestionKeys),
                                   KeyList(AnswerKeys)}) {
            const LineKey key = FindLineKey(list, line.text);
            keys += " " + std::to_string(key.key == NoKey ? list.size() : key.key) + "@" +
                    std::to_string(key.key == NoKey ? 0 : key.value);
        }
        return std::to_string(line.number) + " " + std::to_string(line.fileLine) + "." +
               std::to_string(line.piece) + " " + kind + (line.zeroByte ? " zero" : "") + " [" +
               lowered + "]" + keys + (HoldsChoiceWord(line.text) ? " text" : "");
    };
    ScriptReader reader(text);
    std::vector<std::string> items;
    std::optional<ScriptReader::Position> mark;
    for (ScriptLine line; reader.Next(line);) {
        items.push_back(describe(line));
        if (items.size() == again) mark = reader.Tell();
    }
    if (mark) {
        reader.Seek(*mark);
        std::size_t i = again;
        for (ScriptLine line; reader.Next(line); ++i)
            EXPECT_TRUE(i < items.size() && describe(line) == items[i]) << i;
        EXPECT_EQ(i, items.size());
    }
    return items;
}

// Texts of every kind of line end, long lines and stray bytes, and of tags
// and keys in any case, with blanks, comments and zero bytes among them.
std::vector<std::string> SampleTexts() {
    std::vector<std::string> texts{"", "\n", "\r", "a\nb\n", "a\r\nb", "ab\0cd\nx"s};
    // The edges of the 511 cut, with every kind of line end after them.
    for (std::size_t n : {510, 511, 512, 1022})
        for (const std::string& end : {""s, "\n"s, "\r\n"s, "\r"s, "\0\n"s})
            texts.insert(texts.end(),
                         {std::string(n, 'x') + end,
                          std::string(n / 2, 'y') + std::string(n / 2, '\r') + "y" + end});
    // Random bytes; runs make long lines, blank lines and CR-only stretches.
    std::mt19937 random(20240611);
    const std::string alphabet = "ab \r\n\0\xEF\xBB\xBF"s;
    for (int round = 0; round <= 200; ++round) {
        std::string& text = texts.emplace_back();
        for (const std::size_t size = round == 200 ? 300000 : random() % 6000; text.size() < size;)
            text.append(random() % 8 == 0 ? random() % 1200 : 1, alphabet[random() % 9]);
    }
    // Tags and keys in any case, blanks and line ends; "^" stands for a zero byte.
    std::vector<std::string> pieces;
    std::istringstream list(
        "<QUESTION>|</question>|<Answer>|</ANSWER >|<FINAL>|</SETTINGS>|< FINAL>|<>|</>|name=|Type=|"
        "TEXT|teXt=|explanationtext=|EXPLANATIONTEXT|warpts=|WarPts=|halfpts= helfpts=|preference=|"
        "Recap=|=|x|#| |\t|\r|\n|\n\n|^");
    for (std::string piece; std::getline(list, piece, '|');)
        pieces.push_back(piece == "^" ? "\0"s : piece);
    for (int round = 0; round < 300; ++round) {
        std::string& text = texts.emplace_back();
        for (int n = static_cast<int>(random() % 60); n > 0; --n)
            text += random() % 40 == 0 ? std::string(random() % 700, 'z')
                                       : pieces[random() % pieces.size()];
    }
    return texts;
}

class ScriptFileTest : public kinpath::testing::ProgramTest {};

}  // namespace

TEST(ScriptLines, ReaderMatchesTheModel) {
    for (const std::string& text : SampleTexts()) {
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

// The script's one reader says of each line what the line rules say, and
// finds its key in the line as written as FindKey does in the lowered line.
TEST(ScriptReader, SaysWhatEachLineIsAsTheLineRulesDo) {
    std::size_t again = 0;
    for (const std::string& text : SampleTexts()) {
        ASSERT_EQ(ReaderItems(text, again++ % 9), ModelItems(text))
            << ::testing::PrintToString(text.substr(0, 80));
    }
}

TEST_F(ScriptFileTest, ReadsARegularFileWholeWithoutTheByteOrderMark) {
    // One byte-order mark at the very start is dropped.
    for (const std::string& file :
         {"\xEF\xBB\xBF<SETTINGS>\n"s, "\xEF\xBB\xBF"s, "\xEF\xBBx"s, "a\n\xEF\xBB\xBF"s,
          "\xEF\xBB\xBF\xEF\xBB\xBF"s, std::string(200000, '\0') + "z",
          "\xEF\xBB\xBF" + std::string(LargePage + 5, 'y') + "z"}) {
        WriteScript(file);
        const auto read = ReadScriptFile("script.txt");
        EXPECT_EQ(std::tuple(read.failure, std::string_view(read.bytes)),
                  std::tuple(ReadFailure::None, std::string_view(file).substr(
                                                    file.starts_with("\xEF\xBB\xBF") ? 3 : 0)));
    }
    EXPECT_EQ(ReadScriptFile("missing.txt").failure, ReadFailure::CannotOpen);
    // One byte past the most a document holds is refused before any is read.
    std::ofstream(Dir() / "huge.txt").put('x');
    std::filesystem::resize_file(Dir() / "huge.txt", MaxScriptBytes + 1);
    EXPECT_EQ(ReadScriptFile("huge.txt").failure, ReadFailure::TooLarge);
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
}

// The line rules are the model above; here what the sample texts never hold.
TEST(ScriptLines, NoLineAndBytesOutsideAscii) {
    char bare[LineBufferSize] = "TEXT \xC4Z=\xC4Z";
    LowerKey(bare);
    EXPECT_STREQ(bare, "text \xC4z=\xC4Z");  // Windows-1252 letters do not fold
    EXPECT_TRUE(SameText("ClassOverRace", "classoverrace") && SameText("", ""));
    EXPECT_FALSE(SameText("\xC4", "\xE4") || SameText("ye", "yes") || SameText("yes", "ye") ||
                 SameText(nullptr, "yes"));
    EXPECT_FALSE(FindKey(nullptr, "type=") || FindTag(nullptr, BlockTags) ||
                 IsEndTag(nullptr, "ANSWER"));
}
