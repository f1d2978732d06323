// A run's log beyond the run itself: its steps counted, the run as it stood
// at an earlier step, the steps taken back that a browser's Forward does
// again, and the events as text, so that a page can keep a run across reloads.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "flow/Run.h"

namespace kinpath {

// An answer or a skip: what Back takes back and a history entry stands for.
bool IsStep(const Event& event);
// The steps among events: how far the run is.
int StepCount(std::span<const Event> events);
// The events before step depth + 1 (0-based depth: 0 is before the first
// step): what the run was when it stood there. All of them when it never
// went further.
std::vector<Event> EventsAtDepth(std::span<const Event> events, int depth);

// The furthest run since the last new step, kept up as the run moves to
// events: the steps taken back stay to go forward to while the run keeps to
// them; a step of its own replaces them.
void KeepTimeline(std::vector<Event>& timeline, std::span<const Event> events);
// The events of the run at that depth: back along its events, or forward
// along the timeline; none when there is no such step.
std::optional<std::vector<Event>> EventsToTravel(std::span<const Event> events,
                                                 std::span<const Event> timeline, int depth);

// One letter an event: the choice's digit, o OK, s Skip, and a box's answer
// a (OK), y (Yes) or n (No). Print, HTML and Exit are never among a run's.
std::string EventLetters(std::span<const Event> events);
// None for text that holds anything else.
std::optional<std::vector<Event>> EventsOfLetters(std::string_view letters);

}  // namespace kinpath
