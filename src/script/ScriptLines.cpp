#include "script/ScriptLines.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/Files.h"
#include "script/ScriptDocument.h"
#include "text/Ascii.h"

namespace kinpath {

const TagEntry BlockTags[] = {
    {"SETTINGS", static_cast<int>(BlockTag::Settings)},
    {"QUESTION", static_cast<int>(BlockTag::Question)},
    {"FINAL", static_cast<int>(BlockTag::Final)},
    {nullptr, -1},
};

const TagEntry AnswerTags[] = {
    {"ANSWER", 0},
    {nullptr, -1},
};

namespace {

// Editors that write a byte-order mark put it before the first line; it is no
// part of the script's text and would otherwise spoil the first tag line.
void DropByteOrderMark(ScriptBytes& bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.erase(0, 3);
    }
}

ScriptFileText Failed(ReadFailure failure, int error = 0) {
    ScriptFileText file;
    file.failure = failure;
    file.error = error;
    return file;
}

// Whether the whole line equals opener + name + ">" with ASCII case folded.
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

ScriptFileText ReadScriptFile(const std::string& path) {
    int error = 0;
    File file = File::OpenToRead(path, error);
    if (!file.IsOpen()) {
        return Failed(error == EISDIR ? ReadFailure::NotRegularFile : ReadFailure::CannotOpen,
                      error);
    }
    // A FIFO or a device would wait for a writer or never end.
    if (file.Kind() != FileKind::Regular) {
        return Failed(ReadFailure::NotRegularFile);
    }
    try {
        ScriptFileText text;
        // Past the most a document holds the file is not even read.
        if (const int failed = file.ReadAll(text.bytes, MaxScriptBytes)) {
            return Failed(ReadFailure::ReadError, failed);
        }
        DropByteOrderMark(text.bytes);
        return text;
    } catch (const std::bad_alloc&) {
        return Failed(ReadFailure::TooLarge);
    } catch (const std::length_error&) {
        return Failed(ReadFailure::TooLarge);
    }
}

std::string DescribeReadFailure(const ScriptFileText& file) {
    switch (file.failure) {
        case ReadFailure::None:
            return "read";
        case ReadFailure::NotRegularFile:
            return "not a regular file";
        case ReadFailure::TooLarge:
            return "too large to hold in memory";
        case ReadFailure::CannotOpen:
        case ReadFailure::ReadError:
            break;
    }
    return file.error != 0 ? std::strerror(file.error) : "cannot be read";
}

bool ScriptLines::ReadScriptLine(char* buffer, int size) {
    lastLength_ = 0;
    if (buffer == nullptr || size <= 0 || ended_) {
        return false;
    }
    ++CurrentLine;
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    const std::size_t left = bytes_.size() - position_;
    const char* from = bytes_.data() + position_;
    // Only a window that could still be stored is searched, so a cut line
    // leaves its break for the next piece.
    std::size_t stored = 0;
    std::size_t taken = 0;
    while (stored < room) {
        if (taken == left) {
            ended_ = true;
            break;
        }
        const std::size_t window = std::min(left - taken, room - stored);
        const char* start = from + taken;
        const auto* end = static_cast<const char*>(std::memchr(start, '\n', window));
        const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - start) : window;
        for (std::size_t i = 0; i < length; ++i) {
            if (start[i] != '\r') {
                buffer[stored++] = start[i];
            }
        }
        taken += length;
        if (end != nullptr) {
            ++taken;
            break;
        }
    }
    position_ += taken;
    buffer[stored] = '\0';
    lastLength_ = stored;
    return true;
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
    const char* found = std::strstr(line, key);
    return found != nullptr ? found + std::strlen(key) : nullptr;
}

bool SameText(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) {
        return false;
    }
    for (;; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) {
            return false;
        }
        if (*a == '\0') {
            return true;
        }
    }
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldAscii(x) == FoldAscii(y);
           });
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

bool IsEndTag(const char* line, const char* name) {
    return line != nullptr && name != nullptr && IsTagLine(line, "</", name);
}

}  // namespace kinpath
