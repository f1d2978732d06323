#include <climits>
#include <initializer_list>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "flow/QuestionFlow.h"
#include "scoring/AnswerRecording.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "ui/ControlIds.h"

namespace kinpath {
namespace {

using testing::HeadlessDialog;

const char* const NoAnswerText = "Unable to find the proper answer data for that answer";

class AnswerRecordingTest : public testing::ProgramTest {
protected:
    // A question owned by the document, made current. Each answer gets the given
    // type (null: none) and, to tell them apart, Wizard points of 10 + its index.
    QuestionBlock& Ask(std::initializer_list<const char*> types) {
        auto question = std::make_unique<QuestionBlock>(&TheScriptDocument);
        int index = 0;
        for (const char* type : types) {
            auto answer = std::make_unique<AnswerBlock>(question.get());
            answer->SetType(type);
            answer->points[SlotWizard] = 10 + index++;
            question->AddAnswer(std::move(answer));
        }
        QuestionBlock& ref = *question;
        TheScriptDocument.AddQuestion(std::move(question));
        CurrentQuestion = &ref;
        return ref;
    }
    void Choose(int choice) {
        for (int k = 1; k <= ChoiceCount; ++k) dialog.SetChecked(IdChoice1 + k - 1, k == choice);
    }
    // The index of the answer recorded by the last RecordAnswer, -1 when none.
    int Recorded(const QuestionBlock& question) const {
        if (AnsweredList.empty()) return -1;
        for (std::size_t i = 0; i < question.answers.size(); ++i) {
            if (question.answers[i].get() == AnsweredList.back()) return static_cast<int>(i);
        }
        return -1;
    }
    // Records the choice afresh and tells which answer was taken.
    int RecordFresh(const QuestionBlock& question, int choice) {
        AnsweredList.clear();
        PointTotals.fill(0);
        Choose(choice);
        RecordAnswer(dialog);
        return Recorded(question);
    }
    void ExpectOneNoAnswerBox() {
        ASSERT_EQ(dialog.boxes.size(), 1u);
        EXPECT_EQ(dialog.boxes[0].text, NoAnswerText);
        EXPECT_EQ(dialog.boxes[0].caption, "Error");
        EXPECT_EQ(dialog.boxes[0].owner, BoxOwner::Dialog);
        EXPECT_EQ(dialog.boxes[0].buttons, BoxButtons::Ok);
    }

    HeadlessDialog dialog;
};

TEST_F(AnswerRecordingTest, SelectedChoiceIsTheFirstCheckedButton) {
    EXPECT_EQ(SelectedChoice(dialog), 0);
    dialog.SetChecked(IdChoice1 + 7, true);
    EXPECT_EQ(SelectedChoice(dialog), 8);
    dialog.SetChecked(IdChoice1 + 2, true);
    EXPECT_EQ(SelectedChoice(dialog), 3);
}

TEST_F(AnswerRecordingTest, YesAndNoStandForTheFirstTwoChoices) {
    QuestionBlock& q = Ask({"yes", "no"});
    EXPECT_EQ(RecordFresh(q, 1), 0);
    EXPECT_EQ(PointTotals[SlotWizard], 10);
    EXPECT_EQ(RecordFresh(q, 2), 1);
    EXPECT_EQ(PointTotals[SlotWizard], 11);
    EXPECT_EQ(RecordFresh(q, 3), -1);  // no alias beyond choice 2

    QuestionBlock& upper = Ask({"No", "YES"});
    EXPECT_EQ(RecordFresh(upper, 1), 1);
    EXPECT_EQ(RecordFresh(upper, 2), 0);
}

TEST_F(AnswerRecordingTest, NumberTextsAndFirstMatchWins) {
    QuestionBlock& numbers = Ask({"2", "1", "3"});
    EXPECT_EQ(RecordFresh(numbers, 1), 1);
    EXPECT_EQ(RecordFresh(numbers, 3), 2);

    // The alias answer stands first, so it wins over the later "1".
    QuestionBlock& mixed = Ask({"yes", "1"});
    EXPECT_EQ(RecordFresh(mixed, 1), 0);
    EXPECT_EQ(mixed.answerCursor, 0u);

    QuestionBlock& aliasOnly = Ask({"yes", "no", "3"});
    EXPECT_EQ(RecordFresh(aliasOnly, 3), 2);
    EXPECT_EQ(aliasOnly.answerCursor, 2u);
    EXPECT_TRUE(dialog.boxes.empty());
}

TEST_F(AnswerRecordingTest, WholeTextComparison) {
    QuestionBlock& q = Ask({"01", " 1", "1 ", "yess", "1"});
    EXPECT_EQ(RecordFresh(q, 1), 4);
    QuestionBlock& none = Ask({"01", " 1", "y"});
    EXPECT_EQ(RecordFresh(none, 1), -1);
    ExpectOneNoAnswerBox();
}

TEST_F(AnswerRecordingTest, UntypedAnswerIsPassedOver) {
    QuestionBlock& q = Ask({nullptr, "2"});
    EXPECT_EQ(RecordFresh(q, 2), 1);
    EXPECT_EQ(q.answerCursor, 1u);
    EXPECT_TRUE(dialog.boxes.empty());
}

TEST_F(AnswerRecordingTest, MissingAnswerShowsOneBoxAndChangesNothing) {
    QuestionBlock& q = Ask({"1", "2", "3"});
    PointTotals[SlotWizard] = 7;
    AnsweredList.push_back(q.answers[0].get());
    Choose(4);
    RecordAnswer(dialog);
    ExpectOneNoAnswerBox();
    EXPECT_EQ(PointTotals[SlotWizard], 7);
    EXPECT_EQ(AnsweredList.size(), 1u);
}

TEST_F(AnswerRecordingTest, QuestionWithoutAnswersShowsTheBox) {
    Ask({});
    Choose(1);
    RecordAnswer(dialog);
    ExpectOneNoAnswerBox();
    EXPECT_TRUE(AnsweredList.empty());
}

TEST_F(AnswerRecordingTest, NothingCheckedOrNoQuestionIsSilent) {
    Ask({"1"});
    RecordAnswer(dialog);
    CurrentQuestion = nullptr;
    Choose(1);
    RecordAnswer(dialog);
    EXPECT_TRUE(dialog.boxes.empty());
    EXPECT_TRUE(AnsweredList.empty());
    EXPECT_EQ(PointTotals, PointValues{});
}

TEST_F(AnswerRecordingTest, AddsAll31ValuesAndAppendsInAnsweringOrder) {
    QuestionBlock& first = Ask({"1"});
    for (int k = 0; k < PointSlotCount; ++k) first.answers[0]->points[k] = k + 1;
    first.answers[0]->points[SlotTroll] = -4;
    Choose(1);
    RecordAnswer(dialog);
    QuestionBlock& second = Ask({"yes"});
    second.answers[0]->points = first.answers[0]->points;
    RecordAnswer(dialog);

    for (int k = 0; k < PointSlotCount; ++k) {
        EXPECT_EQ(PointTotals[k], k == SlotTroll ? -8 : 2 * (k + 1)) << "slot " << k;
    }
    ASSERT_EQ(AnsweredList.size(), 2u);
    EXPECT_EQ(AnsweredList[0], first.answers[0].get());
    EXPECT_EQ(AnsweredList[1], second.answers[0].get());
}

TEST_F(AnswerRecordingTest, TotalsWrapAround) {
    QuestionBlock& q = Ask({"1"});
    q.answers[0]->points[SlotOgre] = 1;
    q.answers[0]->points[SlotEvil] = -1;
    q.answers[0]->points[SlotGood] = INT32_MIN;
    PointTotals[SlotOgre] = INT32_MAX;
    PointTotals[SlotEvil] = INT32_MIN;
    PointTotals[SlotGood] = INT32_MIN;
    Choose(1);
    RecordAnswer(dialog);
    EXPECT_EQ(PointTotals[SlotOgre], INT32_MIN);
    EXPECT_EQ(PointTotals[SlotEvil], INT32_MAX);
    EXPECT_EQ(PointTotals[SlotGood], 0);
}

// The road of one answer, from the script file to the totals.
TEST_F(AnswerRecordingTest, AnswerFromALoadedScript) {
    WriteScript(
        "<QUESTION>\n"
        "name=Do you like to fight up close?\n"
        "text=Yes\n"
        "text=No\n"
        "<ANSWER>\n"
        "type=1\n"
        "explanationtext=You like to fight up close.\n"
        "warpts=5\n"
        "ogrepts=2\n"
        "</ANSWER>\n"
        "<ANSWER>\n"
        "type=no\n"
        "wizpts=5\n"
        "necpts=-3\n"
        "</ANSWER>\n"
        "</QUESTION>\n");
    ASSERT_EQ(OpenScript(TheScriptDocument), 1);
    ASSERT_NE(TheScriptDocument.Parse(nullptr), -1);
    ASSERT_EQ(TheScriptDocument.questions.size(), 1u);
    CurrentQuestion = TheScriptDocument.questions[0].get();
    Choose(2);
    RecordAnswer(dialog);
    PointValues expected{};
    expected[SlotWizard] = 5;
    expected[SlotNecromancer] = -3;
    EXPECT_EQ(PointTotals, expected);
    ASSERT_EQ(AnsweredList.size(), 1u);
    EXPECT_FALSE(AnsweredList[0]->explanation.has_value());
}

}  // namespace
}  // namespace kinpath
