#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"

using namespace kinpath;

namespace {

class ScriptDocumentTest : public kinpath::testing::ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ScriptErrorView = &dialog;
    }

    // Writes the script, opens and parses it into `document`; the Parse result.
    int Load(const std::string& script) {
        WriteScript(script);
        document.Clear();
        if (OpenScript(document) != 1) return 99;
        return document.Parse(nullptr);
    }

    // The ScriptError texts shown so far.
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& box : dialog.boxes) {
            EXPECT_EQ(box.caption, "ScriptError");
            EXPECT_EQ(box.owner, BoxOwner::None);
            texts.push_back(box.text);
        }
        return texts;
    }

    // The one answer of a script holding a single question with that ANSWER body.
    const AnswerBlock& OneAnswer(const std::string& body) {
        EXPECT_EQ(Load("<QUESTION>\n<ANSWER>\n" + body + "</ANSWER>\n</QUESTION>\n"), 0);
        static const AnswerBlock none(nullptr);
        if (document.questions.size() != 1 || document.questions[0]->answers.size() != 1)
            return none;
        return *document.questions[0]->answers[0];
    }

    kinpath::testing::HeadlessDialog dialog;
    ScriptDocument document;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(ScriptDocumentTest, ExampleScript) {
    // Indentation, comments and blank lines may stand anywhere.
    ASSERT_EQ(Load("# comment\n<SETTINGS>\npreference=classoverrace\n</SETTINGS>\n\n"
                   "  <QUESTION>\n  name=Do you like to fight up close?\n  text=Yes\n  text=No\n"
                   "  <ANSWER>\n    type=1\n    explanationtext=You like to fight up close.\n"
                   "    warpts=5\n    ogrepts=2\n  </ANSWER>\n"
                   "  <ANSWER>\n    type=no\n    wizpts=5\n  </ANSWER>\n"
                   "</QUESTION>\n<FINAL>\nrecap=ask\n</FINAL>\n"),
              0);
    EXPECT_TRUE(dialog.boxes.empty());
    ASSERT_NE(document.settings, nullptr);
    EXPECT_EQ(document.settings->Preference, 1);
    ASSERT_NE(document.final, nullptr);
    EXPECT_EQ(document.final->RecapMode, 2);
    ASSERT_EQ(document.questions.size(), 1u);
    const QuestionBlock& q = *document.questions[0];
    EXPECT_EQ(q.name, "Do you like to fight up close?");
    EXPECT_EQ(q.type, std::nullopt);
    EXPECT_EQ(q.choices, (Strings{"Yes", "No"}));
    ASSERT_EQ(q.answers.size(), 2u);
    PointValues first{};
    first[SlotWarrior] = 5;
    first[SlotOgre] = 2;
    EXPECT_EQ(q.answers[0]->type, "1");
    EXPECT_EQ(q.answers[0]->explanation, "You like to fight up close.");
    EXPECT_EQ(q.answers[0]->points, first);
    PointValues second{};
    second[SlotWizard] = 5;
    EXPECT_EQ(q.answers[1]->type, "no");
    EXPECT_EQ(q.answers[1]->explanation, std::nullopt);
    EXPECT_EQ(q.answers[1]->points, second);
}

TEST_F(ScriptDocumentTest, EmptyScriptsAndIgnoredTopLevelLines) {
    EXPECT_EQ(Load(""), 0);
    EXPECT_EQ(Load("# only\n\n   \t\n# comments\n"), 0);
    EXPECT_EQ(document.settings, nullptr);
    EXPECT_EQ(document.final, nullptr);
    EXPECT_TRUE(document.questions.empty());
    // A stray ANSWER block, key lines and end tags at the top level mean nothing.
    EXPECT_EQ(Load("<ANSWER>\ntype=1\nbogus\n</ANSWER>\n</QUESTION>\nname=x\n"), 0);
    EXPECT_TRUE(document.questions.empty());
    EXPECT_TRUE(dialog.boxes.empty());
    document.Clear();
    EXPECT_EQ(document.Parse(nullptr), -1);  // no file open
}

TEST_F(ScriptDocumentTest, LaterSettingsAndFinalBlocksReplaceEarlierOnes) {
    ASSERT_EQ(Load("<SETTINGS>\npreference=raceoverclass\n</SETTINGS>\n"
                   "<FINAL>\nrecap=no\n</FINAL>\n"
                   "<settings>\n</settings>\n"
                   "<Final>\nrecap=YES\n</Final>\n"
                   "<QUESTION>\nname=after\n</QUESTION>\n"),
              0);
    EXPECT_EQ(document.settings->Preference, 1);  // the new block's default
    EXPECT_EQ(document.final->RecapMode, 0);
    ASSERT_EQ(document.questions.size(), 1u);  // reading went on after the replacement
    EXPECT_EQ(document.questions[0]->name, "after");
}

TEST_F(ScriptDocumentTest, SettingsAndFinalValues) {
    Load("<SETTINGS>\npreference= classoverrace\n</SETTINGS>\n");
    EXPECT_EQ(document.settings->Preference, 0);  // the blank is part of the value
    Load("<SETTINGS>\nPreference=ClassOverRace   \n</SETTINGS>\n");
    EXPECT_EQ(document.settings->Preference, 1);
    Load("<SETTINGS>\npreference=\n</SETTINGS>\n");
    EXPECT_EQ(document.settings->Preference, 0);
    Load("<FINAL>\nrecap=ASK\n</FINAL>\n");
    EXPECT_EQ(document.final->RecapMode, 2);
}

TEST_F(ScriptDocumentTest, QuestionKeyOrder) {
    ASSERT_EQ(Load("<QUESTION>\n"
                   "name=Which type=of hero?\n"
                   "explanationtext=Fast\n"
                   "text=\n"
                   "TEXT=Slow\n"
                   "A text=b text=c\n"
                   "</QUESTION>\n"
                   "<QUESTION>\n"
                   "name=Which Type=of hero?\n"
                   "name=\n"
                   "name=Second\n"
                   "</QUESTION>\n"),
              0);
    const QuestionBlock& q = *document.questions[0];
    EXPECT_EQ(q.type, "of hero?");
    EXPECT_EQ(q.name, std::nullopt);
    EXPECT_EQ(q.choices, (Strings{"Fast", "Slow", "b text=c"}));
    // An empty value clears; the next one replaces.
    EXPECT_EQ(document.questions[1]->name, "Second");
}

TEST_F(ScriptDocumentTest, AnswerKeyOrderAndSlots) {
    const AnswerBlock& a = OneAnswer(
        "barbpts=3 trollpts=5\n"
        "halfpts=4\nhelfpts=6\n"
        "explanationtext=say type=2\n"
        "Explanationtext=Why\n"
        "wizpts=1\nwizpts=7\nwizpts=\n"
        "necpts=8\nmonkpts=9\n");
    EXPECT_EQ(a.points[SlotTroll], 5);
    EXPECT_EQ(a.points[SlotBarbarian], 0);
    EXPECT_EQ(a.points[SlotHalfElf], 4);
    EXPECT_EQ(a.points[SlotHalfling], 6);
    EXPECT_EQ(a.points[SlotHighElf], 0);
    EXPECT_EQ(a.type, "2");
    EXPECT_EQ(a.explanation, "Why");
    EXPECT_EQ(a.points[SlotWizard], 7);
    EXPECT_EQ(a.points[18], 8);  // Necromancer before Monk
    EXPECT_EQ(a.points[19], 9);

    // Every point key reaches its own slot.
    std::string body;
    for (int i = 0; i < 30; ++i)
        body += std::string(AnswerPointKeys[i].key) + std::to_string(100 + i) + "\n";
    const AnswerBlock& all = OneAnswer(body);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(all.points[AnswerPointKeys[i].slot], 100 + i);
    EXPECT_EQ(all.points[SlotHighElf], 0);
}

TEST_F(ScriptDocumentTest, PointValuesReadLikeAtoiAndClamp) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"abc", 0},           {"5x", 5},
        {"-3", -3},           {"+7", 7},
        {"\v\f 12", 12},      {"- 4", 0},
        {"007", 7},           {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"99999999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-99999999999999999999999", INT32_MIN},
    };
    for (const auto& [value, expected] : cases) {
        AnswerBlock answer(nullptr);
        answer.SetPoint("11", SlotGnome);
        answer.SetPoint(value, SlotGnome);
        EXPECT_EQ(answer.points[SlotGnome], expected) << value;
        answer.SetPoint("", SlotGnome);
        EXPECT_EQ(answer.points[SlotGnome], expected);
    }
}

TEST_F(ScriptDocumentTest, MessagesCarryTheirLineNumbers) {
    struct Case {
        std::string script;
        Strings messages;
    };
    const Case cases[] = {
        {"<SETTINGS>\n# c\nbogus\n</SETTINGS>\n", {"Undefined symbol found, line 3"}},
        {"<FINAL>\nrecap=maybe\n</FINAL>\n", {"Undefined symbol found, line 2"}},
        {"<FINAL>\nrecap =yes\n", {"Undefined symbol found, line 2"}},
        {"<QUESTION>\nname=a\ncolour=red\n", {"Undefined symbol found, line 3"}},
        {"<QUESTION>\nsome text here\n", {"Error line 2, invalid command"}},
        {"<QUESTION>\n<QUESTION>\n", {"Undefined symbol found, line 2"}},
        {"<QUESTION>\n<ANSWER>\ntype=1\nwarpts 5\n</ANSWER>\n",
         {"Undefined symbol found, line 4", "End of script expected, line 4"}},
        // The file ending inside an ANSWER: the question still reports it.
        {"<QUESTION>\n<ANSWER>\ntype=1\n", {"End of script expected, line 4"}},
        {"<QUESTION>\n<ANSWER>\ntype=1", {"End of script expected, line 3"}},
        // Pieces of an over-long line count as lines.
        {"<QUESTION>\nname=" + std::string(600, 'x') + "\nbad\n",
         {"Undefined symbol found, line 3"}},
        {"<QUESTION>\nname=" + std::string(506, 'x') + "\nbad\n",
         {"Undefined symbol found, line 4"}},
    };
    for (const Case& c : cases) {
        dialog.boxes.clear();
        EXPECT_EQ(Load(c.script), -1) << c.script;
        EXPECT_EQ(Messages(), c.messages) << c.script;
    }
}

TEST_F(ScriptDocumentTest, EndOfFileInsideABlockFailsSilently) {
    for (const char* script : {"<SETTINGS>\npreference=x\n", "<FINAL>\n", "<QUESTION>\nname=a\n",
                               "<QUESTION>\n<ANSWER>\n</ANSWER>\n"}) {
        EXPECT_EQ(Load(script), -1) << script;
    }
    EXPECT_TRUE(dialog.boxes.empty());
}

TEST_F(ScriptDocumentTest, FailedLoadKeepsWhatWasRead) {
    ASSERT_EQ(Load("<QUESTION>\nname=first\n</QUESTION>\n"
                   "<QUESTION>\nname=second\ntext=a\n<ANSWER>\ntype=1\n</ANSWER>\n"
                   "<ANSWER>\ntype=2\nnope\n</ANSWER>\n</QUESTION>\n"
                   "<QUESTION>\nname=never\n</QUESTION>\n"),
              -1);
    ASSERT_EQ(document.questions.size(), 2u);
    EXPECT_EQ(document.questions[1]->name, "second");
    EXPECT_EQ(document.questions[1]->answers.size(), 1u);  // the failed answer is gone
}

TEST_F(ScriptDocumentTest, ClearEmptiesTheGlobalDocument) {
    WriteScript("<QUESTION>\n<ANSWER>\ntype=1\n</ANSWER>\n</QUESTION>\n<SETTINGS>\n</SETTINGS>\n");
    ASSERT_EQ(OpenScript(TheScriptDocument), 1);
    ASSERT_EQ(TheScriptDocument.Parse(nullptr), 0);
    AnsweredList.push_back(TheScriptDocument.questions[0]->answers[0].get());
    TheScriptDocument.Clear();
    EXPECT_TRUE(AnsweredList.empty());
    EXPECT_TRUE(TheScriptDocument.questions.empty());
    EXPECT_EQ(TheScriptDocument.settings, nullptr);
    EXPECT_EQ(TheScriptDocument.file, nullptr);
    EXPECT_EQ(CurrentLine, 0);
}
