#include "authoring/check/CheckReport.h"

#include <algorithm>
#include <utility>

namespace kinpath::check {

namespace {

// A question's diagnostics wait for its end, where its name is known; past
// this many the question is read a second time instead. With a limit of each
// kind, no more than that many of every kind can wait.
std::size_t WaitingLimit(const CheckOptions& options) {
    return std::max<std::size_t>(1024, CheckKindCount * std::size_t(options.perKind));
}

}  // namespace

CheckReport::CheckReport(const CheckSink& sink, const CheckOptions& options)
    : sink_(sink),
      options_(options),
      waitingLimit_(WaitingLimit(options)),
      verdict_([this](CheckKind kind) { return Wanted(kind); }) {}

void CheckReport::FirstLeftOut(CheckKind kind, CheckSeverity severity, std::int64_t line) {
    KindTally& tally = tallies_[std::size_t(kind)];
    tally.omitted = {std::string(KindName(kind)), severity, 1, line, line};
    tally.order = ++overflowed_;
}

void CheckReport::Place(Pending pending) {
    if (mode_ == Mode::Out) {
        Deliver(std::move(pending));
        return;
    }
    waiting_.push_back(std::move(pending));
    if (waiting_.size() > waitingLimit_) {
        // Too many to wait: the question is read again once its name is known,
        // and what waited is counted then.
        mode_ = Mode::Silent;
        for (const Pending& undone : waiting_) {
            (undone.severity == CheckSeverity::Error ? result_.errors : result_.warnings) -= 1;
            --tallies_[std::size_t(undone.kind)].shown;
        }
        waiting_.clear();
    }
}

void CheckReport::Deliver(Pending pending) {
    if (!Subject().empty()) {
        pending.text = subject_ + ": " + pending.text;
    }
    VerdictBefore(pending.line);
    Send(pending.kind, pending.severity, pending.line, pending.windowLine, std::move(pending.text));
}

void CheckReport::Send(CheckKind kind, CheckSeverity severity, std::int64_t line,
                       std::int64_t windowLine, std::string text) {
    if (noQuestionDue_ && line > 1) {
        noQuestionDue_ = false;
        if (Admit(CheckKind::NoQuestion, CheckSeverity::Warning, 1)) {
            Send(CheckKind::NoQuestion, CheckSeverity::Warning, 1, 0, NoQuestionWarning());
        }
    }
    // A caller that wants only the counts gives no sink.
    if (sink_) sink_({line, severity, std::move(text), windowLine, KindName(kind)});
}

// Most questions have no diagnostic: theirs is worded only for the first.
const std::string& CheckReport::Subject() {
    if (subjectOf_ != nullptr && subject_.empty()) {
        subject_ = "question " + std::to_string(question_);
        if (subjectOf_->name.empty()) {
            subject_ += " (no name)";
        } else {
            subject_ += ' ';
            subject_ += Quote(subjectOf_->name);
        }
    }
    return subject_;
}

// Gives the verdict's warnings on lines before `line`, in line order.
void CheckReport::VerdictBefore(std::int64_t line) {
    while (std::optional<Pending> due = verdict_.NextBefore(line)) {
        if (Admit(due->kind, due->severity, due->line)) {
            Send(due->kind, due->severity, due->line, 0, Subject() + ": " + due->text);
        }
    }
}

void CheckReport::StartQuestion(int number) {
    question_ = number;
    mode_ = Mode::Wait;
}

bool CheckReport::EndQuestionReading(const QuestionInfo& question, TotalsReach& reach) {
    subjectOf_ = &question;
    verdict_.Start(question, reach);
    const bool waited = mode_ != Mode::Silent;
    mode_ = Mode::Out;
    if (waited) {
        for (Pending& pending : waiting_) Deliver(std::move(pending));
        waiting_.clear();
    }
    return waited;
}

void CheckReport::EndQuestion() {
    VerdictBefore(INT64_MAX);
    subjectOf_ = nullptr;
    subject_.clear();
}

CheckResult CheckReport::Finish(int questions) {
    if (noQuestionDue_) {
        noQuestionDue_ = false;
        if (Admit(CheckKind::NoQuestion, CheckSeverity::Warning, 1)) {
            Send(CheckKind::NoQuestion, CheckSeverity::Warning, 1, 0, NoQuestionWarning());
        }
    }
    result_.questions = questions;
    std::vector<const KindTally*> overflowed;
    for (const KindTally& tally : tallies_) {
        if (tally.order != 0) overflowed.push_back(&tally);
    }
    std::sort(overflowed.begin(), overflowed.end(),
              [](const KindTally* a, const KindTally* b) { return a->order < b->order; });
    for (const KindTally* tally : overflowed) result_.omitted.push_back(tally->omitted);
    return std::move(result_);
}

}  // namespace kinpath::check
