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

std::vector<PaneLine> UnwrappedLines(std::string_view paneText) {
    std::vector<PaneLine> lines;
    std::size_t begin = 0;
    std::uint32_t position = 0;
    std::uint32_t start = 0;
    for (std::size_t i = 0; i < paneText.size(); ++i) {
        const auto byte = static_cast<unsigned char>(paneText[i]);
        if (byte == '\r' && i + 1 < paneText.size() && paneText[i + 1] == '\n') {
            lines.push_back({std::string(paneText.substr(begin, i - begin)), start});
            position += 2;
            begin = ++i + 1;
            start = position;
        } else if ((byte & 0xC0) != 0x80) {
            ++position;  // count code points, not continuation bytes
        }
    }
    lines.push_back({std::string(paneText.substr(begin)), start});
    return lines;
}

}  // namespace kinpath
