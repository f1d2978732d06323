// A run as the page keeps it in the tab's session storage, so that a reload
// resumes it: the script it ran on (a hash of its bytes, and one fingerprint
// per question, to find where an edited draft changed), the run's events,
// the steps taken back since (what the browser's Forward does again), the
// token of the run's history entries, and the answers a draft cut short
// could not take.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "flow/Run.h"

namespace kinpath::web {

struct PageRecord {
    std::uint64_t scriptHash = 0;
    std::vector<std::uint64_t> fingerprints;
    std::vector<Event> events;
    // The events of the furthest run since the last new step: events, and
    // the steps taken back after them.
    std::vector<Event> timeline;
    // The run's history entries carry its token.
    std::string token;
    std::optional<GivenAnswers> kept;
    friend bool operator==(const PageRecord&, const PageRecord&) = default;
};

std::string EncodeRecord(const PageRecord& record);
// None for text that is no record (another version's, or damaged).
std::optional<PageRecord> DecodeRecord(std::string_view text);

std::uint64_t ScriptHash(std::string_view bytes);
// Where a run is kept: a published script by its hash, so that another
// script starts afresh; a draft by its name, so that an edit of it resumes.
std::string RecordKey(const std::string& source, std::uint64_t scriptHash);

}  // namespace kinpath::web
