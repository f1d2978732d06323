// The reader and the block parsers take lines in bulk and find keys in one pass
// over a line. These tests hold them to the plain rules on random input: a line
// read byte by byte, and keys tried one by one with FindKey in test order.
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "script/PointSlot.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"

using namespace kinpath;

namespace {

// One delivered line: every stored byte (zero bytes included) and its number.
struct Piece {
    std::string stored;
    int number;
    bool operator==(const Piece&) const = default;
};

// The reading rules, one byte at a time.
std::vector<Piece> ReferenceLines(const std::string& file) {
    std::size_t at = file.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::vector<Piece> pieces;
    bool atEnd = false;
    while (!atEnd) {
        std::string stored;
        while (stored.size() < LineBufferSize - 1) {
            if (at == file.size()) {
                atEnd = true;
                break;
            }
            const char c = file[at++];
            if (c == '\n') break;
            if (c != '\r') stored += c;
        }
        pieces.push_back({stored, static_cast<int>(pieces.size()) + 1});
    }
    return pieces;
}

std::string RandomBytes(std::mt19937& random, std::size_t size) {
    static const char alphabet[] = {'a', 'b', ' ', '\t', '\r', '\n', '\0', '=', '<', '#', '\xEF'};
    std::string bytes;
    while (bytes.size() < size) {
        const char c = alphabet[random() % sizeof alphabet];
        // Runs make long lines, blank lines and CR-only stretches.
        const std::size_t run = random() % 8 == 0 ? random() % 1200 : 1;
        bytes.append(run, c);
    }
    if (random() % 4 == 0) bytes.insert(0, "\xEF\xBB\xBF");
    return bytes;
}

class ScriptParseEquivalenceTest : public kinpath::testing::ProgramTest {
protected:
    std::vector<Piece> ReadAll(const std::string& bytes) {
        WriteScript(bytes);
        ScriptDocument document;
        EXPECT_EQ(OpenScript(document), 1);
        std::vector<Piece> pieces;
        char buffer[LineBufferSize];
        for (;;) {
            std::memset(buffer, 0x55, sizeof buffer);
            if (ReadScriptLine(document.file, buffer, LineBufferSize) != 1) break;
            // The stored bytes end at the terminator: the last byte before the
            // untouched filler.
            std::size_t stored = LineBufferSize - 1;
            while (stored > 0 && buffer[stored] == 0x55) --stored;
            pieces.push_back({std::string(buffer, stored), CurrentLine});
        }
        return pieces;
    }
};

TEST_F(ScriptParseEquivalenceTest, ReaderMatchesByteByByteReading) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 150; ++round) {
        const std::string bytes = RandomBytes(random, random() % 6000);
        const auto expected = ReferenceLines(bytes);
        const auto actual = ReadAll(bytes);
        ASSERT_EQ(actual.size(), expected.size()) << "round " << round;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(actual[i].stored, expected[i].stored) << "round " << round << " line " << i;
            ASSERT_EQ(actual[i].number, expected[i].number);
        }
    }
    // Larger than the stream's buffer, so that lines straddle its refills.
    const std::string big = RandomBytes(random, 300000);
    const auto expected = ReferenceLines(big);
    const auto actual = ReadAll(big);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(actual[i].stored, expected[i].stored) << "line " << i;
    }
}

// ---------------------------------------------------------------------------
// The blocks, parsed the plain way: every key tried with FindKey in order.

struct RefAnswer {
    std::optional<std::string> type, explanation;
    PointValues points{};
};
struct RefQuestion {
    std::optional<std::string> type, name;
    std::vector<std::string> choices;
    std::vector<RefAnswer> answers;
};
struct RefDocument {
    std::optional<int> preference, recap;
    std::vector<RefQuestion> questions;
    std::vector<std::string> messages;
};

class ReferenceParser {
public:
    explicit ReferenceParser(std::FILE* file) : file_(file) {}

    int Document(RefDocument& doc) {
        doc_ = &doc;
        char line[LineBufferSize] = {};
        while (Next(line)) {
            const TagEntry* tag = FindTag(line, BlockTags);
            if (tag == nullptr) continue;
            int result = 0;
            if (tag->id == 0) {
                doc.preference = 1;
                result = Settings(tag->name);
            } else if (tag->id == 1) {
                doc.questions.emplace_back();
                result = Question(tag->name, doc.questions.back());
            } else {
                doc.recap = 0;
                result = Final(tag->name);
            }
            if (result == -1) return -1;
        }
        return 0;
    }

private:
    bool Next(char* line) {
        while (ReadScriptLine(file_, line, LineBufferSize) == 1) {
            TrimLine(line);
            if (line[0] != '\0' && line[0] != '#') return true;
        }
        return false;
    }

    void Error(const char* format) {
        char text[260];
        std::snprintf(text, sizeof text, format, CurrentLine);
        doc_->messages.emplace_back(text);
    }

    static void Assign(std::optional<std::string>& text, const char* value) {
        if (value[0] != '\0') text = value; else text.reset();
    }

    int Settings(const char* name) {
        char line[LineBufferSize] = {};
        while (Next(line)) {
            if (IsEndTag(line, name)) return 1;
            LowerKey(line);
            const char* value = FindKey(line, "preference=");
            if (value == nullptr) return Error("Undefined symbol found, line %d"), -1;
            doc_->preference = SameText(value, "classoverrace") ? 1 : 0;
        }
        return -1;
    }

    int Final(const char* name) {
        char line[LineBufferSize] = {};
        while (Next(line)) {
            if (IsEndTag(line, name)) return 1;
            LowerKey(line);
            const char* value = FindKey(line, "recap=");
            const int mode = value == nullptr             ? -1
                             : SameText(value, "yes")     ? 0
                             : SameText(value, "no")      ? 1
                             : SameText(value, "ask")     ? 2
                                                          : -1;
            if (mode < 0) return Error("Undefined symbol found, line %d"), -1;
            doc_->recap = mode;
        }
        return -1;
    }

    int Question(const char* name, RefQuestion& question) {
        char line[LineBufferSize] = {};
        while (Next(line)) {
            if (IsEndTag(line, name)) return 1;
            if (const TagEntry* tag = FindTag(line, AnswerTags)) {
                RefAnswer answer;
                if (Answer(tag->name, answer) != 1) {
                    return Error("End of script expected, line %d"), -1;
                }
                question.answers.push_back(answer);
                continue;
            }
            LowerKey(line);
            if (const char* value = FindKey(line, "type=")) {
                Assign(question.type, value);
            } else if (const char* value = FindKey(line, "name=")) {
                Assign(question.name, value);
            } else if (FindKey(line, "text") != nullptr) {
                const char* choice = FindKey(line, "text=");
                if (choice == nullptr) return Error("Error line %d, invalid command"), -1;
                if (choice[0] != '\0') question.choices.emplace_back(choice);
            } else {
                return Error("Undefined symbol found, line %d"), -1;
            }
        }
        return -1;
    }

    int Answer(const char* name, RefAnswer& answer) {
        char line[LineBufferSize] = {};
        while (Next(line)) {
            if (IsEndTag(line, name)) return 1;
            LowerKey(line);
            if (const char* value = FindKey(line, "type=")) {
                Assign(answer.type, value);
                continue;
            }
            if (const char* value = FindKey(line, "explanationtext=")) {
                Assign(answer.explanation, value);
                continue;
            }
            bool found = false;
            for (const PointKey& key : AnswerPointKeys) {
                if (const char* value = FindKey(line, key.key)) {
                    if (value[0] != '\0') {
                        AnswerBlock scratch(nullptr);  // the number rule itself is tested elsewhere
                        scratch.SetPoint(value, key.slot);
                        answer.points[key.slot] = scratch.points[key.slot];
                    }
                    found = true;
                    break;
                }
            }
            if (!found) return Error("Undefined symbol found, line %d"), -1;
        }
        return -1;
    }

    std::FILE* file_;
    RefDocument* doc_ = nullptr;
};

// A random script line built from pieces that look like keys and tags.
std::string RandomScriptLine(std::mt19937& random) {
    static const std::vector<std::string> pieces = [] {
        std::vector<std::string> list{
            "<QUESTION>", "</QUESTION>", "<ANSWER>", "</ANSWER>", "<answer>", "<SETTINGS>",
            "</SETTINGS>", "<FINAL>", "</FINAL>", "type=", "Type=", "TYPE", "name=", "Name=",
            "text", "text=", "TEXT=", "explanationtext=", "ExplanationText=", "preference=",
            "classoverrace", "recap=", "yes", "no", "ask", "pts=", "=", "==", " ", "\t", "#",
            "x", "7", "-3", "+12", "99999999999", "\r", "halfpts", "helf", "race", "small",
            "big"};
        for (const PointKey& key : AnswerPointKeys) {
            list.emplace_back(key.key);
            std::string upper = key.key;
            for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            list.push_back(upper);
        }
        return list;
    }();
    // Most lines start with a key, so that blocks go on past them.
    static const char* const keys[] = {"type=", "name=", "text=", "explanationtext=", "trollpts=", "ikspts="};
    std::string line = random() % 4 != 0 ? keys[random() % 6] : "";
    const int count = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < count; ++i) line += pieces[random() % pieces.size()];
    if (random() % 40 == 0) line += std::string(400 + random() % 300, 'y');  // split in two
    if (random() % 60 == 0) line.insert(random() % (line.size() + 1), 1, '\0');
    return line;
}

// A random script: mostly well-formed questions with random lines inside.
std::string RandomScript(std::mt19937& random) {
    std::string script;
    const int blocks = 1 + static_cast<int>(random() % 6);
    for (int b = 0; b < blocks; ++b) {
        const int kind = static_cast<int>(random() % 5);
        if (kind == 0) {
            script += "<SETTINGS>\n";
        } else if (kind == 1) {
            script += "<FINAL>\n";
        } else {
            script += "  <QUESTION>\t\n";
            for (int n = static_cast<int>(random() % 4); n > 0; --n) {
                script += RandomScriptLine(random) + "\n";
            }
            script += "<ANSWER>\n";
        }
        for (int n = static_cast<int>(random() % 5); n > 0; --n) {
            const std::string plain = kind == 0   ? "preference=classoverrace"
                                      : kind == 1 ? "recap=ask"
                                                  : "warpts=" + std::to_string(random() % 9);
            script += (random() % 3 == 0 ? RandomScriptLine(random) : plain) +
                      (random() % 2 == 0 ? "\n" : "\r\n");
        }
        if (kind >= 2) script += random() % 8 == 0 ? "" : "</ANSWER>\n</QUESTION>\n";
        if (kind == 0) script += random() % 8 == 0 ? "" : "</SETTINGS>\n";
        if (kind == 1) script += random() % 8 == 0 ? "" : "</FINAL>\n";
    }
    return script;
}

TEST_F(ScriptParseEquivalenceTest, BlocksMatchKeysTriedOneByOne) {
    std::mt19937 random(77031);
    int failedLoads = 0;
    for (int round = 0; round < 400; ++round) {
        const std::string script = RandomScript(random);
        WriteScript(script);

        RefDocument expected;
        int expectedResult = 0;
        {
            ScriptDocument holder;
            ASSERT_EQ(OpenScript(holder), 1);
            expectedResult = ReferenceParser(holder.file).Document(expected);
        }

        kinpath::testing::HeadlessDialog dialog;
        ScriptErrorView = &dialog;
        ScriptDocument document;
        ASSERT_EQ(OpenScript(document), 1);
        const int result = document.Parse(nullptr);
        ScriptErrorView = nullptr;

        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(result, expectedResult);
        failedLoads += result == -1;
        std::vector<std::string> messages;
        for (const auto& box : dialog.boxes) messages.push_back(box.text);
        ASSERT_EQ(messages, expected.messages);
        ASSERT_EQ(document.settings != nullptr, expected.preference.has_value());
        if (document.settings) {
            ASSERT_EQ(document.settings->Preference, *expected.preference);
        }
        ASSERT_EQ(document.final != nullptr, expected.recap.has_value());
        if (document.final) {
            ASSERT_EQ(document.final->RecapMode, *expected.recap);
        }
        ASSERT_EQ(document.questions.size(), expected.questions.size());
        for (std::size_t q = 0; q < expected.questions.size(); ++q) {
            const QuestionBlock& actual = *document.questions[q];
            const RefQuestion& want = expected.questions[q];
            ASSERT_EQ(actual.type, want.type);
            ASSERT_EQ(actual.name, want.name);
            ASSERT_EQ(actual.choices, want.choices);
            ASSERT_EQ(actual.answers.size(), want.answers.size());
            for (std::size_t a = 0; a < want.answers.size(); ++a) {
                ASSERT_EQ(actual.answers[a]->type, want.answers[a].type);
                ASSERT_EQ(actual.answers[a]->explanation, want.answers[a].explanation);
                ASSERT_EQ(actual.answers[a]->points, want.answers[a].points);
            }
        }
    }
    // Both outcomes were exercised.
    EXPECT_GT(failedLoads, 40);
    EXPECT_LT(failedLoads, 360);
}

}  // namespace
