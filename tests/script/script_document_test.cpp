// The script tree: what a load gives, the messages that refuse a script, and
// the value rules the block parsers share. Key order on random lines is held
// to a reference in script_parse_equivalence_test.cpp.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "script/ScriptDocument.h"

using namespace kinpath;

namespace {

constexpr auto Undefined = ScriptMessage::UndefinedSymbol;
constexpr auto Invalid = ScriptMessage::InvalidCommand;
constexpr auto EndExpected = ScriptMessage::EndOfScriptExpected;

class ScriptLoadTest : public kinpath::testing::ProgramTest {};

}  // namespace

TEST(ScriptDocument, ExampleScript) {
    // Lines between blocks mean nothing; of two keys in a line, the one tested
    // first wins wherever it stands.
    ScriptDocument document;
    const LoadOutcome outcome = LoadScriptText(
        document,
        "# comment\n<SETTINGS>\npreference=raceoverclass\n</SETTINGS>\n\n"
        "  <QUESTION>\n  name=Do you like to fight up close?\n  text=Yes\n\ttext=No\n"
        "  <ANSWER>\n    type=1\n    explanationtext=Close.\n    warpts=5\n    OGREPTS=2\n"
        "barbpts=1 humanpts=3\n  </ANSWER>\n"
        "  <answer>\n    type=no\n    wizpts=5\n  </Answer>\n</QUESTION>\n<FINAL>\nrecap=ask\n</FINAL>\n"
        "<ANSWER>\nstray=1\n</ANSWER>\n</QUESTION>\nname=x\n");
    ASSERT_TRUE(outcome.loaded && outcome.errors.empty());
    EXPECT_EQ(document.settings->preference, Preference::RaceOverClass);
    EXPECT_EQ(document.final->recap, RecapMode::Ask);
    ASSERT_EQ(document.questions.size(), 1u);
    const QuestionBlock& q = *document.questions[0];
    EXPECT_EQ(q.name, "Do you like to fight up close?");
    EXPECT_EQ(q.type, std::nullopt);
    EXPECT_EQ(q.choices, (std::vector<std::string>{"Yes", "No"}));
    ASSERT_EQ(q.answers.size(), 2u);
    EXPECT_EQ(q.answers[0]->type, "1");
    EXPECT_EQ(q.answers[0]->explanation, "Close.");
    EXPECT_EQ(q.answers[1]->type, "no");
    EXPECT_EQ(q.answers[1]->explanation, std::nullopt);
    PointValues points{};
    points[SlotWarrior] = 5;
    points[SlotOgre] = 2;
    points[SlotBarbarian] = 1;
    EXPECT_EQ(q.answers[0]->points, points);

    // A new block starts from the defaults.
    ASSERT_TRUE(LoadScriptText(document, "<SETTINGS>\n</SETTINGS>\n<FINAL>\n</FINAL>\n").loaded);
    EXPECT_EQ(document.settings->preference, Preference::ClassOverRace);
    EXPECT_EQ(document.final->recap, RecapMode::Yes);
    EXPECT_TRUE(document.questions.empty());
}

TEST(ScriptDocument, EveryPointKeyHasASlotOfItsOwn) {
    std::string script = "<QUESTION>\n<ANSWER>\n";
    for (std::size_t i = 0; i < AnswerPointKeys.size(); ++i) {
        script += std::string(AnswerPointKeys[i].key) + std::to_string(100 + i) + "\n";
    }
    ScriptDocument document;
    ASSERT_TRUE(LoadScriptText(document, script + "</ANSWER>\n</QUESTION>\n").loaded);
    PointValues points = document.questions[0]->answers[0]->points;
    for (std::size_t i = 0; i < AnswerPointKeys.size(); ++i) {
        EXPECT_EQ(std::exchange(points[AnswerPointKeys[i].slot], 0), 100 + i)
            << AnswerPointKeys[i].key;
    }
    EXPECT_EQ(points, PointValues{});                  // High Elf has no key; no slot has two
    EXPECT_EQ(AnswerPointKeys[8].slot, SlotHalfElf);   // halfpts=
    EXPECT_EQ(AnswerPointKeys[4].slot, SlotHalfling);  // helfpts=
}

TEST(ScriptDocument, MessagesAndTheirLineNumbers) {
    const std::pair<std::string, std::vector<ScriptError>> cases[] = {
        {"<SETTINGS>\n# c\nbogus\n</SETTINGS>\n", {{Undefined, 3}}},
        {"<FINAL>\nrecap=maybe\n</FINAL>\n", {{Undefined, 2}}},
        {"<QUESTION>\nsome text here\n", {{Invalid, 2}}},
        {"<QUESTION>\n<QUESTION>\n", {{Undefined, 2}}},
        // An ANSWER that fails takes its question with it: two boxes.
        {"<QUESTION>\n<ANSWER>\ntype=1\nwarpts 5\n</ANSWER>\n", {{Undefined, 4}, {EndExpected, 4}}},
        // The text ending inside an ANSWER: the question reports it, after the
        // empty line that follows the final line feed.
        {"<QUESTION>\n<ANSWER>\ntype=1\n", {{EndExpected, 4}}},
        {"<QUESTION>\n<ANSWER>\ntype=1", {{EndExpected, 3}}},
        // Pieces of an over-long line count as lines.
        {"<QUESTION>\nname=" + std::string(600, 'x') + "\nbad\n", {{Undefined, 3}}},
        {"<QUESTION>\nname=" + std::string(506, 'x') + "\nbad\n", {{Undefined, 4}}},
        {"<QUESTION>\r\nname=a\r\n\r\n\xEF\xBB\xBF\r\n", {{Undefined, 4}}},
        // No boxes when the text ends inside a block.
        {"<SETTINGS>\npreference=x\n", {}},
        {"<FINAL>\n", {}},
        {"<QUESTION>\nname=a\n", {}},
        {"<QUESTION>\n<ANSWER>\n</ANSWER>\n", {}},
    };
    for (const auto& [script, errors] : cases) {
        ScriptDocument document;
        const LoadOutcome outcome = LoadScriptText(document, script);
        EXPECT_FALSE(outcome.loaded) << script;
        EXPECT_EQ(outcome.errors, errors) << script;
    }
    EXPECT_EQ(ScriptErrorText({Undefined, 12}), "Undefined symbol found, line 12");
    EXPECT_EQ(ScriptErrorText({Invalid, 3}), "Error line 3, invalid command");
    EXPECT_EQ(ScriptErrorText({EndExpected, 4294967297}),
              "End of script expected, line 4294967297");
}

TEST(ScriptDocument, PointValuesReadLikeStrtollClampedTo32Bits) {
    std::vector<std::string> values{"2147483647", "2147483648", "-2147483647", "-2147483648",
                                    "-2147483649"};
    std::mt19937 random(4711);
    const std::string alphabet = " \t\v\f\n+-x0123456789";
    for (int round = 0; round < 4000; ++round) {
        std::string& value = values.emplace_back();
        for (int n = static_cast<int>(random() % 14); n > 0; --n) {
            value.append(random() % 6 == 0 ? random() % 12 : 1,
                         alphabet[random() % alphabet.size()]);
        }
    }
    for (const std::string& value : values) {
        const long long wide = std::strtoll(value.c_str(), nullptr, 10);
        EXPECT_EQ(ReadPointValue(value.c_str()), std::clamp<long long>(wide, INT32_MIN, INT32_MAX))
            << value;
    }
}

TEST(ScriptDocument, TypeMatchesChoiceByNumberOrYesNo) {
    const auto matches = [](const char* type, int choice) {
        return TypeMatchesChoice(type != nullptr ? ScriptText(type) : std::nullopt, choice);
    };
    for (int choice = 1; choice <= 10; ++choice) {
        const std::string number = std::to_string(choice);
        EXPECT_TRUE(matches(number.c_str(), choice));
        EXPECT_FALSE(matches(number.c_str(), choice + 1));
        EXPECT_FALSE(matches(("0" + number).c_str(), choice) ||
                     matches((number + " ").c_str(), choice));
        EXPECT_EQ(matches("YES", choice), choice == 1);
        EXPECT_EQ(matches("no", choice), choice == 2);
        EXPECT_FALSE(matches("y", choice) || matches("yes ", choice) || matches(nullptr, choice));
    }
}

TEST_F(ScriptLoadTest, LoadsAFileAndClearsTheDocumentFirst) {
    ScriptDocument document;
    WriteScript("\xEF\xBB\xBF<QUESTION>\nname=Q\n</QUESTION>\n<SETTINGS>\n</SETTINGS>\n");
    ASSERT_TRUE(LoadScript(document).loaded);
    EXPECT_EQ(document.questions.at(0)->name, "Q");
    for (const char* path : {"missing.txt", "."}) {  // no file, a directory
        const LoadOutcome outcome = LoadScript(document, path);
        EXPECT_FALSE(outcome.loaded || !outcome.errors.empty() || document.settings);
        EXPECT_TRUE(document.questions.empty());
    }
}
