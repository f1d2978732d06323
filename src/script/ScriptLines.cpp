#include "script/ScriptLines.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstring>
#include <string>

#include "script/ScriptDocument.h"
#include "script/TextCodec.h"
#include "ui/Dialog.h"

namespace kinpath {

std::int32_t CurrentLine = 0;
Dialog* ScriptErrorView = nullptr;

const TagEntry BlockTags[] = {
    {"SETTINGS", 0},
    {"QUESTION", 1},
    {"FINAL", 2},
    {nullptr, -1},
};

const TagEntry AnswerTags[] = {
    {"ANSWER", 0},
    {nullptr, -1},
};

namespace {

// Editors that write a byte-order mark put it before the first line; it is no
// part of the script's text and would otherwise spoil the first tag line.
void SkipByteOrderMark(std::FILE* file) {
    const int first = std::getc(file);
    if (first == 0xEF && std::getc(file) == 0xBB && std::getc(file) == 0xBF) {
        return;
    }
    std::rewind(file);
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether the whole line equals opener + name + ">" with ASCII case folded: the
// same as formatting the tag and comparing it with SameText, without formatting
// it for every line read.
bool IsTagLine(const char* line, const char* opener, const char* name) {
    for (; *opener != '\0'; ++opener, ++line) {
        if (*line != *opener) {
            return false;
        }
    }
    for (; *name != '\0'; ++name, ++line) {
        if (FoldAscii(*line) != FoldAscii(*name)) {
            return false;
        }
    }
    return line[0] == '>' && line[1] == '\0';
}

}  // namespace

int OpenScript(ScriptDocument& document) {
    CloseScript(document);
    std::FILE* file = std::fopen(ScriptFileName, "r");
    if (file == nullptr) {
        return 0;
    }
    // A directory or a device opens on some systems; only a regular file is a script.
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);
        return 0;
    }
    SkipByteOrderMark(file);
    document.file = file;
    return 1;
}

void CloseScript(ScriptDocument& document) {
    CurrentLine = 0;
    if (document.file != nullptr) {
        std::fclose(document.file);
        document.file = nullptr;
    }
}

int ReadScriptLine(std::FILE* file, char* buffer, int size) {
    if (file == nullptr || buffer == nullptr || size <= 0) {
        return 0;
    }
    // A read error ends the script just as the end of the file does.
    if (std::feof(file) || std::ferror(file)) {
        return 0;
    }
    ++CurrentLine;
    int stored = 0;
    while (stored < size - 1) {
        const int c = getc_unlocked(file);
        if (c == EOF || c == '\n') {
            break;
        }
        if (c != '\r') {
            buffer[stored++] = static_cast<char>(c);
        }
    }
    buffer[stored] = '\0';
    return 1;
}

void TrimLine(char* line) {
    if (line == nullptr || line[0] == '\0') {
        return;
    }
    std::size_t start = 0;
    while (IsBlank(line[start])) {
        ++start;
    }
    if (line[start] == '\0') {
        line[0] = '\0';
        return;
    }
    std::size_t end = start + std::strlen(line + start);
    while (IsBlank(line[end - 1])) {
        --end;
    }
    std::memmove(line, line + start, end - start);
    line[end - start] = '\0';
}

void LowerKey(char* line) {
    if (line == nullptr) {
        return;
    }
    for (char* p = line; *p != '\0' && *p != '='; ++p) {
        *p = FoldAscii(*p);
    }
}

const char* FindKey(const char* line, const char* key) {
    if (line == nullptr || key == nullptr) {
        return nullptr;
    }
    if (key[0] == '\0') {
        return line;
    }
    // Lines are short: look for the first byte, then compare the rest in place.
    for (const char* p = std::strchr(line, key[0]); p != nullptr; p = std::strchr(p + 1, key[0])) {
        const char* a = p + 1;
        const char* k = key + 1;
        while (*k != '\0' && *a == *k) {
            ++a;
            ++k;
        }
        if (*k == '\0') {
            return a;
        }
    }
    return nullptr;
}

int SameText(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) {
        return 0;
    }
    for (;; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) {
            return 0;
        }
        if (*a == '\0') {
            return 1;
        }
    }
}

const TagEntry* FindTag(const char* line, const TagEntry* table) {
    if (line == nullptr || table == nullptr) {
        return nullptr;
    }
    for (const TagEntry* row = table; row->name != nullptr; ++row) {
        if (IsTagLine(line, "<", row->name)) {
            return row;
        }
    }
    return nullptr;
}

int IsEndTag(const char* line, const char* name) {
    if (line == nullptr || name == nullptr) {
        return 0;
    }
    return IsTagLine(line, "</", name) ? 1 : 0;
}

void ReportScriptError(const char* format, ...) {
    char text[260] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (ScriptErrorView != nullptr) {
        ScriptErrorView->MessageBox(BoxOwner::None, DisplayText(text), "ScriptError",
                                    BoxButtons::Ok);
    }
}

}  // namespace kinpath
