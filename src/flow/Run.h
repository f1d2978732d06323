// The questionnaire machine: a run is its state and the events that made it.
// Feeding it an event gives the next state, what the window must show
// (Render) and what is left for the platform to do (an Effect). It never
// waits, reads a window or knows a platform, so a run can be replayed
// without its last step (Back), resumed from its events, or replayed on an
// edited script.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "flow/FlowState.h"
#include "window/Screen.h"

namespace kinpath {

class ScriptDocument;

enum class EventKind : std::uint8_t { Choose, Ok, Skip, Answer, Print, Html, Exit };

struct Event {
    EventKind kind = EventKind::Ok;
    int value = 0;  // the choice (1 to 8) of Choose; the BoxResult of Answer
    friend bool operator==(const Event&, const Event&) = default;
};

inline Event ChooseEvent(int choice) { return {EventKind::Choose, choice}; }
inline Event AnswerEvent(BoxResult answer) { return {EventKind::Answer, static_cast<int>(answer)}; }

// The event a click on a control gives; none for a control that sends
// nothing (the question's text, a bar).
std::optional<Event> EventOfControl(int id);

// What the platform is left to do after an event.
enum class Effect : std::uint8_t { None, SaveHtml, Print, End };

struct Step {
    bool accepted = false;  // the window allowed the event
    Effect effect = Effect::None;
};

// The first question (0-based) that differs between two documents in its
// name, choices or answers; the shorter one's question count when one is the
// other's start.
std::size_t FirstChangedQuestion(const ScriptDocument& before, const ScriptDocument& now);
// One number per question, equal for two questions when FirstChangedQuestion
// finds them the same (a 64-bit hash of what it compares: different questions
// collide next to never). What a run keeps to find where a script changed
// once the version it ran on is gone, as a page reloaded after an edit.
std::vector<std::uint64_t> QuestionFingerprints(const ScriptDocument& document);
std::size_t FirstChangedQuestion(std::span<const std::uint64_t> before, const ScriptDocument& now);

// Answers given on one version of a script: the run's events, the script's
// question fingerprints, and how many of the events the last replay on a
// later version took (fewer than all when it stopped short).
struct GivenAnswers {
    std::vector<Event> events;
    std::vector<std::uint64_t> fingerprints;
    std::size_t replayed = 0;
    friend bool operator==(const GivenAnswers&, const GivenAnswers&) = default;
};

class Run {
public:
    // A run of a loaded document as the window shows it once set up: the
    // greeting in the pane and the first question (or, for a script without
    // questions, the results). With TranscriptKept::No the pane stays empty and
    // the run is otherwise the same: for runs that no window shows.
    explicit Run(std::shared_ptr<const ScriptDocument> document,
                 TranscriptKept kept = TranscriptKept::Yes);
    // A run whose script did not load: its boxes, one after the other, then the end.
    explicit Run(std::vector<Box> refusal);

    // Applies an event the window allows now: a control that is usable, an
    // answer while a box waits, Exit whenever no box does. Any other event is
    // refused: it changes nothing and gives no effect.
    Step Apply(const Event& event);
    // A box that only tells something (a page that could not be saved); it
    // waits behind any other and is no part of the run's events.
    void Notify(Box box);
    // Exit among the questions asks first (LeaveQuestion, Leave or Stay):
    // Leave ends the run, Stay goes on. Neither answer is part of its events.
    void AskBeforeLeaving(bool ask) { askBeforeLeaving_ = ask; }

    // The events that made the run, in order (Print, HTML and Exit leave no
    // trace: they change nothing a replay needs).
    const std::vector<Event>& Events() const { return events_; }
    // The events without the last answer or skip (and what followed it); the
    // same events when there is none to take back.
    std::vector<Event> EventsBeforeLastStep() const;
    bool CanGoBack() const;

    // The run replayed from its start: the events in order, up to the first
    // one it refuses (a choice the question no longer offers) or until the
    // run reaches question stopAt (0-based).
    static Run Replay(std::shared_ptr<const ScriptDocument> document, std::span<const Event> events,
                      std::size_t stopAt = SIZE_MAX);

    // What the window shows; the bars stand at 0 (their motion is the
    // driver's: BarTargets says where they go).
    Screen Render() const;
    // The totals the bars follow.
    const PointValues& BarTargets() const { return state_.session.PointTotals(); }

    const FlowState& State() const { return state_; }
    const Session& Scores() const { return state_.session; }
    bool Ended() const { return state_.ended; }
    bool BoxWaiting() const { return !state_.boxes.empty(); }
    // The question on screen, 0-based; none before the first and on the results.
    std::optional<std::size_t> QuestionIndex() const;

    // The same state (on the same loaded document) made by the same events.
    friend bool operator==(const Run&, const Run&) = default;

private:
    Step Dispatch(const Event& event);
    void Record(const Event& event);
    // Where the last answer or skip stands among the events.
    std::optional<std::size_t> LastStep() const;

    FlowState state_;
    std::vector<Event> events_;
    bool askBeforeLeaving_ = false;
};

}  // namespace kinpath
