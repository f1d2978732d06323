// The question script as a tree of blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "script/PointSlot.h"
#include "script/ScriptLines.h"

namespace kinpath {

// A script text: absent when the script gave no value or an empty one. Bytes as
// read from the script; never empty when present.
using ScriptText = std::optional<std::string>;

enum class Preference { RaceOverClass, ClassOverRace };
enum class RecapMode { Yes, No, Ask };

// The three things that make a script fail to load.
enum class ScriptMessage { UndefinedSymbol, InvalidCommand, EndOfScriptExpected };

struct ScriptError {
    ScriptMessage message;
    std::int64_t line;
    friend bool operator==(const ScriptError&, const ScriptError&) = default;
};

// "Undefined symbol found, line 3" and the like: the one place these are worded.
std::string ScriptErrorText(const ScriptError& error);

// The lines of the script being parsed and the errors found so far, in the
// order they would be shown.
struct ScriptReader {
    ScriptLines& lines;
    std::vector<ScriptError> errors;

    void Report(ScriptMessage message) { errors.push_back({message, lines.CurrentLine}); }
};

class ScriptBlock {
public:
    ScriptBlock() = default;
    virtual ~ScriptBlock() = default;
    ScriptBlock(const ScriptBlock&) = delete;
    ScriptBlock& operator=(const ScriptBlock&) = delete;

    // Reads the block's lines; true at its end tag "</tagName>", false when it
    // failed or the text ended first.
    virtual bool Parse(ScriptReader& reader, const char* tagName) = 0;
};

class SettingsBlock : public ScriptBlock {
public:
    bool Parse(ScriptReader& reader, const char* tagName) override;

    Preference preference = Preference::ClassOverRace;
};

class FinalBlock : public ScriptBlock {
public:
    bool Parse(ScriptReader& reader, const char* tagName) override;

    RecapMode recap = RecapMode::Yes;
};

class AnswerBlock : public ScriptBlock {
public:
    bool Parse(ScriptReader& reader, const char* tagName) override;

    PointValues points{};
    ScriptText type;
    ScriptText explanation;
};

class QuestionBlock : public ScriptBlock {
public:
    bool Parse(ScriptReader& reader, const char* tagName) override;

    std::vector<std::unique_ptr<AnswerBlock>> answers;
    std::vector<std::string> choices;  // each non-empty
    ScriptText type;
    ScriptText name;
    std::size_t answerCursor = 0;  // used while the answer of a choice is looked for
    std::size_t choiceCursor = 0;  // used while the choice buttons are filled
};

// What loading a script came to: the errors are the ScriptError boxes to show,
// in order, before the load is refused.
struct LoadOutcome {
    bool loaded = false;
    std::vector<ScriptError> errors;
};

class ScriptDocument : public ScriptBlock {
public:
    ScriptDocument() = default;
    ~ScriptDocument() override;

    // Reads the whole text to its end; false on the first error.
    bool Parse(ScriptReader& reader, const char* tagName) override;

    // Destroys every block and closes the script, leaving an empty document.
    void Clear();

    std::unique_ptr<SettingsBlock> settings;
    std::unique_ptr<FinalBlock> final;
    std::vector<std::unique_ptr<QuestionBlock>> questions;
    ScriptLines source;  // the script's text, once opened
};

// Reads the script file into the document (replacing what it held); false
// when there is no regular file to read.
bool OpenScript(ScriptDocument& document, const std::string& path = ScriptFileName);
void CloseScript(ScriptDocument& document);
// OpenScript, then Parse.
LoadOutcome LoadScript(ScriptDocument& document, const std::string& path = ScriptFileName);
// Parse on a script's text already in memory (as ReadScriptFile gives it).
LoadOutcome LoadScriptText(ScriptDocument& document, std::string bytes);

// A non-empty value is copied, an empty or null one leaves the text absent.
void AssignScriptText(ScriptText& text, const char* value);

// The number at the start of a point value, read as atoi reads it but clamped
// to the 32-bit range.
std::int32_t ReadPointValue(const char* value);
// Whether an answer's type names choice (1-based): its number, or "yes" and
// "no" for the first two.
bool TypeMatchesChoice(const ScriptText& type, int choice);

}  // namespace kinpath
