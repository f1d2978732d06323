// The block parsers find keys in one pass over a line. This holds them to the
// plain rule on random scripts: each line trimmed, its key part lowered, and
// the keys tried one by one with FindKey in test order, the first found wins.
// The checker, which reads that plain way, must agree on what loads.
#include <algorithm>
#include <cctype>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "authoring/ScriptCheck.h"
#include "script/PointSlot.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"

using namespace kinpath;

namespace {

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> items;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, '|');) items.push_back(item);
    return items;
}

// The document's contents as text, for comparing two documents.
std::string Dump(const ScriptDocument& document) {
    std::ostringstream out;
    const auto text = [](const ScriptText& t) { return t ? "[" + *t + "]" : "-"; };
    if (document.settings) out << "settings " << static_cast<int>(document.settings->preference);
    if (document.final) out << " final " << static_cast<int>(document.final->recap);
    for (const auto& question : document.questions) {
        out << "\nquestion " << text(question->type) << text(question->name);
        for (const std::string& choice : question->choices) out << " choice" << text(choice);
        for (const auto& answer : question->answers) {
            out << "\n  answer " << text(answer->type) << text(answer->explanation);
            for (int points : answer->points) out << ' ' << points;
        }
    }
    return out.str();
}

// Parses the plain way into a document of its own.
class ReferenceParser {
public:
    explicit ReferenceParser(std::string bytes) : lines_(std::move(bytes)) {}

    LoadOutcome Load(ScriptDocument& doc) {
        char line[LineBufferSize];
        bool loaded = true;
        while (loaded && Next(line)) {
            const TagEntry* tag = FindTag(line, BlockTags);
            if (tag == nullptr) continue;
            if (tag->id == static_cast<int>(BlockTag::Question)) {
                loaded = Question(tag->name, *doc.questions.emplace_back(new QuestionBlock));
            } else if (tag->id == static_cast<int>(BlockTag::Settings)) {
                doc.settings = std::make_unique<SettingsBlock>();
                loaded = Block(tag->name, [&](const char* line) {
                    const char* value = FindKey(line, "preference=");
                    if (value == nullptr) return Error(ScriptMessage::UndefinedSymbol);
                    // ClassOverRace is 1, RaceOverClass 0.
                    doc.settings->preference =
                        static_cast<Preference>(SameText(value, "classoverrace"));
                    return true;
                });
            } else {
                doc.final = std::make_unique<FinalBlock>();
                loaded = Block(tag->name, [&](const char* line) {
                    const char* value = FindKey(line, "recap=");
                    int mode = 0;
                    while (mode < 3 && !SameText(value, Split("yes|no|ask")[mode].c_str())) ++mode;
                    if (mode == 3) return Error(ScriptMessage::UndefinedSymbol);
                    doc.final->recap = static_cast<RecapMode>(mode);
                    return true;
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

    static bool Assign(ScriptText& text, const char* value) {
        text = value[0] != '\0' ? ScriptText(value) : std::nullopt;
        return true;
    }

    bool Question(const char* name, QuestionBlock& question) {
        return Block(name, [&](const char* line) {
            if (const TagEntry* tag = FindTag(line, AnswerTags)) {  // lowering keeps a tag
                auto answer = std::make_unique<AnswerBlock>();
                if (!Answer(tag->name, *answer)) return Error(ScriptMessage::EndOfScriptExpected);
                question.answers.push_back(std::move(answer));
                return true;
            }
            if (const char* value = FindKey(line, "type=")) return Assign(question.type, value);
            if (const char* value = FindKey(line, "name=")) return Assign(question.name, value);
            if (FindKey(line, "text") == nullptr) return Error(ScriptMessage::UndefinedSymbol);
            const char* choice = FindKey(line, "text=");
            if (choice == nullptr) return Error(ScriptMessage::InvalidCommand);
            if (choice[0] != '\0') question.choices.emplace_back(choice);
            return true;
        });
    }

    bool Answer(const char* name, AnswerBlock& answer) {
        return Block(name, [&](const char* line) {
            if (const char* value = FindKey(line, "type=")) return Assign(answer.type, value);
            if (const char* value = FindKey(line, "explanationtext=")) {
                return Assign(answer.explanation, value);
            }
            for (const PointKey& key : AnswerPointKeys) {
                if (const char* number = FindKey(line, key.key)) {
                    if (number[0] != '\0') answer.points[key.slot] = ReadPointValue(number);
                    return true;
                }
            }
            return Error(ScriptMessage::UndefinedSymbol);
        });
    }

    ScriptLines lines_;
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
        for (int n = kind == 2 ? static_cast<int>(random() % 4) : 0; n > 0; --n) {
            script += RandomScriptLine(random, Split("type=|name=|text=")) + "\n";
        }
        script += kind == 2 ? "<ANSWER>\n" : "";
        for (int n = static_cast<int>(random() % 5); n > 0; --n) {
            script += RandomScriptLine(random, own[kind]) + (random() % 2 ? "\n" : "\r\n");
        }
        if (random() % 16 != 0) script += close[kind];
    }
    return script;
}

}  // namespace

TEST(ScriptParseEquivalence, BlocksMatchKeysTriedOneByOne) {
    std::mt19937 random(77031);
    int failedLoads = 0;
    ScriptDocument document;  // reused: every load starts from an empty document
    for (int round = 0; round < 600; ++round) {
        const std::string script = RandomScript(random);
        const LoadOutcome outcome = LoadScriptText(document, script);
        ScriptDocument plain;
        const LoadOutcome expected = ReferenceParser(script).Load(plain);
        ASSERT_EQ(Dump(document), Dump(plain)) << script;
        ASSERT_EQ(outcome.loaded, expected.loaded) << script;
        ASSERT_EQ(outcome.errors, expected.errors) << script;
        failedLoads += !outcome.loaded;

        const CheckResult check = CheckScript(script);
        ASSERT_EQ(check.errors == 0, outcome.loaded) << script;
        if (!outcome.errors.empty()) {
            auto error = check.diagnostics.begin();
            while (error->severity != CheckSeverity::Error) ++error;
            EXPECT_EQ(error->line, outcome.errors[0].line) << script;
        }
    }
    EXPECT_GT(failedLoads, 90);  // both outcomes were exercised
    EXPECT_LT(failedLoads, 510);
}
