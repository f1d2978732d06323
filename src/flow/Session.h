// Everything one run of the questionnaire knows. A front end owns one and
// passes it to every step; two sessions in one process never meet.
#pragma once

#include <cstddef>
#include <vector>

#include "scoring/RankTables.h"
#include "script/ScriptDocument.h"

namespace kinpath {

struct Session {
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Members go in reverse order, so the answered list, which points into the
    // document, is emptied before the document is torn down.
    ScriptDocument Document;
    // The answers chosen, in answering order; the blocks stay the document's.
    std::vector<const AnswerBlock*> AnsweredList;

    PointValues PointTotals{};
    // Reordered in place by the pick.
    RaceRows RaceTable = InitialRaceTable;
    ClassRows ClassTable = InitialClassTable;

    // Question stepping.
    QuestionBlock* CurrentQuestion = nullptr;
    std::size_t QuestionCursor = 0;
    bool QuestionsFinished = false;

    // Position last given to each slot's bar, and each slot's animation state
    // (0 idle, above 0 rising to that value, below 0 falling to the total or to 0).
    PointValues BarShown{};
    PointValues BarTarget{};
};

}  // namespace kinpath
