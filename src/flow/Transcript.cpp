#include "flow/Transcript.h"

#include "text/TextCodec.h"
#include "window/Dialog.h"

namespace kinpath {

namespace {
constexpr std::string_view LineBreak = "\r\n";
}

void AppendTranscriptLine(Dialog& dialog, const char* text) {
    if (text != nullptr) AppendTranscriptLine(dialog, std::string_view(text));
}

void AppendTranscriptLine(Dialog& dialog, std::string_view text) {
    std::string line = DisplayText(text);
    std::size_t textLength = Utf8Length(line);
    std::size_t used = dialog.PaneLength();
    if (used >= TranscriptCapacity) return;
    std::size_t room = TranscriptCapacity - used;

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
    if (!line.empty()) dialog.AppendPaneText(line);
}

void ClearTranscript(Dialog& dialog) { dialog.SetPaneText(""); }

int TranscriptLineCount(Dialog& dialog) { return dialog.PaneLineCount(); }

TranscriptLine ReadTranscriptLine(Dialog& dialog, int index) {
    TranscriptLine result;
    if (index < 0 || index >= dialog.PaneLineCount()) return result;
    result.text = dialog.PaneLine(index);
    // Only a line without text is empty: a line's first character decides nothing.
    result.empty = result.text.empty();
    return result;
}

void SelectAllTranscript(Dialog& dialog) { dialog.SelectAllPane(); }

PaneSelection ReadTranscriptSelection(Dialog& dialog) { return dialog.PaneSelectionRange(); }

}  // namespace kinpath
