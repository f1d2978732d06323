// The script tree: what a load gives, the messages that refuse a script, and
// the value rules the block parsers share. The block parsers find keys in one
// pass over a line; random scripts hold them to the plain rule: each line
// trimmed, its key part lowered, and the keys tried one by one with FindKey in
// test order, the first found wins. The checker, which reads that plain way,
// must agree on what loads.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "authoring/check/ScriptCheck.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"

using namespace kinpath;
using namespace std::string_view_literals;

namespace {

constexpr auto Undefined = ScriptMessage::UndefinedSymbol;
constexpr auto Invalid = ScriptMessage::InvalidCommand;
constexpr auto EndExpected = ScriptMessage::EndOfScriptExpected;

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> items;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, '|');) items.push_back(item);
    return items;
}

// A document as plain values (an absent text is empty, an absent block -1),
// and as text, for comparing two documents.
struct PlainAnswer {
    std::string type, explanation;
    PointValues points{};
};
struct PlainQuestion {
    std::string type, name;
    std::vector<std::string> choices;
    std::vector<PlainAnswer> answers;
};
struct PlainDocument {
    int settings = -1, final = -1;
    std::vector<PlainQuestion> questions;
};

std::string Dump(const PlainDocument& document) {
    std::ostringstream out;
    const auto text = [](const std::string& t) { return t.empty() ? "-" : "[" + t + "]"; };
    if (document.settings >= 0) out << "settings " << document.settings;
    if (document.final >= 0) out << " final " << document.final;
    for (const PlainQuestion& question : document.questions) {
        out << "\nquestion " << text(question.type) << text(question.name);
        for (const std::string& choice : question.choices) out << text(choice);
        for (const PlainAnswer& answer : question.answers) {
            out << "\n  answer " << text(answer.type) << text(answer.explanation);
            for (int slot = 0; slot < PointSlotCount; ++slot)
                if (answer.points[slot] != 0) out << ' ' << slot << '=' << answer.points[slot];
        }
    }
    return out.str();
}

std::string Dump(const ScriptDocument& document) {
    PlainDocument plain;
    const auto text = [&](ScriptText t) { return std::string(document.Text(t)); };
    if (document.Settings()) plain.settings = static_cast<int>(document.Settings()->preference);
    if (document.Final()) plain.final = static_cast<int>(document.Final()->recap);
    for (const QuestionBlock& question : document.Questions()) {
        PlainQuestion& q = plain.questions.emplace_back();
        q.type = text(question.type), q.name = text(question.name);
        for (ScriptText choice : document.Choices(question)) q.choices.push_back(text(choice));
        for (const AnswerBlock& answer : document.Answers(question))
            q.answers.push_back(
                {text(answer.type), text(answer.explanation), document.Points(answer)});
    }
    return Dump(plain);
}

// Parses the plain way into a document of its own.
class ReferenceParser {
public:
    explicit ReferenceParser(std::string bytes) : bytes_(std::move(bytes)) {}

    LoadOutcome Load(PlainDocument& doc) {
        char line[LineBufferSize];
        bool loaded = true;
        while (loaded && Next(line)) {
            const TagEntry* tag = FindTag(line, BlockTags);
            if (tag == nullptr) continue;
            if (tag->id == static_cast<int>(BlockTag::Question)) {
                loaded = Question(tag->name, doc.questions.emplace_back());
            } else if (tag->id == static_cast<int>(BlockTag::Settings)) {
                doc.settings = 1;  // ClassOverRace
                loaded = Block(tag->name, [&](const char* line) {
                    const char* value = FindKey(line, "preference=");
                    if (value != nullptr) doc.settings = SameText(value, "classoverrace");
                    return value != nullptr || Error(Undefined);
                });
            } else {
                doc.final = 0;
                loaded = Block(tag->name, [&](const char* line) {
                    const char* value = FindKey(line, "recap=");
                    int mode = 0;
                    while (mode < 3 && !SameText(value, Split("yes|no|ask")[mode].c_str())) ++mode;
                    if (mode < 3) doc.final = mode;
                    return mode < 3 || Error(Undefined);
                });
            }
        }
        return {loaded, errors_};
    }

private:
    bool Next(char* line) {
        while (lines_.ReadScriptLine(line, LineBufferSize)) {
            TrimLine(line);
            if (line[0] != '\0' && line[0] != '#') return true;
        }
        return false;
    }

    // Lines up to the end tag; the others, key part lowered, to keyLine, which
    // returns false on an error. False when the text ends first.
    template <class KeyLine>
    bool Block(const char* name, KeyLine keyLine) {
        char line[LineBufferSize];
        while (Next(line)) {
            if (IsEndTag(line, name)) return true;
            LowerKey(line);
            if (!keyLine(line)) return false;
        }
        return false;
    }

    bool Error(ScriptMessage message) {
        errors_.push_back({message, lines_.CurrentLine});
        return false;
    }

    bool Question(const char* name, PlainQuestion& question) {
        return Block(name, [&](const char* line) {
            if (const TagEntry* tag = FindTag(line, AnswerTags)) {  // lowering keeps a tag
                PlainAnswer answer;
                if (!Answer(tag->name, answer)) return Error(EndExpected);
                question.answers.push_back(answer);
                return true;
            }
            if (const char* value = FindKey(line, "type=")) return question.type = value, true;
            if (const char* value = FindKey(line, "name=")) return question.name = value, true;
            if (FindKey(line, "text") == nullptr) return Error(Undefined);
            const char* choice = FindKey(line, "text=");
            if (choice == nullptr) return Error(Invalid);
            if (choice[0] != '\0') question.choices.emplace_back(choice);
            return true;
        });
    }

    bool Answer(const char* name, PlainAnswer& answer) {
        return Block(name, [&](const char* line) {
            if (const char* value = FindKey(line, "type=")) return answer.type = value, true;
            if (const char* value = FindKey(line, "explanationtext="))
                return answer.explanation = value, true;
            for (const PointKey& key : AnswerPointKeys) {
                if (const char* number = FindKey(line, key.key)) {
                    if (number[0] != '\0') answer.points[key.slot] = ReadPointValue(number);
                    return true;
                }
            }
            return Error(Undefined);
        });
    }

    const std::string bytes_;
    ScriptLines lines_{bytes_};
    std::vector<ScriptError> errors_;
};

const std::vector<std::string> AnswerKeys = [] {
    std::vector<std::string> keys = Split("type=|explanationtext=");
    for (const PointKey& key : AnswerPointKeys) keys.emplace_back(key.key);
    return keys;
}();

// A line that mostly starts with a key of its block (in any case), followed by
// pieces that look like keys, tags and values: lines hold several keys in
// every order.
std::string RandomScriptLine(std::mt19937& random, const std::vector<std::string>& own) {
    static const std::vector<std::string> pieces = Split(
        "<QUESTION>|</QUESTION>|<answer>|</ANSWER>|<SETTINGS>|</FINAL>|Type=|TYPE|subtype=|text|TEXT=|"
        "ExplanationText=|classoverrace|ask|pts=|=| |\t|#|x|1|-3|99999999999|\r|halfpts|preference=|"
        "recap=|name=");
    const auto piece = [&] {
        const auto& from = random() % 2 == 0 ? pieces : AnswerKeys;
        return from[random() % from.size()];
    };
    std::string line = random() % 4 == 0 ? "\t " : "";  // indented
    if (const int pick = static_cast<int>(random() % 32); pick > 0) {
        line += pick > 1 ? own[random() % own.size()] : piece();
        if (random() % 5 == 0) std::transform(line.begin(), line.end(), line.begin(), ::toupper);
    }
    for (int i = static_cast<int>(random() % 5) - 1; i > 0; --i) line += piece();
    if (random() % 60 == 0) line += std::string(400 + random() % 300, 'y');  // cut in two
    if (random() % 60 == 0) line.insert(random() % (line.size() + 1), 1, '\0');
    return line;
}

// Mostly well-formed blocks with random lines inside; some end tags missing.
std::string RandomScript(std::mt19937& random) {
    static const char* const open[] = {"<SETTINGS>\n", "<FINAL>\n", "  <QUESTION>\t\n"};
    static const char* const close[] = {"</SETTINGS>\n", "</FINAL>\n", "</ANSWER>\n</QUESTION>\n"};
    static const std::vector<std::string> own[] = {
        {"preference="}, Split("recap=yes|recap=no|recap=ask"), AnswerKeys};
    std::string script;
    for (int b = 1 + static_cast<int>(random() % 6); b > 0; --b) {
        const int kind = std::min(2, static_cast<int>(random() % 5));
        script += open[kind];
        for (int n = kind == 2 ? static_cast<int>(random() % 4) : 0; n > 0; --n)
            script += RandomScriptLine(random, Split("type=|name=|text=")) + "\n";
        script += kind == 2 ? "<ANSWER>\n" : "";
        for (int n = static_cast<int>(random() % 5); n > 0; --n)
            script += RandomScriptLine(random, own[kind]) + (random() % 2 ? "\n" : "\r\n");
        if (random() % 16 != 0) script += close[kind];
    }
    return script;
}

class ScriptLoadTest : public kinpath::testing::ProgramTest {};

}  // namespace

TEST(ScriptParseEquivalence, BlocksMatchKeysTriedOneByOne) {
    std::mt19937 random(77031);
    int failedLoads = 0;
    ScriptDocument document;  // reused: every load starts from an empty document
    for (int round = 0; round < 600; ++round) {
        const std::string script = RandomScript(random);
        const LoadOutcome outcome = LoadScriptText(document, script);
        PlainDocument plain;
        const LoadOutcome expected = ReferenceParser(script).Load(plain);
        ASSERT_EQ(Dump(document), Dump(plain)) << script;
        ASSERT_TRUE(outcome.loaded == expected.loaded && outcome.errors == expected.errors)
            << script;
        failedLoads += !outcome.loaded;

        const CheckResult check = CheckScript(script);
        ASSERT_EQ(check.errors == 0, outcome.loaded) << script;
        if (!outcome.errors.empty()) {
            auto error = check.diagnostics.begin();
            while (error->severity != CheckSeverity::Error) ++error;
            EXPECT_EQ(error->windowLine, outcome.errors[0].line) << script;
        }
    }
    EXPECT_GT(failedLoads, 90);  // both outcomes were exercised
    EXPECT_LT(failedLoads, 510);
}

// Every key has a slot of its own; a point given again is set again, and an
// empty value leaves it (random scripts seldom repeat a key with a value).
TEST(ScriptDocument, EveryPointKeyHasASlotOfItsOwn) {
    std::string script = "<QUESTION>\n<ANSWER>\n";
    for (std::size_t i = 0; i < AnswerPointKeys.size(); ++i)
        script += std::string(AnswerPointKeys[i].key) + std::to_string(100 + i) + "\n";
    script += std::string(AnswerPointKeys[0].key) + "5\n" + AnswerPointKeys[1].key + "\n";
    ScriptDocument document;
    ASSERT_TRUE(LoadScriptText(document, script + "</ANSWER>\n</QUESTION>\n").loaded);
    PointValues points = document.Points(document.Answers(document.Questions()[0])[0]);
    for (std::size_t i = 0; i < AnswerPointKeys.size(); ++i) {
        EXPECT_EQ(std::exchange(points[AnswerPointKeys[i].slot], 0), i == 0 ? 5 : 100 + i)
            << AnswerPointKeys[i].key;
    }
    EXPECT_EQ(points, PointValues{});                  // High Elf has no key; no slot has two
    EXPECT_EQ(AnswerPointKeys[8].slot, SlotHalfElf);   // halfpts=
    EXPECT_EQ(AnswerPointKeys[4].slot, SlotHalfling);  // helfpts=
}

// The random scripts above all end in a line feed and seldom cut a line at
// its last character; and the messages' wording.
TEST(ScriptDocument, MessagesAndTheirLineNumbers) {
    const std::pair<std::string, std::vector<ScriptError>> cases[] = {
        // The text ending inside an ANSWER: the question reports it, after the
        // empty line that follows the final line feed.
        {"<QUESTION>\n<ANSWER>\ntype=1\n", {{EndExpected, 4}}},
        {"<QUESTION>\n<ANSWER>\ntype=1", {{EndExpected, 3}}},
        // An ANSWER that fails takes its question with it: two boxes.
        {"<QUESTION>\n<ANSWER>\ntype=1\nwarpts 5\n</ANSWER>\n", {{Undefined, 4}, {EndExpected, 4}}},
        {"<QUESTION>\nname=" + std::string(506, 'x') + "\nbad\n", {{Undefined, 4}}},
    };
    ScriptDocument document;
    for (const auto& [script, errors] : cases) {
        const LoadOutcome outcome = LoadScriptText(document, script);
        EXPECT_TRUE(!outcome.loaded && outcome.errors == errors) << script;
    }
    EXPECT_EQ(ScriptErrorText({Undefined, 12}), "Undefined symbol found, line 12");
    EXPECT_EQ(ScriptErrorText({Invalid, 3}), "Error line 3, invalid command");
    EXPECT_EQ(ScriptErrorText({EndExpected, 4294967297}),
              "End of script expected, line 4294967297");
}

TEST(ScriptDocument, PointValuesReadLikeStrtollClampedTo32Bits) {
    std::vector<std::string> values{
        "2147483647", "2147483648", "-2147483647", "-2147483648", "-2147483649",
        "",           " \t",        "+",           "-",           "-0",
        "+007",       "0x1F",       "4294967296",  "-4294967297", std::string(40, '9')};
    std::mt19937 random(4711);
    const std::string alphabet = " \t\v\f\n+-x0123456789";
    for (int round = 0; round < 4000; ++round) {
        std::string& value = values.emplace_back();
        for (int n = static_cast<int>(random() % 14); n > 0; --n)
            value.append(random() % 6 == 0 ? random() % 12 : 1,
                         alphabet[random() % alphabet.size()]);
    }
    for (const std::string& value : values) {
        const long long wide = std::strtoll(value.c_str(), nullptr, 10);
        EXPECT_EQ(ReadPointValue(value.c_str()), std::clamp<long long>(wide, INT32_MIN, INT32_MAX))
            << value;
    }
}

TEST_F(ScriptLoadTest, LoadsAFileAndClearsTheDocumentFirst) {
    ScriptDocument document;
    WriteScript("<QUESTION>\nname=Q\n</QUESTION>\n<SETTINGS>\n</SETTINGS>\n");
    ASSERT_TRUE(LoadScript(document).loaded);
    EXPECT_EQ(document.Text(document.Questions()[0].name), "Q");
    const LoadOutcome outcome = LoadScript(document, "missing.txt");
    EXPECT_FALSE(outcome.loaded || !outcome.errors.empty() || document.Settings());
    EXPECT_TRUE(document.Questions().empty());
}
