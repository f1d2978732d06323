// The text of the results pane: written line by line, held to the pane's
// capacity, and its lines as a pane that wraps nothing lays them out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "window/Screen.h"

namespace kinpath {

// Characters the pane holds at most.
inline constexpr std::size_t TranscriptCapacity = 51199;

// Whether a transcript keeps what is written to it: the pane of a run that
// no window shows (the balance report's thousands) is written for nobody.
enum class TranscriptKept : std::uint8_t { Yes, No };

// The pane's text: UTF-8 with CR LF after every line. Its length counts
// characters (code points), each line break as two, as the pane does.
class Transcript {
public:
    Transcript() = default;
    explicit Transcript(TranscriptKept kept) : kept_(kept == TranscriptKept::Yes) {}

    bool Kept() const { return kept_; }
    const std::string& Text() const { return text_; }
    std::size_t Length() const { return length_; }
    void Clear();
    // Adds display text at the end as it is (the capacity and whether the
    // text is kept are the caller's: AppendTranscriptLine sees to both).
    void Append(std::string_view utf8);

private:
    std::string text_;
    std::size_t length_ = 0;
    bool kept_ = true;
};

// Adds the text (script bytes, shown as display text) and CR LF; a null text,
// or any text to a transcript that keeps none, adds nothing. An append that
// would pass the capacity is cut at the limit.
void AppendTranscriptLine(Transcript& transcript, const char* text);
void AppendTranscriptLine(Transcript& transcript, std::string_view text);
void ClearTranscript(Transcript& transcript);

// The pane's text laid out by a pane that wraps nothing (the terminal, the
// web page, the tests, and any window until it reports its own): each written
// line is one line, the empty piece after a final line break is a line, an
// empty pane is one line. Positions count characters, each CR LF as two.
std::vector<PaneLine> UnwrappedLines(std::string_view paneText);

}  // namespace kinpath
