// The text of the results pane.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "window/Dialog.h"

namespace kinpath {

// Characters the pane holds at most.
inline constexpr std::size_t TranscriptCapacity = 51199;

struct TranscriptLine {
    std::string text;  // UTF-8, the whole displayed line
    bool empty = true;
};

// Adds the text (script bytes, shown as display text) and CR LF; a null text adds
// nothing. An append that would pass the capacity is cut at the limit.
void AppendTranscriptLine(Dialog& dialog, const char* text);
void AppendTranscriptLine(Dialog& dialog, std::string_view text);
void ClearTranscript(Dialog& dialog);
int TranscriptLineCount(Dialog& dialog);
TranscriptLine ReadTranscriptLine(Dialog& dialog, int index);
void SelectAllTranscript(Dialog& dialog);
PaneSelection ReadTranscriptSelection(Dialog& dialog);

}  // namespace kinpath
