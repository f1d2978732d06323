#include "script/ScriptDocument.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

#include "script/ScriptKeys.h"
#include "text/Ascii.h"

namespace kinpath {

std::int32_t ReadPointValue(const char* value) {
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (isSpace(*value)) {
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

bool TypeMatchesChoice(std::string_view type, int choice) {
    // The first two choices of a yes/no question may be typed by their words.
    const char* alias = choice == 1 ? "yes" : choice == 2 ? "no" : nullptr;
    return !type.empty() &&
           (SameText(type, std::to_string(choice)) || (alias != nullptr && SameText(type, alias)));
}

std::string_view ScriptDocument::Text(ScriptText text) const {
    if (text.offset < source_.size()) {
        return std::string_view(source_).substr(text.offset, text.length);
    }
    return std::string_view(extra_).substr(text.offset - source_.size(), text.length);
}

PointValues ScriptDocument::Points(const AnswerBlock& answer) const {
    PointValues values{};
    for (const PointEntry& entry :
         std::span(points_).subspan(answer.points.first, answer.points.count)) {
        values[entry.slot] = entry.value;
    }
    return values;
}

// Parses a document's own text into it, block by block, following the line
// protocol: lines trimmed, empty and comment lines skipped, tags tested on the
// whole line before the key part is lowered and the block's keys are tried.
class DocumentReader {
public:
    // The document takes the bytes over.
    DocumentReader(ScriptDocument& document, std::string bytes) : document_(document) {
        document_.source_ = std::move(bytes);
        lines_ = ScriptLines(document_.source_);
    }

    // Reads the whole text; false on the first error.
    bool Parse();

    std::vector<ScriptError> errors;

private:
    bool Next();
    bool MayBeEndTag(const char* name) const {
        return line_[0] == '<' && line_[1] == '/' && length_ == std::strlen(name) + 3;
    }
    LineKey KeyOf(KeyList keys) {
        LowerKey(line_);
        return FindLineKey(keys, std::string_view(line_, length_));
    }
    // The line's text from position at on, kept in the document.
    ScriptText Keep(std::size_t at);
    void Report(ScriptMessage message) { errors.push_back({message, lines_.CurrentLine}); }

    bool Settings(const char* tag, SettingsBlock& block);
    bool Final(const char* tag, FinalBlock& block);
    bool Question(const char* tag);
    bool Answer(const char* tag, AnswerBlock& answer);
    void SetPoint(AnswerBlock& answer, PointSlot slot, std::int32_t value);

    ScriptDocument& document_;
    ScriptLines lines_;
    std::string_view text_;      // the line, trimmed, where its bytes stand
    char line_[LineBufferSize];  // the same bytes, zero-terminated, to lower and search
    std::size_t length_ = 0;
};

bool DocumentReader::Next() {
    std::string_view line;
    while (lines_.NextLine(line)) {
        // The text ends at the first zero byte; blanks and tabs at both ends
        // do not count.
        if (const void* zero = std::memchr(line.data(), '\0', line.size())) {
            line = line.substr(
                0, static_cast<std::size_t>(static_cast<const char*>(zero) - line.data()));
        }
        while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
        while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        text_ = line;
        length_ = line.size();
        std::memcpy(line_, line.data(), length_);
        line_[length_] = '\0';
        return true;
    }
    return false;
}

ScriptText DocumentReader::Keep(std::size_t at) {
    const std::string_view value = text_.substr(at);
    if (value.empty()) {
        return {};
    }
    ScriptText text{0, static_cast<std::uint32_t>(value.size())};
    if (!lines_.LastCopied()) {
        text.offset = static_cast<std::uint32_t>(value.data() - document_.source_.data());
    } else {
        // A carriage return stood inside the line: its bytes are not together
        // in the script.
        text.offset =
            static_cast<std::uint32_t>(document_.source_.size() + document_.extra_.size());
        document_.extra_.append(value);
    }
    return text;
}

bool DocumentReader::Settings(const char* tag, SettingsBlock& block) {
    while (Next()) {
        if (IsEndTag(line_, tag)) {
            return true;
        }
        const LineKey key = KeyOf(SettingsKeys);
        if (key.key == NoKey) {
            Report(ScriptMessage::UndefinedSymbol);
            return false;
        }
        block.preference = SameText(line_ + key.value, "classoverrace") ? Preference::ClassOverRace
                                                                        : Preference::RaceOverClass;
    }
    return false;
}

bool DocumentReader::Final(const char* tag, FinalBlock& block) {
    while (Next()) {
        if (IsEndTag(line_, tag)) {
            return true;
        }
        const LineKey key = KeyOf(FinalKeys);
        const char* value = key.key != NoKey ? line_ + key.value : nullptr;
        if (SameText(value, "yes")) {
            block.recap = RecapMode::Yes;
        } else if (SameText(value, "no")) {
            block.recap = RecapMode::No;
        } else if (SameText(value, "ask")) {
            block.recap = RecapMode::Ask;
        } else {
            Report(ScriptMessage::UndefinedSymbol);
            return false;
        }
    }
    return false;
}

// Sets a point of the answer being read, whose entries end the list: a slot
// set again keeps its entry with the new value.
void DocumentReader::SetPoint(AnswerBlock& answer, PointSlot slot, std::int32_t value) {
    auto& points = document_.points_;
    const auto own = std::span(points).subspan(answer.points.first);
    const auto entry = std::find_if(own.begin(), own.end(),
                                    [slot](const PointEntry& e) { return e.slot == slot; });
    if (entry != own.end()) {
        entry->value = value;
    } else {
        points.push_back({value, static_cast<std::uint8_t>(slot)});
        ++answer.points.count;
    }
}

bool DocumentReader::Answer(const char* tag, AnswerBlock& answer) {
    answer.points.first = static_cast<std::uint32_t>(document_.points_.size());
    while (Next()) {
        if (MayBeEndTag(tag) && IsEndTag(line_, tag)) {
            return true;
        }
        const LineKey key = KeyOf(AnswerKeys);
        if (key.key == AnswerTypeKey) {
            answer.type = Keep(key.value);
        } else if (key.key == AnswerExplanationKey) {
            answer.explanation = Keep(key.value);
        } else if (key.key != NoKey) {
            // An empty value leaves the slot as it was.
            if (line_[key.value] != '\0') {
                SetPoint(answer, AnswerPointKeys[key.key - FirstPointKey].slot,
                         ReadPointValue(line_ + key.value));
            }
        } else {
            Report(ScriptMessage::UndefinedSymbol);
            return false;
        }
    }
    return false;
}

bool DocumentReader::Question(const char* tag) {
    // Installed before its lines are read; its answers and choices follow the
    // earlier questions' in the document's lists.
    QuestionBlock& question = document_.questions_.emplace_back();
    question.answers.first = static_cast<std::uint32_t>(document_.answers_.size());
    question.choices.first = static_cast<std::uint32_t>(document_.choices_.size());
    while (Next()) {
        if (line_[0] == '<') {
            if (MayBeEndTag(tag) && IsEndTag(line_, tag)) {
                return true;
            }
            if (const TagEntry* answerTag =
                    line_[1] != '/' ? FindTag(line_, AnswerTags) : nullptr) {
                AnswerBlock answer;
                if (!Answer(answerTag->name, answer)) {
                    // The failed answer is dropped, and its points with it.
                    document_.points_.resize(answer.points.first);
                    Report(ScriptMessage::EndOfScriptExpected);
                    return false;
                }
                document_.answers_.push_back(answer);
                ++question.answers.count;
                continue;
            }
        }
        const LineKey key = KeyOf(QuestionKeys);
        if (key.key == QuestionTypeKey) {
            question.type = Keep(key.value);
        } else if (key.key == QuestionNameKey) {
            question.name = Keep(key.value);
        } else if (key.key != NoKey) {
            // A line holding text= holds text: a choice, with what follows the
            // first text=; an empty one is no choice.
            if (const ScriptText choice = Keep(key.value)) {
                document_.choices_.push_back(choice);
                ++question.choices.count;
            }
        } else {
            Report(FindKey(line_, "text") != nullptr ? ScriptMessage::InvalidCommand
                                                     : ScriptMessage::UndefinedSymbol);
            return false;
        }
    }
    return false;
}

bool DocumentReader::Parse() {
    while (Next()) {
        const TagEntry* tag = line_[0] == '<' ? FindTag(line_, BlockTags) : nullptr;
        if (tag == nullptr) {
            continue;
        }
        // A later SETTINGS or FINAL block replaces an earlier one when its
        // start tag is read, and starts from the defaults.
        bool read = false;
        switch (static_cast<BlockTag>(tag->id)) {
            case BlockTag::Settings:
                read = Settings(tag->name, document_.settings_.emplace());
                break;
            case BlockTag::Question:
                read = Question(tag->name);
                break;
            case BlockTag::Final:
                read = Final(tag->name, document_.final_.emplace());
                break;
        }
        if (!read) {
            return false;
        }
    }
    return true;
}

LoadOutcome LoadScript(ScriptDocument& document, const std::string& path) {
    ScriptFileText file = ReadScriptFile(path);
    if (file.failure != ReadFailure::None) {
        document = ScriptDocument();
        LoadOutcome outcome;
        outcome.outOfMemory = file.failure == ReadFailure::TooLarge;
        return outcome;
    }
    return LoadScriptText(document, std::move(file.bytes));
}

LoadOutcome LoadScriptText(ScriptDocument& document, std::string bytes) {
    document = ScriptDocument();
    LoadOutcome outcome;
    if (bytes.size() > MaxScriptBytes) {
        outcome.outOfMemory = true;
        return outcome;
    }
    DocumentReader reader(document, std::move(bytes));
    try {
        outcome.loaded = reader.Parse();
    } catch (const std::bad_alloc&) {
        outcome.outOfMemory = true;
    }
    outcome.errors = std::move(reader.errors);
    return outcome;
}

}  // namespace kinpath
