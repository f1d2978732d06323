#include "script/ScriptDocument.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

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
// empty nor a comment, trimmed. False at the end of the file.
class LineReader {
public:
    explicit LineReader(std::FILE* file) : file_(file) {}

    bool Next() {
        while (ReadScriptLine(file_, line_, LineBufferSize) == 1) {
            TrimLine(line_);
            if (line_[0] != '\0' && line_[0] != '#') {
                return true;
            }
        }
        return false;
    }

    char* Line() { return line_; }

private:
    std::FILE* file_;
    char line_[LineBufferSize] = {};
};

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

// The point key a line belongs to: of the keys it holds, the earliest in test
// order, with its value after the key's first occurrence. The same as trying
// FindKey with each key in turn, but the line is searched only for the ending
// all point keys share, and each occurrence is checked against the keys.
const PointKey* FindPointKey(const char* line, const char*& value) {
    static const std::size_t endingLength = std::strlen(PointKeyEnding);
    // Length of each key before the shared ending.
    static const auto stems = [] {
        std::array<std::size_t, AnswerPointKeys.size()> lengths{};
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            lengths[i] = std::strlen(AnswerPointKeys[i].key) - endingLength;
        }
        return lengths;
    }();
    std::size_t best = AnswerPointKeys.size();
    for (const char* at = FindKey(line, PointKeyEnding); at != nullptr && best > 0;
         at = FindKey(at - endingLength + 1, PointKeyEnding)) {
        const char* stemEnd = at - endingLength;
        const std::size_t room = static_cast<std::size_t>(stemEnd - line);
        for (std::size_t i = 0; i < best; ++i) {
            const std::size_t stem = stems[i];
            const char* key = AnswerPointKeys[i].key;
            if (stem <= room && stemEnd[-1] == key[stem - 1] &&
                std::memcmp(stemEnd - stem, key, stem) == 0) {
                best = i;
                value = at;
                break;
            }
        }
    }
    return best < AnswerPointKeys.size() ? &AnswerPointKeys[best] : nullptr;
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
        if (IsEndTag(line, name)) {
            return 1;
        }
        LowerKey(line);
        if (const char* value = FindKey(line, "type=")) {
            SetType(value);
            continue;
        }
        if (const char* value = FindKey(line, "explanationtext=")) {
            SetExplanation(value);
            continue;
        }
        const char* value = nullptr;
        if (const PointKey* key = FindPointKey(line, value)) {
            SetPoint(value, key->slot);
        } else {
            ReportScriptError(UndefinedSymbol, CurrentLine);
            return -1;
        }
    }
    return -1;
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
    LineReader reader(file);
    while (reader.Next()) {
        char* line = reader.Line();
        if (IsEndTag(line, name)) {
            return 1;
        }
        if (const TagEntry* tag = FindTag(line, AnswerTags)) {
            auto answer = std::make_unique<AnswerBlock>(this);
            if (answer->Parse(tag->name) != 1) {
                ReportScriptError(EndOfScriptExpected, CurrentLine);
                return -1;
            }
            AddAnswer(std::move(answer));
            continue;
        }
        LowerKey(line);
        if (const char* value = FindKey(line, "type=")) {
            SetType(value);
        } else if (const char* value = FindKey(line, "name=")) {
            SetName(value);
        } else if (FindKey(line, "text") != nullptr) {
            const char* choice = FindKey(line, "text=");
            if (choice == nullptr) {
                ReportScriptError(InvalidCommand, CurrentLine);
                return -1;
            }
            AddChoiceText(choice);
        } else {
            ReportScriptError(UndefinedSymbol, CurrentLine);
            return -1;
        }
    }
    return -1;
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
            const TagEntry* tag = FindTag(reader.Line(), BlockTags);
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
