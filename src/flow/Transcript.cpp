#include "flow/Transcript.h"

#include "text/TextCodec.h"

namespace kinpath {

namespace {
constexpr std::string_view LineBreak = "\r\n";
}

void Transcript::Clear() {
    text_.clear();
    length_ = 0;
}

void Transcript::Append(std::string_view utf8) {
    text_.append(utf8);
    length_ += Utf8Length(utf8);
}

void AppendTranscriptLine(Transcript& transcript, const char* text) {
    if (text != nullptr) AppendTranscriptLine(transcript, std::string_view(text));
}

void AppendTranscriptLine(Transcript& transcript, std::string_view text) {
    const std::size_t used = transcript.Length();
    if (!transcript.Kept() || used >= TranscriptCapacity) return;
    const std::size_t room = TranscriptCapacity - used;
    std::string line = DisplayText(text);
    const std::size_t textLength = Utf8Length(line);

    if (textLength + LineBreak.size() <= room) {
        line.append(LineBreak);
    } else if (room >= LineBreak.size()) {
        // Too long: keep as much of the text as fits and still end the line, so
        // the pane stops exactly at its capacity with a complete last line.
        line.resize(Utf8PrefixBytes(line, room - LineBreak.size()));
        line.append(LineBreak);
    } else {
        // One character left: no room for a line break, fill it with text.
        line.resize(Utf8PrefixBytes(line, room));
    }
    transcript.Append(line);
}

void ClearTranscript(Transcript& transcript) { transcript.Clear(); }

int TranscriptLineCount(const DisplayedPane& pane) { return pane.PaneLineCount(); }

TranscriptLine ReadTranscriptLine(const DisplayedPane& pane, int index) {
    TranscriptLine result;
    if (index < 0 || index >= pane.PaneLineCount()) return result;
    result.text = pane.PaneLine(index);
    // Only a line without text is empty: a line's first character decides nothing.
    result.empty = result.text.empty();
    return result;
}

void SelectAllTranscript(DisplayedPane& pane) { pane.SelectAllPane(); }

PaneSelection ReadTranscriptSelection(const DisplayedPane& pane) {
    return pane.PaneSelectionRange();
}

}  // namespace kinpath
