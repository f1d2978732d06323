#include "script/ScriptDocument.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "script/ScriptLines.h"

namespace kinpath {

// Defined together, document first, so that at exit the list of chosen answers
// goes before the document that owns them.
ScriptDocument TheScriptDocument;
std::vector<const AnswerBlock*> AnsweredList;

namespace {

constexpr const char* UndefinedSymbol = "Undefined symbol found, line %d";
constexpr const char* InvalidCommand = "Error line %d, invalid command";
constexpr const char* EndOfScriptExpected = "End of script expected, line %d";

// The line protocol shared by every block: reads the next line that is neither
// empty nor a comment, trimmed, and keeps its length. False at the end of the
// file. Scripts run to tens of thousands of questions, so the steps are done
// here in one pass over the line (the same results as TrimLine and friends);
// the buffer is not cleared first, since every line read is terminated.
class LineReader {
public:
    explicit LineReader(std::FILE* file) : file_(file) { line_[0] = '\0'; }

    bool Next() {
        while (ReadScriptLine(file_, line_, LineBufferSize) == 1) {
            // The text ends at the first zero byte; blanks and tabs at both
            // ends do not count.
            const char* start = line_;
            while (IsBlank(*start)) {
                ++start;
            }
            if (*start == '\0' || *start == '#') {
                continue;
            }
            std::size_t length = std::strlen(start);
            while (IsBlank(start[length - 1])) {
                --length;
            }
            if (start != line_) {
                std::memmove(line_, start, length);
            }
            line_[length] = '\0';
            length_ = length;
            return true;
        }
        return false;
    }

    char* Line() { return line_; }
    std::size_t Length() const { return length_; }

private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

    std::FILE* file_;
    std::size_t length_ = 0;
    char line_[LineBufferSize];
};

// Tags all start with "<" and an end tag "</NAME>" is three longer than its
// name: other lines need no tag test at all.
bool MayBeTag(const char* line) {
    return line[0] == '<';
}

bool MayBeEndTag(const char* line, std::size_t length, const char* name) {
    return line[0] == '<' && line[1] == '/' && length == std::strlen(name) + 3;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The number at the start of a point value, read as atoi reads it, but clamped
// to the 32-bit range instead of overflowing.
std::int32_t PointNumber(const char* value) {
    while (IsSpace(*value)) {
        ++value;
    }
    bool negative = false;
    if (*value == '+' || *value == '-') {
        negative = *value == '-';
        ++value;
    }
    constexpr std::int64_t limit = static_cast<std::int64_t>(INT32_MAX) + 1;
    std::int64_t magnitude = 0;
    for (; *value >= '0' && *value <= '9'; ++value) {
        if (magnitude < limit) {
            magnitude = magnitude * 10 + (*value - '0');
        }
    }
    if (negative) {
        return magnitude >= limit ? INT32_MIN : static_cast<std::int32_t>(-magnitude);
    }
    return magnitude > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// LowerKey on a line of known length; the position of its first "=" (or the
// end of the line).
char* LowerKeyPart(char* line, std::size_t length) {
    char* p = line;
    char* end = line + length;
    for (; p != end && *p != '='; ++p) {
        *p = FoldAscii(*p);
    }
    return p;
}

// The next "=" after at, or null.
const char* NextEquals(const char* at, const char* end) {
    ++at;
    return at < end ? static_cast<const char*>(std::memchr(at, '=', static_cast<std::size_t>(end - at)))
                    : nullptr;
}

// Whether name stands right before the "=" at equals, inside the line.
bool NameBefore(const char* line, const char* equals, std::string_view name) {
    return static_cast<std::size_t>(equals - line) >= name.size() &&
           std::memcmp(equals - name.size(), name.data(), name.size()) == 0;
}

// Every key ends in "=", so a key occurs in a line only where an "=" stands,
// and its first occurrence ends at the first "=" it stands before. Looking at
// each "=" once for the keys that end there finds, of all keys a line holds,
// the one tested first, and the value after its first occurrence: the same as
// trying FindKey with each key in turn, in one pass.
constexpr std::size_t NoKey = SIZE_MAX;

// ANSWER keys in test order: type= 0, explanationtext= 1, point key i as 2 + i.
std::size_t FindAnswerKey(const char* line, std::size_t length, const char* firstEquals,
                          const char*& value) {
    static const std::size_t endingLength = std::strlen(PointKeyEnding);
    static const std::string_view ending(PointKeyEnding, endingLength - 1);  // without "="
    // Length of each key before the shared ending.
    static const auto stems = [] {
        std::array<std::size_t, AnswerPointKeys.size()> lengths{};
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            lengths[i] = std::strlen(AnswerPointKeys[i].key) - endingLength;
        }
        return lengths;
    }();
    const char* end = line + length;
    std::size_t best = NoKey;
    for (const char* equals = firstEquals != end ? firstEquals : nullptr; equals != nullptr && best > 0;
         equals = NextEquals(equals, end)) {
        if (NameBefore(line, equals, "type")) {
            best = 0;
            value = equals + 1;
            break;
        }
        if (best > 1 && NameBefore(line, equals, "explanationtext")) {
            best = 1;
            value = equals + 1;
            continue;
        }
        if (best <= 2 || !NameBefore(line, equals, ending)) {
            continue;
        }
        const char* stemEnd = equals - ending.size();
        const std::size_t room = static_cast<std::size_t>(stemEnd - line);
        const std::size_t limit = std::min(best - 2, AnswerPointKeys.size());
        for (std::size_t i = 0; i < limit; ++i) {
            const std::size_t stem = stems[i];
            const char* key = AnswerPointKeys[i].key;
            if (stem <= room && stemEnd[-1] == key[stem - 1] &&
                std::memcmp(stemEnd - stem, key, stem) == 0) {
                best = 2 + i;
                value = equals + 1;
                break;
            }
        }
    }
    return best;
}

// QUESTION keys in test order: type= 0, name= 1, text= 2.
std::size_t FindQuestionKey(const char* line, std::size_t length, const char* firstEquals,
                            const char*& value) {
    const char* end = line + length;
    std::size_t best = NoKey;
    for (const char* equals = firstEquals != end ? firstEquals : nullptr; equals != nullptr && best > 0;
         equals = NextEquals(equals, end)) {
        if (NameBefore(line, equals, "type")) {
            best = 0;
            value = equals + 1;
        } else if (best > 1 && NameBefore(line, equals, "name")) {
            best = 1;
            value = equals + 1;
        } else if (best > 2 && NameBefore(line, equals, "text")) {
            best = 2;
            value = equals + 1;
        }
    }
    return best;
}

// A script text from a value of known length (the AssignScriptText rule).
void AssignText(ScriptText& text, const char* value, std::size_t length) {
    if (length != 0) {
        text.emplace(value, length);
    } else {
        text.reset();
    }
}

// A pool of equal-sized slots for the blocks of one kind. A large script holds
// some hundred thousand answers; one heap allocation each costs more than the
// parsing around it, and touching their memory page by page costs more still.
// Slots are cut from chunks that double up to 2 MiB; those are aligned and
// marked for huge pages, so that the system maps them in a few large steps.
// Freed slots are kept for the next block of the kind. Under the sanitizers
// every block is an ordinary allocation, so that they still watch each one.
#if defined(__SANITIZE_ADDRESS__)
#define KINPATH_PLAIN_BLOCKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KINPATH_PLAIN_BLOCKS 1
#endif
#endif

class BlockPool {
public:
    explicit BlockPool(std::size_t slotSize)
        : slotSize_((slotSize + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
                    alignof(std::max_align_t)) {}
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    void* Take(std::size_t size) {
#if defined(KINPATH_PLAIN_BLOCKS)
        return ::operator new(size);
#else
        if (size > slotSize_) {
            return ::operator new(size);
        }
        if (freeSlots_ != nullptr) {
            FreeSlot* slot = freeSlots_;
            freeSlots_ = slot->next;
            return slot;
        }
        if (static_cast<std::size_t>(end_ - next_) < slotSize_) {
            Grow();
        }
        void* slot = next_;
        next_ += slotSize_;
        return slot;
#endif
    }

    void Give(void* block, std::size_t size) noexcept {
#if defined(KINPATH_PLAIN_BLOCKS)
        ::operator delete(block, size);
#else
        if (block == nullptr) {
            return;
        }
        if (size > slotSize_) {
            ::operator delete(block, size);
            return;
        }
        freeSlots_ = new (block) FreeSlot{freeSlots_};
#endif
    }

private:
    struct FreeSlot {
        FreeSlot* next;
    };

    static constexpr std::size_t FirstChunk = std::size_t{64} << 10;
    static constexpr std::size_t HugePage = std::size_t{2} << 20;

    void Grow() {
        const std::size_t size = chunkSize_;
        char* chunk = nullptr;
        if (size < HugePage) {
            chunk = static_cast<char*>(::operator new(size));
            chunkSize_ = size * 2;
        } else {
            chunk = MapHugeChunk(size);
        }
        next_ = chunk;
        end_ = chunk + size;
    }

    // size bytes aligned to a huge page, marked for huge pages; never unmapped,
    // since the pool keeps its slots for the life of the process.
    static char* MapHugeChunk(std::size_t size) {
        void* mapped = ::mmap(nullptr, size + HugePage, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) {
            throw std::bad_alloc();
        }
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + HugePage - 1) & ~(HugePage - 1);
        if (aligned != start) {
            ::munmap(mapped, aligned - start);
        }
        const std::size_t tail = start + size + HugePage - (aligned + size);
        if (tail != 0) {
            ::munmap(reinterpret_cast<void*>(aligned + size), tail);
        }
#if defined(MADV_HUGEPAGE)
        ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
#endif
        return reinterpret_cast<char*>(aligned);
    }

    const std::size_t slotSize_;
    std::size_t chunkSize_ = FirstChunk;
    FreeSlot* freeSlots_ = nullptr;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

// Never destroyed: blocks of the global document outlive every static object.
BlockPool& AnswerPool() {
    static BlockPool* pool = new BlockPool(sizeof(AnswerBlock));
    return *pool;
}

BlockPool& QuestionPool() {
    static BlockPool* pool = new BlockPool(sizeof(QuestionBlock));
    return *pool;
}

}  // namespace

void AssignScriptText(ScriptText& text, const char* value) {
    if (value != nullptr && value[0] != '\0') {
        text = std::string(value);
    } else {
        text.reset();
    }
}

ScriptBlock::ScriptBlock(ScriptBlock* parent) : file(parent != nullptr ? parent->file : nullptr) {}

ScriptBlock::~ScriptBlock() = default;

// ---------------------------------------------------------------------------

std::int32_t SettingsBlock::Parse(const char* tagName) {
    if (file == nullptr) {
        return -1;
    }
    const char* name = tagName != nullptr ? tagName : "SETTINGS";
    LineReader reader(file);
    while (reader.Next()) {
        char* line = reader.Line();
        if (IsEndTag(line, name)) {
            return 1;
        }
        LowerKey(line);
        const char* value = FindKey(line, "preference=");
        if (value == nullptr) {
            ReportScriptError(UndefinedSymbol, CurrentLine);
            return -1;
        }
        Preference = SameText(value, "classoverrace") ? 1 : 0;
    }
    return -1;
}

std::int32_t FinalBlock::Parse(const char* tagName) {
    if (file == nullptr) {
        return -1;
    }
    const char* name = tagName != nullptr ? tagName : "FINAL";
    LineReader reader(file);
    while (reader.Next()) {
        char* line = reader.Line();
        if (IsEndTag(line, name)) {
            return 1;
        }
        LowerKey(line);
        const char* value = FindKey(line, "recap=");
        if (value == nullptr) {
            ReportScriptError(UndefinedSymbol, CurrentLine);
            return -1;
        }
        if (SameText(value, "yes")) {
            RecapMode = 0;
        } else if (SameText(value, "no")) {
            RecapMode = 1;
        } else if (SameText(value, "ask")) {
            RecapMode = 2;
        } else {
            ReportScriptError(UndefinedSymbol, CurrentLine);
            return -1;
        }
    }
    return -1;
}

// ---------------------------------------------------------------------------

std::int32_t AnswerBlock::Parse(const char* tagName) {
    if (file == nullptr) {
        return -1;
    }
    const char* name = tagName != nullptr ? tagName : "ANSWER";
    LineReader reader(file);
    while (reader.Next()) {
        char* line = reader.Line();
        const std::size_t length = reader.Length();
        if (MayBeEndTag(line, length, name) && IsEndTag(line, name)) {
            return 1;
        }
        const char* value = nullptr;
        const std::size_t key = FindAnswerKey(line, length, LowerKeyPart(line, length), value);
        if (key == 0) {
            AssignText(type, value, static_cast<std::size_t>(line + length - value));
        } else if (key == 1) {
            AssignText(explanation, value, static_cast<std::size_t>(line + length - value));
        } else if (key != NoKey) {
            SetPoint(value, AnswerPointKeys[key - 2].slot);
        } else {
            ReportScriptError(UndefinedSymbol, CurrentLine);
            return -1;
        }
    }
    return -1;
}

void* AnswerBlock::operator new(std::size_t size) {
    return AnswerPool().Take(size);
}

void AnswerBlock::operator delete(void* block, std::size_t size) noexcept {
    AnswerPool().Give(block, size);
}

void AnswerBlock::SetType(const char* value) {
    AssignScriptText(type, value);
}

void AnswerBlock::SetExplanation(const char* value) {
    AssignScriptText(explanation, value);
}

void AnswerBlock::SetPoint(const char* value, PointSlot slot) {
    if (value == nullptr || value[0] == '\0' || slot < 0 || slot >= PointSlotCount) {
        return;
    }
    points[static_cast<std::size_t>(slot)] = PointNumber(value);
}

// ---------------------------------------------------------------------------

QuestionBlock::~QuestionBlock() {
    for (auto& answer : answers) {
        answer.reset();
    }
    answers.clear();
    choices.clear();
    name.reset();
    type.reset();
}

std::int32_t QuestionBlock::Parse(const char* tagName) {
    if (file == nullptr) {
        return -1;
    }
    const char* name = tagName != nullptr ? tagName : "QUESTION";
    // Most questions have a few choices and an answer for each: room for them
    // up front saves growing the lists one by one.
    answers.reserve(4);
    choices.reserve(4);
    LineReader reader(file);
    while (reader.Next()) {
        char* line = reader.Line();
        const std::size_t length = reader.Length();
        if (MayBeTag(line)) {
            if (MayBeEndTag(line, length, name) && IsEndTag(line, name)) {
                return 1;
            }
            if (const TagEntry* tag = line[1] != '/' ? FindTag(line, AnswerTags) : nullptr) {
                auto answer = std::make_unique<AnswerBlock>(this);
                if (answer->Parse(tag->name) != 1) {
                    ReportScriptError(EndOfScriptExpected, CurrentLine);
                    return -1;
                }
                AddAnswer(std::move(answer));
                continue;
            }
        }
        const char* value = nullptr;
        const std::size_t key = FindQuestionKey(line, length, LowerKeyPart(line, length), value);
        const auto valueLength = [&] { return static_cast<std::size_t>(line + length - value); };
        if (key == 0) {
            AssignText(type, value, valueLength());
        } else if (key == 1) {
            AssignText(this->name, value, valueLength());
        } else if (key == 2) {
            // A line holding text= holds text: a choice, with what follows the
            // first text=.
            if (valueLength() != 0) {
                choices.emplace_back(value, valueLength());
            }
        } else if (FindKey(line, "text") != nullptr) {
            ReportScriptError(InvalidCommand, CurrentLine);
            return -1;
        } else {
            ReportScriptError(UndefinedSymbol, CurrentLine);
            return -1;
        }
    }
    return -1;
}

void* QuestionBlock::operator new(std::size_t size) {
    return QuestionPool().Take(size);
}

void QuestionBlock::operator delete(void* block, std::size_t size) noexcept {
    QuestionPool().Give(block, size);
}

void QuestionBlock::SetType(const char* value) {
    AssignScriptText(type, value);
}

void QuestionBlock::SetName(const char* value) {
    AssignScriptText(name, value);
}

void QuestionBlock::AddChoiceText(const char* value) {
    if (value != nullptr && value[0] != '\0') {
        choices.emplace_back(value);
    }
}

void QuestionBlock::AddAnswer(std::unique_ptr<AnswerBlock> answer) {
    if (answer != nullptr) {
        answers.push_back(std::move(answer));
    }
}

// ---------------------------------------------------------------------------

ScriptDocument::ScriptDocument() : ScriptBlock(nullptr) {}

namespace {

// Questions first to last (each with its answers), then the final and the
// settings block, then the file.
void TearDown(ScriptDocument& document) {
    for (auto& question : document.questions) {
        question.reset();
    }
    document.questions.clear();
    document.final.reset();
    document.settings.reset();
    CloseScript(document);
}

}  // namespace

ScriptDocument::~ScriptDocument() {
    // At exit AnsweredList is already gone; it must not be touched here.
    TearDown(*this);
}

void ScriptDocument::Clear() {
    // Nothing may keep pointing at answers that are about to go.
    if (this == &TheScriptDocument) {
        AnsweredList.clear();
    }
    TearDown(*this);
}

std::int32_t ScriptDocument::Parse(const char* /*tagName*/) {
    if (file == nullptr) {
        return -1;
    }
    try {
        LineReader reader(file);
        while (reader.Next()) {
            const TagEntry* tag = MayBeTag(reader.Line()) ? FindTag(reader.Line(), BlockTags) : nullptr;
            if (tag == nullptr) {
                continue;
            }
            ScriptBlock* block = nullptr;
            switch (tag->id) {
            case 0: {
                auto settingsBlock = std::make_unique<SettingsBlock>(this);
                block = settingsBlock.get();
                SetSettings(std::move(settingsBlock));
                break;
            }
            case 1: {
                auto question = std::make_unique<QuestionBlock>(this);
                block = question.get();
                AddQuestion(std::move(question));
                break;
            }
            case 2: {
                auto finalBlock = std::make_unique<FinalBlock>(this);
                block = finalBlock.get();
                SetFinal(std::move(finalBlock));
                break;
            }
            default:
                continue;
            }
            if (block->Parse(tag->name) == -1) {
                return -1;
            }
        }
    } catch (const std::bad_alloc&) {
        // Out of memory: the load fails like any other broken script.
        return -1;
    }
    return 0;
}

void ScriptDocument::SetSettings(std::unique_ptr<SettingsBlock> block) {
    settings.reset();
    settings = std::move(block);
}

void ScriptDocument::SetFinal(std::unique_ptr<FinalBlock> block) {
    final.reset();
    final = std::move(block);
}

void ScriptDocument::AddQuestion(std::unique_ptr<QuestionBlock> block) {
    if (block != nullptr) {
        questions.push_back(std::move(block));
    }
}

}  // namespace kinpath
