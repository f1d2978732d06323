// Lexical layer of the question script: reading the file, the line reader,
// keys and tags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Memory.h"

namespace kinpath {

inline constexpr int LineBufferSize = 512;
inline constexpr const char* ScriptFileName = "script.txt";

// Why a script file gave no text.
enum class ReadFailure { None, CannotOpen, NotRegularFile, TooLarge, ReadError };

// A script's whole text.
using ScriptBytes = LargeBytes;

struct ScriptFileText {
    ScriptBytes bytes;  // the whole file, without a leading UTF-8 byte-order mark
    ReadFailure failure = ReadFailure::None;
    int error = 0;  // the system's error number, where there was one
};

// Reads a script file whole: one open, one size check, one read. Nothing but a
// regular file is ever read or waited on, and one past the most a document
// holds (MaxScriptBytes) is TooLarge without being read.
ScriptFileText ReadScriptFile(const std::string& path);
// A short reason for a failed read, for authors ("not a regular file").
std::string DescribeReadFailure(const ScriptFileText& file);

// Hands out the lines of a script held in memory (the text stays the
// caller's). A line longer than 511 characters comes as several lines,
// carriage returns are dropped anywhere, and a zero byte ends a line's text
// (the bytes after it are still consumed). Once the text is used up, one more
// (empty) line follows, unless the last piece ended exactly at the end of the
// text.
class ScriptLines {
public:
    ScriptLines() = default;
    explicit ScriptLines(std::string_view bytes) : bytes_(bytes) {}
    explicit ScriptLines(std::string&&) = delete;  // the text must outlive the reader

    // Delivers the next line into buffer (always zero-terminated, at most
    // size - 1 bytes); false when no line is left. ScriptReader reads the
    // script's lines for the blocks; this is the rule it keeps.
    bool ReadScriptLine(char* buffer, int size);
    // Bytes stored by the last ReadScriptLine, zero bytes included.
    std::size_t LastLength() const { return lastLength_; }

    // Where the reader stands: after Seek(Tell()), the same lines come again.
    struct Position {
        std::size_t offset = 0;
        std::int64_t line = 0;
        bool ended = false;
    };
    Position Tell() const { return {position_, CurrentLine, ended_}; }
    void Seek(const Position& at) {
        position_ = at.offset;
        CurrentLine = at.line;
        ended_ = at.ended;
        lastLength_ = 0;
    }

    // Number of the line last delivered, counting from 1.
    std::int64_t CurrentLine = 0;

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
    std::size_t lastLength_ = 0;
    bool ended_ = false;
};

struct TagEntry {
    const char* name;
    int id;
};

enum class BlockTag { Settings, Question, Final };
extern const TagEntry BlockTags[];   // SETTINGS, QUESTION, FINAL (ids as BlockTag); null ends
extern const TagEntry AnswerTags[];  // ANSWER

void TrimLine(char* line);
void LowerKey(char* line);
// Position right after the first exact occurrence of key in line, or null.
const char* FindKey(const char* line, const char* key);
// Equal ignoring the case of ASCII letters; false when either is null.
bool SameText(const char* a, const char* b);
bool SameText(std::string_view a, std::string_view b);
// First row whose start tag "<NAME>" equals the whole line, or null.
const TagEntry* FindTag(const char* line, const TagEntry* table);
// Whether the whole line is "</NAME>"; false for a null line.
bool IsEndTag(const char* line, const char* name);

}  // namespace kinpath
