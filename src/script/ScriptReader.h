// The one reader of the script's grammar. It walks the lines as the window
// reads them (pieces of at most 511 characters, carriage returns dropped, a
// zero byte ending the text, blanks and tabs trimmed at both ends) and says
// once what each is: a start tag, an end tag, a line that may hold keys, or a
// line the window skips. Which block a line belongs to is the block walk's
// business (BlockWalker.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "script/ScriptLines.h"

namespace kinpath {

// The last four declare a game, and are blocks only before the first question.
enum class ScriptTag : std::uint8_t { Settings, Question, Answer, Final, Game, Race, Class, Total };
inline constexpr std::array<std::string_view, 8> TagNames{
    "SETTINGS", "QUESTION", "ANSWER", "FINAL", "GAME", "RACE", "CLASS", "TOTAL"};
constexpr bool IsGameTag(ScriptTag tag) { return tag >= ScriptTag::Game; }
// A tag's name as a tag line writes it (in any case): "QUESTION".
constexpr std::string_view TagName(ScriptTag tag) {
    return TagNames[static_cast<std::size_t>(tag)];
}

// The most characters the window keeps of one line: the rest of a longer line
// comes as further lines of their own.
inline constexpr std::size_t PieceLength = LineBufferSize - 1;

struct ScriptLine {
    enum class Kind : std::uint8_t {
        Skipped,   // empty or a comment: no block looks at it
        StartTag,  // "<NAME>" in any case, alone on its line
        EndTag,    // "</NAME>"
        Text,      // anything else: a key line, or a line a block refuses
    };
    Kind kind = Kind::Skipped;
    ScriptTag tag = ScriptTag::Settings;  // of a start or end tag
    std::string_view text;                // trimmed, ending at a zero byte
    std::string_view stored;              // the piece as the window stores it, zero bytes included
    std::int64_t number = 0;              // the window's count: each piece of a long line is a line
    std::int64_t fileLine = 0;            // an editor's count (0 before the first line)
    std::uint32_t piece = 0;  // 0 at a line's start, then 1, 2... for its further pieces
    bool zeroByte = false;    // a zero byte ended the text early
    // The bytes are not where they stand in the script (a carriage return was
    // dropped from among them): they live in the reader until its next line.
    bool copied = false;

    bool IsStart(ScriptTag t) const { return kind == Kind::StartTag && tag == t; }
    bool IsEnd(ScriptTag t) const { return kind == Kind::EndTag && tag == t; }
    bool IsTag() const { return kind == Kind::StartTag || kind == Kind::EndTag; }
    // The piece filled the line buffer: the script's line goes on in the next.
    bool Cut() const { return stored.size() == PieceLength; }
};

class ScriptReader {
public:
    explicit ScriptReader(std::string_view bytes) : bytes_(bytes), slow_(bytes) {}

    // The next piece the window reads, skipped ones included; false once the
    // text is used up (after the empty line the window reads behind a final
    // line feed).
    bool Next(ScriptLine& line);
    // The window's number of the last line read (its count at the end of the
    // file, once Next has said there is none).
    std::int64_t Number() const { return at_.number; }

    // Where the reader stands: after Seek(Tell()), the same lines come again.
    struct Position {
        std::size_t offset = 0;
        std::int64_t number = 0;
        std::int64_t fileLine = 0;
        std::uint32_t piece = 0;
        bool cut = false;  // the last piece filled the buffer
        bool ended = false;
    };
    Position Tell() const { return at_; }
    void Seek(const Position& at) { at_ = at; }

private:
    void Piece(ScriptLine& line);
    static ScriptLine::Kind Classify(std::string_view text, ScriptTag& tag);

    std::string_view bytes_;
    Position at_;
    // Where a carriage return or a zero byte stands: most lines hold neither,
    // and are then taken where they stand without looking at each byte. From
    // base up to free the text holds none, and free is one when found.
    struct ByteScan {
        char byte;
        std::size_t base = 0;
        std::size_t free = 0;
        bool found = false;
        // Whether the byte stands in [start, end).
        bool Holds(std::string_view bytes, std::size_t start, std::size_t end) {
            return !(start >= base && end <= free) && Look(bytes, start, end);
        }
        bool Look(std::string_view bytes, std::size_t start, std::size_t end);
    };
    ByteScan returns_{'\r'};
    ByteScan zeros_{'\0'};
    ScriptLines slow_;  // a piece with a carriage return, as ReadScriptLine stores it
    char copy_[LineBufferSize];
};

// Whether a line holds the text "text" with its key part lowered: a QUESTION
// line that does, yet holds no key, is taken for a choice written wrong.
bool HoldsChoiceWord(std::string_view line);

}  // namespace kinpath
