#include "script/ScriptLines.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>

#include "script/ScriptDocument.h"
#include "text/TextCodec.h"
#include "window/Dialog.h"

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

// The bytes the stream has read ahead into its buffer and not yet handed out,
// so that whole runs of a line can be taken at once instead of byte by byte.
// Only glibc's stream layout is known here (the same fields gnulib's freadptr
// uses); elsewhere every byte goes through getc.
const char* BufferedBytes(std::FILE* file, std::size_t& count) {
#if defined(__GLIBC__)
    if (file->_IO_read_ptr < file->_IO_read_end) {
        count = static_cast<std::size_t>(file->_IO_read_end - file->_IO_read_ptr);
        return file->_IO_read_ptr;
    }
#else
    (void)file;
#endif
    count = 0;
    return nullptr;
}

void ConsumeBuffered([[maybe_unused]] std::FILE* file, [[maybe_unused]] std::size_t count) {
#if defined(__GLIBC__)
    file->_IO_read_ptr += count;
#endif
}

// Copies length bytes, leaving out carriage returns; the number stored.
std::size_t CopyWithoutReturns(char* to, const char* from, std::size_t length) {
    const char* end = from + length;
    const auto* cr = static_cast<const char*>(std::memchr(from, '\r', length));
    if (cr == nullptr) {
        std::memcpy(to, from, length);
        return length;
    }
    char* out = to;
    std::memcpy(out, from, static_cast<std::size_t>(cr - from));
    out += cr - from;
    for (const char* p = cr + 1; p < end; ++p) {
        if (*p != '\r') {
            *out++ = *p;
        }
    }
    return static_cast<std::size_t>(out - to);
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
    if (feof_unlocked(file) || ferror_unlocked(file)) {
        return 0;
    }
    ++CurrentLine;
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    std::size_t stored = 0;
    while (stored < room) {
        std::size_t available = 0;
        if (const char* from = BufferedBytes(file, available)) {
            // Never look at more bytes than could still be stored, so exactly the
            // bytes the one-at-a-time reading would take are consumed.
            const std::size_t window = std::min(available, room - stored);
            const auto* end = static_cast<const char*>(std::memchr(from, '\n', window));
            const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - from) : window;
            stored += CopyWithoutReturns(buffer + stored, from, length);
            ConsumeBuffered(file, length + (end != nullptr ? 1 : 0));
            if (end != nullptr) {
                break;
            }
            continue;
        }
        // The stream's buffer is empty: one byte the ordinary way refills it and
        // sets the end-of-file state when nothing is left.
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
