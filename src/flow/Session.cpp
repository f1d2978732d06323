#include "flow/Session.h"

#include <utility>

#include "scoring/AnswerRecording.h"

namespace kinpath {

Session::Session() : Session(std::make_shared<const ScriptDocument>()) {}

Session::Session(std::shared_ptr<const ScriptDocument> document)
    : document_(std::move(document)),
      game_(&GameOf(*document_)),
      raceTable_(InitialRaces(*game_)),
      classTable_(InitialClasses(*game_)) {
    // A run answers each question once at the most, so the list never grows
    // while it runs; room not yet written takes no memory.
    answeredList_.reserve(document_->Questions().size());
}

void Session::RecordPoints(const AnswerBlock& answer) {
    AddAnswerPoints(pointTotals_, document_->Points(answer));
    answeredList_.push_back(static_cast<std::uint32_t>(&answer - document_->AllAnswers().data()));
}

BestPick Session::PickBest(Preference preference) {
    return PickBestRaceAndClass(*game_, pointTotals_, raceTable_, classTable_, preference);
}

const QuestionBlock* Session::CurrentQuestion() const {
    return asking_ ? &document_->Questions()[questionCursor_] : nullptr;
}

const QuestionBlock* Session::StepToNextQuestion() {
    if (questionsFinished_) {
        return nullptr;
    }
    const auto questions = document_->Questions();
    if (!asking_) {
        questionCursor_ = 0;
    } else if (questionCursor_ < questions.size()) {
        ++questionCursor_;
    }
    asking_ = questionCursor_ < questions.size();
    questionsFinished_ = !asking_;
    return CurrentQuestion();
}

}  // namespace kinpath
