// Where the checker's diagnostics go: out in line order, those of a question
// once its name is known (they wait for its end, or the question is read
// again when too many would wait), its verdict's between them by line, and
// past the limit of a kind only counted.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/check/CheckRules.h"
#include "authoring/check/ScriptCheck.h"

namespace kinpath::check {

class CheckReport {
public:
    CheckReport(const CheckSink& sink, const CheckOptions& options);

    // Whether diagnostics of a kind still go out in full.
    bool Wanted(CheckKind kind) const {
        return options_.perKind == 0 || tallies_[std::size_t(kind)].shown < options_.perKind;
    }
    // A diagnostic of the reading, worded by word only when it goes out.
    template <typename Word>
    void Report(CheckKind kind, CheckSeverity severity, std::int64_t line, std::int64_t windowLine,
                Word word) {
        if (mode_ == Mode::Silent || !Admit(kind, severity, line)) return;
        Place({line, severity, kind, word(), windowLine});
    }

    // The script has no question: said on line 1, before anything after it.
    void NoQuestionDue() { noQuestionDue_ = true; }
    // The block the diagnostics are about ("SETTINGS block"), or none.
    void SetSubject(std::string subject) { subject_ = std::move(subject); }
    // A question's first reading: its diagnostics wait for its end.
    void StartQuestion(int number);
    // Its end: the verdict on it (question, read whole) starts. True when
    // its diagnostics waited and went out, false when they were too many and
    // it must be read again (then they go out at once).
    bool EndQuestionReading(const QuestionInfo& question, TotalsReach& reach);
    // After the last reading: the rest of the verdict.
    void EndQuestion();
    CheckResult Finish(int questions);

private:
    enum class Mode { Out, Wait, Silent };
    // How many diagnostics of a kind went out, and of those left out.
    struct KindTally {
        std::int64_t shown = 0;
        CheckOmitted omitted;
        std::size_t order = 0;  // when it first overflowed, from 1
    };

    // Counts a diagnostic; false when it is left out.
    bool Admit(CheckKind kind, CheckSeverity severity, std::int64_t line) {
        (severity == CheckSeverity::Error ? result_.errors : result_.warnings) += 1;
        KindTally& tally = tallies_[std::size_t(kind)];
        if (Wanted(kind)) {
            ++tally.shown;
            return true;
        }
        if (tally.omitted.count++ == 0) FirstLeftOut(kind, severity, line);
        tally.omitted.lastLine = line;
        return false;
    }
    void FirstLeftOut(CheckKind kind, CheckSeverity severity, std::int64_t line);
    void Place(Pending pending);
    void Deliver(Pending pending);
    void Send(CheckKind kind, CheckSeverity severity, std::int64_t line, std::int64_t windowLine,
              std::string text);
    void VerdictBefore(std::int64_t line);
    const std::string& Subject();

    const CheckSink& sink_;
    const CheckOptions options_;
    const std::size_t waitingLimit_;
    Mode mode_ = Mode::Out;
    std::string subject_;
    const QuestionInfo* subjectOf_ = nullptr;  // a question's, worded when first needed
    int question_ = 0;
    std::vector<Pending> waiting_;
    bool noQuestionDue_ = false;
    CheckResult result_;
    std::array<KindTally, CheckKindCount> tallies_{};
    std::size_t overflowed_ = 0;
    QuestionVerdict verdict_;
};

}  // namespace kinpath::check
