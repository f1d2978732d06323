#include "flow/RunLog.h"

#include <algorithm>

namespace kinpath {

bool IsStep(const Event& event) {
    return event.kind == EventKind::Ok || event.kind == EventKind::Skip;
}

int StepCount(std::span<const Event> events) {
    return static_cast<int>(std::count_if(events.begin(), events.end(), IsStep));
}

std::vector<Event> EventsAtDepth(std::span<const Event> events, int depth) {
    int steps = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (IsStep(events[i]) && steps++ == depth) return {events.begin(), events.begin() + i};
    }
    return {events.begin(), events.end()};
}

void KeepTimeline(std::vector<Event>& timeline, std::span<const Event> events) {
    const auto within = [&](std::span<const Event> part) {
        return part.size() <= timeline.size() &&
               std::equal(part.begin(), part.end(), timeline.begin());
    };
    // The run stands on the timeline, or chose anew after its last step
    // there, short of a step of its own.
    std::size_t settled = events.size();
    while (settled > 0 && !IsStep(events[settled - 1])) --settled;
    const bool kept = within(events) ||
                      (within(events.first(settled)) && StepCount(timeline) > StepCount(events));
    if (!kept) timeline.assign(events.begin(), events.end());
}

std::optional<std::vector<Event>> EventsToTravel(std::span<const Event> events,
                                                 std::span<const Event> timeline, int depth) {
    const int now = StepCount(events);
    if (depth < 0) return std::nullopt;
    std::vector<Event> target = EventsAtDepth(depth <= now ? events : timeline, depth);
    if (depth > now && StepCount(target) != depth) return std::nullopt;
    return target;
}

std::string EventLetters(std::span<const Event> events) {
    std::string text;
    for (const Event& e : events) {
        switch (e.kind) {
            case EventKind::Choose:
                text += static_cast<char>('0' + e.value);
                break;
            case EventKind::Ok:
                text += 'o';
                break;
            case EventKind::Skip:
                text += 's';
                break;
            case EventKind::Answer:
                text += e.value == static_cast<int>(BoxResult::Yes)  ? 'y'
                        : e.value == static_cast<int>(BoxResult::No) ? 'n'
                                                                     : 'a';
                break;
            default:
                text += '?';
        }
    }
    return text;
}

std::optional<std::vector<Event>> EventsOfLetters(std::string_view letters) {
    std::vector<Event> events;
    for (const char c : letters) {
        if (c >= '1' && c <= '9') {
            events.push_back(ChooseEvent(c - '0'));
        } else if (c == 'o' || c == 's') {
            events.push_back({c == 'o' ? EventKind::Ok : EventKind::Skip});
        } else if (c == 'a' || c == 'y' || c == 'n') {
            events.push_back(AnswerEvent(c == 'y'   ? BoxResult::Yes
                                         : c == 'n' ? BoxResult::No
                                                    : BoxResult::Ok));
        } else {
            return std::nullopt;
        }
    }
    return events;
}

}  // namespace kinpath
