#include <vector>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "flow/QuestionFlow.h"
#include "scoring/AnswerRecording.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"
#include "window/ControlIds.h"

namespace kinpath {
namespace {

using testing::HeadlessDialog;

const char* const NoAnswerText = "Unable to find the proper answer data for that answer";

class AnswerRecordingTest : public testing::ProgramTest {
protected:
    // A question owned by the document, made current. Each answer gets the given
    // type (null: none) and, to tell them apart, Wizard points of 10 + its index.
    QuestionBlock& Ask(const std::vector<const char*>& types) {
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

// Which answer a choice records: number and alias texts, whole-text and
// ASCII-case-blind comparison, the first match in script order.
TEST_F(AnswerRecordingTest, ChoiceRecordsTheFirstAnswerMatchingItsNumberOrAlias) {
    struct Case {
        std::vector<const char*> types;  // null: no type= line
        int choice;
        int recorded;  // answer index, -1: none
    };
    const Case cases[] = {
        {{"yes", "no"}, 1, 0},           {{"yes", "no"}, 2, 1},
        {{"yes", "no"}, 3, -1},          // no alias beyond choice 2
        {{"No", "YES"}, 1, 1},           {{"No", "Yes"}, 2, 0},
        {{"2", "1", "3"}, 1, 1},         {{"2", "1", "3"}, 3, 2},
        {{"yes", "1"}, 1, 0},            // the alias answer stands first and wins
        {{"yes", "no", "3"}, 3, 2},
        {{"01", " 1", "1 ", "yess", "1"}, 1, 4},
        {{"01", " 1", "y"}, 1, -1},
        {{nullptr, "2"}, 2, 1},          // an untyped answer is passed over
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "choice " << c.choice << " of " << c.types.size() << " answers, first "
                                          << (c.types[0] ? c.types[0] : "(none)"));
        dialog.boxes.clear();
        QuestionBlock& q = Ask(c.types);
        EXPECT_EQ(RecordFresh(q, c.choice), c.recorded);
        if (c.recorded >= 0) {
            EXPECT_EQ(q.answerCursor, static_cast<std::size_t>(c.recorded));
            EXPECT_EQ(PointTotals[SlotWizard], 10 + c.recorded);
            EXPECT_TRUE(dialog.boxes.empty());
        } else {
            ExpectOneNoAnswerBox();
        }
    }
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

    dialog.boxes.clear();
    Ask({});  // a question without answers
    RecordAnswer(dialog);
    ExpectOneNoAnswerBox();
    EXPECT_EQ(AnsweredList.size(), 1u);
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

}  // namespace
}  // namespace kinpath
