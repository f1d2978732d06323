#include "script/ScriptDocument.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "text/Ascii.h"

namespace kinpath {

namespace {

// The line protocol shared by every block: reads the next line that is neither
// empty nor a comment, trimmed, and keeps its length. False at the end of the
// file. Scripts run to tens of thousands of questions, so the steps are done
// here in one pass over the line (the same results as TrimLine and friends);
// the buffer is not cleared first, since every line read is terminated.
class LineReader {
public:
    explicit LineReader(ScriptLines& lines) : lines_(lines) { line_[0] = '\0'; }

    bool Next() {
        while (lines_.ReadScriptLine(line_, LineBufferSize)) {
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
    ScriptLines& lines_;
    std::size_t length_ = 0;
    char line_[LineBufferSize];
};

// Tags all start with "<" and an end tag "</NAME>" is three longer than its
// name: other lines need no tag test at all.
bool MayBeTag(const char* line) { return line[0] == '<'; }

bool MayBeEndTag(const char* line, std::size_t length, const char* name) {
    return line[0] == '<' && line[1] == '/' && length == std::strlen(name) + 3;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::int32_t ReadPointValue(const char* value) {
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

namespace {

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
    return at < end
               ? static_cast<const char*>(std::memchr(at, '=', static_cast<std::size_t>(end - at)))
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

// The ANSWER reader finds point keys through their common ending, each with a
// name in front of it.
constexpr bool AllEndIn(std::string_view ending) {
    for (const PointKey& entry : AnswerPointKeys) {
        const std::string_view key(entry.key);
        if (key.size() <= ending.size() || !key.ends_with(ending)) {
            return false;
        }
    }
    return true;
}
static_assert(AllEndIn(PointKeyEnding));

// ANSWER keys in test order: type= 0, explanationtext= 1, point key i as 2 + i.
std::size_t FindAnswerKey(const char* line, std::size_t length, const char* firstEquals,
                          const char*& value) {
    // The shared ending without its "=", and each key's length before it.
    constexpr std::string_view ending = std::string_view(PointKeyEnding).substr(0, 3);
    constexpr auto stems = [] {
        std::array<std::size_t, AnswerPointKeys.size()> lengths{};
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            lengths[i] = std::string_view(AnswerPointKeys[i].key).size() -
                         std::string_view(PointKeyEnding).size();
        }
        return lengths;
    }();
    const char* end = line + length;
    std::size_t best = NoKey;
    for (const char* equals = firstEquals != end ? firstEquals : nullptr;
         equals != nullptr && best > 0; equals = NextEquals(equals, end)) {
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
    for (const char* equals = firstEquals != end ? firstEquals : nullptr;
         equals != nullptr && best > 0; equals = NextEquals(equals, end)) {
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

}  // namespace

void AssignScriptText(ScriptText& text, const char* value) {
    AssignText(text, value, value != nullptr ? std::strlen(value) : 0);
}

std::string ScriptErrorText(const ScriptError& error) {
    const std::string line = std::to_string(error.line);
    switch (error.message) {
        case ScriptMessage::UndefinedSymbol:
            return "Undefined symbol found, line " + line;
        case ScriptMessage::InvalidCommand:
            return "Error line " + line + ", invalid command";
        case ScriptMessage::EndOfScriptExpected:
            break;
    }
    return "End of script expected, line " + line;
}

bool TypeMatchesChoice(const ScriptText& type, int choice) {
    if (!type) {
        return false;
    }
    // The first two choices of a yes/no question may be typed by their words.
    const char* alias = choice == 1 ? "yes" : choice == 2 ? "no" : nullptr;
    return SameText(type->c_str(), std::to_string(choice).c_str()) ||
           (alias != nullptr && SameText(type->c_str(), alias));
}

// ---------------------------------------------------------------------------

bool SettingsBlock::Parse(ScriptReader& reader, const char* tagName) {
    const char* name = tagName != nullptr ? tagName : "SETTINGS";
    LineReader lines(reader.lines);
    while (lines.Next()) {
        char* line = lines.Line();
        if (IsEndTag(line, name)) {
            return true;
        }
        LowerKey(line);
        const char* value = FindKey(line, "preference=");
        if (value == nullptr) {
            reader.Report(ScriptMessage::UndefinedSymbol);
            return false;
        }
        preference = SameText(value, "classoverrace") ? Preference::ClassOverRace
                                                      : Preference::RaceOverClass;
    }
    return false;
}

bool FinalBlock::Parse(ScriptReader& reader, const char* tagName) {
    const char* name = tagName != nullptr ? tagName : "FINAL";
    LineReader lines(reader.lines);
    while (lines.Next()) {
        char* line = lines.Line();
        if (IsEndTag(line, name)) {
            return true;
        }
        LowerKey(line);
        const char* value = FindKey(line, "recap=");
        if (SameText(value, "yes")) {
            recap = RecapMode::Yes;
        } else if (SameText(value, "no")) {
            recap = RecapMode::No;
        } else if (SameText(value, "ask")) {
            recap = RecapMode::Ask;
        } else {
            reader.Report(ScriptMessage::UndefinedSymbol);
            return false;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------

bool AnswerBlock::Parse(ScriptReader& reader, const char* tagName) {
    const char* name = tagName != nullptr ? tagName : "ANSWER";
    LineReader lines(reader.lines);
    while (lines.Next()) {
        char* line = lines.Line();
        const std::size_t length = lines.Length();
        if (MayBeEndTag(line, length, name) && IsEndTag(line, name)) {
            return true;
        }
        const char* value = nullptr;
        const std::size_t key = FindAnswerKey(line, length, LowerKeyPart(line, length), value);
        if (key == 0) {
            AssignText(type, value, static_cast<std::size_t>(line + length - value));
        } else if (key == 1) {
            AssignText(explanation, value, static_cast<std::size_t>(line + length - value));
        } else if (key != NoKey) {
            // An empty value leaves the slot as it was.
            if (value[0] != '\0') {
                points[static_cast<std::size_t>(AnswerPointKeys[key - 2].slot)] =
                    ReadPointValue(value);
            }
        } else {
            reader.Report(ScriptMessage::UndefinedSymbol);
            return false;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------

bool QuestionBlock::Parse(ScriptReader& reader, const char* tagName) {
    const char* name = tagName != nullptr ? tagName : "QUESTION";
    LineReader lines(reader.lines);
    while (lines.Next()) {
        char* line = lines.Line();
        const std::size_t length = lines.Length();
        if (MayBeTag(line)) {
            if (MayBeEndTag(line, length, name) && IsEndTag(line, name)) {
                return true;
            }
            if (const TagEntry* tag = line[1] != '/' ? FindTag(line, AnswerTags) : nullptr) {
                auto answer = std::make_unique<AnswerBlock>();
                if (!answer->Parse(reader, tag->name)) {
                    reader.Report(ScriptMessage::EndOfScriptExpected);
                    return false;
                }
                answers.push_back(std::move(answer));
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
        } else {
            reader.Report(FindKey(line, "text") != nullptr ? ScriptMessage::InvalidCommand
                                                           : ScriptMessage::UndefinedSymbol);
            return false;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------

ScriptDocument::~ScriptDocument() { Clear(); }

void ScriptDocument::Clear() {
    // Questions first to last (each with its answers), then the final and the
    // settings block, then the script's text.
    for (auto& question : questions) {
        question.reset();
    }
    questions.clear();
    final.reset();
    settings.reset();
    CloseScript(*this);
}

bool ScriptDocument::Parse(ScriptReader& reader, const char* /*tagName*/) {
    LineReader lines(reader.lines);
    while (lines.Next()) {
        const TagEntry* tag = MayBeTag(lines.Line()) ? FindTag(lines.Line(), BlockTags) : nullptr;
        if (tag == nullptr) {
            continue;
        }
        ScriptBlock* block = nullptr;
        switch (static_cast<BlockTag>(tag->id)) {
            case BlockTag::Settings:
                settings = std::make_unique<SettingsBlock>();
                block = settings.get();
                break;
            case BlockTag::Question:
                block = questions.emplace_back(std::make_unique<QuestionBlock>()).get();
                break;
            case BlockTag::Final:
                final = std::make_unique<FinalBlock>();
                block = final.get();
                break;
        }
        if (!block->Parse(reader, tag->name)) {
            return false;
        }
    }
    return true;
}

bool OpenScript(ScriptDocument& document, const std::string& path) {
    CloseScript(document);
    ScriptFileText file = ReadScriptFile(path);
    if (file.failure != ReadFailure::None) {
        return false;
    }
    document.source = ScriptLines(std::move(file.bytes));
    return true;
}

void CloseScript(ScriptDocument& document) { document.source = ScriptLines(); }

LoadOutcome LoadScript(ScriptDocument& document, const std::string& path) {
    ScriptFileText file = ReadScriptFile(path);
    if (file.failure != ReadFailure::None) {
        document.Clear();
        return {};
    }
    return LoadScriptText(document, std::move(file.bytes));
}

LoadOutcome LoadScriptText(ScriptDocument& document, std::string bytes) {
    document.Clear();
    document.source = ScriptLines(std::move(bytes));
    LoadOutcome outcome;
    ScriptReader reader{document.source, {}};
    try {
        outcome.loaded = document.Parse(reader, nullptr);
    } catch (const std::bad_alloc&) {
        // Out of memory: the load fails like any other broken script.
        outcome.loaded = false;
    }
    outcome.errors = std::move(reader.errors);
    return outcome;
}

}  // namespace kinpath
