#include "script/ScriptReader.h"

#include <algorithm>
#include <cstring>

#include "text/Ascii.h"

namespace kinpath {

namespace {

// How far one look for a carriage return or a zero byte goes: far enough that
// most scripts need one look, near enough that a reader that stops early does
// not pay for the whole text.
constexpr std::size_t LookAhead = 64 * 1024;

}  // namespace

bool ScriptReader::ByteScan::Look(std::string_view bytes, std::size_t start, std::size_t end) {
    if (start < base || start > free) {
        base = start;  // a place not looked at yet: look from there
        free = start;
        found = false;
    }
    if (end <= free) return false;
    if (found) return true;
    const std::size_t until = std::min(bytes.size(), std::max(end, free + LookAhead));
    const void* at = std::memchr(bytes.data() + free, byte, until - free);
    found = at != nullptr;
    free = found ? static_cast<std::size_t>(static_cast<const char*>(at) - bytes.data()) : until;
    return free < end;
}

namespace {

constexpr char WithCaseBit(char c) { return static_cast<char>(c | 0x20); }

// Whether written is word in any case; word is all letters, so that setting
// the case bit of a character cannot make anything but a letter one of them.
bool IsWord(std::string_view written, std::string_view word) {
    if (written.size() != word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (WithCaseBit(written[i]) != WithCaseBit(word[i])) return false;
    }
    return true;
}

// No two tag names share their length and first letter: Classify compares a
// line with the one name that does.
constexpr bool TellableApart() {
    for (std::size_t a = 0; a < TagNames.size(); ++a) {
        for (std::size_t b = a + 1; b < TagNames.size(); ++b) {
            if (TagNames[a].size() == TagNames[b].size() && TagNames[a][0] == TagNames[b][0]) {
                return false;
            }
        }
    }
    return true;
}
static_assert(TellableApart());

}  // namespace

bool ScriptReader::Next(ScriptLine& line) {
    if (at_.ended) return false;
    const std::size_t start = at_.offset;
    if (at_.cut) {
        ++at_.piece;
    } else {
        at_.piece = 0;
        // The empty line the window reads after a final line feed is no line
        // of the file.
        if (start != bytes_.size()) ++at_.fileLine;
    }
    ++at_.number;
    // Each field is written once, straight into the line: a line built aside
    // and copied whole is read back before its parts are stored.
    line.number = at_.number;
    line.fileLine = at_.fileLine;
    line.piece = at_.piece;
    Piece(line);
    // The text ends at a zero byte; blanks and tabs at both ends do not count.
    std::string_view text = line.stored;
    line.zeroByte = false;
    if (line.copied || zeros_.Holds(bytes_, start, start + text.size())) {
        if (const void* zero = std::memchr(text.data(), '\0', text.size())) {
            text = text.substr(
                0, static_cast<std::size_t>(static_cast<const char*>(zero) - text.data()));
            line.zeroByte = true;
        }
    }
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    line.text = text;
    line.kind = Classify(text, line.tag);
    return true;
}

// Takes the next piece, as ReadScriptLine would store it.
void ScriptReader::Piece(ScriptLine& line) {
    const std::size_t start = at_.offset;
    const std::size_t window = std::min(bytes_.size() - start, PieceLength);
    const char* from = bytes_.data() + start;
    const auto* feed =
        window != 0 ? static_cast<const char*>(std::memchr(from, '\n', window)) : nullptr;
    const std::size_t length = feed != nullptr ? static_cast<std::size_t>(feed - from) : window;
    line.copied = returns_.Holds(bytes_, start, start + length);
    if (line.copied) {
        // Carriage returns take no room: the piece reaches further than its bytes.
        slow_.Seek({start, 0, false});
        slow_.ReadScriptLine(copy_, LineBufferSize);
        line.stored = std::string_view(copy_, slow_.LastLength());
        at_.offset = slow_.Tell().offset;
        at_.ended = slow_.Tell().ended;
        at_.cut = slow_.LastLength() == PieceLength;
    } else {
        line.stored = std::string_view(from, length);
        at_.offset = start + length + (feed != nullptr ? 1 : 0);
        // A piece that stops short of the room has met the end of the text.
        at_.ended = feed == nullptr && length < PieceLength;
        at_.cut = length == PieceLength;
    }
}

ScriptLine::Kind ScriptReader::Classify(std::string_view text, ScriptTag& tag) {
    if (text.empty() || text.front() == '#') return ScriptLine::Kind::Skipped;
    if (text.front() != '<' || text.back() != '>' || text.size() < 3) {
        return ScriptLine::Kind::Text;
    }
    const bool end = text[1] == '/';
    const std::string_view name = text.substr(end ? 2 : 1, text.size() - (end ? 3 : 2));
    for (std::size_t t = 0; t < TagNames.size(); ++t) {
        if (TagNames[t].size() == name.size() && TagNames[t][0] == (name[0] & ~0x20)) {
            if (!IsWord(name, TagNames[t])) break;
            tag = static_cast<ScriptTag>(t);
            return end ? ScriptLine::Kind::EndTag : ScriptLine::Kind::StartTag;
        }
    }
    return ScriptLine::Kind::Text;
}

bool HoldsChoiceWord(std::string_view line) {
    constexpr std::string_view word = "text";
    const std::size_t equals = std::min(line.find('='), line.size());
    // The word holds no "=": it stands wholly in the key part, which is
    // lowered, or wholly after it, which is not.
    const std::string_view key = line.substr(0, equals);
    for (std::size_t at = 0; at + word.size() <= key.size(); ++at) {
        if (IsWord(key.substr(at, word.size()), word)) return true;
    }
    return line.substr(equals).find(word) != std::string_view::npos;
}

}  // namespace kinpath
