// What one run of the questionnaire has scored and where it stands: the
// answers, the totals, the tables and the question. Sessions may share one
// loaded document, which none of them changes, and never meet otherwise.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "scoring/BestPick.h"
#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"

namespace kinpath {

class Session {
public:
    // A session on an empty document.
    Session();
    explicit Session(std::shared_ptr<const ScriptDocument> document);

    // Starts a run afresh, as a new start of the program would: no answers,
    // totals 0, tables in their initial order, no question yet.
    void StartRun();
    // The same on another document.
    void StartRun(std::shared_ptr<const ScriptDocument> document);

    const ScriptDocument& Document() const { return *document_; }

    // The sums of the points of the answers chosen, and those answers in
    // answering order (the blocks stay the document's).
    const PointValues& PointTotals() const { return pointTotals_; }
    const std::vector<const AnswerBlock*>& AnsweredList() const { return answeredList_; }
    // Adds the points of an answer of the document into the totals and
    // appends the answer to the list.
    void RecordPoints(const AnswerBlock& answer);

    // The race and class tables in the order the last pick left them.
    const RaceRows& RaceTable() const { return raceTable_; }
    const ClassRows& ClassTable() const { return classTable_; }
    // Both tables back in their initial order with scores 0.
    void ResetTables();
    // Scores and sorts both tables from the totals and picks a pair.
    BestPick PickBest(Preference preference);

    // The question on screen (null before the first and after the last), its
    // place in the document's questions, and whether the questions are done.
    const QuestionBlock* CurrentQuestion() const { return currentQuestion_; }
    std::size_t QuestionCursor() const { return questionCursor_; }
    bool QuestionsFinished() const { return questionsFinished_; }
    // Moves on to the next question (the first when none is current); null,
    // with the questions finished, when there is none.
    const QuestionBlock* StepToNextQuestion();

private:
    std::shared_ptr<const ScriptDocument> document_;
    std::vector<const AnswerBlock*> answeredList_;
    PointValues pointTotals_{};
    RaceRows raceTable_ = InitialRaceTable;
    ClassRows classTable_ = InitialClassTable;
    const QuestionBlock* currentQuestion_ = nullptr;
    std::size_t questionCursor_ = 0;
    bool questionsFinished_ = false;
};

}  // namespace kinpath
