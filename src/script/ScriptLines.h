// Lexical layer of the question script: the line reader, keys, tags and the
// script error box.
#pragma once

#include <cstdint>
#include <cstdio>

namespace kinpath {

class Dialog;
class ScriptDocument;

inline constexpr int LineBufferSize = 512;
inline constexpr const char* ScriptFileName = "script.txt";

// Number of the line last delivered by ReadScriptLine, counting from 1.
extern std::int32_t CurrentLine;

// Where ScriptError boxes are shown (with no owner window). Set by whoever loads
// the script; when null the boxes are dropped.
extern Dialog* ScriptErrorView;

struct TagEntry {
    const char* name;  // null ends a table
    std::int32_t id;
};

extern const TagEntry BlockTags[];   // SETTINGS 0, QUESTION 1, FINAL 2
extern const TagEntry AnswerTags[];  // ANSWER 0

// 1 if script.txt in the working directory was opened, else 0 (shows nothing).
int OpenScript(ScriptDocument& document);
void CloseScript(ScriptDocument& document);

// 1: a line was delivered into buffer (always zero-terminated); 0: no line.
int ReadScriptLine(std::FILE* file, char* buffer, int size);

void TrimLine(char* line);
void LowerKey(char* line);
// Position right after the first exact occurrence of key in line, or null.
const char* FindKey(const char* line, const char* key);
// 1 if equal ignoring the case of ASCII letters, else 0; 0 when either is null.
int SameText(const char* a, const char* b);
// First row whose start tag "<NAME>" equals the whole line, or null.
const TagEntry* FindTag(const char* line, const TagEntry* table);
// 1 if the whole line is "</NAME>", else 0; 0 for a null line.
int IsEndTag(const char* line, const char* name);

// Formats the message (at most 259 characters) and shows it in a modal box with
// no owner, caption "ScriptError" and an OK button.
void ReportScriptError(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace kinpath
