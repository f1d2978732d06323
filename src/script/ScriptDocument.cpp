#include "script/ScriptDocument.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

#include "script/BlockWalker.h"
#include "script/GameDeclaration.h"
#include "script/ScriptKeys.h"
#include "script/ScriptReader.h"
#include "text/Ascii.h"

namespace kinpath {

std::int32_t ReadPointValue(std::string_view value) {
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    std::size_t at = 0;
    while (at < value.size() && isSpace(value[at])) {
        ++at;
    }
    bool negative = false;
    if (at < value.size() && (value[at] == '+' || value[at] == '-')) {
        negative = value[at] == '-';
        ++at;
    }
    constexpr std::int64_t limit = static_cast<std::int64_t>(INT32_MAX) + 1;
    std::int64_t magnitude = 0;
    for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
        if (magnitude < limit) {
            magnitude = magnitude * 10 + (value[at] - '0');
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
            return "End of script expected, line " + line;
        default:
            break;
    }
    return DeclarationErrorText(error) + ", line " + line;
}

std::string DeclarationErrorText(const ScriptError& error) {
    const std::string tag(TagName(error.tag));
    switch (error.message) {
        case ScriptMessage::TooManyBlocks:
            if (error.tag == ScriptTag::Game) return "A script has one GAME block";
            return "A game has at most " +
                   std::to_string(error.tag == ScriptTag::Race    ? FirstTableCapacity
                                  : error.tag == ScriptTag::Class ? SecondTableCapacity
                                                                  : SharedTotalCapacity) +
                   " " + tag + " blocks";
        case ScriptMessage::NeedsRace:
            return "CLASS blocks need a RACE block";
        case ScriptMessage::MissingKey:
            return "A " + tag + " block needs a " + error.detail;
        case ScriptMessage::NamedTwice:
            return error.detail + " is named twice";
        case ScriptMessage::KeyEnding:
            return "A point key ends in pts=";
        case ScriptMessage::KeyLetters:
            return "A point key has only letters and digits before pts=";
        case ScriptMessage::KeyTwice:
            return "The key " + error.detail + " is given twice";
        case ScriptMessage::NoSuchRow:
            return "No " + (error.tag == ScriptTag::Total ? "RACE or CLASS" : tag) + " named " +
                   error.detail;
        case ScriptMessage::BlockLeftOpen:
            return "The " + tag + " block has no </" + tag + ">";
        default:
            break;
    }
    return "";
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

std::vector<ScriptError> Refusal(ScriptTag block, const ScriptLine* line, std::int64_t number) {
    const auto at = [number](ScriptMessage message) { return ScriptError{message, number}; };
    if (block == ScriptTag::Answer) {
        // The question holding the answer adds its own message, at the same
        // line, however the answer failed.
        if (line == nullptr) return {at(ScriptMessage::EndOfScriptExpected)};
        return {at(ScriptMessage::UndefinedSymbol), at(ScriptMessage::EndOfScriptExpected)};
    }
    if (line == nullptr) {
        // The end of the file inside a block says nothing, but in a game's.
        if (!IsGameTag(block)) return {};
        return {{ScriptMessage::BlockLeftOpen, number, {}, block}};
    }
    if (block == ScriptTag::Question && HoldsChoiceWord(line->text)) {
        return {at(ScriptMessage::InvalidCommand)};
    }
    return {at(ScriptMessage::UndefinedSymbol)};
}

// From this size on, the lists are sized for the script before it is read.
constexpr std::size_t LargeScript = std::size_t{1} << 20;

// Parses a document's own text into it: a handler of the block walk that
// stops at the first line a block refuses.
class DocumentReader {
public:
    // The document takes the bytes over.
    DocumentReader(ScriptDocument& document, ScriptBytes bytes)
        : document_(document), walker_(Own(document, std::move(bytes)), *this) {}

    // Reads the whole text; false on the first error. Throws std::bad_alloc
    // when memory runs out, the room it makes first included.
    bool Parse() {
        // A large script's lists start with room for more than a script of the
        // usual kind needs, on large pages, rather than growing there through
        // copies on small ones: room never touched takes no memory.
        if (const std::size_t size = document_.source_.size(); size >= LargeScript) {
            document_.questions_.reserve(size / 128);
            document_.answers_.reserve(size / 64);
            document_.choices_.reserve(size / 64);
            document_.points_.reserve(size / 32);
        }
        return walker_.Walk();
    }

    std::vector<ScriptError> errors;

private:
    friend class BlockWalker<DocumentReader>;

    static std::string_view Own(ScriptDocument& document, ScriptBytes bytes) {
        document.source_ = std::move(bytes);
        return document.source_;
    }
    const ScriptLine& Line() const { return walker_.Line(); }
    // The line's text from position at on, kept in the document.
    ScriptText Keep(std::size_t at);
    // The block refuses the line, or meets the end of the file (no line):
    // false, the walk stops.
    bool Refuse(ScriptTag block, const ScriptLine* line) {
        for (const ScriptError& error : Refusal(block, line, walker_.Number())) {
            errors.push_back(error);
        }
        // A failed answer is dropped, and its points with it.
        if (block == ScriptTag::Answer) document_.points_.resize(answer_.points.first);
        return false;
    }
    void SetPoint(PointSlot slot, std::int32_t value);
    Then QuestionKey(LineKey key);
    Then AnswerKey(LineKey key);
    // A game's step refused the line: false, the walk stops.
    bool Refuse(const std::optional<ScriptError>& error) {
        if (!error) return true;
        errors.push_back(*error);
        return false;
    }
    // The names are read ahead when the first block of a game opens.
    GameDeclaration& Declaration() {
        if (!declaration_) declaration_.emplace(ReadDeclaredNames(document_.source_));
        return *declaration_;
    }

    // The walk's hooks.
    void Read(const ScriptLine&) {}
    void Outside() {}
    bool Open(ScriptTag block);
    Then Key(ScriptTag block, LineKey key);
    Then Keyless(ScriptTag block, LineKey) {
        Refuse(block, &Line());
        return Then::Stop;
    }
    bool Cut(ScriptTag block) { return Refuse(block, &Line()); }
    bool EndOfFile(ScriptTag block) { return Refuse(block, nullptr); }
    bool Close(ScriptTag block) {
        if (block == ScriptTag::Answer) {
            document_.answers_.push_back(answer_);
            ++document_.questions_.back().answers.count;
        }
        return !IsGameTag(block) || Refuse(Declaration().Close(block, walker_.Number()));
    }
    bool CloseQuestion() { return false; }
    std::vector<KeyHit>* Hits() { return nullptr; }
    // A declared game's ANSWER blocks read its keys.
    bool EndDeclaration() {
        if (!declaration_) return true;
        document_.game_ = std::make_shared<const Game>(declaration_->Finish());
        answerKeys_.emplace(*document_.game_);
        walker_.SetAnswerKeys(answerKeys_->Keys());
        return true;
    }

    ScriptDocument& document_;
    BlockWalker<DocumentReader> walker_;
    AnswerBlock answer_;  // the answer being read
    std::optional<GameDeclaration> declaration_;
    std::optional<AnswerKeyList> answerKeys_;
};

ScriptText DocumentReader::Keep(std::size_t at) {
    const ScriptLine& line = Line();
    const std::string_view value = line.text.substr(at);
    if (value.empty()) {
        return {};
    }
    ScriptText text{0, static_cast<std::uint32_t>(value.size())};
    if (!line.copied) {
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

// A later SETTINGS or FINAL block replaces an earlier one when its start tag
// is read, and starts from the defaults. A question is installed before its
// lines are read; its answers and choices follow the earlier questions' in the
// document's lists.
bool DocumentReader::Open(ScriptTag block) {
    switch (block) {
        case ScriptTag::Settings:
            document_.settings_.emplace();
            break;
        case ScriptTag::Final:
            document_.final_.emplace();
            break;
        case ScriptTag::Question: {
            QuestionBlock& question = document_.questions_.emplace_back();
            question.answers.first = static_cast<std::uint32_t>(document_.answers_.size());
            question.choices.first = static_cast<std::uint32_t>(document_.choices_.size());
            break;
        }
        case ScriptTag::Answer:
            answer_ = AnswerBlock();
            answer_.points.first = static_cast<std::uint32_t>(document_.points_.size());
            break;
        default:
            return Refuse(Declaration().Open(block, walker_.Number()));
    }
    return true;
}

Then DocumentReader::Key(ScriptTag block, LineKey key) {
    const std::string_view value = Line().text.substr(key.value);
    switch (block) {
        case ScriptTag::Settings:
            document_.settings_->preference = SameText(value, "classoverrace")
                                                  ? Preference::ClassOverRace
                                                  : Preference::RaceOverClass;
            return Then::ReadOn;
        case ScriptTag::Final:
            if (SameText(value, "yes")) {
                document_.final_->recap = RecapMode::Yes;
            } else if (SameText(value, "no")) {
                document_.final_->recap = RecapMode::No;
            } else if (SameText(value, "ask")) {
                document_.final_->recap = RecapMode::Ask;
            } else {
                return Keyless(block, key);
            }
            return Then::ReadOn;
        case ScriptTag::Question:
            return QuestionKey(key);
        case ScriptTag::Answer:
            return AnswerKey(key);
        default:
            break;
    }
    const auto error = Declaration().Key(block, key.key, value, walker_.Number());
    return Refuse(error) ? Then::ReadOn : Then::Stop;
}

Then DocumentReader::QuestionKey(LineKey key) {
    QuestionBlock& question = document_.questions_.back();
    if (key.key == QuestionTypeKey) {
        question.type = Keep(key.value);
    } else if (key.key == QuestionNameKey) {
        question.name = Keep(key.value);
    } else if (const ScriptText choice = Keep(key.value)) {
        // A line holding text= holds text: a choice, with what follows the
        // first text=; an empty one is no choice.
        document_.choices_.push_back(choice);
        ++question.choices.count;
    }
    return Then::ReadOn;
}

// Sets a point of the answer being read, whose entries end the list: a slot
// set again keeps its entry with the new value.
void DocumentReader::SetPoint(PointSlot slot, std::int32_t value) {
    auto& points = document_.points_;
    const auto own = std::span(points).subspan(answer_.points.first);
    const auto entry = std::find_if(own.begin(), own.end(),
                                    [slot](const PointEntry& e) { return e.slot == slot; });
    if (entry != own.end()) {
        entry->value = value;
    } else {
        points.push_back({value, static_cast<std::uint8_t>(slot)});
        ++answer_.points.count;
    }
}

Then DocumentReader::AnswerKey(LineKey key) {
    if (key.key == AnswerTypeKey) {
        answer_.type = Keep(key.value);
    } else if (key.key == AnswerExplanationKey) {
        answer_.explanation = Keep(key.value);
    } else if (key.value < Line().text.size()) {
        // An empty value leaves the slot as it was.
        const PointSlot slot = answerKeys_ ? answerKeys_->Slot(key.key)
                                           : AnswerPointKeys[key.key - FirstPointKey].slot;
        SetPoint(slot, ReadPointValue(Line().text.substr(key.value)));
    }
    return Then::ReadOn;
}

LoadOutcome LoadScript(ScriptDocument& document, const std::string& path) {
    return LoadScriptFile(document, ReadScriptFile(path));
}

LoadOutcome LoadScriptFile(ScriptDocument& document, ScriptFileText file) {
    if (file.failure != ReadFailure::None) {
        document = ScriptDocument();
        LoadOutcome outcome;
        outcome.outOfMemory = file.failure == ReadFailure::TooLarge;
        return outcome;
    }
    return LoadScriptText(document, std::move(file.bytes));
}

LoadOutcome LoadScriptText(ScriptDocument& document, std::string_view bytes) {
    return LoadScriptText(document, ScriptBytes(bytes));
}

LoadOutcome LoadScriptText(ScriptDocument& document, ScriptBytes bytes) {
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
