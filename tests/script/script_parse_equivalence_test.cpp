// The reader and the block parsers take lines in bulk and find keys in one pass
// over a line. These tests hold them to the plain rules on random input: a line
// read byte by byte, and keys tried one by one with FindKey in test order.
#include <algorithm>
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
    for (bool atEnd = false; !atEnd;) {
        std::string stored;
        while (stored.size() < LineBufferSize - 1 && !(atEnd = at == file.size())) {
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
            // The stored bytes end at the terminator, the last byte before the filler.
            std::size_t stored = LineBufferSize - 1;
            while (stored > 0 && buffer[stored] == 0x55) --stored;
            pieces.push_back({std::string(buffer, stored), CurrentLine});
        }
        return pieces;
    }
};

TEST_F(ScriptParseEquivalenceTest, ReaderMatchesByteByByteReading) {
    std::mt19937 random(20240611);
    for (int round = 0; round <= 150; ++round) {
        // The last round is larger than the stream's buffer: lines straddle its refills.
        const std::string bytes = RandomBytes(random, round == 150 ? 300000 : random() % 6000);
        ASSERT_EQ(ReadAll(bytes), ReferenceLines(bytes)) << "round " << round;
    }
}

// ---------------------------------------------------------------------------
// The blocks, parsed the plain way: every key tried with FindKey in order.

struct RefAnswer {
    ScriptText type, explanation;
    PointValues points{};
    bool operator==(const RefAnswer&) const = default;
};
struct RefQuestion {
    ScriptText type, name;
    std::vector<std::string> choices;
    std::vector<RefAnswer> answers;
    bool operator==(const RefQuestion&) const = default;
};
struct RefDocument {
    int result = 0;
    std::optional<int> preference, recap;
    std::vector<RefQuestion> questions;
    std::vector<std::string> messages;
    bool operator==(const RefDocument&) const = default;
};

class ReferenceParser {
public:
    explicit ReferenceParser(std::FILE* file) : file_(file) {}

    RefDocument Document() {
        char line[LineBufferSize] = {};
        while (Next(line)) {
            const TagEntry* tag = FindTag(line, BlockTags);
            if (tag == nullptr) continue;
            int result = 0;
            if (tag->id == 1) {
                doc_.questions.emplace_back();
                result = Question(tag->name, doc_.questions.back());
            } else if (tag->id == 0) {  // any value but classoverrace puts race first
                result = OneKeyBlock(tag->name, "preference=", {"", "classoverrace"}, 0, doc_.preference = 1);
            } else {
                result = OneKeyBlock(tag->name, "recap=", {"yes", "no", "ask"}, -1, doc_.recap = 0);
            }
            if (result == -1) {
                doc_.result = -1;
                break;
            }
        }
        return doc_;
    }

private:
    bool Next(char* line) {
        while (ReadScriptLine(file_, line, LineBufferSize) == 1) {
            TrimLine(line);
            if (line[0] != '\0' && line[0] != '#') return true;
        }
        return false;
    }

    int Error(const char* format) {
        char text[260];
        std::snprintf(text, sizeof text, format, CurrentLine);
        doc_.messages.emplace_back(text);
        return -1;
    }

    static void Assign(ScriptText& text, const char* value) {
        if (value[0] != '\0') text = value; else text.reset();
    }

    // SETTINGS and FINAL: one key whose value is looked up in a list.
    int OneKeyBlock(const char* name, const char* key, std::vector<std::string> values, int fallback,
                    std::optional<int>& out) {
        char line[LineBufferSize] = {};
        while (Next(line)) {
            if (IsEndTag(line, name)) return 1;
            LowerKey(line);
            const char* value = FindKey(line, key);
            int mode = fallback;
            for (std::size_t i = 0; value != nullptr && i < values.size(); ++i) {
                if (SameText(value, values[i].c_str())) mode = static_cast<int>(i);
            }
            if (value == nullptr || mode < 0) return Error("Undefined symbol found, line %d");
            out = mode;
        }
        return -1;
    }

    int Question(const char* name, RefQuestion& question) {
        char line[LineBufferSize] = {};
        while (Next(line)) {
            if (IsEndTag(line, name)) return 1;
            if (const TagEntry* tag = FindTag(line, AnswerTags)) {
                RefAnswer answer;
                if (Answer(tag->name, answer) != 1) return Error("End of script expected, line %d");
                question.answers.push_back(answer);
                continue;
            }
            LowerKey(line);
            if (const char* value = FindKey(line, "type=")) {
                Assign(question.type, value);
            } else if (const char* value = FindKey(line, "name=")) {
                Assign(question.name, value);
            } else if (FindKey(line, "text") == nullptr) {
                return Error("Undefined symbol found, line %d");
            } else if (const char* choice = FindKey(line, "text=")) {
                if (choice[0] != '\0') question.choices.emplace_back(choice);
            } else {
                return Error("Error line %d, invalid command");
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
            } else if (const char* value = FindKey(line, "explanationtext=")) {
                Assign(answer.explanation, value);
            } else {
                const PointKey* key = nullptr;
                const char* number = nullptr;
                for (const PointKey& k : AnswerPointKeys) {
                    if ((number = FindKey(line, k.key)) != nullptr) {
                        key = &k;
                        break;
                    }
                }
                if (key == nullptr) return Error("Undefined symbol found, line %d");
                if (number[0] != '\0') {
                    AnswerBlock scratch(nullptr);  // the number rule itself is tested elsewhere
                    scratch.SetPoint(number, key->slot);
                    answer.points[key->slot] = scratch.points[key->slot];
                }
            }
        }
        return -1;
    }

    std::FILE* file_;
    RefDocument doc_;
};

// A random script line built from pieces that look like keys and tags; most
// start with a key, so that blocks go on past them.
std::string RandomScriptLine(std::mt19937& random) {
    static const std::vector<std::string> pieces = [] {
        std::vector<std::string> list{"<QUESTION>", "</QUESTION>", "<answer>", "</ANSWER>", "<SETTINGS>",
                                      "</FINAL>", "Type=", "TYPE", "name=", "text", "TEXT=",
                                      "ExplanationText=", "preference=", "classoverrace", "recap=", "ask",
                                      "pts=", "=", " ", "\t", "#", "x", "-3", "99999999999", "\r", "halfpts"};
        for (const PointKey& key : AnswerPointKeys) list.emplace_back(key.key);
        return list;
    }();
    static const char* const keys[] = {"type=", "name=", "text=", "explanationtext=", "trollpts="};
    std::string line = random() % 4 != 0 ? keys[random() % 5] : "";
    for (int i = 1 + static_cast<int>(random() % 4); i > 0; --i) line += pieces[random() % pieces.size()];
    if (random() % 40 == 0) line += std::string(400 + random() % 300, 'y');  // split in two
    if (random() % 60 == 0) line.insert(random() % (line.size() + 1), 1, '\0');
    return line;
}

// Mostly well-formed blocks with random lines inside; some end tags missing.
std::string RandomScript(std::mt19937& random) {
    static const char* const open[] = {"<SETTINGS>\n", "<FINAL>\n", "  <QUESTION>\t\n"};
    static const char* const close[] = {"</SETTINGS>\n", "</FINAL>\n", "</ANSWER>\n</QUESTION>\n"};
    std::string script;
    for (int b = 1 + static_cast<int>(random() % 6); b > 0; --b) {
        const int kind = std::min(2, static_cast<int>(random() % 5));
        script += open[kind];
        if (kind == 2) {
            for (int n = static_cast<int>(random() % 4); n > 0; --n) script += RandomScriptLine(random) + "\n";
            script += "<ANSWER>\n";
        }
        for (int n = static_cast<int>(random() % 5); n > 0; --n) {
            const std::string plain = kind == 0   ? "preference=classoverrace"
                                      : kind == 1 ? "recap=ask"
                                                  : "warpts=" + std::to_string(random() % 9);
            script += (random() % 3 == 0 ? RandomScriptLine(random) : plain) + (random() % 2 ? "\n" : "\r\n");
        }
        if (random() % 8 != 0) script += close[kind];
    }
    return script;
}

RefDocument Seen(const ScriptDocument& document, int result, const kinpath::testing::HeadlessDialog& dialog) {
    RefDocument seen;
    seen.result = result;
    if (document.settings) seen.preference = document.settings->Preference;
    if (document.final) seen.recap = document.final->RecapMode;
    for (const auto& q : document.questions) {
        RefQuestion& question = seen.questions.emplace_back();
        question.type = q->type;
        question.name = q->name;
        question.choices = q->choices;
        for (const auto& a : q->answers) question.answers.push_back({a->type, a->explanation, a->points});
    }
    for (const auto& box : dialog.boxes) seen.messages.push_back(box.text);
    return seen;
}

TEST_F(ScriptParseEquivalenceTest, BlocksMatchKeysTriedOneByOne) {
    std::mt19937 random(77031);
    int failedLoads = 0;
    for (int round = 0; round < 400; ++round) {
        WriteScript(RandomScript(random));
        RefDocument expected;
        {
            ScriptDocument holder;
            ASSERT_EQ(OpenScript(holder), 1);
            expected = ReferenceParser(holder.file).Document();
        }
        kinpath::testing::HeadlessDialog dialog;
        ScriptErrorView = &dialog;
        ScriptDocument document;
        ASSERT_EQ(OpenScript(document), 1);
        const int result = document.Parse(nullptr);
        ScriptErrorView = nullptr;
        ASSERT_EQ(Seen(document, result, dialog), expected) << "round " << round;
        failedLoads += result == -1;
    }
    // Both outcomes were exercised.
    EXPECT_GT(failedLoads, 40);
    EXPECT_LT(failedLoads, 360);
}

}  // namespace
