#include "flow/Session.h"

#include <utility>

#include "scoring/AnswerRecording.h"

namespace kinpath {

Session::Session() : Session(std::make_shared<const ScriptDocument>()) {}

Session::Session(std::shared_ptr<const ScriptDocument> document) : document_(std::move(document)) {
    StartRun();
}

void Session::StartRun() {
    // A run answers each question once at the most, so the list never grows
    // while it runs; room not yet written takes no memory.
    answeredList_.clear();
    answeredList_.reserve(document_->Questions().size());
    pointTotals_.fill(0);
    ResetTables();
    currentQuestion_ = nullptr;
    questionCursor_ = 0;
    questionsFinished_ = false;
}

void Session::StartRun(std::shared_ptr<const ScriptDocument> document) {
    document_ = std::move(document);
    StartRun();
}

void Session::RecordPoints(const AnswerBlock& answer) {
    AddAnswerPoints(pointTotals_, document_->Points(answer));
    answeredList_.push_back(&answer);
}

void Session::ResetTables() {
    raceTable_ = InitialRaceTable;
    classTable_ = InitialClassTable;
}

BestPick Session::PickBest(Preference preference) {
    return PickBestRaceAndClass(pointTotals_, raceTable_, classTable_, preference);
}

const QuestionBlock* Session::StepToNextQuestion() {
    if (questionsFinished_) {
        return nullptr;
    }
    const auto questions = document_->Questions();
    if (currentQuestion_ == nullptr) {
        questionCursor_ = 0;
    } else if (questionCursor_ < questions.size()) {
        ++questionCursor_;
    }
    if (questionCursor_ >= questions.size()) {
        currentQuestion_ = nullptr;
        questionsFinished_ = true;
    } else {
        currentQuestion_ = &questions[questionCursor_];
    }
    return currentQuestion_;
}

}  // namespace kinpath
