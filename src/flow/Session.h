// What one run of the questionnaire has scored and where it stands: the
// answers, the totals, the tables and the question. Sessions may share one
// loaded document, which none of them changes, and never meet otherwise. A
// session is a value: answers and the question are places in the document,
// rows numbers in the tables.
#pragma once

#include <cstddef>
#include <cstdint>
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
    // A new start on a document: no answers, totals 0, tables in their
    // initial order, no question yet.
    explicit Session(std::shared_ptr<const ScriptDocument> document);

    const ScriptDocument& Document() const { return *document_; }
    // The game whose tables the document plays (the built-in one unless it
    // declares one), and the one whose words it speaks.
    const Game& PlayedGame() const { return *game_; }
    const Game& Texts() const { return TextsOf(*document_); }

    // The sums of the points of the answers chosen, and those answers in
    // answering order, by their place in the document's AllAnswers().
    const PointValues& PointTotals() const { return pointTotals_; }
    const std::vector<std::uint32_t>& AnsweredList() const { return answeredList_; }
    // Adds the points of an answer of the document into the totals and
    // appends the answer to the list.
    void RecordPoints(const AnswerBlock& answer);

    // The race and class tables in the order the last pick left them.
    const RaceRows& RaceTable() const { return raceTable_; }
    const ClassRows& ClassTable() const { return classTable_; }
    // Scores and sorts both tables from the totals and picks a pair.
    BestPick PickBest(Preference preference);

    // The question on screen (null before the first and after the last), its
    // place in the document's questions, and whether the questions are done.
    const QuestionBlock* CurrentQuestion() const;
    std::size_t QuestionCursor() const { return questionCursor_; }
    bool QuestionsFinished() const { return questionsFinished_; }
    // Moves on to the next question (the first when none is current); null,
    // with the questions finished, when there is none.
    const QuestionBlock* StepToNextQuestion();

    // The same document (the same loaded one, not an equal text) and the same
    // answers, totals, tables and question.
    friend bool operator==(const Session&, const Session&) = default;

private:
    std::shared_ptr<const ScriptDocument> document_;
    std::vector<std::uint32_t> answeredList_;
    PointValues pointTotals_{};
    const Game* game_;
    RaceRows raceTable_;
    ClassRows classTable_;
    std::size_t questionCursor_ = 0;
    bool asking_ = false;  // the question at the cursor is on screen
    bool questionsFinished_ = false;
};

}  // namespace kinpath
